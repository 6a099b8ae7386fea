#include "platform/SafeSave.h"

#include "platform/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The rename itself lives in the folder; flushing the folder makes it last across a power cut.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

bool SafeSave(const std::string& path, std::string_view bytes, unsigned mode) {
    if (path.empty() || path.back() == '/') {
        return false;
    }
    std::string temp = path + ".tmp-XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool ok = fchmod(fd, static_cast<mode_t>(mode)) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (ok) {
        ok = rename(temp.c_str(), path.c_str()) == 0;
    }
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    const std::string folder = FolderOf(path);
    SyncFolder(folder.empty() ? "." : folder);
    return true;
}

} // namespace platform
