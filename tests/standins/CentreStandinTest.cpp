// The client's protocol core talking to the centre stand-in over real HTTP, with the real cipher library
// and a real database in a temporary folder.
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
#include "standins/centre/CentreStore.h"
#include "support/CentreWire.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <set>
#include <sqlite3.h>
#include <sstream>
#include <thread>

namespace {

std::string Cp(const char* utf8) {
    return platform::Utf8ToCp949(utf8).value();
}

// A postal table of our own: one neighbourhood with more entries than a reply may carry.
std::string PostalTable() {
    std::string table = "# test table\n111010\t서울특별시 종로구 사직동\t1~99번지\n"
                        "604040\t부산광역시 동래구 사직동\t1~150번지\n"
                        "604047\t부산광역시 동래구 사직동\t151~420번지\n";
    for (int i = 0; i < 250; ++i) {
        table += std::to_string(300000 + i) + "\t대전광역시 서구 둔산동\t" + std::to_string(i) + "번지\n";
    }
    return table;
}

struct Person {
    std::string name; // code page 949
    std::string ssn;  // 13 digits
};

// The centre, started in this process on a free loopback port for each test.
class CentreStandinTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(cipher.Load(HALVREN_KAVREL_PATH));
        std::string error;
        store = CentreStore::Open(dir.Path() / "data", dir.Write("postal.tsv", PostalTable()), error);
        ASSERT_TRUE(store) << error;
        settings.version = "1.0.0.7";
        settings.progress = {3600, 7200, 10800};
        service = std::make_unique<CentreService>(settings, *store, cipher);
        server = std::make_unique<CentreServer>(*service, *store, Cp("<html>도움말</html>"), log);
        port = server->Bind("127.0.0.1", 0);
        ASSERT_GT(port, 0);
        serving = std::thread([this] { server->Serve(); });
        transport.SetServer("127.0.0.1:" + std::to_string(port));
        transport.SetTimeLimits(5000, 10000);
    }
    void TearDown() override {
        if (server) {
            server->Stop();
        }
        if (serving.joinable()) {
            serving.join();
        }
    }

    std::string Exchange(const std::string& request) { return Exchange(transport, request); }
    static std::string Exchange(HttpTransport& with, const std::string& request) {
        return with.Send(request) ? with.Receive() : "(not sent)";
    }
    std::string Field(const std::string& reply, const std::string& name) const {
        int position = 0;
        return reader.GetTagValue(reply, name, position);
    }
    std::string Encrypted(const std::string& ssn) const { return cipher.EncryptText(ssn).value(); }

    std::string RealNameCheck(const std::string& name, const std::string& cipherSsn) const {
        return RealNameRequest(name, cipherSsn);
    }
    std::string ReportRequest(const Person& p, const std::string& place, const std::string& title,
                              const std::string& contents) const {
        return RawReportRequest(p.name, Encrypted(p.ssn), place, title, contents);
    }
    std::string HistoryRequest(const Person& p) const { return ::HistoryRequest(p.name, Encrypted(p.ssn), 1); }
    std::vector<std::vector<std::string>> History(const Person& p) {
        const std::string reply = Exchange(HistoryRequest(p));
        EXPECT_EQ(1, reader.CheckWork(reply, 15)) << reply;
        return ReadTagList(reader, reply, "CALLINFO",
                           {"NO", "BOARDLEVEL", "NAME", "DSRADDR", "TITLE", "CONTENTS", "DATE", "PROCSTATUS"});
    }

    TempDir dir;
    CipherLibrary cipher;
    CentreSettings settings;
    std::unique_ptr<CentreStore> store;
    std::unique_ptr<CentreService> service;
    std::ostringstream log;
    std::unique_ptr<CentreServer> server;
    std::thread serving;
    int port = 0;
    HttpTransport transport;
    TagReader reader;
    const Person hong{Cp("홍길동"), "8001011234567"}; // seeded in every new database
};

TEST_F(CentreStandinTest, AnnouncesItsVersionAndFindsPostalCodes) {
    const std::string version = Exchange(VersionRequest());
    EXPECT_EQ(1, reader.CheckWork(version, 3));
    EXPECT_EQ("1.0.0.7", Field(version, "VERSION"));

    // Both cities that have the neighbourhood, in postal-code order, byte-exact in code page 949.
    std::string reply = Exchange("<VESK><WORK>002</WORK><DONG> " + Cp("사직") + " </DONG></VESK>");
    ASSERT_EQ(1, reader.CheckWork(reply, 2)) << reply;
    auto entries = ReadTagList(reader, reply, "ZIP", {"ZCODE", "ADDR1", "ADDR2"});
    ASSERT_EQ(3u, entries.size());
    EXPECT_EQ((std::vector<std::string>{"111010", Cp("서울특별시 종로구 사직동"), Cp("1~99번지")}), entries[0]);
    EXPECT_EQ("604047", entries[2][0]);

    // A reply carries at most 200 groups, always the same ones.
    reply = Exchange("<VESK><WORK>002</WORK><DONG> " + Cp("둔산동") + " </DONG></VESK>");
    entries = ReadTagList(reader, reply, "ZIP", {"ZCODE", "ADDR1", "ADDR2"});
    ASSERT_EQ(200u, entries.size());
    EXPECT_EQ("300000", entries.front()[0]);
    EXPECT_EQ("300199", entries.back()[0]);

    reply = Exchange("<VESK><WORK>002</WORK><DONG> " + Cp("없는동") + " </DONG></VESK>");
    EXPECT_EQ(1, reader.CheckWork(reply, 2));
    EXPECT_TRUE(ReadTagList(reader, reply, "ZIP", {"ZCODE", "ADDR1", "ADDR2"}).empty());
}

TEST_F(CentreStandinTest, ChecksRealNamesAgainstTheRegisterAlone) {
    auto check = [&](const std::string& name, const std::string& ssn) {
        const std::string reply = Exchange(RealNameCheck(name, Encrypted(ssn)));
        EXPECT_EQ(1, reader.CheckWork(reply, 4)) << reply;
        return Field(reply, "CHECKRESULT");
    };
    EXPECT_EQ("1", check(hong.name, hong.ssn));
    EXPECT_EQ("2", check(Cp("김철수"), hong.ssn)); // seeded number, another name

    // A check never registers: the first name that comes with an unknown number claims nothing.
    EXPECT_EQ("3", check(Cp("정다운"), "9912312234567"));
    EXPECT_EQ("3", check(Cp("정다은"), "9912312234567"));
    std::string previous;
    for (const auto& [name, ssn] : {std::pair{Cp("정다은"), "9912312234567"},
                                    {Cp("정다은"), "0002294234567"},
                                    {std::string("John Smith"), "9001015234567"}}) {
        ASSERT_TRUE(store->AddResident(ssn, name, previous));
    }
    EXPECT_EQ("1", check(Cp("정다은"), "9912312234567"));
    EXPECT_EQ("2", check(Cp("정다운"), "9912312234567"));

    EXPECT_EQ("3", check(Cp("정다은"), "9902302234567")); // 30 February
    EXPECT_EQ("3", check(Cp("정다은"), "0002291234567")); // 1900 was no leap year
    EXPECT_EQ("1", check(Cp("정다은"), "0002294234567")); // 2000 was
    EXPECT_EQ("1", check("John Smith", "9001015234567")); // a foreign resident
    EXPECT_EQ("3", check(Cp("정다은"), "991231223456"));  // 12 digits
    EXPECT_EQ("3", check(Cp("정다은"), "991231A234567"));
    EXPECT_EQ("3", check(Cp("정다은"), "4001013234567")); // born in 2040
    EXPECT_EQ("4", check("", "8503152345678"));
    EXPECT_EQ("4", check(Cp("김1"), "8503152345678"));

    // A number that is not cipher text of the centre's pass phrase is refused with a text for the user.
    const std::string refused = Exchange(RealNameCheck(hong.name, hong.ssn));
    EXPECT_EQ(999, reader.CheckWork(refused, 4));
    EXPECT_EQ(Cp("주민등록번호를 해독할 수 없습니다."), Field(refused, "COMENT"));
}

TEST_F(CentreStandinTest, StoresAReportAndListsItBackByteExact) {
    // Hangul, the bytes a form decoder would touch, and line breaks all travel unchanged.
    const std::string place = Cp("종로구 사직로 8길 [2층] a+b=c&d%41");
    const std::string contents = Cp("부엌에서 불이 났습니다.\r\n연기가 많아요. 50% 진행") + "\xB6\xF3";
    std::string reply = Exchange(ReportRequest(hong, place, Cp("화재신고"), contents));
    ASSERT_EQ(1, reader.CheckWork(reply, 11)) << reply;
    EXPECT_EQ(Cp("성공"), Field(reply, "RESULT"));
    reply = Exchange(ReportRequest(hong, Cp("사직동 놀이터"), Cp("구조신고"), Cp("아이가 갇혔어요")));
    EXPECT_EQ(Cp("성공"), Field(reply, "RESULT"));

    auto history = History(hong);
    ASSERT_EQ(2u, history.size());
    EXPECT_EQ(Cp("구조신고"), history[0][4]); // newest first
    const auto& first = history[1];
    EXPECT_EQ(hong.name, first[2]);
    EXPECT_EQ(place, first[3]);
    EXPECT_EQ(Cp("화재신고"), first[4]);
    std::string shown = contents; // the client's transport drops carriage returns while reading a reply
    shown.erase(shown.find('\r'), 1);
    EXPECT_EQ(shown, first[5]);
    EXPECT_TRUE(std::regex_match(first[6], std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d)"))) << first[6];
    EXPECT_EQ("null", first[7]); // nobody has taken it on yet
    EXPECT_LT(std::stoll(first[0]), std::stoll(history[0][0]));

    // Another person, or the same number with another name, sees none of them.
    EXPECT_TRUE(History({Cp("김영희"), "8503152345678"}).empty());
    EXPECT_TRUE(History({Cp("김철수"), hong.ssn}).empty());

    // The reports survive the server and the database being closed and opened again, stored as received.
    server->Stop();
    serving.join();
    service.reset();
    store.reset();
    std::string error;
    auto reopened = CentreStore::Open(dir.Path() / "data", dir.Path() / "postal.tsv", error);
    ASSERT_TRUE(reopened) << error;
    EXPECT_EQ(2, reopened->ReportCount().value());
    EXPECT_EQ(contents, reopened->ReportsOf(hong.ssn, hong.name, 10).value().at(1).contents);
}

TEST_F(CentreStandinTest, ProgressAdvancesWithTheTimeSinceReceipt) {
    const std::time_t received = 1'000'000;
    EXPECT_EQ("null", service->ProgressOf(received, received + 3599));
    EXPECT_EQ(Cp("접수"), service->ProgressOf(received, received + 3600));
    EXPECT_EQ(Cp("출동"), service->ProgressOf(received, received + 7200));
    EXPECT_EQ(Cp("처리완료"), service->ProgressOf(received, received + 20000));
}

TEST_F(CentreStandinTest, RefusesBrokenRequestsAndIncompleteReports) {
    auto refusedWith = [&](const std::string& body) {
        const std::string reply = Exchange(body);
        EXPECT_EQ(999, reader.CheckWork(reply, 11)) << reply;
        return platform::Cp949ToUtf8(Field(reply, "COMENT")).value_or("?");
    };
    EXPECT_NE("", refusedWith("<VESK><WORK>012</WORK></VESK>"));
    // What the centre repeats from a request cannot end its own reply field early.
    EXPECT_NE(std::string::npos, refusedWith("<VESK><WORK>0</COMENT>9</WORK></VESK>").find("\"0[/COMENT]9\""));
    EXPECT_NE("", refusedWith("<VESK></VESK>"));
    std::string missing = ReportRequest(hong, Cp("장소"), Cp("화재신고"), Cp("내용"));
    missing.erase(missing.find("<CONTENTS>"), missing.find("</CALLINFO>") - missing.find("<CONTENTS>"));
    EXPECT_NE(std::string::npos, refusedWith(missing).find("CONTENTS"));
    // A value with a tag in it would have moved the fields behind it.
    EXPECT_NE(
        std::string::npos,
        refusedWith(ReportRequest(hong, Cp("장소<TITLE> x</TITLE>"), Cp("화재신고"), Cp("내용"))).find("DSRADDR"));
    EXPECT_NE("", refusedWith(ReportRequest(hong, Cp("장소"), Cp("화재신고"), "\xB0")));

    // A body without "StrRequest=" never reaches the work codes.
    const std::string bare = "<VESK><WORK>003</WORK></VESK>";
    const std::string reply =
        RawExchange(port, "POST /Morvane/vesk/VeskManager.jsp HTTP/1.0\r\n" + HostHeader(port) +
                              "Content-Length: " + std::to_string(bare.size()) + "\r\n\r\n" + bare);
    EXPECT_NE(std::string::npos, reply.find("<WORK>999</WORK>")) << reply;

    // Reports the centre cannot act on are answered, not stored.
    auto result = [&](const Person& p, const std::string& place, const std::string& title, const std::string& text) {
        return Field(Exchange(ReportRequest(p, place, title, text)), "RESULT");
    };
    EXPECT_NE(Cp("성공"), result(hong, "", Cp("화재신고"), Cp("내용")));
    EXPECT_NE(Cp("성공"), result(hong, Cp("장소"), "", Cp("내용")));
    EXPECT_NE(Cp("성공"), result(hong, Cp("장소"), Cp("화재신고"), "  "));
    EXPECT_EQ(0, store->ReportCount().value());

    // Who sent a report never stops it: a name the register does not hold with the number, or a number that
    // cannot be, is taken and marked for the dispatcher as not confirmed.
    EXPECT_EQ(Cp("성공"), result({Cp("김철수"), hong.ssn}, Cp("장소"), Cp("화재신고"), Cp("내용")));
    EXPECT_EQ(Cp("성공"), result({Cp("김철수"), "8013011234567"}, Cp("장소"), Cp("화재신고"), Cp("내용")));
    EXPECT_EQ(Cp("성공"), result(hong, Cp("장소"), Cp("화재신고"), Cp("내용")));
    const auto stored = store->LatestReports(10).value();
    ASSERT_EQ(3u, stored.size());
    EXPECT_TRUE(stored[0].verified);
    EXPECT_FALSE(stored[1].verified);
    EXPECT_FALSE(stored[2].verified);
}

TEST_F(CentreStandinTest, RefusesBodiesOverTheLimitWithoutWaitingForThem) {
    // Only the headers are sent: the refusal must come although the announced body never arrives.
    const std::string reply =
        RawExchange(port, "POST /Morvane/vesk/VeskManager.jsp HTTP/1.0\r\n" + HostHeader(port) +
                              ""
                              "Content-Type: application/x-www-form-urlencoded\r\n"
                              "Content-Length: " +
                              std::to_string(CentreServer::kMaxBody + 1) + "\r\n\r\nStrRequest=<VESK>");
    EXPECT_NE(std::string::npos, reply.find("<WORK>999</WORK>")) << reply;

    // A body of exactly the limit is still read and answered.
    std::string body = "StrRequest=<VESK><WORK>003</WORK></VESK>";
    body.resize(CentreServer::kMaxBody, ' ');
    const std::string answered =
        RawExchange(port, "POST /Morvane/vesk/VeskManager.jsp HTTP/1.0\r\n" + HostHeader(port) +
                              "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    EXPECT_NE(std::string::npos, answered.find("<WORK>103</WORK>")) << answered.substr(0, 200);
}

TEST_F(CentreStandinTest, AnswersItsOwnFailureWithATitleNeverWithSuccess) {
    // Another hand breaks the database under the running centre.
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open((dir.Path() / "data" / "centre.db").c_str(), &db));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, "DROP TABLE reports", nullptr, nullptr, nullptr));
    sqlite3_close(db);

    for (const std::string& request :
         {ReportRequest(hong, Cp("장소"), Cp("화재신고"), Cp("내용")), HistoryRequest(hong)}) {
        const std::string reply = Exchange(request);
        EXPECT_EQ(0, reader.CheckWork(reply, 11)) << reply;
        EXPECT_EQ(0, reader.CheckWork(reply, 15)) << reply;
        EXPECT_NE("", Field(reply, "TITLE"));
        EXPECT_EQ("", Field(reply, "RESULT"));
    }
}

TEST_F(CentreStandinTest, ServesTheHelpPageAndTheDispatchersView) {
    // A second centre cannot take the address of the first.
    CentreServer second(*service, *store, "", log);
    EXPECT_EQ(-1, second.Bind("127.0.0.1", port));

    const std::string help =
        RawExchange(port, "GET /Morvane/vesk/Help/help.jsp HTTP/1.0\r\n" + HostHeader(port) + "\r\n");
    EXPECT_NE(std::string::npos, help.find("Content-Type: text/html; charset=EUC-KR"));
    EXPECT_NE(std::string::npos, help.find(Cp("도움말")));

    ASSERT_EQ(Cp("성공"), Field(Exchange(ReportRequest(hong, Cp("시장 & 골목"), Cp("화재신고"), Cp("불"))), "RESULT"));
    const std::string view = RawExchange(port, "GET / HTTP/1.0\r\n" + HostHeader(port) + "\r\n");
    EXPECT_NE(std::string::npos, view.find("charset=utf-8"));
    EXPECT_NE(std::string::npos, view.find("http-equiv=\"refresh\""));
    EXPECT_NE(std::string::npos, view.find("홍길동"));
    EXPECT_NE(std::string::npos, view.find("시장 &amp; 골목"));
}

TEST_F(CentreStandinTest, TakesABurstOfConcurrentReports) {
    constexpr int kClients = 8;
    constexpr int kEach = 25;
    std::atomic<int> accepted{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            HttpTransport own;
            own.SetServer("127.0.0.1:" + std::to_string(port));
            const std::string request =
                ReportRequest(hong, Cp("장소 ") + std::to_string(c), Cp("기타신고"), Cp("내용"));
            for (int i = 0; i < kEach; ++i) {
                if (Field(Exchange(own, request), "RESULT") == Cp("성공")) {
                    ++accepted;
                }
            }
        });
    }
    for (std::thread& t : clients) {
        t.join();
    }
    EXPECT_EQ(kClients * kEach, accepted.load());
    EXPECT_EQ(kClients * kEach, store->ReportCount().value());
    std::set<std::string> numbers;
    for (const auto& entry : History(hong)) {
        numbers.insert(entry[0]);
    }
    EXPECT_EQ(static_cast<size_t>(kClients * kEach), numbers.size());
}

} // namespace
