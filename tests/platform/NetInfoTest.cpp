#include "platform/NetInfo.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

TEST(NetInfo, ListsAdaptersWithTheirHardwareAddress) {
    std::vector<platform::NetAdapter> adapters;
    const auto result = platform::ListAdapters(adapters);
    ASSERT_EQ(result, platform::AdapterListResult::Ok); // every Linux machine has at least the loopback
    bool sawLoopback = false;
    for (const auto& a : adapters) {
        EXPECT_FALSE(a.name.empty());
        EXPECT_LE(a.hardwareAddress.size(), 8u);
        sawLoopback = sawLoopback || a.loopback;
    }
    EXPECT_TRUE(sawLoopback);
}

// The machine's identity rests on the first adapter: a hardware one comes before virtual adapters whose
// address is drawn anew at every boot.
TEST(NetInfo, PutsHardwareAdaptersFirst) {
    std::vector<platform::NetAdapter> adapters;
    ASSERT_EQ(platform::ListAdapters(adapters), platform::AdapterListResult::Ok);
    auto hardware = [](const platform::NetAdapter& a) {
        return std::filesystem::exists("/sys/class/net/" + a.name + "/device");
    };
    if (std::none_of(adapters.begin(), adapters.end(), hardware)) {
        GTEST_SKIP() << "no hardware adapter on this machine";
    }
    EXPECT_TRUE(hardware(adapters.front())) << adapters.front().name;
}

TEST(NetInfo, ResolvesIpv4) {
    EXPECT_EQ(platform::ResolveIpv4("localhost"), "127.0.0.1");
    EXPECT_EQ(platform::ResolveIpv4("127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(platform::ResolveIpv4("no-such-host.invalid"), "");
    EXPECT_EQ(platform::ResolveIpv4(""), "");
    EXPECT_FALSE(platform::HostName().empty());
    for (const auto& ip : platform::AdapterIpv4Addresses()) {
        EXPECT_FALSE(ip.starts_with("127."));
    }
}

TEST(Paths, ExecutableFolderIsTheTestProgramsFolder) {
    const std::string folder = platform::ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "test_platform"));
}

TEST(Paths, FolderKeepsItsSeparatorAndNeverDoublesIt) {
    EXPECT_EQ(platform::FolderOf("/Halvren"), "/");
    EXPECT_EQ(platform::FolderOf("/opt/halvren/Halvren"), "/opt/halvren/");
    EXPECT_EQ(platform::FolderOf("Halvren"), "");
}
