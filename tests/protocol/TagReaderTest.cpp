#include "protocol/TagReader.h"
#include "protocol/Envelope.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TagReader reader;

int Check(const std::string& reply, int workCode) {
    return reader.CheckWork(reply, workCode);
}

TEST(CheckWork, JudgesReplyCodes) {
    EXPECT_EQ(1, Check("<VESK><WORK>111</WORK></VESK>", 11));
    EXPECT_EQ(0, Check("<VESK><WORK>111</WORK></VESK>", 15));
    EXPECT_EQ(1, Check("<WORK>103</WORK>", 3));
    EXPECT_EQ(1, Check("<WORK>102</WORK>", 2));
    EXPECT_EQ(999, Check("<WORK>999</WORK><COMENT>x</COMENT>", 3));
    EXPECT_EQ(999, Check("<WORK>999</WORK>", 15));
    // Blanks around the code are trimmed away; the code itself compares byte for byte.
    EXPECT_EQ(1, Check("<WORK> \t104 \r\n</WORK>", 4));
    EXPECT_EQ(0, Check("<WORK>0104</WORK>", 4));
    EXPECT_EQ(0, Check("<WORK>104 x</WORK>", 4));
    // Not a reply at all.
    EXPECT_EQ(0, Check("", 3));
    EXPECT_EQ(0, Check("Exception!!!", 3));
    EXPECT_EQ(0, Check("<html><body>404 Not Found</body></html>", 3));
    EXPECT_EQ(0, Check("<WORK></WORK>", 3));
    EXPECT_EQ(0, Check("<WORK>103", 3)); // unclosed
}

TEST(FindTag, ReportsPositionsAndMisses) {
    const std::string text = "<VESK><WORK>103</WORK><VERSION> 1.2</VERSION></VESK>";
    int start = 0;
    int end = 77;
    ASSERT_EQ(1, reader.FindTag(text, "WORK", start, end));
    EXPECT_EQ(12, start);
    EXPECT_EQ(15, end);

    start = 0;
    end = 77;
    EXPECT_EQ(-1, reader.FindTag(text, "TITLE", start, end));
    EXPECT_EQ(-1, start);
    EXPECT_EQ(77, end) << "a miss leaves the end alone";

    start = 23; // past the WORK element
    EXPECT_EQ(-1, reader.FindTag(text, "WORK", start, end));
    start = -3;
    EXPECT_EQ(-1, reader.FindTag(text, "WORK", start, end));
    start = static_cast<int>(text.size()) + 1;
    EXPECT_EQ(-1, reader.FindTag(text, "WORK", start, end));

    start = 0;
    ASSERT_EQ(1, reader.FindTag("<A>open", "A", start, end));
    EXPECT_EQ(3, start);
    EXPECT_EQ(-1, end);
}

TEST(GetTagValue, MatchesByPrefixOfTheName) {
    int position = 0;
    // "<VERSION" does not occur inside "<LAST_VERSION", so the later element is the one found.
    EXPECT_EQ("2.0", reader.GetTagValue("<LAST_VERSION>1.0</LAST_VERSION><VERSION>2.0</VERSION>", "VERSION", position));
    // "<NAME" is the start of "<NAMES>", which comes first; its value runs to the first "</NAME>".
    position = 0;
    EXPECT_EQ("x</NAMES><NAME>y", reader.GetTagValue("<NAMES>x</NAMES><NAME>y</NAME>", "NAME", position));
    position = 0;
    EXPECT_EQ("kim", reader.GetTagValue("<NAMEX>kim</NAME>", "NAME", position));
}

TEST(GetTagValue, WalksForwardWithOnePosition) {
    const std::string text = "<ZCODE>100011</ZCODE><ZCODE> 100012 </ZCODE>";
    int position = 0;
    EXPECT_EQ("100011", reader.GetTagValue(text, "ZCODE", position));
    EXPECT_EQ(13, position);
    EXPECT_EQ("100012", reader.GetTagValue(text, "ZCODE", position));
    EXPECT_EQ(36, position);
    EXPECT_EQ("", reader.GetTagValue(text, "ZCODE", position));
    EXPECT_EQ(0, position) << "a missing element sets the position to 0";

    position = 0;
    EXPECT_EQ("", reader.GetTagValue("<TITLE>no end", "TITLE", position));
    EXPECT_EQ(-1, position) << "an unclosed element sets the position to -1";

    position = 0;
    EXPECT_EQ("", reader.GetTagValue("<TITLE></TITLE>", "TITLE", position));
    EXPECT_EQ(7, position);
}

TEST(GetTagValue, KeepsKoreanBytesAndTrimsOnlySingleByteSpace) {
    // "성공" in code page 949, with blanks and a line break around it.
    const std::string success = "\xBC\xBA\xB0\xF8";
    int position = 0;
    EXPECT_EQ(success, reader.GetTagValue("<RESULT>\r\n " + success + " \n</RESULT>", "RESULT", position));
    // A two-byte syllable whose trail byte is in the letter range stays whole.
    const std::string syllable = "\x8C\x63";
    position = 0;
    EXPECT_EQ(syllable + " " + syllable,
              reader.GetTagValue("<A> " + syllable + " " + syllable + "\t</A>", "A", position));
}

TEST(GetTagValue, OpeningTagCutOffBeforeItsBracketReadsAsUnclosed) {
    int position = 0;
    EXPECT_EQ("", reader.GetTagValue("abc<WORK", "WORK", position));
    EXPECT_EQ(-1, position);
    position = 3;
    EXPECT_EQ("", reader.GetTagValue("x</A><A", "A", position));
    EXPECT_EQ(-1, position);
}

// Whatever arrives, the reader answers without reading outside the text.
TEST(TagReader, SurvivesArbitraryBytes) {
    std::mt19937 random(7);
    const std::string alphabet = std::string("<>/WORKVESION 1039\0\r\n\xB0\xA1", 22);
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 80, '\0');
        for (char& c : text) {
            c = alphabet[random() % alphabet.size()];
        }
        int position = static_cast<int>(random() % 90) - 5;
        (void)reader.GetTagValue(text, "WORK", position);
        (void)reader.GetTagValue(text, "VERSION", position);
        (void)reader.CheckWork(text, 3);
    }
    std::string big(10 * 1024 * 1024, '<');
    EXPECT_EQ(0, reader.CheckWork(big, 3));
    big.replace(big.size() - 10, 10, "<WORK>103>");
    EXPECT_EQ(0, reader.CheckWork(big, 3));
}

TEST(Envelope, WritesFieldsAndTheVersionRequest) {
    EXPECT_EQ("<NAME> \xC8\xAB\xB1\xE6\xB5\xBF</NAME>", TagField("NAME", "\xC8\xAB\xB1\xE6\xB5\xBF"));
    EXPECT_EQ("<DSRADDR> a+b&c=d%20</DSRADDR>", TagField("DSRADDR", "a+b&c=d%20"));
    EXPECT_EQ("<EMAIL> </EMAIL>", TagField("EMAIL", ""));
    EXPECT_EQ("<VESK><WORK>003</WORK></VESK>", VersionRequest());
}

} // namespace
