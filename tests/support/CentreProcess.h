#pragma once

#include "support/StandinProcess.h"
#include "support/TempDir.h"

#include <string>
#include <vector>

// The real centre stand-in with a fresh database in a folder of its own, stopped when the object goes; and
// a look into that database as an operator would take it.
class CentreProcess {
public:
    explicit CentreProcess(const std::vector<std::string>& extraArguments = {});

    // False when it did not come up.
    bool Running() const { return m_process.Port() != 0; }
    std::string Host() const { return m_process.Host(); }
    std::string Log() const { return m_dir.Read("centre.log"); }

    // The rows a query of its database gives, every column as text.
    std::vector<std::vector<std::string>> Query(const std::string& sql) const;

private:
    TempDir m_dir;
    StandinProcess m_process;
};
