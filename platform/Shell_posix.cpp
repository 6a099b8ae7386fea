#include "platform/Shell.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

// How long an opener has to report that it failed. One that still runs then is taken to have opened the
// address: some run the browser in the foreground until it is closed.
constexpr long kOpenerWaitMs = 2000;

// Starts `argv` in a new session through a short-lived middle process, so that the program is neither our
// child to wait for nor a zombie while we run. Only the middle process is waited for; with `waitMs`, it
// waits that long for the program, and a program that ends with a failure in that time counts as not started.
bool SpawnDetached(const std::string& program, const std::string& argument, const std::string& folder = {},
                   long waitMs = 0) {
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
        for (long waited = 0; child > 0 && waited < waitMs; waited += 50) {
            int childStatus = 0;
            if (waitpid(child, &childStatus, WNOHANG) == child) {
                _exit(WIFEXITED(childStatus) && WEXITSTATUS(childStatus) == 0 ? 0 : 2);
            }
            const timespec pause{0, 50'000'000};
            nanosleep(&pause, nullptr);
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

// The program that $BROWSER names first (a path, or a name on $PATH); empty when there is none.
std::string ChosenBrowser() {
    const char* chosen = std::getenv("BROWSER");
    if (chosen == nullptr || *chosen == '\0') {
        return std::string();
    }
    std::string name(chosen);
    name = name.substr(0, name.find(':'));
    if (name.find('/') != std::string::npos) {
        return name;
    }
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= folders.size();) {
        std::size_t end = folders.find(':', start);
        end = end == std::string::npos ? folders.size() : end;
        std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (end > start && access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return name;
}

} // namespace

bool OpenAddress(const std::string& address) {
    // A browser the user chose in $BROWSER is the only one tried, as the desktop's own openers do.
    if (const std::string browser = ChosenBrowser(); !browser.empty()) {
        return SpawnDetached(browser, address, {}, kOpenerWaitMs);
    }
    for (const char* opener : {"/usr/bin/xdg-open", "/usr/bin/sensible-browser", "/usr/bin/x-www-browser"}) {
        if (SpawnDetached(opener, address, {}, kOpenerWaitMs)) {
            return true;
        }
    }
    return false;
}

bool StartProgram(const std::string& path, const std::string& folder) {
    return SpawnDetached(path, std::string(), folder);
}

} // namespace platform
