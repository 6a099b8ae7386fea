#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Ed25519 signatures over whole byte strings and SHA-256 digests, through the system's cryptography library.
// Keys are PEM texts.

inline constexpr std::size_t kEd25519SignatureSize = 64;
inline constexpr std::size_t kSha256Size = 32;

// True only when `signature` is a valid signature of `message` under the public key `publicKeyPem`; false for
// a key that is not an Ed25519 public key, and for a signature of the wrong length.
bool VerifyEd25519(std::string_view publicKeyPem, std::string_view message, std::string_view signature);

// The 64-byte signature of `message` under the private key `privateKeyPem`; nothing when the key is not an
// Ed25519 private key.
std::optional<std::string> SignEd25519(std::string_view privateKeyPem, std::string_view message);

// A SHA-256 digest taken piece by piece, so that a file is digested while it arrives.
class Sha256Digest {
public:
    Sha256Digest();
    ~Sha256Digest();
    Sha256Digest(const Sha256Digest&) = delete;
    Sha256Digest& operator=(const Sha256Digest&) = delete;

    void Update(std::string_view bytes);
    // The 32-byte digest of everything given; empty when the cryptography library failed on the way.
    std::string Final();

private:
    void* m_context; // the library's digest context
    bool m_ok;
};

// The 32-byte SHA-256 digest of `bytes`; empty only when the cryptography library fails.
std::string Sha256(std::string_view bytes);

} // namespace platform
