#include "cipher/CryptString.h"

#include <array>
#include <cstring>
#include <string>

#include "cipher/CipherText.h"
#include "cipher/KavrelCrypto.h"

namespace {

constexpr std::size_t kMaxPlainLength = 767;
constexpr std::size_t kMaxCipherTextLength = 1023;

// Each thread keeps its own fetched algorithms and keyed contexts: callers on several threads never share one.
kavrel::KeyedTripleDes& ThreadCipher() {
    thread_local kavrel::KeyedTripleDes cipher;
    return cipher;
}

void Encrypt(std::string_view passPhrase, char* text, std::size_t length) {
    // 1 to 8 zero bytes, never none: decryption ends the text at the first of them.
    std::array<unsigned char, kavrel::CipherByteLength(kMaxPlainLength)> block{};
    std::memcpy(block.data(), text, length);
    const std::size_t size = kavrel::CipherByteLength(length);
    if (!ThreadCipher().Run(passPhrase, block.data(), size, block.data(), true)) {
        return;
    }
    const std::string encoded = kavrel::EncodeCipherText({reinterpret_cast<const char*>(block.data()), size});
    std::memcpy(text, encoded.c_str(), encoded.size() + 1);
}

void Decrypt(std::string_view passPhrase, char* text, std::string& bytes) {
    auto* data = reinterpret_cast<unsigned char*>(bytes.data());
    if (!ThreadCipher().Run(passPhrase, data, bytes.size(), data, false)) {
        return;
    }
    // Never longer than the cipher text it came from, so it fits the caller's buffer.
    std::memcpy(text, bytes.data(), bytes.size());
    text[bytes.size()] = '\0';
}

} // namespace

int CryptString(const char* passPhrase, char* text, int mode) {
    if (passPhrase == nullptr || text == nullptr) {
        return -1;
    }
    const bool encrypt = (mode & 0xFF) == 1;
    const std::size_t length = std::strlen(text);
    if (length > (encrypt ? kMaxPlainLength : kMaxCipherTextLength)) {
        return -1;
    }
    try {
        std::optional<std::string> bytes;
        if (!encrypt) {
            bytes = kavrel::DecodeCipherText({text, length});
            if (!bytes) {
                return 1; // not cipher text: left as it was
            }
        }
        if (encrypt) {
            Encrypt(passPhrase, text, length);
        } else {
            Decrypt(passPhrase, text, *bytes);
        }
    } catch (...) {
        // No exception may cross into the caller; the buffer keeps what it held.
    }
    return 1;
}
