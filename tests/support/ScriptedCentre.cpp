#include "support/ScriptedCentre.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

} // namespace

std::string ScriptedCentre::Request::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (Lower(key) == Lower(name)) {
            return value;
        }
    }
    return std::string();
}

ScriptedCentre::ScriptedCentre() : m_server(std::make_unique<httplib::Server>()) {
    m_standing.body = "<VESK><WORK>999</WORK><COMENT>no reply scripted</COMENT></VESK>";
    auto handler = [this](const httplib::Request& req, httplib::Response& res) { Handle(&req, &res); };
    m_server->Post(".*", handler);
    m_server->Get(".*", handler);
    m_server->set_keep_alive_max_count(1);
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0) {
        throw std::runtime_error("the scripted centre cannot bind a loopback port");
    }
    // The socket listens from bind on, so requests wait in its queue until the loop below takes them.
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // The library's stop ends only a loop that already runs: a test that ends at once would otherwise stop
    // the centre too early and then wait for it forever.
    for (int i = 0; i < 5000 && !m_server->is_running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

ScriptedCentre::~ScriptedCentre() {
    Release();
    m_server->stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void ScriptedCentre::Queue(Reply reply) {
    std::lock_guard lock(m_mutex);
    m_queue.push_back(std::move(reply));
}

void ScriptedCentre::QueueBody(const std::string& body) {
    Reply reply;
    reply.body = body;
    Queue(std::move(reply));
}

void ScriptedCentre::SetStandingReply(Reply reply) {
    std::lock_guard lock(m_mutex);
    m_standing = std::move(reply);
}

std::vector<ScriptedCentre::Request> ScriptedCentre::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

ScriptedCentre::Request ScriptedCentre::LastRequest() const {
    std::lock_guard lock(m_mutex);
    return m_requests.empty() ? Request() : m_requests.back();
}

size_t ScriptedCentre::RequestCount() const {
    std::lock_guard lock(m_mutex);
    return m_requests.size();
}

void ScriptedCentre::Release() {
    {
        std::lock_guard lock(m_mutex);
        m_isReleased = true;
    }
    m_released.notify_all();
}

void ScriptedCentre::Handle(const void* request, void* response) {
    const auto& req = *static_cast<const httplib::Request*>(request);
    auto& res = *static_cast<httplib::Response*>(response);
    Reply reply;
    {
        std::unique_lock lock(m_mutex);
        Request recorded;
        recorded.method = req.method;
        recorded.path = req.path;
        recorded.version = req.version;
        for (const auto& [key, value] : req.headers) {
            if (key != "REMOTE_ADDR" && key != "REMOTE_PORT" && key != "LOCAL_ADDR" && key != "LOCAL_PORT") {
                recorded.headers.emplace(key, value);
            }
        }
        recorded.body = req.body;
        m_requests.push_back(std::move(recorded));
        if (!m_queue.empty()) {
            reply = std::move(m_queue.front());
            m_queue.pop_front();
        } else {
            reply = m_standing;
        }
        if (reply.mode == Reply::Mode::NeverAnswer) {
            // Bounded so that a forgotten release cannot hang the test run.
            m_released.wait_for(lock, std::chrono::seconds(120), [this] { return m_isReleased; });
            res.status = 500;
            return;
        }
    }
    res.status = reply.status;
    if (reply.mode == Reply::Mode::CloseMidBody) {
        auto body = std::make_shared<std::string>(reply.body);
        res.set_content_provider(body->size(), reply.contentType,
                                 [body](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset == 0) {
                                         sink.write(body->data(), body->size() / 2);
                                         return true;
                                     }
                                     return false; // breaks the connection mid-body
                                 });
        return;
    }
    res.set_content(reply.body, reply.contentType);
}
