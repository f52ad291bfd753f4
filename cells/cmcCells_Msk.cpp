// Digital PMR (MSK) signalling cells with rules of their own: the address ranges derived from the
// group boundary of the address record (datKorvAdr) and the call list's packed decimal addresses.
// The plain fields of these sheets, and the addresses checked against the ranges, are rows of the
// field-cell table (cmcCells_SignalFields.cpp).
#include "cells/cmcCellTable.h"
#include "cells/cmcEditors.h"
#include "cells/cmcSignalLayout.h"

#include <cstdio>

namespace qx {

namespace {

constexpr char kNoEdit[] = " (No Edit)";

std::string FourDigits(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", value);
    return buf;
}

// ---- address ranges ----

// Row 0: the first individual address; row 1: the last one (the group boundary - 1).
void AdrRangeIndividual(cmcCellCall& c) {
    const int g = c.adr.group;
    if (g == 0) {
        c.Show("----");
        return;
    }
    switch (c.Index()) {
    case 0: c.Show(FourDigits(0) + kNoEdit); break;
    case 1: c.Show(FourDigits(g - 1 > 0 ? g - 1 : 0) + kNoEdit); break;
    default: c.Show("error"); break;
    }
}

// Row 0: the group boundary, which moves every range; row 1: the last group address.
void AdrRangeGroup(cmcCellCall& c) {
    if (c.Index() == 1) {
        c.Show(FourDigits(msk::kAddressMax) + kNoEdit);
        return;
    }
    if (c.Index() != 0) return c.ShowNotApplicable();
    int value = c.adr.group;
    cmcEditor editor(c);
    const bool changed = editor.DecimalDigits(value, 4, 0, msk::kAddressMax);
    c.Opened(editor.Result());
    if (!changed) return;
    c.adr.group = value;
    c.adr.Store();
    c.MarkWritten();
    c.notify |= CN_All;
}

// ---- call list ----

// The address is stored as 4 packed decimal digits; an entry whose digits are not decimal (an
// unused entry) shows empty until an address is typed. The cell may stand on a sheet of another
// category: the record is reloaded as a call list entry first.
void CallListAddress(cmcCellCall& c) {
    const int n = c.Index();
    if (n < datKindMinIndex(KIND_MskCallList) || n > datKindMaxIndex(KIND_MskCallList)) return c.ShowNotApplicable();
    if (c.recordKind != KIND_MskCallList) {
        c.rec.Load(KIND_MskCallList, n);
        c.recordKind = KIND_MskCallList;
    }
    const bool unset = c.rec.value[0] > msk::kAddressMax;
    int value = unset ? 0 : c.rec.value[0];
    cmcEditor editor(c);
    if (editor.DecimalDigits(value, 4, 0, msk::kAddressMax)) {
        c.rec.value[0] = static_cast<uint16_t>(value);
        c.StoreRecord();
    } else if (unset && editor.Result() != CER_Editor) {
        c.Show("");
    }
    c.Opened(editor.Result());
    // Within the call-list range n of the address record.
    if (c.rec.value[0] <= msk::kAddressMax && c.rec.value[0] > c.adr.entries[n].limit) {
        c.Fail(MR_MskCallList);
        c.req.markPos = CMP_Left;
    }
}

}  // namespace

void RegisterMskCells(cmcCellTable& t) {
    t.Set(CL_Msk_AdrRange_Individual, AdrRangeIndividual);
    t.Set(CL_Msk_AdrRange_Group, AdrRangeGroup);
    t.Set(CL_Msk_CallList_Adr, CallListAddress);
}

}  // namespace qx
