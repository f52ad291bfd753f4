// Loading a complete clone file (the whole EEPROM area, checked against the range list of the area)
// into an image, as the program reads its initial file. Also the writer, for comparison.
#include "common/cmcMessage.h"
#include "image/cmcEeprom.h"
#include "image/cmcQcfFile.h"
#include "image/cmcQcfWriter.h"
#include "image/indFileChecks.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace qx;

cmcEeprom PatternImage() {
    cmcEeprom e;
    e.Resize(kImageSize);
    for (int a = 0; a <= kEepromAreaEnd; ++a) e.SetByte(a, static_cast<uint8_t>(a * 13 + 7));
    return e;
}

std::string TempPath(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/qx-bench-" + std::to_string(::getpid()) + "-" + name;
}

void BM_LoadCompleteCloneFile(benchmark::State& state) {
    const std::string path = TempPath("load.qcf");
    cmcQcfWriter writer;
    if (!writer.Write(path, PatternImage(), indEepromAreaRanges())) {
        state.SkipWithError(writer.ErrorText().c_str());
        return;
    }
    cmcEeprom image;
    image.Resize(kImageSize);
    for (auto _ : state) {
        cmcQcfFile file;
        indPrepareCloneFileReader(file, image);
        const int code = file.Load(path, indEepromAreaRanges());
        if (code != 0) {
            state.SkipWithError("the clone file was refused");
            break;
        }
        benchmark::DoNotOptimize(image.Data());
    }
    state.SetBytesProcessed(state.iterations() * (kEepromAreaEnd + 1));
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadCompleteCloneFile)->Unit(benchmark::kMicrosecond);

void BM_FormatCompleteCloneFile(benchmark::State& state) {
    const cmcEeprom image = PatternImage();
    cmcQcfWriter writer;
    std::string text;
    for (auto _ : state) {
        writer.Format(image, indEepromAreaRanges(), text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * (kEepromAreaEnd + 1));
}
BENCHMARK(BM_FormatCompleteCloneFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
