#include "protocol/ReportMessage.h"

#include "platform/Codec.h"

#include <gtest/gtest.h>

namespace {

std::string Cp(const char* utf8) {
    return platform::Utf8ToCp949(utf8).value();
}

} // namespace

// Every value in its place with the blank after its opening tag; brackets in the free texts only; line breaks
// kept; both hyphens of an empty mobile number; an empty e-mail and title as the blank alone.
TEST(ReportRequest, WritesTheReportTextByteForByte) {
    ReportFields f;
    f.name = Cp("홍<길>동");
    f.storedSsn = "o4))7Mo4VnqDuSR090R7Fg==";
    f.zip = "110011";
    f.addr1 = Cp("서울특별시 종로구");
    f.addr2 = "[1]";
    f.tel1 = "02";
    f.tel2 = "123";
    f.tel3 = "4567";
    f.localIp = "192.0.2.7";
    f.place = "<b>here</b>";
    f.detail = Cp("불이 났어요\r\n</CONTENTS></CALLINFO>");
    f.title = ReportTitleFor(0);
    EXPECT_EQ(ReportRequest(f), "<VESK><WORK>011</WORK><CALLER><NAME> " + Cp("홍<길>동") +
                                    "</NAME><SSN> o4))7Mo4VnqDuSR090R7Fg==</SSN><ZIPCODE> 110011</ZIPCODE><ADDR1> " +
                                    Cp("서울특별시 종로구") +
                                    "</ADDR1><ADDR2> [1]</ADDR2><TEL1> 02</TEL1><TEL2> 123</TEL2><TEL3> 4567</TEL3>"
                                    "<PHONE> --</PHONE><EMAIL> </EMAIL><IP> 192.0.2.7</IP><LANG>KO</LANG></CALLER>"
                                    "<CALLINFO><DSRADDR> [b]here[/b]</DSRADDR><TITLE> " +
                                    Cp("화재신고") + "</TITLE><CONTENTS> " + Cp("불이 났어요") +
                                    "\r\n[/CONTENTS][/CALLINFO]</CONTENTS></CALLINFO></VESK>");
    f.cell1 = "010";
    f.cell2 = "9876";
    f.cell3 = "5432";
    f.title = ReportTitleFor(5);
    const std::string text = ReportRequest(f);
    EXPECT_NE(text.find("<PHONE> 010-9876-5432</PHONE>"), std::string::npos);
    EXPECT_NE(text.find("<TITLE> </TITLE>"), std::string::npos);
}

TEST(ReportText, PatientSectionReadsBirthDateAndSex) {
    const std::string heading = Cp("[환자관련사항]");
    EXPECT_EQ(PatientSection("8503152345678", Cp("당뇨")),
              heading + " - 85.03.15" + Cp("(생)") + " " + Cp(" . 여자") + "\r\n" + Cp("당뇨"));
    EXPECT_EQ(PatientSection("8001011234567", ""), heading + " - 80.01.01" + Cp("(생)") + " " + Cp(" . 남자") + "\r\n");
    EXPECT_EQ(PatientSection("0107204456789", ""), heading + " - 01.07.20" + Cp("(생)") + " " + Cp(" . 남자") + "\r\n");
    EXPECT_EQ(OtherPatientSection(), heading + "\r\n");

    EXPECT_EQ(JoinPhoneForDisplay("02", "1234", "5678"), "02-1234-5678");
    EXPECT_EQ(JoinPhoneForDisplay("", "1234", "5678"), "1234-5678");
    EXPECT_EQ(JoinPhoneForDisplay("", "", ""), "");
    EXPECT_EQ(ReportTitleFor(1), Cp("구급신고"));
    EXPECT_EQ(ReportTitleFor(4), Cp("기타신고"));
}
