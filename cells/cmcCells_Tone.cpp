// Tone signalling cells with rules of their own: the 2-tone receive codes (decode windows that
// follow a new tone, the common row 0), the 2-tone transmit table, the 5-tone codes, and the user
// tones (decode window set by a new encode frequency, the tone period table with its extra row 15).
// The plain fields of these sheets are rows of the field-cell table (cmcCells_SignalFields.cpp).
//
// Where the radio keeps what (LMR and dPMR446 hold 2-tone codes, PMR and the digital PMR 5-tone
// codes and user tones, in the same blocks):
//   2-tone code i (kind 12, 1..10): tones value[4], value[5] (Hz x 10) at 34932 + 4i, i.e. the
//     tones of 2-tone transmit entry i - 1; decode windows value[0..3] = tone 1 x 0.98, x 1.02,
//     tone 2 x 0.98, x 1.02; tone periods opt[4], opt[5]; opt[6] is byte 8 of the block-16 record
//     i - 1, whose low nibble 15 marks a single-tone code.
//   5-tone receive code (kind 9): code[0..3] digit nibbles, code[4] the "+" mask; ABC code opt[1].
//   5-tone transmit code (kind 10): code[0..3]; input digits opt[0] bits 7..1.
//   user tone n (kind 11, 0..14): encode value[0], decode low value[1], decode high value[2].
#include "cells/cmcCellTable.h"
#include "cells/cmcFieldCell.h"
#include "cells/cmcEditors.h"
#include "cells/cmcSignalLayout.h"

#include <algorithm>
#include <cmath>

namespace qx {

namespace {

constexpr char kRowZero[] = "----";

// The 2-tone and 5-tone receive lists start with the common row 0, which has no code of its own.
bool CommonRow(cmcCellCall& c) {
    if (c.Index() != 0) return false;
    c.ShowNotApplicable(kRowZero);
    return true;
}

// ---- 2-tone ----

const cmcDecimalSpec kTwoToneFreq{.scale = 1, .decimals = 1, .min = 250.0, .max = 3300.0, .step = 1};

// Edits tone `tone` (0 first, 1 second) of 2-tone code `rec` (kind 12, index >= 1) and stores it
// with its decode window.
void EditTwoTone(cmcCellCall& c, datCh& rec, int tone) {
    int raw = rec.value[tone::kTwoToneFreq + tone];
    cmcEditor editor(c);
    const bool changed = editor.Decimal(raw, kTwoToneFreq);
    c.Opened(editor.Result());
    if (!changed) return;
    tone::SetTwoToneFrequency(rec, tone, raw);
    if (&rec == &c.rec) {
        c.StoreRecord();
    } else {
        rec.Commit();
        c.MarkWritten();
        c.notify |= CN_All;  // the receive sheet's row of the same code
    }
}

template <int Tone>
void TwoToneRxFreq(cmcCellCall& c) {
    if (CommonRow(c)) return;
    if (c.recordKind != KIND_2Tone) return c.ShowNotApplicable();
    EditTwoTone(c, c.rec, Tone);
}

// The 2-tone transmit table (rows 0..9) holds the tones of 2-tone codes 1..10.
bool TransmitRowValid(const cmcCellCall& c) {
    return c.Index() >= datKindMinIndex(KIND_2ToneTx) && c.Index() <= datKindMaxIndex(KIND_2ToneTx);
}

void TwoToneTxFreq1(cmcCellCall& c) {
    if (!TransmitRowValid(c)) return c.ShowNotApplicable();
    datCh code(c.Bytes());
    code.Load(KIND_2Tone, c.Index() + 1);
    EditTwoTone(c, code, 0);
}

// The second tone shows "----  " for a single-tone code (low nibble of its block-16 byte 8 is 15).
void TwoToneTxFreq2(cmcCellCall& c) {
    if (!TransmitRowValid(c)) return c.ShowNotApplicable();
    if ((c.Byte(tone::kTwoToneTxTypeByte + tone::kTwoToneTxStride * c.Index()) & 0x0F) == 0x0F) {
        c.Show("----  ");
        return;
    }
    datCh code(c.Bytes());
    code.Load(KIND_2Tone, c.Index() + 1);
    EditTwoTone(c, code, 1);
}

// ---- 5-tone ----

int GroupTone(const cmcCellCall& c) { return c.Byte(tone::kGroupToneByte) & 0x0F; }

void FiveToneRxCode(cmcCellCall& c) {
    if (CommonRow(c)) return;
    if (c.recordKind != KIND_5ToneRx) return c.ShowNotApplicable();
    cmcEditor editor(c);
    const bool changed = editor.FiveTone(c.rec.code, GroupTone(c), true);
    c.Opened(editor.Result());
    if (changed) c.StoreRecord();
}

// The transmit code cells may stand on sheets of another category: the record is reloaded as a
// 5-tone transmit code first.
bool ReloadAsTransmitCode(cmcCellCall& c) {
    if (c.Index() < datKindMinIndex(KIND_5ToneTx) || c.Index() > datKindMaxIndex(KIND_5ToneTx)) return false;
    if (c.recordKind != KIND_5ToneTx) {
        c.rec.Load(KIND_5ToneTx, c.Index());
        c.recordKind = KIND_5ToneTx;
    }
    return true;
}

void FiveToneTxCode(cmcCellCall& c) {
    if (!ReloadAsTransmitCode(c)) return c.ShowNotApplicable();
    uint8_t code[5] = {c.rec.code[0], c.rec.code[1], c.rec.code[2], c.rec.code[3], 0};
    cmcEditor editor(c);
    const bool changed = editor.FiveTone(code, GroupTone(c), false);
    c.Opened(editor.Result());
    if (!changed) return;
    std::copy(code, code + 4, c.rec.code);
    c.StoreRecord();
}

// ---- user tones ----

const cmcDecimalSpec kUserToneFreq{.scale = 1, .decimals = 1, .min = 400.0, .max = 3000.0, .step = 1};

bool UserToneRecord(const cmcCellCall& c) { return c.recordKind == KIND_UserTone; }

void UserToneEncode(cmcCellCall& c) {
    if (!UserToneRecord(c)) return c.ShowNotApplicable();
    if (field::UserToneRewritten(c, 0)) {
        // Shown, but a save would put it back: no edit.
        c.readOnly = true;
        if (c.req.paint) {
            c.req.paint->textColorSet = true;
            c.req.paint->textColor = 0x00C0C0C0;
        }
    }
    int raw = c.rec.value[tone::kUserEncode];
    cmcEditor editor(c);
    const bool changed = editor.Decimal(raw, kUserToneFreq);
    c.Opened(editor.Result());
    if (!changed) return;
    tone::SetUserToneEncode(c.rec, raw);
    c.StoreRecord();
}

// The tone period table: rows 0..8 and the extra row 15; -1 for other rows.
int PeriodAddress(int base, int row15, int row) {
    if (row >= 0 && row <= 8) return base + row;
    return row == 15 ? row15 : -1;
}

template <int Base, int Row15, int Scale, int Step, int MinRaw, int MaxRaw>
void UserTonePeriodTimer(cmcCellCall& c) {
    const int offset = PeriodAddress(Base, Row15, c.Index());
    if (offset < 0) return c.ShowNotApplicable();
    if (offset == tone::kUserNotoneRow15 && (c.modelType == kModelPmr || c.modelType == kModelKorvPmr)) {
        // Saving a PMR image puts this byte back to the initial image's value: show it, take no
        // edit that would be lost.
        c.readOnly = true;
    }
    int raw = c.Byte(offset);
    cmcEditor editor(c);
    const double unit = std::pow(10.0, Scale);
    const cmcDecimalSpec spec{.scale = Scale, .decimals = 3, .min = MinRaw / unit, .max = MaxRaw / unit, .step = Step};
    const bool changed = editor.Decimal(raw, spec);
    c.Opened(editor.Result());
    if (changed) c.SetByte(offset, static_cast<uint8_t>(raw));
}

void UserToneLength(cmcCellCall& c) {
    const int row = c.Index();
    if (row < 0 || row > 8) return c.ShowNotApplicable();
    const int offset = tone::kUserLengthBase + row;
    int value = c.Byte(offset);
    cmcEditor editor(c);
    const bool changed = editor.ToneLength(value);
    c.Opened(editor.Result());
    if (changed) c.SetByte(offset, static_cast<uint8_t>(value));
}

}  // namespace

void RegisterToneCells(cmcCellTable& t) {
    t.Set(CL_2T_RxFreq_1st, TwoToneRxFreq<0>);
    t.Set(CL_2T_RxFreq_2nd, TwoToneRxFreq<1>);
    t.Set(CL_2TTx_Freq_1st, TwoToneTxFreq1);
    t.Set(CL_2TTx_Freq_2nd, TwoToneTxFreq2);
    t.Set(CL_5TRx_RxCode, FiveToneRxCode);
    t.Set(CL_5TTx_TxCode, FiveToneTxCode);
    t.Set(CL_UTone_Encode, UserToneEncode);
    // Tone period: raw milliseconds (0..0.255 s); no-tone timer: raw 10 ms (0.02..0.3 s, step 2).
    t.Set(CL_UTone_TonePeriod, UserTonePeriodTimer<tone::kUserPeriodBase, tone::kUserPeriodRow15, 3, 1, 0, 255>);
    t.Set(CL_UTone_NotoneTimer, UserTonePeriodTimer<tone::kUserNotoneBase, tone::kUserNotoneRow15, 2, 2, 2, 30>);
    t.Set(CL_UTone_Length, UserToneLength);
}

}  // namespace qx
