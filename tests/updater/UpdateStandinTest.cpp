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

#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::uint32_t Greeting(platform::TcpConnection& connection) {
    unsigned char reply[4096] = {};
    if (connection.ReceiveExact(reply, sizeof reply, 5000) != platform::TcpConnection::Result::Ok) {
        return 0;
    }
    return reply[0] | reply[1] << 8 | reply[2] << 16 | static_cast<std::uint32_t>(reply[3]) << 24;
}

TEST(UpdateStandin, ServesManyUpdatersAtOnceTurnsAwayTheOneTooManyAndItsSignedFileIsApplied) {
    TempDir dir;
    const UpdateKeys keys;
    std::string file(300 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < file.size(); ++i) {
        file[i] = static_cast<char>(i * 31 / 7);
    }
    dir.Write("served/Halvren", file);
    dir.Write("sign.pem", keys.privatePem);
    StandinProcess standin(HALVREN_UPDATE_STANDIN, dir.Path() / "standin.log",
                           {"--file", (dir.Path() / "served/Halvren").string(), "--max-clients", "2", "--sign-key",
                            (dir.Path() / "sign.pem").string()});
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
    program.Write("EnvSet.ini", "[DEFAULT]\r\nURL=127.0.0.1:8080\r\n");
    program.Write("Halvren", "old");
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

    EXPECT_TRUE(standin.WaitForLines("complete: 307217 of 307217 bytes", 3)) << standin.Log();
}

} // namespace
