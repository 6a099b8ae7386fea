// From process start to the main window on screen, and the peak memory of that start, measured over fresh
// processes: the parent plays the centre and starts itself again for every run.
#include "client/app/ClientApp.h"
#include "client/app/MainDialog.h"
#include "skin/SkinResources.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedCentre.h"
#include "support/TempDir.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Milliseconds since this process was started by the system.
double SinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long long startTicks = 0;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22) {
            startTicks = std::stoull(field);
        }
    }
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (now.tv_sec + now.tv_nsec / 1e9 - startTicks / ticks) * 1000.0;
}

int Child(const std::string& folder) {
    QApplication application(
        *new int(1), new char* [2] { const_cast<char*>("startup_bench"), nullptr });
    InstallSkinFonts();
    ClientApp::Options options;
    options.programFolder = folder;
    options.lockFolder = folder;
    ClientApp client(options);
    if (!client.StartUp()) {
        return 1;
    }
    QApplication::processEvents();
    const double ms = SinceProcessStart();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.1f %ld\n", ms, usage.ru_maxrss / 1024);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--child") {
        return Child(argv[2]);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ScriptedCentre centre;
    ScriptedCentre::Reply reply;
    reply.body = "<VESK><WORK>103</WORK><VERSION>1.0.0.0</VERSION></VESK>";
    centre.SetStandingReply(reply);
    TempDir dir;
    LayOutProgramFolder(dir, centre.Host(), "1.0.0.0");

    std::vector<double> times;
    long peakMb = 0;
    for (int run = 0; run < 21; ++run) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            return 1;
        }
        pid_t child = fork();
        if (child == 0) {
            dup2(pipeFds[1], STDOUT_FILENO);
            execl("/proc/self/exe", argv[0], "--child", (dir.Str() + "/").c_str(), nullptr);
            _exit(127);
        }
        close(pipeFds[1]);
        char buffer[128] = {};
        ssize_t n = read(pipeFds[0], buffer, sizeof buffer - 1);
        close(pipeFds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        double ms = 0;
        long mb = 0;
        if (n <= 0 || std::sscanf(buffer, "%lf %ld", &ms, &mb) != 2) {
            std::fprintf(stderr, "run %d failed\n", run);
            return 1;
        }
        times.push_back(ms);
        peakMb = std::max(peakMb, mb);
    }
    std::sort(times.begin(), times.end());
    std::printf("start to main window: median %.1f ms, min %.1f ms, max %.1f ms over %zu runs; peak RSS %ld MB\n",
                times[times.size() / 2], times.front(), times.back(), times.size(), peakMb);
    return 0;
}
