#include "platform/Codec.h"

#include <gtest/gtest.h>

namespace {

TEST(Codec, ConvertsKoreanBothWays) {
    // "가" is B0A1 in both EUC-KR and code page 949; "똠" exists only in the 949 extension (8C63).
    EXPECT_EQ("\xB0\xA1", platform::Utf8ToCp949("가").value_or("?"));
    EXPECT_EQ("\x8C\x63", platform::Utf8ToCp949("똠").value_or("?"));
    EXPECT_EQ("가 똠 A1-", platform::Cp949ToUtf8("\xB0\xA1 \x8C\x63 A1-").value_or("?"));
    EXPECT_EQ("", platform::Utf8ToCp949("").value_or("?"));
    const std::string phrase = "482가나다라마바 사아자차-카타482파하";
    auto bytes = platform::Utf8ToCp949(phrase);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(36u, bytes->size());
    EXPECT_EQ(phrase, platform::Cp949ToUtf8(*bytes).value_or("?"));
}

TEST(Codec, RefusesWhatTheOtherSideCannotHold) {
    EXPECT_FALSE(platform::Utf8ToCp949("fire 🔥"));                // no emoji in code page 949
    EXPECT_FALSE(platform::Utf8ToCp949("\xC3"));                  // cut UTF-8 sequence
    EXPECT_FALSE(platform::Cp949ToUtf8("\xB0"));                  // lead byte without its trail byte
    EXPECT_FALSE(platform::Cp949ToUtf8("\xFF\xFF"));              // not a character
    EXPECT_TRUE(platform::Utf8ToCp949(std::string(100000, 'x'))); // long texts grow the buffer
}

} // namespace
