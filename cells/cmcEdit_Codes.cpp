// The code editors: DTMF and 5-tone codes, the ABC code, the special tone digit, code lists, the
// two-level chooser, plain text, and the colour code table.
#include "cells/cmcEditors.h"

#include "cells/cmcEditorsInternal.h"
#include "cells/cmcNumberFilter.h"
#include "cells/cmcReasons.h"
#include "defs/cmcFCache.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace qx {

using namespace editors;

namespace {

const char kHex[] = "0123456789ABCDEF";
const char kDtmfAlphabet[] = "0123456789ABCD*#";
const char kFiveToneAlphabet[] = "0123456789ABCDE*";

int StepDelta(int action) { return action == CA_Space ? 1 : (action == CA_Backspace ? -1 : 0); }

// The entry of `index` in a selection table, or null.
const cmcSelTable::Entry* FindEntry(const cmcSelTable& table, int index) {
    auto it = std::lower_bound(table.byIndex.begin(), table.byIndex.end(), index,
                               [](const cmcSelTable::Entry& e, int i) { return e.index < i; });
    return it != table.byIndex.end() && it->index == index ? &*it : nullptr;
}

bool SameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

// The index of the entry whose text is `typed` (ignoring case and surrounding blanks), else of the
// entry numbered by it; none when there is no such entry other than `skip`.
std::optional<int> MatchEntry(const cmcSelTable& table, const std::string& typed, std::optional<int> skip) {
    if (typed.empty()) return std::nullopt;
    for (const auto& e : table.inSheetOrder)
        if (e.index != skip && SameNoCase(Trim(e.text), typed)) return e.index;
    const bool number = std::all_of(typed.begin(), typed.end(), IsDigit) ||
                        (typed.size() > 1 && typed[0] == '-' && std::all_of(typed.begin() + 1, typed.end(), IsDigit));
    if (number && typed.size() < 10) {
        const int n = static_cast<int>(std::strtol(typed.c_str(), nullptr, 10));
        if (n != skip && FindEntry(table, n)) return n;
    }
    return std::nullopt;
}

int DtmfDigit(char c) {
    c = Upper(c);
    if (c == '*') return 14;
    if (c == '#') return 15;
    return HexValue(c);
}

const char* const kColourCodes[kColourCodeCount + 1] = {
    "577577", "57DD75", "57F775", "55577D", "557D7D", "55D57F", "55FF7F", "5F555F",
    "5F7F5F", "5FD75D", "5FFD5D", "5D5D55", "5D7755", "5DDF57", "5DF557", "775DD7", "#",
};

}  // namespace

// ---- DTMF code ------------------------------------------------------------------------------------

bool cmcEditor::Dtmf(uint8_t* digits, uint8_t& count, int maxDigits) {
    const int max = std::clamp(maxDigits, 1, 24);
    bool changed = false;
    if (Typed()) {
        const std::string t = CharFilter(req_.input, kFilterDtmf);
        if (!t.empty()) {
            int n = 0;
            for (char c : t) {
                if (n == max) break;
                digits[n++] = static_cast<uint8_t>(DtmfDigit(c));
            }
            count = static_cast<uint8_t>(n);
            changed = true;
        } else {
            RefuseTyped();
        }
    }
    std::string text;
    for (int i = 0; i < std::min<int>(count, max); ++i) text += kDtmfAlphabet[digits[i] & 15];
    req_.display = text;
    char c;
    if (TypedChar(&c) && (IsHexDigit(c) || c == '*' || c == '#'))
        StartEditWith(c);
    else if (FromGrid() && Action() == CA_Enter)
        StartEdit(text);
    return changed;
}

// ---- 5-tone code ----------------------------------------------------------------------------------

bool cmcEditor::FiveTone(uint8_t* code, int groupTone, bool receive, int digitCount) {
    const int n = std::clamp(digitCount, 1, 7);
    bool changed = false;
    if (Typed()) {
        std::string t = CharFilter(req_.input, receive ? "abcdefgABCDEFG*+" : "abcdefgABCDEFG*");
        if (!t.empty()) {
            const size_t end = t.find_first_of("fF");  // an 'F' ends the code
            if (end != std::string::npos) t.resize(end);
            t = CharFilter(t, "abcdegABCDEG*+");
            uint8_t mask = 0;
            int k = 0;
            for (char c : t) {
                if (k == n) break;
                c = Upper(c);
                int v;
                if (IsDigit(c)) v = c - '0';
                else if (c >= 'A' && c <= 'E') v = c - 'A' + 10;
                else if (c == '+') {
                    v = 0;
                    mask |= static_cast<uint8_t>(0x80 >> k);
                } else v = groupTone;  // '*' or 'G'
                SetNibble(code, k++, v);
            }
            for (; k < n; ++k) SetNibble(code, k, 15);
            code[4] = mask;
            changed = true;
        } else {
            RefuseTyped();
        }
    }
    std::string text;
    for (int k = 0; k < n; ++k) {
        const int d = Nibble(code, k);
        if (d == 15) break;
        if ((code[4] >> (7 - k)) & 1) text += '+';
        else if (d == groupTone) text += '*';
        else text += kFiveToneAlphabet[d];
    }
    req_.display = text;
    char c;
    const int action = Action();
    if (TypedChar(&c) && (IsHexDigit(c) || c == '*' || c == 'G' || c == 'g' || c == '#' || c == '+'))
        StartEditWith(c);
    else if (FromGrid() && (action == CA_Enter || action == CA_Space || action == CA_Backspace))
        StartEdit(text);
    return changed;
}

// ---- ABC code -------------------------------------------------------------------------------------

bool cmcEditor::Abc(int& value) {
    cmcFCache& lists = Lists();
    const int old = value;
    bool typed = false;
    auto isCode = [](int v) { return v >= 1 && v <= 32; };
    if (Picked(Flex0)) {
        const int item = PickedItem();
        if (item == kAbcItemCode)
            OpenChooser(kSelAbcCode, Flex1, isCode(value) ? value : 1);
        else
            value = item;
    } else if (Picked(Flex1)) {
        value = PickedItem();
    } else if (Typed()) {
        const std::string t = Trim(req_.input);
        if (t.size() >= 2 && Upper(t[0]) == 'O' && Upper(t[1]) == 'F') {
            value = kAbcOff;
            typed = true;
        } else {
            const std::string digits = NumberFilter(t, "");
            if (!digits.empty()) {
                value = static_cast<int>(std::clamp(std::strtol(digits.c_str(), nullptr, 10), 0L, 32L));
                typed = true;
            } else {
                RefuseTyped();
            }
        }
    }
    std::string text = lists.Text(kSelAbc, Flex0, value);  // builds the table before Step
    const int action = Action();
    if (FromGrid() && StepDelta(action) != 0) {
        int v = value;
        if (lists.Step(kSelAbc, Flex0, &v, StepDelta(action)) && v == kAbcItemCode)
            lists.Step(kSelAbc, Flex0, &v, StepDelta(action));  // passes over the code item
        value = v;
    }
    req_.display = isCode(value) ? std::to_string(value) : lists.Text(kSelAbc, Flex0, value);
    char c;
    if (TypedChar(&c) && (IsDigit(c) || c == 'o' || c == 'O'))
        StartEditWith(c);
    else if (FromGrid() && action == CA_Enter)
        OpenChooser(kSelAbc, Flex0, isCode(value) ? kAbcItemCode : value);
    return value != old || typed;
}

// ---- Special tone ---------------------------------------------------------------------------------

bool cmcEditor::SpecialTone(int& value, bool allowF) {
    const int max = allowF ? 15 : 14;
    bool changed = false;
    if (Typed()) {
        const std::string t = Trim(req_.input);
        const int v = t.empty() ? -1 : HexValue(t[0]);
        if (v >= 0 && v <= max) {
            value = v;
            changed = true;
        } else if (TypedSomething()) {
            Refuse(RefusedCode(Texts(), t));
        }
    }
    const int action = Action();
    if (FromGrid() && StepDelta(action) != 0) {
        int v = value + StepDelta(action);
        v = v < 0 ? max : (v > max ? 0 : v);
        if (v != value) {
            value = v;
            changed = true;
        }
    }
    req_.display = std::string(1, kHex[value & 15]);
    char c;
    if (TypedChar(&c) && IsHexDigit(c) && HexValue(c) <= max)
        StartEditWith(c);
    else if (FromGrid() && action == CA_Enter)
        StartEdit(req_.display);
    return changed;
}

// ---- Code list ------------------------------------------------------------------------------------

bool cmcEditor::CodeList(const std::string& key, int itemKind, int& value) {
    cmcFCache& lists = Lists();
    const cmcSelTable& table = lists.Table(key, itemKind);
    bool changed = false;
    if (Picked(itemKind)) {
        value = PickedItem();
        changed = true;
    } else if (Typed()) {
        if (const auto v = MatchEntry(table, Trim(req_.input), std::nullopt)) {
            value = *v;
            changed = true;
        } else if (TypedSomething()) {
            Refuse(RefusedCode(Texts(), Trim(req_.input)));
        }
    }
    const int action = Action();
    if (FromGrid() && StepDelta(action) != 0) {
        int v = value;
        if (lists.Step(key, itemKind, &v, StepDelta(action)) && v != value) {
            value = v;
            changed = true;
        }
    }
    const cmcSelTable::Entry* e = FindEntry(table, value);
    req_.display = e ? e->text : std::to_string(value);
    char c;
    if (TypedChar(&c))
        StartEditWith(c);
    else if (FromGrid() && action == CA_Enter)
        OpenChooser(key, itemKind, value);
    return changed;
}

// ---- Two-level chooser ------------------------------------------------------------------------------

bool cmcEditor::TwoLevel(int& value, const std::string& firstKey, const std::string& secondKey, int moreItem) {
    cmcFCache& lists = Lists();
    const cmcSelTable& first = lists.Table(firstKey, Flex0);
    const cmcSelTable& second = lists.Table(secondKey, Flex1);
    auto inFirst = [&](int v) { return v != moreItem && FindEntry(first, v) != nullptr; };
    const int old = value;
    bool typed = false;
    if (Picked(Flex0)) {
        const int item = PickedItem();
        if (item == moreItem)
            OpenChooser(secondKey, Flex1, value);
        else
            value = item;
    } else if (Picked(Flex1)) {
        value = PickedItem();
    } else if (Typed()) {
        const std::string t = Trim(req_.input);
        auto v = MatchEntry(first, t, moreItem);
        if (!v) v = MatchEntry(second, t, std::nullopt);
        if (v) {
            value = *v;
            typed = true;
        } else if (TypedSomething()) {
            Refuse(RefusedCode(Texts(), t));
        }
    }
    const int action = Action();
    if (FromGrid() && StepDelta(action) != 0) {
        // Steps through the values of the first list, then those of the second.
        std::vector<int> order;
        for (const auto& e : first.inSheetOrder)
            if (e.index != moreItem) order.push_back(e.index);
        for (const auto& e : second.inSheetOrder) order.push_back(e.index);
        if (!order.empty()) {
            const auto it = std::find(order.begin(), order.end(), value);
            int p = it == order.end() ? -1 : static_cast<int>(it - order.begin());
            const int n = static_cast<int>(order.size());
            p = p < 0 ? 0 : (p + StepDelta(action) + n) % n;
            value = order[p];
        }
    }
    const cmcSelTable::Entry* e = inFirst(value) ? FindEntry(first, value) : FindEntry(second, value);
    req_.display = e ? e->text : std::to_string(value);
    char c;
    if (TypedChar(&c))
        StartEditWith(c);
    else if (FromGrid() && action == CA_Enter)
        OpenChooser(firstKey, Flex0, inFirst(value) ? value : moreItem);
    return value != old || typed;
}

// ---- Plain text -----------------------------------------------------------------------------------

bool cmcEditor::PlainText(uint8_t* field, int length) {
    bool changed = false;
    if (Typed()) {
        const std::string& s = req_.input;
        for (int i = 0; i < length; ++i) {
            const unsigned char c = i < static_cast<int>(s.size()) ? static_cast<unsigned char>(s[i]) : ' ';
            field[i] = c < 32 || c > 126 ? ' ' : c;
        }
        changed = true;
    }
    std::string text;
    for (int i = 0; i < length; ++i) text += field[i] < 32 || field[i] > 126 ? ' ' : static_cast<char>(field[i]);
    text.erase(text.find_last_not_of(' ') + 1);
    req_.display = text;
    char c;
    if (TypedChar(&c))
        StartEditWith(c);
    else if (FromGrid() && Action() == CA_Enter)
        StartEdit(text);
    return changed;
}

// ---- Colour codes ---------------------------------------------------------------------------------

const char* ColourCodeText(int n) { return n >= 1 && n <= kColourCodeCount + 1 ? kColourCodes[n - 1] : "#"; }

uint32_t ColourCodePattern(int n) {
    if (n < 1 || n > kColourCodeCount) return 0;
    return static_cast<uint32_t>(std::strtoul(kColourCodes[n - 1], nullptr, 16));
}

int ColourCodeOf(uint32_t pattern) {
    char text[16];
    std::snprintf(text, sizeof text, "%X%X%X", (pattern >> 16) & 0xFF, (pattern >> 8) & 0xFF, pattern & 0xFF);
    for (int n = 1; kColourCodes[n - 1][0] != '#'; ++n)
        if (std::string(text) == kColourCodes[n - 1]) return n;
    return 0;
}

}  // namespace qx
