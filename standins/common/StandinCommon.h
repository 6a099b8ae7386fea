#pragma once

#include <functional>
#include <optional>
#include <string>
#include <thread>

// What the two stand-in programs share around their servers: the command line's address and numbers, and
// stopping cleanly on Ctrl+C or SIGTERM.

// "HOST:PORT" of --listen; false when the text is not one.
bool ParseListen(const std::string& value, std::string& host, int& port);

// A decimal number of at most nine digits and not above `most`; nothing for any other text.
std::optional<long> ParseNumber(const std::string& text, long most);

// SIGINT and SIGTERM taken by one thread only, which runs the server's stop; no other thread sees them, and a
// peer that goes away never ends the process (SIGPIPE). Make it before any thread is started.
class StopSignals {
public:
    StopSignals();
    // Wakes the waiting thread, if the server ended by itself, and joins it.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // From now on the first stop signal runs `stop`.
    void OnStop(std::function<void()> stop);

private:
    std::thread m_waiter;
};
