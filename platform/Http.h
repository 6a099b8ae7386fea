#pragma once

#include <memory>
#include <string>

namespace platform {

// One HTTP/1.0 POST exchange through the system's HTTP library, taking the proxy from the environment.
// The object is the open request: created by Open, released by the destructor.
class HttpExchange {
public:
    enum class Outcome {
        Answered,   // the whole reply arrived
        NoReply,    // nothing came back: unreachable, refused, timed out before the first byte
        BrokenReply // the reply started but could not be read to its end
    };

    struct Limits {
        long connectMs = 10000;
        long totalMs = 30000;
    };

    ~HttpExchange();
    HttpExchange(const HttpExchange&) = delete;
    HttpExchange& operator=(const HttpExchange&) = delete;

    // `host` is "name" or "name:port" (port 80 when none). Nothing goes over the network yet.
    // Returns null for an empty or malformed host.
    static std::unique_ptr<HttpExchange> Open(const std::string& host, const std::string& path,
                                              const std::string& agent, Limits limits);

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
