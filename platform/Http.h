#pragma once

#include <memory>
#include <optional>
#include <string>

namespace platform {

// Where the centre is. "host[:port]" is plain HTTP (port 80 when none); "https://host[:port]" is TLS with the
// centre's certificate verified (port 443 when none).
struct ServerAddress {
    bool tls = false;
    std::string host; // name or dotted address, as written
    int port = 80;

    // "http://host:port" or "https://host:port".
    std::string Origin() const;
};
// Nothing for an empty or malformed address: no user name, path, query or blanks are taken.
std::optional<ServerAddress> ParseServerAddress(const std::string& text);

// The system HTTP library's handle, kept from one exchange to the next so that the library can reuse what it
// already has: a connection, a verified TLS session, the loaded trust anchors. One exchange at a time.
class HttpSession {
public:
    HttpSession();
    ~HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

private:
    friend class HttpExchange;
    struct Handle;
    std::unique_ptr<Handle> m_handle;
};

// One HTTP/1.0 POST exchange through the system's HTTP library, taking the proxy from the environment.
// The object is the open request: created by Open, released by the destructor; it borrows the session.
class HttpExchange {
public:
    enum class Outcome {
        Answered,    // the whole reply arrived
        NoReply,     // nothing came back: unreachable, refused, timed out before the first byte
        BrokenReply, // the reply started but could not be read to its end
        Untrusted    // TLS: the server could not be verified as the one named; nothing was sent
    };

    struct Limits {
        long connectMs = 10000;
        long totalMs = 30000;
    };

    struct Options {
        Limits limits;
        // The certificate authorities trusted for an https address, one PEM file; empty: the system's store.
        std::string caFile;
    };

    ~HttpExchange();
    HttpExchange(const HttpExchange&) = delete;
    HttpExchange& operator=(const HttpExchange&) = delete;

    // `server` as ParseServerAddress reads it. Nothing goes over the network yet. Returns null for an empty or
    // malformed address.
    static std::unique_ptr<HttpExchange> Open(HttpSession& session, const std::string& server, const std::string& path,
                                              const std::string& agent, const Options& options);

    // Adds a raw header line ("Name:value"), sent as given; a second line of the same name is ignored.
    bool AddHeader(const std::string& line);

    // Sends the body bytes unchanged and reads the whole reply.
    Outcome Post(const std::string& body);

    // The reply body as received, any status. Valid after Post answered.
    const std::string& ReplyBody() const;
    long Status() const;

private:
    struct Impl;
    explicit HttpExchange(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
