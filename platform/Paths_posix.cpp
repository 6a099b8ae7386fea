#include "platform/Paths.h"

#include <limits.h>
#include <unistd.h>

namespace platform {

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExecutableFolder() {
    std::string path(PATH_MAX, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<size_t>(n) >= path.size()) {
        return {};
    }
    path.resize(static_cast<size_t>(n));
    return FolderOf(path);
}

} // namespace platform
