#include "platform/SafeSave.h"

#include "platform/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/random.h>
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

// A new temporary file beside `name`, made through the folder's descriptor and never through a link.
int CreateTemporary(int folder, const std::string& name, std::string& temp) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        unsigned char random[6] = {};
        if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
            return -1;
        }
        temp = name + ".tmp-";
        for (unsigned char c : random) {
            temp += "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"[c % 62];
        }
        const int fd = openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// The temporary file and the rename both go through the folder's descriptor, so nothing on the way can be
// swapped for a link between the checks and the writes.
bool SaveAt(int folder, const std::string& name, std::string_view bytes, unsigned mode) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        return false;
    }
    std::string temp;
    const int fd = CreateTemporary(folder, name, temp);
    if (fd < 0) {
        return false;
    }
    bool ok = fchmod(fd, static_cast<mode_t>(mode)) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (ok) {
        ok = renameat(folder, temp.c_str(), folder, name.c_str()) == 0;
    }
    if (!ok) {
        unlinkat(folder, temp.c_str(), 0);
        return false;
    }
    // The rename itself lives in the folder; flushing the folder makes it last across a power cut.
    fsync(folder);
    return true;
}

bool SaveIn(const std::string& folder, const std::string& name, std::string_view bytes, unsigned mode, int flags) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | flags);
    if (fd < 0) {
        return false;
    }
    const bool ok = SaveAt(fd, name, bytes, mode);
    close(fd);
    return ok;
}

} // namespace

bool SafeSave(const std::string& path, std::string_view bytes, unsigned mode) {
    const std::string folder = FolderOf(path);
    return SaveIn(folder.empty() ? "." : folder, path.substr(folder.size()), bytes, mode, 0);
}

bool SafeSaveInFolder(const std::string& folder, const std::string& name, std::string_view bytes, unsigned mode) {
    // A trailing "/" would make the system follow a link in the folder's last part.
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return !path.empty() && SaveIn(path, name, bytes, mode, O_NOFOLLOW);
}

} // namespace platform
