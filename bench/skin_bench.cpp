// Start-up cost of the skin and the cost of painting a page background.
#include "skin/CXDialog.h"
#include "skin/SkinCatalogue.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

const char* const kProgramFolder = HALVREN_DIST_DIR;

// Loading all 69 skin files, as the client does once at start.
void BM_PreloadSkin(benchmark::State& state) {
    int missing = 0;
    for (auto _ : state) {
        SkinCatalogue catalogue(kProgramFolder, [&missing](const std::string&) { ++missing; });
        benchmark::DoNotOptimize(catalogue.GetImage("main_bg.bmp"));
    }
    if (missing) {
        state.SkipWithError("the skin has not been painted");
    }
}
BENCHMARK(BM_PreloadSkin)->Unit(benchmark::kMillisecond);

// One paint of a 988 x 537 page background, composed off-screen and copied in one step.
void BM_PaintPageBackground(benchmark::State& state) {
    SkinCatalogue catalogue(kProgramFolder, [](const std::string&) {});
    CXDialog page;
    page.resize(988, 537);
    if (page.SetBackground(catalogue.GetImage("SendCall_BG.bmp")) != 0 || !page.Background()) {
        state.SkipWithError("the skin has not been painted");
        return;
    }
    QImage target(988, 537, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&target);
        page.DrawBackground(painter);
    }
}
BENCHMARK(BM_PaintPageBackground)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
