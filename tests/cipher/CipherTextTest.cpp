#include "cipher/CipherText.h"

#include <gtest/gtest.h>

using kavrel::DecodeCipherText;
using kavrel::EncodeCipherText;

TEST(CipherText, EncodesInRfc4648BitOrderWithTheOwnAlphabet) {
    // The RFC 4648 test vectors, and the two characters that differ from standard Base64.
    EXPECT_EQ(EncodeCipherText(""), "");
    EXPECT_EQ(EncodeCipherText("f"), "Zg==");
    EXPECT_EQ(EncodeCipherText("fo"), "Zm8=");
    EXPECT_EQ(EncodeCipherText("foo"), "Zm9v");
    EXPECT_EQ(EncodeCipherText("foob"), "Zm9vYg==");
    EXPECT_EQ(EncodeCipherText("fooba"), "Zm9vYmE=");
    EXPECT_EQ(EncodeCipherText("foobar"), "Zm9vYmFy");
    EXPECT_EQ(EncodeCipherText("\xfb\xff\xbf"), "()()");
    EXPECT_EQ(EncodeCipherText(std::string(1, '\0')), "AA==");
}

TEST(CipherText, DecodingRoundTripsEveryByteAtEveryPadding) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    for (std::size_t cut = 0; cut < 3; ++cut) {
        const std::string bytes = all.substr(cut);
        const auto decoded = DecodeCipherText(EncodeCipherText(bytes));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(*decoded, bytes);
    }
    EXPECT_EQ(DecodeCipherText("Zm9vYg=="), "foob");
    EXPECT_EQ(DecodeCipherText("Zm9vYmE="), "fooba");
}
