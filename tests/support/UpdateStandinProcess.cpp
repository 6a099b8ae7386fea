#include "support/UpdateStandinProcess.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <regex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

UpdateStandinProcess::UpdateStandinProcess(const std::string& program, std::filesystem::path log,
                                           std::vector<std::string> options)
    : m_log(std::move(log)) {
    options.insert(options.begin(), {program, "--listen", "127.0.0.1:0"});
    std::vector<char*> argv;
    for (std::string& option : options) {
        argv.push_back(option.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        m_pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    const std::regex serving("on 127\\.0\\.0\\.1:([0-9]+)");
    for (int i = 0; i < 200 && m_pid > 0 && m_port == 0; ++i) {
        std::smatch match;
        const std::string log = Log();
        if (std::regex_search(log, match, serving)) {
            m_port = std::stoi(match[1]);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    }
}

UpdateStandinProcess::~UpdateStandinProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

std::string UpdateStandinProcess::Log() const {
    std::ifstream in(m_log);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool UpdateStandinProcess::WaitForLines(const std::string& text, int count) const {
    for (int i = 0; i < 200; ++i) {
        const std::string log = Log();
        int found = 0;
        for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
            ++found;
        }
        if (found >= count) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}
