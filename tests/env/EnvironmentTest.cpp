#include "EnvFolder.h"

#include "client/env/MachineIdentity.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(Environment, WithoutTheCipherLibraryNothingIsTouched) {
    EnvFolder dir(false);
    dir.Write("EnvSet.ini", "[DEFAULT]\r\nREGKEY=other\r\n");
    dir.Write("Person.std", "\x05hello");
    dir.Write("TxtRes.rsc", "[MESSAGE]\r\nMSG_X=text\r\n");
    {
        auto env = dir.Start();
        EXPECT_FALSE(env->IsReady());
        EXPECT_FALSE(env->IsCipherLoaded());
        EXPECT_EQ(env->ProgramFolder(), "");
        EXPECT_EQ(env->SettingsPath(), "");
        EXPECT_EQ(env->GetText("MESSAGE", "MSG_X"), "");
        EXPECT_EQ(env->GetSetting("DEFAULT", "REGKEY"), "");
        EXPECT_FALSE(env->SavePersons());
    }
    EXPECT_EQ(dir.Read("EnvSet.ini"), "[DEFAULT]\r\nREGKEY=other\r\n");
    EXPECT_EQ(dir.Read("Person.std"), "\x05hello");
    EXPECT_TRUE(dir.boxes.empty());
}

TEST(Environment, StartsWithoutASettingsFile) {
    EnvFolder dir;
    auto env = dir.Start();
    ASSERT_TRUE(env->IsReady());
    EXPECT_EQ(env->ProgramFolder(), dir.Str() + "/");
    EXPECT_EQ(env->SettingsPath(), dir.Str() + "/EnvSet.ini");
    EXPECT_EQ(env->PersonStorePath(), dir.Str() + "/Person.std");
    EXPECT_EQ(env->TextTablePath(), dir.Str() + "/TxtRes.rsc");
    EXPECT_EQ(env->CurrentVersion(), "");
    EXPECT_EQ(env->ServerHost(), "");
    EXPECT_EQ(env->Selection().ReportCategory(), Selection::kNoCategory);
    EXPECT_EQ(env->PersonCount(), 0);
    if (env->MacAddress().empty()) {
        GTEST_SKIP() << "this machine has no network adapter to bind to";
    }
    // First start: the binding is made, the person file is written empty, owner only.
    const std::string regKey = *env->EncryptText(env->MacAddress());
    EXPECT_EQ(dir.Read("EnvSet.ini"), "[DEFAULT]\r\nREGKEY=" + regKey + "\r\n");
    ASSERT_TRUE(fs::exists(dir.Path() / "Person.std"));
    EXPECT_EQ(fs::file_size(dir.Path() / "Person.std"), 0u);
    EXPECT_EQ(fs::status(dir.Path() / "Person.std").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(dir.boxes.empty());
}

TEST(Environment, ReadsTrimmedSettingsAndWritesThemBack) {
    EnvFolder dir;
    dir.Write("EnvSet.ini", "[DEFAULT]\r\nCURRENT_VERSION = \t1.0.0.0 \r\n  URL=\t127.0.0.1:8080\t\r\n");
    auto env = dir.Start();
    ASSERT_TRUE(env->IsReady());
    EXPECT_EQ(env->CurrentVersion(), "1.0.0.0");
    EXPECT_EQ(env->ServerHost(), "127.0.0.1:8080");
    ASSERT_TRUE(env->WriteSetting("DEFAULT", "LAST_VERSION", "1.0.0.1"));
    EXPECT_EQ(env->GetSetting("DEFAULT", "LAST_VERSION"), "1.0.0.1");
    EXPECT_EQ(env->GetSetting("DEFAULT", "URL"), "127.0.0.1:8080");
    EXPECT_EQ(env->GetSetting("DEFAULT", "MISSING"), "");
}

TEST(Environment, MachineBindingKeepsOrDiscardsThePersons) {
    EnvFolder dir;
    {
        auto env = dir.Start();
        if (env->MacAddress().empty()) {
            GTEST_SKIP() << "this machine has no network adapter to bind to";
        }
        auto person = std::make_unique<Person>();
        person->Ssn = "8001011234567";
        person->Name = "Kim";
        env->PersonMap().Insert(person->Ssn, std::move(person)); // the key is read first
        ASSERT_TRUE(env->SavePersons());
    }
    const std::string stored = dir.Read("Person.std");
    const std::string thisMachine = platform::ReadProfileString(dir.Str() + "/EnvSet.ini", "DEFAULT", "REGKEY");
    {
        auto env = dir.Start(); // same machine: loaded unchanged
        ASSERT_TRUE(env->IsReady());
        EXPECT_EQ(env->PersonCount(), 1);
        EXPECT_EQ(dir.Read("Person.std"), stored);
    }
    ASSERT_TRUE(platform::WriteProfileString(dir.Str() + "/EnvSet.ini", "DEFAULT", "REGKEY", "KEYOFANOTHERMACHINE="));
    {
        auto env = dir.Start(); // another machine: emptied, key replaced
        ASSERT_TRUE(env->IsReady());
        EXPECT_EQ(env->PersonCount(), 0);
        EXPECT_EQ(dir.Read("Person.std"), "");
        EXPECT_EQ(env->GetSetting("DEFAULT", "REGKEY"), thisMachine);
    }
    EXPECT_EQ(dir.Start()->PersonCount(), 0); // the following start loads the empty store
}

TEST(Environment, UnreadablePersonFileStopsTheStart) {
    EnvFolder dir;
    dir.Start(); // make the binding so the person file is not rewritten
    fs::remove(dir.Path() / "Person.std");
    fs::create_directory(dir.Path() / "Person.std");
    auto env = dir.Start();
    EXPECT_FALSE(env->IsReady());
}

TEST(MachineIdentity, TakesTheFirstSixByteAdapterThatIsNotTheLoopback) {
    using platform::NetAdapter;
    const std::vector<NetAdapter> adapters = {
        {"lo", {0, 0, 0, 0, 0, 0}, true},
        {"ib0", {1, 2, 3, 4, 5, 6, 7, 8}, false},
        {"eth0", {0x02, 0xfc, 0x0a, 0xb0, 0x00, 0xff}, false},
        {"eth1", {0x11, 0x22, 0x33, 0x44, 0x55, 0x66}, false},
    };
    EXPECT_EQ(MacAddressText(adapters), "02FC0AB000FF\n");
    EXPECT_EQ(MacAddressText({adapters[0], adapters[1]}), std::nullopt);
    EXPECT_EQ(MacAddressText({}), std::nullopt);
}

TEST(MachineIdentity, MacAddressOfThisMachine) {
    EnvFolder dir;
    auto env = dir.Start();
    const std::optional<std::string> mac = env->GetMacAddress();
    if (!mac) {
        ASSERT_EQ(dir.boxes.size(), 2u); // once at the start, once now
        EXPECT_EQ(dir.boxes[0].first, "No Interfaces Present \n");
        EXPECT_EQ(dir.boxes[0].second, "Error");
        return;
    }
    EXPECT_EQ(mac->size(), 13u);
    EXPECT_EQ(mac->back(), '\n');
    EXPECT_EQ(mac->find_first_not_of("0123456789ABCDEF"), 12u);
    EXPECT_EQ(env->MacAddress(), *mac);
    EXPECT_TRUE(dir.boxes.empty());
}

TEST(MachineIdentity, LocalIpIsDottedAndNotTheLoopbackWhenAnAdapterHasOne) {
    const std::string ip = GetLocalIp();
    if (ip.empty()) {
        GTEST_SKIP() << "the host name does not resolve here";
    }
    EXPECT_EQ(ip, platform::ResolveIpv4(ip)); // a dotted address resolves to itself
    if (!platform::AdapterIpv4Addresses().empty()) {
        EXPECT_FALSE(ip.starts_with("127."));
    }
}

TEST(PhonePrefixes, LookupsByDigitsAndPosition) {
    EnvFolder dir(false);
    auto env = dir.Start(); // the tables exist even when the start fails
    Person p;
    p.Tel1 = "02";
    EXPECT_EQ(env->AreaCodeIndex(p), 1);
    p.Tel1 = "064";
    EXPECT_EQ(env->AreaCodeIndex(p), 16);
    p.Tel1 = "010";
    EXPECT_EQ(env->AreaCodeIndex(p), 0);
    p.Tel1 = "";
    EXPECT_EQ(env->AreaCodeIndex(p), 0);
    p.Cell1 = "019";
    EXPECT_EQ(env->MobilePrefixIndex(p), 6);
    p.Cell1 = "02";
    EXPECT_EQ(env->MobilePrefixIndex(p), 0);

    EXPECT_EQ(env->SelectedAreaCode(0), "");
    EXPECT_EQ(env->SelectedAreaCode(-1), "");
    EXPECT_EQ(env->SelectedAreaCode(8), "051");
    EXPECT_EQ(env->SelectedMobilePrefix(1), "010");

    ASSERT_EQ(env->AreaCodes().Size(), 17);
    ASSERT_EQ(env->MobilePrefixes().Size(), 7);
    EXPECT_EQ(env->AreaCodes().DisplayText(0), "<\xBC\xB1\xC5\xC3>");     // "<선택>"
    EXPECT_EQ(env->AreaCodes().DisplayText(1), "\xBC\xAD\xBF\xEF(02)");   // "서울(02)"
    EXPECT_EQ(env->AreaCodes().DisplayText(16), "\xC1\xA6\xC1\xD6(064)"); // "제주(064)"
    EXPECT_EQ(env->MobilePrefixes().DisplayText(3), "016");
}
