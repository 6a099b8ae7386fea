#include "standins/centre/CentreServer.h"

#include "platform/Codec.h"
#include "protocol/Envelope.h"
#include "standins/centre/CentreService.h"
#include "standins/centre/CentreStore.h"
#include "standins/centre/DispatcherView.h"
#include "standins/centre/LocalTime.h"
#include "standins/centre/ResidentCheck.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <microhttpd.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kReplyType = "text/plain; charset=EUC-KR";
constexpr const char* kPageType = "text/html; charset=utf-8";
constexpr const char* kResidentsPath = "/residents";
constexpr const char* kReportPagePrefix = "/reports/";
constexpr int kDispatcherRows = 100;
// Event loops, each with its own share of the connections; a report's disk commit holds up only its own.
constexpr unsigned kServingThreads = 4;

std::string Milliseconds(Clock::time_point since) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms",
                  std::chrono::duration<double, std::milli>(Clock::now() - since).count());
    return text;
}

std::string Timestamp() {
    return FormatLocalTime(std::time(nullptr), "%Y-%m-%d %H:%M:%S");
}

struct Reply {
    unsigned status = 200;
    std::string body;
    const char* type = kReplyType;
    std::string log; // what the log line says after the request
};

// The refusal of a request that never reaches the work codes; the client shows "COMENT".
Reply Refusal(unsigned status, const char* comentUtf8, const std::string& log) {
    return {status,
            "<VESK><WORK>999</WORK>" + TagField("COMENT", platform::Utf8ToCp949(comentUtf8).value_or("")) + "</VESK>",
            kReplyType, "-> 999 refused: " + log};
}

Reply Page(unsigned status, std::string html, const std::string& log) {
    return {status, std::move(html), kPageType, log};
}

bool IsLoopback(const sockaddr* address) {
    if (address == nullptr) {
        return false;
    }
    if (address->sa_family == AF_INET) {
        sockaddr_in in4;
        std::memcpy(&in4, address, sizeof in4);
        return (ntohl(in4.sin_addr.s_addr) >> 24) == 127;
    }
    if (address->sa_family == AF_INET6) {
        sockaddr_in6 in6;
        std::memcpy(&in6, address, sizeof in6);
        return IN6_IS_ADDR_LOOPBACK(&in6.sin6_addr) ||
               (IN6_IS_ADDR_V4MAPPED(&in6.sin6_addr) && in6.sin6_addr.s6_addr[12] == 127);
    }
    return false;
}

// The value of `key` in a form-encoded body (UTF-8), decoded; empty when absent.
std::string FormValue(const std::string& body, const std::string& key) {
    auto hex = [](char c) {
        const char lower = static_cast<char>(c | 0x20);
        return c >= '0' && c <= '9' ? c - '0' : lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
    };
    size_t at = 0;
    while (at <= body.size()) {
        size_t end = body.find('&', at);
        end = end == std::string::npos ? body.size() : end;
        const std::string pair = body.substr(at, end - at);
        if (pair.compare(0, key.size() + 1, key + "=") == 0) {
            std::string value;
            for (size_t i = key.size() + 1; i < pair.size(); ++i) {
                if (pair[i] == '+') {
                    value += ' ';
                } else if (pair[i] == '%' && i + 2 < pair.size() && hex(pair[i + 1]) >= 0 && hex(pair[i + 2]) >= 0) {
                    value += static_cast<char>(hex(pair[i + 1]) * 16 + hex(pair[i + 2]));
                    i += 2;
                } else {
                    value += pair[i];
                }
            }
            return value;
        }
        at = end + 1;
    }
    return {};
}

} // namespace

// One request under way: from its complete head to its answer.
struct CentreServer::Exchange {
    Clock::time_point start = Clock::now();
    std::string body;
    bool tooLarge = false;
    bool answered = false;
};

// The library's callbacks, with access to the server they serve.
struct CentreServerHooks {
    static Reply Route(CentreServer& server, MHD_Connection* connection, const std::string& method,
                       const std::string& path, const std::string& body) {
        if (path == CentreServer::kRequestPath) {
            if (method != "POST") {
                return Refusal(405, "요청은 POST로 보내 주십시오.", method + " on the request path");
            }
            // The body is taken raw: it is announced as form data but carries the request text unencoded.
            // Whatever it holds (a multipart form, nothing at all), the answer carries a work code.
            CentreReply reply = server.m_service.Answer(body);
            return {static_cast<unsigned>(reply.httpStatus), std::move(reply.text), kReplyType,
                    reply.work + " -> " + reply.outcome};
        }
        const bool get = method == "GET" || method == "HEAD";
        const MHD_ConnectionInfo* peer = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
        const bool loopback = peer != nullptr && IsLoopback(peer->client_addr);
        if (get && path == CentreServer::kHelpPath) {
            return {200, server.m_helpPage, "text/html; charset=EUC-KR", "help page"};
        }
        if (get && path == "/") {
            return DispatcherView(server, loopback);
        }
        if (get && path.compare(0, std::strlen(kReportPagePrefix), kReportPagePrefix) == 0) {
            return ReportPage(server, path.substr(std::strlen(kReportPagePrefix)));
        }
        if (path == kResidentsPath && (get || method == "POST")) {
            return ResidentForm(server, connection, loopback, get ? nullptr : &body);
        }
        return Page(404, RenderProblemPage("없는 주소입니다."), "-> 404");
    }

    static Reply DispatcherView(CentreServer& server, bool operatorLink) {
        auto reports = server.m_store.LatestReports(kDispatcherRows);
        auto total = server.m_store.ReportCount();
        if (!reports || !total) {
            return Page(500, RenderProblemPage("신고 목록을 읽지 못했습니다."), "dispatcher view -> failed");
        }
        const std::time_t now = std::time(nullptr);
        const ProgressOf progress = [&](std::time_t at) { return server.m_service.ProgressOf(at, now); };
        return Page(200, RenderDispatcherView(*reports, *total, now, progress, operatorLink), "dispatcher view");
    }

    static Reply ReportPage(CentreServer& server, const std::string& digits) {
        const bool number =
            !digits.empty() && digits.size() <= 18 && digits.find_first_not_of("0123456789") == std::string::npos;
        auto found = number ? server.m_store.ReportByNo(std::stoll(digits)) : std::vector<CentreReport>();
        if (!found) {
            return Page(500, RenderProblemPage("신고를 읽지 못했습니다."), "report page -> failed");
        }
        if (found->empty()) {
            return Page(404, RenderProblemPage("그런 번호의 신고가 없습니다."), "report page -> none");
        }
        const std::time_t now = std::time(nullptr);
        const ProgressOf progress = [&](std::time_t at) { return server.m_service.ProgressOf(at, now); };
        return Page(200, RenderReportPage(found->front(), now, progress), "report page " + digits);
    }

    // The register is the operator's: its form answers on this machine only, and only to a page of this server,
    // so that no other web page in the operator's browser can post to it. `body` is null for the empty form.
    static Reply ResidentForm(CentreServer& server, MHD_Connection* connection, bool loopback,
                              const std::string* body) {
        const char* origin = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Origin");
        const char* host = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Host");
        const bool foreign =
            origin != nullptr && (host == nullptr || std::string(origin) != "http://" + std::string(host));
        if (!loopback || foreign) {
            return Page(403, RenderProblemPage("주민 명부는 신고센터 컴퓨터에서만 고칠 수 있습니다."),
                        "resident form -> refused to " + std::string(loopback ? "another site" : "a remote peer"));
        }
        if (body == nullptr) {
            return Page(200, RenderResidentForm("", false), "resident form");
        }
        std::string error;
        std::optional<Resident> resident =
            ReadResident(FormValue(*body, "name"), FormValue(*body, "number"), std::time(nullptr), error);
        std::string previous;
        if (resident && !server.m_store.AddResident(resident->ssn, resident->name, previous)) {
            error = "주민 명부에 쓰지 못했습니다.";
            resident.reset();
        }
        if (!resident) {
            return Page(400, RenderResidentForm(error, true), "resident form -> refused: " + error);
        }
        std::string notice = "등록했습니다: " + platform::Cp949ToUtf8(resident->name).value_or("") + " " +
                             resident->ssn.substr(0, 6) + "-" + resident->ssn[6] + "******";
        if (!previous.empty() && previous != resident->name) {
            notice += " (전에는 " + platform::Cp949ToUtf8(previous).value_or("?") + ")";
        }
        return Page(200, RenderResidentForm(notice, false), "resident form -> " + notice);
    }

    static MHD_Result Queue(CentreServer& server, MHD_Connection* connection, CentreServer::Exchange& exchange,
                            const std::string& method, const std::string& path, const Reply& reply) {
        exchange.answered = true;
        {
            // A kept-alive connection has its time again for the next request.
            std::lock_guard lock(server.m_openMutex);
            auto open = server.m_open.find(connection);
            if (open != server.m_open.end()) {
                open->second.due = Clock::now() + std::chrono::seconds(CentreServer::kRequestSeconds);
            }
        }
        MHD_Response* response = MHD_create_response_from_buffer(
            reply.body.size(), const_cast<char*>(reply.body.data()), MHD_RESPMEM_MUST_COPY);
        if (response == nullptr) {
            return MHD_NO;
        }
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.type);
        const MHD_Result queued = MHD_queue_response(connection, reply.status, response);
        MHD_destroy_response(response);
        server.Log(method + " " + (path.size() > 80 ? path.substr(0, 80) + "..." : path) + " " + reply.log + " (" +
                   Milliseconds(exchange.start) + ")");
        return queued;
    }

    static MHD_Result OnRequest(void* cls, MHD_Connection* connection, const char* url, const char* method, const char*,
                                const char* upload, size_t* uploadSize, void** state) {
        CentreServer& server = *static_cast<CentreServer*>(cls);
        auto* exchange = static_cast<CentreServer::Exchange*>(*state);
        if (exchange == nullptr) {
            // The head is in. Refuse what is too large before a byte of the body is read.
            exchange = new CentreServer::Exchange;
            *state = exchange;
            const MHD_ConnectionInfo* head =
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_REQUEST_HEADER_SIZE);
            const int lines = MHD_get_connection_values(connection, MHD_HEADER_KIND, nullptr, nullptr);
            if ((head != nullptr && head->header_size > CentreServer::kMaxHead) ||
                lines > static_cast<int>(CentreServer::kMaxHeaderLines)) {
                return Queue(server, connection, *exchange, method, url,
                             Refusal(MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE,
                                     "요청 머리말이 너무 깁니다. 16 KB, 100줄 이하로 보내 주십시오.",
                                     "head of " + std::to_string(head != nullptr ? head->header_size : 0) +
                                         " bytes in " + std::to_string(lines) + " header lines"));
            }
            const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Content-Length");
            if (length != nullptr &&
                (std::strlen(length) >= 16 || std::strtoull(length, nullptr, 10) > CentreServer::kMaxBody)) {
                return Queue(server, connection, *exchange, method, url,
                             Refusal(413, "요청이 너무 큽니다. 64 KB 이하로 보내 주십시오.",
                                     "announced body of " + std::string(length).substr(0, 20) + " bytes, not read"));
            }
            return MHD_YES;
        }
        if (*uploadSize != 0) {
            if (!exchange->answered) {
                exchange->tooLarge = exchange->tooLarge || exchange->body.size() + *uploadSize > CentreServer::kMaxBody;
                if (exchange->tooLarge) {
                    exchange->body.clear();
                } else {
                    exchange->body.append(upload, *uploadSize);
                }
            }
            *uploadSize = 0;
            return MHD_YES;
        }
        if (exchange->answered) {
            return MHD_YES;
        }
        if (exchange->tooLarge) {
            return Queue(server, connection, *exchange, method, url,
                         Refusal(413, "요청이 너무 큽니다. 64 KB 이하로 보내 주십시오.", "body too large"));
        }
        return Queue(server, connection, *exchange, method, url,
                     Route(server, connection, method, url, exchange->body));
    }

    static void OnCompleted(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
        delete static_cast<CentreServer::Exchange*>(*state);
        *state = nullptr;
    }

    // The library reports a connection closed before it closes its socket, so a socket in the list is
    // always still the connection's own.
    static void OnConnection(void* cls, MHD_Connection* connection, void**, MHD_ConnectionNotificationCode code) {
        CentreServer& server = *static_cast<CentreServer*>(cls);
        std::lock_guard lock(server.m_openMutex);
        if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
            server.m_open.erase(connection);
            return;
        }
        const MHD_ConnectionInfo* socket = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        if (socket != nullptr) {
            server.m_open[connection] = {socket->connect_fd,
                                         Clock::now() + std::chrono::seconds(CentreServer::kRequestSeconds)};
        }
    }
};

CentreServer::CentreServer(const CentreService& service, CentreStore& store, std::string helpPage, std::ostream& log)
    : m_service(service), m_store(store), m_helpPage(std::move(helpPage)), m_log(log) {}

CentreServer::~CentreServer() {
    if (m_listenSocket >= 0 && !m_socketHandedOver) {
        close(m_listenSocket);
    }
}

int CentreServer::Bind(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (m_listenSocket >= 0 || getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return -1;
    }
    for (addrinfo* a = found; a != nullptr && m_listenSocket < 0; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        // Address reuse lets a restarted centre bind at once; no port sharing, so a second centre on the same
        // address fails instead of silently taking half of the requests.
        int yes = 1;
        if (fd >= 0 && setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) == 0 &&
            bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, SOMAXCONN) == 0) {
            m_listenSocket = fd;
        } else if (fd >= 0) {
            close(fd);
        }
    }
    freeaddrinfo(found);
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    if (m_listenSocket < 0 || getsockname(m_listenSocket, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        return -1;
    }
    return ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                             : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
}

bool CentreServer::Serve() {
    std::unique_lock lock(m_stopMutex);
    if (m_stopRequested) {
        return true;
    }
    if (m_listenSocket < 0) {
        return false;
    }
    MHD_Daemon* daemon = MHD_start_daemon(
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ITC, 0, nullptr, nullptr,
        &CentreServerHooks::OnRequest, this, MHD_OPTION_LISTEN_SOCKET, m_listenSocket, MHD_OPTION_THREAD_POOL_SIZE,
        kServingThreads, MHD_OPTION_CONNECTION_LIMIT, kMaxConnections, MHD_OPTION_CONNECTION_TIMEOUT, kIdleSeconds,
        MHD_OPTION_NOTIFY_COMPLETED, &CentreServerHooks::OnCompleted, this, MHD_OPTION_NOTIFY_CONNECTION,
        &CentreServerHooks::OnConnection, this, MHD_OPTION_END);
    if (daemon == nullptr) {
        return false;
    }
    m_socketHandedOver = true;
    while (!m_stopSignal.wait_for(lock, std::chrono::seconds(1), [this] { return m_stopRequested; })) {
        CloseOverdue();
    }
    lock.unlock();
    MHD_stop_daemon(daemon);
    return true;
}

void CentreServer::CloseOverdue() {
    const Clock::time_point now = Clock::now();
    int closed = 0;
    {
        std::lock_guard lock(m_openMutex);
        for (auto& [connection, open] : m_open) {
            if (open.due <= now) {
                // The library sees the end of the connection and closes it in its own thread.
                shutdown(open.socket, SHUT_RDWR);
                open.due = Clock::time_point::max();
                ++closed;
            }
        }
    }
    if (closed > 0) {
        Log("closed " + std::to_string(closed) + " connection(s) that sent no whole request in " +
            std::to_string(kRequestSeconds) + " s");
    }
}

void CentreServer::Stop() {
    std::lock_guard lock(m_stopMutex);
    m_stopRequested = true;
    m_stopSignal.notify_all();
}

void CentreServer::Log(const std::string& line) {
    std::lock_guard lock(m_logMutex);
    m_log << Timestamp() << ' ' << line << std::endl;
}
