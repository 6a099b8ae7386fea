#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

struct MHD_Connection;
struct MHD_Daemon;
class CentreService;
class CentreStore;

// The centre's HTTP side: the request path of the client, the help page, the dispatcher's pages and the
// operator's resident form. Event-driven, so that connections that send nothing or send slowly cost a little
// memory and no worker: a few threads serve thousands of connections. Writes one log line per request.
class CentreServer {
public:
    static constexpr const char* kRequestPath = "/Morvane/vesk/VeskManager.jsp";
    static constexpr const char* kHelpPath = "/Morvane/vesk/Help/help.jsp";
    // The largest request body: ten times the largest report the client can send.
    static constexpr std::size_t kMaxBody = 64 * 1024;
    // The largest request head, request line and header lines together; a larger one is refused with 431.
    static constexpr std::size_t kMaxHead = 16 * 1024;
    static constexpr unsigned kMaxHeaderLines = 100;
    // A connection that sends and takes nothing for this long is closed, also before its first byte.
    static constexpr unsigned kIdleSeconds = 10;
    // A connection that has not sent a whole request this long after it opened, or after its last answer, is
    // closed however steadily it trickles: the client sends each request at once, and gives up after 30 s.
    static constexpr unsigned kRequestSeconds = 30;
    static constexpr unsigned kMaxConnections = 4000;
    // Connections one peer address may hold at once, so that one process cannot keep a report waiting; enough
    // for a browser and a few dozen callers behind one address.
    static constexpr unsigned kMaxConnectionsPerPeer = 64;

    // `helpPage` is the help page in code page 949.
    CentreServer(const CentreService& service, CentreStore& store, std::string helpPage, std::ostream& log);
    ~CentreServer();
    CentreServer(const CentreServer&) = delete;
    CentreServer& operator=(const CentreServer&) = delete;

    // Binds the listening socket; port 0 takes any free port. Returns the port, or -1 when binding failed.
    int Bind(const std::string& host, int port);
    // Whether the server library was built with TLS.
    static bool TlsAvailable();
    // Serves the bound socket over TLS with this certificate chain and key (PEM). False when the library has
    // no TLS. Checked when serving starts.
    bool UseTls(std::string certificatePem, std::string keyPem);
    // A second listener, plain HTTP on a loopback address only, for the dispatcher's pages and the resident
    // form in a browser; it does not take the client's requests. Returns the port, or -1 when the address is
    // not a loopback one or binding failed.
    int BindPages(const std::string& host, int port);
    // The token the resident form carries in this run.
    const std::string& FormToken() const { return m_formToken; }
    // Serves until Stop; a request being answered is finished first. False when serving could not start.
    bool Serve();
    // Safe from any thread, also before Serve.
    void Stop();

private:
    struct Exchange;
    friend struct CentreServerHooks;
    // One listening socket with what it serves: the names it answers to (Host), TLS or not, every path or the
    // pages only.
    struct Listener {
        CentreServer* server = nullptr;
        int socket = -1;
        std::vector<std::string> names;
        bool pagesOnly = false;
        std::string certificatePem;
        std::string keyPem;
        MHD_Daemon* daemon = nullptr;
    };

    int Listen(const std::string& host, int port, bool pagesOnly);
    bool Start(Listener& listener);

    void Log(const std::string& line);
    // Closes the connections past their time for a request.
    void CloseOverdue();

    const CentreService& m_service;
    CentreStore& m_store;
    std::string m_helpPage;
    std::ostream& m_log;
    std::mutex m_logMutex;
    std::mutex m_stopMutex;
    std::condition_variable m_stopSignal;
    bool m_stopRequested = false;
    std::string m_formToken;
    // The first is the one Bind made. A socket handed to a daemon is the library's to close.
    std::vector<std::unique_ptr<Listener>> m_listeners;
    // Every open connection: its socket and the moment its request must be in.
    struct Open {
        int socket;
        std::chrono::steady_clock::time_point due;
    };
    std::mutex m_openMutex;
    std::unordered_map<MHD_Connection*, Open> m_open;
};
