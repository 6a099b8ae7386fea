#include "client/env/PlatformNotifier.h"

#include <cstdio>

void PlatformNotifier::Show(const std::string& text, const std::string& caption) const {
    if (m_handler) {
        m_handler(text, caption);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}
