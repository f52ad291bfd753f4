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

cmcCellViews* CellViews() { return Installed(); }
void SetCellViews(cmcCellViews* views) { Installed() = views; }

cmcScopedCellViews::cmcScopedCellViews(cmcCellViews* views) : previous_(Installed()) { Installed() = views; }
cmcScopedCellViews::~cmcScopedCellViews() { Installed() = previous_; }

}  // namespace qx
