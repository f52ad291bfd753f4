// Memory channel cells with rules of their own: the channel number, the designation attributes,
// the transmit frequency, the tones, the digital PMR repeater and receive code cells and the
// dPMR446 colour code. The plain fields are rows of cmcCells_ChannelFields.cpp. The cell's index is the channel number over all banks; the handler has
// loaded the channel record of the model type (kinds 1-4) before these run.
#include "cells/cmcCellTable.h"
#include "cells/cmcCellViews.h"
#include "cells/cmcEditors.h"
#include "cells/cmcEditorsInternal.h"
#include "cells/cmcFieldCell.h"
#include "defs/cmcEvMan.h"
#include "image/cmcImageMap.h"

#include <cstdio>

namespace qx {

namespace {

constexpr uint32_t kGreyText = 0x00C0C0C0;  // RGB 192,192,192
constexpr const char* kSelColourCode = "GI_Sheet_Sel_Mch_ColourCode";

void GreyText(cmcCellCall& c) {
    if (!c.req.paint) return;
    c.req.paint->textColorSet = true;
    c.req.paint->textColor = kGreyText;
}

bool InFreeBank(const cmcCellCall& c) { return datBankOfChannel(c.image.Data(), c.Index()) == map::kFreeBank; }

// "bank-channel", the channel counted from 1 within the bank the sheet shows.
void Number(cmcCellCall& c) {
    const int bank = CurrentBank(c, c.Index());
    char text[32];
    std::snprintf(text, sizeof text, "%d-%3d", bank + 1, c.Index() - datBankFirst(c.image.Data(), bank) + 1);
    c.Show(text);
}

// Designations as letters: A (designated channel 1), B (designated channel 2), E (designated
// channel 3 while designation 3 is on). The chooser's items set them; a designation is one channel
// number in the image, so setting it here takes it from the channel that had it.
void Attributes(cmcCellCall& c) {
    datCh& ch = c.rec;
    if (c.req.resultKind == CRK_Chooser && c.req.parent && c.req.parent->cell && c.req.parent->cell->label == Flex0) {
        bool changed = true;
        switch (c.req.parent->cell->index) {
        case 1: ch.desig1 = true; break;
        case 2: ch.desig2 = true; break;
        case 3:
            ch.desig3 = true;
            ch.desig3Off = false;
            break;
        case 4:
            ch.desig3 = false;
            ch.desig3Off = true;
            break;
        case 5: ch.bankFlag = !ch.bankFlag; break;
        default: changed = false; break;
        }
        if (changed) {
            c.StoreRecord();
            c.Events().Post(EVC_BankIcons);
            c.Events().Post(EVC_BankChanged);
            c.notify |= CN_SameLabel;
        }
    }
    std::string letters;
    if (ch.desig1) letters += 'A';
    if (ch.desig2) letters += 'B';
    if (ch.desig3 && !ch.desig3Off) letters += 'E';
    c.Show(letters);
    if (c.FromGrid() && c.IsEnter()) {
        const char* list = c.modelType == kModelDPmr446 ? "GI_Sheet_Sel_Mch_Atr_ExSmt" : "GI_Sheet_Sel_Mch_Atr";
        if (cmcCellViews* views = c.env.views; views && views->OpenChooser(c.req, list, Flex0, 0))
            c.Opened(CER_Opened);
    }
}

void TransmitFrequency(cmcCellCall& c) {
    const bool fixed = c.modelType == kModelDPmr446 && !InFreeBank(c);
    cmcEditor editor(c);
    const bool changed = editor.Frequency(c.rec, cmcEditMode::Transmit, fixed);
    c.Opened(editor.Result());
    if (changed) c.StoreRecord();
    // An inhibited transmitter never uses the frequency.
    if (fixed && !c.rec.txInhibit) MarkNotFixedChannel(c, c.rec.txFreq);
    if (c.rec.txInhibit) GreyText(c);
}

template <cmcEditMode Mode>
void Tone(cmcCellCall& c) {
    cmcEditor editor(c);
    const bool changed = editor.Tone(c.rec.rxTone, c.rec.txTone, Mode, c.modelType == kModelDPmr446);
    c.Opened(editor.Result());
    if (changed) c.StoreRecord();
    // A digital-only channel (digital signalling 3) does not use its tones.
    const datTone& tone = Mode == cmcEditMode::Receive ? c.rec.rxTone : c.rec.txTone;
    if (c.rec.inUse && c.rec.digSignal != 3 && !ToneInTable(editors::TonesOf(c.env), tone, c.modelType == kModelDPmr446))
        c.Fail(MR_ToneOutOfTable);
    if (c.rec.digSignal == 3) GreyText(c);
}

// No repeater (255) or the repeater code, through the two-level chooser.
void MskRepeater(cmcCellCall& c) {
    if (field::KorvMskOff(c, 0)) {
        c.ShowNotApplicable();
        return;
    }
    int value = c.rec.mskNoRepeater ? kMskRptNone : c.rec.rptCode;
    cmcEditor editor(c);
    const bool changed = editor.TwoLevel(value, kSelMskRpt1st, kSelMskRpt2nd, kMskRptMoreItem);
    c.Opened(editor.Result());
    c.SetValueStyle(2);
    if (!changed) return;
    if (value == kMskRptNone) {
        c.rec.mskNoRepeater = true;
    } else {
        c.rec.mskNoRepeater = false;
        c.rec.rptCode = static_cast<uint8_t>(value & 0x7F);
    }
    c.StoreRecord();
    c.notify |= CN_All;  // the blocking of the format and repeater cells follows R
}

// Receive code numbers 1..7 over bits 6..0 of the field; bit 7 is kept.
void MskReceiveCodes(cmcCellCall& c) {
    if (field::KorvMskOff(c, 0)) {
        c.ShowNotApplicable();
        return;
    }
    int value = (c.rec.rxCodeNo & 0x7F) << 1;
    cmcEditor editor(c);
    const bool changed = editor.FlagSet(value, 1, 7);
    c.Opened(editor.Result());
    if (!changed) return;
    c.rec.rxCodeNo = static_cast<uint16_t>((c.rec.rxCodeNo & 0x80) | ((value >> 1) & 0x7F));
    c.StoreRecord();
}

// The colour code of a dPMR446 channel: its receive pattern shown as code 1..16, picked from the
// list of codes or typed; a new code also becomes the transmit pattern when the two were equal.
// Codes are chosen in the free bank only; the fixed banks show theirs. A pattern that is none of
// the sixteen shows its hexadecimal digits, and in any bank it can be replaced by a code: the radio
// cannot use it, and nothing else would ever repair it.
void ColourCode(cmcCellCall& c) {
    datCh& ch = c.rec;
    if (ch.digRxCode == 0) {
        // A blank pattern means colour code 1, and is stored as such.
        const bool both = ch.digTxCode == ch.digRxCode;
        ch.digRxCode = ColourCodePattern(1);
        if (both) ch.digTxCode = ch.digRxCode;
        c.StoreRecord();
    }
    int code = ColourCodeOf(ch.digRxCode);
    if (code == 0 || InFreeBank(c)) {
        cmcEditor editor(c);
        const bool changed = editor.CodeList(kSelColourCode, Flex0, code);
        c.Opened(editor.Result());
        if (changed && code >= 1 && code <= kColourCodeCount) {
            const bool both = ch.digTxCode == ch.digRxCode;
            ch.digRxCode = ColourCodePattern(code);
            if (both) ch.digTxCode = ch.digRxCode;
            c.StoreRecord();
        }
        if (ColourCodeOf(ch.digRxCode) == 0) {
            char text[16];
            std::snprintf(text, sizeof text, "%06X", ch.digRxCode & 0xFFFFFFu);
            c.Show(text);
        }
    } else {
        c.ShowNumber(code);
    }
    if (ch.digSignal == 0) GreyText(c);
}

}  // namespace

bool ChannelFormatBlocked(const cmcCellCall& c, int) { return c.IsKorv() && !(c.mskOff || (c.noRepeater && c.mskOn)); }

void MarkNotFixedChannel(cmcCellCall& c, uint32_t hz) {
    if (c.rec.inUse && hz != 0 && FixedChannelIndex(hz) < 0) c.Fail(MR_NotFixedChannel);
}

void RegisterChannelCells(cmcCellTable& t) {
    t.Set(CL_Mch_No, Number);
    t.Set(CL_Mch_Atr, Attributes);
    t.Set(CL_Mch_FreqT, TransmitFrequency);
    t.Set(CL_Mch_CTone_R, Tone<cmcEditMode::Receive>);
    t.Set(CL_Mch_CTone_T, Tone<cmcEditMode::Transmit>);
    t.Set(CL_Mch_Msk_Rpt, MskRepeater);
    t.Set(CL_Mch_Msk_RxCNo, MskReceiveCodes);
    t.Set(CL_Mch_Dig_CC_R, ColourCode);
}

}  // namespace qx
