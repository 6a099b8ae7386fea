// The updater window driven headless: the real window, the real download against a scripted update server,
// real files and locks in temporary folders.
#include "updater/UpdaterDialog.h"
#include "platform/NamedMutex.h"
#include "platform/Tcp.h"
#include "support/ScriptedUpdatePeer.h"
#include "support/TempDir.h"
#include "support/UpdateKeys.h"
#include "updater/UpdaterApp.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using Peer = ScriptedUpdatePeer;

namespace {

struct Box {
    QString text;
    QMessageBox::Icon icon;
};

class UpdaterDialogTest : public ::testing::Test {
protected:
    // The centre's address as an https centre gives it: the update server is on its host.
    void SetUp() override { dir.Write("EnvSet.ini", "[DEFAULT]\r\nURL=https://127.0.0.1:8443\r\n"); }

    UpdaterDialog::Options Options() const {
        UpdaterDialog::Options options;
        options.programFolder = dir.Str() + "/";
        options.lockFolder = locks.Str();
        options.port = peer.Port();
        options.connectMs = 2000;
        options.blockMs = 2000;
        return options;
    }

    std::unique_ptr<UpdaterDialog> Open(UpdaterDialog::Options options) {
        auto dialog = std::make_unique<UpdaterDialog>(options);
        dialog->SetNotifier([this](const QString& text, QMessageBox::Icon icon) { boxes.push_back({text, icon}); });
        dialog->show();
        return dialog;
    }
    std::unique_ptr<UpdaterDialog> Open() { return Open(Options()); }

    // Presses start and waits for the download to end; the status texts shown on the way.
    QStringList Download(UpdaterDialog& dialog) {
        QSignalSpy texts(Status(dialog), &QLineEdit::textChanged);
        QSignalSpy ended(&dialog, &UpdaterDialog::TransferEnded);
        QTest::mouseClick(Button(dialog, "btnStart"), Qt::LeftButton);
        EXPECT_TRUE(ended.wait(10000));
        QStringList shown;
        for (const QList<QVariant>& args : texts) {
            shown << args.at(0).toString();
        }
        return shown;
    }

    static QLineEdit* Status(UpdaterDialog& dialog) { return dialog.findChild<QLineEdit*>("editStatus"); }
    static QProgressBar* Progress(UpdaterDialog& dialog) { return dialog.findChild<QProgressBar*>("progressDownload"); }
    static QPushButton* Button(UpdaterDialog& dialog, const char* name) { return dialog.findChild<QPushButton*>(name); }
    static fs::perms Mode(const fs::path& path) { return fs::status(path).permissions() & fs::perms::mask; }
    // Waits up to five seconds for a file that a started program writes.
    std::string WaitForFile(const std::string& name) const {
        for (int i = 0; i < 250 && dir.Read(name).empty(); ++i) {
            QTest::qWait(20);
        }
        return dir.Read(name);
    }

    TempDir dir;
    TempDir locks;
    Peer peer;
    std::vector<Box> boxes;
};

TEST_F(UpdaterDialogTest, TheWindowTakesTheHostPartOfTheSettingsNamesItsControlsAndIgnoresEscape) {
    auto dialog = Open();
    EXPECT_EQ("127.0.0.1", dialog->Host());
    EXPECT_EQ(QStringLiteral(" <시작>버튼을 누르세요."), Status(*dialog)->text());
    for (QWidget* control : dialog->findChildren<QWidget*>()) {
        if (control->parentWidget() == dialog.get()) {
            EXPECT_FALSE(control->objectName().isEmpty());
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
        }
    }
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible()) << "Escape never closes the updater";

    dir.Write("EnvSet.ini", "[DEFAULT]\r\nCURRENT_VERSION=1.0.0.0\r\n");
    EXPECT_EQ(UpdaterDialog::kDefaultHost, UpdaterDialog(Options()).Host());
}

TEST_F(UpdaterDialogTest, ASuccessfulDownloadShowsEveryStageInOrderAndLeavesOnlyTheFinishButton) {
    const std::string file(3 * 4092 + 100, 'n');
    peer.Queue(Peer::Transfer("Halvren", file));
    auto dialog = Open();
    const QStringList shown = Download(*dialog);
    const QStringList expected = {
        QStringLiteral("진행상태:"),
        QStringLiteral("진행상태: 서버접속중..."),
        QStringLiteral("진행상태: 서버접속완료."),
        QStringLiteral("진행상태: 다운로드중..."),
        QStringLiteral("진행상태: 다운로드완료..."),
        QStringLiteral("진행상태: 파일저장중..."),
        QStringLiteral("진행상태: 업데이트 준비완료."),
    };
    EXPECT_EQ(expected, shown);
    EXPECT_EQ(4, Progress(*dialog)->maximum());
    EXPECT_EQ(4, Progress(*dialog)->value());
    EXPECT_TRUE(Button(*dialog, "btnStart")->isHidden());
    EXPECT_TRUE(dialog->Success());
    EXPECT_EQ(file, dir.Read("Down/Halvren"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(UpdaterDialogTest, TheWindowStaysAliveWhileTheTransferRunsAndClosingItStopsTheTransfer) {
    const std::string block = Peer::Reply(22, std::string(4092, 'x'));
    peer.Queue({Peer::Send(Peer::Reply(1)), Peer::Receive(),
                Peer::Send(Peer::Reply(12, Peer::FileInfoPayload(10 * 4092, "Halvren"))), Peer::Receive(),
                Peer::Send(block), Peer::Receive(), Peer::Send(block), Peer::Receive(), Peer::Send(block),
                Peer::Receive(), Peer::Stall()});
    UpdaterDialog::Options options = Options();
    options.blockMs = 30000;
    auto dialog = Open(options);
    QSignalSpy ended(dialog.get(), &UpdaterDialog::TransferEnded);
    QTest::mouseClick(Button(*dialog, "btnStart"), Qt::LeftButton);
    EXPECT_FALSE(Button(*dialog, "btnStart")->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(Progress(*dialog)->value(), 2, 5000);
    EXPECT_EQ(QStringLiteral("진행상태: 다운로드중..."), Status(*dialog)->text());
    EXPECT_EQ(11, Progress(*dialog)->maximum());
    // The window answers while the server is silent, and start stays inactive.
    QTest::qWait(50);
    QTest::mouseClick(Button(*dialog, "btnStart"), Qt::LeftButton);
    EXPECT_TRUE(dialog->IsTransferRunning());
    EXPECT_EQ(0, ended.count());

    // Finish without a download closes the window; the transfer stops long before its time limit.
    QTest::mouseClick(Button(*dialog, "btnFinish"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_TRUE(ended.wait(1000));
    EXPECT_FALSE(dialog->Success());
    EXPECT_FALSE(fs::exists(dir.Path() / "Down" / "Halvren"));
    EXPECT_TRUE(boxes.empty());
    peer.Release();
}

TEST_F(UpdaterDialogTest, AConnectionErrorIsToldInABoxAndFinishThenJustCloses) {
    platform::TcpListener closed;
    UpdaterDialog::Options options = Options();
    options.port = closed.Listen("127.0.0.1", 0);
    closed.Close();
    dir.Write("Halvren", "old");
    // Nobody listens there; a host name that does not resolve.
    for (const char* host : {"127.0.0.1", "no-such-host.invalid"}) {
        dir.Write("EnvSet.ini", std::string("[DEFAULT]\r\nURL=") + host + "\r\n");
        boxes.clear();
        auto dialog = Open(options);
        Download(*dialog);
        ASSERT_EQ(1u, boxes.size()) << host;
        EXPECT_EQ(QStringLiteral("커넥션 에러..."), boxes[0].text);
        EXPECT_EQ(QStringLiteral("진행상태:"), Status(*dialog)->text());
        EXPECT_EQ(0, Progress(*dialog)->value());
        EXPECT_TRUE(Button(*dialog, "btnStart")->isEnabled());

        QTest::mouseClick(Button(*dialog, "btnFinish"), Qt::LeftButton);
        EXPECT_FALSE(dialog->isVisible());
    }
    EXPECT_EQ("old", dir.Read("Halvren"));
    EXPECT_FALSE(platform::NamedMutex::IsHeldElsewhere("Halvren", locks.Str()));
}

TEST_F(UpdaterDialogTest, FinishReplacesTheFileWholeRecordsTheVersionAndStartsTheClientAgain) {
    // Without a key the version fetched is the one the centre announced; no other byte of the settings changes.
    const std::string settings = "; by hand\r\n[DEFAULT]\r\nCURRENT_VERSION=1.0.0.0\r\nURL=127.0.0.1:8080\r\n"
                                 "LAST_VERSION=1.0.0.1\r\n\r\n[Other]\nkey = \"value\" \n";
    dir.Write("EnvSet.ini", settings);
    const fs::path notes = dir.Write("notes.txt", "old notes");
    fs::permissions(notes, fs::perms(0640));
    peer.Queue(Peer::Transfer("notes.txt", "new notes"));
    auto dialog = Open();
    Download(*dialog);
    ASSERT_TRUE(dialog->Success());
    QTest::mouseClick(Button(*dialog, "btnFinish"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ("new notes", dir.Read("notes.txt"));
    EXPECT_EQ(fs::perms(0640), Mode(notes));
    EXPECT_FALSE(fs::exists(dir.Path() / "Down" / "notes.txt")) << "the copy in Down/ is removed";
    std::string expected = settings;
    expected.replace(expected.find("1.0.0.0"), 7, "1.0.0.1");
    EXPECT_EQ(expected, dir.Read("EnvSet.ini"));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(3u, left.size()) << "no temporary file is left beside the program";
    EXPECT_TRUE(platform::NamedMutex::IsHeldElsewhere("Halvren", locks.Str())) << "the client cannot start yet";
    dialog.reset();
    EXPECT_FALSE(platform::NamedMutex::IsHeldElsewhere("Halvren", locks.Str()));

    // The client itself: put in place, and started again from the program folder once its lock is let go.
    const fs::path program = dir.Write("Halvren", "old program");
    fs::permissions(program, fs::perms(0750));
    const std::string newProgram = "#!/bin/sh\npwd > started-in\n";
    peer.Queue(Peer::Transfer("Halvren", newProgram));
    dialog = Open();
    Download(*dialog);
    QTest::mouseClick(Button(*dialog, "btnFinish"), Qt::LeftButton);
    EXPECT_EQ(newProgram, dir.Read("Halvren"));
    EXPECT_EQ(fs::perms(0750), Mode(program));
    EXPECT_EQ(dir.Str() + "\n", WaitForFile("started-in"));
    EXPECT_FALSE(platform::NamedMutex::IsHeldElsewhere("Halvren", locks.Str()));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(UpdaterDialogTest, FinishWhileTheClientRunsReplacesNothing) {
    dir.Write("Halvren", "old program");
    peer.Queue(Peer::Transfer("Halvren", "new program"));
    platform::NamedMutex client("Halvren", locks.Str());
    ASSERT_TRUE(client.Acquire());
    auto dialog = Open();
    Download(*dialog);
    QTest::mouseClick(Button(*dialog, "btnFinish"), Qt::LeftButton);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(QStringLiteral("Halvren 프로그램을 종료해 주십시요."), boxes[0].text);
    EXPECT_EQ(QMessageBox::Critical, boxes[0].icon);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ("old program", dir.Read("Halvren"));
    EXPECT_EQ("new program", dir.Read("Down/Halvren")) << "the download stays for the next time";
}

TEST_F(UpdaterDialogTest, ActionTwoRunsTheVerifiedFileFromTheProgramFolderAndCopiesNothing) {
    const UpdateKeys keys;
    dir.Write("update-key.pem", keys.publicPem);
    const std::string settings = dir.Read("EnvSet.ini");
    const std::string script = "#!/bin/sh\npwd > ran-in\n";
    peer.Queue(Peer::Transfer("setup.sh", script, 2, keys.Statement("setup.sh", "1.0.0.1", script.size(), 2, script)));
    auto dialog = Open();
    Download(*dialog);
    EXPECT_EQ(2u, dialog->ApplyAction());
    QTest::mouseClick(Button(*dialog, "btnFinish"), Qt::LeftButton);
    EXPECT_EQ(dir.Str() + "\n", WaitForFile("ran-in"));
    const fs::path downloaded = dir.Path() / "Down" / "setup.sh";
    EXPECT_TRUE(fs::exists(downloaded));
    EXPECT_NE(fs::perms::none, fs::status(downloaded).permissions() & fs::perms::owner_exec);
    EXPECT_FALSE(fs::exists(dir.Path() / "setup.sh"));
    EXPECT_EQ(settings, dir.Read("EnvSet.ini")) << "running a file installs no version";
    EXPECT_TRUE(boxes.empty());
}

TEST_F(UpdaterDialogTest, TheStatusLineSaysWhyAFileIsRefused) {
    peer.Queue(Peer::Transfer("Person.std", "persons of the server's choice"));
    auto dialog = Open();
    Download(*dialog);
    EXPECT_FALSE(dialog->Success());
    EXPECT_EQ(QStringLiteral("진행상태: 초기화실패... 바꿀 수 없는 파일"), Status(*dialog)->text());
    EXPECT_TRUE(Button(*dialog, "btnStart")->isEnabled());
}

TEST_F(UpdaterDialogTest, ASecondUpdaterIsRefused) {
    UpdaterApp first(Options());
    first.SetNotifier([this](const QString& text, QMessageBox::Icon icon) { boxes.push_back({text, icon}); });
    ASSERT_TRUE(first.StartUp());
    EXPECT_TRUE(first.Dialog()->isVisible());
    UpdaterApp second(Options());
    second.SetNotifier([this](const QString& text, QMessageBox::Icon icon) { boxes.push_back({text, icon}); });
    EXPECT_FALSE(second.StartUp());
    EXPECT_EQ(nullptr, second.Dialog());
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(QStringLiteral("프로그램이 이미 실행중입니다."), boxes[0].text);
    EXPECT_EQ(QMessageBox::Critical, boxes[0].icon);
    first.Exit();
    EXPECT_TRUE(second.StartUp());
}

} // namespace
