#pragma once

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstdint>
#include <cstdio>
#include <string>

// A fresh Ed25519 key pair as PEM texts, made straight with OpenSSL, and the publisher's signed statement of a
// file written out by hand, so that it shares no mistake with the updater's own statement code.
struct UpdateKeys {
    std::string privatePem;
    std::string publicPem;

    UpdateKeys() {
        EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519");
        privatePem = Pem(key, true);
        publicPem = Pem(key, false);
        EVP_PKEY_free(key);
    }

    // What follows the name's NUL in the file information: "SIG2", the signature and the statement with its NUL.
    std::string Statement(const std::string& name, const std::string& version, std::size_t size, std::uint32_t action,
                          const std::string& bytes) const {
        unsigned char digest[32];
        unsigned int length = 0;
        EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
        std::string hex;
        char two[3];
        for (unsigned char c : digest) {
            std::snprintf(two, sizeof two, "%02x", c);
            hex += two;
        }
        const std::string text = "Halvren update statement 2\nname=" + name + "\nversion=" + version +
                                 "\nsize=" + std::to_string(size) + "\naction=" + std::to_string(action) +
                                 "\nsha256=" + hex + "\n";
        return "SIG2" + Sign(text) + text + std::string(1, '\0');
    }

    std::string Sign(const std::string& message) const {
        BIO* bio = BIO_new_mem_buf(privatePem.data(), static_cast<int>(privatePem.size()));
        EVP_PKEY* key = PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
        BIO_free(bio);
        EVP_MD_CTX* context = EVP_MD_CTX_new();
        std::string signature(64, '\0');
        std::size_t size = signature.size();
        EVP_DigestSignInit(context, nullptr, nullptr, nullptr, key);
        EVP_DigestSign(context, reinterpret_cast<unsigned char*>(signature.data()), &size,
                       reinterpret_cast<const unsigned char*>(message.data()), message.size());
        EVP_MD_CTX_free(context);
        EVP_PKEY_free(key);
        return signature;
    }

private:
    static std::string Pem(EVP_PKEY* key, bool isPrivate) {
        BIO* bio = BIO_new(BIO_s_mem());
        if (isPrivate) {
            PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
        } else {
            PEM_write_bio_PUBKEY(bio, key);
        }
        char* data = nullptr;
        const long size = BIO_get_mem_data(bio, &data);
        std::string pem(data, static_cast<std::size_t>(size));
        BIO_free(bio);
        return pem;
    }
};
