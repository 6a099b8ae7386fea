#include "client/env/PhonePrefixTable.h"

#include "platform/Codec.h"

#include <utility>

namespace {

constexpr const char* kNoChoice = "<선택>";

} // namespace

PhonePrefixTable PhonePrefixTable::AreaCodes() {
    static constexpr std::pair<const char*, const char*> kAreas[] = {
        {"서울(02)", "02"},   {"경기(031)", "031"}, {"인천(032)", "032"}, {"강원(033)", "033"},
        {"충남(041)", "041"}, {"대전(042)", "042"}, {"충북(043)", "043"}, {"부산(051)", "051"},
        {"울산(052)", "052"}, {"대구(053)", "053"}, {"경북(054)", "054"}, {"경남(055)", "055"},
        {"전남(061)", "061"}, {"광주(062)", "062"}, {"전북(063)", "063"}, {"제주(064)", "064"}};
    PhonePrefixTable table;
    table.m_display.push_back(platform::Cp949Of(kNoChoice));
    table.m_digits.emplace_back();
    for (const auto& [display, digits] : kAreas) {
        table.m_display.push_back(platform::Cp949Of(display));
        table.m_digits.emplace_back(digits);
    }
    return table;
}

PhonePrefixTable PhonePrefixTable::MobilePrefixes() {
    static constexpr const char* kPrefixes[] = {"010", "011", "016", "017", "018", "019"};
    PhonePrefixTable table;
    table.m_display.push_back(platform::Cp949Of(kNoChoice));
    table.m_digits.emplace_back();
    for (const char* digits : kPrefixes) {
        table.m_display.emplace_back(digits);
        table.m_digits.emplace_back(digits);
    }
    return table;
}

std::string PhonePrefixTable::DisplayText(int position) const {
    return position >= 0 && position < Size() ? m_display[position] : std::string();
}

std::string PhonePrefixTable::Digits(int position) const {
    return position >= 1 && position < Size() ? m_digits[position] : std::string();
}

int PhonePrefixTable::IndexOf(const std::string& digits) const {
    if (digits.empty()) {
        return 0;
    }
    for (int i = 1; i < Size(); ++i) {
        if (m_digits[i] == digits) {
            return i;
        }
    }
    return 0;
}
