#include "EnvFolder.h"

#include "platform/Codec.h"
#include "platform/Http.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(TextTable, LineBreakMarksAndBlanks) {
    EnvFolder dir;
    dir.Write("TxtRes.rsc", "[MESSAGE]\r\n"
                            "TWO=first<NL>second\r\n"
                            "ENDS=<NL>middle<NL>\r\n"
                            "BLANKS=  \t spaced out \t \r\n"
                            "DOUBLE=a<NL><NL>b\r\n"
                            "HANGUL=\xC8\xAD\xC0\xE7<NL>\xB9\xDF\xBB\xFD\r\n"
                            "[TOOLTIP]\r\n"
                            "TWO=tip\r\n");
    auto env = dir.Start();
    ASSERT_TRUE(env->IsReady());
    EXPECT_EQ(env->GetText("MESSAGE", "TWO"), "first\r\nsecond");
    EXPECT_EQ(env->GetText("MESSAGE", "ENDS"), "middle"); // trimming runs after the replacement
    EXPECT_EQ(env->GetText("MESSAGE", "BLANKS"), "spaced out");
    EXPECT_EQ(env->GetText("MESSAGE", "DOUBLE"), "a\r\n\r\nb");
    EXPECT_EQ(env->GetText("MESSAGE", "HANGUL"), "\xC8\xAD\xC0\xE7\r\n\xB9\xDF\xBB\xFD");
    EXPECT_EQ(env->GetText("TOOLTIP", "TWO"), "tip");
    EXPECT_EQ(env->GetText("TOOLTIP", "ENDS"), "");
    EXPECT_EQ(env->GetText("NOSECTION", "TWO"), "");
}

TEST(TextTable, EditsShowWithoutARestart) {
    EnvFolder dir;
    auto env = dir.Start();
    EXPECT_EQ(env->GetText("MESSAGE", "MSG_A"), ""); // no file yet
    dir.Write("TxtRes.rsc", "[MESSAGE]\nMSG_A=before\n");
    EXPECT_EQ(env->GetText("MESSAGE", "MSG_A"), "before");
    dir.Write("TxtRes.rsc", "[MESSAGE]\nMSG_A=after\n");
    EXPECT_EQ(env->GetText("MESSAGE", "MSG_A"), "after");
}

// The table the build puts into the program folder holds every key the client looks up, each with a text
// that converts from code page 949 as a whole.
TEST(TextTable, InstalledTableHasEveryKey) {
    const std::filesystem::path built = std::filesystem::path(HALVREN_KAVREL_PATH).parent_path() / "TxtRes.rsc";
    if (!std::filesystem::exists(built)) {
        GTEST_SKIP() << "the text table is not built into " << built;
    }
    EnvFolder dir;
    std::filesystem::copy_file(built, dir.Path() / "TxtRes.rsc");
    auto env = dir.Start();
    const char* messages[] = {"MSG_ProgramExcuted",      "MSG_ProgramUpdate",       "MSG_InputCheck_Place",
                              "MSG_InputCheck_Contents", "MSG_SendCall_Success",    "MSG_SendCall_Failure",
                              "MSG_UserInfo_Changed",    "MSG_UserInfo_ChangeFail", "MSG_InputCheck_Name",
                              "MSG_InputCheck_SSN",      "MSG_InputCheck_Zip",      "MSG_InputCheck_Address",
                              "MSG_SSNCheck_Registed",   "MSG_UserDelete_Confirm",  "MSG_UserDelete_Deleted",
                              "MSG_File_SaveError",      "MSG_RealName_Mismatch",   "MSG_RealName_SystemError",
                              "MSG_UserRegist_Failure",  "MSG_UserRegist_Continue", "MSG_InputCheck_DongName"};
    const char* tips[] = {"MD_PAGE_BTN_CALL",      "MD_PAGE_BTN_USER",       "MD_PAGE_BTN_HISTORY", "MD_PAGE_BTN_HELP",
                          "MD_PAGE_BTN_END",       "MD_PAGE_BTN_MIN",        "MD_PAGE_BTN_X",       "SU_PAGE_BTN_USER",
                          "SU_PAGE_BTN_ADDUSER",   "SU_PAGE_BTN_REGISTUSER", "SC_PAGE_BTN_USER",    "SC_PAGE_BTN_FIRE",
                          "SC_PAGE_BTN_EMERGENCE", "SC_PAGE_BTN_RESCUE",     "SC_PAGE_BTN_DISASER", "SC_PAGE_BTN_ETC",
                          "SC_PAGE_BTN_SEND",      "SC_PAGE_EDT_ADDRESS",    "SC_PAGE_EDT_CASE",    "SC_PAGE_EDT_PLACE",
                          "SC_PAGE_EDT_DETAIL",    "EU_PAGE_BTN_ZIP",        "EU_PAGE_BTN_SAVE",    "EU_PAGE_BTN_DEL",
                          "EU_PAGE_BTN_INIT",      "EU_PAGE_BTN_BACK",       "EU_PAGE_EDT_NAME",    "EU_PAGE_EDT_SSN1",
                          "EU_PAGE_EDT_SSN2",      "EU_PAGE_EDT_ZIP",        "EU_PAGE_EDT_ADD1",    "EU_PAGE_EDT_ADD2",
                          "EU_PAGE_EDT_TEL1",      "EU_PAGE_EDT_TEL2",       "EU_PAGE_EDT_TEL3",    "EU_PAGE_EDT_CELL1",
                          "EU_PAGE_EDT_CELL2",     "EU_PAGE_EDT_CELL3",      "EU_PAGE_EDT_CASE"};
    auto check = [&](const char* section, const char* key) {
        const std::string text = env->GetText(section, key);
        EXPECT_FALSE(text.empty()) << section << " " << key;
        EXPECT_TRUE(platform::Cp949ToUtf8(text).has_value()) << key;
        EXPECT_EQ(text.find("<NL>"), std::string::npos) << key;
    };
    for (const char* key : messages) {
        check("MESSAGE", key);
    }
    for (const char* key : tips) {
        check("TOOLTIP", key);
    }
    // And the settings file next to it.
    const std::filesystem::path settings = built.parent_path() / "EnvSet.ini";
    ASSERT_TRUE(std::filesystem::exists(settings));
    EXPECT_EQ(platform::ReadProfileString(settings.string(), "DEFAULT", "CURRENT_VERSION"), "1.0.0.0");
    // The stand-in's address; `make run` gives it the https scheme.
    const auto centre = platform::ParseServerAddress(platform::ReadProfileString(settings.string(), "DEFAULT", "URL"));
    ASSERT_TRUE(centre);
    EXPECT_EQ("127.0.0.1", centre->host);
    EXPECT_EQ(8080, centre->port);
}
