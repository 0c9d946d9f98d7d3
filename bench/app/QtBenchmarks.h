#pragma once

// The window benchmarks run Google Benchmark inside a Qt application object, which their windows
// need.

#include <benchmark/benchmark.h>

#include <QApplication>

namespace quillory::bench {

// Runs the benchmarks the command line asks for (all by default) and ends the application object.
inline int RunQtBenchmarks(int argc, char** argv) {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace quillory::bench
