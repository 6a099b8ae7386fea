#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A real TCP server on an ephemeral loopback port that plays the update server in tests: each connection
// follows the next script, step by step, and every request the updater sends is recorded by its code. It
// builds its blocks itself, byte by byte, so that it does not share a mistake with the code under test.
class ScriptedUpdatePeer {
public:
    struct Step {
        enum class Kind {
            Send,    // `bytes`, cut into pieces of the sizes in `pieces` (cycled; none: at once)
            Receive, // one 1,024-byte request, whose code is recorded
            Stall,   // silence, the connection held open, until released or stopped
            Close,   // closes the connection (also what happens at the end of a script)
        };
        Kind kind = Kind::Close;
        std::string bytes;
        std::vector<std::size_t> pieces;
    };
    using Script = std::vector<Step>;

    ScriptedUpdatePeer();
    ~ScriptedUpdatePeer();
    ScriptedUpdatePeer(const ScriptedUpdatePeer&) = delete;
    ScriptedUpdatePeer& operator=(const ScriptedUpdatePeer&) = delete;

    int Port() const { return m_port; }

    // The script of the next connection; connections beyond the queued scripts are closed at once.
    void Queue(Script script);

    // A 4,096-byte reply: `code`, then `payload` (cut or padded with zeros).
    static std::string Reply(std::uint32_t code, const std::string& payload = {});
    // The payload of code 12.
    static std::string FileInfoPayload(std::uint32_t size, const std::string& name, const std::string& after = {});
    static Step Send(std::string bytes, std::vector<std::size_t> pieces = {});
    static Step Receive();
    static Step Stall();
    static Step Close();

    // A well-behaved server's script for `file` announced as `name` (and `after` behind the name's NUL):
    // greeting, file information, every block with its acknowledgement, and 82 with `action` (none: no
    // answer to 81).
    static Script Transfer(const std::string& name, const std::string& file, int action = 1,
                           const std::string& after = {});

    // The codes received so far, in order, over all connections.
    std::vector<std::uint32_t> Received() const;
    int Connections() const;

    // Lets every stalled connection go.
    void Release();

private:
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_released = false;
    std::deque<Script> m_scripts;
    std::vector<std::uint32_t> m_received;
    int m_connections = 0;
};
