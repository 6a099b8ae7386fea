// What keeping the draft costs the typing: a keystroke in the detail field of a report of 2,000 characters
// (the change noted for the draft file), and the write of the draft file itself (enciphered, flushed, renamed).
#include "bench/QtBenchMain.h"
#include "client/app/ClientApp.h"
#include "client/app/DraftKeeper.h"
#include "client/app/MainDialog.h"
#include "client/env/Environment.h"
#include "client/report/CDlg_SendCall.h"
#include "platform/Codec.h"
#include "skin/CXTextEdit.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedCentre.h"

#include <QTest>
#include <benchmark/benchmark.h>
#include <filesystem>

namespace {

struct Client {
    ScriptedCentre centre;
    TempDir folder;
    TempDir locks;
    std::unique_ptr<ClientApp> app;
    CXTextEdit* detail = nullptr;

    Client() {
        LayOutProgramFolder(folder, centre.Host(), "1.0.0.0");
        {
            Environment env(folder.Str() + "/");
            auto person = std::make_unique<Person>();
            person->Ssn = "8001011234567";
            person->Name = platform::Cp949Of("홍길동");
            person->Addr1 = platform::Cp949Of("서울특별시 중구 세종대로 110");
            env.PersonMap().Insert(person->Ssn, std::move(person));
            env.SavePersons();
        }
        centre.QueueBody("<VESK><WORK>103</WORK><VERSION> 1.0.0.0 </VERSION></VESK>");
        ClientApp::Options options;
        options.programFolder = folder.Str() + "/";
        options.lockFolder = locks.Str();
        app = std::make_unique<ClientApp>(options);
        app->SetPrompter([](const std::string&, int) { return 1; });
        if (!app->StartUp()) {
            app.reset();
            return;
        }
        auto* page = static_cast<CDlg_SendCall*>(app->MainWindow()->PageAt(MainDialog::kReportPage));
        page->ChooseCategory(Selection::kFire);
        detail = page->findChild<CXTextEdit*>(QStringLiteral("editDetail"));
        // 1,999 bytes of Korean and digits, as a long report reads; one more character still fits.
        const std::string line = platform::Cp949Of("연기가 많이 납니다 3층 ");
        std::string text;
        while (text.size() + line.size() <= 1989) {
            text += line;
        }
        text.resize(1989, '.');
        detail->SetCp949Text(text + "0123456789");
        detail->setFocus();
        detail->moveCursor(QTextCursor::End);
    }
    ~Client() {
        if (app) {
            app->Exit();
        }
    }
};

// One keystroke as the user makes it, alternately a letter and a backspace, on the user-interface thread.
void KeystrokeInADetailOf2000Characters(benchmark::State& state) {
    Client client;
    if (!client.detail) {
        state.SkipWithError("the client did not start");
        return;
    }
    bool type = true;
    for (auto _ : state) {
        QTest::keyClick(client.detail, type ? Qt::Key_A : Qt::Key_Backspace, Qt::NoModifier);
        type = !type;
    }
    if (!client.app->MainWindow()->Draft().Pending()) {
        state.SkipWithError("the keystrokes did not schedule the draft");
    }
}
BENCHMARK(KeystrokeInADetailOf2000Characters)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();

// Saves of the draft, one an iteration: handed to the writer only, or also written to the disk and flushed.
void DraftSaves(benchmark::State& state, bool toTheDisk) {
    Client client;
    if (!client.detail) {
        state.SkipWithError("the client did not start");
        return;
    }
    QTest::keyClick(client.detail, Qt::Key_A, Qt::NoModifier);
    DraftKeeper& draft = client.app->MainWindow()->Draft();
    for (auto _ : state) {
        if (!draft.SaveNow() || (toTheDisk && !draft.Flush())) {
            state.SkipWithError("the draft was not written");
            break;
        }
    }
    if (!draft.Flush() || !std::filesystem::exists(draft.File().Path())) {
        state.SkipWithError("no draft file");
    }
}

// The scheduled write as the user-interface thread does it: the pages' values gathered and enciphered, and
// handed to the writer thread.
void DraftHandedToTheWriter(benchmark::State& state) {
    DraftSaves(state, false);
}
BENCHMARK(DraftHandedToTheWriter)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();

// The whole save of one draft: gathered, enciphered, written to a new file, flushed to the disk and renamed.
void DraftSavedToTheDisk(benchmark::State& state) {
    DraftSaves(state, true);
}
BENCHMARK(DraftSavedToTheDisk)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
