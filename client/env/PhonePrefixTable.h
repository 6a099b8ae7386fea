#pragma once

#include <string>
#include <vector>

// One of the two drop-down tables of phone prefixes: position 0 is "<선택>" (no choice), positions 1 and up
// hold a display text and the digits that a person's phone field stores. Texts are code page 949 bytes.
class PhonePrefixTable {
public:
    // The 16 regional area codes, "서울(02)" to "제주(064)".
    static PhonePrefixTable AreaCodes();
    // The 6 mobile prefixes "010" to "019"; their display text is the digits.
    static PhonePrefixTable MobilePrefixes();

    // Entries including position 0.
    int Size() const { return static_cast<int>(m_display.size()); }
    // The display text of a position, or empty when there is no such position.
    std::string DisplayText(int position) const;
    // The digits of a position from 1; empty for position 0, a negative position (no selection) or beyond.
    std::string Digits(int position) const;
    // The position whose digits equal `digits`; 0 when none does (also for the empty text).
    int IndexOf(const std::string& digits) const;

private:
    std::vector<std::string> m_display;
    std::vector<std::string> m_digits;
};
