#include "skin/SkinResources.h"

#include <QFont>
#include <QFontDatabase>

QPixmap LoadResourceBitmap(int id) {
    if (id <= 0) {
        return {};
    }
    return QPixmap(QStringLiteral(":/res/%1.bmp").arg(id), "BMP");
}

void InstallSkinFonts() {
    // The system's font list normally has it (Debian's fonts-nanum); loading the files ourselves costs start-up
    // time and memory, so that is only the fallback.
    QString family = QStringLiteral("NanumGothic");
    if (!QFontDatabase::hasFamily(family)) {
        const int id =
            QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/nanum/NanumGothic.ttf"));
        QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/nanum/NanumGothicBold.ttf"));
        if (id >= 0) {
            family = QFontDatabase::applicationFontFamilies(id).value(0, family);
        }
    }
    QFont::insertSubstitution(QStringLiteral("돋움"), family);
}
