// The history page with a long history: a reply of 500 reports turned into the list, the first report picked
// and its detail shown, the page painted. Once from a reply at hand, once as the user sees it (the exchange
// with a centre on this machine included).
#include "bench/QtBenchMain.h"
#include "client/history/CDlg_InquireHistory.h"
#include "skin/CXListCtrl.h"
#include "skin/SkinResources.h"
#include "support/RunningClient.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

std::string ReplyWith(int count) {
    const std::string name = Cp949("김영희");
    const std::string place = Cp949("서울특별시 종로구 사직동 12번지 2층");
    const std::string contents = Cp949("어머니가 갑자기 쓰러지셔서 의식이 없습니다.\r\n숨은 쉬고 계십니다.");
    std::string reply = "<VESK><WORK>115</WORK><CALLINFO>";
    for (int i = 0; i < count; ++i) {
        reply += "<NO> " + std::to_string(i) + "</NO><BOARDLEVEL> 0</BOARDLEVEL><NAME> " + name + "</NAME><DSRADDR> " +
                 place + "</DSRADDR><TITLE> " + Cp949("구급신고") + "</TITLE><CONTENTS> " + contents +
                 "</CONTENTS><DATE> 2024-05-02 10:15</DATE><PROCSTATUS> " + Cp949("처리완료") + "</PROCSTATUS>";
    }
    return reply + "</CALLINFO></VESK>";
}

std::vector<Person> OnePerson() {
    Person person;
    person.Name = Cp949("김영희");
    person.Ssn = "8503152345678";
    return {person};
}

// A started client showing its history page for one person.
struct HistoryClient {
    HistoryClient() : client(centre, OnePerson()) {
        page = static_cast<CDlg_InquireHistory*>(client.Window().PageAt(MainDialog::kHistoryPage));
        centre.SetStandingReply({ScriptedCentre::Reply::Mode::Answer, 200, ReplyWith(500)});
        client.app->ChangePage(MainDialog::kHistoryPage);
    }
    ScriptedCentre centre;
    RunningClient client;
    CDlg_InquireHistory* page = nullptr;
};

void BM_FillListAndShowFirst(benchmark::State& state) {
    HistoryClient history;
    const std::string reply = ReplyWith(500);
    for (auto _ : state) {
        history.page->FillHistoryList(reply);
        history.page->List()->selectRow(0);
        history.page->ShowHistoryDetail();
        QApplication::processEvents();
    }
    if (history.page->List()->rowCount() != 500) {
        state.SkipWithError("the list does not hold the 500 reports");
    }
}
BENCHMARK(BM_FillListAndShowFirst)->Unit(benchmark::kMillisecond);

void BM_ChooseTabWithExchange(benchmark::State& state) {
    HistoryClient history;
    for (auto _ : state) {
        history.page->SelectPersonTab(0);
        QApplication::processEvents();
    }
    if (history.page->List()->rowCount() != 500 || !history.client.prompts.shown.empty()) {
        state.SkipWithError("the list was not filled from the centre's reply");
    }
}
BENCHMARK(BM_ChooseTabWithExchange)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
