// The real update-standin process serving the real updater code.
#include "platform/Tcp.h"
#include "support/StandinProcess.h"
#include "support/TempDir.h"
#include "support/UpdateKeys.h"
#include "updater/Download.h"
#include "updater/UpdaterDialog.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <filesystem>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::uint32_t Greeting(platform::TcpConnection& connection) {
    unsigned char reply[4096] = {};
    if (connection.ReceiveExact(reply, sizeof reply, 5000) != platform::TcpConnection::Result::Ok) {
        return 0;
    }
    return reply[0] | reply[1] << 8 | reply[2] << 16 | static_cast<std::uint32_t>(reply[3]) << 24;
}

// A connection to the stand-in from another loopback address, as a peer on another machine would come.
int ConnectFrom(const char* source, int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    inet_pton(AF_INET, source, &from.sin_addr);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const timeval wait{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::uint32_t GreetingOn(int fd) {
    unsigned char reply[4096] = {};
    std::size_t got = 0;
    while (got < sizeof reply) {
        const ssize_t n = recv(fd, reply + got, sizeof reply - got, 0);
        if (n <= 0) {
            return 0;
        }
        got += static_cast<std::size_t>(n);
    }
    return reply[0] | reply[1] << 8 | reply[2] << 16 | static_cast<std::uint32_t>(reply[3]) << 24;
}

TEST(UpdateStandin, ServesManyUpdatersAtOnceTurnsAwayTheOneTooManyAndItsSignedClientIsApplied) {
    TempDir dir;
    const UpdateKeys keys;
    // A new client that says it was started, in many blocks.
    std::string file = "#!/bin/sh\npwd > restarted\nexit 0\n";
    file.resize(300 * 1024 + 17);
    for (std::size_t i = 40; i < file.size(); ++i) {
        file[i] = static_cast<char>(i * 31 / 7);
    }
    dir.Write("served/Halvren", file);
    dir.Write("sign.pem", keys.privatePem);
    StandinProcess standin(HALVREN_UPDATE_STANDIN, dir.Path() / "standin.log",
                           {"--file", (dir.Path() / "served/Halvren").string(), "--max-clients", "2", "--sign-key",
                            (dir.Path() / "sign.pem").string(), "--version", "1.0.0.3"});
    ASSERT_GT(standin.Port(), 0) << standin.Log();

    // Two clients hold their places; a third is told the server is busy.
    platform::TcpConnection::ConnectError error;
    auto first = platform::TcpConnection::Connect("127.0.0.1", standin.Port(), 2000, error);
    auto second = platform::TcpConnection::Connect("127.0.0.1", standin.Port(), 2000, error);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(1u, Greeting(*first));
    EXPECT_EQ(1u, Greeting(*second));
    auto third = platform::TcpConnection::Connect("127.0.0.1", standin.Port(), 2000, error);
    ASSERT_TRUE(third);
    EXPECT_EQ(99u, Greeting(*third));
    first.reset();
    second.reset();
    third.reset();
    ASSERT_TRUE(standin.WaitForLines("left without finishing", 2)) << standin.Log();
    EXPECT_TRUE(standin.WaitForLines("busy", 1));

    // Two updaters download side by side, each verifying the signature.
    std::vector<std::unique_ptr<TempDir>> folders;
    std::vector<std::thread> updaters;
    std::atomic<int> succeeded{0};
    for (int i = 0; i < 2; ++i) {
        folders.push_back(std::make_unique<TempDir>());
        folders.back()->Write("update-key.pem", keys.publicPem);
        updater::DownloadOptions options;
        options.host = "127.0.0.1";
        options.port = standin.Port();
        options.programFolder = folders.back()->Str() + "/";
        updaters.emplace_back([options, &succeeded] {
            updater::Download download(options, nullptr);
            succeeded += download.Run() ? 1 : 0;
        });
    }
    for (std::thread& t : updaters) {
        t.join();
    }
    EXPECT_EQ(2, succeeded.load());
    for (const auto& folder : folders) {
        EXPECT_EQ(file, folder->Read("Down/Halvren"));
    }

    // The whole road through the window: download, verify, and put in place of the old program.
    TempDir program;
    program.Write("update-key.pem", keys.publicPem);
    program.Write("EnvSet.ini", "[DEFAULT]\r\nCURRENT_VERSION=1.0.0.2\r\nURL=127.0.0.1:8080\r\n");
    fs::permissions(program.Write("Halvren", "old"), fs::perms(0755));
    TempDir locks;
    UpdaterDialog::Options options;
    options.programFolder = program.Str() + "/";
    options.lockFolder = locks.Str();
    options.port = standin.Port();
    UpdaterDialog dialog(options);
    dialog.SetNotifier([](const QString& text, QMessageBox::Icon) { ADD_FAILURE() << text.toStdString(); });
    dialog.show();
    QSignalSpy ended(&dialog, &UpdaterDialog::TransferEnded);
    QTest::mouseClick(dialog.findChild<QPushButton*>("btnStart"), Qt::LeftButton);
    ASSERT_TRUE(ended.wait(10000));
    ASSERT_TRUE(dialog.Success());
    QTest::mouseClick(dialog.findChild<QPushButton*>("btnFinish"), Qt::LeftButton);
    EXPECT_EQ(file, program.Read("Halvren"));
    EXPECT_FALSE(fs::exists(program.Path() / "Down" / "Halvren"));
    EXPECT_EQ("[DEFAULT]\r\nCURRENT_VERSION=1.0.0.3\r\nURL=127.0.0.1:8080\r\n", program.Read("EnvSet.ini"));
    for (int i = 0; i < 250 && program.Read("restarted").empty(); ++i) {
        QTest::qWait(20);
    }
    EXPECT_EQ(program.Str() + "\n", program.Read("restarted")) << "the new client started from its folder";

    EXPECT_TRUE(standin.WaitForLines("complete: 307217 of 307217 bytes", 3)) << standin.Log();
}

TEST(UpdateStandin, SlowPeersHoldNoPlaceAnHonestDownloadNeedsAndEachConnectionsLifeEnds) {
    TempDir dir;
    dir.Write("Halvren", std::string(50000, 'h'));
    StandinProcess standin(HALVREN_UPDATE_STANDIN, dir.Path() / "standin.log",
                           {"--file", (dir.Path() / "Halvren").string(), "--max-life", "2"});
    ASSERT_GT(standin.Port(), 0) << standin.Log();

    // 32 peers of one address that never ask for anything: a few are let in, the rest are told "busy".
    std::vector<int> slow;
    int admitted = 0;
    for (int i = 0; i < 32; ++i) {
        const int fd = ConnectFrom("127.0.0.2", standin.Port());
        ASSERT_GE(fd, 0);
        admitted += GreetingOn(fd) == 1 ? 1 : 0;
        slow.push_back(fd);
    }
    EXPECT_EQ(4, admitted);

    // Meanwhile an updater from another address gets the whole file at once.
    updater::DownloadOptions options;
    options.host = "127.0.0.1";
    options.port = standin.Port();
    options.programFolder = dir.Str() + "/";
    EXPECT_TRUE(updater::Download(options, nullptr).Run()) << standin.Log();

    // The slow ones are let go when their time is up.
    EXPECT_TRUE(standin.WaitForLines("time was up", 4)) << standin.Log();
    for (const int fd : slow) {
        close(fd);
    }
}

} // namespace
