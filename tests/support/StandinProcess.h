#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A stand-in (of the centre or of the update server) run as a process of its own on a free loopback port. Its
// output goes to a log file, so that it never blocks on a full pipe; it is stopped with SIGTERM when the
// object goes.
class StandinProcess {
public:
    // Starts `program --listen 127.0.0.1:0 arguments...` and waits until it says where it serves; Port() is 0
    // when it did not. A log that exists already is appended to; only what comes after counts.
    StandinProcess(const std::string& program, const std::string& logFile, const std::vector<std::string>& arguments);
    ~StandinProcess(); // stops it with SIGTERM
    StandinProcess(const StandinProcess&) = delete;
    StandinProcess& operator=(const StandinProcess&) = delete;

    int Port() const { return m_port; }
    pid_t Pid() const { return m_pid; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    std::string Log() const;
    // Waits up to five seconds until the log holds `count` lines with `text`.
    bool WaitForLines(const std::string& text, int count) const;
    // Sends the signal and waits for the process to end.
    void Stop(int signal);
    // The resident memory of the process in kB (VmRSS), -1 when it cannot be read.
    long ResidentKilobytes() const;

private:
    std::string m_logFile;
    pid_t m_pid = -1;
    int m_port = 0;
};

// The arguments of the centre stand-in with its database in `dataDir` and the real cipher library.
std::vector<std::string> CentreArguments(const std::string& dataDir, const std::vector<std::string>& more = {});
