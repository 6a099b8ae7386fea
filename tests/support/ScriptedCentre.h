#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

// A real HTTP server on an ephemeral loopback port that plays the reporting centre in tests: it answers
// each request with the next scripted reply (or the standing one) and records every request as received.
class ScriptedCentre {
public:
    struct Reply {
        enum class Mode {
            Answer,       // status and body as given
            NeverAnswer,  // accepts and stays silent until the centre is released or stopped
            CloseMidBody, // announces the whole body, sends half of it and closes the connection
        };
        Mode mode = Mode::Answer;
        int status = 200;
        std::string body;
        std::string contentType = "text/html; charset=EUC-KR";
    };

    struct Request {
        std::string method;
        std::string path;
        std::string version;
        std::multimap<std::string, std::string> headers; // names as sent
        std::string body;                                // raw bytes

        std::string Header(const std::string& name) const; // case-insensitive; empty when absent
    };

    ScriptedCentre();
    ~ScriptedCentre();
    ScriptedCentre(const ScriptedCentre&) = delete;
    ScriptedCentre& operator=(const ScriptedCentre&) = delete;

    int Port() const { return m_port; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }

    // Replies used in order, one per request; when none is queued the standing reply answers.
    void Queue(Reply reply);
    void QueueBody(const std::string& body);
    void SetStandingReply(Reply reply);

    std::vector<Request> Requests() const;
    Request LastRequest() const;
    size_t RequestCount() const;

    // Lets every silent handler go.
    void Release();

private:
    void Handle(const void* request, void* response);

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_isReleased = false;
    std::deque<Reply> m_queue;
    Reply m_standing;
    std::vector<Request> m_requests;
};
