#include "standins/centre/CentreServer.h"

#include "client/protocol/Envelope.h"
#include "platform/Codec.h"
#include "standins/centre/CentreService.h"
#include "standins/centre/CentreStore.h"
#include "standins/centre/DispatcherView.h"
#include "standins/centre/LocalTime.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <httplib.h>
#include <sys/socket.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kReplyType = "text/plain; charset=EUC-KR";
constexpr int kDispatcherRows = 100;

std::string Milliseconds(Clock::time_point since) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms",
                  std::chrono::duration<double, std::milli>(Clock::now() - since).count());
    return text;
}

std::string Timestamp() {
    return FormatLocalTime(std::time(nullptr), "%Y-%m-%d %H:%M:%S");
}

// The refusal of a body that never reaches the work codes.
std::string BodyRefusal(bool tooLarge) {
    const char* coment = tooLarge ? "요청이 너무 큽니다. 1 MB 이하로 보내 주십시오."
                                  : "요청 본문을 끝까지 받지 못했습니다. 다시 보내 주십시오.";
    return "<VESK><WORK>999</WORK>" + TagField("COMENT", platform::Utf8ToCp949(coment).value_or("")) + "</VESK>";
}

} // namespace

CentreServer::CentreServer(const CentreService& service, CentreStore& store, std::string helpPage, std::ostream& log)
    : m_service(service), m_store(store), m_helpPage(std::move(helpPage)), m_log(log),
      m_server(std::make_unique<httplib::Server>()) {
    httplib::Server& server = *m_server;
    server.set_payload_max_length(kMaxBody);
    // Address reuse lets a restarted centre bind at once; unlike the library's default, no port sharing, so
    // a second centre on the same address fails instead of silently taking half of the requests.
    server.set_socket_options([this](int socket) {
        int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        m_listenSocket = socket;
    });
    server.set_read_timeout(10, 0);
    server.set_write_timeout(10, 0);

    // A body announced as too large is refused before a byte of it is read.
    server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        if (req.method != "POST" || !req.has_header("Content-Length")) {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        const std::string length = req.get_header_value("Content-Length");
        if (length.size() < 16 && std::strtoull(length.c_str(), nullptr, 10) <= kMaxBody) {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        res.status = 413;
        res.set_header("Connection", "close");
        res.set_content(BodyRefusal(true), kReplyType);
        Log("POST - -> 999 refused: announced body of " + length + " bytes, not read");
        return httplib::Server::HandlerResponse::Handled;
    });

    // The body is read raw: it is announced as form data but carries the request text unencoded.
    server.Post(kRequestPath,
                [this](const httplib::Request&, httplib::Response& res, const httplib::ContentReader& content) {
                    const Clock::time_point start = Clock::now();
                    std::string body;
                    bool tooLarge = false;
                    const bool read = content([&](const char* data, size_t length) {
                        tooLarge = body.size() + length > kMaxBody;
                        if (!tooLarge) {
                            body.append(data, length);
                        }
                        return !tooLarge;
                    });
                    if (tooLarge || !read) {
                        res.status = tooLarge ? 413 : 400;
                        res.set_header("Connection", "close");
                        res.set_content(BodyRefusal(tooLarge), kReplyType);
                        Log("POST - -> 999 refused: body " + std::string(tooLarge ? "too large" : "unreadable") + " (" +
                            Milliseconds(start) + ")");
                        return;
                    }
                    CentreReply reply = m_service.Answer(body);
                    res.status = reply.httpStatus;
                    res.set_content(reply.text, kReplyType);
                    Log("POST " + reply.work + " -> " + reply.outcome + " (" + Milliseconds(start) + ")");
                });

    server.Get(kHelpPath, [this](const httplib::Request&, httplib::Response& res) {
        const Clock::time_point start = Clock::now();
        res.set_content(m_helpPage, "text/html; charset=EUC-KR");
        Log("GET help page (" + Milliseconds(start) + ")");
    });

    server.Get("/", [this](const httplib::Request&, httplib::Response& res) {
        const Clock::time_point start = Clock::now();
        auto reports = m_store.LatestReports(kDispatcherRows);
        auto total = m_store.ReportCount();
        if (!reports || !total) {
            res.status = 500;
            res.set_content("<!DOCTYPE html><meta charset=\"utf-8\"><p>신고 목록을 읽지 못했습니다.</p>",
                            "text/html; charset=utf-8");
            Log("GET dispatcher view -> failed (" + Milliseconds(start) + ")");
            return;
        }
        const std::time_t now = std::time(nullptr);
        res.set_content(
            RenderDispatcherView(*reports, *total, now,
                                 [&](std::time_t receivedAt) { return m_service.ProgressOf(receivedAt, now); }),
            "text/html; charset=utf-8");
        Log("GET dispatcher view (" + Milliseconds(start) + ")");
    });

    // Requests that no handler above took (unknown paths, broken requests).
    server.set_error_handler([this](const httplib::Request& req, httplib::Response& res) {
        if (res.body.empty()) {
            Log(req.method + " " + req.path + " -> HTTP " + std::to_string(res.status));
        }
    });
}

CentreServer::~CentreServer() = default;

int CentreServer::Bind(const std::string& host, int port) {
    const int bound = port == 0 ? m_server->bind_to_any_port(host) : (m_server->bind_to_port(host, port) ? port : -1);
    // The library listens with a backlog of 5: with dozens of clients connecting at once the kernel drops
    // connections, and each dropped one waits a second for its retry. Listening again widens the queue.
    if (bound > 0 && m_listenSocket >= 0) {
        listen(m_listenSocket, SOMAXCONN);
    }
    return bound;
}

bool CentreServer::Serve() {
    m_serveCalled = true;
    bool served = m_stopRequested || m_server->listen_after_bind();
    m_finished = true;
    return served;
}

void CentreServer::Stop() {
    std::lock_guard lock(m_stopMutex);
    m_stopRequested = true;
    if (!m_serveCalled || m_stopIssued) {
        return; // Serve sees the request and does not start
    }
    // The library ignores a stop that comes before its loop runs, and must not be stopped twice.
    for (int waited = 0; !m_server->is_running() && !m_finished && waited < 5000; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!m_finished && m_server->is_running()) {
        m_server->stop();
        m_stopIssued = true;
    }
}

void CentreServer::Log(const std::string& line) {
    std::lock_guard lock(m_logMutex);
    m_log << Timestamp() << ' ' << line << std::endl;
}
