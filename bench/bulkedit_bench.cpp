// An edit of one column on 64 selected channel rows (a full bank): Space on the sheet steps every
// row's power through the cell handler as one undo step, and the same edit made by the script
// runner for a typed frequency and a chooser pick (what the command line's range does).
// Goal: under 50 ms for the 64 rows.
#include "bench/qxBenchMain.h"
#include "bench/qxBenchImage.h"
#include "app/cuiGrid.h"
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellScript.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheet.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"

#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

using namespace qx;

namespace {

// The PMR start image with one bank of 64 channels in use; the main object is the program's.
indMain& FullBank() {
    static indMain& main = bench::LoadFullChannels(kModelPmr, 1);
    return main;
}

// Space on the Power column of a bank sheet with all 64 rows selected.
void BM_SheetSpaceOn64Rows(benchmark::State& state) {
    indMain& main = FullBank();
    QWidget host;
    host.setAttribute(Qt::WA_DontShowOnScreen);
    host.resize(1600, 900);
    iuiSh_ChBank sheet(&host, nullptr, kLabelNone, 0, GTex(), "GI_Sheet_Mch_Pmr", &host);
    sheet.SetParameter("Bank 0");
    sheet.Build();
    host.show();
    if (!sheet.SelectByIdentity(CT_Mch, CL_Mch_RfPo, 0) ||
        !sheet.SelectCell(sheet.Col(), sheet.Row() + map::kChannelCount - 1, true) ||
        sheet.SelectedRows().size() != static_cast<size_t>(map::kChannelCount)) {
        state.SkipWithError("the 64 rows could not be selected");
        return;
    }
    int steps = 0;
    for (auto _ : state) {
        sheet.RunOperation(CA_Space);
        steps += main.CommitAction() ? 1 : 0;
    }
    state.counters["rows"] = static_cast<double>(sheet.SelectedRows().size());
    // Every Space is one undo step (none would mean the edit changed nothing).
    if (steps != static_cast<int>(state.iterations())) state.SkipWithError("a Space made no undo step");
}
BENCHMARK(BM_SheetSpaceOn64Rows)->Unit(benchmark::kMillisecond);

// The script runner's part alone: one value into 64 cells as one action.
void ScriptOn64Cells(benchmark::State& state, int label, std::vector<std::string> values) {
    indMain& main = FullBank();
    std::vector<cmcCellObj> cells(map::kChannelCount);
    std::vector<cmcCellObj*> targets;
    for (int n = 0; n < map::kChannelCount; ++n) {
        cells[n].category = CT_Mch;
        cells[n].label = label;
        cells[n].index = n;
        targets.push_back(&cells[n]);
    }
    cmcCellScript script(main);
    size_t turn = 0;
    int refused = 0;
    for (auto _ : state) {
        const std::string& value = values[turn++ % values.size()];
        indMain::ActionGroup group(main, "bench");
        const auto result = script.ApplyEach(
            targets, [&value](cmcCellScript& s, cmcCellObj& c, std::string* why) { return s.Apply(c, value, why); });
        refused += static_cast<int>(result.refused.size());
    }
    main.CommitAction();
    if (refused) state.SkipWithError("cells refused the value");
}

void BM_ScriptTypedFrequencyOn64Cells(benchmark::State& state) {
    ScriptOn64Cells(state, CL_Mch_FreqT, {"446.1", "446.2"});
}
BENCHMARK(BM_ScriptTypedFrequencyOn64Cells)->Unit(benchmark::kMillisecond);

void BM_ScriptPickOn64Cells(benchmark::State& state) {
    ScriptOn64Cells(state, CL_Mch_RfPo, {"@pick:1", "@pick:2"});
}
BENCHMARK(BM_ScriptPickOn64Cells)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return qx::bench::Run(argc, argv, qx::bench::App::Gui); }
