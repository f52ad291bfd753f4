// The CTCSS/DTCS tone editor with its chooser chain: tone list -> DTCS code -> polarity.
#include "cells/cmcEditors.h"

#include "cells/cmcEditorsInternal.h"
#include "cells/cmcReasons.h"
#include "defs/cmcFCache.h"

#include <cstdio>

namespace qx {

using namespace editors;

namespace {

char PolarityLetter(bool inverted) { return inverted ? 'i' : 'N'; }

void SelectCtcss(datTone& t, int item) {
    t.dtcs = false;
    t.inverted = false;
    t.dtcsCode = 0;
    t.enabled = item != kToneItemOff;
    t.ctcss = static_cast<uint8_t>(item == kToneItemOff ? 0 : item);
}

void SelectDtcs(datTone& t, int code, bool inverted) {
    t.enabled = true;
    t.dtcs = true;
    t.inverted = inverted;
    t.dtcsCode = static_cast<uint16_t>(code & 0x1FF);
    t.ctcss = 0;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (prefix.size() > text.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Upper(text[i]) != Upper(prefix[i])) return false;
    return true;
}

}  // namespace

std::string FormatDtcs(uint16_t code, bool inverted) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d%d%d%c", (code >> 6) & 7, (code >> 3) & 7, code & 7, PolarityLetter(inverted));
    return buf;
}

bool ParseToneText(const cmcToneItems& tones, std::string_view text, bool dpmr446, datTone* tone) {
    const std::string t = Trim(text);
    if (t.empty()) return false;
    // Three octal digits, optionally followed by the polarity letter: a DTCS code.
    if ((t.size() == 3 || t.size() == 4) && t[0] >= '0' && t[0] <= '7' && t[1] >= '0' && t[1] <= '7' &&
        t[2] >= '0' && t[2] <= '7' && (t.size() == 3 || Upper(t[3]) == 'I' || Upper(t[3]) == 'N')) {
        const int code = (t[0] - '0') * 64 + (t[1] - '0') * 8 + (t[2] - '0');
        if (!dpmr446 || DtcsPosition(tones, code) >= 0) {
            SelectDtcs(*tone, code, t.size() == 4 && Upper(t[3]) == 'I');
            return true;
        }
    }
    // Otherwise a CTCSS tone whose text begins with what was typed: one match, or the first of
    // several (an exact match first) when more than one character was typed.
    const auto& items = tones.ctcss;
    int count = 0, first = -1, exact = -1;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!StartsWithNoCase(items[i], t)) continue;
        ++count;
        if (first < 0) first = static_cast<int>(i);
        if (exact < 0 && items[i].size() == t.size()) exact = static_cast<int>(i);
    }
    if (count == 1 || (count > 1 && t.size() > 1)) {
        SelectCtcss(*tone, exact >= 0 ? exact : first);
        return true;
    }
    return false;
}

bool ToneInTable(const cmcToneItems& tones, const datTone& tone, bool dpmr446) {
    if (!tone.enabled) return true;
    if (tone.dtcs) return !dpmr446 || DtcsPosition(tones, tone.dtcsCode) >= 0;
    return tone.ctcss < tones.ctcss.size() || (tone.ctcss == kToneItemUser && !dpmr446);
}

bool cmcEditor::Tone(datTone& rx, datTone& tx, cmcEditMode mode, bool dpmr446) {
    const bool receive = mode == cmcEditMode::Receive;
    datTone& t = receive ? rx : tx;
    const bool editable = receive || !dpmr446;
    const bool follow = receive && rx == tx;  // the transmit tone follows a receive tone it equals
    const datTone before = t;
    const char* toneSheet = dpmr446 ? kSelCToneExUser : kSelCTone;
    cmcFCache& lists = Lists();
    const cmcToneItems& tones = ToneTable();

    if (editable) {
        if (Picked(Flex0)) {
            const int item = PickedItem();
            if (item != kToneItemDtcs) {
                SelectCtcss(t, item);
            } else if (dpmr446) {
                const int at = t.enabled && t.dtcs ? DtcsPosition(tones, t.dtcsCode) : -1;
                OpenChooser(kSelDtcs, Flex1, at >= 0 ? at : 0);
            } else {
                ContinueEdit(t.enabled && t.dtcs ? FormatDtcs(t.dtcsCode, t.inverted) : std::string());
            }
        } else if (Picked(Flex1)) {
            const int item = PickedItem();
            const auto& codes = tones.dtcsCodes;
            if (item >= 0 && item < static_cast<int>(codes.size()) && codes[item] >= 0) {
                SelectDtcs(t, codes[item], t.enabled && t.dtcs && t.inverted);
                OpenChooser(kSelDtcsInv, Flex2, t.inverted ? 1 : 0);
            }
        } else if (Picked(Flex2)) {
            if (t.enabled && t.dtcs) t.inverted = (PickedItem() & 1) != 0;
        } else if (Typed()) {
            datTone typed = t;
            if (ParseToneText(tones, req_.input, dpmr446, &typed))
                t = typed;
            else if (TypedSomething())
                Refuse(RefusedTone(Texts(), !receive, Trim(req_.input)));
        }
        const int action = Action();
        if (FromGrid() && (action == CA_Space || action == CA_Backspace) && t.enabled && t.dtcs) t.inverted = !t.inverted;
    }
    const bool changed = !(t == before);
    if (changed && follow) tx = rx;

    std::string text;
    if (t.enabled && t.dtcs) {
        const int at = dpmr446 ? DtcsPosition(tones, t.dtcsCode) : -1;
        text = at >= 0 ? lists.Text(kSelDtcs, Flex1, at) + PolarityLetter(t.inverted) : FormatDtcs(t.dtcsCode, t.inverted);
    } else {
        text = lists.Text(toneSheet, Flex0, t.enabled ? t.ctcss : kToneItemOff);
    }
    if (!receive && t.enabled && t == rx) {
        text += "<-";
        SetStyle(1);
    }
    if (result_ != CER_Editor) req_.display = text;

    if (!editable || !FromGrid() || ResultKind() != CRK_Plain) return changed;
    char c;
    if (TypedChar(&c) && IsDigit(c))
        StartEditWith(c);
    else if (Action() == CA_Enter)
        OpenChooser(toneSheet, Flex0, !t.enabled ? kToneItemOff : (t.dtcs ? kToneItemDtcs : t.ctcss));
    return changed;
}

}  // namespace qx
