#pragma once
// main() of a benchmark of widgets: a QApplication on the offscreen platform unless told
// otherwise, then the benchmarks.

#include <benchmark/benchmark.h>

#include <QApplication>

#define KV_QT_BENCHMARK_MAIN()                                                                       \
    int main(int argc, char** argv) {                                                                \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen"); \
        QApplication app(argc, argv);                                                                \
        benchmark::Initialize(&argc, argv);                                                          \
        benchmark::RunSpecifiedBenchmarks();                                                         \
        benchmark::Shutdown();                                                                       \
        return 0;                                                                                    \
    }
