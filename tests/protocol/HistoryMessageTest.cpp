#include "protocol/HistoryMessage.h"
#include "platform/Codec.h"

#include <gtest/gtest.h>

namespace {

TEST(HistoryMessage, TheNullMarkGoesWhereverItStandsButNeverSplitsAHangulSyllable) {
    const std::string taken = platform::Cp949Of("접수");
    EXPECT_EQ("", WithoutNull("null"));
    EXPECT_EQ(taken, WithoutNull(taken + "null"));
    EXPECT_EQ(taken, WithoutNull("null" + taken + "null"));
    // "걆" ends in the byte 'n': together with "ull" after it the bytes read "null", but no character does.
    const std::string syllable = platform::Cp949Of("걆");
    ASSERT_EQ('n', syllable[1]);
    EXPECT_EQ(syllable + "ull", WithoutNull(syllable + "ull"));
    EXPECT_EQ(syllable, WithoutNull(syllable + "null"));
}

} // namespace
