// Keyed line lookups in the definition store: cold (a fresh store finding a key deep in a realistic
// file) and warm (repeated lookups served by the index, the read cursors and the line cache).
#include "defs/cmcGTex.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace qx;

namespace {

// A definition file shaped like the real one: many one-line texts, message sections of a few
// lines, and sheet sections (style, basic cell, rows of cell descriptions), about 1.5 MB in all.
struct BenchFile {
    std::string path;
    std::string deepKey;             // the last section before "#End_Of_Ovl"
    std::vector<std::string> hotKeys;  // spread over the file
    std::string sheetCells;          // a sheet's rows
    size_t bytes = 0;

    BenchFile() {
        path = (std::filesystem::temp_directory_path() / ("qx-gtex-bench-" + std::to_string(getpid()) + ".OVL")).string();
        std::string c = "Bench definition file.\n";
        int sections = 0;
        for (int i = 0; i < 600; ++i) {
            std::string t = "GI_App_Text_" + std::to_string(i);
            c += "#" + t + "\nCaption text number " + std::to_string(i) + "\n";
            std::string m = "GI_Mess_Text_" + std::to_string(i);
            c += "#" + m + "\nThe first line of message " + std::to_string(i) + " explains what happened.\n\n"
                 "The second paragraph says what the user can do about it.\n";
            sections += 2;
            if (i % 3 == 0) {
                std::string base = "GI_Sheet_Bench_" + std::to_string(i);
                c += "#" + base + "_Style\n(FixedCols=1)(FixedRows=1)(DefaultColWidth=64)\n";
                c += "#" + base + "_BasicCell\n{($Basic)(PopupMenu=GI_PMenu_Basic)(Align=Center)}\n";
                c += "#" + base + "_Cells\n";
                for (int r = 0; r < 24; ++r) {
                    c += "{(Cat=CT_Head)(Text=Row " + std::to_string(r) + ")}";
                    for (int k = 0; k < 6; ++k)
                        c += "{(Cat=CT_Value)(Label=CL_Ch_RxFreq)(Index=" + std::to_string(r * 6 + k) + ")}";
                    c += "\n";
                }
                c += "#\n";
                sections += 3;
                if (i % 150 == 0) sheetCells = base + "_Cells";
            }
            if (i % 75 == 0) hotKeys.push_back(t);
        }
        deepKey = "GI_Sys_Deep_Key";
        c += "#" + deepKey + "\nfound\n#End_Of_Ovl\n";
        std::ofstream(path, std::ios::binary) << c;
        bytes = c.size();
    }
    ~BenchFile() { std::remove(path.c_str()); }
};

BenchFile& File() {
    static BenchFile f;
    return f;
}

void BM_ColdLookupDeepKey(benchmark::State& state) {
    auto& f = File();
    for (auto _ : state) {
        cmcGTex g;
        g.SetFileName(f.path);
        benchmark::DoNotOptimize(g.FirstLine(f.deepKey));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.bytes));
    state.counters["file_kb"] = static_cast<double>(f.bytes) / 1024.0;
}
BENCHMARK(BM_ColdLookupDeepKey)->Unit(benchmark::kMillisecond);

void BM_ColdLookupFirstKey(benchmark::State& state) {
    auto& f = File();
    for (auto _ : state) {
        cmcGTex g;
        g.SetFileName(f.path);
        benchmark::DoNotOptimize(g.FirstLine("GI_App_Text_0"));
    }
}
BENCHMARK(BM_ColdLookupFirstKey)->Unit(benchmark::kMicrosecond);

// First lines of a handful of keys spread over the file, asked over and over (captions, titles).
void BM_CachedFirstLine(benchmark::State& state) {
    auto& f = File();
    cmcGTex g;
    g.SetFileName(f.path);
    g.FirstLine(f.deepKey);  // index the whole file once
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(g.FirstLine(f.hotKeys[i]));
        if (++i == f.hotKeys.size()) i = 0;
    }
}
BENCHMARK(BM_CachedFirstLine);

// The same line of the deepest key again and again: found at the front of the index.
void BM_CachedSameKey(benchmark::State& state) {
    auto& f = File();
    cmcGTex g;
    g.SetFileName(f.path);
    for (auto _ : state) benchmark::DoNotOptimize(g.FirstLine(f.deepKey));
}
BENCHMARK(BM_CachedSameKey);

// Walking a sheet's 24 rows as the sheet builder does, line 0, 1, ... up to the end line.
void BM_CachedSectionWalk(benchmark::State& state) {
    auto& f = File();
    cmcGTex g;
    g.SetFileName(f.path);
    for (auto _ : state) {
        for (int n = 0;; ++n) {
            std::string line = g.Line(f.sheetCells, n);
            if (!line.empty() && line[0] == '#') break;
            benchmark::DoNotOptimize(line);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 25);
}
BENCHMARK(BM_CachedSectionWalk)->Unit(benchmark::kMicrosecond);

void BM_CachedSectionText(benchmark::State& state) {
    auto& f = File();
    cmcGTex g;
    g.SetFileName(f.path);
    for (auto _ : state) benchmark::DoNotOptimize(g.SectionText("GI_Mess_Text_300"));
}
BENCHMARK(BM_CachedSectionText);

}  // namespace

BENCHMARK_MAIN();
