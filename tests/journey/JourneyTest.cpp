// The whole way of one person, on the real stand-ins of the centre and of the update server: a first start
// with nothing stored, registration (002, 004), a report (011), the history (015) and its state moving on, the
// update accepted at the end, downloaded, checked and put in place, the new program started again by the
// updater, and a start that finds the person again and is offered nothing more.
#include "client/dialogs/CDlgCallConfirm.h"
#include "client/dialogs/CDlgZip.h"
#include "client/history/CDlg_InquireHistory.h"
#include "client/report/CDlg_SendCall.h"
#include "client/users/CDlg_SelectUser.h"
#include "skin/CXButton.h"
#include "skin/CXEdit.h"
#include "skin/CXListCtrl.h"
#include "skin/CXTextEdit.h"
#include "support/CentreProcess.h"
#include "support/RunningClient.h"
#include "support/StandinProcess.h"
#include "support/UpdateKeys.h"
#include "updater/UpdaterDialog.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

template <typename T = QWidget> T* Child(QWidget* root, const char* name) {
    T* widget = root->findChild<T*>(QLatin1String(name));
    EXPECT_NE(nullptr, widget) << name;
    return widget;
}

void Type(QWidget* field, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Acts on the modal window that comes up next, once it is up.
void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(nullptr, modal) << "the window that was to come up did not";
        act(modal);
    });
}

// The processes that run the program at `path` (a path of this test's own).
std::vector<pid_t> ProcessesOf(const fs::path& path) {
    std::vector<pid_t> pids;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        std::error_code error;
        const fs::path exe = fs::read_symlink(entry.path() / "exe", error);
        if (!error && exe == path && name.find_first_not_of("0123456789") == std::string::npos) {
            pids.push_back(static_cast<pid_t>(std::stol(entry.path().filename().string())));
        }
    }
    return pids;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Journey, FromAFirstStartToTheUpdatedProgram) {
    // The centre announces a version above the installed one, takes reports on at once and sends a crew after
    // three seconds.
    CentreProcess centre({"--version", "1.0.0.1", "--progress", "0,3,600"});
    ASSERT_TRUE(centre.Running()) << centre.Log();
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    const fs::path dist = fs::path(HALVREN_KAVREL_PATH).parent_path();
    const fs::path program = folder.dir.Path() / "Halvren";
    fs::copy_file(dist / "Halvren", program);
    const fs::path updaterRan = folder.InstallUpdater();

    // The new version: the program as built with a mark of its own, signed for this folder's key.
    TempDir served;
    const std::string newProgram = ReadFile(dist / "Halvren") + "\nnew version of the journey\n";
    served.Write("Halvren", newProgram);
    UpdateKeys keys;
    served.Write("sign.pem", keys.privatePem);
    folder.dir.Write("update-key.pem", keys.publicPem);
    StandinProcess updates(HALVREN_UPDATE_STANDIN, (served.Path() / "update.log").string(),
                           {"--file", (served.Path() / "Halvren").string(), "--action", "1", "--sign-key",
                            (served.Path() / "sign.pem").string(), "--version", "1.0.0.1"});
    ASSERT_GT(updates.Port(), 0) << updates.Log();

    Prompts prompts;
    bool updateAnswered = false;
    prompts.answerFor = [&](const std::string& text, int mode) {
        if (text == Environment(folder.Folder()).GetText("MESSAGE", "MSG_ProgramUpdate")) {
            // Not at the first start, when there is nobody to report for yet; yes at the end.
            const int answer = updateAnswered ? 1 : 2;
            updateAnswered = true;
            return answer;
        }
        return mode == 0 ? 1 : 2; // notices confirmed; "register another?" no
    };
    {
        auto app = MakeClient(folder, prompts, 10000);
        ASSERT_TRUE(app->StartUp());
        MainDialog& window = *app->MainWindow();
        EXPECT_TRUE(updateAnswered) << "the update was offered at the first start";
        ASSERT_EQ(MainDialog::kSelectUserPage, window.CurrentPage());

        // Registration: the postal code found by neighbourhood, the name checked with the centre.
        auto* selection = static_cast<CDlg_SelectUser*>(window.PageAt(MainDialog::kSelectUserPage));
        QTest::mouseClick(selection->RegistButton(), Qt::LeftButton);
        QWidget* information = window.PageAt(MainDialog::kUserInformationPage);
        Type(Child(information, "edtName"), QStringLiteral("홍길동"));
        Type(Child(information, "edtSsn1"), QStringLiteral("800101"));
        Type(Child(information, "edtSsn2"), QStringLiteral("1234567"));
        WhenModal([](QWidget* search) {
            Type(Child(search, "edtDong"), QStringLiteral("사직동"));
            QTest::keyClick(Child(search, "edtDong"), Qt::Key_Return);
            auto* list = Child<CXListCtrl>(search, "lstZip");
            EXPECT_GT(list->rowCount(), 0);
            QTest::keyClick(list, Qt::Key_Return);
        });
        QTest::mouseClick(Child(information, "btnZip"), Qt::LeftButton);
        Type(Child(information, "edtAddr2"), QStringLiteral("12번지 2층"));
        QTest::mouseClick(Child(information, "btnSave"), Qt::LeftButton);
        ASSERT_EQ(1, app->Env().PersonCount()) << "registered";
        ASSERT_EQ(MainDialog::kReportPage, window.CurrentPage());

        // A fire report, confirmed with Enter.
        auto* report = static_cast<CDlg_SendCall*>(window.PageAt(MainDialog::kReportPage));
        QTest::mouseClick(Child(report, "tabFire"), Qt::LeftButton);
        Type(Child(report, "editDetail"), QStringLiteral("부엌에서 불이 났어요"));
        WhenModal([](QWidget* confirm) {
            EXPECT_NE(nullptr, qobject_cast<CDlgCallConfirm*>(confirm));
            QTest::keyClick(confirm->focusWidget(), Qt::Key_Return);
        });
        QTest::mouseClick(Child(report, "btnSend"), Qt::LeftButton);
        ASSERT_FALSE(prompts.shown.empty());
        EXPECT_EQ(app->Env().GetText("MESSAGE", "MSG_SendCall_Success"), prompts.shown.back().first);

        // The history shows it, and shows it moving on.
        QTest::mouseClick(window.ButtonAt(MainDialog::kHistory), Qt::LeftButton);
        auto* history = static_cast<CDlg_InquireHistory*>(window.PageAt(MainDialog::kHistoryPage));
        ASSERT_EQ(1, history->List()->rowCount());
        EXPECT_EQ(QStringLiteral("접수"), history->List()->GetItemText(0, CDlg_InquireHistory::kState));
        QString state;
        for (int i = 0; i < 20 && state != QStringLiteral("출동"); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            QTest::mouseClick(window.ButtonAt(MainDialog::kReport), Qt::LeftButton);
            QTest::mouseClick(window.ButtonAt(MainDialog::kHistory), Qt::LeftButton);
            state = history->List()->GetItemText(0, CDlg_InquireHistory::kState);
        }
        EXPECT_EQ(QStringLiteral("출동"), state);
        app->Exit();
    }

    // The next start offers the update at the end; yes ends the client and starts the updater.
    {
        auto app = MakeClient(folder, prompts, 10000);
        ASSERT_TRUE(app->StartUp());
        QTest::mouseClick(app->MainWindow()->ButtonAt(MainDialog::kEnd), Qt::LeftButton);
        EXPECT_TRUE(app->Env().UpdatePending());
        app->Exit();
    }
    for (int i = 0; i < 500 && !fs::exists(updaterRan); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(fs::exists(updaterRan)) << "the client started the updater as it ended";

    // The updater's window: start downloads and checks the signature, finish puts the file in place.
    UpdaterDialog::Options options;
    options.programFolder = folder.Folder();
    options.lockFolder = folder.locks.Str();
    options.port = updates.Port();
    UpdaterDialog updater(options);
    std::vector<QString> boxes;
    updater.SetNotifier([&](const QString& text, QMessageBox::Icon) { boxes.push_back(text); });
    updater.show();
    QSignalSpy ended(&updater, &UpdaterDialog::TransferEnded);
    QTest::mouseClick(Child(&updater, "btnStart"), Qt::LeftButton);
    ASSERT_TRUE(ended.wait(30000));
    ASSERT_TRUE(updater.Success()) << updates.Log();
    // The program the updater starts again takes its lock in a runtime folder of this test.
    const size_t asked = centre.Log().size();
    TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.Str().c_str(), 1);
    setenv("HOME", runtime.Str().c_str(), 1);
    QTest::mouseClick(Child(&updater, "btnFinish"), Qt::LeftButton);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(newProgram, ReadFile(program)) << "the new program stands in place of the old one";
    EXPECT_TRUE((fs::status(program).permissions() & fs::perms::owner_exec) != fs::perms::none);

    // The new program runs: it asks the centre for the version and waits in its window.
    bool askedCentre = false;
    for (int i = 0; i < 100 && !askedCentre; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        askedCentre = centre.Log().find("003", asked) != std::string::npos;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::vector<pid_t> running = ProcessesOf(program);
    for (const pid_t pid : running) {
        kill(pid, SIGTERM);
    }
    EXPECT_TRUE(askedCentre) << centre.Log();
    EXPECT_EQ(1u, running.size()) << "the updater started the new program, which waited in its window";
    for (int i = 0; i < 100 && !ProcessesOf(program).empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    // The installed version is the new one: the next start offers nothing.
    {
        auto app = MakeClient(folder, prompts, 10000);
        ASSERT_TRUE(app->StartUp());
        EXPECT_EQ("1.0.0.1", app->Env().CurrentVersion());
        EXPECT_FALSE(app->Env().UpdatePending());
        app->Exit();
    }

    // And the person is still there.
    Environment env(folder.Folder());
    ASSERT_EQ(1, env.PersonCount());
    EXPECT_EQ(Cp949("홍길동"), (*env.PersonMap().Find("8001011234567"))->Name);
}

} // namespace
