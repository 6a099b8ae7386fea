#pragma once

#include <optional>
#include <string>

#include "platform/DynamicLibrary.h"

// The client's hold on the Kavrel cipher library: loads it from the program folder at run time and
// encrypts and decrypts texts with the client's fixed pass phrase. The Environment owns one.
class CipherLibrary {
public:
    static constexpr const char* kFileName = "libKavrel.so";

    CipherLibrary();
    ~CipherLibrary(); // unloads
    CipherLibrary(const CipherLibrary&) = delete;
    CipherLibrary& operator=(const CipherLibrary&) = delete;

    // Full path of the library file; false when it is missing, not a library, or without CryptString.
    bool Load(const std::string& libraryPath);
    bool IsLoaded() const;
    void Unload();

    // std::nullopt on failure; never hands back plain text where cipher text belongs.
    // An empty text gives the empty text without calling the library.
    // Encryption refuses a text whose cipher text would not fit the 1024-byte call buffer (more than 759 bytes),
    // and checks that the library handed back cipher text of exactly the length its input calls for.
    std::optional<std::string> EncryptText(const std::string& plain) const;
    // Decryption fails when the plain text is not as long as the cipher text says: that is the case when the
    // library left the text as it was (not cipher text, or the cipher failed) and when the cipher text was made
    // with another pass phrase.
    std::optional<std::string> DecryptText(const std::string& cipherText) const;

private:
    using CryptStringFunction = int (*)(const char* passPhrase, char* text, int mode);

    std::optional<std::string> Call(const std::string& text, int mode) const;

    platform::DynamicLibrary m_library;
    CryptStringFunction m_cryptString = nullptr;
};
