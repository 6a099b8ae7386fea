#include "platform/Shell.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

// Starts `argv` in a new session through a short-lived middle process, so that the program is neither our
// child to wait for nor a zombie while we run. Only the middle process is waited for.
bool SpawnDetached(const std::string& program, const std::string& argument, const std::string& folder = {}) {
    if (access(program.c_str(), X_OK) != 0) {
        return false;
    }
    // Everything the children need is prepared before fork: after it only exec and _exit are safe.
    std::string arg0 = program;
    std::string arg1 = argument;
    char* argv[3] = {arg0.data(), argument.empty() ? nullptr : arg1.data(), nullptr};
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return false;
    }
    pid_t middle = fork();
    if (middle < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }
    if (middle == 0) {
        setsid();
        pid_t child = fork();
        if (child == 0) {
            if (folder.empty() || chdir(folder.c_str()) == 0) {
                execv(argv[0], argv);
            }
            char failed = 1; // the pipe closes on a successful exec and stays silent
            (void)!write(pipeFds[1], &failed, 1);
            _exit(127);
        }
        _exit(child < 0 ? 1 : 0);
    }
    close(pipeFds[1]);
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    char failed = 0;
    ssize_t n;
    while ((n = read(pipeFds[0], &failed, 1)) < 0 && errno == EINTR) {
    }
    close(pipeFds[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

} // namespace

bool OpenAddress(const std::string& address) {
    for (const char* opener : {"/usr/bin/xdg-open", "/usr/bin/sensible-browser", "/usr/bin/x-www-browser"}) {
        if (SpawnDetached(opener, address)) {
            return true;
        }
    }
    return false;
}

bool StartProgram(const std::string& path, const std::string& folder) {
    return SpawnDetached(path, std::string(), folder);
}

} // namespace platform
