#include "standins/update/UpdateServer.h"

#include "platform/Tcp.h"

#include <algorithm>
#include <chrono>
#include <cstring>

using platform::TcpConnection;
using namespace updater;

namespace {

// Any greeting but 99 lets the client go ahead.
constexpr std::uint32_t kWelcome = 1;
constexpr long kBusyGreetingMs = 1000;

bool SendReply(TcpConnection& connection, const Reply& reply, long limit) {
    return connection.SendAll(reply.data(), reply.size(), limit) == TcpConnection::Result::Ok;
}

// The code of the next request; nothing when none came whole in time.
std::optional<std::uint32_t> ReceiveRequest(TcpConnection& connection, long limit) {
    Request request{};
    if (connection.ReceiveExact(request.data(), request.size(), limit) != TcpConnection::Result::Ok) {
        return std::nullopt;
    }
    return ReadU32(request.data());
}

// The address part of "a.b.c.d:port".
std::string AddressOf(const std::string& peer) {
    return peer.substr(0, peer.rfind(':'));
}

} // namespace

struct UpdateServer::Client {
    std::string address;
    std::unique_ptr<TcpConnection> connection;
    std::thread thread;
    std::atomic<bool> done{false};
};

UpdateServer::UpdateServer(UpdateOffer offer, Settings settings, std::ostream& log)
    : m_offer(std::move(offer)), m_settings(settings), m_log(log),
      m_listener(std::make_unique<platform::TcpListener>()) {
    if (const std::optional<Reply> info = FileInfoFor(m_offer)) {
        m_fileInfo = *info;
    }
    m_settings.window = std::max<std::uint32_t>(m_settings.window, 1);
}

UpdateServer::~UpdateServer() {
    Stop();
    ReapFinished(true);
}

std::optional<Reply> UpdateServer::FileInfoFor(const UpdateOffer& offer) {
    if (offer.bytes.size() > 0xFFFFFFFFu) {
        return std::nullopt;
    }
    return MakeFileInfo(
        FileInfo{static_cast<std::uint32_t>(offer.bytes.size()), offer.name, offer.signature, offer.statement});
}

int UpdateServer::Bind(const std::string& host, int port) {
    return m_listener->Listen(host, port);
}

void UpdateServer::Stop() {
    m_stop = true;
}

void UpdateServer::Serve() {
    while (!m_stop) {
        std::unique_ptr<TcpConnection> connection = m_listener->Accept(100);
        ReapFinished(false);
        if (!connection) {
            continue;
        }
        // A few slow peers at one address must not hold every place that an honest download needs.
        const std::string address = AddressOf(connection->PeerAddress());
        const auto fromPeer = std::count_if(m_clients.begin(), m_clients.end(),
                                            [&](const std::unique_ptr<Client>& c) { return c->address == address; });
        if (m_clients.size() >= static_cast<std::size_t>(m_settings.maxClients) || fromPeer >= m_settings.maxPerPeer) {
            SendReply(*connection, MakeReply(kBusy), kBusyGreetingMs);
            Log(connection->PeerAddress() + " busy: " + std::to_string(m_clients.size()) + " clients already, " +
                std::to_string(fromPeer) + " from this address");
            continue;
        }
        auto client = std::make_unique<Client>();
        client->address = address;
        client->connection = std::move(connection);
        client->connection->SetStopFlag(&m_stop);
        Client* running = client.get();
        client->thread = std::thread([this, running] {
            Handle(*running->connection);
            running->done = true;
        });
        m_clients.push_back(std::move(client));
    }
    m_listener->Close();
    ReapFinished(true);
}

void UpdateServer::ReapFinished(bool all) {
    for (auto it = m_clients.begin(); it != m_clients.end();) {
        if (all || (*it)->done) {
            (*it)->thread.join();
            it = m_clients.erase(it);
        } else {
            ++it;
        }
    }
}

void UpdateServer::Handle(TcpConnection& connection) {
    const auto began = std::chrono::steady_clock::now();
    const auto end = began + std::chrono::milliseconds(m_settings.lifeMs);
    const std::string peer = connection.PeerAddress();
    // Each wait ends at the block's time limit or at the end of the connection's life, whichever comes first.
    auto limit = [&]() -> long {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        return std::clamp<long>(static_cast<long>(left.count()), 0, m_settings.blockMs);
    };
    const std::uint32_t size = static_cast<std::uint32_t>(m_offer.bytes.size());
    const std::uint32_t blocks = BlockCount(size);
    std::uint64_t sent = 0; // file bytes handed out

    // Sends the data blocks, up to `window` ahead of their acknowledgements.
    auto sendBlocks = [&]() -> std::string {
        Reply block{};
        std::uint32_t next = 0;
        std::uint32_t acknowledged = 0;
        while (next < blocks || acknowledged + 1 < blocks) {
            if (next < blocks && next - acknowledged < m_settings.window) {
                const bool last = next + 1 == blocks;
                const std::size_t length = last ? LastBlockSize(size) : kBlockData;
                block.fill(0);
                WriteU32(block.data(), last ? kLastBlock : kDataBlock);
                std::memcpy(block.data() + 4, m_offer.bytes.data() + static_cast<std::size_t>(next) * kBlockData,
                            length);
                if (m_settings.blockDelayMs > 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(m_settings.blockDelayMs));
                }
                if (!SendReply(connection, block, limit())) {
                    return "broke off at block " + std::to_string(next);
                }
                sent += length;
                ++next;
                continue;
            }
            const std::optional<std::uint32_t> code = ReceiveRequest(connection, limit());
            if (!code) {
                return "no acknowledgement after block " + std::to_string(acknowledged);
            }
            if (*code != kBlockReceived) {
                return "code " + std::to_string(*code) + " instead of an acknowledgement";
            }
            ++acknowledged;
        }
        return {};
    };

    auto converse = [&]() -> std::string {
        if (!SendReply(connection, MakeReply(kWelcome), limit())) {
            return "gone before the greeting";
        }
        for (;;) {
            const std::optional<std::uint32_t> code = ReceiveRequest(connection, limit());
            if (!code) {
                return "left without finishing";
            }
            if (*code == kAskFileInfo) {
                if (!SendReply(connection, m_fileInfo, limit())) {
                    return "gone before the file information";
                }
            } else if (*code == kStartTransfer) {
                if (std::string failure = sendBlocks(); !failure.empty()) {
                    return failure;
                }
            } else if (*code == kTransferDone) {
                SendReply(connection, MakeReply(kApplyAction, m_offer.action), limit());
                return "complete";
            } else {
                return "unexpected code " + std::to_string(*code);
            }
        }
    };

    std::string outcome = m_stop ? std::string("stopped") : converse();
    if (limit() == 0 && outcome != "complete") {
        outcome += " (the connection's time was up)";
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
    Log(peer + " " + outcome + ": " + std::to_string(sent) + " of " + std::to_string(size) + " bytes in " +
        std::to_string(ms.count()) + " ms");
}

void UpdateServer::Log(const std::string& line) {
    std::lock_guard<std::mutex> lock(m_logMutex);
    m_log << line << std::endl;
}
