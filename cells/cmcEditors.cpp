// The editor frame (results, in-place editing, choosers), the list cache, and the number editors:
// list choice, integer, decimal, timer, minutes and seconds, flag set and the digit editors.
#include "cells/cmcEditors.h"

#include "cells/cmcCellTable.h"
#include "cells/cmcCellViews.h"
#include "cells/cmcEditorsInternal.h"
#include "cells/cmcNumberFilter.h"
#include "cells/cmcReasons.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcDefLint.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qx {

// ---- Shared helpers -----------------------------------------------------------------------------

namespace editors {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
bool IsHexDigit(char c) { return HexValue(c) >= 0; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string TrimLeft(std::string_view text) {
    size_t b = text.find_first_not_of(" \t");
    return b == std::string_view::npos ? std::string() : std::string(text.substr(b));
}
std::string Trim(std::string_view text) {
    std::string t = TrimLeft(text);
    size_t e = t.find_last_not_of(" \t\r\n");
    return e == std::string::npos ? std::string() : t.substr(0, e + 1);
}

int Nibble(const uint8_t* bytes, int k) { return (bytes[k / 2] >> (k % 2 == 0 ? 4 : 0)) & 15; }
void SetNibble(uint8_t* bytes, int k, int v) {
    uint8_t& b = bytes[k / 2];
    b = k % 2 == 0 ? static_cast<uint8_t>((b & 0x0F) | ((v & 15) << 4)) : static_cast<uint8_t>((b & 0xF0) | (v & 15));
}

bool ReadNumber(const std::string& text, double* value) {
    if (text.empty()) return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

namespace {

// Lines 0, 1, ... of a list section, up to the first line that starts with "#".
std::vector<std::string> ReadItemList(cmcGTex& store, const char* key) {
    std::vector<std::string> out;
    for (int n = 0; n < 1000; ++n) {
        std::string line = store.Line(key, n);
        if (!line.empty() && line[0] == '#') break;
        out.push_back(Trim(line));
    }
    return out;
}

int OctalCode(const std::string& text) {
    if (text.size() != 3) return -1;
    int code = 0;
    for (char c : text) {
        if (c < '0' || c > '7') return -1;
        code = code * 8 + (c - '0');
    }
    return code;
}

}  // namespace

const cmcToneItems& TonesOf(const cmcCellEnv& env) { return env.tones->Of(*env.gtex); }

int DtcsPosition(const cmcToneItems& tones, int code) {
    const auto& codes = tones.dtcsCodes;
    for (size_t i = 0; i < codes.size(); ++i)
        if (codes[i] == code) return static_cast<int>(i);
    return -1;
}

}  // namespace editors

using namespace editors;

// ---- The tone lists -----------------------------------------------------------------------------

const cmcToneItems& cmcToneLists::Of(cmcGTex& store) {
    if (!valid_ || store_ != &store) {
        items_.ctcss = ReadItemList(store, kKeyCtcssItems);
        items_.dtcs = ReadItemList(store, kKeyDtcsItems);
        items_.dtcsCodes.clear();
        for (const auto& t : items_.dtcs) items_.dtcsCodes.push_back(OctalCode(t));
        store_ = &store;
        valid_ = true;
    }
    return items_;
}

// ---- The keys the editors read, for the definition checker ------------------------------------------

void RegisterEditorDefKeys() {
    static bool done = false;
    if (done) return;
    done = true;
    using K = cmcRequiredKind;
    const std::string by = "value editors";
    RequireDefKey({kKeyTimerOff, cmcDefFileKind::Main, K::Section, "timer editor"});
    RequireDefKey({kKeyCtcssItems, cmcDefFileKind::Main, K::Section, "tone editor"});
    RequireDefKey({kKeyDtcsItems, cmcDefFileKind::Main, K::Section, "tone editor"});
    for (const char* sheet : {kSelCTone, kSelCToneExUser, kSelDtcs, kSelDtcsInv})
        RequireDefKey({sheet, cmcDefFileKind::Main, K::Sheet, "tone editor"});
    RequireDefKey({kSelFixedFreq, cmcDefFileKind::Main, K::Sheet, "frequency editor (dPMR446 fixed channels)"});
    RequireDefKey({kSelAbc, cmcDefFileKind::Main, K::Sheet, "ABC code editor"});
    RequireDefKey({kSelAbcCode, cmcDefFileKind::Main, K::Sheet, "ABC code editor"});
    RequireDefKey({kSelToneLength, cmcDefFileKind::Main, K::Sheet, "tone length editor"});
    RequireDefKey({kSelMskRpt1st, cmcDefFileKind::Main, K::Sheet, by + " (repeater of digital PMR channels)"});
    RequireDefKey({kSelMskRpt2nd, cmcDefFileKind::Main, K::Sheet, by + " (repeater of digital PMR channels)"});
}

namespace {
const bool kKeysRegistered = (RegisterEditorDefKeys(), true);
}  // namespace

// ---- The editor frame ---------------------------------------------------------------------------

cmcEditor::cmcEditor(cmcCellRequest& req, const cmcCellEnv& env)
    : req_(req), user_(req.grid != nullptr || req.userEdit), views_(env.views), texts_(env.gtex),
      lists_(env.lists), tones_(env.tones) {}

cmcEditor::cmcEditor(cmcCellCall& call)
    : req_(call.req), user_(call.fromUser), readOnly_(call.readOnly), views_(call.env.views), texts_(call.env.gtex),
      lists_(call.env.lists), tones_(call.env.tones) {}

const cmcToneItems& cmcEditor::ToneTable() const { return tones_->Of(*texts_); }

bool cmcEditor::Picked(int itemKind) const {
    return ResultKind() == CRK_Chooser && req_.parent && req_.parent->cell && req_.parent->cell->label == itemKind;
}

int cmcEditor::PickedItem() const { return req_.parent->cell->index; }

bool cmcEditor::TypedChar(char* c) const {
    const int a = Action();
    if (!FromGrid() || a < 33 || a > 126) return false;
    *c = static_cast<char>(a);
    return true;
}

void cmcEditor::StartEditAt(const std::string& text, int caret, int selection) {
    req_.display = text;
    req_.caretPos = caret;
    req_.selLength = selection;
    result_ = CER_Editor;
}

void cmcEditor::StartEdit(const std::string& text) { StartEditAt(text, 0, static_cast<int>(text.size())); }

void cmcEditor::StartEditWith(char c) { StartEditAt(std::string(1, c), 1, 0); }

bool cmcEditor::OpenChooser(const std::string& key, int itemKind, int selected) {
    cmcCellViews* views = views_;
    if (!views || !views->OpenChooser(req_, key, itemKind, selected)) return false;
    result_ = CER_Opened;
    return true;
}

void cmcEditor::ContinueEdit(const std::string& text) {
    const std::string shown = req_.display;
    StartEdit(text);
    cmcCellViews* views = views_;
    bool started = views ? views->StartInlineEdit(req_) : (req_.editStart ? (req_.editStart(req_), true) : false);
    if (!started) {
        req_.display = shown;
        req_.caretPos = req_.selLength = 0;
        result_ = CER_None;
    }
}

void cmcEditor::SetStyle(int style) {
    if (req_.cell) req_.cell->layout = static_cast<uint8_t>((req_.cell->layout & ~LF_HAlignMask) | (style & LF_HAlignMask));
}

// ---- Formats ------------------------------------------------------------------------------------

long long RoundHalfAway(double v) {
    if (v >= 9.2e18) return static_cast<long long>(9.2e18);
    if (v <= -9.2e18) return static_cast<long long>(-9.2e18);
    return static_cast<long long>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5));
}

namespace {

long long Pow10(int n) {
    long long p = 1;
    for (int i = 0; i < n && i < 18; ++i) p *= 10;
    return p;
}

long long FloorDiv(long long a, long long b) {
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

long long Clamp(long long v, long long lo, long long hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Wraps a stepped value: below the minimum to the maximum, above the maximum to the minimum.
long long Wrap(long long v, long long lo, long long hi) { return v < lo ? hi : (v > hi ? lo : v); }

int StepDelta(int action) { return action == CA_Space ? 1 : (action == CA_Backspace ? -1 : 0); }

// Steps `value` by `delta` within lo..hi, wrapping at the ends; true when the value changed.
bool StepWrapped(int& value, long long delta, long long lo, long long hi) {
    const long long v = Wrap(static_cast<long long>(value) + delta, lo, hi);
    if (v == value) return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace

std::string FormatDecimal(long long raw, int scale, int decimals) {
    const long long pow = Pow10(scale);
    long long ip = raw / pow;
    long long frac = raw % pow;
    if (frac < 0) frac = -frac;
    if (decimals >= scale)
        frac *= Pow10(decimals - scale);
    else
        frac /= Pow10(scale - decimals);
    // A value between -1 and 0 keeps its sign, which the integer part alone would lose.
    std::string text = raw < 0 && ip == 0 ? "-0" : std::to_string(ip);
    if (text.size() < 3) text.insert(0, 3 - text.size(), ' ');
    if (decimals <= 0) return text;
    std::string digits = std::to_string(frac);
    if (static_cast<int>(digits.size()) < decimals) digits.insert(0, decimals - digits.size(), '0');
    return text + "." + digits;
}

std::string FormatTimer(cmcGTex& texts, long long raw, const cmcTimerSpec& spec, bool showOff) {
    if (showOff && spec.offMode && raw == 0) return texts.Line(kKeyTimerOff, 0);
    const long long u = spec.unitsPerSecond > 0 ? spec.unitsPerSecond : 1;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%3lld.%03lld", raw / u, (raw * 1000 / u) % 1000);
    std::string t = buf;
    for (int i = 0; i < spec.trim && !t.empty(); ++i) {
        const char c = t.back();
        if (c != '0' && c != '.') break;
        t.pop_back();
        if (c == '.') break;
    }
    return t;
}

std::string FormatMinSec(int raw, int stepSeconds) {
    const int c = stepSeconds > 0 && stepSeconds <= 60 ? stepSeconds : 1;
    const int e = std::max(1, 60 / c);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%2d:%02d", raw / e, c * (raw % e));
    return buf;
}

namespace {

int FlagCount(int first, int last) { return std::clamp(last - first + 1, 0, 24); }
int FlagBit(int k, int count) { return count <= 8 ? 7 - k : count - 1 - k; }

char FlagChar(int number) {
    if (number == 10) return '0';
    if (number == 11) return 'Z';
    return static_cast<char>('0' + number);
}

// The flag number a typed character names, or -1.
int FlagNumberOf(char c) {
    if (c >= '1' && c <= '9') return c - '0';
    if (c == '0') return 10;
    if (c == 'z' || c == 'Z') return 11;
    return -1;
}

// The flag window's answer: its value as decimal text, flag n at bit 26 - n. The flags of
// first..last in `value` become those the window set; text that is not a number changes nothing.
void TakeFlagWindowAnswer(const std::string& answer, int first, int last, int& value) {
    char* end = nullptr;
    const unsigned long w = std::strtoul(answer.c_str(), &end, 10);
    if (answer.empty() || !end || *end != '\0') return;
    const int n = FlagCount(first, last);
    for (int num = first; num <= last && num - first < n; ++num) {
        const int bit = 1 << FlagBit(num - first, n);
        value = (w & FlagWindowBit(num)) != 0 ? value | bit : value & ~bit;
    }
}

}  // namespace

std::string FormatFlagSet(int value, int first, int last) {
    const int n = FlagCount(first, last);
    std::string out;
    for (int k = 0; k < n; ++k) out += (value >> FlagBit(k, n)) & 1 ? FlagChar(first + k) : '_';
    out += '\n';
    return out;
}

// ---- List choice --------------------------------------------------------------------------------

bool cmcEditor::List(const std::string& key, int itemKind, int& value) {
    cmcFCache& lists = Lists();
    bool changed = false;
    if (Picked(itemKind)) {
        value = PickedItem();
        changed = true;
    }
    std::string text = lists.Text(key, itemKind, value);  // builds the table before Step
    const int action = Action();
    if (FromGrid() && StepDelta(action) != 0) {
        int v = value;
        if (lists.Step(key, itemKind, &v, StepDelta(action)) && v != value) {
            value = v;
            changed = true;
            text = lists.Text(key, itemKind, value);
        }
    }
    req_.display = text;
    if (FromGrid() && action == CA_Enter) OpenChooser(key, itemKind, value);
    return changed;
}

bool cmcEditor::ListByte(const std::string& key, uint8_t& byte, int itemKind) {
    int v = byte;
    bool changed = List(key, itemKind, v);
    if (changed) byte = static_cast<uint8_t>(v);
    return changed;
}

void cmcEditor::Refuse(std::string why) {
    if (req_.refusal.empty()) req_.refusal = std::move(why);
}

bool cmcEditor::TypedSomething() const { return Typed() && !Trim(req_.input).empty(); }

void cmcEditor::RefuseTyped() {
    if (TypedSomething()) Refuse(RefusedValue(Texts(), Trim(req_.input)));
}

// ---- Integer ------------------------------------------------------------------------------------

bool cmcEditor::Integer(int& value, const cmcIntegerSpec& s) {
    const int step = s.step > 0 ? s.step : 1;
    bool changed = false;
    double d = 0;
    if (Typed() && ReadNumber(NumberFilter(req_.input, kFilterDecimal), &d)) {
        long long v = RoundHalfAway(d) - s.offset;
        if (step != 1) v = RoundHalfAway(static_cast<double>(v) / step) * step;
        value = static_cast<int>(Clamp(v, s.min, s.max));
        changed = true;
    } else {
        RefuseTyped();
    }
    const int action = Action();
    if (FromGrid() && StepDelta(action) != 0) {
        long long v = static_cast<long long>(value) + StepDelta(action) * step;
        if (v < s.min) v = s.clamp ? s.min : s.max;
        else if (v > s.max) v = s.clamp ? s.max : s.min;
        v = FloorDiv(v, step) * step;
        if (v != value) {
            value = static_cast<int>(v);
            changed = true;
        }
    }
    const std::string number = std::to_string(static_cast<long long>(value) + s.offset);
    req_.display = s.fixedText ? s.fixedText : number;
    char c;
    if (TypedChar(&c) && (IsDigit(c) || (c == '-' && static_cast<long long>(s.min) + s.offset < 0)))
        StartEditWith(c);
    else if (FromGrid() && action == CA_Enter)
        StartEdit(number);
    return changed;
}

// ---- Decimal ------------------------------------------------------------------------------------

bool cmcEditor::Decimal(int& raw, const cmcDecimalSpec& s) {
    const long long pow = Pow10(s.scale);
    const long long lo = RoundHalfAway(s.min * static_cast<double>(pow));
    const long long hi = RoundHalfAway(s.max * static_cast<double>(pow));
    const int step = s.step > 0 ? s.step : 1;
    bool changed = false;
    double d = 0;
    if (Typed() && ReadNumber(NumberFilter(req_.input, kFilterDecimal), &d)) {
        long long v = RoundHalfAway(d * static_cast<double>(pow));
        v = (v / step) * step;  // toward zero
        raw = static_cast<int>(Clamp(v, lo, hi));
        changed = true;
    } else {
        RefuseTyped();
    }
    const int action = Action();
    if (FromGrid() && s.stepping && StepDelta(action) != 0 && StepWrapped(raw, StepDelta(action) * step, lo, hi))
        changed = true;
    req_.display = FormatDecimal(raw, s.scale, s.decimals);
    if (!FromGrid()) return changed;
    const std::string text = TrimLeft(req_.display);
    const size_t point = text.find('.');
    char c = 0;
    TypedChar(&c);
    if (c == '.' && point != std::string::npos)
        StartEditAt(text, static_cast<int>(point + 1), static_cast<int>(text.size() - point - 1));
    else if (action == CA_Enter || (action == CA_Space && !s.stepping))
        StartEdit(s.clearOnEdit ? std::string() : text);
    else if (IsDigit(c) || c == '.' || c == '-')
        StartEditWith(c);
    return changed;
}

// ---- Timer --------------------------------------------------------------------------------------

bool cmcEditor::Timer(int& raw, const cmcTimerSpec& s) {
    const int u = s.unitsPerSecond > 0 ? s.unitsPerSecond : 1;
    bool changed = false;
    if (Typed()) {
        const std::string number = NumberFilter(req_.input, kFilterTimer);
        const std::string word = NumberFilter(req_.input, kFilterOffWord);
        const bool off = word.size() >= 2 && (word[0] == 'o' || word[0] == 'O') && (word[1] == 'f' || word[1] == 'F');
        double d = 0;
        if (off) {
            // The off word means 0, for timers where 0 is a value they may hold.
            if (s.offMode || (s.min <= 0 && s.max >= 0)) {
                raw = 0;
                changed = true;
            }
        } else if (ReadNumber(number, &d)) {
            const double units = std::clamp((d + 0.0005) * u, -1e12, 1e12);
            raw = static_cast<int>(Clamp(static_cast<long long>(units), s.min, s.max));
            changed = true;
        }
        if (!changed) RefuseTyped();
    }
    const int action = Action();
    if (FromGrid() && StepDelta(action) != 0 && StepWrapped(raw, StepDelta(action), s.min, s.max)) changed = true;
    req_.display = FormatTimer(Texts(), raw, s, action == CA_Refresh);
    char c;
    if (TypedChar(&c) && (IsDigit(c) || c == '.' || c == 'o' || c == 'O'))
        StartEditWith(c);
    else if (FromGrid() && action == CA_Enter)
        StartEdit(TrimLeft(req_.display));
    return changed;
}

// ---- Minutes and seconds ------------------------------------------------------------------------

bool cmcEditor::MinSec(int& raw, const cmcMinSecSpec& s) {
    const int c = s.stepSeconds > 0 && s.stepSeconds <= 60 ? s.stepSeconds : 1;
    const int e = std::max(1, 60 / c);
    const int lo = s.minSeconds / c, hi = s.maxSeconds / c;
    bool changed = false;
    if (Typed()) {
        const std::string t = NumberFilter(req_.input, kFilterMinSec);
        if (!t.empty() && t.size() <= 5) {
            const size_t colon = t.find(':');
            const std::string mm = t.substr(0, colon);
            const std::string ss = colon == std::string::npos ? std::string() : t.substr(colon + 1);
            const long long minutes = mm.empty() ? 0 : std::atoll(mm.c_str());
            const long long seconds = ss.empty() ? 0 : std::atoll(ss.c_str());
            // Rounds to the nearer unit: a remainder of half a unit or more counts one more.
            long long v = minutes * e + seconds / c + (2 * (seconds % c) >= c ? 1 : 0);
            raw = static_cast<int>(Clamp(v, lo, hi));
            changed = true;
        } else {
            RefuseTyped();
        }
    }
    const int action = Action();
    if (FromGrid() && StepDelta(action) != 0 && StepWrapped(raw, StepDelta(action), lo, hi)) changed = true;
    req_.display = FormatMinSec(raw, c);
    char ch;
    if (TypedChar(&ch) && (IsDigit(ch) || ch == ':'))
        StartEditWith(ch);
    else if (FromGrid() && action == CA_Enter)
        StartEdit(TrimLeft(req_.display));
    return changed;
}

// ---- Flag set -----------------------------------------------------------------------------------

bool cmcEditor::FlagSet(int& value, int first, int last, int headerKind, int checkStyle) {
    const int n = FlagCount(first, last);
    int mask = 0;
    for (int k = 0; k < n; ++k) mask |= 1 << FlagBit(k, n);
    auto numberBit = [&](int number) { return 1 << FlagBit(number - first, n); };
    const int old = value;

    if (Picked(Flex0)) {
        TakeFlagWindowAnswer(Trim(req_.input), first, last, value);
    } else if (Typed()) {
        // Typed text lists the flags that are set, as the row shows them ("1_3_____").
        const std::string t = req_.input;
        if (t.find_first_of("0123456789zZ_") != std::string::npos) {
            int v = value & ~mask;
            for (char c : t) {
                const int num = FlagNumberOf(c);
                if (num >= first && num <= last) v |= numberBit(num);
            }
            value = v;
        }
    }

    const int action = Action();
    char c;
    if (TypedChar(&c)) {
        const int num = FlagNumberOf(c);
        if (num >= first && num <= last) value ^= numberBit(num);
    } else if (FromGrid() && action == CA_Space) {
        value = (value & mask) == 0 ? (value | mask) : (value & ~mask);
    } else if (FromGrid() && action == CA_Backspace) {
        value ^= mask;
    }

    req_.display = FormatFlagSet(value, first, last);
    req_.caretPos = 0;
    req_.selLength = 1;
    if (FromGrid() && action == CA_Enter) {
        uint32_t w = 0;
        for (int num = first; num <= last && num - first < n; ++num)
            if (value & numberBit(num)) w |= FlagWindowBit(num);
        if (cmcCellViews* views = views_)
            if (views->OpenFlagWindow(req_, w, first, last, headerKind, checkStyle, std::string()))
                result_ = CER_Opened;
    }
    return value != old;
}

// ---- Named flags --------------------------------------------------------------------------------

namespace {

std::string Lower(std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

// The flag number a typed label stands for (its label, else its number), or -1.
int NamedFlagOf(const std::string& token, int first, int last, const std::vector<std::string>& names) {
    for (int num = first; num <= last; ++num) {
        const size_t k = static_cast<size_t>(num - first);
        if (k < names.size() && names[k] == token) return num;
    }
    for (int num = first; num <= last; ++num) {
        const size_t k = static_cast<size_t>(num - first);
        if (k < names.size() && Lower(names[k]) == Lower(token)) return num;
    }
    if (!token.empty() && token.find_first_not_of("0123456789") == std::string::npos && token.size() <= 3) {
        const int num = std::atoi(token.c_str());
        if (num >= first && num <= last) return num;
    }
    return -1;
}

}  // namespace

std::string FormatNamedFlags(int value, int first, int last, const std::vector<std::string>& names) {
    const int n = FlagCount(first, last);
    std::string out;
    for (int k = 0; k < n; ++k) {
        if (!((value >> FlagBit(k, n)) & 1)) continue;
        if (!out.empty()) out += ", ";
        out += static_cast<size_t>(k) < names.size() ? names[static_cast<size_t>(k)] : std::to_string(first + k);
    }
    return out;
}

bool cmcEditor::NamedFlagSet(int& value, int first, int last, const std::vector<std::string>& names) {
    const int n = FlagCount(first, last);
    int mask = 0;
    for (int k = 0; k < n; ++k) mask |= 1 << FlagBit(k, n);
    auto numberBit = [&](int number) { return 1 << FlagBit(number - first, n); };
    const int old = value;

    if (Typed()) {
        const std::string t = Trim(req_.input);
        const bool digitRow = t.find(',') == std::string::npos && NamedFlagOf(t, first, last, names) < 0 &&
                              !t.empty() && t.find_first_not_of("0123456789zZ_") == std::string::npos;
        if (digitRow) {
            // The digit row of the plain flag set: each character names a flag that is set.
            int v = value & ~mask;
            for (char c : t) {
                const int num = FlagNumberOf(c);
                if (num >= first && num <= last) v |= numberBit(num);
            }
            value = v;
        } else {
            int v = value & ~mask;
            std::string unknown;
            size_t at = 0;
            while (!t.empty() && at <= t.size()) {
                size_t comma = t.find(',', at);
                if (comma == std::string::npos) comma = t.size();
                const std::string token = Trim(t.substr(at, comma - at));
                at = comma + 1;
                if (token.empty()) continue;
                const int num = NamedFlagOf(token, first, last, names);
                if (num < 0) {
                    unknown = token;
                    break;
                }
                v |= numberBit(num);
            }
            if (!unknown.empty())
                Refuse(RefusedValue(Texts(), unknown));
            else
                value = v;
        }
    }

    const int action = Action();
    char c;
    bool typing = false;
    if (TypedChar(&c)) {
        const int num = FlagNumberOf(c);
        if (num >= first && num <= last)
            value ^= numberBit(num);
        else
            typing = std::isalpha(static_cast<unsigned char>(c)) != 0;  // a name is typed
    } else if (FromGrid() && action == CA_Space) {
        value = (value & mask) == 0 ? (value | mask) : (value & ~mask);
    } else if (FromGrid() && action == CA_Backspace) {
        value ^= mask;
    }

    if (Picked(Flex0)) TakeFlagWindowAnswer(Trim(req_.input), first, last, value);

    req_.display = FormatNamedFlags(value, first, last, names);
    req_.caretPos = 0;
    req_.selLength = 0;
    if (typing) StartEditWith(c);
    if (FromGrid() && action == CA_Enter) {
        uint32_t w = 0;
        for (int num = first; num <= last && num - first < n; ++num)
            if (value & numberBit(num)) w |= FlagWindowBit(num);
        // Each flag is headed by its number and, below it, its label when that is a name.
        std::vector<std::string> headers;
        for (int num = first; num <= last; ++num) {
            const size_t k = static_cast<size_t>(num - first);
            std::string h = std::to_string(num);
            if (k < names.size() && names[k] != h) h += "\n" + names[k];
            headers.push_back(h);
        }
        if (cmcCellViews* views = views_)
            if (views->OpenNamedFlagWindow(req_, w, first, last, headers))
                result_ = CER_Opened;
    }
    return value != old;
}

// ---- Digit editors ------------------------------------------------------------------------------

namespace {

std::string PadLeft(std::string s, size_t n, char pad) {
    if (s.size() < n) s.insert(0, n - s.size(), pad);
    return s;
}

// Typed hexadecimal text as N upper-case digits: filtered, padded on the left with '0' or cut
// to its first N characters; empty when nothing hexadecimal was typed.
std::string HexText(const std::string& input, int digits) {
    std::string t = NumberFilter(input, kFilterHex);
    if (t.empty()) return t;
    for (char& c : t) c = Upper(c);
    if (static_cast<int>(t.size()) > digits) t.resize(digits);
    return PadLeft(t, digits, '0');
}

const char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

bool cmcEditor::DecimalDigits(int& value, int digits, int min, int max) {
    bool changed = false;
    if (Typed()) {
        const std::string t = NumberFilter(req_.input, "-");
        char* end = nullptr;
        const long long v = std::strtoll(t.c_str(), &end, 10);
        if (!t.empty() && end != t.c_str() && v >= min && v <= max) {
            value = static_cast<int>(v);
            changed = true;
        } else if (!t.empty() && end != t.c_str()) {
            Refuse(RefusedRange(Texts(), Trim(req_.input), min, max));
        } else {
            RefuseTyped();
        }
    }
    const int action = Action();
    if (FromGrid() && StepDelta(action) != 0 && StepWrapped(value, StepDelta(action), min, max)) changed = true;
    const std::string number = value < 0 ? "-" + PadLeft(std::to_string(-static_cast<long long>(value)), digits - 1, '0')
                                         : PadLeft(std::to_string(value), digits, '0');
    req_.display = number;
    char c;
    if (TypedChar(&c) && (IsDigit(c) || (c == '-' && min < 0)))
        StartEditWith(c);
    else if (FromGrid() && action == CA_Enter)
        StartEdit(number);
    return changed;
}

bool cmcEditor::HexDigits(uint32_t& value, int digits) {
    const int n = std::clamp(digits, 1, 8);
    bool changed = false;
    if (Typed()) {
        const std::string t = HexText(req_.input, n);
        if (!t.empty()) {
            uint32_t v = 0;
            for (char c : t) v = (v << 4) | static_cast<uint32_t>(HexValue(c));
            value = v;
            changed = true;
        } else {
            RefuseTyped();
        }
    }
    std::string text;
    for (int i = n - 1; i >= 0; --i) text += kHexDigits[(value >> (4 * i)) & 15];
    req_.display = text;
    char c;
    if (TypedChar(&c) && IsHexDigit(c))
        StartEditWith(c);
    else if (FromGrid() && Action() == CA_Enter)
        StartEdit(text);
    return changed;
}

bool cmcEditor::DigitString(uint8_t* packed, int digits) {
    const int n = std::clamp(digits, 1, 16);
    bool changed = false;
    if (Typed()) {
        const std::string t = HexText(req_.input, n);
        if (!t.empty()) {
            for (int k = 0; k < n; ++k) SetNibble(packed, k, HexValue(t[k]));
            changed = true;
        } else {
            RefuseTyped();
        }
    }
    std::string text;
    for (int k = 0; k < n; ++k) text += kHexDigits[Nibble(packed, k)];
    req_.display = text;
    char c;
    if (TypedChar(&c) && IsHexDigit(c))
        StartEditWith(c);
    else if (FromGrid() && Action() == CA_Enter)
        StartEdit(text);
    return changed;
}

}  // namespace qx
