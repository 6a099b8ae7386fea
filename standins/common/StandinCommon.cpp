#include "standins/common/StandinCommon.h"

#include <csignal>
#include <pthread.h>
#include <unistd.h>

namespace {

sigset_t StopSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

} // namespace

bool ParseListen(const std::string& value, std::string& host, int& port) {
    const size_t colon = value.rfind(':');
    const std::optional<long> number =
        colon == std::string::npos || colon == 0 ? std::nullopt : ParseNumber(value.substr(colon + 1), 65535);
    if (!number) {
        return false;
    }
    host = value.substr(0, colon);
    port = static_cast<int>(*number);
    return true;
}

std::optional<long> ParseNumber(const std::string& text, long most) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const long value = std::stol(text);
    return value <= most ? std::optional<long>(value) : std::nullopt;
}

StopSignals::StopSignals() {
    const sigset_t set = StopSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

StopSignals::~StopSignals() {
    if (m_waiter.joinable()) {
        kill(getpid(), SIGTERM);
        m_waiter.join();
    }
}

void StopSignals::OnStop(std::function<void()> stop) {
    m_waiter = std::thread([stop = std::move(stop)] {
        const sigset_t set = StopSet();
        int signal = 0;
        sigwait(&set, &signal);
        stop();
    });
}
