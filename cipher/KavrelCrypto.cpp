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

} // namespace

std::optional<Md5Digest> Md5(std::string_view bytes) {
    Md5Digest digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_md5(), nullptr) != 1 ||
        length != digest.size()) {
        ReportFailure();
        return std::nullopt;
    }
    return digest;
}

std::optional<TripleDesKey> DeriveKey(std::string_view passPhrase) {
    const std::optional<Md5Digest> hash = Md5(passPhrase);
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
    const std::optional<Md5Digest> first = Md5({inner.data(), inner.size()});
    const std::optional<Md5Digest> second = first ? Md5({outer.data(), outer.size()}) : std::nullopt;
    if (!second) {
        return std::nullopt;
    }
    TripleDesKey key;
    std::copy(first->begin(), first->end(), key.begin());
    std::copy(second->begin(), second->begin() + 8, key.begin() + 16);
    return key;
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

} // namespace kavrel
