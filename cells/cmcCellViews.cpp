#include "cells/cmcCellViews.h"

namespace qx {

namespace {
cmcCellViews*& Installed() {
    static cmcCellViews* views = nullptr;
    return views;
}
}  // namespace

bool cmcCellViews::StartInlineEdit(cmcCellRequest& req) {
    if (!req.editStart) return false;
    req.editStart(req);
    return true;
}

bool cmcCellViews::OpenTextEntry(cmcCellRequest&, const std::string&, int, const uint8_t*, bool) { return false; }
bool cmcCellViews::OpenCharEditor(cmcCellRequest&, uint16_t) { return false; }

cmcCellViews* CellViews() { return Installed(); }
void SetCellViews(cmcCellViews* views) { Installed() = views; }

cmcScopedCellViews::cmcScopedCellViews(cmcCellViews* views) : previous_(Installed()) { Installed() = views; }
cmcScopedCellViews::~cmcScopedCellViews() { Installed() = previous_; }

}  // namespace qx
