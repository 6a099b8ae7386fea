#include "standins/centre/ResidentCheck.h"

#include "platform/Codec.h"

#include <optional>

namespace {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<int> CenturyOf(char seventh) {
    switch (seventh) {
    case '9':
    case '0':
        return 1800;
    case '1':
    case '2':
    case '5':
    case '6':
        return 1900;
    case '3':
    case '4':
    case '7':
    case '8':
        return 2000;
    default:
        return std::nullopt;
    }
}

// The code points of a UTF-8 text that came out of the code page converter, so it is well formed.
std::u32string CodePoints(const std::string& utf8) {
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
        for (int k = 1; k < length && i + k < utf8.size(); ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        out.push_back(cp);
        i += length;
    }
    return out;
}

bool IsHangulSyllable(char32_t c) {
    return c >= 0xAC00 && c <= 0xD7A3;
}
bool IsLatinLetter(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

bool IsPlausibleNumber(const std::string& digits, std::time_t today) {
    if (digits.size() != 13) {
        return false;
    }
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    std::optional<int> century = CenturyOf(digits[6]);
    if (!century) {
        return false;
    }
    auto number = [&](size_t at) { return (digits[at] - '0') * 10 + (digits[at + 1] - '0'); };
    int year = *century + number(0);
    int month = number(2);
    int day = number(4);
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
        return false;
    }
    std::tm now{};
    localtime_r(&today, &now);
    int born = year * 10000 + month * 100 + day;
    int current = (now.tm_year + 1900) * 10000 + (now.tm_mon + 1) * 100 + now.tm_mday;
    return born <= current;
}

bool IsPlausibleName(const std::string& cp949Name) {
    std::optional<std::string> utf8 = platform::Cp949ToUtf8(cp949Name);
    if (!utf8) {
        return false;
    }
    std::u32string name = CodePoints(*utf8);
    if (name.size() < 2) {
        return false;
    }
    bool hangul = true;
    for (char32_t c : name) {
        hangul = hangul && IsHangulSyllable(c);
    }
    if (hangul) {
        return name.size() <= 10;
    }
    if (name.size() > 20 || name.front() == U' ' || name.back() == U' ') {
        return false;
    }
    for (size_t i = 0; i < name.size(); ++i) {
        bool blankPair = name[i] == U' ' && i > 0 && name[i - 1] == U' ';
        if (!(IsLatinLetter(name[i]) || name[i] == U' ') || blankPair) {
            return false;
        }
    }
    return true;
}

std::optional<Resident> ReadResident(std::string_view nameUtf8, std::string_view number, std::time_t today,
                                     std::string& error) {
    std::string digits(number);
    if (digits.size() == 14 && digits[6] == '-') {
        digits.erase(6, 1);
    }
    std::optional<std::string> name = platform::Utf8ToCp949(nameUtf8);
    if (!name || !IsPlausibleName(*name)) {
        error = "이름은 한글 2~10자나 영문 2~20자로 적어 주십시오.";
        return std::nullopt;
    }
    if (!IsPlausibleNumber(digits, today)) {
        error = "주민등록번호는 생년월일이 맞는 13자리(예: 800101-1234567)로 적어 주십시오.";
        return std::nullopt;
    }
    return Resident{digits, *name};
}
