#include "cipher/KavrelCrypto.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 0x0F];
    }
    return hex;
}

std::string Bytes(std::string_view hex) {
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    }
    return bytes;
}

kavrel::TripleDesKey Key(std::string_view hex) {
    const std::string bytes = Bytes(hex);
    kavrel::TripleDesKey key{};
    std::copy(bytes.begin(), bytes.end(), key.begin());
    return key;
}

} // namespace

TEST(KavrelCrypto, Md5GivesTheRfc1321TestSuite) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [input, digest] : cases) {
        SCOPED_TRACE(input);
        const auto result = kavrel::Md5(input);
        EXPECT_TRUE(result);
        if (result) {
            EXPECT_EQ(Hex({reinterpret_cast<const char*>(result->data()), result->size()}), digest);
        }
    }
}

TEST(KavrelCrypto, TripleDesMatchesPublishedVectors) {
    // The three-key example of NIST SP 800-67: the first block of a chain from the zero vector is the bare cipher.
    const auto key = Key("0123456789abcdef23456789abcdef01456789abcdef0123");
    EXPECT_FALSE(kavrel::TripleDesCbc(key, "The qufck", true)); // not a whole block
    const auto block = kavrel::TripleDesCbc(key, "The qufc", true);
    ASSERT_TRUE(block);
    EXPECT_EQ(Hex(*block), "a826fd8ce53b855f");

    // NIST SP 800-20 known-answer test of the chained mode: zero vector, keys of parity-only bits.
    const auto parityKey = Key("010101010101010101010101010101010101010101010101");
    const auto known = kavrel::TripleDesCbc(parityKey, Bytes("8000000000000000"), true);
    ASSERT_TRUE(known);
    EXPECT_EQ(Hex(*known), "95f8a5e5dd31d900");
    const auto back = kavrel::TripleDesCbc(parityKey, Bytes("95f8a5e5dd31d900"), false);
    ASSERT_TRUE(back);
    EXPECT_EQ(Hex(*back), "8000000000000000");
}

// The keyed cipher that CryptString runs chains its blocks itself: it must give what the plain chained cipher
// gives, in both directions, for any number of blocks, in place, and after a change of pass phrase.
TEST(KavrelCrypto, KeyedCipherGivesThePlainChainedCipher) {
    kavrel::KeyedTripleDes keyed;
    std::string bytes;
    for (std::size_t length = 0; length <= 96; length += 8) {
        for (const std::string passPhrase : {"first phrase", "second"}) {
            const std::optional<kavrel::TripleDesKey> key = kavrel::DeriveKey(passPhrase);
            ASSERT_TRUE(key);
            for (bool encrypt : {true, false}) {
                const std::optional<std::string> expected = kavrel::TripleDesCbc(*key, bytes, encrypt);
                ASSERT_TRUE(expected);
                std::string buffer = bytes;
                auto* data = reinterpret_cast<unsigned char*>(buffer.data());
                ASSERT_TRUE(keyed.Run(passPhrase, data, buffer.size(), data, encrypt));
                EXPECT_EQ(buffer, *expected) << length << (encrypt ? " encrypt" : " decrypt");
            }
        }
        for (int i = 0; i < 8; ++i) {
            bytes += static_cast<char>(length * 8 + i * 37);
        }
    }
}
