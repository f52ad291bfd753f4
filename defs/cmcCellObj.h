// The cell: the unit of every sheet, tree node, menu entry, popup menu entry and check-list line,
// and ParseCell, which reads a cell description of the definition files into a cell.
//
// A description is text with attribute groups in braces:
//     "Ch\_\(@ch0+1){S>(%CT_Mch.CL_Mch_No[@ch0])(Color=clYellow)}"
// The text outside the braces is what the cell shows (escapes: "\n" line feed, "\_" space,
// "\(@chD)" / "\(@chD+K)" a counter value, "\x" the character x). Inside the braces:
//     < ^ >   horizontal alignment left / centre / right      ~ - _  vertical top / centre / bottom
//     W H B + S T  fit column, fit row, bottom line, joined to the left, selectable, trailing
//     !X      clears flag X instead of setting it            \x     skips x
//     (...)   a property: ($Model) (Color=name) (Font=spec) (%Category.Label[index]:name)
//             (@chD++) (@chD=n) (ImageIndex=n) (PopupMenu=key) (FlagD=0|1)
// Unknown attribute characters, properties and names are ignored. Unknown category and label names,
// bad counter references and an unclosed "\(" counter expression are fatal definition faults
// (cmcFatal with kExitDefinitionFault).
//
// Typical use (a sheet row, cells sharing the sheet's counters and basic cell as model):
//     std::string_view rest = row;
//     while (!rest.empty()) {
//         auto cell = std::make_unique<cmcCellObj>();
//         rest = ParseCell(rest, cell.get(), &counters, &basicCell);
//     }
#pragma once

#include "defs/cmcCellNames.h"
#include "defs/cmcFont.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qx {

// The ten counters "@ch0" to "@ch9" of a sequence of descriptions (a sheet build, a selection
// table); owned by the code that parses the sequence and zeroed when it starts.
inline constexpr int kCellCounterCount = 10;
struct cmcCellCounters {
    int ch[kCellCounterCount] = {};
    void Zero() {
        for (int& c : ch) c = 0;
    }
};

// The form in which a cell is handed to the cell handler.
struct cmcCellId {
    int category = kCategoryNone;
    int label = kLabelNone;
    int index = 0;
    bool operator==(const cmcCellId&) const = default;
};

// Layout flag bits.
enum cmcCellLayout : uint8_t {
    LF_HAlignMask = 0x03,  // 0 left, 1 centre, 2 right
    LF_VAlignMask = 0x0C,  // (value >> 2): 0 top, 1 centre, 2 bottom
    LF_FitColumn = 0x10,   // the column is widened to the cell's text
    LF_FitRow = 0x20,      // the row is heightened to the cell's text
    LF_JoinLeft = 0x40,    // drawn as part of the nearest cell to its left that is not joined
    LF_BottomLine = 0x80,  // a one-pixel line along the bottom edge
};
enum cmcCellHAlign { HA_Left = 0, HA_Centre = 1, HA_Right = 2 };
enum cmcCellVAlign { VA_Top = 0, VA_Centre = 1, VA_Bottom = 2 };

// Behaviour flag bits. Bits 2-7 are the user flags Flag0-Flag5; menu and tool bar cells also carry
// the cell handler's answer to a state query in bits 2-5 (checked, hidden, disabled, relabelled).
enum cmcCellBehaviour : uint8_t {
    BF_Selectable = 0x01,  // the cursor may stop on the cell
    BF_Trailing = 0x02,    // belongs to the nearest selectable cell to its left
    BF_Flag0 = 0x04,
    BF_Flag1 = 0x08,
    BF_Flag2 = 0x10,
    BF_Flag3 = 0x20,
    BF_Flag4 = 0x40,
    BF_Flag5 = 0x80,
};

class cmcCellObj {
public:
    cmcCellObj() = default;
    // A copy duplicates everything, the own font included; model and counters stay shared pointers.
    cmcCellObj(const cmcCellObj& other);
    cmcCellObj& operator=(const cmcCellObj& other);
    cmcCellObj(cmcCellObj&&) noexcept = default;
    cmcCellObj& operator=(cmcCellObj&&) noexcept = default;
    ~cmcCellObj() = default;

    // The fields, in the order of the cell record.
    const cmcCellObj* model = nullptr;      // the cell this one starts from at each parse (not owned)
    cmcCellCounters* counters = nullptr;    // set only while a description is being parsed (not owned)
    int category = kCategoryNone;           // 0-21, kCategoryNone (22) for none
    int label = kLabelNone;                 // 0-709, kLabelNone (710) for none
    int index = 0;
    std::optional<std::string> name;        // none, or a non-empty name
    int imageIndex = -1;
    uint8_t layout = 0;                     // cmcCellLayout bits
    uint8_t behaviour = 0;                  // cmcCellBehaviour bits
    uint32_t colour = clWindow;             // background: 0x00BBGGRR or 0x800000nn (system colour nn)
    std::unique_ptr<cmcFont> font;          // own font; none: the model's or the sheet's font is used
    std::optional<std::string> popupKey;    // own popup menu key; none: inherited from the model
    std::optional<std::string> text;        // none reads as the empty text

    // The text the cell shows (the empty text when it has none).
    const std::string& Text() const;
    // The popup menu key: the own key when set and not empty, else the model's, recursively;
    // null when no cell of the chain has one.
    const std::string* PopupMenuKey() const;
    // The font to draw with: the own font, else the model chain's; null when no cell has one
    // (the sheet's font applies).
    const cmcFont* EffectiveFont() const;
    cmcCellId Identity() const { return {category, label, index}; }

    int HAlign() const { return layout & LF_HAlignMask; }
    int VAlign() const { return (layout & LF_VAlignMask) >> 2; }
    bool FitColumn() const { return layout & LF_FitColumn; }
    bool FitRow() const { return layout & LF_FitRow; }
    bool JoinedLeft() const { return layout & LF_JoinLeft; }
    bool BottomLine() const { return layout & LF_BottomLine; }
    bool Selectable() const { return behaviour & BF_Selectable; }
    bool Trailing() const { return behaviour & BF_Trailing; }
    bool UserFlag(int d) const { return d >= 0 && d <= 5 && (behaviour & (BF_Flag0 << d)); }
};

// Cuts the first cell description off `row` and, unless `cutOnly`, resets `cell` and applies the
// description to it. Returns the rest of the row after the "|" that ended the description (the
// empty view when the description ran to the end); the result points into `row`.
//
// Reset: label none, image index -1, both flag bytes 0, colour clWindow, no name, text, font or
// popup key; category and index keep their values. With a model every field is then copied from
// it (font and popup key stay empty: they are inherited), and cell->model becomes `model`.
// `counters` may be null: a counter reference is then fatal ("Ch No. Error"). `cell` may be null
// when `cutOnly` is set.
std::string_view ParseCell(std::string_view row, cmcCellObj* cell, cmcCellCounters* counters,
                           const cmcCellObj* model, bool cutOnly = false);

// Step 1 of ParseCell alone: the first description of `row` (up to the first "|" that no backslash
// escapes; backslashes kept), with the rest after that "|" in `*rest`.
std::string_view CutCellDescription(std::string_view row, std::string_view* rest);

// The number of cells ParseCell cuts from a row (a final "|" adds none; an empty row has none).
int CountCells(std::string_view row);

// Someone who wants to hear what the parser passes over silently (the definition checker):
// unknown attribute characters, properties and names, unclosed properties, and every popup key
// named. Installed for a scope; the program runs without one.
class cmcCellParseObserver {
public:
    virtual ~cmcCellParseObserver() = default;
    virtual void Ignored(const std::string& what) {}
    virtual void PopupKeyNamed(const std::string& key) {}
};
class cmcScopedCellParseObserver {
public:
    explicit cmcScopedCellParseObserver(cmcCellParseObserver* observer);
    ~cmcScopedCellParseObserver();
    cmcScopedCellParseObserver(const cmcScopedCellParseObserver&) = delete;
    cmcScopedCellParseObserver& operator=(const cmcScopedCellParseObserver&) = delete;

private:
    cmcCellParseObserver* previous_;
};

// How deeply "$" models may use models before the description counts as a loop (fatal).
inline constexpr int kMaxCellModelDepth = 32;

}  // namespace qx
