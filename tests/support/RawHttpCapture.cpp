#include "support/RawHttpCapture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

RawHttpCapture::RawHttpCapture(std::string rawResponse) : m_response(std::move(rawResponse)) {
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

void RawHttpCapture::Serve() {
    pollfd waiting{m_listener, POLLIN, 0};
    if (poll(&waiting, 1, 10000) <= 0) {
        return;
    }
    int conn = accept(m_listener, nullptr, nullptr);
    if (conn < 0) {
        return;
    }
    char buffer[4096];
    size_t wanted = std::string::npos;
    while (wanted == std::string::npos || m_captured.size() < wanted) {
        pollfd readable{conn, POLLIN, 0};
        if (poll(&readable, 1, 10000) <= 0) {
            break;
        }
        ssize_t n = recv(conn, buffer, sizeof buffer, 0);
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
    send(conn, m_response.data(), m_response.size(), MSG_NOSIGNAL);
    shutdown(conn, SHUT_RDWR);
    close(conn);
}
