// The history page of a started client, driven as the user drives it, against the scripted centre.
#include "client/history/CDlg_InquireHistory.h"
#include "skin/CXButton.h"
#include "skin/CXEdit.h"
#include "skin/CXListCtrl.h"
#include "skin/CXTextEdit.h"
#include "skin/UiText.h"
#include "support/RunningClient.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Report {
    std::string no;
    std::string name;
    std::string place;
    std::string title;
    std::string contents;
    std::string date;
    std::string state;
};

std::string Fields(const Report& r) {
    return "<NO> " + r.no + "</NO><BOARDLEVEL> 0</BOARDLEVEL><NAME> " + r.name + "</NAME><DSRADDR> " + r.place +
           "</DSRADDR><TITLE> " + r.title + "</TITLE><CONTENTS> " + r.contents + "</CONTENTS><DATE> " + r.date +
           "</DATE><PROCSTATUS> " + r.state + "</PROCSTATUS>";
}

std::string HistoryReply(const std::vector<Report>& reports) {
    std::string list;
    for (const Report& r : reports) {
        list += Fields(r);
    }
    return "<VESK><WORK>115</WORK><CALLINFO>" + list + "</CALLINFO></VESK>";
}

std::vector<Person> Persons(int count) {
    const char* names[] = {"김영희", "이철수", "박민수", "최지우"};
    std::vector<Person> persons(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        persons[static_cast<size_t>(i)].Name = Cp949(names[i]);
        persons[static_cast<size_t>(i)].Ssn = "850315234567" + std::to_string(i);
    }
    return persons;
}

const Report kFirst{"7",
                    Cp949("김영희"),
                    Cp949("서울 종로구 사직동 12"),
                    Cp949("화재신고"),
                    Cp949("2층에서 연기가 납니다"),
                    "2024-05-02 10:15",
                    "null"};
const Report kSecond{"3",
                     Cp949("김영희"),
                     Cp949("부산 동래구"),
                     Cp949("구급신고"),
                     Cp949("숨을 못 쉽니다\n의식 없음"),
                     "2024-05-01 09:00",
                     Cp949("접수null")};

class HistoryPageTest : public ::testing::Test {
protected:
    void Start(int persons) {
        client = std::make_unique<RunningClient>(centre, Persons(persons));
        ASSERT_TRUE(client->started);
        page = static_cast<CDlg_InquireHistory*>(client->Window().PageAt(3));
        for (const auto& entry : client->Env().PersonMap()) {
            keys.push_back(entry.key);
        }
    }
    // Switches to the history page from the report page, as the menu does.
    void ShowPage() {
        client->app->ChangePage(0);
        client->app->ChangePage(3);
    }
    QString Cell(int row, int column) const { return page->List()->GetItemText(row, column); }
    int PickedRow() const {
        const QModelIndexList rows = page->List()->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.front().row();
    }
    void ClickRow(int row) {
        CXListCtrl* list = page->List();
        const QPoint at(list->columnViewportPosition(1) + 20, list->rowViewportPosition(row) + 5);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    void ExpectDetail(const Report& r) {
        EXPECT_EQ(ToUi(r.place), page->PlaceField()->text());
        EXPECT_EQ(ToUi(r.title), page->TitleField()->text());
        EXPECT_EQ(ToUi(r.contents), page->ContentsField()->toPlainText());
    }

    ScriptedCentre centre;
    std::unique_ptr<RunningClient> client;
    CDlg_InquireHistory* page = nullptr;
    std::vector<std::string> keys; // in the store's order
};

TEST_F(HistoryPageTest, TabsFollowTheStoreAndTheRequestAsksForTheSelectedPerson) {
    Start(3);
    client->Env().Selection().SelectPerson(keys[1]);
    centre.QueueBody(HistoryReply({}));
    ShowPage();

    const Person& second = **client->Env().PersonMap().Find(keys[1]);
    ASSERT_FALSE(second.StoredSsn().empty());
    EXPECT_EQ(second.Ssn, client->Env().DecryptText(second.StoredSsn()));
    EXPECT_EQ("StrRequest=<VESK><WORK> 015</WORK><NAME> " + second.Name + "</NAME><SSN> " + second.StoredSsn() +
                  "</SSN><CASESET> 1</CASESET></VESK>",
              centre.LastRequest().body);
    for (int i = 0; i < 3; ++i) {
        CXButton* tab = page->Tab(i);
        const Person& person = **client->Env().PersonMap().Find(keys[static_cast<size_t>(i)]);
        EXPECT_TRUE(tab->isVisible()) << i;
        EXPECT_EQ(ToUi(person.Name), tab->text());
        EXPECT_EQ(ToUi(person.Name), tab->accessibleName());
        EXPECT_EQ(i == 1, tab->IsSelected()) << i;
    }
    EXPECT_FALSE(page->Tab(3)->isVisible());
    EXPECT_TRUE(client->prompts.shown.empty());
    EXPECT_EQ(keys[1], client->Env().Selection().SelectedPersonKey());

    // Another tab asks for its person; the application's selection stays.
    centre.QueueBody(HistoryReply({kFirst}));
    QTest::mouseClick(page->Tab(2), Qt::LeftButton);
    const Person& third = **client->Env().PersonMap().Find(keys[2]);
    EXPECT_NE(std::string::npos, centre.LastRequest().body.find("<SSN> " + third.StoredSsn() + "</SSN>"));
    EXPECT_TRUE(page->Tab(2)->IsSelected());
    EXPECT_FALSE(page->Tab(1)->IsSelected());
    EXPECT_EQ(keys[1], client->Env().Selection().SelectedPersonKey());
    // Enter on a tab presses it.
    centre.QueueBody(HistoryReply({}));
    page->Tab(0)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(page->Tab(0), Qt::Key_Return);
    EXPECT_TRUE(page->Tab(0)->IsSelected());
    EXPECT_EQ(keys[0], page->CurrentKey());

    // The main window coming back asks nothing; only turning to the page does.
    const size_t asked = centre.RequestCount();
    client->Window().hide();
    client->Window().show();
    EXPECT_EQ(asked, centre.RequestCount());

    // Every control can be found and named.
    for (const QWidget* control : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_FALSE(control->objectName().isEmpty());
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
    }
}

TEST_F(HistoryPageTest, RowsComeInReplyOrderAndTheDetailFollowsClicksAndEnterButNotArrows) {
    Start(1);
    centre.QueueBody(HistoryReply({kFirst, kSecond}));
    ShowPage();
    CXListCtrl* list = page->List();

    ASSERT_EQ(2, list->rowCount());
    EXPECT_EQ(QStringLiteral("2024-05-02 10:15"), Cell(0, CDlg_InquireHistory::kDate)) << "not sorted";
    EXPECT_EQ(ToUi(kFirst.title), Cell(0, CDlg_InquireHistory::kTitle));
    EXPECT_EQ(QString(), Cell(0, CDlg_InquireHistory::kState)) << "\"null\" alone shows nothing";
    EXPECT_EQ(QStringLiteral("접수"), Cell(1, CDlg_InquireHistory::kState));
    EXPECT_EQ(ToUi(kSecond.name), Cell(1, CDlg_InquireHistory::kAuthor));
    EXPECT_EQ(QStringLiteral("3"), Cell(1, CDlg_InquireHistory::kNo));
    EXPECT_EQ(ToUi(kSecond.place), Cell(1, CDlg_InquireHistory::kPlace));

    // Showing the page picks the first report.
    EXPECT_EQ(0, PickedRow());
    EXPECT_TRUE(list->hasFocus());
    ExpectDetail(kFirst);

    ClickRow(1);
    EXPECT_EQ(1, PickedRow());
    ExpectDetail(kSecond);
    EXPECT_EQ(2, page->ContentsField()->document()->blockCount()) << "a bare line feed breaks the line";

    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(0, PickedRow());
    ExpectDetail(kSecond);
    QTest::keyClick(list, Qt::Key_Return);
    ExpectDetail(kFirst);
    EXPECT_TRUE(page->isVisible()) << "Enter never closes the page";
    QTest::keyClick(list, Qt::Key_Tab);
    EXPECT_TRUE(page->PlaceField()->hasFocus()) << "Tab leaves the list";
    EXPECT_TRUE(client->prompts.shown.empty());

    // A click on the header sorts nothing.
    QTest::mouseClick(list->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    EXPECT_EQ(QStringLiteral("2024-05-02 10:15"), Cell(0, CDlg_InquireHistory::kDate));
}

TEST_F(HistoryPageTest, TheFourShownColumnsFitWithoutASidewaysScrollBar) {
    Start(1);
    // Two rows fit; six need the vertical scroll bar, which narrows the rows.
    for (const size_t rows : {2u, 6u}) {
        centre.QueueBody(HistoryReply(std::vector<Report>(rows, kFirst)));
        ShowPage();
        CXListCtrl* list = page->List();
        ASSERT_EQ(static_cast<int>(rows), list->rowCount());
        QTest::qWait(50); // the list lays itself out once the events of the fill have run
        EXPECT_EQ(rows > 2, list->verticalScrollBar()->isVisible());
        EXPECT_FALSE(list->horizontalScrollBar()->isVisible()) << rows << " rows";
        EXPECT_LE(list->horizontalHeader()->length(), list->viewport()->width()) << rows << " rows";
        for (int column = CDlg_InquireHistory::kDate; column <= CDlg_InquireHistory::kAuthor; ++column) {
            EXPECT_GT(list->columnWidth(column), 100) << column;
        }
    }
}

TEST_F(HistoryPageTest, AFailedInquiryIsToldAndKeepsTheListAndTheHighlight) {
    Start(2);
    centre.QueueBody(HistoryReply({kFirst, kSecond}));
    ShowPage();
    ClickRow(1);
    ASSERT_TRUE(page->Tab(0)->IsSelected());

    const std::string refusal = Cp949("조회할 수 없습니다");
    centre.QueueBody("<VESK><WORK>999</WORK><COMENT>" + refusal + "</COMENT></VESK>");
    centre.QueueBody("<html>Internal Server Error</html>");
    ScriptedCentre::Reply cut;
    cut.mode = ScriptedCentre::Reply::Mode::CloseMidBody;
    cut.body = HistoryReply({kFirst});
    centre.Queue(cut);
    for (int attempt = 0; attempt < 3; ++attempt) {
        QTest::mouseClick(page->Tab(1), Qt::LeftButton);
        EXPECT_EQ(2, page->List()->rowCount()) << attempt;
        EXPECT_EQ(1, PickedRow()) << attempt;
        EXPECT_TRUE(page->Tab(0)->IsSelected()) << attempt;
        EXPECT_FALSE(page->Tab(1)->IsSelected()) << attempt;
        EXPECT_TRUE(page->TitleField()->text().isEmpty()) << attempt;
    }
    const std::string noAnswer = client->Text("MSG_Server_NoAnswer");
    ASSERT_FALSE(noAnswer.empty());
    EXPECT_EQ((std::vector<std::string>{refusal, noAnswer, noAnswer}), client->prompts.Texts());

    // The rows still belong to the highlighted person and show their detail.
    ClickRow(0);
    ExpectDetail(kFirst);
}

TEST_F(HistoryPageTest, WithoutAPersonNothingIsAskedAndAGonePersonsReportsGo) {
    Start(2);
    centre.QueueBody(HistoryReply({kFirst}));
    ShowPage();
    ASSERT_EQ(1, page->List()->rowCount());
    ASSERT_TRUE(page->Tab(0)->IsSelected());
    const size_t asked = centre.RequestCount();

    // The listed person was deleted meanwhile, and the other's list cannot be had: no row may stay under
    // the other person's name.
    client->Env().PersonMap().Remove(keys[0]);
    ShowPage();
    EXPECT_EQ(asked + 1, centre.RequestCount());
    EXPECT_EQ(0, page->List()->rowCount());
    EXPECT_FALSE(page->Tab(0)->IsSelected());
    EXPECT_EQ(1u, client->prompts.shown.size());

    client->Env().ClearPersons();
    page->RefreshPersonTabs();
    EXPECT_EQ(asked + 1, centre.RequestCount()) << "nobody to ask for";
    EXPECT_EQ(1u, client->prompts.shown.size()) << "and nothing to say";
    for (int i = 0; i < CDlg_InquireHistory::kTabCount; ++i) {
        EXPECT_FALSE(page->Tab(i)->isVisible()) << i;
    }
    EXPECT_TRUE(page->PlaceField()->text().isEmpty());
}

} // namespace
