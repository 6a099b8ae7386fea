#include "cipher/CryptString.h"

#include <cstring>
#include <string>

#include "cipher/CipherText.h"
#include "cipher/KavrelCrypto.h"

namespace {

constexpr std::size_t kMaxPlainLength = 767;
constexpr std::size_t kMaxCipherTextLength = 1023;

void Encrypt(const kavrel::TripleDesKey& key, char* text, std::size_t length) {
    // 1 to 8 zero bytes, never none: decryption ends the text at the first of them.
    std::string block(text, length);
    block.append(8 - length % 8, '\0');
    const std::optional<std::string> cipher = kavrel::TripleDesCbc(key, block, true);
    if (!cipher) {
        return;
    }
    const std::string encoded = kavrel::EncodeCipherText(*cipher);
    std::memcpy(text, encoded.c_str(), encoded.size() + 1);
}

void Decrypt(const kavrel::TripleDesKey& key, char* text, const std::string& bytes) {
    const std::optional<std::string> plain = kavrel::TripleDesCbc(key, bytes, false);
    if (!plain) {
        return;
    }
    // Never longer than the cipher text it came from, so it fits the caller's buffer.
    std::memcpy(text, plain->data(), plain->size());
    text[plain->size()] = '\0';
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
        const std::optional<kavrel::TripleDesKey> key = kavrel::DeriveKey(passPhrase);
        if (!key) {
            return 1;
        }
        if (encrypt) {
            Encrypt(*key, text, length);
        } else {
            Decrypt(*key, text, *bytes);
        }
    } catch (...) {
        // No exception may cross into the caller; the buffer keeps what it held.
    }
    return 1;
}
