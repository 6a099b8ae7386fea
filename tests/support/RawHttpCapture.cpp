#include "support/RawHttpCapture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <stdexcept>

RawHttpCapture::RawHttpCapture(std::string rawResponse, std::optional<TlsIdentity> tls)
    : m_response(std::move(rawResponse)), m_tls(std::move(tls)) {
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (m_listener < 0 || bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(m_listener, 1) != 0 || getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        throw std::runtime_error("the capture cannot listen on loopback");
    }
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { Serve(); });
}

RawHttpCapture::~RawHttpCapture() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
    close(m_listener);
}

std::string RawHttpCapture::Captured() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
    return m_captured;
}

namespace {

// The server side of one TLS connection on `fd`; null when the handshake failed.
std::unique_ptr<SSL, decltype(&SSL_free)> AcceptTls(SSL_CTX* context, const TlsIdentity& identity, int fd) {
    std::unique_ptr<SSL, decltype(&SSL_free)> none(nullptr, &SSL_free);
    BIO* certificate =
        BIO_new_mem_buf(identity.certificatePem.data(), static_cast<int>(identity.certificatePem.size()));
    BIO* key = BIO_new_mem_buf(identity.keyPem.data(), static_cast<int>(identity.keyPem.size()));
    X509* x509 = PEM_read_bio_X509(certificate, nullptr, nullptr, nullptr);
    EVP_PKEY* pkey = PEM_read_bio_PrivateKey(key, nullptr, nullptr, nullptr);
    const bool loaded = x509 != nullptr && pkey != nullptr && SSL_CTX_use_certificate(context, x509) == 1 &&
                        SSL_CTX_use_PrivateKey(context, pkey) == 1;
    X509_free(x509);
    EVP_PKEY_free(pkey);
    BIO_free(certificate);
    BIO_free(key);
    if (!loaded) {
        return none;
    }
    std::unique_ptr<SSL, decltype(&SSL_free)> ssl(SSL_new(context), &SSL_free);
    if (!ssl || SSL_set_fd(ssl.get(), fd) != 1 || SSL_accept(ssl.get()) != 1) {
        return none;
    }
    return ssl;
}

} // namespace

void RawHttpCapture::Serve() {
    pollfd waiting{m_listener, POLLIN, 0};
    if (poll(&waiting, 1, 10000) <= 0) {
        return;
    }
    int conn = accept(m_listener, nullptr, nullptr);
    if (conn < 0) {
        return;
    }
    timeval limit{10, 0};
    setsockopt(conn, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(nullptr, &SSL_CTX_free);
    std::unique_ptr<SSL, decltype(&SSL_free)> ssl(nullptr, &SSL_free);
    if (m_tls) {
        // The library writes to the socket itself, without a way to say "no signal": a client that hangs up
        // on a certificate it refuses must not end the test.
        std::signal(SIGPIPE, SIG_IGN);
        context.reset(SSL_CTX_new(TLS_server_method()));
        ssl = context ? AcceptTls(context.get(), *m_tls, conn) : std::move(ssl);
        if (!ssl) {
            close(conn);
            return;
        }
    }
    char buffer[4096];
    size_t wanted = std::string::npos;
    while (wanted == std::string::npos || m_captured.size() < wanted) {
        const ssize_t n = ssl ? SSL_read(ssl.get(), buffer, sizeof buffer) : recv(conn, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        m_captured.append(buffer, static_cast<size_t>(n));
        size_t headerEnd = m_captured.find("\r\n\r\n");
        if (wanted == std::string::npos && headerEnd != std::string::npos) {
            size_t length = 0;
            size_t at = m_captured.find("Content-Length: ");
            if (at != std::string::npos && at < headerEnd) {
                length = std::strtoul(m_captured.c_str() + at + 16, nullptr, 10);
            }
            wanted = headerEnd + 4 + length;
        }
    }
    if (ssl) {
        SSL_write(ssl.get(), m_response.data(), static_cast<int>(m_response.size()));
        SSL_shutdown(ssl.get());
    } else {
        send(conn, m_response.data(), m_response.size(), MSG_NOSIGNAL);
    }
    shutdown(conn, SHUT_RDWR);
    close(conn);
}
