#include "client/env/CipherLibrary.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>

#include "platform/Codec.h"
#include "platform/DynamicLibrary.h"
#include "support/TempDir.h"

namespace {

const std::string kSsn = "8001011234567";
const std::string kSsnCipher = "o4))7Mo4VnqDuSR090R7Fg==";

std::string Cp949(const char* utf8) {
    return platform::Utf8ToCp949(utf8).value();
}

// What the library makes of a text with a pass phrase of the caller's choice.
std::string CryptWith(const std::string& passPhrase, const std::string& text, int mode) {
    platform::DynamicLibrary library;
    EXPECT_TRUE(library.Load(HALVREN_KAVREL_PATH));
    auto* crypt = reinterpret_cast<int (*)(const char*, char*, int)>(library.Symbol("CryptString"));
    EXPECT_NE(crypt, nullptr);
    std::string buffer = text;
    buffer.resize(1025, '\0');
    crypt(passPhrase.c_str(), buffer.data(), mode);
    return buffer.c_str();
}

class CipherLibraryTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_cipher.Load(HALVREN_KAVREL_PATH)); }
    CipherLibrary m_cipher;
};

} // namespace

TEST_F(CipherLibraryTest, EncryptsWithTheFixedPassPhrase) {
    EXPECT_TRUE(m_cipher.IsLoaded());
    EXPECT_EQ(m_cipher.EncryptText(kSsn), kSsnCipher);
    EXPECT_EQ(m_cipher.DecryptText(kSsnCipher), kSsn);

    const std::string passPhrase = Cp949("482가나다라마바 사아자차-카타482파하");
    for (const std::string& text : {Cp949("홍길동"), Cp949("서울특별시 종로구 세종대로 209"), std::string("010")}) {
        const auto cipherText = m_cipher.EncryptText(text);
        ASSERT_TRUE(cipherText);
        EXPECT_EQ(*cipherText, CryptWith(passPhrase, text, 1));
        EXPECT_EQ(m_cipher.DecryptText(*cipherText), text);
    }
}

TEST(CipherLibrary, EmptyTextPassesWithoutTheLibrary) {
    CipherLibrary cipher;
    EXPECT_FALSE(cipher.IsLoaded());
    EXPECT_EQ(cipher.EncryptText(""), "");
    EXPECT_EQ(cipher.DecryptText(""), "");
    EXPECT_FALSE(cipher.EncryptText(kSsn));
    EXPECT_FALSE(cipher.DecryptText(kSsnCipher));
}

TEST_F(CipherLibraryTest, RefusesTextsTheCallBufferCannotTake) {
    const std::string longest(759, 'x');
    const auto cipherText = m_cipher.EncryptText(longest);
    ASSERT_TRUE(cipherText);
    EXPECT_EQ(cipherText->size(), 1016u);
    EXPECT_EQ(m_cipher.DecryptText(*cipherText), longest);

    EXPECT_FALSE(m_cipher.EncryptText(std::string(760, 'x')));
    EXPECT_FALSE(m_cipher.EncryptText(std::string(5000, 'x')));
    EXPECT_FALSE(m_cipher.DecryptText(std::string(1024, 'A')));
    EXPECT_FALSE(m_cipher.DecryptText(std::string(4096, 'A')));
    // A zero byte would cut the text short inside the library.
    EXPECT_FALSE(m_cipher.EncryptText(std::string("800101\0"
                                                  "1234567",
                                                  14)));
    EXPECT_FALSE(m_cipher.DecryptText(kSsnCipher + std::string(1, '\0') + "AAAA"));
}

TEST_F(CipherLibraryTest, DecryptionFailsForWhatIsNotItsCipherText) {
    EXPECT_FALSE(m_cipher.DecryptText(kSsn));                       // not cipher text at all
    EXPECT_FALSE(m_cipher.DecryptText("o4++7Mo4VnqDuSR090R7Fg==")); // standard Base64 characters
    EXPECT_FALSE(m_cipher.DecryptText("o4))7Mo4VnqDuSR090R7Fg="));  // short last group
    EXPECT_FALSE(m_cipher.DecryptText("AAAAAAAAAAAA"));             // no whole cipher block
    EXPECT_FALSE(m_cipher.DecryptText(CryptWith(Cp949("다른 암호"), kSsn, 1)));
}

TEST(CipherLibrary, LoadFailsWithoutAUsableLibrary) {
    TempDir folder;
    CipherLibrary cipher;
    EXPECT_FALSE(cipher.Load((folder.Path() / CipherLibrary::kFileName).string()));
    EXPECT_FALSE(cipher.Load(folder.Write(CipherLibrary::kFileName, "not a library").string()));
    EXPECT_FALSE(cipher.IsLoaded());

    // A real shared library that lacks the export: the C library itself.
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&std::abort), &info), 0);
    EXPECT_FALSE(cipher.Load(info.dli_fname));
    EXPECT_FALSE(cipher.IsLoaded());
    EXPECT_FALSE(cipher.EncryptText(kSsn));

    ASSERT_TRUE(cipher.Load(HALVREN_KAVREL_PATH));
    cipher.Unload();
    EXPECT_FALSE(cipher.IsLoaded());
    EXPECT_FALSE(cipher.EncryptText(kSsn));
}

TEST(CipherLibrary, FailedEncryptionNeverGivesThePlainText) {
    // The library leaves the plain text in the buffer when its crypto provider fails. Take the provider away in a
    // fresh process: an OpenSSL configuration that activates only the provider without algorithms.
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempDir folder;
    const auto config = folder.Write("openssl.cnf", "openssl_conf = init\n[init]\nproviders = providers\n"
                                                    "[providers]\nnull = null\n[null]\nactivate = 1\n");
    setenv("OPENSSL_CONF", config.c_str(), 1);
    EXPECT_EXIT(
        {
            CipherLibrary cipher;
            const bool refused =
                cipher.Load(HALVREN_KAVREL_PATH) && !cipher.EncryptText(kSsn) && !cipher.DecryptText(kSsnCipher);
            std::exit(refused ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    unsetenv("OPENSSL_CONF");
    GTEST_FLAG_SET(death_test_style, style);
}
