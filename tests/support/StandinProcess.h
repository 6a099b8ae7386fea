#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// The centre stand-in as a child process on a free loopback port, with the real cipher library. Its output
// goes to a log file, so that it never blocks on a full pipe.
class StandinProcess {
public:
    // Starts `program` on `dataDir` and waits until it serves; Port() is 0 when it did not.
    StandinProcess(const std::string& program, const std::string& dataDir, const std::string& logFile,
                   const std::vector<std::string>& extraArgs = {});
    ~StandinProcess(); // stops it with SIGTERM
    StandinProcess(const StandinProcess&) = delete;
    StandinProcess& operator=(const StandinProcess&) = delete;

    int Port() const { return m_port; }
    pid_t Pid() const { return m_pid; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    // Sends the signal and waits for the process to end.
    void Stop(int signal);
    // The resident memory of the process in kB (VmRSS), -1 when it cannot be read.
    long ResidentKilobytes() const;

private:
    pid_t m_pid = -1;
    int m_port = 0;
};
