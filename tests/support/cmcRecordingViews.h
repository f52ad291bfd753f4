// Cell views for tests: records every chooser an editor opens ("sheet itemKind selected") and
// opens no flag window.
#pragma once

#include "cells/cmcCellViews.h"

#include <string>
#include <vector>

namespace qx::test {

struct RecordingViews : cmcCellViews {
    std::vector<std::string> opened;
    bool OpenChooser(cmcCellRequest&, const std::string& key, int itemKind, int selected) override {
        opened.push_back(key + " " + std::to_string(itemKind) + " " + std::to_string(selected));
        return true;
    }
    bool OpenFlagWindow(cmcCellRequest&, uint32_t, int, int, int, int, const std::string&) override { return false; }
};

}  // namespace qx::test
