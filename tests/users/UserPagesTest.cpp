// The person pages of a started client, driven through their real widgets against the scripted centre, with
// the real cipher library and person file.
#include "client/app/MainDialog.h"
#include "client/dialogs/CDlgZip.h"
#include "client/users/CDlg_SelectUser.h"
#include "client/users/CDlg_UserInformation.h"
#include "skin/CXBalloonTip.h"
#include "skin/CXButton.h"
#include "skin/CXEdit.h"
#include "skin/CXListCtrl.h"
#include "skin/CXTextEdit.h"
#include "skin/UiText.h"
#include "support/RunningClient.h"
#include "users/PageInput.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QTest>
#include <QTimer>

namespace fs = std::filesystem;

namespace {

const std::string kNumber = "8001011234567";

Person MakePerson(const std::string& ssn, const char* name) {
    Person p;
    p.Ssn = ssn;
    p.Name = Cp949(name);
    p.Zip = "111070";
    p.Addr1 = Cp949("서울특별시 종로구 사직동");
    p.Addr2 = "12";
    p.Tel1 = "02";
    return p;
}

std::string CheckReply(const std::string& result) {
    return "<VESK><WORK>104</WORK><CHECKRESULT>" + result + "</CHECKRESULT></VESK>";
}

class UserPagesTest : public ::testing::Test {
protected:
    void Start(const std::vector<Person>& persons = {}) {
        client.reset();
        client = std::make_unique<RunningClient>(centre, persons);
        ASSERT_TRUE(client->started);
        QApplication::setActiveWindow(&client->Window());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&client->Window()));
    }
    CDlg_SelectUser& Selection() { return *static_cast<CDlg_SelectUser*>(client->Window().PageAt(1)); }
    CDlg_UserInformation& Info() { return *static_cast<CDlg_UserInformation*>(client->Window().PageAt(2)); }
    CXEdit* Edit(const char* name) { return Child<CXEdit>(&Info(), name); }
    void Press(const char* name) { QTest::mouseClick(Child<QWidget>(&Info(), name), Qt::LeftButton); }

    // Opens the information page for a new person, or for the stored person under `key`.
    void Open(const std::string& key = {}) {
        client->Env().Selection().SelectPerson(key);
        client->app->ChangePage(1);
        client->app->ChangePage(2);
    }
    // Fills the page as the user would; the postal code as the search leaves it.
    void Fill(const QString& name, const QString& front, const QString& back) {
        for (auto [field, text] : {std::pair{"editName", name}, {"editSsn1", front}, {"editSsn2", back}}) {
            Edit(field)->clear();
            Type(Edit(field), text);
        }
        Edit("editZip")->SetCp949Text("111 - 070");
        Edit("editAddr1")->SetCp949Text(Cp949("서울특별시 종로구 사직동"));
        Edit("editAddr2")->setText(QStringLiteral("1동 <2호>"));
    }
    std::string LastShown() const { return client->prompts.shown.empty() ? "" : client->prompts.shown.back().first; }
    const Person* Stored(const std::string& key) {
        auto* entry = client->Env().PersonMap().Find(key);
        return entry ? entry->get() : nullptr;
    }

    ScriptedCentre centre;
    std::unique_ptr<RunningClient> client;
};

TEST_F(UserPagesTest, InputCheckStopsAtTheFirstFailureAndMovesTheFocus) {
    Start({MakePerson(kNumber, "홍길동")});
    Open();
    struct Row {
        QString name, front, back;
        bool zip, addr2;
        const char* message;
        const char* focus;
    };
    const Row rows[] = {
        {"", "800101", "1234567", true, true, "MSG_InputCheck_Name", "editName"},
        {"김", "80010", "1234567", true, true, "MSG_InputCheck_SSN", "editSsn1"},
        {"김", "800101", "123456", true, true, "MSG_InputCheck_SSN", "editSsn2"},
        {"김", "800101", "1234567", true, true, "MSG_SSNCheck_Registed", "editSsn1"},
        {"김", "800101", "7654321", false, true, "MSG_InputCheck_Zip", "btnZip"},
        {"김", "800101", "7654321", true, false, "MSG_InputCheck_Address", "editAddr2"},
    };
    const size_t requests = centre.RequestCount();
    for (const Row& row : rows) {
        Fill(row.name, row.front, row.back);
        if (!row.zip) {
            Edit("editZip")->clear();
        }
        if (!row.addr2) {
            Edit("editAddr2")->clear();
        }
        Press("btnSave");
        EXPECT_EQ(client->Text(row.message), LastShown()) << row.message;
        EXPECT_EQ(QLatin1String(row.focus), client->Window().focusWidget()->objectName()) << row.message;
    }
    EXPECT_EQ(requests, centre.RequestCount()) << "no check asked before the input is complete";
    EXPECT_EQ(1, client->Env().PersonCount());
}

TEST_F(UserPagesTest, RegisteringSendsTheEncipheredNumberAndStoresThePerson) {
    Start();
    Open();
    EXPECT_EQ(1, Info().RegisterMode());
    EXPECT_FALSE(Child<QWidget>(&Info(), "btnDelete")->isVisible());
    EXPECT_EQ(Edit("editName"), client->Window().focusWidget());
    Fill(QStringLiteral(" 홍<길>동 "), "800101", "1234567");
    Child<QComboBox>(&Info(), "comboTel1")->setCurrentIndex(16);
    Child<QComboBox>(&Info(), "comboCell1")->setCurrentIndex(1);
    Child<CXTextEdit>(&Info(), "editCaseNote")->setPlainText(QStringLiteral("<당뇨>\n인슐린"));
    centre.QueueBody(CheckReply(" 1 "));
    client->prompts.answer = 2;
    Press("btnSave");

    const std::string body = centre.LastRequest().body;
    const std::string enciphered = client->Env().EncryptText(kNumber).value();
    EXPECT_EQ("StrRequest=<VESK><WORK>004</WORK><NAME> " + Cp949("홍<길>동") + "</NAME><SSN> " + enciphered +
                  "</SSN></VESK>",
              body);
    EXPECT_EQ(std::string::npos, body.find(kNumber)) << "the plain number never travels";
    EXPECT_EQ(client->Text("MSG_UserRegist_Continue"), LastShown());
    EXPECT_EQ(0, client->Window().CurrentPage()) << "not going on with registration leads to the report page";

    // What the next start reads back from the file.
    Environment next(client->folder.Folder());
    ASSERT_EQ(1, next.PersonCount());
    const Person& p = **next.PersonMap().Find(kNumber);
    EXPECT_EQ(Cp949(" 홍<길>동 "), p.Name) << "the name is kept as typed";
    EXPECT_EQ("111070", p.Zip);
    EXPECT_EQ(Cp949("1동 [2호]"), p.Addr2);
    EXPECT_EQ(Cp949("[당뇨]\r\n인슐린"), p.CaseNote);
    EXPECT_EQ("064", p.Tel1);
    EXPECT_EQ("010", p.Cell1);
}

TEST_F(UserPagesTest, ARefusedCheckEmptiesTheIdentityOrBringsBackTheStoredPerson) {
    Start({MakePerson(kNumber, "홍길동")});
    Open();
    struct Case {
        std::string reply;
        std::string shown;
    };
    const std::string comment = Cp949("점검 중입니다");
    const Case cases[] = {
        {CheckReply("3"), client->Text("MSG_RealName_Mismatch")},
        {CheckReply("0"), client->Text("MSG_RealName_SystemError")},
        {CheckReply(""), client->Text("MSG_RealName_SystemError")},
        {CheckReply("999"), client->Text("MSG_RealName_SystemError")},
        {"<WORK>999</WORK><COMENT>" + comment + "</COMENT>", comment},
        {"<html>busy</html>", client->Text("MSG_Server_NoAnswer")},
    };
    for (const Case& c : cases) {
        Fill(QStringLiteral("김영희"), "850315", "2345678");
        centre.QueueBody(c.reply);
        Press("btnSave");
        EXPECT_EQ(c.shown, LastShown());
        EXPECT_EQ(QString(), Edit("editName")->text() + Edit("editSsn1")->text() + Edit("editSsn2")->text());
        EXPECT_EQ(QStringLiteral("1동 <2호>"), Edit("editAddr2")->text()) << "the rest of the input stays";
    }
    EXPECT_EQ(1, client->Env().PersonCount());

    // Editing: a refusal shows the stored person again, discarding the edits.
    Open(kNumber);
    EXPECT_EQ(0, Info().RegisterMode());
    Edit("editName")->setText(QStringLiteral("홍길순"));
    Edit("editAddr2")->setText(QStringLiteral("바뀐 주소"));
    centre.QueueBody(CheckReply("2"));
    Press("btnSave");
    EXPECT_EQ(QStringLiteral("홍길동"), Edit("editName")->text());
    EXPECT_EQ(QStringLiteral("12"), Edit("editAddr2")->text());
    EXPECT_EQ(QStringLiteral("111 - 070"), Edit("editZip")->text());
    EXPECT_EQ(Cp949("홍길동"), Stored(kNumber)->Name);
}

// A number typed or pasted in one go fills both parts; the focus follows the digits.
TEST_F(UserPagesTest, AWholeNumberTypedInOneGoFillsBothParts) {
    Start();
    Open();
    Type(Edit("editSsn1"), QStringLiteral("8001011234567"));
    QApplication::processEvents();
    EXPECT_EQ(Edit("editSsn1")->text(), QStringLiteral("800101"));
    EXPECT_EQ(Edit("editSsn2")->text(), QStringLiteral("1234567"));
    EXPECT_EQ(QApplication::focusWidget(), Edit("editSsn2"));

    Edit("editSsn1")->clear();
    Edit("editSsn2")->clear();
    Edit("editSsn1")->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("8503152345678"));
    QTest::keySequence(Edit("editSsn1"), QKeySequence::Paste);
    QApplication::processEvents();
    EXPECT_EQ(Edit("editSsn1")->text(), QStringLiteral("850315"));
    EXPECT_EQ(Edit("editSsn2")->text(), QStringLiteral("2345678"));
}

// A registration or an edit under way survives window events, and ending the program asks before losing it.
TEST_F(UserPagesTest, UnsavedInputSurvivesWindowEventsAndEndingAsksFirst) {
    Start({MakePerson(kNumber, "홍길동")});
    Open();
    Fill(QStringLiteral("김영희"), QStringLiteral("850315"), QStringLiteral("2345678"));
    MainDialog& window = client->Window();
    window.showMinimized();
    QApplication::processEvents();
    window.showNormal();
    window.hide();
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(Edit("editName")->text(), QStringLiteral("김영희"));
    EXPECT_EQ(Edit("editSsn2")->text(), QStringLiteral("2345678"));

    const std::string question = client->Text("MSG_Exit_Unsaved");
    client->prompts.answer = 2; // stay
    QTest::mouseClick(window.ButtonAt(MainDialog::kEnd), Qt::LeftButton);
    EXPECT_EQ(LastShown(), question);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(Edit("editName")->text(), QStringLiteral("김영희"));
    QCloseEvent close;
    QApplication::sendEvent(&window, &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_TRUE(window.isVisible());

    // An edit of a stored person asks too; with nothing changed the program ends at once.
    Open(kNumber);
    Edit("editAddr2")->setText(QStringLiteral("34"));
    client->prompts.shown.clear();
    QTest::mouseClick(window.ButtonAt(MainDialog::kEnd), Qt::LeftButton);
    EXPECT_EQ(LastShown(), question);
    Edit("editAddr2")->setText(QStringLiteral("12"));
    client->prompts.shown.clear();
    QTest::mouseClick(window.ButtonAt(MainDialog::kEnd), Qt::LeftButton);
    EXPECT_TRUE(client->prompts.shown.empty());
    EXPECT_FALSE(window.isVisible());
}

TEST_F(UserPagesTest, EditingKeepsTheIdentityWithoutAskingAndANewNumberMovesThePerson) {
    const std::string other = "8503152345678";
    Start({MakePerson(kNumber, "홍길동"), MakePerson(other, "김영희")});
    Open(kNumber);
    const size_t requests = centre.RequestCount();
    Edit("editName")->setText(QStringLiteral("홍길동 "));
    Edit("editAddr2")->setText(QStringLiteral("3층"));
    client->prompts.answer = 1;
    Press("btnSave");
    EXPECT_EQ(requests, centre.RequestCount()) << "same trimmed name, same number: nothing to check";
    EXPECT_EQ(Cp949("3층"), Stored(kNumber)->Addr2);
    EXPECT_EQ(1, client->Window().CurrentPage()) << "going on leads to the selection page";

    // Another stored person's number is refused before any request.
    Open(kNumber);
    Edit("editSsn1")->setText("850315");
    Edit("editSsn2")->setText("2345678");
    Press("btnSave");
    EXPECT_EQ(client->Text("MSG_SSNCheck_Registed"), LastShown());
    EXPECT_EQ(requests, centre.RequestCount());

    // A new number is checked, and the person is filed under it at once.
    Edit("editSsn2")->setText("1234568");
    Edit("editSsn1")->setText("800101");
    centre.QueueBody(CheckReply("1"));
    Press("btnSave");
    EXPECT_EQ(requests + 1, centre.RequestCount());
    EXPECT_EQ(nullptr, Stored(kNumber));
    ASSERT_NE(nullptr, Stored("8001011234568"));
    EXPECT_EQ("8001011234568", client->Env().Selection().SelectedPersonKey());
    EXPECT_EQ(2, Environment(client->folder.Folder()).PersonCount());
}

TEST_F(UserPagesTest, NeverAFifthPersonAndAFailedSaveLeavesNoGhost) {
    std::vector<Person> four;
    for (int i = 0; i < 4; ++i) {
        four.push_back(MakePerson("800101123456" + std::to_string(i), "홍길동"));
    }
    Start(four);
    client->app->ChangePage(1);
    QTest::mouseClick(Selection().AddPersonButton(), Qt::LeftButton);
    EXPECT_EQ(client->Text("MSG_UserRegist_Full"), LastShown());
    EXPECT_EQ(1, client->Window().CurrentPage());
    Open();
    Fill(QStringLiteral("김영희"), "850315", "2345678");
    Press("btnSave");
    EXPECT_EQ(client->Text("MSG_UserRegist_Full"), LastShown());
    EXPECT_EQ(4, client->Env().PersonCount());

    // A file that cannot be replaced: the new person goes again, and the next try is not "already registered".
    const fs::path file = client->folder.dir.Path() / "Person.std";
    client->Env().PersonMap().Remove("8001011234563");
    fs::remove(file);
    fs::create_directories(file / "blocked");
    for (int attempt = 0; attempt < 2; ++attempt) {
        Fill(QStringLiteral("김영희"), "850315", "2345678");
        centre.QueueBody(CheckReply("1"));
        Press("btnSave");
        EXPECT_EQ(client->Text("MSG_UserRegist_Failure"), LastShown());
        EXPECT_EQ(3, client->Env().PersonCount());
        EXPECT_EQ(nullptr, Stored("8503152345678"));
    }
}

TEST_F(UserPagesTest, ABalloonTipNeverCoversAFieldAndGoesWhenTypingStarts) {
    Start();
    Open();
    CXBalloonTip* tip = Info().ToolTip();
    std::vector<QWidget*> inputs;
    for (QWidget* w : Info().findChildren<QWidget*>()) {
        const auto* edit = qobject_cast<CXEdit*>(w);
        if ((edit && !edit->isReadOnly()) || qobject_cast<QComboBox*>(w) || qobject_cast<CXTextEdit*>(w)) {
            inputs.push_back(w);
        }
    }
    // Where tips were seen over the next field: the detailed address over the phones, the mobile number over
    // its last part, the notes over themselves.
    for (const char* name : {"editAddr2", "editCell2", "editCell3", "editCaseNote"}) {
        auto* field = Child<QWidget>(&Info(), name);
        QTest::mouseMove(field, QPoint(10, 10));
        QTest::mouseMove(field, QPoint(12, 12));
        ASSERT_TRUE(QTest::qWaitFor([&] { return tip->isVisible(); }, 2000)) << name;
        for (QWidget* input : inputs) {
            EXPECT_FALSE(QRect(input->mapToGlobal(QPoint(0, 0)), input->size()).intersects(tip->geometry()))
                << "the tip of " << name << " covers " << input->objectName().toStdString();
        }
        field->setFocus();
        QTest::keyClick(field, Qt::Key_1);
        EXPECT_FALSE(tip->isVisible()) << name;
    }
}

TEST_F(UserPagesTest, AnEditThatCannotBeSavedLeavesThePersonAsStoredAndThePageAsTyped) {
    Start(
        {MakePerson(kNumber, "홍길동"), MakePerson("8503152345678", "김영희"), MakePerson("9001011234560", "이민준")});
    Environment& env = client->Env();
    auto keys = [&] {
        std::vector<std::string> order;
        for (const auto& entry : env.PersonMap()) {
            order.push_back(entry.key);
        }
        return order;
    };
    const std::vector<std::string> before = keys();
    Open(kNumber);
    const fs::path file = client->folder.dir.Path() / "Person.std";
    fs::remove(file);
    fs::create_directories(file / "blocked");
    Fill(QStringLiteral("박철수"), "800101", "1234568");
    centre.QueueBody(CheckReply("1"));
    Press("btnSave");
    EXPECT_EQ(client->Text("MSG_UserRegist_Failure"), LastShown());

    // Both halves of every person agree, under its old key and in its old place.
    EXPECT_EQ(before, keys());
    EXPECT_EQ(kNumber, env.Selection().SelectedPersonKey());
    for (const auto& entry : env.PersonMap()) {
        EXPECT_EQ(entry.key, entry.value->Ssn);
        for (int f = 0; f < Person::kFieldCount; ++f) {
            const auto field = static_cast<Person::Field>(f);
            EXPECT_EQ(entry.value->Plain(field), env.DecryptText(entry.value->Stored(field))) << entry.key << " " << f;
        }
    }
    EXPECT_EQ(Cp949("홍길동"), Stored(kNumber)->Name);
    EXPECT_EQ(QStringLiteral("박철수"), Edit("editName")->text()) << "what was typed stays on the page";

    // Once the file can be written, the same press stores the edit.
    fs::remove_all(file);
    centre.QueueBody(CheckReply("1"));
    client->prompts.answer = 1;
    Press("btnSave");
    ASSERT_NE(nullptr, Stored("8001011234568"));
    EXPECT_EQ(env.EncryptText("8001011234568").value(), Stored("8001011234568")->StoredSsn());
    EXPECT_EQ(nullptr, Stored(kNumber));
}

TEST_F(UserPagesTest, DeletingAsksSavesAndKeepsTheChangeWhenTheFileCannotBeWritten) {
    Start({MakePerson(kNumber, "홍길동"), MakePerson("8503152345678", "김영희")});
    Open(kNumber);
    client->prompts.answer = 2;
    Press("btnDelete");
    EXPECT_EQ(2, client->Env().PersonCount()) << "not confirmed, nothing deleted";

    const fs::path file = client->folder.dir.Path() / "Person.std";
    fs::remove(file);
    fs::create_directories(file / "blocked");
    client->prompts.answer = 1;
    Press("btnDelete");
    EXPECT_EQ(client->Text("MSG_File_SaveError"), LastShown());
    EXPECT_EQ(1, client->Env().PersonCount()) << "the change stays in memory";
    EXPECT_EQ(2, client->Window().CurrentPage());
    EXPECT_FALSE(Child<QWidget>(&Info(), "btnDelete")->isVisible());

    fs::remove_all(file);
    Open("8503152345678");
    Press("btnDelete");
    EXPECT_EQ(client->Text("MSG_UserDelete_Deleted"), LastShown());
    EXPECT_EQ(0u, fs::file_size(file));
    EXPECT_EQ(1, client->Window().CurrentPage());
    EXPECT_TRUE(Selection().RegistButton()->isVisible()) << "nobody left: registration is offered";
    EXPECT_EQ("UserRegist_title.bmp", Selection().TitlePictureName());
}

TEST_F(UserPagesTest, SelectionPageLaysOutThePersonsAndOpensThem) {
    const std::vector<std::vector<int>> expected = {{}, {235}, {235, 331}, {139, 235, 331}, {139, 235, 331, 427}};
    for (const std::vector<int>& ys : expected) {
        std::vector<Person> persons;
        for (size_t i = 0; i < ys.size(); ++i) {
            persons.push_back(MakePerson("900101123456" + std::to_string(i), "이민준"));
        }
        Start(persons);
        client->app->ChangePage(1);
        CDlg_SelectUser& page = Selection();
        for (int i = 0; i < CDlg_SelectUser::kPersonButtons; ++i) {
            CXButton* button = page.PersonButton(i);
            const bool shown = static_cast<size_t>(i) < ys.size();
            ASSERT_EQ(shown, button->isVisible()) << ys.size() << " persons, button " << i;
            if (shown) {
                EXPECT_EQ(QPoint(290, ys[static_cast<size_t>(i)]), button->pos());
                EXPECT_EQ(ToUi(Stored(page.PersonKey(i))->Name), button->text());
            }
        }
        const bool none = ys.empty();
        EXPECT_EQ(none, page.RegistButton()->isVisible());
        EXPECT_EQ(!none, page.AddPersonButton()->isVisible());
        EXPECT_EQ(none ? "UserRegist_title.bmp" : "UserSelect_title.bmp", page.TitlePictureName());
        const QColor panel = page.grab().toImage().pixelColor(160, 120);
        EXPECT_EQ(none ? QColor(224, 240, 246) : QColor(Qt::white), panel);
    }

    // Return on the focused second person opens it for editing.
    CXButton* second = Selection().PersonButton(1);
    second->setFocus();
    QTest::keyClick(second, Qt::Key_Return);
    EXPECT_EQ(2, client->Window().CurrentPage());
    EXPECT_EQ(0, Info().RegisterMode());
    EXPECT_EQ(Selection().PersonKey(1), client->Env().Selection().SelectedPersonKey());
    EXPECT_EQ(second->text(), Edit("editName")->text());
}

// Runs `act` on the postal-code dialog once it is open.
void OnZipDialog(std::function<void(CDlgZip&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<CDlgZip*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, dialog);
        act(*dialog);
    });
}

TEST_F(UserPagesTest, PostalCodeSearchListsTheMatchesAndHandsTheChoiceToThePage) {
    Start();
    Open();
    const std::string reply = "<WORK>102</WORK><ZIP><ZCODE>111070</ZCODE><ADDR1>" + Cp949("서울 종로구 사직동") +
                              "</ADDR1><ADDR2>1~250</ADDR2><ZCODE> 604040 </ZCODE><ADDR1>" +
                              Cp949("부산 동래구 사직동") + "</ADDR1><ADDR2>1~150</ADDR2></ZIP>";
    size_t requests = 0;
    OnZipDialog([&](CDlgZip& dialog) {
        EXPECT_EQ(QSize(800, 600), dialog.size());
        EXPECT_EQ(QStringLiteral("Halvren 우편번호검색"), dialog.windowTitle());
        EXPECT_EQ(client->Window().frameGeometry().center(), dialog.frameGeometry().center());
        auto* name = Child<CXEdit>(&dialog, "editDong");
        auto* list = Child<CXListCtrl>(&dialog, "listZip");
        EXPECT_EQ(name, dialog.focusWidget());
        Type(name, QString(41, QLatin1Char('x')));
        EXPECT_EQ(40, name->text().size());
        name->setText(QStringLiteral("   "));
        requests = centre.RequestCount();
        QTest::keyClick(name, Qt::Key_Return);
        EXPECT_EQ(client->Text("MSG_InputCheck_DongName"), LastShown());
        EXPECT_EQ(requests, centre.RequestCount()) << "an empty name is not sent";

        name->setText(QStringLiteral(" 사직동 "));
        centre.QueueBody(reply);
        QTest::keyClick(name, Qt::Key_Return);
        EXPECT_EQ("StrRequest=<VESK><WORK>002</WORK><DONG> " + Cp949("사직동") + " </DONG></VESK>",
                  centre.LastRequest().body);
        // Two columns shown; the code and the address as received are kept beside the rows, not as columns a
        // screen reader would meet empty.
        const QStringList headers = {QStringLiteral("우편번호"), QStringLiteral("주 소")};
        const int widths[] = {177, 570};
        EXPECT_EQ(2, list->columnCount());
        for (int c = 0; c < 2; ++c) {
            EXPECT_EQ(headers[c], list->horizontalHeaderItem(c)->text());
            EXPECT_EQ(widths[c], list->columnWidth(c));
        }
        ASSERT_EQ(2, list->rowCount());
        EXPECT_EQ(QStringLiteral("604 - 040"), list->GetItemText(1, 0));
        EXPECT_EQ(QStringLiteral("부산 동래구 사직동 1~150"), list->GetItemText(1, 1));
        EXPECT_EQ(QStringLiteral("604040"), list->GetItemText(1, 2));
        EXPECT_EQ(QStringLiteral("부산 동래구 사직동"), list->GetItemText(1, 3));
        EXPECT_EQ(list, dialog.focusWidget());
        EXPECT_EQ(0, list->currentRow());
        list->selectRow(1);
        QTest::keyClick(list, Qt::Key_Return);
    });
    Press("btnZip");
    EXPECT_EQ(QStringLiteral("604 - 040"), Edit("editZip")->text());
    EXPECT_EQ(QStringLiteral("부산 동래구 사직동"), Edit("editAddr1")->text());
    EXPECT_EQ(Edit("editAddr2"), client->Window().focusWidget());

    // Closing without a choice answers 2 and hands back nothing.
    for (const bool escape : {false, true}) {
        CDlgZip dialog(*client->app, &client->Window());
        QTimer::singleShot(0, [&] {
            if (escape) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
            } else {
                QTest::mouseClick(Child<QWidget>(&dialog, "btnClose"), Qt::LeftButton);
            }
        });
        EXPECT_EQ(2, dialog.exec());
        EXPECT_EQ("", dialog.ChosenZip());
    }
}

} // namespace
