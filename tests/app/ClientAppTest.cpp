#include "client/app/PageWidget.h"
#include "client/protocol/HttpTransport.h"
#include "platform/Profile.h"
#include "skin/CXButton.h"
#include "support/RawHttpCapture.h"
#include "support/RunningClient.h"
#include "support/TestAuthority.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

class ClientAppTest : public ::testing::Test {
protected:
    std::unique_ptr<ClientApp> Start(ProgramFolder& folder) { return MakeClient(folder, prompts); }

    std::string Text(const ClientApp& app, const char* key) const {
        return const_cast<ClientApp&>(app).Env().GetText("MESSAGE", key);
    }

    ScriptedCentre centre;
    Prompts prompts;
};

TEST_F(ClientAppTest, VersionCheckMarksOnlyNewerVersionsAndAlwaysRecordsTheAnnouncedOne) {
    struct Case {
        std::string installed;
        std::string announced;
        bool pending;
    };
    const Case cases[] = {
        {"1.0.0.0", "1.0.0.1", true},   {"1.0.0.0", "1.0.0.0", false}, {"1.0.0.0", "0.9", false},
        {"", "1.0.0.0", false},         {"", "1.0.0.1", true},         {"1.0.0.10", "1.0.0.9", true},
        {"1.0.0.9", "1.0.0.10", false},
    };
    for (const Case& c : cases) {
        ProgramFolder folder(centre.Host(), c.installed);
        centre.QueueBody(VersionReply(c.announced));
        auto app = Start(folder);
        app->Transport().SetServer(app->Env().ServerHost());
        ASSERT_EQ(1, app->CheckVersion());
        EXPECT_EQ(c.pending, app->Env().UpdatePending()) << c.installed << " -> " << c.announced;
        app.reset();
        EXPECT_EQ(c.announced, folder.Setting("LAST_VERSION"));
    }
    EXPECT_EQ("StrRequest=<VESK><WORK>003</WORK></VESK>", centre.LastRequest().body);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(ClientAppTest, RefusalsAndBadRepliesShowTheCentresTextAndEndTheStart) {
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    const std::string comment = Cp949("점검 중입니다");
    centre.QueueBody("<WORK>999</WORK><COMENT>" + comment + "</COMENT><TITLE>x</TITLE>");
    centre.QueueBody("<WORK>102</WORK><TITLE>" + Cp949("잘못된 응답") + "</TITLE>");
    centre.QueueBody("<html>oops</html>");
    std::string unreachable;
    for (int i = 0; i < 3; ++i) {
        auto app = Start(folder);
        EXPECT_FALSE(app->StartUp());
        EXPECT_EQ(nullptr, app->MainWindow());
        app->Exit();
        unreachable = Text(*app, "MSG_Server_Unreachable");
    }
    ASSERT_EQ(3u, prompts.shown.size());
    EXPECT_EQ(comment, prompts.shown[0].first);
    EXPECT_EQ(Cp949("잘못된 응답"), prompts.shown[1].first);
    EXPECT_EQ(unreachable, prompts.shown[2].first) << "never an empty box";
    EXPECT_EQ("", folder.Setting("LAST_VERSION"));
}

TEST_F(ClientAppTest, AnHttpsCentreIsTrustedThroughTheNamedAuthorityAndOtherwiseSaysSo) {
    TestAuthority authority("Halvren Test Centre CA");
    const std::string reply = "HTTP/1.0 200 OK\r\n\r\n" + VersionReply("1.0.0.0");
    {
        // The system's store does not know this authority: the start ends with the message, nothing sent.
        RawHttpCapture tls(reply, authority.Issue("127.0.0.1"));
        ProgramFolder folder("https://" + tls.Host(), "1.0.0.0");
        auto app = Start(folder);
        EXPECT_FALSE(app->StartUp());
        app->Exit();
        ASSERT_EQ(1u, prompts.shown.size());
        EXPECT_EQ(Text(*app, "MSG_Server_Untrusted"), prompts.shown[0].first);
        EXPECT_NE(std::string::npos, prompts.shown[0].first.find("119"));
        EXPECT_EQ("", tls.Captured());
    }
    // "CAFILE" names it, relative to the program folder: the start goes on over TLS.
    RawHttpCapture tls(reply, authority.Issue("127.0.0.1"));
    ProgramFolder folder("https://" + tls.Host(), "1.0.0.0");
    folder.dir.Write("centre-ca.pem", authority.CertificatePem());
    ASSERT_TRUE(platform::WriteProfileString(folder.Folder() + "EnvSet.ini", "DEFAULT", "CAFILE", "centre-ca.pem"));
    auto app = Start(folder);
    EXPECT_TRUE(app->StartUp());
    app->Exit();
    EXPECT_EQ(0u, tls.Captured().find("POST /Morvane/vesk/VeskManager.jsp HTTP/1.0\r\n"));
    EXPECT_EQ(1u, prompts.shown.size());
}

TEST_F(ClientAppTest, ASecondInstanceShowsItsMessageAndLeavesTheFirstAlone) {
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    centre.QueueBody(VersionReply("1.0.0.0"));
    auto first = Start(folder);
    ASSERT_TRUE(first->StartUp());
    const size_t requests = centre.RequestCount();

    auto second = Start(folder);
    EXPECT_FALSE(second->StartUp());
    second->Exit();
    second.reset();
    ASSERT_EQ(1u, prompts.shown.size());
    EXPECT_EQ(Text(*first, "MSG_ProgramExcuted"), prompts.shown[0].first);
    EXPECT_FALSE(prompts.shown[0].first.empty());
    EXPECT_EQ(requests, centre.RequestCount()) << "the second instance asks the centre nothing";
    EXPECT_TRUE(first->MainWindow()->isVisible());

    first->Exit();
    auto third = Start(folder);
    centre.QueueBody(VersionReply("1.0.0.0"));
    EXPECT_TRUE(third->StartUp()) << "the lock goes with the first instance";
}

TEST_F(ClientAppTest, WithoutTheCipherLibraryTheClientEndsAndTouchesNothing) {
    ProgramFolder folder(centre.Host(), "1.0.0.0", /*withLibrary=*/false);
    folder.dir.Write("Person.std", "old persons");
    const std::string settings = folder.dir.Read("EnvSet.ini");
    auto app = Start(folder);
    EXPECT_FALSE(app->StartUp());
    app->Exit();
    app.reset();
    EXPECT_EQ(0u, centre.RequestCount());
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ("old persons", folder.dir.Read("Person.std"));
    EXPECT_EQ(settings, folder.dir.Read("EnvSet.ini"));
}

TEST_F(ClientAppTest, AnUnreachableCentreEndsTheStartWithItsMessageWithinTheTimeLimit) {
    ProgramFolder folder("127.0.0.1:1", "1.0.0.0");
    auto app = Start(folder);
    const auto began = std::chrono::steady_clock::now();
    EXPECT_FALSE(app->StartUp());
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
    EXPECT_EQ(nullptr, app->MainWindow());
    ASSERT_EQ(1u, prompts.shown.size());
    EXPECT_EQ(Text(*app, "MSG_Server_Unreachable"), prompts.shown[0].first);
    EXPECT_FALSE(prompts.shown[0].first.empty());
    EXPECT_EQ(0, prompts.shown[0].second) << "a notice, not a question";
}

struct Expected {
    bool report;
    bool user;
    bool history;
    std::string step;
};

void ExpectPage(MainDialog& window, int page, const Expected& expected) {
    EXPECT_EQ(page, window.CurrentPage());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(i == page, window.PageAt(i)->isVisible()) << "page " << i;
    }
    EXPECT_EQ(expected.report, window.ButtonAt(MainDialog::kReport)->isVisible()) << "page " << page;
    EXPECT_EQ(expected.user, window.ButtonAt(MainDialog::kUser)->isVisible()) << "page " << page;
    EXPECT_EQ(expected.history, window.ButtonAt(MainDialog::kHistory)->isVisible()) << "page " << page;
    EXPECT_EQ(expected.step, window.StepPictureName());
    for (auto always : {MainDialog::kHelp, MainDialog::kEnd, MainDialog::kMinimise, MainDialog::kClose}) {
        EXPECT_TRUE(window.ButtonAt(always)->isVisible());
    }
}

TEST_F(ClientAppTest, WithoutPersonsOnlyTheUserPagesCanBeReached) {
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    centre.QueueBody(VersionReply("1.0.0.0"));
    auto app = Start(folder);
    ASSERT_TRUE(app->StartUp());
    MainDialog& window = *app->MainWindow();
    EXPECT_EQ(QSize(1024, 750), window.size());
    EXPECT_EQ(QGuiApplication::primaryScreen()->availableGeometry().center(), window.geometry().center());
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ("http://" + centre.Host() + "/Morvane/vesk/Help/help.jsp", window.HelpAddress());
    ExpectPage(window, 1, {false, false, false, "left_Step_registUser.bmp"});

    app->ChangePage(0);
    ExpectPage(window, 1, {false, false, false, "left_Step_registUser.bmp"});
    app->ChangePage(3);
    ExpectPage(window, 1, {false, false, false, "left_Step_registUser.bmp"});
    app->ChangePage(2);
    ExpectPage(window, 2, {false, false, false, "left_Step_registUser.bmp"});
    app->Env().Selection().SelectPerson("8001011234560");
    app->ChangePage(1);
    app->ChangePage(2);
    ExpectPage(window, 2, {false, false, false, "left_Step_modifyUser.bmp"});
    EXPECT_TRUE(prompts.shown.empty()) << "no update is pending, so nothing is asked";
}

// The help page goes to the browser the user chose; one that fails to start is said, with the address.
TEST_F(ClientAppTest, AHelpPageThatCannotBeOpenedIsSaidWithItsAddress) {
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    centre.QueueBody(VersionReply("1.0.0.0"));
    auto app = Start(folder);
    ASSERT_TRUE(app->StartUp());
    MainDialog& window = *app->MainWindow();
    const char* before = std::getenv("BROWSER");
    const std::string kept = before ? before : "";
    for (const char* browser : {"/bin/false", "/nonexistent/browser", "no-such-browser-here"}) {
        setenv("BROWSER", browser, 1);
        prompts.shown.clear();
        QTest::mouseClick(window.ButtonAt(MainDialog::kHelp), Qt::LeftButton);
        ASSERT_EQ(1u, prompts.shown.size()) << browser;
        EXPECT_EQ(Text(*app, "MSG_Help_OpenFailure") + "\n" + window.HelpAddress(), prompts.shown[0].first);
    }
    setenv("BROWSER", "/bin/true", 1);
    prompts.shown.clear();
    QTest::mouseClick(window.ButtonAt(MainDialog::kHelp), Qt::LeftButton);
    EXPECT_TRUE(prompts.shown.empty()) << "an opened page needs no message";
    before ? setenv("BROWSER", kept.c_str(), 1) : unsetenv("BROWSER");
}

TEST_F(ClientAppTest, WithPersonsTheReportPageOpensAndTheMenuFollowsThePage) {
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    folder.StorePersons(2);
    centre.QueueBody(VersionReply("1.0.0.0"));
    auto app = Start(folder);
    ASSERT_TRUE(app->StartUp());
    MainDialog& window = *app->MainWindow();
    ExpectPage(window, 0, {false, true, true, "left_Step_SendCall.bmp"});

    QTest::mouseClick(window.ButtonAt(MainDialog::kHistory), Qt::LeftButton);
    ExpectPage(window, 3, {true, true, false, "left_Step_history.bmp"});
    QTest::mouseClick(window.ButtonAt(MainDialog::kUser), Qt::LeftButton);
    ExpectPage(window, 1, {true, false, true, "left_Step_selectUser.bmp"});
    QTest::mouseClick(window.ButtonAt(MainDialog::kReport), Qt::LeftButton);
    ExpectPage(window, 0, {false, true, true, "left_Step_SendCall.bmp"});
    // The report page has selected its first person: the user information page opens that person to edit.
    app->ChangePage(2);
    ExpectPage(window, 2, {false, false, false, "left_Step_modifyUser.bmp"});
    app->ChangePage(3);
    ExpectPage(window, 3, {true, true, false, "left_Step_history.bmp"});
    app->ChangePage(7); // not a page: nothing happens
    EXPECT_EQ(3, window.CurrentPage());
}

TEST_F(ClientAppTest, APendingUpdateIsOfferedAtStartWithoutPersonsAndAgreeingStartsTheUpdater) {
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    const fs::path marker = folder.InstallUpdater();
    centre.QueueBody(VersionReply("1.0.0.1"));
    prompts.answer = 1;
    auto app = Start(folder);
    EXPECT_FALSE(app->StartUp()) << "agreeing closes the window at once";
    ASSERT_EQ(1u, prompts.shown.size());
    EXPECT_EQ(Text(*app, "MSG_ProgramUpdate"), prompts.shown[0].first);
    EXPECT_EQ(1, prompts.shown[0].second) << "asked as a yes/no question";
    app->Exit();
    bool ran = false;
    for (int i = 0; i < 500 && !ran; ++i) {
        ran = fs::exists(marker);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(ran);
}

TEST_F(ClientAppTest, WithPersonsTheUpdateIsOfferedOnEndAndARefusalIsNotAskedAgain) {
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    folder.StorePersons(1);
    const fs::path marker = folder.InstallUpdater();
    centre.QueueBody(VersionReply("2.0"));
    auto app = Start(folder);
    ASSERT_TRUE(app->StartUp());
    EXPECT_TRUE(prompts.shown.empty()) << "with persons nothing is asked at start";
    MainDialog& window = *app->MainWindow();
    centre.QueueBody("<VESK><WORK>115</WORK><CALLINFO></CALLINFO></VESK>"); // the history page asks
    QTest::mouseClick(window.ButtonAt(MainDialog::kHistory), Qt::LeftButton);
    EXPECT_TRUE(prompts.shown.empty());

    QTest::mouseClick(window.ButtonAt(MainDialog::kEnd), Qt::LeftButton);
    EXPECT_EQ(1u, prompts.shown.size());
    EXPECT_FALSE(window.isVisible()) << "the window closes whatever the answer";
    EXPECT_FALSE(app->Env().UpdatePending());
    window.show();
    QTest::mouseClick(window.ButtonAt(MainDialog::kClose), Qt::LeftButton);
    EXPECT_EQ(1u, prompts.shown.size()) << "refused once, not asked again";
    app->Exit();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(marker));
}

TEST_F(ClientAppTest, KeyboardNeverClosesTheWindowAndEnterPressesTheFocusedButton) {
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    folder.StorePersons(1);
    centre.QueueBody(VersionReply("1.0.0.0"));
    auto app = Start(folder);
    ASSERT_TRUE(app->StartUp());
    MainDialog& window = *app->MainWindow();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    CXButton* end = window.ButtonAt(MainDialog::kEnd);
    end->setFocus();
    QTest::keyClick(end, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    QWidget* first = window.PageAt(0)->findChild<QWidget*>("tabPerson0");
    EXPECT_EQ(first, window.focusWidget()) << "Escape moves the focus to the page's first control";

    end->setFocus();
    QTest::keyClick(end, Qt::Key_Tab);
    EXPECT_EQ(window.ButtonAt(MainDialog::kMinimise), window.focusWidget()) << "Tab from the end goes round";
    QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
    QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(first, window.focusWidget()) << "and past the title bar's buttons into the page";

    CXButton* history = window.ButtonAt(MainDialog::kHistory);
    history->setFocus();
    centre.QueueBody("<VESK><WORK>115</WORK><CALLINFO></CALLINFO></VESK>"); // the history page asks
    QTest::keyClick(history, Qt::Key_Return);
    EXPECT_EQ(3, window.CurrentPage());
    EXPECT_TRUE(window.PageAt(3)->isAncestorOf(window.focusWidget()))
        << "the hidden button's focus goes to the page, lighting no other";

    CXButton* minimise = window.ButtonAt(MainDialog::kMinimise);
    minimise->setFocus();
    QTest::keyClick(minimise, Qt::Key_Return);
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(ClientAppTest, TheAboutBoxNamesTheProgramAndTheInstalledVersion) {
    // An update records the version it installed; the About box of the next start names it.
    ProgramFolder folder(centre.Host(), "1.0.0.7");
    centre.QueueBody(VersionReply("1.0.0.7"));
    auto app = Start(folder);
    ASSERT_TRUE(app->StartUp());
    QString title;
    QString version;
    QTimer::singleShot(0, [&] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(nullptr, about);
        title = about->windowTitle();
        version = about->findChild<QLabel*>("aboutVersion")->text();
        QTest::mouseClick(about->findChild<QPushButton*>("aboutOk"), Qt::LeftButton);
    });
    app->MainWindow()->ShowAbout();
    EXPECT_EQ(QStringLiteral("Halvren 정보"), title);
    EXPECT_EQ(QStringLiteral("Halvren Version 1.0.0.7"), version);
    EXPECT_TRUE(app->MainWindow()->isVisible());
}

// The real message box: Escape answers "not confirmed" in both modes; the yes button agrees.
TEST_F(ClientAppTest, PromptsGoThroughTheMessageBox) {
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    auto app = Start(folder);
    app->SetPrompter({});
    auto pressLater = [](Qt::Key key) {
        QTimer::singleShot(0, [key] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(nullptr, box);
            QTest::keyClick(box, key);
        });
    };
    pressLater(Qt::Key_Escape);
    EXPECT_EQ(0, app->ShowMessage(Cp949("확인해 주십시오")));
    pressLater(Qt::Key_Escape);
    EXPECT_EQ(0, app->ShowQuestion(Cp949("계속할까요?")));
    pressLater(Qt::Key_Return); // the focus starts on the no button
    EXPECT_EQ(0, app->ShowQuestion(Cp949("계속할까요?")));
    QTimer::singleShot(0, [] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(nullptr, box);
        QWidget* yes = box->findChild<QWidget*>("msgBoxYes");
        ASSERT_NE(nullptr, yes);
        QTest::mouseClick(yes, Qt::LeftButton);
    });
    EXPECT_EQ(1, app->ShowQuestion(Cp949("계속할까요?")));
}

} // namespace
