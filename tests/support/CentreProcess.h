#pragma once

#include "support/TempDir.h"

#include <string>
#include <sys/types.h>
#include <vector>

// The real centre stand-in as a child process on a free loopback port, with a fresh database of its own and
// the real cipher library; stopped when the object goes. Its output goes to a log file in its folder.
class CentreProcess {
public:
    explicit CentreProcess(const std::vector<std::string>& extraArguments = {});
    ~CentreProcess();
    CentreProcess(const CentreProcess&) = delete;
    CentreProcess& operator=(const CentreProcess&) = delete;

    // False when it did not come up within ten seconds.
    bool Running() const { return m_port != 0; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    std::string Log() const { return m_dir.Read("centre.log"); }

    // The rows a query of its database gives, every column as text (a separate reader, as an operator would).
    std::vector<std::vector<std::string>> Query(const std::string& sql) const;

private:
    TempDir m_dir;
    pid_t m_pid = -1;
    int m_port = 0;
};
