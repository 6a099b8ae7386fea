// The report page against the real centre stand-in on loopback: from the confirmation answered to the success
// message (the 011 exchange, the centre storing the report, the judgement), and a refresh of the page with
// four persons.
#include "bench/QtBenchMain.h"
#include "client/app/ClientApp.h"
#include "client/app/MainDialog.h"
#include "client/env/Environment.h"
#include "client/report/CDlg_SendCall.h"
#include "platform/Codec.h"
#include "skin/CXTextEdit.h"
#include "skin/SkinResources.h"
#include "support/CentreProcess.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

struct Client {
    CentreProcess centre;
    TempDir folder;
    TempDir locks;
    std::unique_ptr<ClientApp> app;
    CDlg_SendCall* page = nullptr;
    int successes = 0;

    Client() {
        LayOutProgramFolder(folder, centre.Host(), "1.0.0.0");
        {
            Environment env(folder.Str() + "/");
            const char* ssns[] = {"8001011234567", "8503152345678", "0107203456789", "0311054567890"};
            for (const char* ssn : ssns) {
                auto person = std::make_unique<Person>();
                person->Ssn = ssn;
                person->Name = platform::Cp949Of("홍길동");
                person->Addr1 = platform::Cp949Of("서울특별시 중구 세종대로 110");
                person->Tel1 = "02";
                person->Tel2 = "1234";
                person->Tel3 = "5678";
                env.PersonMap().Insert(person->Ssn, std::move(person));
            }
            env.SavePersons();
        }
        ClientApp::Options options;
        options.programFolder = folder.Str() + "/";
        options.lockFolder = locks.Str();
        app = std::make_unique<ClientApp>(options);
        app->SetPrompter([this](const std::string& text, int) {
            successes += text == app->Env().GetText("MESSAGE", "MSG_SendCall_Success");
            return 1;
        });
        if (!centre.Running() || !app->StartUp()) {
            app.reset();
            return;
        }
        app->Env().Selection().SelectPerson("8001011234567");
        page = static_cast<CDlg_SendCall*>(app->MainWindow()->PageAt(MainDialog::kReportPage));
        page->ChooseCategory(Selection::kFire);
        page->findChild<CXTextEdit*>(QStringLiteral("editDetail"))
            ->SetCp949Text(platform::Cp949Of("2층 주방에서 불이 났습니다. 연기가 많습니다."));
    }
    ~Client() {
        if (app) {
            app->Exit();
        }
    }
};

// What follows the user's "yes": the report sent, stored by the centre, judged, and the success told.
void ConfirmedReportToSuccessMessage(benchmark::State& state) {
    Client client;
    if (!client.page) {
        state.SkipWithError("the client did not start against the stand-in");
        return;
    }
    for (auto _ : state) {
        if (client.page->SendReport() == 1) {
            client.app->ShowMessage(client.app->Env().GetText("MESSAGE", "MSG_SendCall_Success"));
        }
    }
    if (client.successes != static_cast<int>(state.iterations())) {
        state.SkipWithError("a report was not accepted");
    }
}
BENCHMARK(ConfirmedReportToSuccessMessage)->Unit(benchmark::kMillisecond)->UseRealTime();

void RefreshWithFourPersons(benchmark::State& state) {
    Client client;
    if (!client.page || client.page->PersonsShown() != 4) {
        state.SkipWithError("the client did not start with four persons");
        return;
    }
    for (auto _ : state) {
        client.page->Refresh();
    }
}
BENCHMARK(RefreshWithFourPersons)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
