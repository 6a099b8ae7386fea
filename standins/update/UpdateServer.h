#pragma once

#include "updater/UpdateBlocks.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

namespace platform {
class TcpConnection;
class TcpListener;
} // namespace platform

// What the stand-in hands out: one file, the name it announces (CP949), the apply action and, where the
// file is signed, the signed statement and its signature.
struct UpdateOffer {
    std::string name;
    std::string bytes;
    std::uint32_t action = updater::kActionCopy;
    std::string signature;
    std::string statement;
};

// A server of the update block protocol: many clients at once, each on a thread of its own, each wait and
// each connection's whole life limited in time; beyond `maxClients`, or beyond `maxPerPeer` from one
// address, a client gets the busy greeting and is let go. One log line per connection.
class UpdateServer {
public:
    struct Settings {
        int maxClients = 32;
        int maxPerPeer = 4;        // connections at once from one address
        long blockMs = 30000;      // how long a client may take for each request
        long lifeMs = 600000;      // how long one connection may last, all in all
        int blockDelayMs = 0;      // a pause before each data block, to watch a transfer as it runs
        std::uint32_t window = 16; // data blocks sent ahead of their acknowledgements
    };

    UpdateServer(UpdateOffer offer, Settings settings, std::ostream& log);
    ~UpdateServer();
    UpdateServer(const UpdateServer&) = delete;
    UpdateServer& operator=(const UpdateServer&) = delete;

    // The reply of code 12 for the offer; nothing when its name and signature do not fit one reply.
    static std::optional<updater::Reply> FileInfoFor(const UpdateOffer& offer);

    // Listens on host:port (port 0 takes a free one); the port, or -1.
    int Bind(const std::string& host, int port);
    // Serves until Stop; every client's connection has ended when it returns.
    void Serve();
    // May be called from any thread.
    void Stop();

private:
    struct Client;
    void Handle(platform::TcpConnection& connection);
    void Log(const std::string& line);
    void ReapFinished(bool all);

    UpdateOffer m_offer;
    updater::Reply m_fileInfo{};
    Settings m_settings;
    std::ostream& m_log;
    std::mutex m_logMutex;
    std::unique_ptr<platform::TcpListener> m_listener;
    std::atomic<bool> m_stop{false};
    std::list<std::unique_ptr<Client>> m_clients;
};
