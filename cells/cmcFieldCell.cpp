// The generic behaviour of field rows: read the place, show and edit the value with the row's
// editor, write an accepted value back, then apply the row's marks and colours.
#include "cells/cmcFieldCell.h"

#include "defs/cmcDefLint.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"
#include "image/cmcPackedMap.h"

#include <cmath>

namespace qx {

namespace {

constexpr uint32_t kGreyText = 0x00C0C0C0;  // RGB 192,192,192
constexpr uint32_t kReadOnlyFill = 0x00F0F0F0; // RGB 240,240,240: a field that takes no input

// ---- places ----

bool IsRecord(const cmcFieldPlace& p) { return p.source == cmcFieldSource::Record; }

int ImageOffset(const cmcCellCall& c, const cmcFieldPlace& p) { return p.offset + p.stride * c.Index(); }

// The whole value of a place before its bit range is taken.
int ReadWhole(const cmcCellCall& c, const cmcFieldPlace& p) {
    switch (p.source) {
    case cmcFieldSource::Computed: return p.get ? p.get(c) : 0;
    case cmcFieldSource::Image: {
        const int at = ImageOffset(c, p);
        if (p.size == 2) return c.Word(at);
        const int b = c.Byte(at);
        return p.isSigned && p.bitCount == 0 ? static_cast<int8_t>(b) : b;
    }
    case cmcFieldSource::Record: {
        const datCh& r = c.rec;
        if (p.flag) return (r.*p.flag) ? 1 : 0;
        if (p.u8) return r.*p.u8;
        if (p.u16) return r.*p.u16;
        if (p.u32) return static_cast<int>(r.*p.u32);
        if (p.opt) return (r.*p.opt)[p.offset];
        if (p.code) return (r.*p.code)[p.offset];
        if (p.value) return (r.*p.value)[p.offset];
        if (p.text) return (r.*p.text)[p.offset];
        return 0;
    }
    }
    return 0;
}

void WriteWhole(cmcCellCall& c, const cmcFieldPlace& p, int v) {
    switch (p.source) {
    case cmcFieldSource::Computed:
        if (p.set) p.set(c, v);
        c.MarkWritten();
        return;
    case cmcFieldSource::Image: {
        const int at = ImageOffset(c, p);
        if (p.size == 2)
            c.SetWord(at, v);
        else
            c.SetByte(at, static_cast<uint8_t>(v & 0xFF));
        return;
    }
    case cmcFieldSource::Record: {
        datCh& r = c.rec;
        if (p.flag) r.*p.flag = v != 0;
        else if (p.u8) r.*p.u8 = static_cast<uint8_t>(v);
        else if (p.u16) r.*p.u16 = static_cast<uint16_t>(v);
        else if (p.u32) r.*p.u32 = static_cast<uint32_t>(v);
        else if (p.opt) (r.*p.opt)[p.offset] = static_cast<uint8_t>(v);
        else if (p.code) (r.*p.code)[p.offset] = static_cast<uint8_t>(v);
        else if (p.value) (r.*p.value)[p.offset] = static_cast<uint16_t>(v);
        else if (p.text) (r.*p.text)[p.offset] = static_cast<uint8_t>(v);
        c.StoreRecord();
        return;
    }
    }
}

uint32_t Mask(const cmcFieldPlace& p) { return (1u << p.bitCount) - 1u; }

int Read(const cmcCellCall& c, const cmcFieldPlace& p) {
    const int whole = ReadWhole(c, p);
    if (p.bitCount == 0) return whole;
    const int v = static_cast<int>((static_cast<uint32_t>(whole) >> p.lowBit) & Mask(p));
    if (p.isSigned && (v >> (p.bitCount - 1)) & 1) return v - (1 << p.bitCount);
    return v;
}

// Read-modify-write of the bit range; the rest of the value stays.
void Write(cmcCellCall& c, const cmcFieldPlace& p, int v) {
    if (p.bitCount == 0) {
        WriteWhole(c, p, v);
        return;
    }
    const uint32_t mask = Mask(p) << p.lowBit;
    const uint32_t whole = static_cast<uint32_t>(ReadWhole(c, p));
    WriteWhole(c, p, static_cast<int>((whole & ~mask) | ((static_cast<uint32_t>(v) << p.lowBit) & mask)));
}

// The bytes of a text or digit string place; null when there are none.
uint8_t* BytesOf(cmcCellCall& c, const cmcFieldPlace& p, int length) {
    if (p.source == cmcFieldSource::Image) {
        const int at = ImageOffset(c, p);
        if (at < 0 || at + length > c.image.GetSize()) return nullptr;
        return c.Bytes() + at;
    }
    if (p.source == cmcFieldSource::Record && p.text && p.offset + length <= 48) return (c.rec.*p.text) + p.offset;
    if (p.source == cmcFieldSource::Record && p.opt && p.offset + length <= 10) return (c.rec.*p.opt) + p.offset;
    if (p.source == cmcFieldSource::Record && p.code && p.offset + length <= 5) return (c.rec.*p.code) + p.offset;
    return nullptr;
}

bool BytesEditor(cmcFieldEdit kind) {
    return kind == cmcFieldEdit::Text || kind == cmcFieldEdit::PlainText || kind == cmcFieldEdit::DigitString;
}

// ---- editors ----

const char* ListKey(const cmcCellCall& c, const cmcFieldEditor& e) {
    const int m = c.modelType >= 0 && c.modelType < kModelTypeCount ? c.modelType : kModelLmr;
    return e.keys[m] ? e.keys[m] : e.keys[kModelLmr];
}

int MaxOf(const cmcCellCall& c, const cmcFieldEditor& e, int max) {
    return e.altModel == c.modelType ? e.altMax : max;
}

// Runs the editor over an integer value; true when it chose a new value.
bool EditValue(cmcCellCall& c, const cmcFieldEditor& e, int& value) {
    cmcEditor ed(c);
    bool changed = false;
    switch (e.kind) {
    case cmcFieldEdit::List: changed = ed.List(ListKey(c, e), e.itemKind, value); break;
    case cmcFieldEdit::CodeList: changed = ed.CodeList(ListKey(c, e), e.itemKind, value); break;
    case cmcFieldEdit::Integer: {
        cmcIntegerSpec s = e.integer;
        s.max = MaxOf(c, e, s.max);
        changed = ed.Integer(value, s);
        break;
    }
    case cmcFieldEdit::Decimal: {
        cmcDecimalSpec s = e.decimal;
        if (e.altModel == c.modelType) s.max = e.altMax;
        changed = ed.Decimal(value, s);
        break;
    }
    case cmcFieldEdit::Timer: {
        cmcTimerSpec s = e.timer;
        s.max = MaxOf(c, e, s.max);
        changed = ed.Timer(value, s);
        break;
    }
    case cmcFieldEdit::MinSec: changed = ed.MinSec(value, e.minSec); break;
    case cmcFieldEdit::Flags:
        changed = e.flagNames ? ed.NamedFlagSet(value, e.first, e.last, e.flagNames(c))
                              : ed.FlagSet(value, e.first, e.last);
        break;
    case cmcFieldEdit::DecDigits: changed = ed.DecimalDigits(value, e.first, e.min, MaxOf(c, e, e.max)); break;
    case cmcFieldEdit::HexDigits: {
        uint32_t v = static_cast<uint32_t>(value);
        changed = ed.HexDigits(v, e.first);
        value = static_cast<int>(v);
        break;
    }
    case cmcFieldEdit::Abc: changed = ed.Abc(value); break;
    case cmcFieldEdit::SpecialTone: changed = ed.SpecialTone(value, e.allowF); break;
    case cmcFieldEdit::ToneLength: changed = ed.ToneLength(value); break;
    case cmcFieldEdit::Show:
        if (ListKey(c, e))
            c.Show(c.Lists().Text(ListKey(c, e), e.itemKind, value));
        else
            c.ShowNumber(value);
        break;
    case cmcFieldEdit::Text:
    case cmcFieldEdit::PlainText:
    case cmcFieldEdit::DigitString: break;  // byte editors, below
    }
    c.Opened(ed.Result());
    return changed;
}

bool EditBytes(cmcCellCall& c, const cmcFieldEditor& e, uint8_t* bytes) {
    if (e.kind == cmcFieldEdit::Text) return EditText(c, bytes, e.first);
    cmcEditor ed(c);
    const bool changed =
        e.kind == cmcFieldEdit::PlainText ? ed.PlainText(bytes, e.first) : ed.DigitString(bytes, e.first);
    c.Opened(ed.Result());
    return changed;
}

// Where an image place keeps its value: whether a save stores it for the model type at all, and
// whether normalisation puts it back from the initial image on every load and save.
enum class cmcFieldKeep { Kept, NotSaved, Normalised };

cmcFieldKeep KeepOf(const cmcCellCall& c, const cmcFieldPlace& p, const cmcFieldEditor& e) {
    if (p.source != cmcFieldSource::Image) return cmcFieldKeep::Kept;
    const int at = ImageOffset(c, p);
    int length = p.size;
    if (BytesEditor(e.kind)) length = e.kind == cmcFieldEdit::DigitString ? (e.first + 1) / 2 : e.first;
    for (int k = 0; k < length; ++k)
        if (!cmcPackedMap::KeptFor(at + k, c.modelType)) return cmcFieldKeep::NotSaved;
    uint8_t mask = 0xFF;
    if (p.size == 1 && p.bitCount > 0) mask = static_cast<uint8_t>(Mask(p) << p.lowBit);
    for (int k = 0; k < length; ++k)
        if (cmcPackedMap::NormalisedBits(at + k, c.modelType) & (length == 1 ? mask : 0xFF))
            return cmcFieldKeep::Normalised;
    return cmcFieldKeep::Kept;
}

void SetTextColour(cmcCellCall& c, uint32_t colour) {
    if (!c.req.paint) return;
    c.req.paint->textColorSet = true;
    c.req.paint->textColor = colour;
}

}  // namespace

// ---- the generic behaviour -------------------------------------------------------------------

void RunFieldCell(cmcCellCall& c, const cmcFieldRow& row) {
    const cmcFieldPlace& place = row.place;
    const cmcFieldEditor& editor = row.editor;
    const cmcFieldRules& rules = row.rules;
    const char* placeholder = rules.placeholder ? rules.placeholder : "----";

    if (c.modelType < 0 || c.modelType >= kModelTypeCount || !(rules.models & ModelBit(c.modelType))) {
        c.ShowNotApplicable(placeholder);
        return;
    }
    if (rules.extendedOnly && !c.ExtendedMode()) return;
    if (IsRecord(place)) {
        if (place.recordKind != 0 && c.recordKind != place.recordKind) {
            c.recordKind = place.recordKind;
            c.rec.Load(place.recordKind, c.Index());
        }
        // A record field on a sheet whose category loads no record has nothing to show.
        if (c.recordKind == KIND_None) {
            c.ShowNotApplicable(placeholder);
            return;
        }
    }

    const bool bytes = BytesEditor(editor.kind);
    const int scale = rules.scale > 0 ? rules.scale : 1;
    int value = bytes ? 0 : Read(c, place) / scale;
    if (rules.blocked && rules.blocked(c, value)) {
        c.ShowNotApplicable(placeholder);
        return;
    }

    // A field that a save would not keep for this model type accepts nothing: one outside every
    // block packed for it shows the placeholder, one that normalisation puts back shows its value
    // read-only, in grey.
    const cmcFieldKeep keep = KeepOf(c, place, editor);
    if (keep == cmcFieldKeep::NotSaved) {
        c.ShowNotApplicable(placeholder);
        return;
    }
    const bool normalised = keep == cmcFieldKeep::Normalised;
    const bool readOnly =
        normalised || editor.kind == cmcFieldEdit::Show || (rules.readOnly && rules.readOnly(c, value));
    bool changed = false;
    // A read-only cell shows its value through the same editor, which then takes no action.
    if (readOnly) c.readOnly = true;
    {
        if (bytes) {
            const int length = editor.first;
            uint8_t* field = BytesOf(c, place, length);
            if (!field) {
                c.ShowNotApplicable(placeholder);
                return;
            }
            changed = EditBytes(c, editor, field);
            if (changed) {
                if (IsRecord(place))
                    c.StoreRecord();
                else
                    c.MarkWritten();
            }
        } else {
            changed = EditValue(c, editor, value);
            if (changed) Write(c, place, value * scale);
        }
    }

    if (changed) {
        c.notify |= rules.notify;
        for (int event : rules.post)
            if (event) c.Events().Post(event);
        if (rules.after) rules.after(c, value);
    }
    if (rules.offWhenZero && !bytes && value == 0 && c.action == CA_Refresh) c.Show(c.Texts().Line(kKeyTimerOff, 0));
    if (readOnly && rules.readOnlyColourSet) SetTextColour(c, rules.readOnlyColour);
    if (normalised) {
        SetTextColour(c, kGreyText);
        // The whole cell grey, as a cell that takes no input (the selection shows through).
        if (c.req.paint && !c.req.paint->selected && !c.req.paint->printing) {
            cmcCellPaint& p = *c.req.paint;
            p.fillSet = true;
            p.fillLeft = p.left;
            p.fillTop = p.top;
            p.fillRight = p.right;
            p.fillBottom = p.bottom - 1;  // the cell's bottom line stays
            p.fillColor = kReadOnlyFill;
        }
    }
    if (rules.grey && rules.grey(c, value)) SetTextColour(c, kGreyText);
    if (rules.warn && rules.warn(c, value)) c.Warn(rules.markReason);
    if (rules.error && rules.error(c, value)) c.Fail(rules.markReason);
    if (rules.style >= 0)
        c.cell.layout = static_cast<uint8_t>((c.cell.layout & ~LF_HAlignMask) | (rules.style & LF_HAlignMask));
    if (rules.markLeft) c.req.markPos = CMP_Left;
}

void RequireFieldLists(const cmcFieldRow* rows, int count) {
    for (int i = 0; i < count; ++i)
        for (const char* key : rows[i].editor.keys)
            if (key) RequireDefKey({key, cmcDefFileKind::Main, cmcRequiredKind::Sheet, LabelName(rows[i].label)});
}

// Texts in the radio's display encoding, with the user characters of the image.
bool EditText(cmcCellCall& c, uint8_t* bytes, int length) {
    cmcEditor ed(c);
    const bool changed = ed.DisplayText(bytes, length, c.Bytes() + map::kUserCharTable);
    c.Opened(ed.Result());
    return changed;
}

// ---- ready-made tests ------------------------------------------------------------------------

namespace field {

bool IsKorv(const cmcCellCall& c, int) { return c.IsKorv(); }
bool UserToneRewritten(const cmcCellCall& c, int) { return c.modelType == kModelLmr; }
bool KorvMskOn(const cmcCellCall& c, int) { return c.IsKorv() && c.mskOn; }
bool KorvMskOff(const cmcCellCall& c, int) { return c.IsKorv() && c.mskOff; }

}  // namespace field

}  // namespace qx
