#include "platform/NamedMutex.h"
#include "platform/Shell.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

TEST(NamedMutex, OneHolderAtATimeAndFreedWhenTheHolderDies) {
    TempDir dir;
    platform::NamedMutex first("Halvren", dir.Str());
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(platform::NamedMutex::IsHeldElsewhere("Halvren", dir.Str()));
    EXPECT_FALSE(platform::NamedMutex::IsHeldElsewhere("VeskUpdater", dir.Str())) << "names are separate";
    platform::NamedMutex second("Halvren", dir.Str());
    EXPECT_FALSE(second.Acquire());
    first.Release();
    EXPECT_TRUE(second.Acquire());
    second.Release();

    // A holder that is killed leaves nothing behind that blocks the next start.
    pid_t child = fork();
    if (child == 0) {
        platform::NamedMutex held("Halvren", dir.Str());
        if (!held.Acquire()) {
            _exit(1);
        }
        pause();
        _exit(0);
    }
    bool seen = false;
    for (int i = 0; i < 200 && !seen; ++i) {
        seen = platform::NamedMutex::IsHeldElsewhere("Halvren", dir.Str());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(seen);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(platform::NamedMutex::IsHeldElsewhere("Halvren", dir.Str()));
}

TEST(NamedMutex, RefusesAFolderItCannotUse) {
    platform::NamedMutex mutex("Halvren", "/nonexistent/folder");
    EXPECT_FALSE(mutex.Acquire());
    EXPECT_FALSE(platform::NamedMutex::DefaultFolder().empty());
}

TEST(Shell, StartsAProgramThatOutlivesTheCall) {
    TempDir dir;
    const auto marker = dir.Path() / "started";
    const auto script = dir.Write("Updater", "#!/bin/sh\necho $$ > '" + marker.string() + "'\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    ASSERT_TRUE(platform::StartProgram(script.string()));
    bool started = false;
    for (int i = 0; i < 500 && !started; ++i) {
        started = std::filesystem::exists(marker) && std::filesystem::file_size(marker) > 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(started);
    EXPECT_FALSE(platform::StartProgram((dir.Path() / "missing").string()));
    const auto plain = dir.Write("not-executable", "#!/bin/sh\n");
    EXPECT_FALSE(platform::StartProgram(plain.string()));
}

} // namespace
