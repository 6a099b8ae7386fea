#include "protocol/TagList.h"

#include <gtest/gtest.h>

namespace {

using List = std::vector<std::vector<std::string>>;
const std::vector<std::string> kZipFields = {"ZCODE", "ADDR1", "ADDR2"};

std::string Group(const std::string& code, const std::string& a1, const std::string& a2) {
    return "<ZCODE>" + code + "</ZCODE><ADDR1>" + a1 + "</ADDR1><ADDR2>" + a2 + "</ADDR2>";
}

List Read(const std::string& text) {
    return ReadTagList(TagReader(), text, "ZIP", kZipFields);
}

TEST(ReadTagList, ReadsEveryGroupInOrder) {
    const std::string text =
        "<WORK>102</WORK><ZIP>" + Group("100011", "A", "1") + Group(" 100012", "B ", "2") + "</ZIP>";
    EXPECT_EQ((List{{"100011", "A", "1"}, {"100012", "B", "2"}}), Read(text));
    EXPECT_EQ(List{}, Read("<WORK>102</WORK><ZIP></ZIP>"));
}

TEST(ReadTagList, EndsWhereTheTextSays) {
    // No container: nothing, even though groups stand in the text.
    EXPECT_EQ(List{}, Read("<WORK>102</WORK>" + Group("1", "A", "x")));
    // A group after the container's end is not part of the list.
    EXPECT_EQ((List{{"1", "A", "x"}}), Read("<ZIP>" + Group("1", "A", "x") + "</ZIP>" + Group("2", "B", "y")));
    // First field unclosed: the list ends there.
    EXPECT_EQ((List{{"1", "A", "x"}}), Read("<ZIP>" + Group("1", "A", "x") + "<ZCODE>2</ZIP>"));
    // A later field missing or unclosed: the list ends and that group is left out; no restart from the top.
    EXPECT_EQ((List{{"1", "A", "x"}}), Read("<ZIP>" + Group("1", "A", "x") + "<ZCODE>2</ZCODE><ADDR1>B</ADDR1></ZIP>"));
    EXPECT_EQ((List{{"1", "A", "x"}}),
              Read("<ZIP>" + Group("1", "A", "x") + "<ZCODE>2</ZCODE><ADDR1>B</ADDR1><ADDR2>y</ZIP>"));
    // A reply cut off inside the next group's opening tag: the walk ends instead of starting over.
    EXPECT_EQ((List{{"123456", "A", "B"}}),
              Read("<VESK><WORK>102</WORK><ZIP><ZCODE>123456</ZCODE><ADDR1>A</ADDR1><ADDR2>B</ADDR2></ZIP><ZCODE"));
    // A container that never closes has no end a group could lie before.
    EXPECT_EQ(List{}, Read("<ZIP>" + Group("1", "A", "x")));
}

TEST(ReadTagList, ReadsLongHistoryLists) {
    const std::vector<std::string> fields = {"NO",    "BOARDLEVEL", "NAME", "DSRADDR",
                                             "TITLE", "CONTENTS",   "DATE", "PROCSTATUS"};
    std::string text = "<VESK><WORK>115</WORK><CALLINFO>";
    for (int i = 0; i < 500; ++i) {
        for (const auto& f : fields) {
            text += "<" + f + "> " + f + std::to_string(i) + "</" + f + ">";
        }
    }
    text += "</CALLINFO></VESK>";
    List list = ReadTagList(TagReader(), text, "CALLINFO", fields);
    ASSERT_EQ(500u, list.size());
    EXPECT_EQ("NO0", list[0][0]);
    EXPECT_EQ("PROCSTATUS499", list[499][7]);
}

} // namespace
