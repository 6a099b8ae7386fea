// A 64 MiB update from the real update-standin over loopback: the updater's download code against a bare
// loop of the same exchange written with plain sockets, and the same download with a signed statement checked
// (signature and SHA-256 of the whole file), in one run; then the peak memory of the real updater window
// downloading it, measured in a fresh process.
#include "support/StandinProcess.h"
#include "support/TempDir.h"
#include "support/UpdateKeys.h"
#include "updater/Download.h"
#include "updater/UpdaterDialog.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <thread>

namespace {

constexpr std::size_t kFileSize = 64u << 20;

struct Setup {
    TempDir dir;
    TempDir signedFolder; // a program folder that holds the publisher's key
    std::unique_ptr<StandinProcess> standin;
    std::unique_ptr<StandinProcess> signedStandin;

    Setup() {
        std::string bytes(kFileSize, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<char>(i * 2654435761u >> 13);
        }
        dir.Write("Halvren", bytes);
        standin =
            std::make_unique<StandinProcess>(HALVREN_UPDATE_STANDIN, dir.Path() / "standin.log",
                                             std::vector<std::string>{"--file", (dir.Path() / "Halvren").string()});
        const UpdateKeys keys;
        dir.Write("sign.pem", keys.privatePem);
        signedFolder.Write("update-key.pem", keys.publicPem);
        signedStandin = std::make_unique<StandinProcess>(
            HALVREN_UPDATE_STANDIN, dir.Path() / "signed.log",
            std::vector<std::string>{"--file", (dir.Path() / "Halvren").string(), "--sign-key",
                                     (dir.Path() / "sign.pem").string(), "--version", "1.0.0.1"});
    }
    std::string ProgramFolder() const { return dir.Str() + "/"; }
};

Setup* g_setup = nullptr;

// The same exchange with nothing but blocking socket calls.
bool RecvAll(int fd, char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = recv(fd, data, size, 0);
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool SendCode(int fd, std::uint32_t code) {
    char request[1024] = {};
    std::memcpy(request, &code, 4); // this machine is little-endian, like the protocol
    return send(fd, request, sizeof request, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof request);
}

std::uint32_t CodeOf(const char* reply) {
    std::uint32_t code = 0;
    std::memcpy(&code, reply, 4);
    return code;
}

bool BareDownload(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on); // as the updater's own connections
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    char reply[4096];
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && RecvAll(fd, reply, 4096) &&
              SendCode(fd, 11) && RecvAll(fd, reply, 4096) && CodeOf(reply) == 12;
    const std::uint32_t size = ok ? CodeOf(reply + 4) : 0;
    ok = ok && size == kFileSize && SendCode(fd, 21);
    const std::uint32_t blocks = size / 4092 + 1;
    // A fresh memory area for every file, as the updater takes one.
    std::unique_ptr<char[]> file(ok ? new char[size] : nullptr);
    for (std::uint32_t i = 0; ok && i < blocks; ++i) {
        ok = RecvAll(fd, reply, 4096);
        if (ok && CodeOf(reply) == 22) {
            std::memcpy(file.get() + static_cast<std::size_t>(i) * 4092, reply + 4, 4092);
            ok = SendCode(fd, 24);
        } else if (ok && CodeOf(reply) == 23) {
            std::memcpy(file.get() + static_cast<std::size_t>(i) * 4092, reply + 4, size % 4092);
        } else {
            ok = false;
        }
    }
    ok = ok && SendCode(fd, 81) && RecvAll(fd, reply, 4096) && CodeOf(reply) == 82;
    close(fd);
    return ok;
}

updater::DownloadOptions Options() {
    updater::DownloadOptions options;
    options.host = "127.0.0.1";
    options.port = g_setup->standin->Port();
    options.programFolder = g_setup->ProgramFolder();
    return options;
}

// Downloads the file once per iteration with `download`; the rate counts the file's bytes.
template <typename DownloadOnce> void Measure(benchmark::State& state, DownloadOnce download) {
    for (auto _ : state) {
        if (!download()) {
            state.SkipWithError("the download failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFileSize));
}

void BM_BarePlainSockets(benchmark::State& state) {
    Measure(state, [] { return BareDownload(g_setup->standin->Port()); });
}

// The exchange into memory, as the updater runs it.
void BM_UpdaterTransfer(benchmark::State& state) {
    Measure(state, [] { return updater::Download(Options(), nullptr).Transfer(); });
}

// The same exchange with the statement checked: signature before the blocks, SHA-256 of the file after them.
void BM_UpdaterTransferSigned(benchmark::State& state) {
    updater::DownloadOptions options = Options();
    options.port = g_setup->signedStandin->Port();
    options.programFolder = g_setup->signedFolder.Str() + "/";
    Measure(state, [&] { return updater::Download(options, nullptr).Transfer(); });
}

// The whole download: also written to "Down/" and flushed to the disk.
void BM_UpdaterDownloadAndSave(benchmark::State& state) {
    Measure(state, [] { return updater::Download(Options(), nullptr).Run(); });
}

BENCHMARK(BM_BarePlainSockets)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(9);
// Processor time of the whole process: the digest runs on a thread of its own.
BENCHMARK(BM_UpdaterTransfer)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(9);
BENCHMARK(BM_UpdaterTransferSigned)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(9);
BENCHMARK(BM_UpdaterDownloadAndSave)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// Shows the aggregates and keeps the rate of every repetition for the comparison printed at the end: the
// median, and the best, which is what the code can do when the shared machine leaves it alone.
class RateReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> aggregates;
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate) {
                aggregates.push_back(run);
            } else if (const auto rate = run.counters.find("bytes_per_second"); rate != run.counters.end()) {
                rates[run.run_name.function_name].push_back(rate->second.value / 1e6);
                cpuMs[run.run_name.function_name].push_back(run.GetAdjustedCPUTime());
            }
        }
        ConsoleReporter::ReportRuns(aggregates);
    }
    double Median(const std::string& name) { return MedianOf(rates[name]); }
    static double MedianOf(std::vector<double>& r) {
        std::sort(r.begin(), r.end());
        return r.empty() ? 0 : r[r.size() / 2];
    }
    double Best(const std::string& name) {
        const std::vector<double>& r = rates[name];
        return r.empty() ? 0 : *std::max_element(r.begin(), r.end());
    }
    std::map<std::string, std::vector<double>> rates; // MB/s
    std::map<std::string, std::vector<double>> cpuMs; // processor time of the downloading process
};

// The real updater window, in a fresh process: opens, downloads, and prints its peak resident memory.
int WindowChild(int port, const std::string& folder, bool download) {
    int argc = 1;
    char name[] = "update_bench";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    UpdaterDialog::Options options;
    options.programFolder = folder;
    options.lockFolder = folder;
    options.port = port;
    UpdaterDialog dialog(options);
    dialog.show();
    QApplication::processEvents();
    if (download) {
        QEventLoop loop;
        QObject::connect(&dialog, &UpdaterDialog::TransferEnded, &loop, &QEventLoop::quit);
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        dialog.Download();
        loop.exec();
        if (!dialog.Success()) {
            return 1;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", usage.ru_maxrss * 1024 / 1000000); // kilobytes of 1,024 bytes, to MB
    return 0;
}

// Peak resident memory of a window child in MB; -1 when it failed.
long WindowPeakMb(const char* self, bool download) {
    const std::string port = std::to_string(g_setup->standin->Port());
    const std::string folder = g_setup->ProgramFolder();
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return -1;
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        execl("/proc/self/exe", self, "--window", port.c_str(), folder.c_str(), download ? "1" : "0", nullptr);
        _exit(127);
    }
    close(pipeFds[1]);
    char buffer[64] = {};
    const ssize_t n = read(pipeFds[0], buffer, sizeof buffer - 1);
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    long mb = -1;
    if (n <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || std::sscanf(buffer, "%ld", &mb) != 1) {
        return -1;
    }
    return mb;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--window") {
        return WindowChild(std::stoi(argv[2]), argv[3], std::string(argv[4]) == "1");
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Setup setup;
    if (setup.standin->Port() <= 0 || setup.signedStandin->Port() <= 0) {
        std::fprintf(stderr, "update_bench: the update stand-in did not start\n");
        return 1;
    }
    g_setup = &setup;

    // Repetitions of the two loops alternate, so both meet the same load of the machine.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.push_back(interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    for (const bool best : {false, true}) {
        const char* bare = "BM_BarePlainSockets";
        const char* ours = "BM_UpdaterTransfer";
        const double bareRate = best ? reporter.Best(bare) : reporter.Median(bare);
        const double ourRate = best ? reporter.Best(ours) : reporter.Median(ours);
        if (bareRate > 0) {
            std::printf("%s: updater transfer %.0f MB/s, bare plain-socket loop %.0f MB/s: %.0f%% of the bare loop\n",
                        best ? "best  " : "median", ourRate, bareRate, 100.0 * ourRate / bareRate);
        }
        const double signedRate =
            best ? reporter.Best("BM_UpdaterTransferSigned") : reporter.Median("BM_UpdaterTransferSigned");
        if (signedRate > 0 && ourRate > 0) {
            std::printf("%s: with the signed statement checked %.0f MB/s: %+.1f%% time (limit +10%%)\n",
                        best ? "best  " : "median", signedRate, 100.0 * (ourRate / signedRate - 1.0));
        }
    }
    // What the check costs the updater, free of the machine's noise: its own processor time, against the time
    // the transfer takes.
    const double plainCpu = RateReporter::MedianOf(reporter.cpuMs["BM_UpdaterTransfer"]);
    const double signedCpu = RateReporter::MedianOf(reporter.cpuMs["BM_UpdaterTransferSigned"]);
    const double transferMs = kFileSize / 1e3 / reporter.Median("BM_UpdaterTransfer");
    if (transferMs > 0) {
        std::printf("median: processor time %.0f ms plain, %.0f ms with the check: %+.0f ms, %+.1f%% of the %.0f ms "
                    "transfer (limit +10%%)\n",
                    plainCpu, signedCpu, signedCpu - plainCpu, 100.0 * (signedCpu - plainCpu) / transferMs, transferMs);
    }
    const long idle = WindowPeakMb(argv[0], false);
    const long peak = WindowPeakMb(argv[0], true);
    std::printf("updater window peak memory: %ld MB idle, %ld MB downloading %zu MiB (limit: file + 60 MB = %.0f MB)\n",
                idle, peak, kFileSize >> 20, static_cast<double>(kFileSize) / 1e6 + 60);
    benchmark::Shutdown();
    return peak > 0 ? 0 : 1;
}
