#include "support/ScriptedUpdatePeer.h"

#include "platform/Tcp.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace {

constexpr long kWaitMs = 5000;

std::string U32(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    }
    return bytes;
}

} // namespace

ScriptedUpdatePeer::ScriptedUpdatePeer() {
    auto listener = std::make_shared<platform::TcpListener>();
    m_port = listener->Listen("127.0.0.1", 0);
    if (m_port <= 0) {
        throw std::runtime_error("the scripted update peer cannot listen");
    }
    m_thread = std::thread([this, listener] {
        while (true) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_stop) {
                    return;
                }
            }
            std::unique_ptr<platform::TcpConnection> connection = listener->Accept(50);
            if (!connection) {
                continue;
            }
            Script script;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                ++m_connections;
                if (m_scripts.empty()) {
                    continue;
                }
                script = std::move(m_scripts.front());
                m_scripts.pop_front();
            }
            for (const Step& step : script) {
                if (step.kind == Step::Kind::Send) {
                    std::size_t at = 0;
                    for (std::size_t i = 0; at < step.bytes.size(); ++i) {
                        const std::size_t piece = step.pieces.empty()
                                                      ? step.bytes.size()
                                                      : std::max<std::size_t>(1, step.pieces[i % step.pieces.size()]);
                        const std::size_t n = std::min(piece, step.bytes.size() - at);
                        connection->SendAll(step.bytes.data() + at, n, kWaitMs);
                        at += n;
                        if (!step.pieces.empty()) {
                            std::this_thread::sleep_for(std::chrono::milliseconds(2));
                        }
                    }
                } else if (step.kind == Step::Kind::Receive) {
                    std::string request(1024, '\0');
                    if (connection->ReceiveExact(request.data(), request.size(), kWaitMs) !=
                        platform::TcpConnection::Result::Ok) {
                        break;
                    }
                    const auto* b = reinterpret_cast<const unsigned char*>(request.data());
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_received.push_back(static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                                         static_cast<std::uint32_t>(b[2]) << 16 |
                                         static_cast<std::uint32_t>(b[3]) << 24);
                } else if (step.kind == Step::Kind::Stall) {
                    std::unique_lock<std::mutex> lock(m_mutex);
                    m_wake.wait(lock, [this] { return m_stop || m_released; });
                } else {
                    break;
                }
            }
        }
    });
}

ScriptedUpdatePeer::~ScriptedUpdatePeer() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void ScriptedUpdatePeer::Queue(Script script) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_scripts.push_back(std::move(script));
}

std::string ScriptedUpdatePeer::Reply(std::uint32_t code, const std::string& payload) {
    std::string reply = U32(code) + payload.substr(0, 4092);
    reply.resize(4096, '\0');
    return reply;
}

std::string ScriptedUpdatePeer::FileInfoPayload(std::uint32_t size, const std::string& name, const std::string& after) {
    return U32(size) + name + std::string(1, '\0') + after;
}

ScriptedUpdatePeer::Step ScriptedUpdatePeer::Send(std::string bytes, std::vector<std::size_t> pieces) {
    return Step{Step::Kind::Send, std::move(bytes), std::move(pieces)};
}

ScriptedUpdatePeer::Step ScriptedUpdatePeer::Receive() {
    return Step{Step::Kind::Receive, {}, {}};
}

ScriptedUpdatePeer::Step ScriptedUpdatePeer::Stall() {
    return Step{Step::Kind::Stall, {}, {}};
}

ScriptedUpdatePeer::Step ScriptedUpdatePeer::Close() {
    return Step{Step::Kind::Close, {}, {}};
}

ScriptedUpdatePeer::Script ScriptedUpdatePeer::Transfer(const std::string& name, const std::string& file, int action,
                                                        const std::string& after) {
    const auto size = static_cast<std::uint32_t>(file.size());
    Script script{Send(Reply(1)), Receive(), Send(Reply(12, FileInfoPayload(size, name, after))), Receive()};
    const std::size_t blocks = file.size() / 4092 + 1;
    for (std::size_t i = 0; i + 1 < blocks; ++i) {
        script.push_back(Send(Reply(22, file.substr(i * 4092, 4092))));
        script.push_back(Receive());
    }
    script.push_back(Send(Reply(23, file.substr((blocks - 1) * 4092))));
    script.push_back(Receive());
    if (action > 0) {
        script.push_back(Send(Reply(82, U32(static_cast<std::uint32_t>(action)))));
    }
    return script;
}

std::vector<std::uint32_t> ScriptedUpdatePeer::Received() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_received;
}

int ScriptedUpdatePeer::Connections() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_connections;
}

void ScriptedUpdatePeer::Release() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_released = true;
    }
    m_wake.notify_all();
}
