// The person pages of a started client: a postal-code reply of 1,000 entries filled into the search list, and
// the save of a new person with its real-name exchange on loopback and the encrypted person file.
#include "bench/QtBenchMain.h"
#include "client/dialogs/CDlgZip.h"
#include "client/users/CDlg_UserInformation.h"
#include "skin/CXEdit.h"
#include "skin/CXListCtrl.h"
#include "skin/SkinResources.h"
#include "support/RunningClient.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

void FillPostalList(benchmark::State& state) {
    ScriptedCentre centre;
    RunningClient client(centre);
    std::string reply = "<VESK><WORK>102</WORK><ZIP>";
    for (int i = 0; i < 1000; ++i) {
        reply += "<ZCODE> " + std::to_string(100000 + i) + "</ZCODE><ADDR1> " + Cp949("서울특별시 종로구 사직동") +
                 "</ADDR1><ADDR2> " + std::to_string(i) + Cp949("번지") + "</ADDR2>";
    }
    reply += "</ZIP></VESK>";
    CDlgZip dialog(*client.app, &client.Window());
    dialog.show();
    auto* list = dialog.findChild<CXListCtrl*>("listZip");
    for (auto _ : state) {
        dialog.FillList(reply);
        list->repaint();
    }
    if (list->rowCount() != 1000) {
        state.SkipWithError("the list does not hold the 1,000 entries");
    }
}
BENCHMARK(FillPostalList)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void SaveNewPerson(benchmark::State& state) {
    ScriptedCentre centre;
    RunningClient client(centre);
    ScriptedCentre::Reply pass;
    pass.body = "<VESK><WORK>104</WORK><CHECKRESULT>1</CHECKRESULT></VESK>";
    centre.SetStandingReply(pass);
    client.prompts.answer = 2;
    auto& page = *static_cast<CDlg_UserInformation*>(client.Window().PageAt(2));
    auto field = [&](const char* name) { return page.findChild<CXEdit*>(name); };
    for (auto _ : state) {
        state.PauseTiming();
        client.Env().PersonMap().Clear();
        client.Env().Selection().ClearPerson();
        client.app->ChangePage(1);
        client.app->ChangePage(2);
        field("editName")->setText(QStringLiteral("홍길동"));
        field("editSsn1")->setText("800101");
        field("editSsn2")->setText("1234567");
        field("editZip")->setText("111 - 070");
        field("editAddr1")->setText(QStringLiteral("서울특별시 종로구 사직동"));
        field("editAddr2")->setText(QStringLiteral("1번지"));
        state.ResumeTiming();
        page.Save();
    }
    if (client.Env().PersonCount() != 1 || centre.RequestCount() < 2) {
        state.SkipWithError("the person was not checked and stored");
    }
}
BENCHMARK(SaveNewPerson)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
