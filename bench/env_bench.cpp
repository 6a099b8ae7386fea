// Loading and saving a full person file through the real cipher library, and one text-table lookup.
#include "client/env/Environment.h"
#include "platform/SafeSave.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

namespace fs = std::filesystem;

// A program folder with the cipher, the built text table and 4 persons with every field filled.
struct FullFolder {
    TempDir dir;
    std::unique_ptr<Environment> env;

    FullFolder() {
        const fs::path dist = fs::path(HALVREN_KAVREL_PATH).parent_path();
        fs::copy_file(HALVREN_KAVREL_PATH, dir.Path() / CipherLibrary::kFileName);
        if (fs::exists(dist / "TxtRes.rsc")) {
            fs::copy_file(dist / "TxtRes.rsc", dir.Path() / "TxtRes.rsc");
        }
        env = std::make_unique<Environment>(dir.Str());
        for (int i = 0; i < Environment::kMaxPersons; ++i) {
            auto p = std::make_unique<Person>();
            for (int f = 0; f < Person::kFieldCount; ++f) {
                p->Plain(Person::Field(f)) = std::string(20, static_cast<char>('a' + f));
            }
            p->Ssn = "80010112345" + std::to_string(10 + i);
            p->CaseNote = std::string(200, 'c'); // the longest field the pages allow
            const std::string key = p->Ssn;
            env->PersonMap().Insert(key, std::move(p));
        }
        env->SavePersons();
    }
};

void BM_SavePersons(benchmark::State& state) {
    FullFolder folder;
    for (auto _ : state) {
        if (!folder.env->SavePersons()) {
            state.SkipWithError("save failed");
            break;
        }
    }
}
BENCHMARK(BM_SavePersons)->Unit(benchmark::kMicrosecond);

// The disk's share of a save: the same bytes through the safe save alone (temporary file, flush, rename).
void BM_SafeSaveOnly(benchmark::State& state) {
    FullFolder folder;
    std::ifstream in(folder.env->PersonStorePath(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (auto _ : state) {
        if (!platform::SafeSave(folder.env->PersonStorePath(), bytes, 0600)) {
            state.SkipWithError("save failed");
            break;
        }
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_SafeSaveOnly)->Unit(benchmark::kMicrosecond);

void BM_LoadPersons(benchmark::State& state) {
    FullFolder folder;
    for (auto _ : state) {
        if (!folder.env->LoadPersons() || folder.env->PersonCount() != Environment::kMaxPersons) {
            state.SkipWithError("load failed");
            break;
        }
    }
}
BENCHMARK(BM_LoadPersons)->Unit(benchmark::kMicrosecond);

void BM_GetText(benchmark::State& state) {
    FullFolder folder;
    for (auto _ : state) {
        // The last key of the table: the whole file is read and scanned.
        const std::string text = folder.env->GetText("TOOLTIP", "EU_PAGE_EDT_CASE");
        if (text.empty()) {
            state.SkipWithError("no text table");
            break;
        }
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_GetText)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
