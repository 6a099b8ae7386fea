#include "standins/centre/CentreServer.h"

#include "client/protocol/Envelope.h"
#include "platform/Codec.h"
#include "standins/centre/CentreService.h"
#include "standins/centre/CentreStore.h"
#include "standins/centre/DispatcherView.h"
#include "standins/centre/LocalTime.h"
#include "standins/centre/ResidentCheck.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <microhttpd.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/random.h>
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

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// A secret of this run: 128 random bits as hex; empty only when the system has no randomness to give.
std::string RandomToken() {
    unsigned char bytes[16];
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        return {};
    }
    std::string token;
    for (unsigned char b : bytes) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", b);
        token += hex;
    }
    return token;
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
    static Reply Route(const CentreServer::Listener& listener, MHD_Connection* connection, const std::string& method,
                       const std::string& path, const std::string& body) {
        CentreServer& server = *listener.server;
        if (path == CentreServer::kRequestPath && !listener.pagesOnly) {
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
            return ResidentForm(listener, connection, loopback, get ? nullptr : &body);
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
    static Reply ResidentForm(const CentreServer::Listener& listener, MHD_Connection* connection, bool loopback,
                              const std::string* body) {
        CentreServer& server = *listener.server;
        const char* origin = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Origin");
        const char* host = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Host");
        const std::string scheme = listener.certificatePem.empty() ? "http://" : "https://";
        const bool foreign =
            origin != nullptr && (host == nullptr || std::string(origin) != scheme + std::string(host));
        // Only a form this server gave out in this run carries the token.
        const bool forged =
            body != nullptr && (server.m_formToken.empty() || FormValue(*body, "token") != server.m_formToken);
        if (!loopback || foreign || forged) {
            return Page(403, RenderProblemPage("주민 명부는 신고센터 컴퓨터에서만 고칠 수 있습니다."),
                        "resident form -> refused to " + std::string(!loopback ? "a remote peer"
                                                                     : foreign ? "another site"
                                                                               : "a form without its token"));
        }
        if (body == nullptr) {
            return Page(200, RenderResidentForm("", false, server.m_formToken), "resident form");
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
            return Page(400, RenderResidentForm(error, true, server.m_formToken), "resident form -> refused: " + error);
        }
        std::string notice = "등록했습니다: " + platform::Cp949ToUtf8(resident->name).value_or("") + " " +
                             resident->ssn.substr(0, 6) + "-" + resident->ssn[6] + "******";
        if (!previous.empty() && previous != resident->name) {
            notice += " (전에는 " + platform::Cp949ToUtf8(previous).value_or("?") + ")";
        }
        return Page(200, RenderResidentForm(notice, false, server.m_formToken), "resident form -> " + notice);
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

    // A page of another site that has pointed its own name at this machine sends that name: it gets nothing.
    static bool NamesThisServer(const CentreServer::Listener& listener, MHD_Connection* connection) {
        const char* host = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Host");
        if (host == nullptr) {
            return false;
        }
        const std::string name = Lower(host);
        return std::find(listener.names.begin(), listener.names.end(), name) != listener.names.end();
    }

    static MHD_Result OnRequest(void* cls, MHD_Connection* connection, const char* url, const char* method, const char*,
                                const char* upload, size_t* uploadSize, void** state) {
        const CentreServer::Listener& listener = *static_cast<CentreServer::Listener*>(cls);
        CentreServer& server = *listener.server;
        auto* exchange = static_cast<CentreServer::Exchange*>(*state);
        if (exchange == nullptr) {
            // The head is in. Refuse what is too large before a byte of the body is read.
            exchange = new CentreServer::Exchange;
            *state = exchange;
            if (!NamesThisServer(listener, connection)) {
                const char* host = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Host");
                return Queue(server, connection, *exchange, method, url,
                             {421, "421 Misdirected Request\n", "text/plain; charset=utf-8",
                              "-> 421 for Host " + std::string(host == nullptr ? "(none)" : host).substr(0, 80)});
            }
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
                     Route(listener, connection, method, url, exchange->body));
    }

    static void OnCompleted(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
        delete static_cast<CentreServer::Exchange*>(*state);
        *state = nullptr;
    }

    // The library reports a connection closed before it closes its socket, so a socket in the list is
    // always still the connection's own.
    static void OnConnection(void* cls, MHD_Connection* connection, void**, MHD_ConnectionNotificationCode code) {
        CentreServer& server = *static_cast<CentreServer::Listener*>(cls)->server;
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
    : m_service(service), m_store(store), m_helpPage(std::move(helpPage)), m_log(log), m_formToken(RandomToken()) {}

CentreServer::~CentreServer() {
    for (const auto& listener : m_listeners) {
        if (listener->daemon != nullptr) {
            MHD_stop_daemon(listener->daemon);
        } else if (listener->socket >= 0) {
            close(listener->socket);
        }
    }
}

int CentreServer::Bind(const std::string& host, int port) {
    return m_listeners.empty() ? Listen(host, port, false) : -1;
}

int CentreServer::BindPages(const std::string& host, int port) {
    return m_listeners.size() == 1 ? Listen(host, port, true) : -1;
}

bool CentreServer::TlsAvailable() {
    return MHD_is_feature_supported(MHD_FEATURE_TLS) == MHD_YES;
}

bool CentreServer::UseTls(std::string certificatePem, std::string keyPem) {
    if (!TlsAvailable() || m_listeners.empty() || certificatePem.empty() || keyPem.empty()) {
        return false;
    }
    m_listeners.front()->certificatePem = std::move(certificatePem);
    m_listeners.front()->keyPem = std::move(keyPem);
    return true;
}

int CentreServer::Listen(const std::string& host, int port, bool pagesOnly) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return -1;
    }
    int listening = -1;
    for (addrinfo* a = found; a != nullptr && listening < 0; a = a->ai_next) {
        if (pagesOnly && !IsLoopback(a->ai_addr)) {
            continue; // the pages show every caller's details: never beyond this machine
        }
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        // Address reuse lets a restarted centre bind at once; no port sharing, so a second centre on the same
        // address fails instead of silently taking half of the requests.
        int yes = 1;
        if (fd >= 0 && setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) == 0 &&
            bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, SOMAXCONN) == 0) {
            listening = fd;
        } else if (fd >= 0) {
            close(fd);
        }
    }
    freeaddrinfo(found);
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    if (listening < 0 || getsockname(listening, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        if (listening >= 0) {
            close(listening);
        }
        return -1;
    }
    const int boundPort = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                                            : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    auto listener = std::make_unique<Listener>();
    listener->server = this;
    listener->socket = listening;
    listener->pagesOnly = pagesOnly;
    // The Host a browser or the client sends for this address: its own name, or the loopback's usual ones.
    const std::string suffix = ":" + std::to_string(boundPort);
    for (const std::string& name : {host.find(':') != std::string::npos ? "[" + host + "]" : host,
                                    std::string("localhost"), std::string("127.0.0.1")}) {
        listener->names.push_back(Lower(name) + suffix);
    }
    m_listeners.push_back(std::move(listener));
    return boundPort;
}

bool CentreServer::Start(Listener& listener) {
    const bool tls = !listener.certificatePem.empty();
    if (tls) {
        // The port may be left out where it is the scheme's own.
        if (listener.names.front().ends_with(":443")) {
            for (size_t i = 0, n = listener.names.size(); i < n; ++i) {
                listener.names.push_back(listener.names[i].substr(0, listener.names[i].size() - 4));
            }
        }
    } else if (listener.names.front().ends_with(":80")) {
        for (size_t i = 0, n = listener.names.size(); i < n; ++i) {
            listener.names.push_back(listener.names[i].substr(0, listener.names[i].size() - 3));
        }
    }
    const unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ITC | (tls ? MHD_USE_TLS : 0);
    // The library keeps pointers to the PEM texts, which live as long as the listener.
    MHD_OptionItem tlsOptions[] = {
        {tls ? MHD_OPTION_HTTPS_MEM_CERT : MHD_OPTION_END, 0, const_cast<char*>(listener.certificatePem.c_str())},
        {MHD_OPTION_HTTPS_MEM_KEY, 0, const_cast<char*>(listener.keyPem.c_str())},
        {MHD_OPTION_END, 0, nullptr}};
    listener.daemon = MHD_start_daemon(
        flags, 0, nullptr, nullptr, &CentreServerHooks::OnRequest, &listener, MHD_OPTION_LISTEN_SOCKET, listener.socket,
        MHD_OPTION_THREAD_POOL_SIZE, listener.pagesOnly ? 1u : kServingThreads, MHD_OPTION_CONNECTION_LIMIT,
        kMaxConnections, MHD_OPTION_PER_IP_CONNECTION_LIMIT, kMaxConnectionsPerPeer, MHD_OPTION_CONNECTION_TIMEOUT,
        kIdleSeconds, MHD_OPTION_NOTIFY_COMPLETED, &CentreServerHooks::OnCompleted, &listener,
        MHD_OPTION_NOTIFY_CONNECTION, &CentreServerHooks::OnConnection, &listener, MHD_OPTION_ARRAY, tlsOptions,
        MHD_OPTION_END);
    return listener.daemon != nullptr;
}

bool CentreServer::Serve() {
    std::unique_lock lock(m_stopMutex);
    if (m_stopRequested) {
        return true;
    }
    if (m_listeners.empty()) {
        return false;
    }
    for (const auto& listener : m_listeners) {
        if (!Start(*listener)) {
            return false; // the destructor stops what did start
        }
    }
    while (!m_stopSignal.wait_for(lock, std::chrono::seconds(1), [this] { return m_stopRequested; })) {
        CloseOverdue();
    }
    lock.unlock();
    for (const auto& listener : m_listeners) {
        MHD_stop_daemon(listener->daemon);
        listener->daemon = nullptr;
        listener->socket = -1;
    }
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
