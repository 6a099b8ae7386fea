#include "cipher/CryptString.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "cipher/CipherText.h"
#include "cipher/KavrelCrypto.h"
#include "platform/Codec.h"

namespace {

constexpr int kEncrypt = 1;
constexpr int kDecrypt = 0;

const std::string& PassPhrase() {
    static const std::string phrase = platform::Utf8ToCp949("482가나다라마바 사아자차-카타482파하").value();
    return phrase;
}

struct Outcome {
    int result;
    std::string text;
};

// Calls the library on a buffer with just room for the longest result; whatever lies after the result's
// terminator must stay as it was.
Outcome Crypt(const std::string& text, int mode) {
    constexpr std::size_t kSize = 1025;
    std::vector<char> buffer(kSize + 16, '#');
    std::copy(text.begin(), text.end(), buffer.begin());
    buffer[text.size()] = '\0';
    const int result = CryptString(PassPhrase().c_str(), buffer.data(), mode);
    std::string out(buffer.data());
    const std::size_t end = std::max(out.size(), text.size()) + 1;
    for (std::size_t i = end; i < buffer.size(); ++i) {
        EXPECT_EQ(buffer[i], '#') << "written past the result at " << i;
    }
    return {result, out};
}

// Mixed code page 949 text: Hangul, digits, blanks, Latin. Cut at any byte, even inside a syllable.
std::string Cp949Text(std::size_t length) {
    static const std::string pattern = platform::Utf8ToCp949("서울시 강남구 역삼동 123-45 Apt 7호 ").value();
    std::string text;
    while (text.size() < length) {
        text += pattern;
    }
    return text.substr(0, length);
}

} // namespace

TEST(CryptString, MatchesTheReferenceVectors) {
    ASSERT_EQ(PassPhrase().size(), 36u);
    EXPECT_EQ(Crypt("8001011234567", kEncrypt).text, "o4))7Mo4VnqDuSR090R7Fg==");
    EXPECT_EQ(Crypt("", kEncrypt).text, "rgoZhuoBVpc=");
    EXPECT_EQ(Crypt("o4))7Mo4VnqDuSR090R7Fg==", kDecrypt).text, "8001011234567");
    EXPECT_EQ(Crypt("rgoZhuoBVpc=", kDecrypt).text, "");
}

TEST(CryptString, RoundTripsEveryLengthWithTheSizeOfTheFormula) {
    const auto key = kavrel::DeriveKey(PassPhrase());
    ASSERT_TRUE(key);
    for (std::size_t n = 0; n <= 767; ++n) {
        const std::string plain = Cp949Text(n);
        const Outcome encrypted = Crypt(plain, kEncrypt);
        ASSERT_EQ(encrypted.result, 1) << n;
        ASSERT_EQ(encrypted.text.size(), kavrel::CipherTextLength(n)) << n;
        const std::size_t body = encrypted.text.find_last_not_of('=') + 1;
        EXPECT_EQ(encrypted.text.find_first_not_of(kavrel::kCipherAlphabet),
                  body == encrypted.text.size() ? std::string::npos : body)
            << n;
        EXPECT_EQ(Crypt(plain, kEncrypt).text, encrypted.text) << "not the same twice at " << n;
        if (encrypted.text.size() < 1024) {
            EXPECT_EQ(Crypt(encrypted.text, kDecrypt).text, plain) << n;
        } else {
            // 760 to 767 bytes give 1024 characters, which the library does not take back.
            EXPECT_EQ(Crypt(encrypted.text, kDecrypt).result, -1) << n;
            const auto bytes = kavrel::DecodeCipherText(encrypted.text);
            ASSERT_TRUE(bytes);
            const auto padded = kavrel::TripleDesCbc(*key, *bytes, false);
            ASSERT_TRUE(padded);
            EXPECT_EQ(padded->substr(0, n), plain);
            EXPECT_EQ(padded->find_first_not_of('\0', n), std::string::npos);
        }
    }
    EXPECT_EQ(kavrel::CipherTextLength(8), 24u); // a whole block gets a whole block of padding
}

TEST(CryptString, RefusesTooLongTextsAndLeavesThemUntouched) {
    EXPECT_EQ(Crypt(Cp949Text(767), kEncrypt).text.size(), 1024u);
    const Outcome tooLong = Crypt(Cp949Text(768), kEncrypt);
    EXPECT_EQ(tooLong.result, -1);
    EXPECT_EQ(tooLong.text, Cp949Text(768));

    const std::string longest(1023, 'A'); // its decoding fails: not a whole number of groups
    const Outcome decoded = Crypt(longest, kDecrypt);
    EXPECT_EQ(decoded.result, 1);
    EXPECT_EQ(decoded.text, longest);
    const std::string refused(1024, 'A');
    const Outcome refusedOutcome = Crypt(refused, kDecrypt);
    EXPECT_EQ(refusedOutcome.result, -1);
    EXPECT_EQ(refusedOutcome.text, refused);

    char text[] = "8001011234567";
    EXPECT_EQ(CryptString(nullptr, text, kEncrypt), -1);
    EXPECT_EQ(CryptString(PassPhrase().c_str(), nullptr, kEncrypt), -1);
    EXPECT_STREQ(text, "8001011234567");
}

TEST(CryptString, LeavesTextThatFailsToDecodeAsItWas) {
    const char* broken[] = {
        "o4))7Mo4VnqDuSR090R7Fg=",  // short last group
        "o4))7Mo4VnqDuSR090R7F===", // "=" in the second place of a group
        "o4))7Mo4VnqDuSR090R7Fg=A", // "=" in the third place, not in the fourth
        "o4))7Mo4VnqDuSR0=0R7Fg==", // "=" in the first place
        "o4++7Mo4VnqDuSR090R7Fg==", // standard Base64's 62
        "o4//7Mo4VnqDuSR090R7Fg==", // standard Base64's 63
        "o4))7Mo4Vnq*uSR090R7Fg==", // outside the alphabet
        "8001011234567",
    };
    for (const char* text : broken) {
        const Outcome outcome = Crypt(text, kDecrypt);
        EXPECT_EQ(outcome.result, 1) << text;
        EXPECT_EQ(outcome.text, text);
    }
}

TEST(CryptString, DecryptedTextEndsAtTheFirstZeroByte) {
    const auto key = kavrel::DeriveKey(PassPhrase());
    ASSERT_TRUE(key);
    const auto cipher = kavrel::TripleDesCbc(*key, std::string("abc\0defgh\0\0\0\0\0\0\0", 16), true);
    ASSERT_TRUE(cipher);
    EXPECT_EQ(Crypt(kavrel::EncodeCipherText(*cipher), kDecrypt).text, "abc");
}

TEST(CryptString, OnlyTheLowestByteOfTheModeCounts) {
    const std::string cipher = "o4))7Mo4VnqDuSR090R7Fg==";
    EXPECT_EQ(Crypt("8001011234567", 0x101).text, cipher);
    EXPECT_EQ(Crypt("8001011234567", -255).text, cipher); // lowest byte 0x01
    EXPECT_EQ(Crypt(cipher, 0x100).text, "8001011234567");
    EXPECT_EQ(Crypt(cipher, 2).text, "8001011234567");
}

// Callers on several threads at once, each switching between two pass phrases: every result is the one a
// lone caller gets.
TEST(CryptString, GivesTheSameResultsFromManyThreadsAndPassPhrases) {
    const std::string other = "another pass phrase";
    auto encryptWith = [](const std::string& passPhrase, const std::string& text) {
        std::vector<char> buffer(1025, '\0');
        std::copy(text.begin(), text.end(), buffer.begin());
        CryptString(passPhrase.c_str(), buffer.data(), kEncrypt);
        return std::string(buffer.data());
    };
    std::vector<std::string> texts;
    std::vector<std::string> expected;
    for (std::size_t n = 0; n < 40; ++n) {
        texts.push_back(Cp949Text(n * 7));
        expected.push_back(encryptWith(n % 2 ? other : PassPhrase(), texts.back()));
    }
    EXPECT_EQ(expected[0], "rgoZhuoBVpc=");
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 50; ++round) {
                for (std::size_t n = 0; n < texts.size(); ++n) {
                    const std::string& passPhrase = n % 2 ? other : PassPhrase();
                    const std::string cipher = encryptWith(passPhrase, texts[n]);
                    std::vector<char> buffer(cipher.begin(), cipher.end());
                    buffer.resize(1025, '\0');
                    CryptString(passPhrase.c_str(), buffer.data(), kDecrypt);
                    wrong += cipher != expected[n] || std::string(buffer.data()) != texts[n];
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong, 0);
}

TEST(CryptString, ReportsACipherFailureAndKeepsTheText) {
    // Twelve characters decode to nine bytes: not a whole block, so the cipher refuses them.
    testing::internal::CaptureStdout();
    const Outcome outcome = Crypt("AAAAAAAAAAAA", kDecrypt);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.text, "AAAAAAAAAAAA");
    EXPECT_EQ(printed.rfind("\nError : error:", 0), 0u) << printed;
    EXPECT_EQ(printed.back(), '\n');
}
