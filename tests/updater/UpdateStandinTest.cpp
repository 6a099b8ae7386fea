// The real update-standin process serving the real updater code.
#include "UpdateKeys.h"
#include "platform/Tcp.h"
#include "support/TempDir.h"
#include "updater/Download.h"
#include "updater/UpdaterDialog.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <regex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// update-standin started with the given options and a free port; its log goes to a file. Stopped with
// SIGTERM when the object goes.
class Standin {
public:
    Standin(const TempDir& dir, std::vector<std::string> options) : m_log(dir.Path() / "standin.log") {
        options.insert(options.begin(), {HALVREN_UPDATE_STANDIN, "--listen", "127.0.0.1:0"});
        std::vector<char*> argv;
        for (std::string& option : options) {
            argv.push_back(option.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int spawned = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            m_pid = -1;
            return;
        }
        const std::regex serving("on 127\\.0\\.0\\.1:([0-9]+)");
        for (int i = 0; i < 200 && m_port == 0; ++i) {
            std::smatch match;
            const std::string log = Log();
            if (std::regex_search(log, match, serving)) {
                m_port = std::stoi(match[1]);
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
            }
        }
    }
    ~Standin() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            int status = 0;
            waitpid(m_pid, &status, 0);
        }
    }

    int Port() const { return m_port; }
    std::string Log() const {
        std::ifstream in(m_log);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Waits until the log holds `count` lines with `text`.
    bool WaitForLines(const std::string& text, int count) const {
        for (int i = 0; i < 200; ++i) {
            const std::string log = Log();
            int found = 0;
            for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
                ++found;
            }
            if (found >= count) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

private:
    fs::path m_log;
    pid_t m_pid = -1;
    int m_port = 0;
};

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
    Standin standin(dir, {"--file", (dir.Path() / "served/Halvren").string(), "--max-clients", "2", "--sign-key",
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
