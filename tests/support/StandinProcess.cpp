#include "support/StandinProcess.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <regex>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

std::vector<std::string> CentreArguments(const std::string& dataDir, const std::vector<std::string>& more) {
    std::vector<std::string> arguments = {"--data", dataDir, "--cipher", HALVREN_KAVREL_PATH};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

StandinProcess::StandinProcess(const std::string& program, const std::string& logFile,
                               const std::vector<std::string>& arguments)
    : m_logFile(logFile) {
    std::vector<std::string> args = {program, "--listen", "127.0.0.1:0"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    // A restart appends to the same log; only what comes after counts.
    const size_t logBefore = ReadAll(logFile).size();
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        // The stand-in ends with the test even when the test dies without stopping it.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int log = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (getppid() != parent || log < 0 || dup2(log, 1) < 0 || dup2(log, 2) < 0) {
            _exit(127);
        }
        execve(argv[0], argv.data(), environ);
        _exit(127);
    }
    if (m_pid < 0) {
        return;
    }
    const std::regex ready(R"(on (?:https?://)?127\.0\.0\.1:(\d+))");
    for (int i = 0; i < 400 && m_port == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        const std::string log = ReadAll(logFile);
        const std::string fresh = log.substr(std::min(log.size(), logBefore));
        std::smatch match;
        if (std::regex_search(fresh, match, ready)) {
            m_port = std::stoi(match[1]);
        }
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1; // it ended without serving
            return;
        }
    }
}

StandinProcess::~StandinProcess() {
    Stop(SIGTERM);
}

void StandinProcess::Stop(int signal) {
    if (m_pid > 0) {
        kill(m_pid, signal);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
}

std::string StandinProcess::Log() const {
    return ReadAll(m_logFile);
}

bool StandinProcess::WaitForLines(const std::string& text, int count) const {
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

long StandinProcess::ResidentKilobytes() const {
    std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}
