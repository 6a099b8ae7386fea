// The transport to an https centre: the same bytes both ways as over plain HTTP, and not one byte to a centre
// whose certificate does not verify.
#include "client/protocol/Envelope.h"
#include "client/protocol/HttpTransport.h"
#include "platform/Codec.h"
#include "platform/Http.h"
#include "support/CentreWire.h"
#include "support/RawHttpCapture.h"
#include "support/ScriptedCentre.h"
#include "support/TempDir.h"
#include "support/TestAuthority.h"

#include <gtest/gtest.h>

namespace {

const std::string kReply = "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=EUC-KR\r\n\r\n<VESK><WORK>111</WORK>"
                           "<RESULT>\xBC\xBA\xB0\xF8</RESULT>\r\n<COMENT>a\r\nb</COMENT></VESK>\r\n";

std::optional<std::string> Exchange(HttpTransport& transport, const std::string& request) {
    if (!transport.Send(request)) {
        return std::nullopt;
    }
    return transport.Receive();
}

// The request bytes with the capture's own port left out, so that two captures compare.
std::string Captured(RawHttpCapture& capture) {
    std::string bytes = capture.Captured();
    const std::string host = capture.Host();
    for (size_t at = bytes.find(host); at != std::string::npos; at = bytes.find(host, at)) {
        bytes.replace(at, host.size(), "127.0.0.1:PORT");
    }
    return bytes;
}

class HttpsTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        transport.SetTimeLimits(3000, 5000);
        transport.SetTrustedAuthorities(caFile);
    }
    TempDir dir;
    TestAuthority authority{"Halvren Test Centre CA"};
    const std::string caFile = dir.Write("centre-ca.pem", authority.CertificatePem()).string();
    HttpTransport transport;
};

TEST_F(HttpsTransportTest, CarriesTheSameBytesBothWaysAsPlainHttp) {
    const std::string report = RawReportRequest(platform::Utf8ToCp949("홍길동").value(), "Ab+/9=", "a & b = <c>",
                                                platform::Utf8ToCp949("화재신고").value(), "x\r\ny");
    for (const std::string& request : {VersionRequest(), report}) {
        RawHttpCapture plain(kReply);
        RawHttpCapture tls(kReply, authority.Issue("127.0.0.1"));
        transport.SetServer(plain.Host()); // host:port stays plain HTTP
        const std::optional<std::string> overHttp = Exchange(transport, request);
        transport.SetServer("https://" + tls.Host());
        const std::optional<std::string> overTls = Exchange(transport, request);
        ASSERT_TRUE(overHttp && overTls);
        EXPECT_EQ(*overHttp, *overTls);
        const std::string sent = Captured(plain);
        EXPECT_EQ(0u, sent.find("POST /Morvane/vesk/VeskManager.jsp HTTP/1.0\r\nHost: 127.0.0.1:PORT\r\n")) << sent;
        EXPECT_EQ(sent, Captured(tls));
    }
}

TEST_F(HttpsTransportTest, SendsNothingToACentreItCannotVerifyAndNeverFallsBackToPlainHttp) {
    TestAuthority stranger("Someone Else's CA");
    const TlsIdentity refused[] = {stranger.Issue("127.0.0.1"), authority.Issue("127.0.0.1", -3, -1),
                                   authority.Issue("elsewhere.example")};
    for (const TlsIdentity& identity : refused) {
        RawHttpCapture tls(kReply, identity);
        transport.SetServer("https://" + tls.Host());
        EXPECT_FALSE(transport.Send(VersionRequest()));
        EXPECT_TRUE(transport.Untrusted());
        EXPECT_EQ("", tls.Captured());
    }
    // A centre that answers the https address in plain HTTP gets a TLS greeting, never the request.
    ScriptedCentre plain;
    transport.SetServer("https://" + plain.Host());
    EXPECT_FALSE(transport.Send(VersionRequest()));
    EXPECT_TRUE(transport.Untrusted());
    EXPECT_EQ(0u, plain.RequestCount());
    // A named authority file that is missing trusts nobody, not the system's store instead.
    RawHttpCapture tls(kReply, authority.Issue("127.0.0.1"));
    transport.SetServer("https://" + tls.Host());
    transport.SetTrustedAuthorities(caFile + ".missing");
    EXPECT_FALSE(transport.Send(VersionRequest()));
    EXPECT_TRUE(transport.Untrusted());
    // An ordinary failure is not told as one of trust.
    transport.SetServer("https://127.0.0.1:1");
    EXPECT_FALSE(transport.Send(VersionRequest()));
    EXPECT_FALSE(transport.Untrusted());
}

TEST(ServerAddress, ReadsTheSchemeHostAndPort) {
    const auto https = platform::ParseServerAddress("HTTPS://centre.example/");
    ASSERT_TRUE(https);
    EXPECT_TRUE(https->tls);
    EXPECT_EQ("centre.example", https->host);
    EXPECT_EQ(443, https->port);
    EXPECT_EQ("https://centre.example", https->Origin());
    const auto plain = platform::ParseServerAddress("10.0.0.1:8080");
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->tls);
    EXPECT_EQ("http://10.0.0.1:8080", plain->Origin());
    for (const char* bad :
         {"", "https://", "ftp://centre", "https://a:0", "https://a:b", "a@b", "a b", "a/", "a:1/x"}) {
        EXPECT_FALSE(platform::ParseServerAddress(bad)) << bad;
    }
}

} // namespace
