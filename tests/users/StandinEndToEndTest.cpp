// The person pages against the real centre stand-in, started as its own process: what a new user does first.
#include "client/dialogs/CDlgZip.h"
#include "client/users/CDlg_SelectUser.h"
#include "skin/CXButton.h"
#include "skin/CXEdit.h"
#include "skin/CXListCtrl.h"
#include "support/CentreProcess.h"
#include "support/RunningClient.h"
#include "users/PageInput.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <thread>

namespace {

// Types the identity and the address; the postal code comes from a search for `neighbourhood`.
std::string Register(MainDialog& window, const QString& name, const char* front, const char* back) {
    QWidget* page = window.PageAt(2);
    Type(Child(page, "editName"), name);
    Type(Child(page, "editSsn1"), front);
    Type(Child(page, "editSsn2"), back);
    std::string chosen;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CDlgZip*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, dialog);
        Type(Child(dialog, "editDong"), QStringLiteral("사직동"));
        QTest::keyClick(Child(dialog, "editDong"), Qt::Key_Return);
        auto* list = Child<CXListCtrl>(dialog, "listZip");
        EXPECT_GT(list->rowCount(), 1);
        chosen = list->GetItemText(0, 2).toStdString();
        QTest::keyClick(list, Qt::Key_Return);
    });
    QTest::mouseClick(Child(page, "btnZip"), Qt::LeftButton);
    Type(Child(page, "editAddr2"), QStringLiteral("1번지"));
    QTest::mouseClick(Child(page, "btnSave"), Qt::LeftButton);
    return chosen;
}

TEST(StandinEndToEnd, ANewUserRegistersAResidentWhoIsThereAfterARestartAndAWrongNameIsRefused) {
    CentreProcess centre;
    ASSERT_TRUE(centre.Running()) << centre.Log();
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    Prompts prompts;
    prompts.answer = 2;
    std::string zip;
    {
        auto app = MakeClient(folder, prompts, 10000);
        ASSERT_TRUE(app->StartUp());
        MainDialog& window = *app->MainWindow();
        auto& selection = *static_cast<CDlg_SelectUser*>(window.PageAt(1));
        ASSERT_TRUE(selection.RegistButton()->isVisible());
        QTest::mouseClick(selection.RegistButton(), Qt::LeftButton);
        zip = Register(window, QStringLiteral("홍길동"), "800101", "1234567");
        EXPECT_EQ(std::vector<std::string>{app->Env().GetText("MESSAGE", "MSG_UserRegist_Continue")}, prompts.Texts());
        EXPECT_EQ(0, window.CurrentPage()) << "registered, on to the report page";
        app->Exit();
    }
    auto app = MakeClient(folder, prompts, 10000);
    ASSERT_TRUE(app->StartUp());
    Environment& env = app->Env();
    ASSERT_EQ(1, env.PersonCount());
    const Person& person = **env.PersonMap().Find("8001011234567");
    EXPECT_EQ(Cp949("홍길동"), person.Name);
    EXPECT_EQ(zip, person.Zip);
    EXPECT_EQ(6u, person.Zip.size());
    app->ChangePage(1);
    auto& selection = *static_cast<CDlg_SelectUser*>(app->MainWindow()->PageAt(1));
    EXPECT_EQ(QStringLiteral("홍길동"), selection.PersonButton(0)->text());

    // Another resident's number with a name that is not theirs.
    QTest::mouseClick(selection.AddPersonButton(), Qt::LeftButton);
    Register(*app->MainWindow(), QStringLiteral("김철수"), "850315", "2345678");
    EXPECT_EQ(env.GetText("MESSAGE", "MSG_RealName_Mismatch"), prompts.shown.back().first);
    EXPECT_EQ(1, env.PersonCount());
    EXPECT_EQ(1, Environment(folder.Folder()).PersonCount());
    app->Exit();
}

} // namespace
