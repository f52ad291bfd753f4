// Radio settings with rules of their own: the key function choice with its option chain, the
// settings whose value is spread over bits in another order, the DTMF codes with their row
// captions and the tone pairs. The plain settings fields are rows of cmcCells_SettingsFields.cpp.
#include "cells/cmcCellTable.h"
#include "cells/cmcCellViews.h"
#include "cells/cmcEditors.h"
#include "defs/cmcDefLint.h"
#include "defs/cmcFCache.h"
#include "image/indMain.h"

#include <string>

namespace qx {

namespace {

// ---- key function choice -------------------------------------------------------------------------

constexpr int kKeyBytes = 0x8800;        // the conventional key assignments, one byte per key
constexpr int kOptionLevels = 0x95A3;    // bits 5, 6, 7: the level of options 11, 12, 13 (set: high)
constexpr int kScramblerPort = 0x95CC;   // bits 0-1: the option port of the scrambler option key
constexpr uint8_t kScramblerKey = 'I';

constexpr const char* kSelKeyLmr = "GI_Sheet_Sel_Keys_Conv_Lmr";
constexpr const char* kSelKeyPmr = "GI_Sheet_Sel_Keys_Conv_Pmr";
constexpr const char* kSelKeyKorv = "GI_Sheet_Sel_Keys_Conv_KorvPmr";
constexpr const char* kSelKeyDPmr446 = "GI_Sheet_Sel_Keys_Conv_DPmr446Ana";
constexpr const char* kSelScrmPort = "GI_Sheet_Sel_KDisp_ScrmOpt_Port";  // FlexScrmPort: ports 0-3
constexpr const char* kSelKeyLevel = "GI_Sheet_Sel_KDisp_KeyOpt_HL";     // FlexKeyOpt: 0 low, 1 high

const char* KeyListOf(int modelType) {
    switch (modelType) {
    case kModelPmr: return kSelKeyPmr;
    case kModelKorvPmr: return kSelKeyKorv;
    case kModelDPmr446: return kSelKeyDPmr446;
    default: return kSelKeyLmr;
    }
}

// The option a key code drives: keys '0'-'5' options 11-13 (two codes each), '6'-';' options
// 21-23, the scrambler option key the option of its port (11-13; port 3 has none: 0). -1 for a key
// that drives no option.
int OptionOf(uint8_t code, uint8_t port) {
    if (code >= '0' && code <= '5') return 11 + (code - '0') % 3;
    if (code >= '6' && code <= ';') return 21 + (code - '6') % 3;
    if (code == kScramblerKey) return port < 3 ? 11 + port : 0;
    return -1;
}

// The level bit of an option in kOptionLevels, or -1 for an option without one (21-23, none).
int LevelBitOf(int option) { return option >= 11 && option <= 13 ? 5 + option - 11 : -1; }

std::string KeySuffix(const cmcCellCall& c, uint8_t code) {
    const uint8_t port = c.Byte(kScramblerPort) & 0x03;
    const int option = OptionOf(code, port);
    if (option < 0) return {};
    std::string suffix;
    if (code == kScramblerKey) suffix = port == 0 ? " OPT1" : port == 1 ? " OPT2" : " OPT3";
    const int bit = LevelBitOf(option);
    suffix += bit >= 0 && (c.Byte(kOptionLevels) >> bit) & 1 ? " /H" : " /L";
    return suffix;
}

bool OpenChooser(cmcCellCall& c, const char* key, int itemKind, int selected) {
    cmcCellViews* views = c.env.views;
    if (!c.FromGrid() || !views || !views->OpenChooser(c.req, key, itemKind, selected)) return false;
    c.Opened(CER_Opened);
    return true;
}

// Opens the level chooser for the option the key drives.
void ChooseLevel(cmcCellCall& c, uint8_t code) {
    const int bit = LevelBitOf(OptionOf(code, c.Byte(kScramblerPort) & 0x03));
    OpenChooser(c, kSelKeyLevel, FlexKeyOpt, bit >= 0 ? (c.Byte(kOptionLevels) >> bit) & 1 : 0);
}

bool Picked(const cmcCellCall& c, int itemKind) {
    return c.req.resultKind == CRK_Chooser && c.req.parent && c.req.parent->cell &&
           c.req.parent->cell->label == itemKind;
}

// The function of one of the eight conventional keys. Picking the scrambler option key goes on
// with its option port and then its level; picking an option key goes on with its level. The
// level is shared by every key of the option, so a level change repaints the whole sheet.
void KeyConv(cmcCellCall& c) {
    const int offset = kKeyBytes + (c.Label() - CL_KDisp_Key_Conv_RightUp);
    const char* list = KeyListOf(c.modelType);
    uint8_t code = c.Byte(offset);
    if (Picked(c, FlexScrmPort)) {
        const uint8_t port = static_cast<uint8_t>(c.req.parent->cell->index & 0x03);
        c.SetByte(kScramblerPort, static_cast<uint8_t>((c.Byte(kScramblerPort) & ~0x03) | port));
        c.notify |= CN_All;
        ChooseLevel(c, code);
    } else if (Picked(c, FlexKeyOpt)) {
        const int bit = LevelBitOf(OptionOf(code, c.Byte(kScramblerPort) & 0x03));
        if (bit >= 0) {
            const uint8_t levels = c.Byte(kOptionLevels);
            const uint8_t mask = static_cast<uint8_t>(1 << bit);
            c.SetByte(kOptionLevels, static_cast<uint8_t>(c.req.parent->cell->index & 1 ? levels | mask : levels & ~mask));
        }
        c.notify |= CN_All;
    } else {
        cmcEditor editor(c);
        const bool picked = Picked(c, Flex0);
        if (editor.ListByte(list, code)) {
            c.SetByte(offset, code);
            c.notify |= CN_All;
            if (picked && code == kScramblerKey)
                OpenChooser(c, kSelScrmPort, FlexScrmPort, c.Byte(kScramblerPort) & 0x03);
            else if (picked && OptionOf(code, 0) >= 0)
                ChooseLevel(c, code);
        }
        c.Opened(editor.Result());
    }
    c.Show(c.Lists().Text(list, Flex0, code) + KeySuffix(c, code));
}

// ---- values spread over bits ---------------------------------------------------------------------

// Sets the bits of `mask` in the byte at `offset` to those of `bits`.
void SetBits(cmcCellCall& c, int offset, uint8_t mask, uint8_t bits) {
    c.SetByte(offset, static_cast<uint8_t>((c.Byte(offset) & ~mask) | (bits & mask)));
}

// Rotary knob: bits 3-4 of 0x95A2, shown as the list item field x 2 (0, 2, 4, 6).
void RotarySel(cmcCellCall& c) {
    constexpr int kOffset = 0x95A2;
    int value = ((c.Byte(kOffset) >> 3) & 0x03) * 2;
    if (ListChoice(c, "GI_Sheet_Sel_KDisp_Rotary", Flex0, value))
        SetBits(c, kOffset, 0x18, static_cast<uint8_t>(((value >> 2) & 1) << 4 | ((value >> 1) & 1) << 3));
}

// Beep level: bits 0-3 of 0x0130 and, in hundreds, bit 6.
void BeepLevel(cmcCellCall& c) {
    constexpr int kOffset = 0x0130;
    const uint8_t b = c.Byte(kOffset);
    int value = (b & 0x0F) + 100 * ((b >> 6) & 1);
    if (ListChoice(c, "GI_Sheet_Sel_SetM_BeepLev", Flex0, value))
        SetBits(c, kOffset, 0x4F, static_cast<uint8_t>(((value / 100) & 1) << 6 | ((value % 100) & 0x0F)));
}

// AF minimum level: on whenever the byte at 0x0132 is not 0; a choice stores the item itself.
void AfMinLevel(cmcCellCall& c) {
    constexpr int kOffset = 0x0132;
    int value = c.Byte(kOffset) != 0 ? 1 : 0;
    if (ListChoice(c, "GI_Sheet_Sel_Misc_OnOff", Flex0, value)) c.SetByte(kOffset, static_cast<uint8_t>(value));
}

// Battery type: bit 2 of 0x95A1 is the high bit of the value, bit 3 the low bit.
void BatteryType(cmcCellCall& c) {
    constexpr int kOffset = 0x95A1;
    const uint8_t b = c.Byte(kOffset);
    int value = ((b >> 2) & 1) * 2 + ((b >> 3) & 1);
    if (ListChoice(c, "GI_Sheet_Sel_Comm_Batt_Type", Flex0, value))
        SetBits(c, kOffset, 0x0C, static_cast<uint8_t>(((value >> 1) & 1) << 2 | (value & 1) << 3));
}

// ---- display only ----------------------------------------------------------------------------------

// The bit error rate has no set mode item: its title and value cells show a dash.
void NoBerItem(cmcCellCall& c) { c.Show("----"); }

// ---- DTMF and tone pair tables -----------------------------------------------------------

// A record cell whose category loads a different record kind shows the placeholder.
bool HasRecord(cmcCellCall& c, int kind) {
    if (c.recordKind == kind) return true;
    c.ShowNotApplicable();
    return false;
}

// The row caption of a DTMF code: its number; row 0 is the autodial code and, on LMR radios,
// rows 6 and 7 are the emergency and the log/ID codes.
void DtmfChNo(cmcCellCall& c) {
    const int row = c.Index();
    if (row == 0)
        c.Show("Autodial");
    else if (c.modelType == kModelLmr && row == 6)
        c.Show("Emergency");
    else if (c.modelType == kModelLmr && row == 7)
        c.Show("Log/ID");
    else
        c.ShowNumber(row + 1L);
}

void DtmfCode(cmcCellCall& c) {
    if (!HasRecord(c, KIND_Dtmf)) return;
    cmcEditor editor(c);
    if (editor.Dtmf(c.rec.digits, c.rec.digitCount, 24)) c.StoreRecord();
    c.Opened(editor.Result());
}

void CTone(cmcCellCall& c, cmcEditMode mode) {
    if (!HasRecord(c, KIND_CTone)) return;
    cmcEditor editor(c);
    if (editor.Tone(c.rec.rxTone, c.rec.txTone, mode, false)) c.StoreRecord();
    c.Opened(editor.Result());
}

void CToneRx(cmcCellCall& c) { CTone(c, cmcEditMode::Receive); }
void CToneTx(cmcCellCall& c) { CTone(c, cmcEditMode::Transmit); }

void RegisterKeys() {
    const char* lists[] = {kSelKeyLmr, kSelKeyPmr, kSelKeyKorv, kSelKeyDPmr446, kSelScrmPort, kSelKeyLevel,
                           "GI_Sheet_Sel_KDisp_Rotary", "GI_Sheet_Sel_SetM_BeepLev", "GI_Sheet_Sel_Comm_Batt_Type"};
    for (const char* key : lists) RequireDefKey({key, cmcDefFileKind::Main, cmcRequiredKind::Sheet, "settings cells"});
    const char* sheets[] = {"GI_Sheet_KeyDisp", "GI_Sheet_SetMode", "GI_Sheet_Common", "GI_Sheet_Extended",
                            "GI_Sheet_Dtmf", "GI_Sheet_Scan", "GI_Sheet_CTone"};
    for (const char* key : sheets) RequireDefKey({key, cmcDefFileKind::Main, cmcRequiredKind::Sheet, "settings topics"});
}

// Wherever these cells are linked, the definition checker knows the keys they read.
const bool kKeysRegistered = (RegisterKeys(), true);

}  // namespace

void RegisterSettingsCells(cmcCellTable& t) {
    t.SetRange(CL_KDisp_Key_Conv_RightUp, CL_KDisp_Key_Conv_P3, KeyConv);
    t.Set(CL_KDisp_RotarySel, RotarySel);
    t.Set(CL_SetM_BeepLev, BeepLevel);
    t.Set(CL_SetM_AFMinLev, AfMinLevel);
    t.Set(CL_Exp_BattTypeChange, BatteryType);
    t.Set(CL_TSetM_BERDisp, NoBerItem);
    t.Set(CL_SetM_BERDisp, NoBerItem);
    t.Set(CL_Dtmf_ChNo, DtmfChNo);
    t.Set(CL_Dtmf_Code, DtmfCode);
    t.Set(CL_CTone_RX, CToneRx);
    t.Set(CL_CTone_TX, CToneTx);
}

}  // namespace qx
