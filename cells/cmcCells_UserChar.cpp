// User character cells: the sixteen characters (codes 0x10-0x1F) whose segment patterns the image
// keeps for display texts, 16 bits each, high byte first (record kind 5). The cell draws its
// character and opens the character editor on Enter; every display text that uses the character
// draws the new pattern from the same table.
#include "cells/cmcCellTable.h"
#include "cells/cmcDispText.h"
#include "cells/cmcEditors.h"
#include "image/datCh.h"

#include <cstdint>

namespace qx {

namespace {

void UserCharCell(cmcCellCall& c) {
    if (c.recordKind != KIND_UserChar || c.Index() < 0 || c.Index() >= kUserCharCount) {
        c.ShowNotApplicable();
        return;
    }
    uint8_t field[2] = {static_cast<uint8_t>(c.rec.value[0] >> 8), static_cast<uint8_t>(c.rec.value[0] & 0xFF)};
    cmcEditor ed(c);
    const bool accepted = ed.UserChar(field);
    c.Opened(ed.Result());
    if (!accepted) return;
    c.rec.value[0] = static_cast<uint16_t>((field[0] << 8) | field[1]);
    c.StoreRecord();
    // Names on the open sheet that use the character redraw with it.
    c.notify |= CN_All;
}

}  // namespace

void RegisterUserCharCells(cmcCellTable& t) { t.Set(CL_CEdit, UserCharCell); }

}  // namespace qx
