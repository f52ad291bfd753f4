// Field cells: labels whose value is one field of the image or of the decoded record, shown and
// edited by one of the standard value editors. Such a label is declared as a row of data instead
// of a function; one generic behaviour (RunFieldCell) reads the row, shows the value, runs the
// editor and writes an accepted value back.
//
// A row reads like a line of a cell table: label, place, editor and, optionally, rules.
//
//     using namespace qx::field;
//     const cmcFieldRow kRows[] = {
//         {CL_KDisp_HangAct_Moni, Bits(0x95A4, 7), List("GI_Sheet_Sel_Misc_OnOff")},
//         {CL_Msk_Cfg_Gps_Sentence, Bits(0x9C10, 0, 1), List("GI_Sheet_Sel_Msk_GpsSentence")},
//         {CL_Msk_Presl_Own_Id, Word(0x9A15), DecDigits(4, 0, 4095)},
//         {CL_Dig_Tim_L0Level, Signed(0xA36D), Integer(-115, -100), ExtendedOnly()},
//         {CL_Comm_AtResetTimer_A, Byte(0x95BD), Timer(1).Off()},
//         {CL_Msk_TimingErr_TAC, Byte(0x9BF1), Decimal(2, 2, 0.01, 2.55)},
//         {CL_Comm_ManDown_Timer, Byte(0x95C7), Timer(10), Grey(BitClear<0x959E, 2>)},
//         {CL_Mch_Nar, Rec(&datCh::narrow), List("GI_Sheet_Sel_Mch_Nar")},
//         {CL_Mch_Lockout, Rec(&datCh::lockout),
//          ModelList("GI_Sheet_Sel_Mch_Lockout_Lmr", "GI_Sheet_Sel_Mch_Lockout_Pmr",
//                    "GI_Sheet_Sel_Mch_Lockout_Pmr", "GI_Sheet_Sel_Mch_Lockout_Lmr")},
//         {CL_Mch_Form, Rec(&datCh::format), List("GI_Sheet_Sel_Mch_Form"), Blocked(FormBlocked)},
//         {CL_2T_GroupCall, Rec(&datCh::opt, 1).Bits(4), List("GI_Sheet_Sel_2TRxC_Group"), Row0()},
//         {CL_Mch_Moni, Rec(&datCh::monitor), MarkedList("GI_Sheet_Sel_Mch_Moni"),
//          Notify(CN_All) | Warn(MoniWarning)},
//     };
//     void RegisterSomeCells(cmcCellTable& t) { t.Fields(kRows); }
//
// (FormBlocked and MoniWarning stand for test functions of the group's own file.)
//
// Places
//   Byte(offset)                 the whole image byte
//   Bits(offset, bit)            one bit; Bits(offset, low, high) bits low..high (bit 0 = least
//                                significant); the rest of the byte is kept (read-modify-write)
//   Word(offset)                 16 bits, high byte first
//   Signed(offset)               a signed byte (two's complement)
//   Bytes(offset)                a run of bytes (text, digit strings); the length is the editor's
//   Rec(&datCh::field)           a field of the record the cell's category loaded (bool, 8, 16 or
//                                32 bits); Rec(&datCh::opt, i), Rec(&datCh::value, i) an element
//                                of a record array; Rec(&datCh::text, start) text bytes from start
//   Computed(get, set)           a value with rules of its own (e.g. bits spread over a byte)
//   .Bits(low, high)             a bit range of any place (Word(0x9C09).Bits(0, 11), Rec(...).Bits(4))
//   .PerIndex(stride)            image places: offset + stride x the cell's index (rows of a table)
//   .AsKind(kind)                record places: load the record as this kind (e.g. KIND_MskCallList)
//
// Editors (the value editors of cmcEditors.h; parameters as there)
//   List(key[, itemKind])        list choice, items of kind Flex0 unless told; MarkedList(key)
//   ModelList(lmr, pmr, korv, dpmr446)   the list of the current model type
//   Integer(min, max[, offset, step])    Decimal(scale, decimals, min, max[, step])
//   Timer(unitsPerSecond[, min, max])    .Off() raw 0 is the off word; .Trim(n)
//   MinSec(minSeconds, maxSeconds[, stepSeconds])
//   Flags(first, last)           flag set; DecDigits(n, min, max); HexDigits(n); DigitString(n)
//   Text(n)                      the radio's display text (EditText); PlainText(n) ASCII text
//   CodeList(key, itemKind)      AbcCode(); SpecialTone(allowF); ToneLength()
//   ShowOnly([key])              display only: the number, or the item text of a list
//   editor.MaxFor(model, max)    another maximum for one model type
//
// Rules (combine with |)
//   Models(mask)                 the model types (bit per type) where the cell applies; elsewhere
//                                it shows the placeholder
//   ExtendedOnly()               shows nothing and accepts nothing while extended mode is clear
//   Blocked(test[, text])        shows the placeholder ("----"), grey, and accepts nothing when
//                                the test holds; Row0([text]) blocks row (index) 0
//   ReadOnly()                   shows the value, accepts nothing; ReadOnlyWhen(test, colour)
//   Grey(test)                   grey text when the test holds
//   Warn(test, reason), Error(test, reason)
//                                warning / error mark when the test holds (after any change); the
//                                reason (cmcMarkReason) is shown with the mark
//   Notify(flags)                cmcCellNotify flags after an accepted change; Post(event) posts
//                                an event after it (up to two Post rules per row)
//   Style(n), MarkLeft()         value style (bits 0-1 of the layout); mark at the left edge
//   Scaled(n)                    shown value = stored / n, stored = value x n
//   OffWhenZero()                on refresh, value 0 shows the off word of the timer editor
//   After(fn)                    fn(call, newValue) runs after an accepted change
//
// Tests are plain functions bool(const cmcCellCall&, int value): the ready-made ones below
// (KorvMskOn, KorvMskOff, IndexIs<n>, BitSet<off, bit>, BitClear<off, bit>, ValueIs<v>, ...) or a
// lambda without captures.
#pragma once

#include "cells/cmcCellTable.h"
#include "cells/cmcEditors.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"

#include <cstddef>
#include <cstdint>

namespace qx {

// A condition of a row: the call (model type, record, image, index) and the cell's current value.
using cmcFieldTest = bool (*)(const cmcCellCall& call, int value);
// The labels of a flag set's flags, first..last (Flags(...).Named).
using cmcFlagNames = std::vector<std::string> (*)(const cmcCellCall& call);
using cmcFieldGet = int (*)(const cmcCellCall& call);
using cmcFieldSet = void (*)(cmcCellCall& call, int value);
using cmcFieldAfter = void (*)(cmcCellCall& call, int value);

// ---- place ------------------------------------------------------------------------------------

enum class cmcFieldSource : uint8_t { Image, Record, Computed };

struct cmcFieldPlace {
    cmcFieldSource source = cmcFieldSource::Image;
    int offset = 0;         // image: the byte offset; record arrays: the element (or first byte)
    int stride = 0;         // image: added per cell index
    uint8_t size = 1;       // image: 1 byte or 2 (high byte first)
    uint8_t lowBit = 0;     // bit range: bits lowBit .. lowBit + bitCount - 1
    uint8_t bitCount = 0;   // 0: the whole value
    bool isSigned = false;  // a signed byte
    int recordKind = 0;     // record: load as this kind (0: the record the category loaded)
    // Record members: exactly one is set for a record place.
    bool datCh::*flag = nullptr;
    uint8_t datCh::*u8 = nullptr;
    uint16_t datCh::*u16 = nullptr;
    uint32_t datCh::*u32 = nullptr;
    uint8_t (datCh::*text)[48] = nullptr;
    uint8_t (datCh::*opt)[10] = nullptr;
    uint8_t (datCh::*code)[5] = nullptr;
    uint16_t (datCh::*value)[6] = nullptr;
    cmcFieldGet get = nullptr;  // computed
    cmcFieldSet set = nullptr;

    constexpr cmcFieldPlace Bits(int low, int high) const {
        cmcFieldPlace p = *this;
        p.lowBit = static_cast<uint8_t>(low);
        p.bitCount = static_cast<uint8_t>(high - low + 1);
        return p;
    }
    constexpr cmcFieldPlace Bits(int bit) const { return Bits(bit, bit); }
    constexpr cmcFieldPlace PerIndex(int step) const {
        cmcFieldPlace p = *this;
        p.stride = step;
        return p;
    }
    constexpr cmcFieldPlace AsKind(int kind) const {
        cmcFieldPlace p = *this;
        p.recordKind = kind;
        return p;
    }
};

// ---- editor -----------------------------------------------------------------------------------

enum class cmcFieldEdit : uint8_t {
    List, Integer, Decimal, Timer, MinSec, Flags, DecDigits, HexDigits, DigitString, Text, PlainText,
    CodeList, Abc, SpecialTone, ToneLength, Show,
};

struct cmcFieldEditor {
    cmcFieldEdit kind = cmcFieldEdit::Show;
    const char* keys[kModelTypeCount] = {};  // list keys by model type
    int itemKind = Flex0;
    int first = 0;   // flag set: first and last numbers; digit and text editors: count in `first`
    int last = 0;
    int min = 0;     // digit editors
    int max = 0;
    bool allowF = false;
    int altModel = -1;  // MaxFor: the model type with another maximum
    int altMax = 0;
    cmcIntegerSpec integer;
    cmcDecimalSpec decimal;
    cmcTimerSpec timer;
    cmcMinSecSpec minSec;
    cmcFlagNames flagNames = nullptr;

    // Flags: the flags stand for named things; the cell shows the labels of the set flags and the
    // flag window heads each flag with its label.
    constexpr cmcFieldEditor Named(cmcFlagNames names) const {
        cmcFieldEditor e = *this;
        e.flagNames = names;
        return e;
    }
    // Timer: raw 0 shows the off word and "of" types 0.
    constexpr cmcFieldEditor Off() const {
        cmcFieldEditor e = *this;
        e.timer.offMode = true;
        return e;
    }
    // Timer: remove up to n trailing zeros (and the point).
    constexpr cmcFieldEditor Trim(int n) const {
        cmcFieldEditor e = *this;
        e.timer.trim = n;
        return e;
    }
    // Decimal: no stepping with space and backspace; Enter edits an emptied text.
    constexpr cmcFieldEditor NoStepping() const {
        cmcFieldEditor e = *this;
        e.decimal.stepping = false;
        return e;
    }
    constexpr cmcFieldEditor ClearOnEdit() const {
        cmcFieldEditor e = *this;
        e.decimal.clearOnEdit = true;
        return e;
    }
    // Integer: stepping stops at the limits.
    constexpr cmcFieldEditor Clamp() const {
        cmcFieldEditor e = *this;
        e.integer.clamp = true;
        return e;
    }
    // Another maximum (raw units) for one model type: integer, timer, decimal (as a decimal value)
    // and digit editors.
    constexpr cmcFieldEditor MaxFor(int model, int maximum) const {
        cmcFieldEditor e = *this;
        e.altModel = model;
        e.altMax = maximum;
        return e;
    }
};

// ---- rules ------------------------------------------------------------------------------------

inline constexpr uint8_t kAllModels = 0x0F;
constexpr uint8_t ModelBit(int model) { return static_cast<uint8_t>(1u << model); }

struct cmcFieldRules {
    uint8_t models = kAllModels;
    bool extendedOnly = false;
    cmcFieldTest blocked = nullptr;
    const char* placeholder = nullptr;  // null: "----"
    cmcFieldTest readOnly = nullptr;
    bool readOnlyColourSet = false;
    uint32_t readOnlyColour = 0;        // 0x00BBGGRR
    cmcFieldTest grey = nullptr;
    cmcFieldTest warn = nullptr;
    cmcFieldTest error = nullptr;
    int markReason = -1;  // cmcMarkReason of the warning or error mark
    uint32_t notify = 0;
    int post[2] = {};                   // events posted after a change (0: none)
    int style = -1;                     // value style set on every call (-1: the editor's)
    bool markLeft = false;
    int scale = 1;
    bool offWhenZero = false;
    cmcFieldAfter after = nullptr;
};

// Both rule sets; where both set a rule, the right one's wins (posted events add up).
constexpr cmcFieldRules operator|(cmcFieldRules a, const cmcFieldRules& b) {
    if (b.models != kAllModels) a.models = b.models;
    a.extendedOnly = a.extendedOnly || b.extendedOnly;
    if (b.blocked) a.blocked = b.blocked;
    if (b.placeholder) a.placeholder = b.placeholder;
    if (b.readOnly) a.readOnly = b.readOnly;
    if (b.readOnlyColourSet) {
        a.readOnlyColourSet = true;
        a.readOnlyColour = b.readOnlyColour;
    }
    if (b.grey) a.grey = b.grey;
    if (b.warn) a.warn = b.warn;
    if (b.error) a.error = b.error;
    if (b.markReason >= 0) a.markReason = b.markReason;
    a.notify |= b.notify;
    for (int e : b.post) {
        if (!e) continue;
        if (!a.post[0]) a.post[0] = e;
        else a.post[1] = e;
    }
    if (b.style >= 0) a.style = b.style;
    a.markLeft = a.markLeft || b.markLeft;
    if (b.scale != 1) a.scale = b.scale;
    a.offWhenZero = a.offWhenZero || b.offWhenZero;
    if (b.after) a.after = b.after;
    return a;
}

// ---- row --------------------------------------------------------------------------------------

struct cmcFieldRow {
    constexpr cmcFieldRow(int label_, cmcFieldPlace place_, cmcFieldEditor editor_, cmcFieldRules rules_ = {})
        : label(label_), place(place_), editor(editor_), rules(rules_) {}

    int label = 0;
    cmcFieldPlace place;
    cmcFieldEditor editor;
    cmcFieldRules rules;
};

// The generic behaviour of a field row.
void RunFieldCell(cmcCellCall& call, const cmcFieldRow& row);

// Tells the definition checker about the selection lists that field rows read (required sheets,
// used by the row's label). Called once per table of rows, at start-up.
void RequireFieldLists(const cmcFieldRow* rows, int count);
template <std::size_t N>
void RequireFieldLists(const cmcFieldRow (&rows)[N]) {
    RequireFieldLists(rows, static_cast<int>(N));
}

// The display text editor of text cells (N characters in the radio's display encoding, space
// padded, with the user character table of the image): drawn as segments, edited in the text
// entry drop-down, shown in its editable form outside sheets.
bool EditText(cmcCellCall& call, uint8_t* bytes, int length);

// ---- the row vocabulary -----------------------------------------------------------------------

namespace field {

// Places.
constexpr cmcFieldPlace Byte(int offset) {
    cmcFieldPlace p;
    p.offset = offset;
    return p;
}
constexpr cmcFieldPlace Bits(int offset, int low, int high) { return Byte(offset).Bits(low, high); }
constexpr cmcFieldPlace Bits(int offset, int bit) { return Byte(offset).Bits(bit, bit); }
constexpr cmcFieldPlace Word(int offset) {
    cmcFieldPlace p = Byte(offset);
    p.size = 2;
    return p;
}
constexpr cmcFieldPlace Signed(int offset) {
    cmcFieldPlace p = Byte(offset);
    p.isSigned = true;
    return p;
}
constexpr cmcFieldPlace Bytes(int offset) { return Byte(offset); }
constexpr cmcFieldPlace RecordPlace() {
    cmcFieldPlace p;
    p.source = cmcFieldSource::Record;
    return p;
}
constexpr cmcFieldPlace Rec(bool datCh::*m) {
    cmcFieldPlace p = RecordPlace();
    p.flag = m;
    return p;
}
constexpr cmcFieldPlace Rec(uint8_t datCh::*m) {
    cmcFieldPlace p = RecordPlace();
    p.u8 = m;
    return p;
}
constexpr cmcFieldPlace Rec(uint16_t datCh::*m) {
    cmcFieldPlace p = RecordPlace();
    p.u16 = m;
    return p;
}
constexpr cmcFieldPlace Rec(uint32_t datCh::*m) {
    cmcFieldPlace p = RecordPlace();
    p.u32 = m;
    return p;
}
constexpr cmcFieldPlace Rec(uint8_t (datCh::*m)[48], int start) {
    cmcFieldPlace p = RecordPlace();
    p.text = m;
    p.offset = start;
    return p;
}
constexpr cmcFieldPlace Rec(uint8_t (datCh::*m)[10], int i) {
    cmcFieldPlace p = RecordPlace();
    p.opt = m;
    p.offset = i;
    return p;
}
constexpr cmcFieldPlace Rec(uint8_t (datCh::*m)[5], int i) {
    cmcFieldPlace p = RecordPlace();
    p.code = m;
    p.offset = i;
    return p;
}
constexpr cmcFieldPlace Rec(uint16_t (datCh::*m)[6], int i) {
    cmcFieldPlace p = RecordPlace();
    p.value = m;
    p.offset = i;
    return p;
}
constexpr cmcFieldPlace Computed(cmcFieldGet get, cmcFieldSet set) {
    cmcFieldPlace p;
    p.source = cmcFieldSource::Computed;
    p.get = get;
    p.set = set;
    return p;
}

// Editors.
constexpr cmcFieldEditor Edit(cmcFieldEdit kind) {
    cmcFieldEditor e;
    e.kind = kind;
    return e;
}
constexpr cmcFieldEditor ModelList(const char* lmr, const char* pmr, const char* korv, const char* dpmr446,
                                   int itemKind = Flex0) {
    cmcFieldEditor e = Edit(cmcFieldEdit::List);
    e.keys[kModelLmr] = lmr;
    e.keys[kModelPmr] = pmr;
    e.keys[kModelKorvPmr] = korv;
    e.keys[kModelDPmr446] = dpmr446;
    e.itemKind = itemKind;
    return e;
}
constexpr cmcFieldEditor List(const char* key, int itemKind = Flex0) {
    return ModelList(key, key, key, key, itemKind);
}
constexpr cmcFieldEditor MarkedList(const char* key) { return List(key, FlexMark); }
constexpr cmcFieldEditor Integer(int min, int max, int offset = 0, int step = 1) {
    cmcFieldEditor e = Edit(cmcFieldEdit::Integer);
    e.integer.min = min;
    e.integer.max = max;
    e.integer.offset = offset;
    e.integer.step = step;
    return e;
}
constexpr cmcFieldEditor Decimal(int scale, int decimals, double min, double max, int step = 1) {
    cmcFieldEditor e = Edit(cmcFieldEdit::Decimal);
    e.decimal.scale = scale;
    e.decimal.decimals = decimals;
    e.decimal.min = min;
    e.decimal.max = max;
    e.decimal.step = step;
    return e;
}
constexpr cmcFieldEditor Timer(int unitsPerSecond, int min = 0, int max = 255) {
    cmcFieldEditor e = Edit(cmcFieldEdit::Timer);
    e.timer.unitsPerSecond = unitsPerSecond;
    e.timer.min = min;
    e.timer.max = max;
    return e;
}
constexpr cmcFieldEditor MinSec(int minSeconds, int maxSeconds, int stepSeconds = 30) {
    cmcFieldEditor e = Edit(cmcFieldEdit::MinSec);
    e.minSec.minSeconds = minSeconds;
    e.minSec.maxSeconds = maxSeconds;
    e.minSec.stepSeconds = stepSeconds;
    return e;
}
constexpr cmcFieldEditor Flags(int first, int last) {
    cmcFieldEditor e = Edit(cmcFieldEdit::Flags);
    e.first = first;
    e.last = last;
    return e;
}
constexpr cmcFieldEditor DecDigits(int digits, int min, int max) {
    cmcFieldEditor e = Edit(cmcFieldEdit::DecDigits);
    e.first = digits;
    e.min = min;
    e.max = max;
    return e;
}
constexpr cmcFieldEditor HexDigits(int digits) {
    cmcFieldEditor e = Edit(cmcFieldEdit::HexDigits);
    e.first = digits;
    return e;
}
constexpr cmcFieldEditor DigitString(int digits) {
    cmcFieldEditor e = Edit(cmcFieldEdit::DigitString);
    e.first = digits;
    return e;
}
constexpr cmcFieldEditor Text(int length) {
    cmcFieldEditor e = Edit(cmcFieldEdit::Text);
    e.first = length;
    return e;
}
constexpr cmcFieldEditor PlainText(int length) {
    cmcFieldEditor e = Edit(cmcFieldEdit::PlainText);
    e.first = length;
    return e;
}
constexpr cmcFieldEditor CodeList(const char* key, int itemKind = Flex0) {
    cmcFieldEditor e = List(key, itemKind);
    e.kind = cmcFieldEdit::CodeList;
    return e;
}
constexpr cmcFieldEditor AbcCode() { return Edit(cmcFieldEdit::Abc); }
constexpr cmcFieldEditor SpecialTone(bool allowF) {
    cmcFieldEditor e = Edit(cmcFieldEdit::SpecialTone);
    e.allowF = allowF;
    return e;
}
constexpr cmcFieldEditor ToneLength() { return Edit(cmcFieldEdit::ToneLength); }
// Display only: the value as a number, or as the item text of a list when one is given.
constexpr cmcFieldEditor ShowOnly(const char* key = nullptr, int itemKind = Flex0) {
    cmcFieldEditor e = List(key, itemKind);
    e.kind = cmcFieldEdit::Show;
    return e;
}

// Rules.
constexpr cmcFieldRules Models(uint8_t mask) {
    cmcFieldRules r;
    r.models = mask;
    return r;
}
constexpr cmcFieldRules ExtendedOnly() {
    cmcFieldRules r;
    r.extendedOnly = true;
    return r;
}
constexpr cmcFieldRules Blocked(cmcFieldTest test, const char* placeholder = nullptr) {
    cmcFieldRules r;
    r.blocked = test;
    r.placeholder = placeholder;
    return r;
}
constexpr cmcFieldRules ReadOnly() {
    cmcFieldRules r;
    r.readOnly = [](const cmcCellCall&, int) { return true; };
    return r;
}
constexpr cmcFieldRules ReadOnlyWhen(cmcFieldTest test, uint32_t colour) {
    cmcFieldRules r;
    r.readOnly = test;
    r.readOnlyColourSet = true;
    r.readOnlyColour = colour;
    return r;
}
constexpr cmcFieldRules Grey(cmcFieldTest test) {
    cmcFieldRules r;
    r.grey = test;
    return r;
}
constexpr cmcFieldRules Warn(cmcFieldTest test, int reason = -1) {
    cmcFieldRules r;
    r.warn = test;
    r.markReason = reason;
    return r;
}
constexpr cmcFieldRules Error(cmcFieldTest test, int reason = -1) {
    cmcFieldRules r;
    r.error = test;
    r.markReason = reason;
    return r;
}
constexpr cmcFieldRules Notify(uint32_t flags) {
    cmcFieldRules r;
    r.notify = flags;
    return r;
}
constexpr cmcFieldRules Post(int event) {
    cmcFieldRules r;
    r.post[0] = event;
    return r;
}
constexpr cmcFieldRules Style(int style) {
    cmcFieldRules r;
    r.style = style;
    return r;
}
constexpr cmcFieldRules MarkLeft() {
    cmcFieldRules r;
    r.markLeft = true;
    return r;
}
constexpr cmcFieldRules Scaled(int factor) {
    cmcFieldRules r;
    r.scale = factor;
    return r;
}
constexpr cmcFieldRules OffWhenZero() {
    cmcFieldRules r;
    r.offWhenZero = true;
    return r;
}
constexpr cmcFieldRules After(cmcFieldAfter fn) {
    cmcFieldRules r;
    r.after = fn;
    return r;
}

// Ready-made tests.
bool KorvMskOn(const cmcCellCall& call, int value);    // digital PMR channel with MSK signalling (M)
bool KorvMskOff(const cmcCellCall& call, int value);   // digital PMR channel without it (N)
bool IsKorv(const cmcCellCall& call, int value);       // the model type is digital PMR
// LMR: every save recomputes the 2-tone decode windows over the user tone table, so user tone
// values cannot be kept there.
bool UserToneRewritten(const cmcCellCall& call, int value);
template <int N> bool IndexIs(const cmcCellCall& call, int) { return call.Index() == N; }
template <int V> bool ValueIs(const cmcCellCall&, int value) { return value == V; }
template <int V> bool ValueIsNot(const cmcCellCall&, int value) { return value != V; }
template <int Offset, int Bit> bool BitSet(const cmcCellCall& call, int) {
    return (call.Byte(Offset) >> Bit) & 1;
}
template <int Offset, int Bit> bool BitClear(const cmcCellCall& call, int value) {
    return !BitSet<Offset, Bit>(call, value);
}
constexpr cmcFieldRules Row0(const char* placeholder = nullptr) { return Blocked(IndexIs<0>, placeholder); }

}  // namespace field

}  // namespace qx
