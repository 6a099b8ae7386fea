#include "support/TestAuthority.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <functional>
#include <stdexcept>

namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Certificate = std::unique_ptr<X509, decltype(&X509_free)>;

Key NewKey() {
    Key key(EVP_EC_gen("P-256"), &EVP_PKEY_free);
    if (!key) {
        throw std::runtime_error("no key");
    }
    return key;
}

std::string Pem(const std::function<int(BIO*)>& write) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), &BIO_free);
    if (!bio || write(bio.get()) != 1) {
        throw std::runtime_error("cannot write PEM");
    }
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<size_t>(size));
}

void AddExtension(X509* certificate, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    if (extension == nullptr || X509_add_ext(certificate, extension, -1) != 1) {
        throw std::runtime_error("cannot add an extension");
    }
    X509_EXTENSION_free(extension);
}

Certificate NewCertificate(const std::string& commonName, EVP_PKEY* key, long serial, long fromDays, long untilDays) {
    Certificate certificate(X509_new(), &X509_free);
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), serial);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), fromDays * 86400);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), untilDays * 86400);
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(commonName.c_str()),
                               -1, -1, 0);
    X509_set_pubkey(certificate.get(), key);
    return certificate;
}

} // namespace

struct TestAuthority::Keys {
    Key key = NewKey();
    Certificate certificate{nullptr, &X509_free};
    long issued = 1;
};

TestAuthority::TestAuthority(const std::string& name) : m_keys(std::make_unique<Keys>()) {
    m_keys->certificate = NewCertificate(name, m_keys->key.get(), 1, -1, 365);
    X509* ca = m_keys->certificate.get();
    X509_set_issuer_name(ca, X509_get_subject_name(ca));
    AddExtension(ca, ca, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(ca, ca, NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(ca, ca, NID_subject_key_identifier, "hash");
    if (X509_sign(ca, m_keys->key.get(), EVP_sha256()) == 0) {
        throw std::runtime_error("cannot sign the authority");
    }
}

TestAuthority::~TestAuthority() = default;

std::string TestAuthority::CertificatePem() const {
    return Pem([&](BIO* bio) { return PEM_write_bio_X509(bio, m_keys->certificate.get()); });
}

TlsIdentity TestAuthority::Issue(const std::string& host, long fromDays, long untilDays) const {
    Key key = NewKey();
    Certificate certificate = NewCertificate(host, key.get(), ++m_keys->issued, fromDays, untilDays);
    X509* leaf = certificate.get();
    X509_set_issuer_name(leaf, X509_get_subject_name(m_keys->certificate.get()));
    in_addr address{};
    AddExtension(leaf, m_keys->certificate.get(), NID_subject_alt_name,
                 (inet_pton(AF_INET, host.c_str(), &address) == 1 ? "IP:" : "DNS:") + host);
    AddExtension(leaf, m_keys->certificate.get(), NID_ext_key_usage, "serverAuth");
    AddExtension(leaf, m_keys->certificate.get(), NID_authority_key_identifier, "keyid");
    if (X509_sign(leaf, m_keys->key.get(), EVP_sha256()) == 0) {
        throw std::runtime_error("cannot sign the certificate");
    }
    return {Pem([&](BIO* bio) { return PEM_write_bio_X509(bio, leaf); }), Pem([&](BIO* bio) {
                return PEM_write_bio_PrivateKey(bio, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
            })};
}
