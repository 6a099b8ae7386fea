#pragma once

#include <string>

namespace platform {

// A lock that one process at a time can hold under a name, for the current user. The system releases it
// when the holder ends, however it ends.
class NamedMutex {
public:
    // `folder` holds the lock files; empty means the user's runtime folder.
    explicit NamedMutex(std::string name, std::string folder = std::string());
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // True when this object now holds the lock; false when another process holds it or the lock file
    // cannot be made.
    bool Acquire();
    void Release();
    bool IsHeld() const { return m_fd >= 0; }
    // The lock file; relative (unusable) when no folder could be found.
    const std::string& Path() const { return m_path; }

    // Whether any process holds the lock under this name right now.
    static bool IsHeldElsewhere(const std::string& name, const std::string& folder = std::string());

    // The folder the lock files live in when none is given.
    static std::string DefaultFolder();

private:
    std::string m_path;
    int m_fd = -1;
};

} // namespace platform
