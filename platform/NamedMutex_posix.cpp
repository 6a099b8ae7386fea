#include "platform/NamedMutex.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::string LockPath(const std::string& name, const std::string& folder) {
    const std::string dir = folder.empty() ? NamedMutex::DefaultFolder() : folder;
    return dir + "/" + name + ".lock";
}

int OpenLockFile(const std::string& path) {
    return open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

} // namespace

NamedMutex::NamedMutex(std::string name, std::string folder) : m_path(LockPath(name, folder)) {}

NamedMutex::~NamedMutex() {
    Release();
}

std::string NamedMutex::DefaultFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtime != nullptr && runtime[0] == '/' && stat(runtime, &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == getuid()) {
        return runtime;
    }
    // A private folder of this user under /tmp; refuse one that someone else made or that is a link.
    const std::string dir = "/tmp/halvren-" + std::to_string(getuid());
    mkdir(dir.c_str(), 0700);
    if (lstat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid()) {
        return dir;
    }
    return std::string();
}

bool NamedMutex::Acquire() {
    if (m_fd >= 0) {
        return true;
    }
    if (m_path.front() != '/') {
        return false; // no usable folder
    }
    int fd = OpenLockFile(m_path);
    if (fd < 0) {
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void NamedMutex::Release() {
    if (m_fd >= 0) {
        flock(m_fd, LOCK_UN);
        close(m_fd);
        m_fd = -1;
    }
}

bool NamedMutex::IsHeldElsewhere(const std::string& name, const std::string& folder) {
    NamedMutex probe(name, folder);
    if (probe.Acquire()) {
        return false;
    }
    // Either another process holds it, or the lock cannot be checked at all; both mean "do not go on".
    return true;
}

} // namespace platform
