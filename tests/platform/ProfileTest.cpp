#include "platform/Profile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

using platform::ReadProfileString;
using platform::WriteProfileString;

TEST(Profile, ReadsWhatInstallersWrite) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "; written by hand\r\n"
                                                "\r\n"
                                                "  [ Default ]  \r\n"
                                                "url =  \thost.example:8080 \t\r\n"
                                                "Quoted=\"  spaced  \"\n"
                                                "Single='x'\n"
                                                "Half=\"x\n"
                                                ";URL=commented\n"
                                                "URL=second\n"
                                                "Empty=\n"
                                                "Eq=a=b\n"
                                                "[Other]\n"
                                                "Key=other\n"
                                                "[DEFAULT]\n"
                                                "URL=third\n"
                                                "Late=late\r"
                                                "[ Other ]\r"
                                                "Cr=lone")
                                 .string();
    EXPECT_EQ(ReadProfileString(path, "DEFAULT", "URL"), "host.example:8080"); // first wins, any case
    EXPECT_EQ(ReadProfileString(path, "default", "quoted"), "  spaced  ");
    EXPECT_EQ(ReadProfileString(path, "DEFAULT", "Single"), "x");
    EXPECT_EQ(ReadProfileString(path, "DEFAULT", "Half"), "\"x");
    EXPECT_EQ(ReadProfileString(path, "DEFAULT", "Empty", "dflt"), "");
    EXPECT_EQ(ReadProfileString(path, "DEFAULT", "Eq"), "a=b");
    // Only the first section of a name counts: a stray second "[DEFAULT]" cannot supply a missing key.
    EXPECT_EQ(ReadProfileString(path, "DEFAULT", "Late", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString(path, "Other", "Key"), "other");
    EXPECT_EQ(ReadProfileString(path, "Other", "Cr", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString(path, " Default\t", " url "), "host.example:8080"); // query names trimmed
    EXPECT_EQ(ReadProfileString(path, "Other", "URL", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString(path, "Missing", "URL", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString(dir.Str() + "/none.ini", "DEFAULT", "URL", "dflt"), "dflt");
}

TEST(Profile, LongValuesAreCutWithoutSplittingACharacter) {
    TempDir dir;
    // 1022 ASCII bytes and then a double-byte character: the cut must not keep its first half.
    const std::string value = std::string(1022, 'a') + "\xB0\xA1" + "tail";
    const std::string path = dir.Write("a.ini", "[S]\r\nK=" + value + "\r\nL=" + std::string(2000, 'b')).string();
    EXPECT_EQ(ReadProfileString(path, "S", "K"), std::string(1022, 'a'));
    EXPECT_EQ(ReadProfileString(path, "S", "L"), std::string(1023, 'b'));
}

TEST(Profile, WriteKeepsEveryOtherLine) {
    TempDir dir;
    const std::string original = "; comment\n"
                                 "[DEFAULT]\n"
                                 "  URL = old  \n"
                                 "url=duplicate\n"
                                 "\n"
                                 "[Next]\r\n"
                                 "A=1";
    const std::string path = dir.Write("a.ini", original).string();

    ASSERT_TRUE(WriteProfileString(path, "default", "URL", "new"));
    EXPECT_EQ(dir.Read("a.ini"), "; comment\n[DEFAULT]\nURL=new\r\nurl=duplicate\n\n[Next]\r\nA=1");

    // A new key goes after the section's last line, before the blank line that separates it.
    ASSERT_TRUE(WriteProfileString(path, "DEFAULT", "REGKEY", "abc=="));
    EXPECT_EQ(dir.Read("a.ini"), "; comment\n[DEFAULT]\nURL=new\r\nurl=duplicate\nREGKEY=abc==\r\n\n[Next]\r\nA=1");

    // In the last section, whose last line has no line end.
    ASSERT_TRUE(WriteProfileString(path, "Next", "B", "2"));
    EXPECT_EQ(ReadProfileString(path, "Next", "A"), "1");
    EXPECT_EQ(ReadProfileString(path, "Next", "B"), "2");
    EXPECT_TRUE(dir.Read("a.ini").ends_with("[Next]\r\nA=1\r\nB=2\r\n"));

    // A new section goes at the end.
    ASSERT_TRUE(WriteProfileString(path, "New", "K", "\xB0\xA1"));
    EXPECT_TRUE(dir.Read("a.ini").ends_with("B=2\r\n[New]\r\nK=\xB0\xA1\r\n"));
    EXPECT_EQ(ReadProfileString(path, "DEFAULT", "URL"), "new");
}

// A lone CR ends a line like LF and CR LF: a key written after such a last line stands on a line of its own.
TEST(Profile, LoneCarriageReturnEndsALine) {
    TempDir dir;
    const std::string path = dir.Write("EnvSet.ini", "[DEFAULT]\r\nURL=127.0.0.1\r").string();
    ASSERT_TRUE(WriteProfileString(path, "DEFAULT", "REGKEY", "abc=="));
    EXPECT_EQ(ReadProfileString(path, "DEFAULT", "URL"), "127.0.0.1");
    EXPECT_EQ(ReadProfileString(path, "DEFAULT", "REGKEY"), "abc==");
    EXPECT_EQ(dir.Read("EnvSet.ini"), "[DEFAULT]\r\nURL=127.0.0.1\rREGKEY=abc==\r\n");

    const std::string mac = dir.Write("mac.ini", "[S]\rA=1\r[T]\rB=2").string();
    ASSERT_TRUE(WriteProfileString(mac, " S ", " Name ", "v"));
    EXPECT_EQ(ReadProfileString(mac, "S", "Name"), "v");
    EXPECT_EQ(ReadProfileString(mac, " S", "Name "), "v");
    EXPECT_EQ(ReadProfileString(mac, "T", "B"), "2");
}

TEST(Profile, WriteCreatesTheFileAndRefusesBrokenLines) {
    TempDir dir;
    const std::string path = dir.Str() + "/EnvSet.ini";
    ASSERT_TRUE(WriteProfileString(path, "DEFAULT", "REGKEY", "xyz"));
    EXPECT_EQ(dir.Read("EnvSet.ini"), "[DEFAULT]\r\nREGKEY=xyz\r\n");

    EXPECT_FALSE(WriteProfileString(path, "DEFAULT", "K", "two\r\nlines"));
    EXPECT_FALSE(WriteProfileString(path, "DEFAULT", "K=1", "v"));
    EXPECT_FALSE(WriteProfileString(path, "DE]F", "K", "v"));
    EXPECT_FALSE(WriteProfileString(path, "DEFAULT", "", "v"));
    EXPECT_EQ(dir.Read("EnvSet.ini"), "[DEFAULT]\r\nREGKEY=xyz\r\n");

    EXPECT_FALSE(WriteProfileString(dir.Str() + "/missing/EnvSet.ini", "DEFAULT", "K", "v"));

    // A rewrite keeps the file's permissions.
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteProfileString(path, "DEFAULT", "REGKEY", "abc"));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}
