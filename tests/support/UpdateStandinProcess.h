#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

// update-standin run as a process of its own on a free loopback port, its output going to a log file; stopped
// with SIGTERM when the object goes.
class UpdateStandinProcess {
public:
    UpdateStandinProcess(const std::string& program, std::filesystem::path log, std::vector<std::string> options);
    ~UpdateStandinProcess();
    UpdateStandinProcess(const UpdateStandinProcess&) = delete;
    UpdateStandinProcess& operator=(const UpdateStandinProcess&) = delete;

    // The port it serves on; 0 when it did not start within five seconds.
    int Port() const { return m_port; }
    std::string Log() const;
    // Waits up to five seconds until the log holds `count` lines with `text`.
    bool WaitForLines(const std::string& text, int count) const;

private:
    std::filesystem::path m_log;
    pid_t m_pid = -1;
    int m_port = 0;
};
