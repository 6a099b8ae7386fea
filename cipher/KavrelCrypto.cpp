#include "cipher/KavrelCrypto.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>

#include <openssl/err.h>
#include <openssl/evp.h>

namespace kavrel {
namespace {

void ReportFailure() {
    char text[256];
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    std::printf("\nError : %s\n", text);
    std::fflush(stdout);
    ERR_clear_error();
}

std::optional<Md5Digest> Md5With(const EVP_MD* md5, std::string_view bytes) {
    Md5Digest digest{};
    unsigned int length = 0;
    if (md5 == nullptr || EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, md5, nullptr) != 1 ||
        length != digest.size()) {
        ReportFailure();
        return std::nullopt;
    }
    return digest;
}

std::optional<TripleDesKey> DeriveKeyWith(const EVP_MD* md5, std::string_view passPhrase) {
    const std::optional<Md5Digest> hash = Md5With(md5, passPhrase);
    if (!hash) {
        return std::nullopt;
    }
    std::array<char, 64> inner;
    std::array<char, 64> outer;
    inner.fill(0x36);
    outer.fill(0x5C);
    for (std::size_t i = 0; i < hash->size(); ++i) {
        inner[i] = static_cast<char>(inner[i] ^ (*hash)[i]);
        outer[i] = static_cast<char>(outer[i] ^ (*hash)[i]);
    }
    const std::optional<Md5Digest> first = Md5With(md5, {inner.data(), inner.size()});
    const std::optional<Md5Digest> second = first ? Md5With(md5, {outer.data(), outer.size()}) : std::nullopt;
    if (!second) {
        return std::nullopt;
    }
    TripleDesKey key;
    std::copy(first->begin(), first->end(), key.begin());
    std::copy(second->begin(), second->begin() + 8, key.begin() + 16);
    return key;
}

} // namespace

std::optional<Md5Digest> Md5(std::string_view bytes) {
    return Md5With(EVP_md5(), bytes);
}

std::optional<TripleDesKey> DeriveKey(std::string_view passPhrase) {
    return DeriveKeyWith(EVP_md5(), passPhrase);
}

std::optional<std::string> TripleDesCbc(const TripleDesKey& key, std::string_view bytes, bool encrypt) {
    if (bytes.size() > INT_MAX - 8) {
        return std::nullopt;
    }
    const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(),
                                                                                  EVP_CIPHER_CTX_free);
    const unsigned char vector[8] = {};
    std::string out(bytes.size() + 8, '\0');
    auto* outBytes = reinterpret_cast<unsigned char*>(out.data());
    int written = 0;
    int tail = 0;
    // Without padding the final step adds nothing, and refuses a last block that is not whole.
    if (!context ||
        EVP_CipherInit_ex2(context.get(), EVP_des_ede3_cbc(), key.data(), vector, encrypt ? 1 : 0, nullptr) != 1 ||
        EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1 ||
        EVP_CipherUpdate(context.get(), outBytes, &written, reinterpret_cast<const unsigned char*>(bytes.data()),
                         static_cast<int>(bytes.size())) != 1 ||
        EVP_CipherFinal_ex(context.get(), outBytes + written, &tail) != 1) {
        ReportFailure();
        return std::nullopt;
    }
    out.resize(static_cast<std::size_t>(written + tail));
    return out;
}

KeyedTripleDes::~KeyedTripleDes() {
    for (EVP_CIPHER_CTX* context : m_contexts) {
        EVP_CIPHER_CTX_free(context);
    }
    EVP_CIPHER_free(m_des);
    EVP_MD_free(m_md5);
}

bool KeyedTripleDes::Fetch() {
    // A failed fetch is not kept: the next call tries again, and reports again.
    if (!m_md5) {
        m_md5 = EVP_MD_fetch(nullptr, "MD5", nullptr);
    }
    if (!m_des) {
        m_des = EVP_CIPHER_fetch(nullptr, "DES-EDE3-ECB", nullptr);
    }
    for (EVP_CIPHER_CTX*& context : m_contexts) {
        if (!context) {
            context = EVP_CIPHER_CTX_new();
        }
    }
    if (!m_md5 || !m_des || !m_contexts[0] || !m_contexts[1]) {
        ReportFailure();
        return false;
    }
    return true;
}

bool KeyedTripleDes::SetKey(std::string_view passPhrase) {
    if (m_keyed && passPhrase == m_passPhrase) {
        return true;
    }
    m_keyed = false;
    const std::optional<TripleDesKey> key = DeriveKeyWith(m_md5, passPhrase);
    if (!key) {
        return false;
    }
    for (int encrypt = 0; encrypt < 2; ++encrypt) {
        EVP_CIPHER_CTX* context = m_contexts[static_cast<std::size_t>(encrypt)];
        if (EVP_CipherInit_ex2(context, m_des, key->data(), nullptr, encrypt, nullptr) != 1 ||
            EVP_CIPHER_CTX_set_padding(context, 0) != 1) {
            ReportFailure();
            return false;
        }
    }
    m_key = *key;
    m_passPhrase.assign(passPhrase);
    m_keyed = true;
    return true;
}

bool KeyedTripleDes::Run(std::string_view passPhrase, const unsigned char* in, std::size_t length, unsigned char* out,
                         bool encrypt) {
    if (!Fetch() || !SetKey(passPhrase)) {
        return false;
    }
    if (length % 8 != 0 || length > INT_MAX - 8) {
        // Not whole blocks: the plain chained cipher refuses them and reports OpenSSL's own reason.
        return TripleDesCbc(m_key, {reinterpret_cast<const char*>(in), length}, encrypt).has_value();
    }
    EVP_CIPHER_CTX* context = m_contexts[encrypt ? 1 : 0];
    int written = 0;
    if (encrypt) {
        // Each block is laid over the cipher of the one before (zeros for the first), then enciphered.
        unsigned char previous[8] = {};
        for (std::size_t at = 0; at < length; at += 8) {
            unsigned char block[8];
            for (int i = 0; i < 8; ++i) {
                block[i] = static_cast<unsigned char>(in[at + i] ^ previous[i]);
            }
            if (EVP_CipherUpdate(context, out + at, &written, block, 8) != 1 || written != 8) {
                ReportFailure();
                return false;
            }
            std::copy(out + at, out + at + 8, previous);
        }
        return true;
    }
    // All blocks deciphered at once, then each laid over the cipher block before it; the input is read before
    // it may be overwritten, so the chain is kept aside block by block.
    unsigned char previous[8] = {};
    unsigned char current[8];
    std::string plain(length, '\0');
    auto* plainBytes = reinterpret_cast<unsigned char*>(plain.data());
    if (EVP_CipherUpdate(context, plainBytes, &written, in, static_cast<int>(length)) != 1 ||
        static_cast<std::size_t>(written) != length) {
        ReportFailure();
        return false;
    }
    for (std::size_t at = 0; at < length; at += 8) {
        std::copy(in + at, in + at + 8, current);
        for (int i = 0; i < 8; ++i) {
            out[at + i] = static_cast<unsigned char>(plainBytes[at + i] ^ previous[i]);
        }
        std::copy(current, current + 8, previous);
    }
    return true;
}

} // namespace kavrel
