#include "client/protocol/HttpTransport.h"
#include "protocol/Envelope.h"
#include "protocol/TagReader.h"
#include "support/RawHttpCapture.h"
#include "support/ScriptedCentre.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// An exchange the way every page runs one: Send, then Receive only when Send succeeded.
std::optional<std::string> Exchange(HttpTransport& transport, const std::string& request) {
    if (!transport.Send(request)) {
        return std::nullopt;
    }
    return transport.Receive();
}

ScriptedCentre::Reply Reply(ScriptedCentre::Reply::Mode mode, int status, std::string body) {
    ScriptedCentre::Reply reply;
    reply.mode = mode;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

// A loopback port on which nobody listens.
int ClosedPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

class HttpTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        transport.SetServer(centre.Host());
        transport.SetTimeLimits(2000, 2000);
    }
    ScriptedCentre centre;
    HttpTransport transport;
};

TEST_F(HttpTransportTest, PostsTheRequestAsTheCentreExpectsIt) {
    centre.QueueBody("<VESK><WORK>103</WORK><VERSION>1.0.0.1</VERSION></VESK>");
    auto reply = Exchange(transport, VersionRequest());
    ASSERT_TRUE(reply);
    EXPECT_EQ("<VESK><WORK>103</WORK><VERSION>1.0.0.1</VERSION></VESK>", *reply);

    const auto request = centre.LastRequest();
    EXPECT_EQ("POST", request.method);
    EXPECT_EQ("/Morvane/vesk/VeskManager.jsp", request.path);
    EXPECT_EQ("HTTP/1.0", request.version);
    EXPECT_EQ("StrRequest=<VESK><WORK>003</WORK></VESK>", request.body);
    EXPECT_EQ(std::to_string(11 + VersionRequest().size()), request.Header("Content-Length"));
    EXPECT_EQ("application/x-www-form-urlencoded; charset=EUC-KR", request.Header("Content-Type"));
    EXPECT_EQ("Halvren", request.Header("User-Agent"));
    EXPECT_EQ("", request.Header("Accept"));
}

TEST_F(HttpTransportTest, SendsEveryByteUnencoded) {
    // Korean code page 949 bytes and the characters a form encoder would touch go out as they are.
    const std::string request = "<VESK><WORK>011</WORK>" + TagField("NAME", "\xC8\xAB\xB1\xE6\xB5\xBF") +
                                TagField("CONTENTS", "a+b & c=d %41 \x8C\x63\r\nnext") + "</VESK>";
    centre.QueueBody("<WORK>111</WORK><RESULT>\xBC\xBA\xB0\xF8</RESULT>");
    auto reply = Exchange(transport, request);
    ASSERT_TRUE(reply);
    int position = 0;
    EXPECT_EQ("\xBC\xBA\xB0\xF8", TagReader().GetTagValue(*reply, "RESULT", position));
    EXPECT_EQ("StrRequest=" + request, centre.LastRequest().body);
    EXPECT_EQ(std::to_string(11 + request.size()), centre.LastRequest().Header("Content-Length"));
}

TEST(HttpTransportWire, HeaderLineAndRequestLineGoOutExactly) {
    RawHttpCapture capture("HTTP/1.0 200 OK\r\nContent-Length: 16\r\n\r\n<WORK>103</WORK>");
    HttpTransport transport;
    transport.SetServer(capture.Host());
    ASSERT_TRUE(transport.Send(VersionRequest()));
    EXPECT_EQ("<WORK>103</WORK>", transport.Receive());
    const std::string raw = capture.Captured();
    EXPECT_EQ(0u, raw.find("POST /Morvane/vesk/VeskManager.jsp HTTP/1.0\r\n")) << raw;
    EXPECT_NE(std::string::npos, raw.find("\r\nContent-Type:application/x-www-form-urlencoded; charset=EUC-KR\r\n"))
        << raw;
    EXPECT_NE(std::string::npos, raw.find("\r\nContent-Length: 40\r\n")) << raw;
    ASSERT_NE(std::string::npos, raw.find("\r\n\r\n"));
    EXPECT_EQ("StrRequest=<VESK><WORK>003</WORK></VESK>", raw.substr(raw.find("\r\n\r\n") + 4));
}

TEST_F(HttpTransportTest, AssemblesRepliesLineByLine) {
    // Carriage returns go, inner line feeds stay, the last one is trimmed away.
    centre.QueueBody("<WORK>103</WORK>\r\n<VERSION>2</VERSION>\r\n");
    EXPECT_EQ("<WORK>103</WORK>\n<VERSION>2</VERSION>", Exchange(transport, VersionRequest()).value_or("?"));

    // One line far longer than a read piece arrives whole and in order.
    std::string longLine;
    for (int i = 0; longLine.size() < 5000; ++i) {
        longLine += std::to_string(i % 10);
    }
    centre.QueueBody("  <TITLE>" + longLine + "</TITLE>\n");
    EXPECT_EQ("<TITLE>" + longLine + "</TITLE>", Exchange(transport, VersionRequest()).value_or("?"));

    // A NUL byte ends its piece: the rest of that line up to the line feed is lost, later lines arrive.
    const char withNul[] = "<WORK>103</WORK>\0hidden\n<VERSION>3</VERSION>";
    centre.QueueBody(std::string(withNul, sizeof withNul - 1));
    EXPECT_EQ("<WORK>103</WORK><VERSION>3</VERSION>", Exchange(transport, VersionRequest()).value_or("?"));
}

TEST(HttpTransportAssemble, CutsPiecesAt1022Bytes) {
    // A NUL in the second piece of a long line removes only the rest of that piece.
    std::string line(1022, 'a');
    line += std::string("b\0ccc", 5) + std::string(1017, 'd') + "e\nf";
    EXPECT_EQ(std::string(1022, 'a') + "b" + "e\nf", HttpTransport::AssembleReply(line));
    // Carriage returns take no room in a piece.
    std::string crs = std::string(1021, 'a') + "\r\r" + std::string("b\0x", 3) + "yz";
    EXPECT_EQ(std::string(1021, 'a') + "b", HttpTransport::AssembleReply(crs));
    EXPECT_EQ("", HttpTransport::AssembleReply(std::string("\0\0\0", 3)));
    EXPECT_EQ("", HttpTransport::AssembleReply(""));
}

TEST_F(HttpTransportTest, ErrorPagesAreReadAsText) {
    centre.Queue(Reply(ScriptedCentre::Reply::Mode::Answer, 404, "<html>Not Found</html>"));
    centre.Queue(Reply(ScriptedCentre::Reply::Mode::Answer, 500, "<WORK>103</WORK>"));
    EXPECT_EQ("<html>Not Found</html>", Exchange(transport, VersionRequest()).value_or("?"));
    EXPECT_EQ("<WORK>103</WORK>", Exchange(transport, VersionRequest()).value_or("?"));
}

TEST_F(HttpTransportTest, ABrokenReplyReadsAsTheFailureMarker) {
    centre.Queue(Reply(ScriptedCentre::Reply::Mode::CloseMidBody, 200, std::string(4000, 'x')));
    EXPECT_EQ("Exception!!!", Exchange(transport, VersionRequest()).value_or("?"));
    centre.QueueBody("<WORK>103</WORK>");
    EXPECT_EQ("<WORK>103</WORK>", Exchange(transport, VersionRequest()).value_or("?"));
}

TEST_F(HttpTransportTest, ASilentCentreFailsWithinTheTimeLimitAndTheNextExchangeWorks) {
    centre.Queue(Reply(ScriptedCentre::Reply::Mode::NeverAnswer, 200, ""));
    const auto began = Clock::now();
    EXPECT_FALSE(transport.Send(VersionRequest()));
    EXPECT_LT(Clock::now() - began, std::chrono::seconds(10));
    centre.Release();
    centre.QueueBody("<WORK>103</WORK>");
    EXPECT_EQ("<WORK>103</WORK>", Exchange(transport, VersionRequest()).value_or("?"));
}

TEST(HttpTransportHosts, UnreachableOrMissingHostsFailInSend) {
    HttpTransport transport;
    transport.SetTimeLimits(2000, 2000);
    transport.SetServer("127.0.0.1:" + std::to_string(ClosedPort()));
    EXPECT_FALSE(transport.Send(VersionRequest()));
    EXPECT_EQ("Exception!!!", transport.Receive()) << "nothing is left open to read from";
    for (const char* host : {"", "127.0.0.1:", "127.0.0.1:99999", "evil.example/x?", "a b", "user@host"}) {
        transport.SetServer(host);
        EXPECT_FALSE(transport.Send(VersionRequest())) << host;
    }
    // A fresh exchange after the failures works.
    ScriptedCentre centre;
    centre.QueueBody("<WORK>103</WORK>");
    transport.SetServer(centre.Host());
    ASSERT_TRUE(transport.Send(VersionRequest()));
    EXPECT_EQ("<WORK>103</WORK>", transport.Receive());
}

TEST_F(HttpTransportTest, MalformedRepliesNeverBreakTheExchange) {
    const std::vector<std::string> bodies = {
        "",          std::string("\0\0\0<WORK>103</WORK>", 19), "<WORK",
        "<WORK>103", std::string(10 * 1024 * 1024, '<'),        std::string("\xFF\xFE\x00\x01\x80<\x90>", 8),
    };
    TagReader reader;
    for (std::size_t row = 0; row < bodies.size(); ++row) {
        SCOPED_TRACE("body " + std::to_string(row));
        centre.QueueBody(bodies[row]);
        auto reply = Exchange(transport, VersionRequest());
        EXPECT_TRUE(reply);
        EXPECT_EQ(0, reader.CheckWork(reply.value_or(""), 3));
    }
}

} // namespace
