#include "client/env/CipherLibrary.h"

#include <array>
#include <cstring>

#include "cipher/CipherText.h"

namespace {

// "482가나다라마바 사아자차-카타482파하" in code page 949, 36 bytes; the server deciphers with the same.
constexpr char kPassPhrase[] = "\x34\x38\x32\xb0\xa1\xb3\xaa\xb4\xd9\xb6\xf3\xb8\xb6\xb9\xd9\x20\xbb\xe7"
                               "\xbe\xc6\xc0\xda\xc2\xf7\x2d\xc4\xab\xc5\xb8\x34\x38\x32\xc6\xc4\xc7\xcf";

constexpr std::size_t kBufferSize = 1024;
constexpr int kEncrypt = 1;
constexpr int kDecrypt = 0;

bool HasCipherTextForm(const std::string& text, std::size_t plainLength) {
    if (text.size() != kavrel::CipherTextLength(plainLength)) {
        return false;
    }
    const std::size_t padding = (3 - kavrel::CipherByteLength(plainLength) % 3) % 3;
    const std::size_t body = text.size() - padding;
    return text.find_first_not_of(kavrel::kCipherAlphabet) == (padding == 0 ? std::string::npos : body) &&
           text.find_first_not_of('=', body) == std::string::npos;
}

} // namespace

CipherLibrary::CipherLibrary() = default;

CipherLibrary::~CipherLibrary() {
    Unload();
}

bool CipherLibrary::Load(const std::string& libraryPath) {
    Unload();
    if (!m_library.Load(libraryPath)) {
        return false;
    }
    m_cryptString = reinterpret_cast<CryptStringFunction>(m_library.Symbol("CryptString"));
    if (m_cryptString == nullptr) {
        m_library.Unload();
        return false;
    }
    return true;
}

bool CipherLibrary::IsLoaded() const {
    return m_cryptString != nullptr;
}

void CipherLibrary::Unload() {
    m_cryptString = nullptr;
    m_library.Unload();
}

std::optional<std::string> CipherLibrary::EncryptText(const std::string& plain) const {
    if (plain.empty()) {
        return std::string();
    }
    if (kavrel::CipherTextLength(plain.size()) >= kBufferSize) {
        return std::nullopt;
    }
    std::optional<std::string> cipherText = Call(plain, kEncrypt);
    // A failed encryption leaves the plain text in the buffer; it must never be stored or sent as cipher text.
    if (cipherText && !HasCipherTextForm(*cipherText, plain.size())) {
        return std::nullopt;
    }
    return cipherText;
}

std::optional<std::string> CipherLibrary::DecryptText(const std::string& cipherText) const {
    if (cipherText.empty()) {
        return std::string();
    }
    std::optional<std::string> plain = Call(cipherText, kDecrypt);
    // The zero bytes added at encryption end the plain text, so its length fixes the cipher text's length.
    if (plain && kavrel::CipherTextLength(plain->size()) != cipherText.size()) {
        return std::nullopt;
    }
    return plain;
}

std::optional<std::string> CipherLibrary::Call(const std::string& text, int mode) const {
    // The library sees a terminated string: a text with a zero byte inside would be cut short.
    if (m_cryptString == nullptr || text.size() >= kBufferSize || text.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    std::array<char, kBufferSize> buffer{};
    std::memcpy(buffer.data(), text.data(), text.size());
    if (m_cryptString(kPassPhrase, buffer.data(), mode) != 1) {
        return std::nullopt;
    }
    buffer.back() = '\0';
    return std::string(buffer.data());
}
