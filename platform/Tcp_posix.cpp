#include "platform/Tcp.h"

#include "platform/NetInfo.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

// How often a wait looks at the stop flag.
constexpr long long kStopCheckMs = 100;

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool ToAddress(const std::string& dotted, int port, sockaddr_in& address) {
    address = sockaddr_in{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    return port >= 0 && port <= 65535 && inet_pton(AF_INET, dotted.c_str(), &address.sin_addr) == 1;
}

std::string ToText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, &address.sin_addr, text, sizeof text) == nullptr) {
        return {};
    }
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

// A connected stream blocks in its calls, which costs least while data flows, but never longer than a tenth of
// a second, so that the time limits and the stop flag are looked at. Whole blocks go out in one call each, so
// holding back small writes would only add delay.
bool TuneStream(int fd) {
    const int on = 1;
    const timeval slice{0, static_cast<suseconds_t>(kStopCheckMs * 1000)};
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 &&
           setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &slice, sizeof slice) == 0 &&
           setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &slice, sizeof slice) == 0 &&
           setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0;
}

// Ok while the call may go on; Stopped or TimedOut when it must end.
TcpConnection::Result GoOn(long long deadlineMs, const std::atomic<bool>* stop) {
    if (stop != nullptr && stop->load()) {
        return TcpConnection::Result::Stopped;
    }
    return NowMs() < deadlineMs ? TcpConnection::Result::Ok : TcpConnection::Result::TimedOut;
}

// Waits for `events` on `fd` until `deadlineMs`, looking at `stop` every tenth of a second when there is one.
TcpConnection::Result WaitFor(int fd, short events, long long deadlineMs, const std::atomic<bool>* stop) {
    for (;;) {
        if (stop != nullptr && stop->load()) {
            return TcpConnection::Result::Stopped;
        }
        const long long left = deadlineMs - NowMs();
        if (left <= 0) {
            return TcpConnection::Result::TimedOut;
        }
        pollfd entry{fd, events, 0};
        const long long slice = stop != nullptr ? std::min(left, kStopCheckMs) : left;
        const int n = poll(&entry, 1, static_cast<int>(slice));
        if (n > 0) {
            return TcpConnection::Result::Ok; // errors and hang-ups show in the next read or write
        }
        if (n < 0 && errno != EINTR) {
            return TcpConnection::Result::Failed;
        }
    }
}

} // namespace

TcpConnection::~TcpConnection() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

std::unique_ptr<TcpConnection> TcpConnection::Connect(const std::string& host, int port, long timeLimitMs,
                                                      ConnectError& error, const std::atomic<bool>* stop) {
    const long long deadline = NowMs() + timeLimitMs;
    sockaddr_in address{};
    if (!ToAddress(ResolveIpv4(host), port, address)) {
        error = ConnectError::Resolve;
        return nullptr;
    }
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = ConnectError::Socket;
        return nullptr;
    }
    std::unique_ptr<TcpConnection> connection(new TcpConnection(fd, stop));
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS) {
            error = ConnectError::Connect;
            return nullptr;
        }
        const Result waited = WaitFor(fd, POLLOUT, deadline, stop);
        int socketError = 0;
        socklen_t length = sizeof socketError;
        if (waited != Result::Ok || getsockopt(fd, SOL_SOCKET, SO_ERROR, &socketError, &length) != 0 ||
            socketError != 0) {
            error = waited == Result::Stopped ? ConnectError::Stopped : ConnectError::Connect;
            return nullptr;
        }
    }
    if (!TuneStream(fd)) {
        error = ConnectError::Socket;
        return nullptr;
    }
    error = ConnectError::None;
    return connection;
}

TcpConnection::Result TcpConnection::SendAll(const void* data, std::size_t size, long timeLimitMs) {
    const long long deadline = NowMs() + timeLimitMs;
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        if (const Result state = GoOn(deadline, m_stop); state != Result::Ok) {
            return state;
        }
        const ssize_t n = send(m_fd, bytes, size, MSG_NOSIGNAL);
        if (n > 0) {
            bytes += n;
            size -= static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return (errno == EPIPE || errno == ECONNRESET) ? Result::Closed : Result::Failed;
        }
    }
    return Result::Ok;
}

TcpConnection::Result TcpConnection::ReceiveExact(void* data, std::size_t size, long timeLimitMs) {
    const long long deadline = NowMs() + timeLimitMs;
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        if (const Result state = GoOn(deadline, m_stop); state != Result::Ok) {
            return state;
        }
        const ssize_t n = recv(m_fd, bytes, size, 0);
        if (n > 0) {
            bytes += n;
            size -= static_cast<std::size_t>(n);
        } else if (n == 0) {
            return Result::Closed;
        } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return errno == ECONNRESET ? Result::Closed : Result::Failed;
        }
    }
    return Result::Ok;
}

std::string TcpConnection::PeerAddress() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getpeername(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return {};
    }
    return ToText(address);
}

TcpListener::~TcpListener() {
    Close();
}

int TcpListener::Listen(const std::string& host, int port) {
    Close();
    sockaddr_in address{};
    if (!ToAddress(ResolveIpv4(host), port, address)) {
        return -1;
    }
    m_fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        return -1;
    }
    const int on = 1;
    setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    socklen_t length = sizeof address;
    if (bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(m_fd, SOMAXCONN) != 0 ||
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        Close();
        return -1;
    }
    return ntohs(address.sin_port);
}

std::unique_ptr<TcpConnection> TcpListener::Accept(long timeLimitMs) {
    if (m_fd < 0) {
        return nullptr;
    }
    const long long deadline = NowMs() + timeLimitMs;
    for (;;) {
        const int fd = accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            std::unique_ptr<TcpConnection> connection(new TcpConnection(fd, nullptr));
            if (!TuneStream(fd)) {
                return nullptr;
            }
            return connection;
        }
        if (errno == EINTR || errno == ECONNABORTED) {
            continue;
        }
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // Out of descriptors or memory: pause instead of spinning on a queue that stays readable.
            poll(nullptr, 0, static_cast<int>(std::clamp(deadline - NowMs(), 0LL, kStopCheckMs)));
            return nullptr;
        }
        if ((errno != EAGAIN && errno != EWOULDBLOCK) ||
            WaitFor(m_fd, POLLIN, deadline, nullptr) != TcpConnection::Result::Ok) {
            return nullptr;
        }
    }
}

void TcpListener::Close() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}

} // namespace platform
