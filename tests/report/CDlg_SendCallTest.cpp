#include "client/report/CDlg_SendCall.h"
#include "client/dialogs/CDlgCallConfirm.h"
#include "skin/CXBalloonTip.h"
#include "skin/CXButton.h"
#include "skin/CXComboBox.h"
#include "skin/CXEdit.h"
#include "skin/CXTextEdit.h"
#include "skin/UiText.h"
#include "support/CentreProcess.h"
#include "support/Layout.h"
#include "support/RunningClient.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

Person MakePerson(const char* name, const std::string& ssn, const char* addr1, const char* caseNote) {
    Person p;
    p.Name = Cp949(name);
    p.Ssn = ssn;
    p.Zip = "110011";
    p.Addr1 = Cp949(addr1);
    p.Addr2 = Cp949("3층");
    p.Tel1 = "02";
    p.Tel2 = "1234";
    p.Tel3 = "5678";
    p.CaseNote = Cp949(caseNote);
    return p;
}

// 김영희's seventh digit is 2; 홍길동 has no mobile number.
std::vector<Person> TwoPersons() {
    Person kim = MakePerson("김영희", "8503152345678", "서울시 중구 세종대로 110", "당뇨가 있음");
    kim.Cell1 = "010";
    kim.Cell2 = "9876";
    kim.Cell3 = "5432";
    return {kim, MakePerson("홍길동", "8001011234567", "부산시 동래구 사직동", "")};
}

const std::string kAccepted = "<VESK><WORK>111</WORK><RESULT> " + Cp949("성공") + " </RESULT></VESK>";

class SendCallTest : public ::testing::Test {
protected:
    void Start(const std::vector<Person>& persons = TwoPersons()) {
        client = std::make_unique<RunningClient>(centre, persons);
        ASSERT_TRUE(client->started);
        page = static_cast<CDlg_SendCall*>(client->Window().PageAt(0));
        ASSERT_TRUE(page->isVisible());
    }
    template <typename T> T* Find(const char* name) { return page->findChild<T*>(QString::fromLatin1(name)); }
    CXEdit* Edit(const char* name) { return Find<CXEdit>(name); }
    CXTextEdit* Detail() { return Find<CXTextEdit>("editDetail"); }
    CXButton* Tab(const char* name) { return Find<CXButton>(name); }
    // The person tab that carries this name.
    CXButton* PersonTab(const char* name) {
        for (int i = 0; i < 4; ++i) {
            CXButton* tab = Find<CXButton>(("tabPerson" + std::to_string(i)).c_str());
            if (tab->isVisible() && tab->text() == QString::fromUtf8(name)) {
                return tab;
            }
        }
        return nullptr;
    }
    void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, 5)); }
    // Picks a patient as the keyboard does: the list shows the position, Enter chooses it.
    void ChoosePatient(int position) {
        auto* patients = Find<CXComboBox>("comboPatient");
        patients->setFocus();
        patients->setCurrentIndex(position);
        QTest::keyClick(patients, Qt::Key_Return);
    }

    // Presses send; the confirmation, when it comes, is looked at and answered with a key.
    void SendAndConfirm(Qt::Key key = Qt::Key_Return, std::function<void(CDlgCallConfirm&)> look = {}) {
        confirmationSeen = false;
        QTimer::singleShot(0, [&, key, look] {
            auto* confirm = qobject_cast<CDlgCallConfirm*>(QApplication::activeModalWidget());
            if (!confirm) {
                return; // the page stopped before the confirmation
            }
            confirmationSeen = true;
            EXPECT_TRUE(QTest::qWaitForWindowExposed(confirm));
            if (look) {
                look(*confirm);
            }
            QTest::keyClick(confirm->focusWidget() ? confirm->focusWidget() : confirm, key);
        });
        Click(Find<CXButton>("btnSend"));
    }
    std::string Sent() { return centre.LastRequest().body; }
    size_t Reports() {
        size_t n = 0;
        for (const auto& r : centre.Requests()) {
            n += r.body.find("<WORK>011</WORK>") != std::string::npos;
        }
        return n;
    }
    std::vector<std::string> Shown() { return client->prompts.Texts(); }

    ScriptedCentre centre;
    std::unique_ptr<RunningClient> client;
    CDlg_SendCall* page = nullptr;
    bool confirmationSeen = false;
};

TEST_F(SendCallTest, OpensOnTheFirstPersonWithoutACategoryAndAsksForOneBeforeSending) {
    Start();
    EXPECT_EQ(page->PersonsShown(), 2);
    EXPECT_TRUE(Find<QWidget>("picTypeSelect")->isVisible());
    EXPECT_FALSE(Edit("editPlace")->isVisible());
    EXPECT_FALSE(Find<QWidget>("comboPatient")->isVisible());
    // The page fills the window between its title and its menu bar, with the size of its painted background;
    // its controls lie inside it, apart, and every edit stands on a field painted for it.
    const QWidget* menuBar = client->Window().findChild<QWidget*>(QStringLiteral("picMenuBar"));
    EXPECT_TRUE(client->Window().rect().contains(page->geometry()));
    EXPECT_LE(page->geometry().bottom(), menuBar->geometry().top());
    ASSERT_NE(page->Background(), nullptr);
    EXPECT_EQ(page->size(), page->Background()->size());
    ExpectInsideAndApart(*page);
    for (QWidget* control : page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<CXEdit*>(control) || qobject_cast<CXTextEdit*>(control)) {
            ExpectOnPaintedField(*page->Background(), *control, Qt::white);
        }
    }

    // The hidden detail is empty: sending stops at its message, nothing goes out.
    const size_t before = centre.RequestCount();
    SendAndConfirm();
    EXPECT_FALSE(confirmationSeen);
    EXPECT_EQ(Shown(), std::vector<std::string>{client->Text("MSG_InputCheck_Contents")});
    EXPECT_EQ(centre.RequestCount(), before);
    for (const QWidget* control : page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
    }
}

TEST_F(SendCallTest, AMedicalReportOpensWithThePatientsSection) {
    Start();
    Click(PersonTab("김영희"));
    Click(Tab("tabEmergency"));
    EXPECT_TRUE(Find<QWidget>("comboPatient")->isVisible());
    EXPECT_EQ(page->ReportTitle(), Cp949("구급신고"));
    const std::string female = Cp949("[환자관련사항] - 85.03.15(생)  . 여자\r\n당뇨가 있음");
    EXPECT_EQ(Detail()->Cp949Text(), female);
    EXPECT_EQ(Edit("editPlace")->Cp949Text(), Cp949("서울시 중구 세종대로 110"));

    // Another patient: the section is rebuilt for them.
    auto* patients = Find<CXComboBox>("comboPatient");
    ASSERT_EQ(patients->count(), 3);
    ChoosePatient(patients->findText(QStringLiteral("홍길동")));
    EXPECT_EQ(Detail()->Cp949Text(), Cp949("[환자관련사항] - 80.01.01(생)  . 남자\r\n"));
    ChoosePatient(2);
    EXPECT_EQ(patients->currentText(), QStringLiteral("기타환자"));
    EXPECT_EQ(Detail()->Cp949Text(), Cp949("[환자관련사항]\r\n"));

    // Another person keeps the detail but takes that person's address as the place.
    Click(PersonTab("홍길동"));
    EXPECT_EQ(Detail()->Cp949Text(), Cp949("[환자관련사항]\r\n"));
    EXPECT_EQ(Edit("editPlace")->Cp949Text(), Cp949("부산시 동래구 사직동"));
    // Fire empties it.
    Click(Tab("tabFire"));
    EXPECT_EQ(Detail()->Cp949Text(), "");
    EXPECT_FALSE(Find<QWidget>("comboPatient")->isVisible());
}

TEST_F(SendCallTest, AReportGoesOutAsTypedAfterTheConfirmationAndIsAccepted) {
    Start();
    Click(PersonTab("김영희"));
    Click(Tab("tabFire"));
    Edit("editPlace")->SetCp949Text(Cp949("시청 앞 <교차로>"));
    Detail()->SetCp949Text(Cp949("연기가 납니다\r\n2층"));
    centre.QueueBody(kAccepted);
    std::map<std::string, QString> shown;
    SendAndConfirm(Qt::Key_Return, [&](CDlgCallConfirm& confirm) {
        for (auto* field : confirm.findChildren<CXEdit*>()) {
            shown[field->objectName().toStdString()] = field->displayText();
        }
        EXPECT_EQ(confirm.windowTitle(), QStringLiteral("Halvren 신고확인"));
        EXPECT_EQ(confirm.size(), QSize(850, 636));
    });
    ASSERT_TRUE(confirmationSeen);
    EXPECT_EQ(shown["confirmName"], QStringLiteral("김영희"));
    EXPECT_EQ(shown["confirmSsnFront"], QStringLiteral("850315"));
    EXPECT_EQ(shown["confirmSsnBack"].size(), 7);
    EXPECT_FALSE(shown["confirmSsnBack"].contains(QStringLiteral("2345678"))) << "the last digits stay masked";
    EXPECT_EQ(shown["confirmHomePhone"], QStringLiteral("02-1234-5678"));
    EXPECT_EQ(shown["confirmMobilePhone"], QStringLiteral("010-9876-5432"));
    EXPECT_EQ(shown["confirmPlace"], QStringLiteral("시청 앞 [교차로]"));

    ASSERT_EQ(Reports(), 1u);
    const std::string body = Sent();
    const std::string stored = client->Env().PersonMap().Find("8503152345678")->get()->StoredSsn();
    ASSERT_FALSE(stored.empty());
    EXPECT_NE(body.find("<SSN> " + stored + "</SSN>"), std::string::npos);
    EXPECT_EQ(body.find("8503152345678"), std::string::npos) << "the number never travels in clear";
    EXPECT_NE(body.find("<DSRADDR> " + Cp949("시청 앞 [교차로]") + "</DSRADDR>"), std::string::npos);
    EXPECT_NE(body.find("<CONTENTS> " + Cp949("연기가 납니다\r\n2층") + "</CONTENTS>"), std::string::npos);
    EXPECT_NE(body.find("<TITLE> " + Cp949("화재신고") + "</TITLE>"), std::string::npos);
    EXPECT_NE(body.find("<PHONE> 010-9876-5432</PHONE>"), std::string::npos);
    EXPECT_EQ(Shown(), std::vector<std::string>{client->Text("MSG_SendCall_Success")});

    // Escape at the confirmation sends nothing.
    SendAndConfirm(Qt::Key_Escape);
    EXPECT_TRUE(confirmationSeen);
    EXPECT_EQ(Reports(), 1u);
}

TEST_F(SendCallTest, ChangedPhonesAreAskedAboutAndTheReportGoesWithTheShownNumbersEitherWay) {
    Start();
    Click(PersonTab("홍길동"));
    Click(Tab("tabRescue"));
    Detail()->SetCp949Text(Cp949("갇혔어요"));
    Edit("editTel2")->SetCp949Text("999");
    const std::filesystem::path store = client->folder.dir.Path() / "Person.std";
    const std::string storedBefore = client->folder.dir.Read("Person.std");

    client->prompts.answer = 2; // no: the report goes with the number shown, nothing is stored
    centre.QueueBody(kAccepted);
    SendAndConfirm();
    EXPECT_TRUE(confirmationSeen);
    ASSERT_EQ(Reports(), 1u);
    EXPECT_NE(Sent().find("<TEL1> 02</TEL1><TEL2> 999</TEL2><TEL3> 5678</TEL3>"), std::string::npos);
    EXPECT_NE(Sent().find("<PHONE> --</PHONE>"), std::string::npos) << "no mobile number: two hyphens";
    EXPECT_EQ(client->folder.dir.Read("Person.std"), storedBefore);
    EXPECT_EQ(client->Env().PersonMap().Find("8001011234567")->get()->Tel2, "1234");
    EXPECT_EQ(Shown(),
              (std::vector<std::string>{client->Text("MSG_UserInfo_Changed"), client->Text("MSG_SendCall_Success")}));

    client->prompts.answer = 1; // yes: stored, and the report carries the new number
    centre.QueueBody(kAccepted);
    SendAndConfirm();
    ASSERT_EQ(Reports(), 2u);
    EXPECT_NE(Sent().find("<TEL2> 999</TEL2>"), std::string::npos);
    Environment reread(client->folder.Folder());
    EXPECT_EQ(reread.PersonMap().Find("8001011234567")->get()->Tel2, "999");

    // A store that cannot be written (a folder stands in its place): its message, and the report still goes.
    Edit("editTel3")->SetCp949Text("1111");
    std::filesystem::remove(store);
    std::filesystem::create_directory(store);
    centre.QueueBody(kAccepted);
    SendAndConfirm();
    std::filesystem::remove(store);
    EXPECT_EQ(Reports(), 3u);
    EXPECT_NE(Sent().find("<TEL3> 1111</TEL3>"), std::string::npos);
    const auto texts = Shown();
    EXPECT_NE(std::find(texts.begin(), texts.end(), client->Text("MSG_UserInfo_ChangeFail")), texts.end());
}

// A stored code the lists do not know is shown and sent as it is, and is no change to ask about.
TEST_F(SendCallTest, AStoredCodeOutsideTheListsIsShownAndSentAsItIs) {
    Person internet = MakePerson("홍길동", "8001011234567", "서울", "");
    internet.Tel1 = "070";
    internet.Cell1 = "0130";
    internet.Cell2 = "12";
    internet.Cell3 = "34";
    Start({internet, TwoPersons()[0]});
    EXPECT_EQ(Find<CXComboBox>("comboTel1")->currentText(), QStringLiteral("070"));
    EXPECT_EQ(Find<CXComboBox>("comboCell1")->currentText(), QStringLiteral("0130"));
    Click(Tab("tabFire"));
    Detail()->SetCp949Text(Cp949("연기"));
    centre.QueueBody(kAccepted);
    SendAndConfirm();
    ASSERT_EQ(Reports(), 1u);
    EXPECT_NE(Sent().find("<TEL1> 070</TEL1>"), std::string::npos);
    EXPECT_NE(Sent().find("<PHONE> 0130-12-34</PHONE>"), std::string::npos);
    EXPECT_EQ(Shown(), std::vector<std::string>{client->Text("MSG_SendCall_Success")});
    // Another person's phones replace the entry: it belonged to the first person only.
    Click(PersonTab("김영희"));
    EXPECT_EQ(Find<CXComboBox>("comboTel1")->count(), 17);
    EXPECT_EQ(Find<CXComboBox>("comboTel1")->currentText(), QStringLiteral("서울(02)"));
}

TEST_F(SendCallTest, EveryFailureIsToldAndThePageKeepsWhatWasTyped) {
    Start();
    Click(PersonTab("김영희"));
    Click(Tab("tabDisaster"));
    Edit("editPlace")->SetCp949Text(Cp949("강변"));
    Detail()->SetCp949Text(" \r\n  ");
    SendAndConfirm();
    EXPECT_EQ(Shown().back(), client->Text("MSG_InputCheck_Contents")) << "blanks and line breaks are no detail";
    Detail()->SetCp949Text(Cp949("물이 넘쳐요"));

    const std::string refused = Cp949("점검 중입니다");
    centre.QueueBody("<WORK>999</WORK><COMENT>" + refused + "</COMENT><RESULT>" + Cp949("성공") + "</RESULT>");
    centre.QueueBody("<WORK>111</WORK><RESULT>" + Cp949("실패") + "</RESULT>");
    centre.QueueBody("<WORK>999</WORK><COMENT></COMENT>");
    ScriptedCentre::Reply closing;
    closing.mode = ScriptedCentre::Reply::Mode::CloseMidBody;
    closing.body = kAccepted;
    centre.Queue(closing);
    ScriptedCentre::Reply silent;
    silent.mode = ScriptedCentre::Reply::Mode::NeverAnswer;
    centre.Queue(silent);
    const std::vector<std::string> expected = {
        refused, client->Text("MSG_SendCall_Failure"), client->Text("MSG_SendCall_Refused"),
        client->Text("MSG_SendCall_NetworkFailure"), client->Text("MSG_SendCall_NetworkFailure")};
    for (const std::string& message : expected) {
        client->prompts.shown.clear();
        SendAndConfirm();
        EXPECT_EQ(Shown(), std::vector<std::string>{message});
        EXPECT_FALSE(message.empty());
        EXPECT_EQ(Edit("editPlace")->Cp949Text(), Cp949("강변"));
        EXPECT_EQ(Detail()->Cp949Text(), Cp949("물이 넘쳐요"));
        EXPECT_TRUE(Tab("tabDisaster")->IsSelected());
        EXPECT_EQ(Edit("editTel3")->Cp949Text(), "5678");
    }
    centre.Release();
}

// While the centre takes its time the window goes on painting, and a second press of send starts nothing.
TEST_F(SendCallTest, TheWindowLivesDuringTheExchangeAndTakesNoSecondReport) {
    Start();
    Click(Tab("tabEtc"));
    Detail()->SetCp949Text(Cp949("도와주세요"));
    ScriptedCentre::Reply slow;
    slow.mode = ScriptedCentre::Reply::Mode::NeverAnswer;
    centre.Queue(slow);
    int paints = 0;
    bool pressedAgain = false;
    QTimer::singleShot(0, [&] {
        auto* confirm = qobject_cast<CDlgCallConfirm*>(QApplication::activeModalWidget());
        ASSERT_NE(confirm, nullptr);
        QTest::keyClick(confirm->focusWidget(), Qt::Key_Return);
    });
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (page->grab().isNull()) {
            return;
        }
        ++paints;
        if (!pressedAgain) {
            pressedAgain = true;
            Click(Find<CXButton>("btnSend"));
        }
    });
    probe.start(200);
    Click(Find<CXButton>("btnSend"));
    probe.stop();
    EXPECT_GE(paints, 3) << "the page painted while the exchange ran";
    EXPECT_EQ(Reports(), 1u);
    EXPECT_EQ(Shown(), std::vector<std::string>{client->Text("MSG_SendCall_NetworkFailure")});
    centre.Release();
}

// What the user typed is theirs: no window event, page switch, category, patient or person replaces it.
TEST_F(SendCallTest, TheReportBeingWrittenOutlivesWindowEventsPageSwitchesAndEveryChoice) {
    Start();
    Click(PersonTab("김영희"));
    Click(Tab("tabEmergency"));
    const std::string kimSection = Detail()->Cp949Text();
    CXEdit* place = Edit("editPlace");
    place->setFocus();
    place->selectAll();
    QTest::keyClicks(place, "Exit 3");
    Detail()->moveCursor(QTextCursor::End);
    QTest::keyClicks(Detail(), "not breathing");
    Edit("editCell2")->selectAll();
    QTest::keyClicks(Edit("editCell2"), "1111");
    auto* patients = Find<CXComboBox>("comboPatient");
    const auto page = [&] {
        return std::vector<std::string>{place->Cp949Text(),
                                        Detail()->Cp949Text(),
                                        Edit("editCell2")->Cp949Text(),
                                        Find<CXComboBox>("comboCell1")->currentText().toStdString(),
                                        std::to_string(patients->currentIndex()),
                                        std::to_string(client->Env().Selection().ReportCategory())};
    };
    const std::vector<std::string> typed = page();
    EXPECT_EQ(typed[1], kimSection + "not breathing");

    MainDialog& window = client->Window();
    window.hide();
    window.show();
    EXPECT_EQ(page(), typed) << "shown again";
    window.showMinimized();
    QApplication::processEvents();
    window.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(page(), typed) << "minimised and restored";
    client->app->ChangePage(MainDialog::kHistoryPage);
    Click(window.ButtonAt(MainDialog::kReport));
    EXPECT_EQ(page(), typed) << "the history page and back";

    // A category switch replaces only the patient section.
    Click(Tab("tabFire"));
    EXPECT_EQ(Detail()->Cp949Text(), "not breathing");
    Click(Tab("tabEmergency"));
    EXPECT_EQ(Detail()->Cp949Text(), kimSection + "\r\nnot breathing");

    // Arrow keys look through the patients; Enter chooses, and only the section changes.
    patients->setFocus();
    const int hong = patients->findText(QStringLiteral("홍길동"));
    QTest::keyClick(patients, hong < patients->currentIndex() ? Qt::Key_Up : Qt::Key_Down);
    EXPECT_EQ(patients->currentText(), QStringLiteral("홍길동"));
    EXPECT_EQ(Detail()->Cp949Text(), kimSection + "\r\nnot breathing");
    EXPECT_EQ(QApplication::focusWidget(), patients);
    QTest::keyClick(patients, Qt::Key_Return);
    EXPECT_EQ(Detail()->Cp949Text(), Cp949("[환자관련사항] - 80.01.01(생)  . 남자\r\n") + "not breathing");
    // The open list chooses when it closes on an entry.
    patients->setFocus();
    patients->showPopup();
    patients->view()->setCurrentIndex(patients->model()->index(2, 0));
    QTest::keyClick(patients->view(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(Detail()->Cp949Text(), Cp949("[환자관련사항]\r\n") + "not breathing");

    // Another person brings their phones; the place and the words stay.
    Click(PersonTab("홍길동"));
    EXPECT_EQ(place->Cp949Text(), "Exit 3");
    EXPECT_EQ(Edit("editCell2")->Cp949Text(), "");
    EXPECT_NE(Detail()->Cp949Text().find("not breathing"), std::string::npos);
}

// Too much pasted keeps what fits, and the field's balloon says how much fits.
TEST_F(SendCallTest, AnOverlongPasteKeepsWhatFitsAndTheBalloonSaysTheLimit) {
    Start();
    Click(Tab("tabEtc"));
    CXEdit* place = Edit("editPlace");
    place->clear();
    place->setFocus();
    QApplication::clipboard()->setText(QString(30, QChar(u'가')));
    QTest::keySequence(place, QKeySequence::Paste);
    EXPECT_EQ(place->text(), QString(25, QChar(u'가'))) << "50 bytes: 25 Hangul syllables";
    QTest::qWait(1);
    QString limit = ToUi(client->Text("MSG_InputLimit"));
    limit.replace(QLatin1String("%1"), QStringLiteral("25")).replace(QLatin1String("%2"), QStringLiteral("50"));
    ASSERT_NE(page->ToolTip(), nullptr);
    EXPECT_EQ(page->ToolTip()->ShownText(), limit);
    EXPECT_TRUE(page->ToolTip()->isVisible());

    Detail()->SetCp949Text("words ");
    Detail()->setFocus();
    Detail()->moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(QString(3000, QLatin1Char('x')));
    QTest::keySequence(Detail(), QKeySequence::Paste);
    EXPECT_EQ(Detail()->Cp949Text(), "words " + std::string(1994, 'x'));
}

TEST_F(SendCallTest, NeverMoreThanFourTabs) {
    std::vector<Person> four = TwoPersons();
    four.push_back(MakePerson("박서연", "0311054567890", "대구", ""));
    four.push_back(MakePerson("최지훈", "9202291357913", "광주", ""));
    Start(four);
    auto fifth = std::make_unique<Person>(MakePerson("이민준", "0107203456789", "인천", ""));
    client->Env().PersonMap().Insert(fifth->Ssn, std::move(fifth));
    page->Refresh();
    EXPECT_EQ(page->PersonsShown(), 4);
    EXPECT_EQ(Find<CXComboBox>("comboPatient")->count(), 5);
}

// The whole way: the page against the real stand-in, and the report in its database.
TEST(SendCallEndToEnd, TheReportArrivesAtTheCentreWithTheNumberDeciphered) {
    CentreProcess centre;
    ASSERT_TRUE(centre.Running()) << centre.Log();
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    Person hong = MakePerson("홍길동", "8001011234567", "서울특별시 중구", "");
    folder.StorePersons({hong});
    Prompts prompts;
    auto app = MakeClient(folder, prompts, 10000);
    ASSERT_TRUE(app->StartUp());
    auto* page = static_cast<CDlg_SendCall*>(app->MainWindow()->PageAt(0));
    page->ChooseCategory(0);
    page->findChild<CXTextEdit*>(QStringLiteral("editDetail"))->SetCp949Text(Cp949("2층에서 불이 났어요"));
    QTimer::singleShot(0, [] {
        auto* confirm = qobject_cast<CDlgCallConfirm*>(QApplication::activeModalWidget());
        ASSERT_NE(confirm, nullptr);
        QTest::keyClick(confirm->focusWidget(), Qt::Key_Return);
    });
    page->Send();
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{app->Env().GetText("MESSAGE", "MSG_SendCall_Success")});
    const auto rows = centre.Query("SELECT ssn, dsraddr, title, contents FROM reports");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "8001011234567");
    EXPECT_EQ(rows[0][1], Cp949("서울특별시 중구"));
    EXPECT_EQ(rows[0][2], Cp949("화재신고"));
    EXPECT_EQ(rows[0][3], Cp949("2층에서 불이 났어요"));
    app->Exit();
}

} // namespace
