// The receive frequency of a memory channel: the one cell through which a channel comes into use.
// Keys pressed on any cell of an empty channel are redirected here (entry rule of the handler), so
// the user first types a receive frequency; the frequency editor's receive mode marks the channel
// in use and lets the transmit frequency follow on a new channel.
#include "cells/cmcCellTable.h"
#include "cells/cmcEditors.h"
#include "image/cmcImageMap.h"

namespace qx {

namespace {

// dPMR446 channels outside the free bank (the fifth) use the 24 fixed channel frequencies.
void ReceiveFrequency(cmcCellCall& c) {
    if (!c.rec.IsChannel()) return;
    const bool fixed = c.modelType == kModelDPmr446 && datBankOfChannel(c.image.Data(), c.Index()) != map::kFreeBank;
    cmcEditor editor(c);
    const bool changed = editor.Frequency(c.rec, cmcEditMode::Receive, fixed);
    c.Opened(editor.Result());
    if (fixed) MarkNotFixedChannel(c, c.rec.rxFreq);
    if (!changed) return;
    c.StoreRecord();
    // The row's other cells appear, and the channel counts change.
    c.notify |= CN_All;
}

}  // namespace

void RegisterReceiveFrequencyCell(cmcCellTable& t) { t.Set(CL_Mch_FreqR, ReceiveFrequency); }

}  // namespace qx
