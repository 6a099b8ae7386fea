#include "skin/UiText.h"

#include "platform/Codec.h"

QString ToUi(std::string_view cp949) {
    if (auto utf8 = platform::Cp949ToUtf8(cp949)) {
        return QString::fromStdString(*utf8);
    }
    return QString::fromUtf8(cp949.data(), static_cast<qsizetype>(cp949.size()));
}

std::optional<std::string> FromUi(const QString& text) {
    return platform::Utf8ToCp949(text.toStdString());
}

bool FitsCp949(const QString& text, int byteLimit) {
    const auto bytes = FromUi(text);
    return bytes && (byteLimit <= 0 || bytes->size() <= static_cast<std::size_t>(byteLimit));
}
