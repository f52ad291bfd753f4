#include "cells/cmcCellViews.h"

#include "cells/cmcReasons.h"
#include "defs/cmcCellObj.h"

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

uint8_t DeliverChooserAnswer(cmcEvMan& events, const cmcCellRequest& opener, const cmcCellHandler& handler,
                             const std::string& input, int itemKind, int item) {
    if (!handler) return CER_None;
    cmcCellObj picked;
    picked.label = itemKind;
    picked.index = item;
    cmcCellRequest parent = opener;
    parent.cell = &picked;
    cmcCellRequest answer = opener;
    answer.parent = &parent;
    answer.resultKind = CRK_Chooser;
    answer.action = 0;
    answer.input = input;
    const uint8_t result = handler(answer);
    // The window has gone: a refused answer says why in the status bar.
    if (!answer.refusal.empty()) ShowStatusText(events, answer.refusal, true);
    return result;
}

cmcCellViews* CellViews() { return Installed(); }
void SetCellViews(cmcCellViews* views) { Installed() = views; }

cmcScopedCellViews::cmcScopedCellViews(cmcCellViews* views) : previous_(Installed()) { Installed() = views; }
cmcScopedCellViews::~cmcScopedCellViews() { Installed() = previous_; }

}  // namespace qx
