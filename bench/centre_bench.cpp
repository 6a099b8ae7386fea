// Load, crash and attack runs against the centre stand-in, started as a child process on a free loopback port:
//   mixed   - 50 concurrent HTTP/1.0 clients send every work code for a fixed time: requests per second
//   burst   - 50 clients send 10,000 reports: the database must hold exactly the accepted ones
//   crash   - the burst again, the centre killed with SIGKILL midway and restarted: no accepted report lost
//   attack  - 1,000 idle connections and 200 slow senders (a byte of a request head every 5 s) stay open
//             while a client asks for the version once a second: answer times and the centre's memory
// Usage: centre_bench [mixed|burst|crash|attack|all] [--standin PATH] [--seconds N]
// Not a test: `make bench` runs it; the numbers go into the notes of the change.
#include "client/env/CipherLibrary.h"
#include "client/history/HistoryMessage.h"
#include "client/protocol/Envelope.h"
#include "client/protocol/HttpTransport.h"
#include "client/protocol/TagList.h"
#include "client/protocol/TagReader.h"
#include "client/users/RealNameMessage.h"
#include "platform/Codec.h"
#include "standins/centre/CentreServer.h"
#include "support/CentreWire.h"
#include "support/StandinProcess.h"
#include "support/TempDir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <httplib.h>
#include <memory>
#include <regex>
#include <set>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kClients = 50;
constexpr int kBurstReports = 10000;

std::string Cp(const std::string& utf8) {
    return platform::Utf8ToCp949(utf8).value_or("");
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
    std::string nameUtf8;
};

std::vector<Person> People(const CipherLibrary& cipher) {
    const char* syllables[] = {"가", "나", "다", "라", "마", "바", "사", "아", "자", "하"};
    std::vector<Person> people;
    for (int i = 0; i < kClients; ++i) {
        char ssn[16];
        std::snprintf(ssn, sizeof ssn, "85%02d%02d1234567", 1 + i / 28, 1 + i % 28);
        const std::string name = std::string("김") + syllables[i / 10] + syllables[i % 10];
        Person p{Cp(name), ssn, "", name};
        p.cipherSsn = cipher.EncryptText(p.ssn).value_or("");
        people.push_back(p);
    }
    return people;
}

std::string ReportRequest(const Person& p, const std::string& contents) {
    return RawReportRequest(p.name, p.cipherSsn, Cp("종로구 사직로 8"), Cp("화재신고"), contents);
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

// The centre with every client's person in its resident register.
std::unique_ptr<StandinProcess> StartCentre(const Context& ctx, const TempDir& dir) {
    std::vector<std::string> residents;
    for (const Person& p : ctx.people) {
        residents.insert(residents.end(), {"--resident", p.nameUtf8 + "," + p.ssn});
    }
    return std::make_unique<StandinProcess>(ctx.standin, dir.Str() + "/centre.log",
                                            CentreArguments(dir.Str() + "/data", residents));
}

bool Mixed(Context& ctx) {
    TempDir dir;
    std::unique_ptr<StandinProcess> centre = StartCentre(ctx, dir);
    if (centre->Port() == 0) {
        std::printf("mixed: the centre did not start\n");
        return false;
    }
    const std::string host = centre->Host();
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
            const std::string check = RealNameRequest(me.name, me.cipherSsn);
            // Every work code in turn; a report every fifth request.
            for (long i = 0; Clock::now() < end && i < 1'000'000; ++i) {
                const int kind = static_cast<int>(i % 5);
                const std::string request = kind == 0   ? requests[0]
                                            : kind == 1 ? requests[1]
                                            : kind == 2 ? check
                                            : kind == 3 ? ReportRequest(me, "mixed " + std::to_string(i))
                                                        : HistoryRequest(me.name, me.cipherSsn, 1);
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
    centre->Stop(SIGTERM);
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
    std::unique_ptr<StandinProcess> centre = StartCentre(ctx, dir);
    if (centre->Port() == 0) {
        std::printf("burst: the centre did not start\n");
        return false;
    }
    std::atomic<long> accepted{0}, failed{0};
    const Clock::time_point start = Clock::now();
    Burst(ctx, centre->Port(), accepted, failed);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const long stored = StoredReports(centre->Port());
    centre->Stop(SIGTERM);
    std::printf("burst: %d reports from %d clients in %.1f s (%.0f reports/s): %ld accepted, %ld failed, "
                "%ld in the database\n",
                kBurstReports, kClients, elapsed, static_cast<double>(accepted.load()) / elapsed, accepted.load(),
                failed.load(), stored);
    return failed == 0 && stored == accepted;
}

bool CrashRun(Context& ctx) {
    TempDir dir;
    std::unique_ptr<StandinProcess> centre = StartCentre(ctx, dir);
    if (centre->Port() == 0) {
        std::printf("crash: the centre did not start\n");
        return false;
    }
    std::atomic<long> accepted{0}, failed{0};
    std::vector<std::vector<std::string>> markers;
    std::thread burst([&] { markers = Burst(ctx, centre->Port(), accepted, failed); });
    // Kill the centre once about a third of the burst is in, without warning.
    for (int i = 0; i < 3000 && accepted < kBurstReports / 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const pid_t killed = centre->Pid();
    centre->Stop(SIGKILL);
    burst.join();

    std::unique_ptr<StandinProcess> again = StartCentre(ctx, dir);
    if (again->Port() == 0) {
        std::printf("crash: the centre did not start again\n");
        return false;
    }
    HttpTransport transport;
    transport.SetServer(again->Host());
    TagReader reader;
    long missing = 0;
    long listed = 0;
    for (int c = 0; c < kClients; ++c) {
        const std::string reply = transport.Send(HistoryRequest(ctx.people[static_cast<size_t>(c)].name,
                                                                ctx.people[static_cast<size_t>(c)].cipherSsn, 1))
                                      ? transport.Receive()
                                      : "";
        std::set<std::string> found;
        for (const auto& entry : ReadTagList(reader, reply, "CALLINFO", {"NO", "CONTENTS"})) {
            found.insert(entry[1]);
        }
        listed += static_cast<long>(found.size());
        for (const std::string& marker : markers[static_cast<size_t>(c)]) {
            missing += found.count(marker) == 0 ? 1 : 0;
        }
    }
    const long stored = StoredReports(again->Port());
    again->Stop(SIGTERM);
    std::printf("crash: centre (pid %d) killed with SIGKILL after %ld accepted reports; after the restart the "
                "database holds %ld reports (%ld listed back), %ld accepted reports missing\n",
                static_cast<int>(killed), accepted.load(), stored, listed, missing);
    return missing == 0 && stored >= accepted;
}

bool AttackRun(Context& ctx) {
    constexpr int kIdle = 1000;
    constexpr int kSlow = 200;
    constexpr long kIdleMs = CentreServer::kIdleSeconds * 1000L;
    constexpr long kRequestMs = CentreServer::kRequestSeconds * 1000L;
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    TempDir dir;
    std::unique_ptr<StandinProcess> centre = StartCentre(ctx, dir);
    if (centre->Port() == 0) {
        std::printf("attack: the centre did not start\n");
        return false;
    }
    const long memoryBefore = centre->ResidentKilobytes();
    std::vector<int> idle, slow;
    // From 40 peers on other loopback addresses, each within its share of connections.
    for (int i = 0; i < kIdle + kSlow; ++i) {
        const int fd = OpenLoopback(centre->Port(), "127.0.1." + std::to_string(1 + i % 40));
        if (fd >= 0) {
            (i < kIdle ? idle : slow).push_back(fd);
        }
    }
    const std::string head =
        "POST /Morvane/vesk/VeskManager.jsp HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 40\r\n\r\n";
    size_t sent = 0;
    HttpTransport transport;
    transport.SetServer(centre->Host());
    TagReader reader;
    std::vector<double> latencies;
    int answered = 0;
    long memoryMax = memoryBefore;
    // The idle connections are all open for the centre's idle limit; measure inside it.
    const Clock::time_point start = Clock::now();
    Clock::time_point lastByte = start - std::chrono::seconds(5);
    while (Clock::now() - start < std::chrono::milliseconds(kIdleMs - 1000)) {
        if (Clock::now() - lastByte >= std::chrono::seconds(5)) {
            for (int fd : slow) {
                send(fd, head.data() + sent % head.size(), 1, MSG_NOSIGNAL);
            }
            ++sent;
            lastByte = Clock::now();
        }
        const Clock::time_point asked = Clock::now();
        const std::string reply = transport.Send(VersionRequest()) ? transport.Receive() : "";
        latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - asked).count());
        answered += reader.CheckWork(reply, 3) == 1 ? 1 : 0;
        memoryMax = std::max(memoryMax, centre->ResidentKilobytes());
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    // Past the idle limit the centre has closed the idle connections; past the request limit the slow ones too.
    auto closedByCentre = [&](const std::vector<int>& fds, long afterMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(afterMs) - (Clock::now() - start));
        int closed = 0;
        for (int fd : fds) {
            char byte;
            closed += recv(fd, &byte, 1, MSG_DONTWAIT) == 0 ? 1 : 0;
            close(fd);
        }
        return closed;
    };
    const int idleClosed = closedByCentre(idle, kIdleMs + 2000);
    const int slowClosed = closedByCentre(slow, kRequestMs + 2000);
    centre->Stop(SIGTERM);
    const size_t asked = latencies.size();
    const double worst = Percentile(latencies, 1.0);
    std::printf("attack: %zu idle and %zu slow connections open; version asked %zu times, answered %d, p50 %.2f ms, "
                "worst %.2f ms; centre memory %.1f MB before, at most %.1f MB during; the centre closed %d of %zu "
                "idle connections within %ld s and %d of %zu slow ones within %ld s\n",
                idle.size(), slow.size(), asked, answered, Percentile(latencies, 0.5), worst,
                static_cast<double>(memoryBefore) / 1024, static_cast<double>(memoryMax) / 1024, idleClosed,
                idle.size(), (kIdleMs + 2000) / 1000, slowClosed, slow.size(), (kRequestMs + 2000) / 1000);
    return idle.size() == kIdle && slow.size() == kSlow && answered == static_cast<int>(asked) && worst < 1000 &&
           memoryMax < 100 * 1024 && idleClosed == kIdle && slowClosed == kSlow;
}

} // namespace

int main(int argc, char** argv) {
    Context ctx;
    ctx.standin = HALVREN_CENTRE_STANDIN;
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
    if (which == "attack" || which == "all") {
        good = AttackRun(ctx) && good;
    }
    std::printf("centre_bench: %s\n", good ? "all targets met" : "TARGET MISSED");
    return good ? 0 : 1;
}
