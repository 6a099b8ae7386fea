#include "client/protocol/HttpTransport.h"

#include "client/protocol/TextTrim.h"

#include <cstring>

HttpTransport::HttpTransport() : m_serverHost(kDefaultServerHost) {}

HttpTransport::~HttpTransport() {
    Close();
}

void HttpTransport::SetServer(const std::string& host) {
    m_serverHost = host;
}

void HttpTransport::SetTimeLimits(long connectMs, long totalMs) {
    m_options.limits.connectMs = connectMs;
    m_options.limits.totalMs = totalMs;
}

bool HttpTransport::Open() {
    Close();
    m_request = platform::HttpExchange::Open(m_session, m_serverHost, kObjectPath, kAgentName, m_options);
    return m_request != nullptr;
}

bool HttpTransport::Send(const std::string& requestText) {
    const std::string body = "StrRequest=" + requestText;
    m_untrusted = false;
    if (!Open()) {
        return false;
    }
    if (!m_request->AddHeader(kHeaderLine)) {
        Close();
        return false;
    }
    m_outcome = m_request->Post(body);
    m_untrusted = m_outcome == platform::HttpExchange::Outcome::Untrusted;
    if (m_outcome == platform::HttpExchange::Outcome::NoReply || m_untrusted) {
        Close();
        return false;
    }
    return true;
}

std::string HttpTransport::Receive() {
    if (m_request == nullptr || m_outcome != platform::HttpExchange::Outcome::Answered) {
        Close();
        return kFailureMarker;
    }
    std::string text = AssembleReply(m_request->ReplyBody());
    Close();
    return text;
}

void HttpTransport::Close() {
    m_request.reset();
    m_outcome = platform::HttpExchange::Outcome::NoReply;
}

std::string HttpTransport::AssembleReply(const std::string& body) {
    constexpr size_t kPieceBytes = 1022;
    std::string text;
    text.reserve(body.size());
    std::string piece;
    piece.reserve(kPieceBytes);
    auto flush = [&] {
        // A piece is a C string to the reader: what follows a NUL byte in it is lost.
        text.append(piece.data(), strnlen(piece.data(), piece.size()));
        piece.clear();
    };
    for (char c : body) {
        if (c == '\r') {
            continue;
        }
        piece.push_back(c);
        if (c == '\n' || piece.size() == kPieceBytes) {
            flush();
        }
    }
    flush();
    return TrimSpace(text);
}
