// The centre stand-in as its own process, under what a network brings: crowds of idle and slow connections,
// floods of header lines, reports larger than any client sends, forms it does not read. And its resident
// register, which requests never change.
#include "client/env/CipherLibrary.h"
#include "client/history/HistoryMessage.h"
#include "client/protocol/Envelope.h"
#include "client/protocol/HttpTransport.h"
#include "client/protocol/TagList.h"
#include "client/protocol/TagReader.h"
#include "client/users/RealNameMessage.h"
#include "platform/Codec.h"
#include "standins/centre/CentreServer.h"
#include "standins/centre/CentreService.h"
#include "support/CentreWire.h"
#include "support/StandinProcess.h"
#include "support/TempDir.h"
#include "support/TestAuthority.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <poll.h>
#include <regex>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::string Cp(const char* utf8) {
    return platform::Utf8ToCp949(utf8).value();
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// The stand-in's memory must stay far below this however many connections it holds.
constexpr long kMemoryLimitKb = 100 * 1024;

class CentreUnderAttackTest : public ::testing::Test {
protected:
    void Start(const std::vector<std::string>& args = {}) {
        ASSERT_TRUE(cipher.Load(HALVREN_KAVREL_PATH));
        centre = std::make_unique<StandinProcess>(HALVREN_CENTRE_STANDIN, dir.Str() + "/centre.log",
                                                  CentreArguments(dir.Str() + "/data", args));
        ASSERT_GT(centre->Port(), 0) << dir.Read("centre.log");
        transport.SetServer(centre->Host());
        // Far above what an answer takes, far below what the attacks used to cost.
        transport.SetTimeLimits(3000, 3000);
    }

    std::string Exchange(const std::string& request) {
        return transport.Send(request) ? transport.Receive() : "(not sent)";
    }
    std::string Field(const std::string& reply, const std::string& name) const {
        int position = 0;
        return reader.GetTagValue(reply, name, position);
    }
    bool AnswersItsVersion() { return reader.CheckWork(Exchange(VersionRequest()), 3) == 1; }
    std::string Encrypted(const std::string& ssn) const { return cipher.EncryptText(ssn).value(); }
    std::string Report(const std::string& name, const std::string& ssn, const std::string& place,
                       const std::string& contents) {
        return Exchange(RawReportRequest(name, Encrypted(ssn), place, Cp("화재신고"), contents));
    }
    std::string CheckResult(const std::string& name, const std::string& ssn) {
        return Field(Exchange(RealNameRequest(name, Encrypted(ssn))), "CHECKRESULT");
    }
    std::string Get(const std::string& path) {
        return RawExchange(centre->Port(), "GET " + path + " HTTP/1.0\r\n" + HostHeader(centre->Port()) + "\r\n");
    }

    TempDir dir;
    CipherLibrary cipher;
    std::unique_ptr<StandinProcess> centre;
    HttpTransport transport;
    TagReader reader;
    const std::string hong = Cp("홍길동"); // seeded in every new database
    const std::string hongSsn = "8001011234567";
};

// Every connection is a file descriptor: take what the system allows.
rlim_t RaiseFileLimit() {
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    return files.rlim_cur;
}

TEST_F(CentreUnderAttackTest, IdleConnectionsAndSlowSendersHoldUpNobody) {
    // 1,000 connections that send nothing and 200 that send a request head a byte at a time, from 40 peers on
    // other loopback addresses, each within its share of connections.
    const rlim_t files = RaiseFileLimit();
    const int idleCount = static_cast<int>(std::min<rlim_t>(1000, files > 300 ? files - 300 : 0));
    Start();
    std::vector<int> idle, slow;
    for (int i = 0; i < idleCount + 200; ++i) {
        const int fd = OpenLoopback(centre->Port(), "127.0.1." + std::to_string(1 + i % 40));
        ASSERT_GE(fd, 0);
        (i < idleCount ? idle : slow).push_back(fd);
    }
    const std::string head = "POST /Morvane/vesk/VeskManager.jsp HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    for (size_t at = 0; at < 3; ++at) {
        for (int fd : slow) {
            ASSERT_EQ(1, send(fd, head.data() + at, 1, MSG_NOSIGNAL));
        }
        EXPECT_TRUE(AnswersItsVersion());
    }
    EXPECT_LT(centre->ResidentKilobytes(), kMemoryLimitKb);
    for (int fd : idle) {
        close(fd);
    }
    for (int fd : slow) {
        close(fd);
    }
}

TEST_F(CentreUnderAttackTest, OnePeerHoldingThousandsOfConnectionsKeepsNoReportWaiting) {
    // One peer keeps 9,000 idle connections open and opens a new one for each the centre closes, for as long
    // as the client's exchanges take and never beyond 200,000 connections.
    const int held = static_cast<int>(std::min<rlim_t>(9000, RaiseFileLimit() - 300));
    Start();
    std::atomic<bool> opened{false}, done{false};
    std::thread peer([&] {
        std::vector<pollfd> open;
        for (int i = 0; i < held; ++i) {
            open.push_back({OpenLoopback(centre->Port(), "127.0.0.2"), POLLIN, 0});
        }
        opened = true;
        for (int made = 0; !done && made < 200'000;) {
            poll(open.data(), open.size(), 20);
            for (pollfd& p : open) {
                if (p.revents != 0 || p.fd < 0) {
                    close(p.fd);
                    p = {OpenLoopback(centre->Port(), "127.0.0.2"), POLLIN, 0};
                    ++made;
                }
            }
        }
        for (pollfd& p : open) {
            close(p.fd);
        }
    });
    while (!opened) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(AnswersItsVersion());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    }
    done = true;
    peer.join();
}

TEST_F(CentreUnderAttackTest, AnswersOnlyRequestsThatNameIt) {
    Start();
    const std::string port = std::to_string(centre->Port());
    const std::string body = "StrRequest=" + VersionRequest();
    auto request = [&](const std::string& method, const std::string& path, const std::string& host) {
        return RawExchange(centre->Port(), method + " " + path + " HTTP/1.0\r\n" + host +
                                               "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    };
    // A page of another site that points its own name at this machine reads and changes nothing.
    for (const char* path : {"/", "/reports/1", "/residents", CentreServer::kHelpPath, CentreServer::kRequestPath}) {
        for (const std::string& host :
             {"Host: rebind.example:" + port + "\r\n", std::string("Host: rebind.example\r\n"), std::string()}) {
            for (const char* method : {"GET", "POST"}) {
                const std::string reply = request(method, path, host);
                EXPECT_EQ(0u, reply.find("HTTP/1.1 421")) << method << " " << path << " " << host << reply;
                EXPECT_EQ(std::string::npos, reply.find("VESK")) << reply;
            }
        }
    }
    for (const std::string& name : {"127.0.0.1:" + port, "LOCALHOST:" + port}) {
        EXPECT_NE(std::string::npos,
                  request("POST", CentreServer::kRequestPath, "Host: " + name + "\r\n").find("<WORK>103"));
    }
}

TEST_F(CentreUnderAttackTest, ServesTheClientOverHttpsAndKeepsItsDataToItsOwner) {
    TestAuthority authority("Halvren Test Centre CA");
    const TlsIdentity identity = authority.Issue("127.0.0.1");
    const mode_t umaskBefore = umask(0); // the centre's own modes, whatever the umask
    Start({"--tls-cert", dir.Write("centre.pem", identity.certificatePem).string(), "--tls-key",
           dir.Write("centre.key", identity.keyPem).string(), "--pages", "127.0.0.1:0"});
    umask(umaskBefore);
    transport.SetServer("https://" + centre->Host());
    transport.SetTrustedAuthorities(dir.Write("ca.pem", authority.CertificatePem()).string());
    EXPECT_TRUE(AnswersItsVersion());
    EXPECT_EQ(Cp("성공"), Field(Report(hong, hongSsn, Cp("시장 골목"), Cp("연기가 납니다")), "RESULT"));
    transport.SetServer(centre->Host());
    EXPECT_NE(1, reader.CheckWork(Exchange(VersionRequest()), 3)) << "plain HTTP on the TLS port";

    // The dispatcher's view in a browser: plain HTTP on a second loopback port, which takes no report.
    std::smatch found;
    const std::string log = centre->Log();
    ASSERT_TRUE(std::regex_search(log, found, std::regex("view on http://127\\.0\\.0\\.1:(\\d+)/"))) << log;
    const int pages = std::stoi(found.str(1));
    EXPECT_NE(std::string::npos,
              RawExchange(pages, "GET / HTTP/1.0\r\n" + HostHeader(pages) + "\r\n").find("시장 골목"));
    const std::string body = "StrRequest=" + VersionRequest();
    const std::string refused =
        RawExchange(pages, "POST /Morvane/vesk/VeskManager.jsp HTTP/1.0\r\n" + HostHeader(pages) +
                               "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    EXPECT_EQ(std::string::npos, refused.find("<WORK>103")) << refused;

    for (const auto& [name, mode] : {std::pair<std::string, int>{"data", 0700},
                                     {"data/centre.db", 0600},
                                     {"data/centre.db-wal", 0600},
                                     {"data/centre.db-shm", 0600}}) {
        struct stat status {};
        ASSERT_EQ(0, stat((dir.Path() / name).c_str(), &status)) << name;
        EXPECT_EQ(mode, static_cast<int>(status.st_mode & 0777)) << name;
    }
}

TEST_F(CentreUnderAttackTest, RefusesOversizedRequestHeadsAndKeepsItsMemory) {
    Start();
    const long before = centre->ResidentKilobytes();
    // Four floods of a million header lines at once; the centre stops reading each after its limit.
    std::vector<std::thread> floods;
    for (int i = 0; i < 4; ++i) {
        floods.emplace_back([this] {
            std::string flood = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n";
            for (int line = 0; line < 1'000'000; ++line) {
                flood += "X-Flood: 1\r\n";
            }
            const int fd = OpenLoopback(centre->Port());
            send(fd, flood.data(), flood.size(), MSG_NOSIGNAL); // cut short when the centre closes
            close(fd);
        });
    }
    for (std::thread& flood : floods) {
        flood.join();
    }
    EXPECT_LT(centre->ResidentKilobytes() - before, 20 * 1024);

    // A head just over the limit is refused with 431 and a text for the user; one of many short lines too.
    const std::string body = "StrRequest=" + VersionRequest();
    auto post = [&](const std::string& headers) {
        return RawExchange(centre->Port(), "POST /Morvane/vesk/VeskManager.jsp HTTP/1.0\r\n" +
                                               HostHeader(centre->Port()) + "" + headers +
                                               "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    };
    for (const std::string& headers : {"X-Long: " + std::string(CentreServer::kMaxHead, 'a') + "\r\n", [] {
                                           std::string lines;
                                           for (unsigned i = 0; i <= CentreServer::kMaxHeaderLines; ++i) {
                                               lines += "X-Line-" + std::to_string(i) + ": 1\r\n";
                                           }
                                           return lines;
                                       }()}) {
        const std::string refused = post(headers);
        EXPECT_EQ(0u, refused.find("HTTP/1.1 431")) << refused.substr(0, 100);
        EXPECT_NE(std::string::npos, refused.find("<WORK>999</WORK><COMENT> ")) << refused;
    }
    // An ordinary head with a few dozen lines is answered.
    std::string ordinary;
    for (int i = 0; i < 40; ++i) {
        ordinary += "X-Proxy-" + std::to_string(i) + ": " + std::string(100, 'p') + "\r\n";
    }
    EXPECT_NE(std::string::npos, post(ordinary).find("<WORK>103</WORK>"));
    EXPECT_TRUE(AnswersItsVersion());
}

TEST_F(CentreUnderAttackTest, RefusesFieldsNoClientSendsAndKeepsEveryPageBounded) {
    Start();
    const std::string longest(CentreService::kMaxContentsBytes, 'a');
    const std::string place(CentreService::kMaxPlaceBytes, 'p');
    auto refusal = [&](const std::string& reply) {
        EXPECT_EQ(999, reader.CheckWork(reply, 11)) << reply.substr(0, 200);
        return platform::Cp949ToUtf8(Field(reply, "COMENT")).value_or("?");
    };
    EXPECT_NE(std::string::npos, refusal(Report(hong, hongSsn, place + "p", Cp("불"))).find("DSRADDR"));
    EXPECT_NE(std::string::npos, refusal(Report(hong, hongSsn, Cp("장소"), longest + "a")).find("CONTENTS"));
    EXPECT_NE(std::string::npos,
              refusal(Report(hong + std::string(40, 'a'), hongSsn, Cp("장소"), Cp("불"))).find("NAME"));

    // Reports of the largest size the client sends are taken, as many as anyone sends.
    constexpr int kReports = CentreService::kMaxHistoryEntries + 5;
    for (int i = 0; i < kReports; ++i) {
        const std::string marker = "report " + std::to_string(i) + " ";
        ASSERT_EQ(Cp("성공"), Field(Report(hong, hongSsn, place, marker + longest.substr(marker.size())), "RESULT"));
    }

    // The dispatcher's list holds the newest 100 with their texts cut short ...
    const std::string view = Get("/");
    EXPECT_LT(view.size(), 200'000u);
    EXPECT_EQ(100u, Count(view, "<a href=\"/reports/"));
    EXPECT_NE(std::string::npos, view.find("report " + std::to_string(kReports - 1) + " "));
    EXPECT_EQ(std::string::npos, view.find("report " + std::to_string(kReports - 101) + " "));
    EXPECT_EQ(std::string::npos, view.find(std::string(200, 'a')));
    EXPECT_NE(std::string::npos, view.find("word-break:keep-all"));
    // ... and each report's own page shows it whole.
    const std::string newest = "report " + std::to_string(kReports - 1) + " ";
    EXPECT_NE(std::string::npos,
              Get("/reports/" + std::to_string(kReports)).find(newest + longest.substr(newest.size())));
    EXPECT_NE(std::string::npos, Get("/reports/999999").find("404"));

    // The history carries the newest 200 reports.
    const auto history = ReadTagList(reader, Exchange(HistoryRequest(hong, Encrypted(hongSsn), 1)), "CALLINFO",
                                     {"NO", "BOARDLEVEL", "NAME", "DSRADDR", "TITLE", "CONTENTS", "DATE"});
    ASSERT_EQ(static_cast<size_t>(CentreService::kMaxHistoryEntries), history.size());
    EXPECT_EQ(std::to_string(kReports), history.front()[0]);
    EXPECT_EQ("6", history.back()[0]);
}

TEST_F(CentreUnderAttackTest, AnswersAMultipartFormAndOtherStrangeRequestsWithAWorkCode) {
    Start();
    const std::string multipart =
        "--XyZ\r\nContent-Disposition: form-data; name=\"StrRequest\"\r\n\r\n" + VersionRequest() + "\r\n--XyZ--\r\n";
    for (const std::string& request :
         {"POST /Morvane/vesk/VeskManager.jsp HTTP/1.0\r\n" + HostHeader(centre->Port()) +
              "Content-Type: multipart/form-data; boundary=XyZ\r\n"
              "Content-Length: " +
              std::to_string(multipart.size()) + "\r\n\r\n" + multipart,
          std::string("GET /Morvane/vesk/VeskManager.jsp HTTP/1.0\r\n" + HostHeader(centre->Port()) + "\r\n"),
          std::string("POST /Morvane/vesk/VeskManager.jsp HTTP/1.0\r\n" + HostHeader(centre->Port()) +
                      "Transfer-Encoding: chunked\r\n\r\n"
                      "5\r\nStrRe\r\n0\r\n\r\n")}) {
        const std::string reply = RawExchange(centre->Port(), request);
        const size_t body = reply.find("\r\n\r\n");
        ASSERT_NE(std::string::npos, body) << reply;
        EXPECT_EQ(999, reader.CheckWork(reply.substr(body), 3)) << reply;
        EXPECT_NE("", Field(reply, "COMENT"));
    }
    EXPECT_TRUE(AnswersItsVersion());
}

TEST_F(CentreUnderAttackTest, OnlyTheOperatorChangesTheResidentRegister) {
    const std::string dasom = Cp("정다솜");
    const std::string dasomSsn = "9912312234567";
    Start({"--resident", "정다솜,991231-2234567"});
    EXPECT_EQ("1", CheckResult(dasom, dasomSsn));
    EXPECT_EQ("1", CheckResult(hong, hongSsn));

    // A check with an unknown number registers nobody: the next name with that number is not told "2".
    const std::string stranger = Cp("김민수");
    const std::string strangerSsn = "8801011234568";
    EXPECT_EQ("3", CheckResult(stranger, strangerSsn));
    EXPECT_EQ("3", CheckResult(stranger, strangerSsn));
    EXPECT_EQ("3", CheckResult(Cp("김민서"), strangerSsn));

    // Everybody's report is taken; the dispatcher sees who is not confirmed.
    EXPECT_EQ(Cp("성공"), Field(Report(stranger, strangerSsn, Cp("시장 골목"), Cp("연기가 납니다")), "RESULT"));
    EXPECT_EQ(Cp("성공"), Field(Report(hong, hongSsn, Cp("사직동 놀이터"), Cp("아이가 다쳤어요")), "RESULT"));
    EXPECT_EQ(Cp("성공"), Field(Report(Cp("김철수"), hongSsn, Cp("사직로"), Cp("불이 났어요")), "RESULT"));
    const std::string view = Get("/");
    EXPECT_EQ(2u, Count(view, "본인 확인 안 됨")) << view;
    EXPECT_NE(std::string::npos, Get("/reports/1").find("본인 확인 안 됨"));
    EXPECT_EQ(std::string::npos, Get("/reports/2").find("본인 확인 안 됨"));
    // The unconfirmed caller still finds the report in the history.
    EXPECT_EQ(1u, ReadTagList(reader, Exchange(HistoryRequest(stranger, Encrypted(strangerSsn), 1)), "CALLINFO",
                              {"NO", "BOARDLEVEL", "NAME", "DSRADDR", "TITLE", "CONTENTS", "DATE", "PROCSTATUS"})
                      .size());

    // The operator adds the caller with the form this run of the centre gave out; a page of another site, a
    // form without the token, and a page that names the centre by a name of its own cannot.
    std::smatch token;
    const std::string page = Get("/residents");
    ASSERT_TRUE(std::regex_search(page, token, std::regex("name=\"token\" value=\"([0-9a-f]{32})\""))) << page;
    const std::string fields = "name=%EA%B9%80%EB%AF%BC%EC%88%98&number=880101-1234568";
    auto post = [&](const std::string& host, const std::string& extra, const std::string& form) {
        return RawExchange(centre->Port(), "POST /residents HTTP/1.0\r\nHost: " + host + "\r\n" + extra +
                                               "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                                               std::to_string(form.size()) + "\r\n\r\n" + form);
    };
    const std::string withToken = "token=" + token.str(1) + "&" + fields;
    EXPECT_EQ(0u, post(centre->Host(), "Origin: http://elsewhere.example\r\n", withToken).find("HTTP/1.1 403"));
    EXPECT_EQ(0u, post(centre->Host(), "", fields).find("HTTP/1.1 403"));
    EXPECT_EQ(0u, post(centre->Host(), "", "token=" + std::string(32, '0') + "&" + fields).find("HTTP/1.1 403"));
    EXPECT_EQ(0u, post("rebind.example:" + std::to_string(centre->Port()), "", withToken).find("HTTP/1.1 421"));
    EXPECT_EQ("3", CheckResult(stranger, strangerSsn));
    EXPECT_EQ(0u, post(centre->Host(), "Origin: http://" + centre->Host() + "\r\n", withToken).find("HTTP/1.1 200"));
    EXPECT_EQ("1", CheckResult(stranger, strangerSsn));
    EXPECT_EQ("2", CheckResult(Cp("김민서"), strangerSsn));
}

} // namespace
