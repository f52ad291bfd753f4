// Channel sheets of the four model types: building and first painting a full bank (64 channels in
// use, each named, so every column shows a value and every name is drawn as segments; 74 rows of
// cells). Goal: under 20 ms each.
#include "bench/qxBenchMain.h"
#include "bench/qxBenchImage.h"
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

constexpr int kWidth = 1600, kHeight = 900;

void BM_ChannelSheetBuildAndFirstPaint(benchmark::State& state) {
    const int model = static_cast<int>(state.range(0));
    bench::LoadFullChannels(model, 1);
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
