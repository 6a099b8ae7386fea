#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

namespace platform {

// One TCP stream over IPv4. Every wait has a time limit. A connection may watch a stop flag: once another
// thread sets it, the wait under way ends within a tenth of a second with Stopped.
class TcpConnection {
public:
    enum class Result {
        Ok,
        Closed,   // the peer closed the stream (or reset it) before the bytes were through
        TimedOut, // the time limit ran out first
        Failed,   // any other error of the socket
        Stopped   // the stop flag was set
    };
    enum class ConnectError { None, Resolve, Socket, Connect, Stopped };

    ~TcpConnection();
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // Resolves `host` (a name or a dotted address) to its first IPv4 address and connects to it on `port`
    // within `timeLimitMs`. Null on failure, with the reason in `error`.
    static std::unique_ptr<TcpConnection> Connect(const std::string& host, int port, long timeLimitMs,
                                                  ConnectError& error, const std::atomic<bool>* stop = nullptr);

    // Sends every byte, or says why not.
    Result SendAll(const void* data, std::size_t size, long timeLimitMs);
    // Fills exactly `size` bytes, however the stream cuts them into pieces, within `timeLimitMs` for all of
    // them. What arrived before a failure stays in `data`; the stream is then of no further use.
    Result ReceiveExact(void* data, std::size_t size, long timeLimitMs);

    // The other end as "a.b.c.d:port".
    std::string PeerAddress() const;

    void SetStopFlag(const std::atomic<bool>* stop) { m_stop = stop; }

private:
    friend class TcpListener;
    explicit TcpConnection(int fd, const std::atomic<bool>* stop) : m_fd(fd), m_stop(stop) {}

    int m_fd = -1;
    const std::atomic<bool>* m_stop = nullptr;
};

// A listening TCP socket on one IPv4 address.
class TcpListener {
public:
    TcpListener() = default;
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // Listens on `host` (a name or a dotted address) and `port`; port 0 takes a free one. The port listened
    // on, or -1.
    int Listen(const std::string& host, int port);
    // The next connection, waiting at most `timeLimitMs`; null when none came or the socket failed.
    std::unique_ptr<TcpConnection> Accept(long timeLimitMs);
    void Close();

private:
    int m_fd = -1;
};

} // namespace platform
