#pragma once

#include "skin/SkinResources.h"

#include <QApplication>
#include <benchmark/benchmark.h>

// main() of a benchmark that drives real widgets: one application object for all its measurements.
inline int RunQtBenchmarks(int argc, char** argv) {
    QApplication application(argc, argv);
    InstallSkinFonts();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
