// Start-up of the program: from the process start to the main window shown with its first sheet
// painted, and the resident memory at that moment.
//
// Each iteration starts this executable again as a child ("--child"), which runs the program's own
// start-up (the same code as qx-p2210: settings, definition files, initial clone file, window,
// tree, first sheet) on the offscreen platform with settings in a fresh folder. The child reports
// on its standard output as soon as the first sheet's grid has been painted, together with its
// resident memory, and ends. The parent times from spawning the child to that report.
#include "app/Frmmain.h"
#include "app/cuiGrid.h"

#include <QApplication>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string gSelf;

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

// Reports after the first paint of a sheet's grid has been delivered, then ends the program.
class FirstPaint final : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* e) override {
        // The grid paints its viewport, a child widget of the grid.
        if (!done_ && e->type() == QEvent::Paint && (qobject_cast<qx::cuiGrid*>(o) || qobject_cast<qx::cuiGrid*>(o->parent()))) {
            done_ = true;
            QTimer::singleShot(0, qApp, [] {
                std::printf("painted %ld\n", ResidentKb());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    bool done_ = false;
};

int RunChild(int argc, char** argv) {
    FirstPaint probe;
    return qx::cuiRunProgram(argc, argv, [&](qx::Frmmain&) { qApp->installEventFilter(&probe); });
}

struct Sample {
    double seconds = 0;
    long rssKb = 0;
    bool ok = false;
};

Sample StartOnce(const std::string& configDir) {
    Sample s;
    int out[2];
    if (pipe(out) != 0) return s;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("XDG_CONFIG_HOME=", 0) == 0 || v.rfind("XDG_RUNTIME_DIR=", 0) == 0 ||
            v.rfind("QT_QPA_PLATFORM=", 0) == 0)
            continue;
        env.push_back(v);
    }
    env.push_back("XDG_CONFIG_HOME=" + configDir);
    env.push_back("XDG_RUNTIME_DIR=" + configDir);
    env.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (auto& v : env) envp.push_back(v.data());
    envp.push_back(nullptr);
    std::string arg0 = gSelf, arg1 = "--child";
    char* argv[] = {arg0.data(), arg1.data(), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, gSelf.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return s;
    }
    std::string got;
    char buf[256];
    while (got.find('\n') == std::string::npos) {
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<size_t>(n));
    }
    const auto end = std::chrono::steady_clock::now();
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (got.rfind("painted ", 0) == 0) {
        s.ok = true;
        s.rssKb = std::atol(got.c_str() + 8);
        s.seconds = std::chrono::duration<double>(end - start).count();
    }
    return s;
}

void BM_StartUpToFirstSheet(benchmark::State& state) {
    const std::string configDir =
        (std::filesystem::temp_directory_path() / ("qx-startup-bench-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(configDir);
    std::filesystem::permissions(configDir, std::filesystem::perms::owner_all);
    double rss = 0;
    int runs = 0;
    for (auto _ : state) {
        // A fresh settings folder every time: the start of a first run (no stored settings).
        std::filesystem::remove_all(configDir + "/Vexa");
        const Sample s = StartOnce(configDir);
        if (!s.ok) {
            state.SkipWithError("the program did not report its first sheet");
            break;
        }
        state.SetIterationTime(s.seconds);
        rss += static_cast<double>(s.rssKb) / 1024.0;
        ++runs;
    }
    if (runs) state.counters["rss_MB"] = rss / runs;
    std::filesystem::remove_all(configDir);
}
BENCHMARK(BM_StartUpToFirstSheet)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    gSelf = std::filesystem::canonical("/proc/self/exe").string();
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) {
        int childArgc = 1;
        return RunChild(childArgc, argv);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
