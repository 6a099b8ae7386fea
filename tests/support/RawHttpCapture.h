#pragma once

#include "support/TestAuthority.h"

#include <optional>
#include <string>
#include <thread>

// A loopback listener that takes exactly one HTTP request, keeps its bytes exactly as they came over the
// wire (request line, header lines, body) and answers with a canned raw response. With an identity it
// speaks TLS and keeps the bytes inside it; a client that refuses the certificate leaves nothing captured.
class RawHttpCapture {
public:
    explicit RawHttpCapture(std::string rawResponse, std::optional<TlsIdentity> tls = std::nullopt);
    ~RawHttpCapture();
    RawHttpCapture(const RawHttpCapture&) = delete;
    RawHttpCapture& operator=(const RawHttpCapture&) = delete;

    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    // Waits for the exchange to end and returns the request bytes.
    std::string Captured();

private:
    void Serve();

    int m_listener = -1;
    int m_port = 0;
    std::string m_response;
    std::optional<TlsIdentity> m_tls;
    std::string m_captured;
    std::thread m_thread;
};
