// Opening a clone file through the adoption of its image (load, checks, unpacking, model type,
// normalisation), the adoption alone, and the preparation of a clone write (a copy normalised in
// mode 2, packed with the parameter block). Goal: each well under 1 ms.
#include "bench/qxBenchMain.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/cmcPackedMap.h"
#include "image/cmcQcfWriter.h"
#include "image/datCh.h"
#include "image/indFileChecks.h"
#include "image/indInitialImage.h"
#include "image/indMain.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace qx;

namespace {

// A full radio of the model type: 64 channels in use in two banks, names and tones set.
cmcEeprom FullImage(int model) {
    cmcEeprom img;
    indBuildInitialImage(model, img);
    uint8_t* w = img.Data();
    datSetBankSize(w, 0, 40);
    datSetBankSize(w, 1, 24);
    datCh ch(w);
    for (int n = 0; n < 64; ++n) {
        ch.Load(datChannelKind(model), n);
        ch.inUse = true;
        ch.rxFreq = ch.txFreq = 446006250 + 6250u * uint32_t(n);
        ch.rxTone.enabled = true;
        ch.rxTone.ctcss = uint8_t(n % 50);
        char name[9];
        std::snprintf(name, sizeof name, "CH%-6d", n);
        std::memcpy(ch.text, name, 8);
        ch.scanLists = uint16_t(n);
        ch.Store();
    }
    const cmcEeprom self(img);
    cmcPackedMap::Normalise(img, self, model, 2);
    return img;
}

struct BenchFile {
    std::string path;
    explicit BenchFile(int model) {
        path = (std::filesystem::temp_directory_path() /
                ("qx-map-bench-" + std::to_string(getpid()) + "-" + std::to_string(model) + ".QCF"))
                   .string();
        cmcQcfWriter writer;
        writer.Write(path, FullImage(model), indEepromAreaRanges());
    }
    ~BenchFile() { std::remove(path.c_str()); }
};

void BM_OpenCloneFile(benchmark::State& state) {
    const int model = static_cast<int>(state.range(0));
    BenchFile file(model);
    cmcScopedEvMan events;
    indMain main;
    main.LoadStartImage(model);
    for (auto _ : state) {
        if (main.OpenCloneFile(file.path) != 0) {
            state.SkipWithError("the clone file was refused");
            break;
        }
        events->Tick();  // deliver the image-replaced notifications
        benchmark::DoNotOptimize(main.WorkingImage().Data());
    }
}
BENCHMARK(BM_OpenCloneFile)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

void BM_AfterImageLoaded(benchmark::State& state) {
    const int model = static_cast<int>(state.range(0));
    cmcScopedEvMan events;
    indMain main;
    main.LoadStartImage(model);
    cmcEeprom loaded;
    loaded.Resize(kImageSize);
    std::memcpy(loaded.Data(), FullImage(model).Data(), kEepromAreaEnd + 1);
    for (auto _ : state) {
        main.WorkingImage().Assign(loaded);
        main.AfterImageLoaded(main.WorkingImage());
        events->Tick();
        benchmark::DoNotOptimize(main.WorkingImage().Data());
    }
}
BENCHMARK(BM_AfterImageLoaded)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

void BM_NormaliseMode2WithPacking(benchmark::State& state) {
    const int model = static_cast<int>(state.range(0));
    indMain main;
    main.LoadStartImage(model);
    cmcEeprom full = FullImage(model);
    cmcPackedMap::Unpack(full);
    main.WorkingImage().Assign(full);
    cmcEeprom scratch;
    for (auto _ : state) {
        scratch.Assign(main.WorkingImage());
        if (main.NormaliseImage(scratch, 2)) {
            state.SkipWithError("packing overflowed");
            break;
        }
        benchmark::DoNotOptimize(scratch.Data());
    }
}
BENCHMARK(BM_NormaliseMode2WithPacking)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return qx::bench::Run(argc, argv, qx::bench::App::Core, [] { qx::OpenDefinitionFiles(); });
}
