// Sheets: building and first painting the channel/bank sheet of a full bank (64 channels, 74 rows
// of cells) from the definition files, and repainting it while it scrolls. Goals: build and first
// paint under 20 ms, a scroll repaint under 5 ms.
#include "bench/qxBenchMain.h"
#include "app/cuiGrid.h"
#include "cells/cmcCellCapsule.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheet.h"
#include "image/indMain.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

using namespace qx;

namespace {

// The program's state for the benchmarks: definition files, the LMR start image (bank 0 holds all
// 64 channels) and the real cell handler.
struct Program {
    std::unique_ptr<indMain> main;
    Program() {
        OpenDefinitionFiles();
        cmcSetDefaultCellHandler([](cmcCellRequest& r) { return cmcCellCapsule().Execute(r, true); });
        main = std::make_unique<indMain>();
        main->LoadStartImage(0);
    }
};

Program& TheProgram() {
    static Program p;
    return p;
}

constexpr int kWidth = 1000, kHeight = 700;

void PaintViewport(cuiSheet& sheet, QImage& target) {
    QPainter p(&target);
    sheet.Grid()->viewport()->render(&p);
}

void BM_ChBankBuildAndFirstPaint(benchmark::State& state) {
    TheProgram();
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QWidget host;
        host.setAttribute(Qt::WA_DontShowOnScreen);
        host.resize(kWidth, kHeight);
        iuiSh_ChBank sheet(&host, nullptr, kLabelNone, 0, GTex(), "GI_Sheet_Mch_Lmr", &host);
        sheet.SetParameter("Bank 0");
        sheet.Build();
        host.show();
        PaintViewport(sheet, target);
        benchmark::DoNotOptimize(target.bits());
        state.PauseTiming();
        host.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ChBankBuildAndFirstPaint)->Unit(benchmark::kMillisecond);

void BM_ChBankScrollRepaint(benchmark::State& state) {
    TheProgram();
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    QWidget host;
    host.setAttribute(Qt::WA_DontShowOnScreen);
    host.resize(kWidth, kHeight);
    iuiSh_ChBank sheet(&host, nullptr, kLabelNone, 0, GTex(), "GI_Sheet_Mch_Lmr", &host);
    sheet.SetParameter("Bank 0");
    sheet.Build();
    host.show();
    QApplication::processEvents();
    cuiGrid& grid = *sheet.Grid();
    int top = grid.FixedRows();
    for (auto _ : state) {
        top = top + 1 < grid.RowCount() - 5 ? top + 1 : grid.FixedRows();
        grid.SetTopLeft(grid.LeftCol(), top);
        PaintViewport(sheet, target);
        benchmark::DoNotOptimize(target.bits());
    }
    state.counters["rows"] = grid.RowCount();
    state.counters["cols"] = grid.ColCount();
}
BENCHMARK(BM_ChBankScrollRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return qx::bench::Run(argc, argv, qx::bench::App::Gui); }
