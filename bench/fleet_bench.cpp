// Several radios at once: qx-p2210-cli writes one clone file to 1 and to 4 simulated radios paced
// to the line at 38400 bit/s (each radio on its own pseudo-terminal, all clone engines on the
// tool's one event loop). The fleet should take hardly longer than a single radio.
//
// Reported per run:
//   wall_s     the command's wall time, from start to its summary table
//   vs_one     wall time over the wall time of the 1-radio run (run first)
// The "safe" variant adds the backup read before and the read-back after each write.
#include "bench/qxBenchMain.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace qx;

std::string Bin() { return cmcProgramDir(); }

// A clone file with one channel in use, made once.
std::string File() {
    static std::string path;
    if (path.empty()) {
        path = QCoreApplication::applicationDirPath().toStdString() + "/fleet_bench_one.qcf";
        QProcess set;
        set.start(QString::fromStdString(Bin() + "qx-p2210-cli"),
                  {"set", QString::fromStdString(Bin() + "ZT5531K_PMR.QCF"), "-o", QString::fromStdString(path),
                   "%CT_Mch.CL_Mch_FreqR[0]=446.00625"});
        set.waitForFinished(30000);
    }
    return path;
}

double oneRadioSeconds[2] = {0, 0};

void RunFleet(benchmark::State& state, bool safe) {
    const int radios = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::vector<std::unique_ptr<QProcess>> sims;
        QStringList args{"write", "--high-speed", "--yes"};
        if (!safe) args << "--no-backup" << "--no-verify";
        for (int i = 0; i < radios; ++i) {
            auto sim = std::make_unique<QProcess>();
            sim->start(QString::fromStdString(Bin() + "qx-p2210-radiosim"), {"--baud", "auto", "--model-type", "1"});
            if (!sim->waitForStarted(5000) || !sim->waitForReadyRead(5000)) {
                state.SkipWithError("the simulator did not start");
                return;
            }
            args << "--port" << sim->readLine().trimmed();
            sims.push_back(std::move(sim));
        }
        if (safe) args << "--backup" << QCoreApplication::applicationDirPath() + "/fleet_bench_backups";
        args << QString::fromStdString(File());
        QProcess cli;
        cli.setProcessChannelMode(QProcess::MergedChannels);
        const auto t0 = std::chrono::steady_clock::now();
        cli.start(QString::fromStdString(Bin() + "qx-p2210-cli"), args);
        cli.waitForFinished(600000);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        for (auto& sim : sims) {
            sim->terminate();
            sim->waitForFinished(3000);
        }
        if (cli.exitCode() != 0) {
            state.SkipWithError(("the write ended with " + std::to_string(cli.exitCode()) + ": " +
                                 cli.readAll().toStdString()).c_str());
            return;
        }
        state.SetIterationTime(wall);
        if (radios == 1) oneRadioSeconds[safe] = wall;
        state.counters["wall_s"] = wall;
        if (oneRadioSeconds[safe] > 0) state.counters["vs_one"] = wall / oneRadioSeconds[safe];
    }
}

void BM_FleetWrite(benchmark::State& state) { RunFleet(state, false); }
void BM_FleetWriteSafe(benchmark::State& state) { RunFleet(state, true); }

BENCHMARK(BM_FleetWrite)->Arg(1)->Arg(4)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_FleetWriteSafe)->Arg(1)->Arg(4)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) { return qx::bench::Run(argc, argv, qx::bench::App::Core); }
