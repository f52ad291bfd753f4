// Channel plans of a full image (64 channels in use over two banks, named, with shifts and tones):
// export, import of that plan into an image without channels, and the comparison of two images
// over every sheet of the topic tree, as `diff` and File > Compare with File do. Goal: under 50 ms
// each. And a plan of 100,000 lines (the full plan over and over: 64 channels set, every later
// line a second line for its channel, or past the 64 channels when appended to a bank), imported
// skipping the bad lines. Goal: well under 5 s, and memory bounded by the plan's text.
#include "bench/qxBenchMain.h"
#include "app/cuiTree.h"
#include "cells/cmcChannelPlan.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"


#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

using namespace qx;

namespace {

void FullImage(indMain& main, bool channels) {
    main.LoadStartImage(kModelPmr);
    uint8_t* image = main.WorkingImage().Data();
    for (int b = 0; b < map::kBankCount; ++b) datSetBankSize(image, b, !channels ? 0 : b == 0 ? 40 : b == 1 ? 24 : 0);
    if (!channels) return;
    for (int n = 0; n < map::kChannelCount; ++n) {
        datCh ch(image);
        ch.Load(datChannelKind(kModelPmr), n);
        ch.rxFreq = 446006250 + 12500 * static_cast<uint32_t>(n % 16);
        ch.txFreq = ch.rxFreq + (n % 3 == 0 ? 600000 : 0);
        ch.inUse = true;
        ch.rxTone = datTone{};
        ch.txTone = datTone{};
        if (n % 2) {
            ch.txTone.enabled = ch.rxTone.enabled = true;
            ch.txTone.ctcss = ch.rxTone.ctcss = static_cast<uint8_t>(n % 40);
        }
        ch.narrow = n % 2;
        char name[9];
        std::snprintf(name, sizeof name, "CH %02d.AB", n);
        std::memcpy(ch.text, name, 8);
        ch.Store();
    }
}

struct Fixture {
    indMain full, empty, edited;
    std::string plan, hugePlan;
    std::vector<std::string> sheets;
    Fixture() {
        OpenDefinitionFiles();
        FullImage(full, true);
        FullImage(edited, true);
        datCh ch(edited.WorkingImage().Data());
        ch.Load(datChannelKind(kModelPmr), 50);
        ch.narrow = !ch.narrow;
        ch.Store();
        plan = ExportChannelPlan(full);
        sheets = cuiTree::MainTreeSheets(GTex(), full);
        const size_t body = plan.find('\n') + 1;
        hugePlan = plan;
        for (int lines = 64; lines < kHugeLines; lines += 64) hugePlan.append(plan, body, std::string::npos);
    }
    static constexpr int kHugeLines = 100000;
};

Fixture& F() {
    static Fixture f;
    return f;
}

void BM_ExportFullImage(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ExportChannelPlan(F().full));
}

void BM_ImportFullPlan(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        FullImage(F().empty, false);
        state.ResumeTiming();
        const cmcPlanImport r = ImportChannelPlan(F().empty, F().plan, {});
        if (!r.applied || r.changes.size() != 64) state.SkipWithError("the plan was not imported");
    }
}

void BM_DiffFullImages(benchmark::State& state) {
    for (auto _ : state) {
        const auto lines = DiffImages(F().full, F().edited, F().sheets);
        if (lines.size() != 1) state.SkipWithError("the edited cell was not found alone");
    }
    state.counters["sheets"] = static_cast<double>(F().sheets.size());
}

}  // namespace

void BM_ImportHugePlan(benchmark::State& state) {
    const bool append = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        FullImage(F().empty, false);
        state.ResumeTiming();
        const cmcPlanImport r = ImportChannelPlan(F().empty, F().hugePlan, {.bank = append ? 0 : -1, .skipBad = true});
        // By Location every later line names a channel set already; appended, the lines past the
        // last free channel are one problem naming the first of them.
        const size_t problems = append ? 1 : cmcPlanImport::kMaxPlanProblems;
        if (!r.applied || r.changes.size() != 64 || r.problems.size() != problems)
            state.SkipWithError("the plan's first 64 lines were not imported alone");
        state.counters["refused"] = r.refusedLines;
    }
    state.counters["bytes"] = static_cast<double>(F().hugePlan.size());
}

BENCHMARK(BM_ExportFullImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportFullPlan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DiffFullImages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportHugePlan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
int main(int argc, char** argv) { return qx::bench::Run(argc, argv, qx::bench::App::Gui); }
