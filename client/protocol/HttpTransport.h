#pragma once

#include "platform/Http.h"

#include <memory>
#include <string>

// Carries one request text to the reporting centre as the body of an HTTP POST and reads the reply text
// back. One exchange at a time; between exchanges only what the HTTP library keeps for reuse stays (its
// connections, its verified TLS sessions).
class HttpTransport {
public:
    static constexpr const char* kObjectPath = "/Morvane/vesk/VeskManager.jsp";
    static constexpr const char* kHeaderLine = "Content-Type:application/x-www-form-urlencoded; charset=EUC-KR";
    static constexpr const char* kAgentName = "Halvren";
    static constexpr const char* kDefaultServerHost = "127.0.0.1";
    static constexpr const char* kFailureMarker = "Exception!!!";

    HttpTransport();
    ~HttpTransport();
    HttpTransport(const HttpTransport&) = delete;
    HttpTransport& operator=(const HttpTransport&) = delete;

    // "host" or "host:port": plain HTTP, port 80 when none. "https://host[:port]": TLS with the centre's
    // certificate verified, port 443 when none.
    void SetServer(const std::string& host);
    const std::string& ServerHost() const { return m_serverHost; }
    // The PEM file of the authorities an https centre must chain to; empty: the system's trust store.
    void SetTrustedAuthorities(const std::string& caFile) { m_options.caFile = caFile; }

    // Time limits of one exchange. The defaults (connect 10 s, whole exchange 30 s) suit the centre.
    void SetTimeLimits(long connectMs, long totalMs);

    // Prepares the request for the object path on the server host. Used by Send.
    bool Open();
    // Posts "StrRequest=" + the request text, bytes unchanged. False when nothing came back; then no
    // handle is left open and no message is shown.
    bool Send(const std::string& requestText);
    // After a false Send: the https centre could not be verified, so nothing was sent.
    bool Untrusted() const { return m_untrusted; }
    // The trimmed reply text, or "Exception!!!" when the reply could not be read. Closes the exchange.
    std::string Receive();
    // Releases the request under way, if any.
    void Close();

    // Joins the reply body the way the centre's replies are read: pieces of at most 1022 bytes that end
    // after a line feed, carriage returns dropped, each piece cut at its first NUL byte; then trimmed.
    static std::string AssembleReply(const std::string& body);

private:
    // The session lasts from one exchange to the next (connections, TLS sessions, trust anchors); the
    // request is the exchange under way.
    platform::HttpSession m_session;
    std::unique_ptr<platform::HttpExchange> m_request;
    platform::HttpExchange::Outcome m_outcome = platform::HttpExchange::Outcome::NoReply;
    bool m_untrusted = false;
    std::string m_serverHost;
    platform::HttpExchange::Options m_options;
};
