#pragma once
// The entry of a benchmark that needs a Qt application (fonts, widgets, the window):
// offscreen unless a platform is chosen, the registered benchmarks run, and before (when
// given) runs once first, outside every measurement.

#include <QApplication>
#include <benchmark/benchmark.h>
#include <functional>

inline int RunQtBenchmarks(int argc, char** argv, const std::function<void()>& before = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (before)
        before();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
