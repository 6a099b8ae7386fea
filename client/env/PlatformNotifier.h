#pragma once

#include <functional>
#include <string>

// The plain system message boxes that the environment shows on its own (the machine identity failures), with
// their fixed texts. The application connects a real box; without one the text goes to standard error.
class PlatformNotifier {
public:
    using Handler = std::function<void(const std::string& text, const std::string& caption)>;

    PlatformNotifier() = default;
    explicit PlatformNotifier(Handler handler) : m_handler(std::move(handler)) {}

    void Show(const std::string& text, const std::string& caption) const;

private:
    Handler m_handler;
};
