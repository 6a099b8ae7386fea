// From process start to the main window on screen, and the peak memory of that start, measured over fresh
// processes beside a bare Qt program that shows a window of the same size and background: the parent plays the
// centre and starts itself again for every run.
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

// Tells the parent how long this process took to get here and its peak memory so far (kB).
void Report() {
    const double ms = SinceProcessStart();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.1f %ld\n", ms, usage.ru_maxrss);
    std::fflush(stdout);
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
    Report();
    return 0;
}

// The yardstick: a bare Qt program that shows a frameless window of the main window's size with the same
// background bitmap.
int BareChild(const std::string& folder) {
    QApplication application(
        *new int(1), new char* [2] { const_cast<char*>("startup_bench"), nullptr });
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setFixedSize(1024, 750);
    QPalette palette = window.palette();
    palette.setBrush(QPalette::Window, QPixmap(QString::fromStdString(folder + "images/main_bg.bmp"), "BMP"));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.show();
    QApplication::processEvents();
    Report();
    return 0;
}

struct Runs {
    std::vector<double> times;
    long peakKb = 0;
};

// Starts the child `mode` again and again as a fresh process and collects what each run reports.
bool Measure(const char* self, const char* mode, const std::string& folder, Runs& runs) {
    for (int run = 0; run < 21; ++run) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            return false;
        }
        pid_t child = fork();
        if (child == 0) {
            dup2(pipeFds[1], STDOUT_FILENO);
            execl("/proc/self/exe", self, mode, folder.c_str(), nullptr);
            _exit(127);
        }
        close(pipeFds[1]);
        char buffer[128] = {};
        ssize_t n = read(pipeFds[0], buffer, sizeof buffer - 1);
        close(pipeFds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        double ms = 0;
        long kb = 0;
        if (n <= 0 || std::sscanf(buffer, "%lf %ld", &ms, &kb) != 2) {
            std::fprintf(stderr, "%s run %d failed\n", mode, run);
            return false;
        }
        runs.times.push_back(ms);
        runs.peakKb = std::max(runs.peakKb, kb);
    }
    std::sort(runs.times.begin(), runs.times.end());
    return true;
}

double Median(const Runs& runs) {
    return runs.times[runs.times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--child") {
        return Child(argv[2]);
    }
    if (argc == 3 && std::string(argv[1]) == "--bare") {
        return BareChild(argv[2]);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ScriptedCentre centre;
    ScriptedCentre::Reply reply;
    reply.body = "<VESK><WORK>103</WORK><VERSION>1.0.0.0</VERSION></VESK>";
    centre.SetStandingReply(reply);
    TempDir dir;
    LayOutProgramFolder(dir, centre.Host(), "1.0.0.0");

    // Both kinds of start in turns, so that a busy moment of the machine weighs on both alike.
    Runs client;
    Runs bare;
    const std::string folder = dir.Str() + "/";
    for (int round = 0; round < 3; ++round) {
        if (!Measure(argv[0], "--child", folder, client) || !Measure(argv[0], "--bare", folder, bare)) {
            return 1;
        }
    }
    std::printf("start to main window: client median %.1f ms (peak RSS %.1f MiB); bare Qt window median %.1f ms "
                "(peak RSS %.1f MiB); ratio %.2f over %zu runs each\n",
                Median(client), client.peakKb / 1024.0, Median(bare), bare.peakKb / 1024.0,
                Median(client) / Median(bare), client.times.size());
    return 0;
}
