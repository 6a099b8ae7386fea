// Load and crash runs against the centre stand-in, started as a child process on a free loopback port:
//   mixed   - 50 concurrent HTTP/1.0 clients send every work code for a fixed time: requests per second
//   burst   - 50 clients send 10,000 reports: the database must hold exactly the accepted ones
//   crash   - the burst again, the centre killed with SIGKILL midway and restarted: no accepted report lost
// Usage: centre_bench [mixed|burst|crash|all] [--standin PATH] [--seconds N]
// Not a test: `make bench` runs it; the numbers go into the notes of the change.
#include "client/env/CipherLibrary.h"
#include "client/protocol/Envelope.h"
#include "client/protocol/HttpTransport.h"
#include "client/protocol/TagList.h"
#include "client/protocol/TagReader.h"
#include "platform/Codec.h"
#include "platform/Paths.h"
#include "support/TempDir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <httplib.h>
#include <iterator>
#include <regex>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kClients = 50;
constexpr int kBurstReports = 10000;

std::string Cp(const std::string& utf8) {
    return platform::Utf8ToCp949(utf8).value_or("");
}

// The centre as a child process. Its log goes to a file so that it never blocks on a full pipe.
struct Centre {
    pid_t pid = -1;
    int port = 0;
};

Centre StartCentre(const std::string& standin, const std::string& dataDir, const std::string& logFile) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<std::string> args = {standin, "--listen", "127.0.0.1:0",      "--data",
                                     dataDir, "--cipher", HALVREN_KAVREL_PATH};
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    Centre centre;
    const std::string logBefore = [&] {
        std::ifstream in(logFile);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }();
    if (posix_spawn(&centre.pid, standin.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        centre.pid = -1;
        return centre;
    }
    posix_spawn_file_actions_destroy(&actions);
    const std::regex ready(R"(serving on http://127\.0\.0\.1:(\d+)/)");
    for (int i = 0; i < 200 && centre.port == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::ifstream in(logFile);
        std::string log(std::istreambuf_iterator<char>(in), {});
        std::smatch match;
        std::string fresh = log.substr(std::min(log.size(), logBefore.size()));
        if (std::regex_search(fresh, match, ready)) {
            centre.port = std::stoi(match[1]);
        }
    }
    return centre;
}

void StopCentre(Centre& centre, int signal) {
    if (centre.pid > 0) {
        kill(centre.pid, signal);
        int status = 0;
        waitpid(centre.pid, &status, 0);
        centre.pid = -1;
    }
}

// The count the centre's own page shows, straight from its database.
long StoredReports(int port) {
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(10, 0);
    const httplib::Result page = client.Get("/");
    std::smatch match;
    return page && std::regex_search(page->body, match, std::regex("받은 신고 (\\d+)건")) ? std::stol(match[1]) : -1;
}

// One person per client, so that every client's reports fit one history reply.
struct Person {
    std::string name, ssn, cipherSsn;
};

std::vector<Person> People(const CipherLibrary& cipher) {
    const char* syllables[] = {"가", "나", "다", "라", "마", "바", "사", "아", "자", "하"};
    std::vector<Person> people;
    for (int i = 0; i < kClients; ++i) {
        char ssn[16];
        std::snprintf(ssn, sizeof ssn, "85%02d%02d1234567", 1 + i / 28, 1 + i % 28);
        Person p{Cp(std::string("김") + syllables[i / 10] + syllables[i % 10]), ssn, ""};
        p.cipherSsn = cipher.EncryptText(p.ssn).value_or("");
        people.push_back(p);
    }
    return people;
}

std::string ReportRequest(const Person& p, const std::string& contents) {
    return "<VESK><WORK>011</WORK><CALLER>" + TagField("NAME", p.name) + TagField("SSN", p.cipherSsn) +
           TagField("ZIPCODE", "111010") + TagField("ADDR1", Cp("서울특별시 종로구 사직동")) + TagField("ADDR2", "12") +
           TagField("TEL1", "02") + TagField("TEL2", "123") + TagField("TEL3", "4567") +
           TagField("PHONE", "010-1234-5678") + TagField("EMAIL", "") + TagField("IP", "127.0.0.1") +
           "<LANG>KO</LANG></CALLER><CALLINFO>" + TagField("DSRADDR", Cp("종로구 사직로 8")) +
           TagField("TITLE", Cp("화재신고")) + TagField("CONTENTS", contents) + "</CALLINFO></VESK>";
}

std::string HistoryRequest(const Person& p) {
    return "<VESK><WORK> 015</WORK>" + TagField("NAME", p.name) + TagField("SSN", p.cipherSsn) +
           TagField("CASESET", "1") + "</VESK>";
}

std::string Value(const std::string& reply, const std::string& name) {
    TagReader reader;
    int position = 0;
    return reader.GetTagValue(reply, name, position);
}

double Percentile(std::vector<double>& values, double p) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size())))];
}

struct Context {
    std::string standin;
    CipherLibrary cipher;
    std::vector<Person> people;
    int seconds = 10;
};

bool Mixed(Context& ctx) {
    TempDir dir;
    Centre centre = StartCentre(ctx.standin, dir.Str() + "/data", dir.Str() + "/centre.log");
    if (centre.port == 0) {
        std::printf("mixed: the centre did not start\n");
        return false;
    }
    const std::string host = "127.0.0.1:" + std::to_string(centre.port);
    const std::string requests[] = {VersionRequest(), "<VESK><WORK>002</WORK><DONG> " + Cp("사직") + " </DONG></VESK>"};
    std::atomic<long> ok{0}, failed{0};
    std::vector<std::vector<double>> latencies(kClients);
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::seconds(ctx.seconds);
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            HttpTransport transport;
            transport.SetServer(host);
            TagReader reader;
            const Person& me = ctx.people[static_cast<size_t>(c)];
            const std::string check =
                "<VESK><WORK>004</WORK>" + TagField("NAME", me.name) + TagField("SSN", me.cipherSsn) + "</VESK>";
            // Every work code in turn; a report every fifth request.
            for (long i = 0; Clock::now() < end && i < 1'000'000; ++i) {
                const int kind = static_cast<int>(i % 5);
                const std::string request = kind == 0   ? requests[0]
                                            : kind == 1 ? requests[1]
                                            : kind == 2 ? check
                                            : kind == 3 ? ReportRequest(me, "mixed " + std::to_string(i))
                                                        : HistoryRequest(me);
                const int work[] = {3, 2, 4, 11, 15};
                const Clock::time_point sent = Clock::now();
                const std::string reply = transport.Send(request) ? transport.Receive() : "";
                latencies[static_cast<size_t>(c)].push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
                bool good = reader.CheckWork(reply, work[kind]) == 1 &&
                            (kind != 2 || Value(reply, "CHECKRESULT") == "1") &&
                            (kind != 3 || Value(reply, "RESULT") == Cp("성공"));
                (good ? ok : failed)++;
            }
        });
    }
    for (std::thread& t : clients) {
        t.join();
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    StopCentre(centre, SIGTERM);
    std::vector<double> all;
    for (auto& l : latencies) {
        all.insert(all.end(), l.begin(), l.end());
    }
    std::printf("mixed: %d clients, %.1f s, %ld answered, %ld errors, %.0f requests/s, latency p50 %.2f ms, "
                "p99 %.2f ms\n",
                kClients, elapsed, ok.load(), failed.load(), static_cast<double>(ok.load()) / elapsed,
                Percentile(all, 0.5), Percentile(all, 0.99));
    return failed == 0 && ok / elapsed >= 2000;
}

// Sends up to kBurstReports reports from kClients clients; each client stops at its first failed exchange.
// Returns the markers of the accepted reports, per client.
std::vector<std::vector<std::string>> Burst(Context& ctx, int port, std::atomic<long>& accepted,
                                            std::atomic<long>& failed) {
    std::vector<std::vector<std::string>> markers(kClients);
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            HttpTransport transport;
            transport.SetServer("127.0.0.1:" + std::to_string(port));
            const Person& me = ctx.people[static_cast<size_t>(c)];
            for (int i = 0; i < kBurstReports / kClients; ++i) {
                const std::string marker = "burst " + std::to_string(c) + "/" + std::to_string(i);
                const std::string reply = transport.Send(ReportRequest(me, marker)) ? transport.Receive() : "";
                if (Value(reply, "RESULT") != Cp("성공")) {
                    ++failed;
                    break;
                }
                ++accepted;
                markers[static_cast<size_t>(c)].push_back(marker);
            }
        });
    }
    for (std::thread& t : clients) {
        t.join();
    }
    return markers;
}

bool BurstRun(Context& ctx) {
    TempDir dir;
    Centre centre = StartCentre(ctx.standin, dir.Str() + "/data", dir.Str() + "/centre.log");
    if (centre.port == 0) {
        std::printf("burst: the centre did not start\n");
        return false;
    }
    std::atomic<long> accepted{0}, failed{0};
    const Clock::time_point start = Clock::now();
    Burst(ctx, centre.port, accepted, failed);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const long stored = StoredReports(centre.port);
    StopCentre(centre, SIGTERM);
    std::printf("burst: %d reports from %d clients in %.1f s (%.0f reports/s): %ld accepted, %ld failed, "
                "%ld in the database\n",
                kBurstReports, kClients, elapsed, static_cast<double>(accepted.load()) / elapsed, accepted.load(),
                failed.load(), stored);
    return failed == 0 && stored == accepted;
}

bool CrashRun(Context& ctx) {
    TempDir dir;
    const std::string data = dir.Str() + "/data";
    const std::string log = dir.Str() + "/centre.log";
    Centre centre = StartCentre(ctx.standin, data, log);
    if (centre.port == 0) {
        std::printf("crash: the centre did not start\n");
        return false;
    }
    std::atomic<long> accepted{0}, failed{0};
    std::vector<std::vector<std::string>> markers;
    std::thread burst([&] { markers = Burst(ctx, centre.port, accepted, failed); });
    // Kill the centre once about a third of the burst is in, without warning.
    for (int i = 0; i < 3000 && accepted < kBurstReports / 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const pid_t killed = centre.pid;
    StopCentre(centre, SIGKILL);
    burst.join();

    Centre again = StartCentre(ctx.standin, data, log);
    if (again.port == 0) {
        std::printf("crash: the centre did not start again\n");
        return false;
    }
    HttpTransport transport;
    transport.SetServer("127.0.0.1:" + std::to_string(again.port));
    TagReader reader;
    long missing = 0;
    long listed = 0;
    for (int c = 0; c < kClients; ++c) {
        const std::string reply =
            transport.Send(HistoryRequest(ctx.people[static_cast<size_t>(c)])) ? transport.Receive() : "";
        std::set<std::string> found;
        for (const auto& entry : ReadTagList(reader, reply, "CALLINFO", {"NO", "CONTENTS"})) {
            found.insert(entry[1]);
        }
        listed += static_cast<long>(found.size());
        for (const std::string& marker : markers[static_cast<size_t>(c)]) {
            missing += found.count(marker) == 0 ? 1 : 0;
        }
    }
    const long stored = StoredReports(again.port);
    StopCentre(again, SIGTERM);
    std::printf("crash: centre (pid %d) killed with SIGKILL after %ld accepted reports; after the restart the "
                "database holds %ld reports (%ld listed back), %ld accepted reports missing\n",
                static_cast<int>(killed), accepted.load(), stored, listed, missing);
    return missing == 0 && stored >= accepted;
}

} // namespace

int main(int argc, char** argv) {
    Context ctx;
    ctx.standin = platform::ExecutableFolder() + "../standins/centre-standin";
    std::string which = "all";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--standin" && i + 1 < argc) {
            ctx.standin = argv[++i];
        } else if (arg == "--seconds" && i + 1 < argc) {
            ctx.seconds = std::clamp(std::atoi(argv[++i]), 1, 600);
        } else {
            which = arg;
        }
    }
    if (!ctx.cipher.Load(HALVREN_KAVREL_PATH) || access(ctx.standin.c_str(), X_OK) != 0) {
        std::printf("centre_bench: needs %s and %s\n", HALVREN_KAVREL_PATH, ctx.standin.c_str());
        return 1;
    }
    ctx.people = People(ctx.cipher);
    std::signal(SIGPIPE, SIG_IGN);
    bool good = true;
    if (which == "mixed" || which == "all") {
        good = Mixed(ctx) && good;
    }
    if (which == "burst" || which == "all") {
        good = BurstRun(ctx) && good;
    }
    if (which == "crash" || which == "all") {
        good = CrashRun(ctx) && good;
    }
    std::printf("centre_bench: %s\n", good ? "all targets met" : "TARGET MISSED");
    return good ? 0 : 1;
}
