#include "support/CentreProcess.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <regex>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

CentreProcess::CentreProcess(const std::vector<std::string>& extraArguments) {
    const std::string log = (m_dir.Path() / "centre.log").string();
    std::vector<std::string> args = {HALVREN_CENTRE_STANDIN,           "--listen", "127.0.0.1:0",      "--data",
                                     (m_dir.Path() / "data").string(), "--cipher", HALVREN_KAVREL_PATH};
    args.insert(args.end(), extraArguments.begin(), extraArguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int spawned = posix_spawn(&m_pid, args[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        m_pid = -1;
        return;
    }
    const std::regex ready(R"(serving on http://127\.0\.0\.1:(\d+)/)");
    for (int i = 0; i < 200 && m_port == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::smatch match;
        const std::string text = Log();
        if (std::regex_search(text, match, ready)) {
            m_port = std::stoi(match[1]);
        }
    }
}

CentreProcess::~CentreProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
}

std::vector<std::vector<std::string>> CentreProcess::Query(const std::string& sql) const {
    std::vector<std::vector<std::string>> rows;
    sqlite3* db = nullptr;
    const std::string path = (m_dir.Path() / "data" / "centre.db").string();
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                std::vector<std::string> row;
                for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, c));
                    row.emplace_back(bytes ? bytes : "", static_cast<size_t>(sqlite3_column_bytes(statement, c)));
                }
                rows.push_back(std::move(row));
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
}
