// The cell handler's refresh (action 0), which runs for every visible cell on every repaint and for
// every channel of a bank in the warning check: a channel/bank sheet's worth of cells.
#include "bench/qxBenchMain.h"
#include "cells/cmcCellCapsule.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcGTex.h"
#include "image/datCh.h"
#include "image/indMain.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace qx;

namespace {

struct Fixture {
    Fixture() {
        OpenDefinitionFiles();
        main.LoadStartImage(kModelPmr);
        uint8_t* w = main.WorkingImage().Data();
        datSetBankSize(w, 0, 64);
        for (int n = 0; n < 64; ++n) {
            datCh ch(w);
            ch.Load(KIND_ChPmr, n);
            ch.rxFreq = ch.txFreq = n % 2 ? 446006250 + 12500 * (n % 8) : 0;
            ch.inUse = ch.rxFreq != 0;
            ch.Store();
        }
    }
    indMain main;
};

Fixture& Shared() {
    static Fixture f;
    return f;
}

void RefreshCells(benchmark::State& state, std::vector<cmcCellObj> cells) {
    cmcCellCapsule capsule(&Shared().main);
    cmcCellRequest req;
    for (auto _ : state) {
        for (auto& cell : cells) {
            req.cell = &cell;
            req.action = 0;
            capsule.Execute(req, false);
            benchmark::DoNotOptimize(req.display.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(cells.size()));
}

std::vector<cmcCellObj> Cells(int category, int label, int count) {
    std::vector<cmcCellObj> cells(count);
    for (int i = 0; i < count; ++i) {
        cells[i].category = category;
        cells[i].label = label;
        cells[i].index = i;
    }
    return cells;
}

// 64 receive frequencies, half of them empty channels.
void BM_RefreshReceiveFrequencies(benchmark::State& state) { RefreshCells(state, Cells(CT_Mch, CL_Mch_FreqR, 64)); }
BENCHMARK(BM_RefreshReceiveFrequencies);

// Cells of empty channels: redirected at entry.
void BM_RefreshEmptyChannelCells(benchmark::State& state) { RefreshCells(state, Cells(CT_Mch, CL_Mch_Nar, 64)); }
BENCHMARK(BM_RefreshEmptyChannelCells);

// Counts computed from the image.
void BM_RefreshBankCounts(benchmark::State& state) {
    std::vector<cmcCellObj> cells;
    for (int label : {CL_Mch_Bank, CL_Mch_UsedCHs, CL_Mch_Bank_Left, CL_Mch_UsedCHs_Left})
        for (auto& c : Cells(CT_Null, label, 5)) cells.push_back(c);
    RefreshCells(state, std::move(cells));
}
BENCHMARK(BM_RefreshBankCounts);

// A list value shown through the selection list cache.
void BM_RefreshListCells(benchmark::State& state) { RefreshCells(state, Cells(CT_Null, CL_Mch_SmarTrunk, 5)); }
BENCHMARK(BM_RefreshListCells);

}  // namespace

int main(int argc, char** argv) { return qx::bench::Run(argc, argv, qx::bench::App::Core); }
