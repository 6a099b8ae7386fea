#include "platform/Signature.h"

#include <limits>
#include <memory>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

namespace platform {
namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Context = std::unique_ptr<EVP_MD_CTX, ContextFree>;

Key ReadKey(std::string_view pem, bool isPrivate) {
    if (pem.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return nullptr;
    }
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    if (bio == nullptr) {
        return nullptr;
    }
    Key key(isPrivate ? PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr)
                      : PEM_read_bio_PUBKEY(bio, nullptr, nullptr, nullptr));
    BIO_free(bio);
    if (key && EVP_PKEY_get_id(key.get()) != EVP_PKEY_ED25519) {
        key.reset();
    }
    return key;
}

} // namespace

bool VerifyEd25519(std::string_view publicKeyPem, std::string_view message, std::string_view signature) {
    if (signature.size() != kEd25519SignatureSize) {
        return false;
    }
    const Key key = ReadKey(publicKeyPem, false);
    const Context context(EVP_MD_CTX_new());
    if (!key || !context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1) {
        return false;
    }
    return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()), signature.size(),
                            reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
}

std::optional<std::string> SignEd25519(std::string_view privateKeyPem, std::string_view message) {
    const Key key = ReadKey(privateKeyPem, true);
    const Context context(EVP_MD_CTX_new());
    if (!key || !context || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1) {
        return std::nullopt;
    }
    std::string signature(kEd25519SignatureSize, '\0');
    std::size_t length = signature.size();
    if (EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &length,
                       reinterpret_cast<const unsigned char*>(message.data()), message.size()) != 1 ||
        length != kEd25519SignatureSize) {
        return std::nullopt;
    }
    return signature;
}

Sha256Digest::Sha256Digest() : m_context(EVP_MD_CTX_new()) {
    m_ok = m_context != nullptr && EVP_DigestInit_ex(static_cast<EVP_MD_CTX*>(m_context), EVP_sha256(), nullptr) == 1;
}

Sha256Digest::~Sha256Digest() {
    EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(m_context));
}

void Sha256Digest::Update(std::string_view bytes) {
    m_ok = m_ok && EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(m_context), bytes.data(), bytes.size()) == 1;
}

std::string Sha256Digest::Final() {
    std::string digest(kSha256Size, '\0');
    unsigned int length = 0;
    m_ok = m_ok &&
           EVP_DigestFinal_ex(static_cast<EVP_MD_CTX*>(m_context), reinterpret_cast<unsigned char*>(digest.data()),
                              &length) == 1 &&
           length == kSha256Size;
    return m_ok ? digest : std::string();
}

std::string Sha256(std::string_view bytes) {
    Sha256Digest digest;
    digest.Update(bytes);
    return digest.Final();
}

} // namespace platform
