// Channel sheets of the four model types: building and first painting a full bank (64 channels in
// use, each named, so every column shows a value and every name is drawn as segments; 74 rows of
// cells). Goal: under 20 ms each.
#include "bench/qxBenchMain.h"
#include "app/cuiGrid.h"
#include "cells/cmcCellCapsule.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheet.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace qx;

namespace {

const char* const kSheets[] = {"GI_Sheet_Mch_Lmr", "GI_Sheet_Mch_Pmr", "GI_Sheet_Mch_PmrK", "GI_Sheet_Mch_DPmr446"};

std::unique_ptr<indMain>& Main() {
    static std::unique_ptr<indMain> main;
    return main;
}

// The model type's start image with one bank of 64 named channels in use.
void LoadFullBank(int model) {
    if (!Main()) {
        OpenDefinitionFiles();
        cmcSetDefaultCellHandler([](cmcCellRequest& r) { return cmcCellCapsule().Execute(r, true); });
        Main() = std::make_unique<indMain>();
    }
    indMain& main = *Main();
    main.LoadStartImage(model);
    uint8_t* image = main.WorkingImage().Data();
    for (int b = 0; b < map::kBankCount; ++b) datSetBankSize(image, b, b == 0 ? map::kChannelCount : 0);
    for (int n = 0; n < map::kChannelCount; ++n) {
        datCh ch(image);
        ch.Load(datChannelKind(model), n);
        ch.rxFreq = ch.txFreq = 446006250 + 12500 * (n % 8);
        ch.inUse = true;
        char name[9];
        std::snprintf(name, sizeof name, "CH %02d.AB", n);
        std::memcpy(ch.text, name, 8);
        ch.Store();
    }
}

constexpr int kWidth = 1600, kHeight = 900;

void BM_ChannelSheetBuildAndFirstPaint(benchmark::State& state) {
    const int model = static_cast<int>(state.range(0));
    LoadFullBank(model);
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    int rows = 0;
    for (auto _ : state) {
        QWidget host;
        host.setAttribute(Qt::WA_DontShowOnScreen);
        host.resize(kWidth, kHeight);
        iuiSh_ChBank sheet(&host, nullptr, kLabelNone, 0, GTex(), kSheets[model], &host);
        sheet.SetParameter("Bank 0");
        sheet.Build();
        host.show();
        QPainter p(&target);
        sheet.Grid()->viewport()->render(&p);
        benchmark::DoNotOptimize(target.bits());
        rows = sheet.RowCount();
        state.PauseTiming();
        p.end();
        host.hide();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    state.SetLabel(kSheets[model]);
}
BENCHMARK(BM_ChannelSheetBuildAndFirstPaint)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return qx::bench::Run(argc, argv, qx::bench::App::Gui); }
