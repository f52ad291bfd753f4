// The image the channel benchmarks work on: a model type's start image with all 64 channels in
// use, named "CH nn.AB", on eight frequencies, spread over `banks` equal banks. The main object
// is made once (the program's), with the definition files and the cell handler installed.
#pragma once

#include "cells/cmcCellCapsule.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace qx::bench {

inline indMain& LoadFullChannels(int model, int banks) {
    static std::unique_ptr<indMain> main;
    if (!main) {
        OpenDefinitionFiles();
        cmcInstallCellHandler();
        main = std::make_unique<indMain>();
    }
    main->LoadStartImage(model);
    uint8_t* image = main->WorkingImage().Data();
    for (int b = 0; b < map::kBankCount; ++b) datSetBankSize(image, b, b < banks ? map::kChannelCount / banks : 0);
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
    main->NewHistory();
    return *main;
}

}  // namespace qx::bench
