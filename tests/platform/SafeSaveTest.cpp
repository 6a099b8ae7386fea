#include "platform/SafeSave.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

unsigned ModeOf(const fs::path& p) {
    struct stat st {};
    return stat(p.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

size_t FileCount(const fs::path& dir) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) {
        ++n;
    }
    return n;
}

} // namespace

TEST(SafeSave, ReplacesTheFileWithTheGivenMode) {
    TempDir dir;
    const fs::path path = dir.Write("Person.std", "old");
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    ASSERT_TRUE(platform::SafeSave(path.string(), std::string("new\0bytes", 9), 0600));
    EXPECT_EQ(dir.Read("Person.std"), std::string("new\0bytes", 9));
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_EQ(FileCount(dir.Path()), 1u); // no temporary file left

    ASSERT_TRUE(platform::SafeSave((dir.Path() / "empty").string(), "", 0600));
    EXPECT_TRUE(fs::exists(dir.Path() / "empty"));
    EXPECT_EQ(fs::file_size(dir.Path() / "empty"), 0u);
}

TEST(SafeSave, FullDiskLeavesTheOldFileAlone) {
    // A file size limit makes the write fail the way a full disk does, also for root.
    TempDir dir;
    const fs::path path = dir.Write("Person.std", "old");
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = platform::SafeSave(path.string(), std::string(4096, 'x'), 0600);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(dir.Read("Person.std"), "old");
    EXPECT_EQ(FileCount(dir.Path()), 1u);
}
