// The main of the benchmark programs that need a Qt application: offscreen
// unless the caller chose a platform, with work of the program's own before
// and after the runs.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <functional>

inline int RunQtBenchmarks(int argc, char** argv, const std::function<void()>& before = {},
                           const std::function<void()>& after = {}) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (before) before();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (after) after();
    return 0;
}
