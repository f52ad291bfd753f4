// Writing radios by the dozen: qx-p2210-cli against simulated radios paced to the line (each radio
// on its own pseudo-terminal, all clone engines on the tool's one event loop), at 9600 and at
// 38400 bit/s. Each run starts fresh simulators and times the whole command, as a user sees it.
//
//   BM_Read/<baud>            read one radio into a clone file (identification and full read)
//   BM_PlainWrite/<baud>      write one radio without backup and read-back (--no-backup --no-verify)
//   BM_SafeWrite/<baud>       write one radio as by default: backup read, write, read-back
//   BM_FleetSafeWrite/<baud>  the safe write of 4 radios at once
//
// Reported per run:
//   wall_s     the command's wall time, from start to exit
//   vs_budget  (BM_SafeWrite) safe / (read + 2 x plain write) at the same speed; the goal is <= 1.1
//   vs_one     (BM_FleetSafeWrite) 4 radios / 1 radio, both safe; the goal is <= 1.1
// The ratios need the runs before them at the same speed: run the whole program, or filter with a
// pattern that keeps them (e.g. --benchmark_filter=/38400).
//
// The written file is the PMR start file with channels 0-31 in use (0x0100-0x13FF written); the
// radio holds its own start data. A longer write changes little: the read-back grows with it.
#include "bench/qxBenchMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace qx;

constexpr int kFleetRadios = 4;

QString Bin(const char* program) { return QString::fromStdString(cmcProgramDir()) + program; }
QString WorkDir() { return QCoreApplication::applicationDirPath() + "/fleet_bench_files"; }

// The clone file written, made once: 32 channels in use.
QString File() {
    static QString path;
    if (path.isEmpty()) {
        QDir().mkpath(WorkDir());
        path = WorkDir() + "/fleet_bench.qcf";
        QStringList args{"set", Bin("ZT5531K_PMR.QCF"), "-o", path};
        for (int ch = 0; ch < 32; ++ch)
            args << QString("%CT_Mch.CL_Mch_FreqR[%1]=446.%2").arg(ch).arg(625 + 1250 * (ch % 8), 5, 10, QChar('0'));
        QProcess set;
        set.start(Bin("qx-p2210-cli"), args);
        set.waitForFinished(60000);
        if (set.exitStatus() != QProcess::NormalExit || set.exitCode() != 0) {
            std::fprintf(stderr, "fleet_bench: %s\n", set.readAllStandardError().constData());
            path.clear();
        }
    }
    return path;
}

enum class Op { Read, PlainWrite, SafeWrite };

struct Figures {
    double read = 0, plainWrite = 0, safeWrite = 0;
};
std::map<int, Figures> figures;  // by line speed

// Starts `radios` simulators, runs the command over them and returns its wall time; 0 after a
// failure (the state is told why).
double RunCli(benchmark::State& state, Op op, int baud, int radios) {
    const QString file = File();
    if (file.isEmpty()) {
        state.SkipWithError("the clone file to write could not be made");
        return 0;
    }
    std::vector<std::unique_ptr<QProcess>> sims;
    QStringList args;
    args << (op == Op::Read ? "read" : "write");
    if (baud == 38400) args << "--high-speed";
    for (int i = 0; i < radios; ++i) {
        auto sim = std::make_unique<QProcess>();
        sim->start(Bin("qx-p2210-radiosim"), {"--baud", "auto", "--model-type", "1"});
        if (!sim->waitForStarted(5000) || !sim->waitForReadyRead(5000)) {
            state.SkipWithError("the simulator did not start");
            return 0;
        }
        args << "--port" << sim->readLine().trimmed();
        sims.push_back(std::move(sim));
    }
    switch (op) {
        case Op::Read: args << "-o" << WorkDir() + "/read.qcf"; break;
        case Op::PlainWrite: args << "--yes" << "--no-backup" << "--no-verify" << file; break;
        case Op::SafeWrite: args << "--yes" << "--backup" << WorkDir() + "/backups" << file; break;
    }
    QProcess cli;
    cli.setProcessChannelMode(QProcess::MergedChannels);
    const auto t0 = std::chrono::steady_clock::now();
    cli.start(Bin("qx-p2210-cli"), args);
    cli.waitForFinished(900000);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    for (auto& sim : sims) {
        sim->terminate();
        sim->waitForFinished(3000);
    }
    if (cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0) {
        state.SkipWithError(("the command ended with " + std::to_string(cli.exitCode()) + ": " +
                             cli.readAll().toStdString()).c_str());
        return 0;
    }
    state.SetIterationTime(wall);
    state.counters["wall_s"] = wall;
    return wall;
}

void BM_Read(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    for (auto _ : state) figures[baud].read = RunCli(state, Op::Read, baud, 1);
}

void BM_PlainWrite(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    for (auto _ : state) figures[baud].plainWrite = RunCli(state, Op::PlainWrite, baud, 1);
}

void BM_SafeWrite(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Figures& f = figures[baud];
        f.safeWrite = RunCli(state, Op::SafeWrite, baud, 1);
        if (f.safeWrite > 0 && f.read > 0 && f.plainWrite > 0)
            state.counters["vs_budget"] = f.safeWrite / (f.read + 2 * f.plainWrite);
    }
}

void BM_FleetSafeWrite(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const double wall = RunCli(state, Op::SafeWrite, baud, kFleetRadios);
        const double one = figures[baud].safeWrite;
        if (wall > 0 && one > 0) state.counters["vs_one"] = wall / one;
    }
}

// One run each: at 9600 bit/s a full read alone takes over half a minute.
BENCHMARK(BM_Read)->Arg(9600)->Arg(38400)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_PlainWrite)->Arg(9600)->Arg(38400)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_SafeWrite)->Arg(9600)->Arg(38400)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_FleetSafeWrite)->Arg(9600)->Arg(38400)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) { return qx::bench::Run(argc, argv, qx::bench::App::Core); }
