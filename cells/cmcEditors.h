// The value editors: every cell value the cell handler shows and edits goes through one of them.
// An editor does three things in one call:
//   - it renders the value as the request's display text;
//   - it reacts to the request's action: space steps to the next value, backspace to the previous
//     one, Enter opens a chooser or starts the grid's in-place editor, a typed character starts the
//     in-place editor with that character (user actions act only when the request comes from a
//     grid, req.grid not null);
//   - it accepts a result: the text typed into the in-place editor (result kind 1, req.input) or an
//     item picked in a chooser (result kind 2, req.parent->cell: label = item kind, index = item).
// It returns true exactly when it changed the value (the caller then writes the value back) and
// leaves what it opened in Result(): CER_Opened (1) for a chooser or window, CER_Editor (2) for an
// in-place edit whose text, caret and selection are in req.display, req.caretPos, req.selLength.
// Invalid typed text never changes the value.
//
//     cmcEditor ed(req);
//     int raw = image[0x95BD];
//     if (ed.Timer(raw, {.unitsPerSecond = 1, .max = 255, .offMode = true})) image[0x95BD] = raw;
//     return ed.Result();
//
// Choosers and the flag window open in the views of the cell call's environment (cmcCellViews.h).
// List texts come from the environment's selection list cache, definition store and tone lists.
#pragma once

#include "defs/cmcCellNames.h"
#include "defs/cmcCellRequest.h"
#include "image/datCh.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

class cmcFCache;
class cmcGTex;
class cmcCellViews;
struct cmcCellCall;
struct cmcCellEnv;

// ---- Definition keys the editors read ------------------------------------------------------------

inline constexpr const char* kKeyTimerOff = "GI_AppInd_TimerOff";          // line 0: the off word
inline constexpr const char* kKeyCtcssItems = "GI_AppItem_Ctcss";         // line n: CTCSS tone n
inline constexpr const char* kKeyDtcsItems = "GI_AppItem_Dtcs";           // line n: DTCS code n (octal)
inline constexpr const char* kSelCTone = "GI_Sheet_Sel_Mch_CTone";        // Flex0: tones, 52 off, 53 DTCS
inline constexpr const char* kSelCToneExUser = "GI_Sheet_Sel_Mch_CTone_ExUser";  // the same for dPMR446
inline constexpr const char* kSelDtcs = "GI_Sheet_Sel_Mch_Dtcs";          // Flex1: item n = DTCS code n
inline constexpr const char* kSelDtcsInv = "GI_Sheet_Sel_Mch_DtcsInv";    // Flex2: 0 normal, 1 inverted
inline constexpr const char* kSelFixedFreq = "GI_Sheet_Sel_Mch_Freq";     // Flex0: the 24 fixed channels
inline constexpr const char* kSelAbc = "GI_Sheet_Sel_RxC_AbcSel";         // Flex0: 0 off, 1 code..., 33+
inline constexpr const char* kSelAbcCode = "GI_Sheet_Sel_RxC_AbcCode";    // Flex1: codes 1..32
inline constexpr const char* kSelToneLength = "GI_Sheet_Sel_UTone_Length";  // Flex0: 0 off, 1..15
inline constexpr const char* kSelMskRpt1st = "GI_Sheet_Sel_Mch_Msk_Rpt_1st_Pmr";  // Flex0: 255, more
inline constexpr const char* kSelMskRpt2nd = "GI_Sheet_Sel_Mch_Msk_Rpt_2nd";      // Flex1: codes 0..127

// Items of the tone chooser.
inline constexpr int kToneItemUser = 51;  // the user CTCSS tone (not on dPMR446)
inline constexpr int kToneItemOff = 52;
inline constexpr int kToneItemDtcs = 53;
// The item of "GI_Sheet_Sel_Mch_Msk_Rpt_1st_Pmr" that continues with the second list, and the
// value that stands for "no repeater".
inline constexpr int kMskRptMoreItem = 256;
inline constexpr int kMskRptNone = 255;
// The ABC code editor's item that continues with the code chooser, and its off entry.
inline constexpr int kAbcItemCode = 1;
inline constexpr int kAbcOff = 0;

// The tone item lists of a definition store ("GI_AppItem_Ctcss", "GI_AppItem_Dtcs"): their texts
// and the DTCS codes of the DTCS list (-1 for a line that is not three octal digits).
struct cmcToneItems {
    std::vector<std::string> ctcss;
    std::vector<std::string> dtcs;
    std::vector<int> dtcsCodes;
};
// Reads the tone item lists of a store once and keeps them while the store is the same.
class cmcToneLists {
public:
    const cmcToneItems& Of(cmcGTex& store);
    // Reads them again on the next use (a store was replaced by another at the same address).
    void Forget() { valid_ = false; }

private:
    const cmcGTex* store_ = nullptr;
    bool valid_ = false;
    cmcToneItems items_;
};

#ifndef QX_CELLS_SOURCE
// The program's selection list cache, for runners outside cells/ (the cells reach theirs through
// the environment). By default a cache of its own for the whole run; the program or a test may
// install another one (null restores the default). Installing also forgets the program's tone
// lists read from the main store, so a test may switch stores with it. Defined with the program's
// environment (env/cmcProgramEnv.cpp).
cmcFCache& EditorLists();
void SetEditorLists(cmcFCache* lists);
class cmcScopedEditorLists {
public:
    explicit cmcScopedEditorLists(cmcFCache* lists);
    ~cmcScopedEditorLists();
    cmcScopedEditorLists(const cmcScopedEditorLists&) = delete;
    cmcScopedEditorLists& operator=(const cmcScopedEditorLists&) = delete;

private:
    cmcFCache* previous_;
};
#endif

// Adds the keys above to the definition checker's registry of required keys (done once at start;
// calling it again adds nothing).
void RegisterEditorDefKeys();

// ---- Parameters -----------------------------------------------------------------------------------

struct cmcIntegerSpec {
    int min = 0;
    int max = 255;
    int offset = 0;                  // shown and typed: value + offset
    int step = 1;
    const char* fixedText = nullptr; // shown instead of the number when set
    bool clamp = false;              // stepping stops at the limits instead of wrapping
};

struct cmcDecimalSpec {
    int scale = 0;          // s: raw = value x 10^s
    int decimals = 0;       // d: fraction digits shown
    double min = 0;         // limits as decimal values
    double max = 0;
    int step = 1;           // raw step
    bool stepping = true;   // space and backspace step
    bool clearOnEdit = false;  // Enter starts the in-place editor with an empty text
};

struct cmcTimerSpec {
    int unitsPerSecond = 1;  // u: 1, 10, 100 or 1000
    int min = 0;
    int max = 255;
    bool offMode = false;    // raw 0 shows the off word and the typed word "of" means 0
    int trim = 0;            // trailing '0' (and the point) removed at most this many times
};

struct cmcMinSecSpec {
    int minSeconds = 0;
    int maxSeconds = 0;
    int stepSeconds = 30;  // c: one raw unit
};

enum class cmcEditMode { Receive, Transmit };

// ---- The editors ----------------------------------------------------------------------------------

class cmcEditor {
public:
#ifndef QX_CELLS_SOURCE
    // An editor working on a request alone: user actions act when the request comes from a grid
    // or is a user's edit from elsewhere (req.userEdit); it works with the program's environment.
    // Defined with that environment (env/cmcProgramEnv.cpp).
    explicit cmcEditor(cmcCellRequest& req);
#endif
    // The same with an environment given.
    cmcEditor(cmcCellRequest& req, const cmcCellEnv& env);
    // An editor of a cell call: takes the call's flags (a read-only call shows the value and
    // ignores the action, a typed text and a pick) and works with the call's environment (lists,
    // texts and the views choosers open in).
    explicit cmcEditor(cmcCellCall& call);

    cmcCellRequest& Request() { return req_; }
    // CER_None, CER_Opened or CER_Editor.
    uint8_t Result() const { return result_; }
    // Refuses the typed text or the pick with its reason (cmcReasons.h), shown to the user in the
    // status bar and by scripted edits; the first reason given stands.
    void Refuse(std::string why);

    // List choice: the value is the number of an item of the selection sheet `key`, whose items
    // are the cells of label `itemKind` (Flex0 plain, FlexMark marked lists).
    bool List(const std::string& key, int itemKind, int& value);
    bool MarkedList(const std::string& key, int& value) { return List(key, FlexMark, value); }
    // The byte variant: the whole image byte is the item number.
    bool ListByte(const std::string& key, uint8_t& byte, int itemKind = Flex0);

    bool Integer(int& value, const cmcIntegerSpec& spec);
    bool Decimal(int& raw, const cmcDecimalSpec& spec);
    bool Timer(int& raw, const cmcTimerSpec& spec);
    bool MinSec(int& raw, const cmcMinSecSpec& spec);

    // Flags numbered first..last (at most 16): for up to 8 flags number first + k is bit 7 - k of
    // the value, for more it is bit (count - 1 - k). Bits outside the flags are kept. Enter opens
    // the flag window with the given header kind and check style.
    bool FlagSet(int& value, int first, int last, int headerKind = 3, int checkStyle = 1);
    // The same flags standing for named things (scan lists): `names` holds one label per flag,
    // first..last. The cell shows the labels of the set flags joined by ", " (nothing when none is
    // set) and the flag window heads each flag with its number and label. A digit key toggles its
    // flag as in the plain flag set; a letter starts the in-place editor. Typed text is a list of
    // labels or numbers separated by commas (empty: none), or the digit row of the plain flag set
    // ("1_3"); a label that names no flag is refused.
    bool NamedFlagSet(int& value, int first, int last, const std::vector<std::string>& names);

    // N decimal digits (value in min..max), N hexadecimal digits (N <= 8), and a digit string of N
    // nibbles (digit k in byte k / 2 of `packed`, high nibble for even k).
    bool DecimalDigits(int& value, int digits, int min, int max);
    bool HexDigits(uint32_t& value, int digits);
    bool DigitString(uint8_t* packed, int digits);

    // The receive or transmit frequency of a channel. `fixedChannel`: the dPMR446 channels outside
    // the free bank, chosen from the 24 fixed frequencies.
    bool Frequency(datCh& ch, cmcEditMode mode, bool fixedChannel = false);
    // The receive or transmit tone of a channel (or of a tone entry), with the chooser chain
    // tone -> DTCS code -> polarity. For dPMR446 the transmit tone is shown only.
    bool Tone(datTone& rx, datTone& tx, cmcEditMode mode, bool dpmr446);

    // DTMF code: one digit (0-15) per element of `digits`, `count` of them, at most maxDigits.
    bool Dtmf(uint8_t* digits, uint8_t& count, int maxDigits = 24);
    // 5-tone code: `code` holds 4 bytes of digit nibbles (15 = empty) and the mask byte of "+"
    // digits; `groupTone` is the digit value shown as "*".
    bool FiveTone(uint8_t* code, int groupTone, bool receive, int digitCount = 7);
    bool Abc(int& value);
    bool SpecialTone(int& value, bool allowF);

    // A list of codes from the selection sheet `key`; typed text picks the item whose text it is
    // (or whose number it is). Values the list lacks show as numbers.
    bool CodeList(const std::string& key, int itemKind, int& value);
    // The tone length of a user tone: the code list "GI_Sheet_Sel_UTone_Length".
    bool ToneLength(int& value) { return CodeList(kSelToneLength, Flex0, value); }
    // Two lists: the first (items of kind Flex0) holds values and the item `moreItem`, which
    // continues with the second list (items of kind Flex1).
    bool TwoLevel(int& value, const std::string& firstKey, const std::string& secondKey, int moreItem);
    // Plain text of `length` bytes, space padded; characters outside 32..126 are stored as spaces.
    bool PlainText(uint8_t* field, int length);
    // A display text field of `length` bytes (space padded, or zero terminated) in the radio's
    // encoding, with the 32-byte user character table `userTable`. Drawn as segments while
    // painting (the display text is then empty), else shown in its editable form ("AB.C",
    // "%1F"); Enter, Backspace or a printable key open the text entry drop-down; typed text or the
    // drop-down's answer is read in the editable form. A text holding a character the display has
    // no code for is refused whole, with an error message naming it (NoCharacterMessage).
    bool DisplayText(uint8_t* field, int length, const uint8_t* userTable, bool zeroTerminated = false);
    // A user character: a 16-bit segment pattern, high byte first in `field`. Drawn as one
    // character, shown as its decimal pattern otherwise; Enter opens the character editor, whose
    // answer is the decimal pattern (an unreadable answer stores 0); a digit key starts the
    // in-place editor. Typed text is a decimal or "0x" hexadecimal pattern up to 0xFFFF; other
    // text keeps the pattern. True when a pattern was accepted (also an unchanged one).
    bool UserChar(uint8_t* field);

private:
    // User actions: none while read-only.
    bool FromGrid() const { return user_ && !readOnly_; }
    int Action() const {
        if (readOnly_) return CA_Refresh;
        return req_.action == CA_Commit ? CA_Enter : req_.action;
    }
    uint8_t ResultKind() const { return readOnly_ ? static_cast<uint8_t>(CRK_Plain) : req_.resultKind; }
    bool Typed() const { return ResultKind() == CRK_Input; }
    // Typed text holding more than blanks (an emptied editor delivers nothing to refuse).
    bool TypedSomething() const;
    // Refuses typed text that no number or code could be read from.
    void RefuseTyped();
    bool Picked(int itemKind) const;
    int PickedItem() const;
    bool TypedChar(char* c) const;
    void StartEdit(const std::string& text);
    void StartEditWith(char c);
    void StartEditAt(const std::string& text, int caret, int selection);
    bool OpenChooser(const std::string& key, int itemKind, int selected);
    void ContinueEdit(const std::string& text);
    // The cell's value style (bits 0-1 of its layout flags: 1 centred, 2 right-aligned).
    void SetStyle(int style);
    // The environment's definition store, selection lists and tone lists.
    cmcGTex& Texts() const { return *texts_; }
    cmcFCache& Lists() const { return *lists_; }
    const cmcToneItems& ToneTable() const;

    cmcCellRequest& req_;
    bool user_ = false;
    bool readOnly_ = false;
    cmcCellViews* views_ = nullptr;  // where choosers, flag and edit windows open; null: none
    cmcGTex* texts_ = nullptr;
    cmcFCache* lists_ = nullptr;
    cmcToneLists* tones_ = nullptr;
    uint8_t result_ = CER_None;
};

// ---- Formats and helpers (shared with the cell handler and the tests) ------------------------------

// Rounds half away from zero.
long long RoundHalfAway(double v);

// "%3d.%0Nd" of a raw decimal value with scale s and d decimals ("%3d" for d = 0).
std::string FormatDecimal(long long raw, int scale, int decimals);
// "%3d.%03d" seconds of a timer, trimmed; the off word of `texts` for raw 0 in off mode when
// `showOff`.
std::string FormatTimer(cmcGTex& texts, long long raw, const cmcTimerSpec& spec, bool showOff);
// "%2d:%02d".
std::string FormatMinSec(int raw, int stepSeconds);
// The flag row with its line feed.
std::string FormatFlagSet(int value, int first, int last);
// The labels of the set flags joined by ", " (a flag without a label by its number).
std::string FormatNamedFlags(int value, int first, int last, const std::vector<std::string>& names);

// "%d.%06d" of a frequency in Hz.
std::string FormatFrequency(uint32_t hz);
// Typed frequency text (MHz) to Hz on the channel raster; false when it has no number or no
// raster frequency lies within the resolution of what was typed.
bool ParseFrequency(std::string_view text, uint32_t* hz);
// The raster frequency for a value in Hz, as ParseFrequency snaps it.
bool SnapToRaster(uint32_t value, uint32_t* hz);

// The 24 fixed dPMR446 channel frequencies.
inline constexpr int kFixedChannelCount = 24;
// Entry i as text ("446.006250"); the entry after the last is "#".
const char* FixedChannelText(int i);
uint32_t FixedChannelFrequency(int i);  // 0 outside 0..23
int FixedChannelIndex(uint32_t hz);     // -1 when not a fixed frequency

// The three octal digits of a DTCS code and its polarity letter ("N", or "i" for inverted).
std::string FormatDtcs(uint16_t code, bool inverted);
// Typed tone text to a tone; false when it names no tone (dPMR446: only the DTCS codes of the
// list `tones`).
bool ParseToneText(const cmcToneItems& tones, std::string_view text, bool dpmr446, datTone* tone);
// Whether the radio has the tone: a CTCSS tone number of its table (the user tone too, except on
// dPMR446), any DTCS code (on dPMR446 only the codes of its list), or off.
bool ToneInTable(const cmcToneItems& tones, const datTone& tone, bool dpmr446);

#ifndef QX_CELLS_SOURCE
// The same with the program's definition store and tone lists, for callers outside cells/.
// Defined with the program's environment (env/cmcProgramEnv.cpp).
std::string FormatTimer(long long raw, const cmcTimerSpec& spec, bool showOff);
bool ParseToneText(std::string_view text, bool dpmr446, datTone* tone);
bool ToneInTable(const datTone& tone, bool dpmr446);
#endif

// Colour codes 1..16: the 24-bit pattern of code n (0 outside 1..16), its text, and the code of a
// stored pattern (0 when the pattern is none of the sixteen).
inline constexpr int kColourCodeCount = 16;
const char* ColourCodeText(int n);  // n = 17 gives the end mark "#"
uint32_t ColourCodePattern(int n);
int ColourCodeOf(uint32_t pattern);

}  // namespace qx
