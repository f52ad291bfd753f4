// Printing a whole clone file into a PDF as `qx-p2210-cli print` does: every sheet of the topic
// tree counted, cut into pages and drawn, then the outline appended. The image has all 64 channels
// in use, named, over four banks of 16. Goal: under 2 s for the model type's full PDF.
#include "bench/qxBenchMain.h"
#include "bench/qxBenchImage.h"
#include "app/cuiTree.h"
#include "cells/cmcCellCapsule.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"
#include "printing/cmcPrintInfo.h"
#include "printing/cuiPrintJob.h"
#include "printing/cuiSheetPrinter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace qx;

namespace {

void BM_PrintWholeFileToPdf(benchmark::State& state) {
    const int model = static_cast<int>(state.range(0));
    indMain& main = bench::LoadFullChannels(model, 4);
    const std::vector<std::string> sheets = cuiTree::MainTreeSheets(GTex(), main);
    cmcSheetContext ctx;
    ctx.modelType = main.ModelType();
    ctx.image = &main.WorkingImage();
    const cmcPrintInfo info{"fleet.qcf", indMain::ModelName(model), "2026-03-04 14:05"};
    int pages = 0;
    size_t bytes = 0;
    for (auto _ : state) {
        cuiPdfDocument pdf;
        pdf.SetTitle(cmcPdfTitle(info));
        std::vector<cuiPrintedSheet> printed;
        pages = cuiPrintSheetsNow(pdf.Device(), sheets, ctx, info, nullptr, &printed);
        const std::string out = cuiPdfWithOutline(pdf.Bytes(), printed);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["pages"] = pages;
    state.counters["kB"] = static_cast<double>(bytes) / 1024.0;
    state.SetLabel(indMain::ModelName(model));
}
BENCHMARK(BM_PrintWholeFileToPdf)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) { return qx::bench::Run(argc, argv, qx::bench::App::Gui); }
