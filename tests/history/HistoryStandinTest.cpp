// The history page against the real centre stand-in process: what was reported shows up with the state the
// centre gives it, and the state moves on as the centre deals with the report.
#include "client/history/CDlg_InquireHistory.h"
#include "client/protocol/HttpTransport.h"
#include "protocol/ReportMessage.h"
#include "protocol/TagReader.h"
#include "skin/CXEdit.h"
#include "skin/CXListCtrl.h"
#include "skin/UiText.h"
#include "support/CentreProcess.h"
#include "support/RunningClient.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(HistoryWithTheStandin, AReportShowsWithItsStateAndTheNextShowingHasTheNewOne) {
    // Taken on at once, a crew sent after four seconds.
    CentreProcess centre({"--progress", "0,4,600"});
    ASSERT_TRUE(centre.Running()) << centre.Log();

    Person person;
    person.Name = Cp949("김영희");
    person.Ssn = "8503152345678";
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    folder.StorePersons({person});
    Prompts prompts;
    auto app = MakeClient(folder, prompts, 10000);
    ASSERT_TRUE(app->StartUp());
    const Person& stored = **app->Env().PersonMap().Find(person.Ssn);

    ReportFields report;
    report.name = stored.Name;
    report.storedSsn = stored.StoredSsn();
    report.place = Cp949("서울 종로구 사직동 12");
    report.detail = Cp949("2층 창문에서 연기가 납니다\r\n사람이 남아 있습니다");
    report.title = ReportTitleFor(0);
    HttpTransport& transport = app->Transport();
    ASSERT_TRUE(transport.Send(ReportRequest(report)));
    ASSERT_EQ(1, TagReader().CheckWork(transport.Receive(), 11));

    app->ChangePage(3);
    auto* page = static_cast<CDlg_InquireHistory*>(app->MainWindow()->PageAt(3));
    CXListCtrl* list = page->List();
    ASSERT_EQ(1, list->rowCount());
    EXPECT_EQ(QStringLiteral("접수"), list->GetItemText(0, CDlg_InquireHistory::kState));
    EXPECT_EQ(QStringLiteral("화재신고"), list->GetItemText(0, CDlg_InquireHistory::kTitle));
    EXPECT_EQ(QStringLiteral("김영희"), list->GetItemText(0, CDlg_InquireHistory::kAuthor));
    EXPECT_EQ(ToUi(report.place), page->PlaceField()->text());

    // The centre moves the report on; the next showing of the page says so.
    QString state;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (state != QStringLiteral("출동") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        app->ChangePage(0);
        app->ChangePage(3);
        ASSERT_EQ(1, list->rowCount());
        state = list->GetItemText(0, CDlg_InquireHistory::kState);
    }
    EXPECT_EQ(QStringLiteral("출동"), state);
    EXPECT_TRUE(prompts.shown.empty());
    app->Exit();
}

} // namespace
