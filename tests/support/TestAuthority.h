#pragma once

#include <memory>
#include <string>

// A certificate and its private key, both PEM.
struct TlsIdentity {
    std::string certificatePem;
    std::string keyPem;
};

// A certificate authority made for one test with the real TLS library: it issues server certificates for a
// host (a dotted address or a name), also ones out of their time.
class TestAuthority {
public:
    explicit TestAuthority(const std::string& name);
    ~TestAuthority();
    TestAuthority(const TestAuthority&) = delete;
    TestAuthority& operator=(const TestAuthority&) = delete;

    std::string CertificatePem() const;
    // Valid from `fromDays` to `untilDays` days from now.
    TlsIdentity Issue(const std::string& host, long fromDays = -1, long untilDays = 30) const;

private:
    struct Keys;
    std::unique_ptr<Keys> m_keys;
};
