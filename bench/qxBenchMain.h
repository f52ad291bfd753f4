// The main() of the benchmark programs: the application object (a graphical one, off screen unless
// a platform is named, for benchmarks that build widgets or draw), the program path by which the
// data folder is found, then Google Benchmark with its own arguments.
//
//     int main(int argc, char** argv) { return qx::bench::Run(argc, argv, qx::bench::App::Gui); }
#pragma once

#include "common/cmcMessage.h"

#include <QApplication>
#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace qx::bench {

enum class App { Core, Gui };

// `prepare` runs once the application object and program path are set, before the benchmarks.
inline int Run(int argc, char** argv, App kind, void (*prepare)() = nullptr) {
    int appArgc = 1;
    std::unique_ptr<QCoreApplication> app;
    if (kind == App::Gui) {
        if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(appArgc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(appArgc, argv);
    }
    cmcSetProgramPath(argv[0]);
    if (prepare) prepare();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace qx::bench
