// The windows a value editor opens for a cell: the drop-down chooser over a selection sheet, the
// flag window of a flag set, and the grid's in-place editor. The core has no widgets, so the
// editors reach them through this interface; the program installs the drop-down sheet windows,
// the command-line tool a scripted chooser, tests a recorder. Without an installed view nothing
// can open: the editor then reports that nothing was opened and leaves the value as it is.
//
// Calling order of a chooser (the cell handler is run twice):
//   1. action 13 on a grid cell: the editor calls OpenChooser(req, sheet, itemKind, selected)
//      and answers CER_Opened;
//   2. when the user picks an item, the view runs the cell handler with a copy of `req` whose
//      `parent` points to a request whose cell is the picked item (label = itemKind, index = the
//      item's number), result kind CRK_Chooser and action 0.
// The flag window answers the same way with a parent cell of label Flex0 and the new flag value,
// as decimal text, in `input` (flag index n is bit 26 - n of that value, see FlagWindowBit).
#pragma once

#include "defs/cmcCellNames.h"
#include "defs/cmcCellRequest.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qx {

class cmcEvMan;

class cmcCellViews {
public:
    virtual ~cmcCellViews() = default;

    // Opens the chooser: the selection sheet `sheetKey` (its "_Style", "_BasicCell" and "_Cells"
    // sections), whose items are the cells of label `itemKind`, beside the request's cell, with the
    // item numbered `selected` current when it has one. True when a chooser was opened.
    virtual bool OpenChooser(cmcCellRequest& req, const std::string& sheetKey, int itemKind, int selected) = 0;

    // Opens the flag window on `value` (flag index n at bit 26 - n) for the flags first..last.
    // headerKind and checkStyle are those of the flag window (header 3: numbers with 10 written "0"
    // and 11 written "Z"; check style 0 a letter, 1 a drawn mark); `sheetKey` empty means the
    // window's built-in sheet. True when it was opened.
    virtual bool OpenFlagWindow(cmcCellRequest& req, uint32_t value, int first, int last, int headerKind,
                                int checkStyle, const std::string& sheetKey) = 0;
    // The flag window over flags that stand for named things: `headers` holds each flag's header
    // text (first..last; "\n" starts a second line). Views without such a window open the numbered
    // one.
    virtual bool OpenNamedFlagWindow(cmcCellRequest& req, uint32_t value, int first, int last,
                                     const std::vector<std::string>& headers) {
        (void)headers;
        return OpenFlagWindow(req, value, first, last, 0, 1, std::string());
    }

    // Opens the text entry drop-down of a display text cell: an edit box starting with
    // `editable` (the field's shown text in editable form; all selected when `byKey` is false,
    // else the caret after it), a preview of the field's `length` characters drawn with the user
    // characters of `userTable` (32 bytes), and the character sheet "GI_Sheet_Sel_Text". Accepting
    // runs the cell handler with a parent cell of label Flex0, result kind CRK_Chooser and the edit
    // box's text in `input`. The default opens nothing.
    virtual bool OpenTextEntry(cmcCellRequest& req, const std::string& editable, int length,
                               const uint8_t* userTable, bool byKey);
    // Opens the user character editor on a 16-bit segment pattern; OK answers like the text entry
    // with the new pattern as decimal text. The default opens nothing.
    virtual bool OpenCharEditor(cmcCellRequest& req, uint16_t pattern);

    // Makes the grid open its in-place editor at once with req.display, req.caretPos and
    // req.selLength (used after a chooser pick that needs typed input). The default calls the
    // request's edit-start callback; true when there was one.
    virtual bool StartInlineEdit(cmcCellRequest& req);
};

// Hands the answer of a window opened for the cell of `opener` to `handler`: a request like the
// opener whose parent cell has label `itemKind` and index `item`, with result kind CRK_Chooser,
// action 0 and `input` (the text of a text entry, the decimal value of a flag window or character
// editor). Returns what the handler returns; a refused answer says why in the status bar of
// `events`.
uint8_t DeliverChooserAnswer(cmcEvMan& events, const cmcCellRequest& opener, const cmcCellHandler& handler,
                             const std::string& input, int itemKind, int item);
#ifndef QX_CELLS_SOURCE
// The same with the program's event manager, for the windows. Defined with the program's
// environment (env/cmcProgramTexts.cpp).
uint8_t DeliverChooserAnswer(const cmcCellRequest& opener, const cmcCellHandler& handler, const std::string& input,
                             int itemKind = Flex0, int item = 0);
#endif

// The installed views (null: none). Not owned.
cmcCellViews* CellViews();
void SetCellViews(cmcCellViews* views);

// Installs views for a scope and restores the previous ones after it.
class cmcScopedCellViews {
public:
    explicit cmcScopedCellViews(cmcCellViews* views);
    ~cmcScopedCellViews();
    cmcScopedCellViews(const cmcScopedCellViews&) = delete;
    cmcScopedCellViews& operator=(const cmcScopedCellViews&) = delete;

private:
    cmcCellViews* previous_;
};

// The bit of flag index n (0..26) in a flag window value.
inline constexpr uint32_t FlagWindowBit(int n) { return n >= 0 && n <= 26 ? (1u << (26 - n)) : 0u; }

}  // namespace qx
