#pragma once

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <string>

// A fresh Ed25519 key pair as PEM texts, made straight with OpenSSL.
struct UpdateKeys {
    std::string privatePem;
    std::string publicPem;

    UpdateKeys() {
        EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519");
        privatePem = Pem(key, true);
        publicPem = Pem(key, false);
        EVP_PKEY_free(key);
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
