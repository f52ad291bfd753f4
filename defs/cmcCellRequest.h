// The record handed to the cell handler for one call: which cell, from where, what the user did,
// and what the handler answers (display text, marks, editor start, jumps, selections, repaints).
// Sheets, menus, the tool bar, the tree and the warning check fill it; the cell handler reads and
// answers it. Views are referred to by opaque pointers so the record stays free of widget types.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qx {

class cmcCellObj;
struct cmcCellRequest;

// Actions of a request: the grid passes the key pressed (printable characters 33..126 start an
// in-place edit with that character where the editor accepts it).
enum cmcCellAction : int {
    CA_Refresh = 0,      // show the value and marks only
    CA_Backspace = 8,    // previous value
    CA_Enter = 13,       // activate: run a command, open a chooser, dialog or in-place editor
    CA_Space = 32,       // next value
    CA_LastKey = 127,    // actions above this are operations, not keys
    CA_Commit = 256,     // the same as Enter; turned into Enter at entry
    // Keys without a character reach the handler as their key code times 256.
    CA_KeyLeft = 0x25 << 8,
    CA_KeyRight = 0x27 << 8,
    CA_KeyF1 = 0x70 << 8,  // F1..F12 follow one key code apart
};
constexpr int CA_KeyF(int n) { return CA_KeyF1 + ((n - 1) << 8); }  // F1..F12

// Result flags (output).
enum cmcCellResultFlag : uint8_t {
    CRF_Current = 0x01,  // the cell is the grid's current cell (set by the grid)
    CRF_Grid = 0x02,     // set by the grid: a multiple selection is shown
    CRF_Warning = 0x04,  // warning mark
    CRF_Error = 0x08,    // error mark
};

// Result kinds (input).
enum cmcCellResultKind : uint8_t {
    CRK_Plain = 0,    // a plain request
    CRK_Input = 1,    // `input` holds the text typed into an in-place editor
    CRK_Chooser = 2,  // the parent request's cell holds the item chosen in a chooser or drop-down
};

// Where the grid draws a warning or error mark.
enum cmcCellMarkPos : uint8_t {
    CMP_ByStyle = 0,  // left end for right-aligned cells, after the text otherwise
    CMP_Left = 1,     // at the left end of the cell
};

// Return values of the cell handler.
enum cmcCellExecResult : uint8_t {
    CER_None = 0,    // nothing was opened
    CER_Opened = 1,  // a chooser, dialog or selection window was opened
    CER_Editor = 2,  // an in-place editor is to open with `display`, `caretPos` and `selLength`
};

// Repaint scopes for the notify callback (the sheet repaints the visible cells concerned).
enum cmcCellNotify : uint32_t {
    CN_SameLabelIndex = 0x01,   // same label and same index
    CN_SameCategory = 0x02,     // same category
    CN_SameLabel = 0x04,        // same label
    CN_SameIndex = 0x08,        // labelled cells with the same index (the record's row)
    CN_NearIndex = 0x10,        // labelled cells of the same category whose index differs by at most 1
    CN_All = 0x20,              // every labelled cell
    CN_IndexAtLeast = 0x40,     // labelled cells whose index is at least the changed one
    CN_IndexAtMost = 0x80,      // labelled cells whose index is at most the changed one
};

// Drawing context of a cell being painted: the rectangle in the canvas and the state the sheet
// draws it in. The handler may change the text colour (greyed, not-applicable cells).
struct cmcCellPaint {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    bool selected = false;
    bool printing = false;
    bool textColorSet = false;
    uint32_t textColor = 0;  // 0x00BBGGRR or 0x800000nn, valid when textColorSet
    // A rectangle the handler asks the sheet to fill (painted cells such as the quarter pillar),
    // in the same coordinates as the cell rectangle; valid when fillSet.
    bool fillSet = false;
    int fillLeft = 0, fillTop = 0, fillRight = 0, fillBottom = 0;
    uint32_t fillColor = 0;  // 0x00BBGGRR
    // A display text the sheet draws as the radio's segment display, in the text colour, instead
    // of the display text (text and user character cells); valid when segCount > 0. segPerLine
    // characters go on each of segLines lines; codes 16-31 take their patterns from segUser.
    static constexpr int kSegMax = 32;
    int segCount = 0;
    int segPerLine = 1;
    int segLines = 1;
    uint8_t segBytes[kSegMax] = {};
    uint8_t segUser[32] = {};
    // A handler that draws the cell's text as a picture (segment characters) on the canvas puts
    // the characters here. When printing, the sheet writes them as invisible text over the
    // picture, so that a PDF of the sheet finds and copies them like any other text.
    std::string pictureText;
};

struct cmcCellRequest {
    cmcCellRequest* parent = nullptr;  // the request that opened a chooser, for its result
    int32_t rowNumber = 0;             // bank number for the warning check and the probes
    void* owner = nullptr;             // the window or grid that issued the request
    void* grid = nullptr;              // the grid that shows the cell; null outside grids
    cmcCellObj* cell = nullptr;        // the cell to process
    void* canvas = nullptr;            // the drawing surface (a QPainter) while painting, else null
    void* form = nullptr;              // drawing context for custom painted cells
    cmcCellPaint* paint = nullptr;     // rectangle and state while painting, else null
    int32_t caretPos = 0;              // editor start: caret position
    int32_t selLength = 0;             // editor start: selection length
    int32_t action = CA_Refresh;       // the key or operation (cmcCellAction or a typed character)
    int32_t popupCommand = 0;          // label of the popup entry chosen on this cell, or 0
    const cmcCellObj* popupCell = nullptr;  // the popup entry's cell when popupCommand is set
    std::string input;                 // text typed into an in-place editor (result kind 1)
    std::string actionName;            // what the user works on (a column header), naming the undo step
    std::string display;               // output: the text to show
    // Output: why the typed text or the picked item was refused (the value stays as it was);
    // empty when it was taken or nothing was delivered.
    std::string refusal;
    // Output: why the cell carries its warning or error mark (empty without a mark).
    std::string markReason;
    uint8_t resultFlags = 0;           // cmcCellResultFlag bits
    uint8_t markPos = CMP_ByStyle;     // output: where the mark goes
    uint8_t resultKind = CRK_Plain;    // cmcCellResultKind
    int32_t redirect = 0;              // output: 1 to replay `deferredAction` on the cell named below
    int32_t category = 0;              // copies of the cell's identity (output; a redirect names its target)
    int32_t label = 0;
    int32_t index = 0;
    int32_t deferredAction = 0;        // output: the action to replay on a redirect
    void* sheet = nullptr;             // the sheet that owns the grid; null outside sheets
    uint8_t selFlags = 0;              // bit 0 in: rows selected; bit 1 out: select selFirst..selLast
    int32_t selFirst = 0;
    int32_t selLast = 0;
    bool isCurrent = false;            // the cell is the grid's current cell
    bool multiSelection = false;       // a multiple selection is shown
    bool repeat = false;               // output: run the same operation again after a short pause
    // Called after processing with cmcCellNotify flags: repaint the related cells.
    std::function<void(cmcCellRequest& req, uint32_t flags)> notify;
    // Called by an editor that wants the grid to open its in-place editor at once with
    // `display`, `caretPos` and `selLength`.
    std::function<void(cmcCellRequest& req)> editStart;
    // Set by a sheet whose edit applies to every row of its multiple selection: a chooser opened
    // for the request hands the picked item (label = item kind, index = item) here instead of to
    // the cell handler, and the sheet picks it on each selected row.
    std::function<void(const cmcCellObj& item)> pickForSelection;
    bool keepsSelection = false;       // output: a chooser took pickForSelection; the selection stays
    // Input: the action is a user's edit made outside a grid (a scripted set or an import): it is
    // taken as if typed or picked in a grid, and named and undone as one.
    bool userEdit = false;
};

// The cell handler a sheet, menu or tool bar is bound to: runs one request, returns a
// cmcCellExecResult. The product binds the cell handler's Execute; tests bind their own.
using cmcCellHandler = std::function<uint8_t(cmcCellRequest& req)>;

// The program's cell handler, bound by default to every new sheet, menu and tool bar. Empty until
// the cell handler is installed; without one, cells show their own text and actions do nothing.
void cmcSetDefaultCellHandler(cmcCellHandler handler);
const cmcCellHandler& cmcDefaultCellHandler();

}  // namespace qx
