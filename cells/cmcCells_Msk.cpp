// Digital PMR (MSK) signalling cells with rules of their own: the address ranges derived from the
// group boundary of the address record (datKorvAdr), the addresses checked against those ranges
// (error marks at the left edge of the cell), the call list's packed decimal addresses, and the
// status messages' fixed row 23. The plain fields of these sheets are rows of the field-cell table.
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

bool Outside(int value, const datKorvAdr::Limit& limit) { return value < limit.low || value > limit.high; }

// A 4-digit decimal address 0..4095 kept as a 16-bit value, high byte first, at `offset`.
// Returns the value after the call.
int EditWordAddress(cmcCellCall& c, int offset) {
    int value = c.Word(offset);
    cmcEditor editor(c.req);
    const bool changed = editor.DecimalDigits(value, 4, 0, msk::kAddressMax);
    c.Opened(editor.Result());
    if (changed) c.SetWord(offset, value);
    return value;
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
    cmcEditor editor(c.req);
    const bool changed = editor.DecimalDigits(value, 4, 0, msk::kAddressMax);
    c.Opened(editor.Result());
    if (!changed) return;
    c.adr.group = value;
    c.adr.Store();
    c.MarkWritten();
    c.notify |= CN_All;
}

void AdrRangeKiller(cmcCellCall& c) {
    const int value = EditWordAddress(c, msk::kKillerAddress);
    if (Outside(value, c.adr.limits[msk::kKillerLimit])) c.Fail();
}

// ---- ID groups and call list ----

void IdGroupAddress(cmcCellCall& c) {
    if (c.recordKind != KIND_MskIdGroup) return c.ShowNotApplicable();
    int value = c.rec.value[0];
    cmcEditor editor(c.req);
    if (editor.DecimalDigits(value, 4, 0, msk::kAddressMax)) {
        c.rec.value[0] = static_cast<uint16_t>(value);
        c.StoreRecord();
    }
    c.Opened(editor.Result());
    const int n = c.Index();
    if (n >= 0 && msk::kIdGroupLimitBase + n < datKorvAdr::kLimitCount &&
        Outside(c.rec.value[0], c.adr.limits[msk::kIdGroupLimitBase + n])) {
        c.Fail();
        c.req.markPos = CMP_Left;
    }
}

// The call list cells may stand on sheets of another category: the record is reloaded as a call
// list entry first.
bool ReloadAsCallList(cmcCellCall& c) {
    if (c.Index() < datKindMinIndex(KIND_MskCallList) || c.Index() > datKindMaxIndex(KIND_MskCallList)) return false;
    if (c.recordKind != KIND_MskCallList) {
        c.rec.Load(KIND_MskCallList, c.Index());
        c.recordKind = KIND_MskCallList;
    }
    return true;
}

// The address is stored as 4 packed decimal digits; an entry whose digits are not decimal (an
// unused entry) shows empty until an address is typed.
void CallListAddress(cmcCellCall& c) {
    if (!ReloadAsCallList(c)) return c.ShowNotApplicable();
    const bool unset = c.rec.value[0] > msk::kAddressMax;
    int value = unset ? 0 : c.rec.value[0];
    cmcEditor editor(c.req);
    if (editor.DecimalDigits(value, 4, 0, msk::kAddressMax)) {
        c.rec.value[0] = static_cast<uint16_t>(value);
        c.StoreRecord();
    } else if (unset && editor.Result() != CER_Editor) {
        c.Show("");
    }
    c.Opened(editor.Result());
    const int n = c.Index();
    if (c.rec.value[0] <= msk::kAddressMax && c.rec.value[0] > c.adr.entries[n].limit) {
        c.Fail();
        c.req.markPos = CMP_Left;
    }
}

void CallListText(cmcCellCall& c) {
    if (!ReloadAsCallList(c)) return c.ShowNotApplicable();
    cmcEditor editor(c.req);
    const bool changed = editor.PlainText(c.rec.text, 8);
    c.Opened(editor.Result());
    if (changed) c.StoreRecord();
}

// ---- configuration ----

// A fixed base ID must be an individual address: below the group boundary.
template <int Offset>
void FixBaseId(cmcCellCall& c) {
    const int value = EditWordAddress(c, Offset);
    if (value >= c.adr.group) c.Fail();
}

// ---- status messages ----

// Row 23 of the status messages is the radio's own entry: its fields show in olive and accept
// nothing. Returns true when the call is for that row (the caller then only shows the value).
bool MskStatusFixedRow(cmcCellCall& c) {
    if (c.Index() != msk::kStatusFixedRow) return false;
    c.action = 0;
    c.req.action = 0;
    c.req.resultKind = CRK_Plain;
    if (c.req.paint) {
        c.req.paint->textColorSet = true;
        c.req.paint->textColor = msk::kFixedRowColour;
    }
    return true;
}

// A bit field of a status message flag byte by list; row 23 shows only.
template <int Opt, int Shift, int Mask>
void StatusFlag(cmcCellCall& c, const char* list) {
    if (c.recordKind != KIND_MskStatus) return c.ShowNotApplicable();
    MskStatusFixedRow(c);
    uint8_t& byte = c.rec.opt[Opt];
    int value = (byte >> Shift) & Mask;
    if (!ListChoice(c, list, Flex0, value)) return;
    byte = static_cast<uint8_t>((byte & ~(Mask << Shift)) | ((value & Mask) << Shift));
    c.StoreRecord();
}

void StatusBeep(cmcCellCall& c) { StatusFlag<0, 0, 3>(c, "GI_Sheet_Sel_RxC_Beep"); }
void StatusHorn(cmcCellCall& c) { StatusFlag<0, 2, 1>(c, "GI_Sheet_Sel_Misc_OnOff2"); }
void StatusAuto(cmcCellCall& c) { StatusFlag<0, 3, 1>(c, "GI_Sheet_Sel_Misc_OnOff2"); }

void StatusTextRx(cmcCellCall& c) {
    if (c.recordKind != KIND_MskStatus) return c.ShowNotApplicable();
    MskStatusFixedRow(c);
    cmcEditor editor(c.req);
    const bool changed = editor.PlainText(c.rec.text, 8);
    c.Opened(editor.Result());
    if (changed) c.StoreRecord();
}

}  // namespace

void RegisterMskCells(cmcCellTable& t) {
    t.Set(CL_Msk_AdrRange_Individual, AdrRangeIndividual);
    t.Set(CL_Msk_AdrRange_Group, AdrRangeGroup);
    t.Set(CL_Msk_AdrRange_Killer, AdrRangeKiller);
    t.Set(CL_Msk_IdGroup_Adr, IdGroupAddress);
    t.Set(CL_Msk_CallList_Adr, CallListAddress);
    t.Set(CL_Msk_CallList_Text, CallListText);
    t.Set(CL_Msk_Msg_Status_Beep, StatusBeep);
    t.Set(CL_Msk_Msg_Status_Horn, StatusHorn);
    t.Set(CL_Msk_Msg_Status_Auto, StatusAuto);
    t.Set(CL_Msk_Msg_Status_Text_Rx, StatusTextRx);
    t.Set(CL_Msk_Cfg_Status_FixBaseId, FixBaseId<msk::kStatusFixBaseId>);
    t.Set(CL_Msk_Cfg_Gps_FixBaseId, FixBaseId<msk::kGpsFixBaseId>);
}

}  // namespace qx
