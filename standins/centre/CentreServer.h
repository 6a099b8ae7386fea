#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>

namespace httplib {
class Server;
}
class CentreService;
class CentreStore;

// The centre's HTTP side: the request path of the client, the help page and the dispatcher's view.
// Serves many clients at once; writes one log line per request.
class CentreServer {
public:
    static constexpr const char* kRequestPath = "/Morvane/vesk/VeskManager.jsp";
    static constexpr const char* kHelpPath = "/Morvane/vesk/Help/help.jsp";
    static constexpr std::size_t kMaxBody = 1024 * 1024;

    // `helpPage` is the help page in code page 949.
    CentreServer(const CentreService& service, CentreStore& store, std::string helpPage, std::ostream& log);
    ~CentreServer();
    CentreServer(const CentreServer&) = delete;
    CentreServer& operator=(const CentreServer&) = delete;

    // Binds the listening socket; port 0 takes any free port. Returns the port, or -1 when binding failed.
    int Bind(const std::string& host, int port);
    // Serves until Stop; requests under way are finished first. False when serving could not start.
    bool Serve();
    // Safe from any thread.
    void Stop();

private:
    void Log(const std::string& line);

    const CentreService& m_service;
    CentreStore& m_store;
    std::string m_helpPage;
    std::ostream& m_log;
    std::mutex m_logMutex;
    std::mutex m_stopMutex;
    std::atomic<bool> m_serveCalled{false};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_finished{false};
    bool m_stopIssued = false;
    int m_listenSocket = -1;
    std::unique_ptr<httplib::Server> m_server;
};
