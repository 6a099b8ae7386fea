// The draft file with a real client process: typed, killed with SIGKILL, started afresh, continued and sent.
#include "client/app/DraftKeeper.h"
#include "client/dialogs/CDlgCallConfirm.h"
#include "client/env/DraftFile.h"
#include "client/report/CDlg_SendCall.h"
#include "skin/CXButton.h"
#include "skin/CXEdit.h"
#include "skin/CXTextEdit.h"
#include "support/RunningClient.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderVariable = "HALVREN_DRAFT_TEST_FOLDER";
constexpr const char* kLocksVariable = "HALVREN_DRAFT_TEST_LOCKS";
constexpr const char* kPlace = "Gate 2";
constexpr const char* kWords = "smoke on the stairs";

Person Hong() {
    Person hong;
    hong.Name = Cp949("홍길동");
    hong.Ssn = "8001011234567";
    hong.Addr1 = Cp949("서울특별시 중구");
    hong.Tel1 = "02";
    hong.Tel2 = "1234";
    hong.Tel3 = "5678";
    return hong;
}

template <typename T> T* Find(QWidget* page, const char* name) {
    return page->findChild<T*>(QString::fromLatin1(name));
}

// This very test program, run again as the client the user types into; it waits to be killed.
pid_t StartTypingClient(const ProgramFolder& folder) {
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<std::string> arguments = {self, "--gtest_also_run_disabled_tests",
                                          "--gtest_filter=DraftChild.DISABLED_TypesAReportUntilKilled"};
    std::vector<std::string> variables = {std::string(kFolderVariable) + "=" + folder.Folder(),
                                          std::string(kLocksVariable) + "=" + folder.locks.Str()};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** variable = environ; *variable; ++variable) {
        envp.push_back(*variable);
    }
    for (std::string& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
        return -1;
    }
    return pid;
}

DraftFile::Contents ReadDraft(const ProgramFolder& folder) {
    Environment env(folder.Folder());
    return DraftFile(env).Load();
}

} // namespace

TEST(DraftChild, DISABLED_TypesAReportUntilKilled) {
    const char* folder = std::getenv(kFolderVariable);
    const char* locks = std::getenv(kLocksVariable);
    ASSERT_TRUE(folder && locks);
    ClientApp::Options options;
    options.programFolder = folder;
    options.lockFolder = locks;
    ClientApp app(options);
    app.SetPrompter([](const std::string&, int) { return 1; });
    ASSERT_TRUE(app.StartUp());
    QWidget* page = app.MainWindow()->PageAt(0);
    QTest::mouseClick(Find<CXButton>(page, "tabFire"), Qt::LeftButton, {}, QPoint(5, 5));
    auto* place = Find<CXEdit>(page, "editPlace");
    place->selectAll();
    QTest::keyClicks(place, kPlace);
    QTest::keyClicks(Find<CXTextEdit>(page, "editDetail"), kWords);
    QTest::qWait(30000);
    FAIL() << "the client was to be killed long before";
}

TEST(DraftTest, AReportTypedSurvivesAKillAndIsSentFromTheNextStart) {
    ScriptedCentre centre;
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    folder.StorePersons({Hong()});
    centre.QueueBody(VersionReply("1.0.0.0"));
    const pid_t typing = StartTypingClient(folder);
    ASSERT_GT(typing, 0);
    // Within about a second of the typing the draft holds it all.
    DraftFile::Contents draft;
    for (int i = 0; i < 200; ++i) {
        draft = ReadDraft(folder);
        if (draft.values["report.detail"] == kWords && draft.values["report.place"] == kPlace) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(typing, SIGKILL);
    int status = 0;
    waitpid(typing, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended on its own";
    ASSERT_EQ(draft.state, DraftFile::State::Loaded);
    ASSERT_EQ(draft.values["report.detail"], kWords);

    const fs::path file = folder.dir.Path() / DraftFile::kFileName;
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(folder.dir.Read(DraftFile::kFileName).find(kWords), std::string::npos) << "never in plain text";

    // A fresh start offers the draft; yes brings back the page as it was. Nothing goes out without Send.
    centre.QueueBody(VersionReply("1.0.0.0"));
    Prompts prompts;
    prompts.answer = 1;
    auto app = MakeClient(folder, prompts);
    ASSERT_TRUE(app->StartUp());
    const std::string offer = app->Env().GetText("MESSAGE", "MSG_Draft_Continue");
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{offer});
    auto* page = static_cast<CDlg_SendCall*>(app->MainWindow()->PageAt(0));
    EXPECT_TRUE(page->isVisible());
    EXPECT_TRUE(Find<CXButton>(page, "tabFire")->IsSelected());
    EXPECT_EQ(Find<CXEdit>(page, "editPlace")->Cp949Text(), kPlace);
    EXPECT_EQ(Find<CXTextEdit>(page, "editDetail")->Cp949Text(), kWords);
    EXPECT_EQ(centre.RequestCount(), 2u) << "two version checks and nothing else";

    // Where the draft can no longer be written, ending asks first instead of losing the report unasked.
    fs::remove(file);
    fs::create_directory(file);
    prompts.answer = 2;
    QTest::mouseClick(app->MainWindow()->ButtonAt(MainDialog::kEnd), Qt::LeftButton);
    EXPECT_EQ(prompts.Texts().back(), app->Env().GetText("MESSAGE", "MSG_Exit_Unsaved"));
    EXPECT_TRUE(app->MainWindow()->isVisible());
    fs::remove(file);
    prompts.answer = 1;

    centre.QueueBody("<VESK><WORK>111</WORK><RESULT>" + Cp949("성공") + "</RESULT></VESK>");
    QTimer::singleShot(0, [] {
        auto* confirm = qobject_cast<CDlgCallConfirm*>(QApplication::activeModalWidget());
        ASSERT_NE(confirm, nullptr);
        QTest::keyClick(confirm->focusWidget(), Qt::Key_Return);
    });
    page->Send();
    EXPECT_NE(centre.LastRequest().body.find(std::string("<CONTENTS> ") + kWords + "</CONTENTS>"), std::string::npos);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fs::exists(file); }, 3000)) << "a taken report leaves no draft";
    app->Exit();
}

TEST(DraftTest, AnOfferedDraftCanBeDroppedOrContinuedAndADamagedOneIsSetAside) {
    ScriptedCentre centre;
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    folder.StorePersons({Hong()});
    {
        // A report as long as the detail field takes, in pieces the cipher can take.
        const DraftValues longReport = {{"report.detail", std::string(2000, 'x')}, {"report.place", kPlace}};
        Environment env(folder.Folder());
        ASSERT_TRUE(DraftFile(env).Save(longReport));
        EXPECT_EQ(DraftFile(env).Load().values, longReport);
    }
    const fs::path file = folder.dir.Path() / DraftFile::kFileName;
    Prompts prompts;
    prompts.answer = 2;
    {
        centre.QueueBody(VersionReply("1.0.0.0"));
        auto app = MakeClient(folder, prompts);
        ASSERT_TRUE(app->StartUp());
        EXPECT_FALSE(fs::exists(file)) << "no: the draft is removed";
        EXPECT_EQ(Find<CXTextEdit>(app->MainWindow()->PageAt(0), "editDetail")->Cp949Text(), "");
        app->Exit();
    }

    // A half-done registration comes back on the registration page, and stays in the draft file meanwhile.
    {
        Environment env(folder.Folder());
        ASSERT_TRUE(DraftFile(env).Save({{"user.name", Cp949("김영희")}, {"user.ssn1", "850315"}}));
    }
    prompts.answer = 1;
    {
        centre.QueueBody(VersionReply("1.0.0.0"));
        auto app = MakeClient(folder, prompts);
        ASSERT_TRUE(app->StartUp());
        EXPECT_EQ(app->MainWindow()->CurrentPage(), MainDialog::kUserInformationPage);
        QWidget* page = app->MainWindow()->PageAt(MainDialog::kUserInformationPage);
        EXPECT_EQ(Find<CXEdit>(page, "editName")->Cp949Text(), Cp949("김영희"));
        EXPECT_EQ(Find<CXEdit>(page, "editSsn1")->Cp949Text(), "850315");
        app->MainWindow()->Draft().SaveNow();
        EXPECT_TRUE(app->MainWindow()->Draft().Flush());
        EXPECT_EQ(ReadDraft(folder).values["user.name"], Cp949("김영희"));
        // Back leaves the registration, and the draft file follows within its delay.
        QTest::mouseClick(Find<CXButton>(page, "btnBack"), Qt::LeftButton);
        QTest::qWait(DraftKeeper::kDelayMs + 300);
        EXPECT_TRUE(app->MainWindow()->Draft().Flush());
        EXPECT_FALSE(fs::exists(file)) << "the registration left behind stays in the draft file";
        app->Exit();
    }

    folder.dir.Write(DraftFile::kFileName, "not a draft at all");
    prompts.shown.clear();
    centre.QueueBody(VersionReply("1.0.0.0"));
    auto app = MakeClient(folder, prompts);
    ASSERT_TRUE(app->StartUp());
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{app->Env().GetText("MESSAGE", "MSG_Draft_Damaged")});
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(folder.dir.Read(DraftFile::kDamagedName), "not a draft at all");
    app->Exit();
}
