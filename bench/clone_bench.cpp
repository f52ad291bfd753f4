// Cloning against the simulated radio paced to the line (10 bits per byte at 9600 or 38400 bit/s):
// a full read of the EEPROM area and a full write of 0x0100-0x7D7F, each at both speeds.
//
// Reported per run:
//   ratio     the operation's total time divided by the wire time of the bytes that crossed the line
//             (computer and radio bytes, the connection script included); 1.0 is the cable's limit
//   cpu_frac  the program's processor time (user + system) during the operation over its wall time
//   wall_s, wire_s  the two times
#include "bench/qxBenchMain.h"
#include "comm/indCloneMan.h"
#include "defs/cmcGTex.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <sys/resource.h>

namespace {

using namespace qx;

double CpuSeconds() {
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

// Runs one operation against a freshly started, paced simulator.
void RunClone(benchmark::State& state, bool write) {
    const bool high = state.range(0) == 38400;
    for (auto _ : state) {
        QProcess sim;
        sim.setProgram(QString::fromStdString(cmcProgramDir() + "qx-p2210-radiosim"));
        sim.setArguments({"--baud", "auto"});
        sim.start();
        if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
            state.SkipWithError("the simulator did not start");
            return;
        }
        std::string device = sim.readLine().trimmed().toStdString();

        indCloneMan manager;
        manager.SetPortDevice(device);
        manager.SetHighSpeed(high ? 1 : 0);
        manager.SetIdent(0x6153, 0);
        manager.SetImageSize(kImageSize);
        manager.SetReadHook([](dst_CDrv_Result&) {});
        cmcEeprom image;
        image.Resize(kImageSize);
        for (int a = 0; a < kImageSize; ++a) image.SetByte(a, static_cast<uint8_t>(a * 13));
        cmcRange readRanges[] = {{0x0000, kEepromAreaEnd}, {1, 0}};
        cmcRange writeRanges[] = {{0x0100, kEepromAreaEnd}, {1, 0}};

        QEventLoop loop;
        int code = -1;
        auto done = [&](dst_CDrv_Result& r) {
            code = r.code;
            loop.quit();
        };
        double cpu0 = CpuSeconds();
        auto t0 = std::chrono::steady_clock::now();
        bool started = write ? manager.StartWrite(image, writeRanges, done) : manager.StartRead(readRanges, done);
        if (started) loop.exec();
        double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        double cpu = CpuSeconds() - cpu0;
        if (code != 0) {
            state.SkipWithError(("clone ended with code " + std::to_string(code)).c_str());
            return;
        }
        // The simulator's report: "<op> ok frames=.. data=.. wire_bytes=.. wire_ms=<t>".
        std::string report;
        for (int i = 0; i < 50 && report.find("wire_ms=") == std::string::npos; ++i) {
            sim.waitForReadyRead(100);
            report += sim.readAllStandardOutput().toStdString();
        }
        sim.terminate();
        sim.waitForFinished(3000);
        size_t at = report.rfind("wire_ms=");
        if (at == std::string::npos) {
            state.SkipWithError("no report from the simulator");
            return;
        }
        double wire = std::atof(report.c_str() + at + 8) / 1000.0;
        state.SetIterationTime(wall);
        state.counters["ratio"] = wall / wire;
        state.counters["cpu_frac"] = cpu / wall;
        state.counters["wall_s"] = wall;
        state.counters["wire_s"] = wire;
    }
}

void BM_CloneReadFull(benchmark::State& state) { RunClone(state, false); }
void BM_CloneWriteFull(benchmark::State& state) { RunClone(state, true); }

BENCHMARK(BM_CloneReadFull)->Arg(9600)->Arg(38400)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_CloneWriteFull)->Arg(9600)->Arg(38400)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    return qx::bench::Run(argc, argv, qx::bench::App::Core, [] { qx::OpenDefinitionFiles(); });
}
