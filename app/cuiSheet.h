// The sheet: a grid of cells built from a sheet key's definitions (cmcSheetBuilder), shown in a
// cuiGrid inside a host panel. It draws its cells, moves the cursor over selectable cells, keeps a
// multiple selection, edits in place, hands every action on a cell to its cell handler binding and
// keeps the popup menu of the current cell. Kinds: cuiSheet (plain), iuiSh_Common, iuiSh_ChBank.
//
//     cuiSheet sheet(hostPanel, nullptr, kLabelNone, 0, GTex(), "GI_Sheet_CloneInfo", mainWindow);
//     sheet.SetCellHandler(handler);   // default: the program's cell handler
//     sheet.Build();
#pragma once

#include "common/cmcClock.h"
#include "defs/cmcCellRequest.h"
#include "defs/cmcSheetBuilder.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QWidget;
class QKeyEvent;
class QMouseEvent;

namespace qx {

class cuiGrid;
class cuiMenu;
class cmcCellScript;
struct cmcEvent;

// Saved position of a sheet: current column and row, left column, top row (-1 when unset).
struct cuiSheetPos {
    int col = -1, row = -1, leftCol = -1, topRow = -1;
};

class cuiSheet : public QObject, protected cmcTimerClient {
    Q_OBJECT
public:
    // Where sheets get the model type, the working image and the user's font size.
    using ContextProvider = std::function<cmcSheetContext()>;
    static void SetContextProvider(ContextProvider provider);

    cuiSheet(QWidget* host, const cmcCellRequest* opener, int initLabel, int initIndex, cmcGTex& store,
             std::string key, QWidget* owner);
    ~cuiSheet() override;

    // --- Set-up before Build.
    void SetName(const std::string& name) { name_ = name; }
    const std::string& Name() const { return name_; }
    virtual void SetParameter(const std::string& parameter);  // the sheet parameter ("Bank n")
    void SetDropDown(bool on) { dropDown_ = on; }
    bool DropDown() const { return dropDown_; }
    // Printing: the margin unit m (printer pixels per inch / 120, at least 1); cells are drawn black on white.
    void SetPrinting(bool on, int marginUnit = 1);
    void SetExplicitFontHeight(int h) { explicitFontHeight_ = h; }
    void SetSavedPosition(const cuiSheetPos& pos) { saved_ = pos; }
    void SetCellHandler(cmcCellHandler handler) { handler_ = std::move(handler); }
    void SetContext(const cmcSheetContext& ctx) { ctx_ = ctx; hasCtx_ = true; }

    // Reads the definitions, creates the grid and shows it.
    virtual void Build();

    // --- Queries.
    cuiGrid* Grid() const { return grid_; }
    QWidget* Host() const { return host_; }
    QWidget* Owner() const { return owner_; }
    QMenu* PopupMenu() const { return popup_; }
    cuiMenu* PopupBuilder() const { return popupBuilder_.get(); }
    QLineEdit* Editor() const { return editor_; }
    bool EditorShowing() const;
    QLabel* TitleLabel() const { return title_; }
    cmcSheetBuilder& Builder() { return *builder_; }
    const std::string& Key() const { return key_; }
    int ColCount() const { return builder_->ColCount(); }
    int RowCount() const { return builder_->RowCount(); }
    // The cell of a position; outside the grid this is fatal ("Illegal Cell selection").
    cmcCellObj& CellAt(int col, int row) { return builder_->Cell(col, row); }
    cmcCellObj& CurrentCell();
    int Col() const;
    int Row() const;
    cuiSheetPos Position() const;
    // Sum of the column widths (row heights) plus the host's size less the grid's client size.
    int FullWidth() const;
    int FullHeight() const;
    // Makes current the first selectable cell, row by row, with exactly this identity.
    bool SelectByIdentity(int category, int label, int index);
    virtual std::string PrintHeading() { return builder_->PrintHeading(); }  // heading when printed
    virtual bool Printable() { return builder_->Printable(); }               // whether it can be printed
    bool MultiSelectionShown() const { return multiShown_; }
    // The rows of the multiple selection in order, the cursor's row among them; empty while none
    // is shown. An edit of a cell (typed text, a chooser pick, Space or Backspace) applies to the
    // cell of the same column in each of them.
    std::vector<int> SelectedRows();
    bool IsSelected(int col, int row);  // drawn selected (current, selection bits, trailing)

    // --- Actions (what keys, clicks and menus do; public for the windows that host sheets).
    // Moves the cursor by (dx, dy) by the cursor rule; `extend` extends the multiple selection.
    bool MoveCursor(int dx, int dy, bool extend = false, bool single = true);
    // Makes (col, row) current if it may be selected; `byMouse` applies the click rules.
    bool SelectCell(int col, int row, bool extend = false, bool byMouse = false);
    // Ctrl+click: adds the row to the multiple selection (the cursor goes there) or takes it out.
    // False when the sheet has no multiple selection or the row has no cell to select.
    bool ToggleRow(int row);
    // Drop-down type-ahead: adds `ch` to the characters typed so far and makes current the first
    // item whose text starts with them (a typed text without a point also matches the item's text
    // without its points, so "4461" finds 446.103125). When nothing matches, the search starts
    // again from `ch` alone. Returns whether an item matched.
    bool TypeAhead(char ch);
    // Runs an operation on the current cell; `popupCell` for popup entries, `input` for edited text.
    uint8_t RunOperation(int op, const cmcCellObj* popupCell = nullptr, const std::string* input = nullptr);
    void OpenEditor(const std::string& text, int selStart, int selLength);
    void CommitEditor();   // commits an open editor's text
    void CancelEditor();   // closes it without committing
    void RedrawRelated(const cmcCellRequest& req, uint32_t flags);
    // Draws one cell into `p` (the grid's draw step; printing calls it too).
    void DrawCell(QPainter& p, int col, int row, const QRect& rect, unsigned gridState);
    // What the warning or error mark of a cell says ("Warning: REASON"), empty without a mark:
    // its tooltip, and the status text once it becomes current.
    std::string MarkTextAt(int col, int row, bool* error = nullptr);
    // Refreshes the cell shown at (col, row) into `req`, `col` moved to the cell a joined column
    // belongs to; false where no labelled cell is shown.
    bool RefreshAt(int& col, int row, cmcCellRequest& req);
    // Cells a comparison marks as changed, each with what changed ("GATE -> YARD"): a corner
    // mark on screen (not on paper) and the text in the tooltip. An empty map clears them.
    using ChangeMarks = std::map<std::pair<int, int>, std::string>;  // (col, row) -> text
    static constexpr unsigned kChangeMarkRgb = 0x1F6FD0;                // the mark's colour, 0xRRGGBB
    void SetChangeMarks(ChangeMarks marks);
    const ChangeMarks& ChangeMarksShown() const { return changeMarks_; }
    // The tooltip of a cell: its mark's text, else its whole text when the column cuts it.
    std::string ToolTipAt(int col, int row);

    // Called when a drop-down sheet has handed its result to the opener (the window closes).
    std::function<void()> onDropDownDone;
    // Called when Esc is pressed while no editor is open (drop-down windows close).
    std::function<void()> onEscape;

    // Where the error and warning marks go and how they look are drawing details of the sheet.
    static constexpr int kRepeatFirstPauseMs = 30;
    static constexpr int kRepeatPauseStepMs = 6;

protected:
    cuiSheet(QWidget* host, const cmcCellRequest* opener, int initLabel, int initIndex, cmcGTex& store,
             std::string key, QWidget* owner, std::unique_ptr<cmcSheetBuilder> builder);
    virtual void OnEvent(const cmcEvent& e);
    // The bank (0-4) this sheet shows to the cells it runs, or -1 for none.
    virtual int ShownBank() { return -1; }
    void OnTimerEvent() override;  // repeat operations
    void UpdatePopupMenu(bool force);
    // Destroys the popup menu builder; its entries leave the Edit menu when they are there.
    void DropPopupBuilder();
    void ClearMultiSelection();
    void LayoutHost();
    void ApplyGridShape();

    std::unique_ptr<cmcSheetBuilder> builder_;
    QWidget* host_;
    QWidget* owner_;
    cmcGTex& store_;
    std::string key_;
    std::string name_;
    std::optional<cmcCellRequest> opener_;
    int initLabel_, initIndex_;
    cmcCellHandler handler_;
    cmcSheetContext ctx_;
    bool hasCtx_ = false;
    bool dropDown_ = false;
    bool printing_ = false;
    int marginUnit_ = 1;
    int explicitFontHeight_ = 0;
    cuiSheetPos saved_;
    bool building_ = false;

    QWidget* frame_ = nullptr;  // fills the host: title panel and grid panel
    QLabel* title_ = nullptr;
    QFrame* gridPanel_ = nullptr;
    cuiGrid* grid_ = nullptr;
    QLineEdit* editor_ = nullptr;
    int editorCol_ = -1, editorRow_ = -1;
    bool editorClosing_ = false;
    QMenu* popup_ = nullptr;
    std::unique_ptr<cuiMenu> popupBuilder_;
    std::string popupKey_;
    int popupClickDepth_ = 0;          // popup entries running (their builder must outlive them)
    bool popupUpdatePending_ = false;  // an update of the popup menu waits for them

    int anchorCol_ = -1, anchorRow_ = -1;
    int lastCol_ = 0, lastRow_ = 0;  // where the last cursor movement ended
    bool movingByProgram_ = false;
    bool multiShown_ = false;
    bool mouseHeld_ = false;
    std::string typed_;  // drop-down type-ahead

    // Repeat operation state.
    int repeatOp_ = 0;
    int repeatPause_ = -1;  // -1: no repeat chain running
    bool repeatArmed_ = false;
    int opDepth_ = 0;
    std::string keptRefusal_;  // shown again by the move that closed the editor
    ChangeMarks changeMarks_;

    // Edits of many rows (cuiSheetBulk.cpp).
    bool bulkPending_ = false;  // an edit began on a multiple selection: its editor or chooser is open
    bool bulkApplied_ = false;  // the last commit went to every selected row
    using BulkEdit = std::function<bool(cmcCellScript& script, cmcCellObj& cell, std::string* why)>;
    // Whether an operation on the current cell goes to every selected row instead.
    bool BulkTarget();
    // Makes the edit on the current column of every selected row as one undo step named after the
    // column and the rows changed; the rows that refuse it are listed in the status bar.
    void ApplyToSelection(const BulkEdit& edit);
    // The column a click on a row's header makes current: the cursor's, or the row's first selectable.
    int HeaderTargetCol(int row);
    // A row's name in messages: its header as shown ("1-3"), else its number from 1.
    std::string RowName(int row);

private:
    void InstallHandlers();
    void DetachGrid();
    void OnKeyDown(QKeyEvent* e);
    void OnKeyPress(QKeyEvent* e);
    void OnMouseDown(QMouseEvent* e);
    void OnMouseUp(QMouseEvent* e);
    void OnMouseMove(QMouseEvent* e);
    void OnDoubleClick(QMouseEvent* e);
    void OnTimedScroll(unsigned dirs);
    void OnFocusMoved(QWidget* now);
    void PopupEntryClicked(const cmcCellObj* cell);
    void UpdatePopupMenuAfterClick();
    void AfterMove(int oldCol, int oldRow, bool extend);
    // Clears the status text (true when it showed a refusal kept for this event instead).
    bool ClearStatus();
    void ShowStatus(const std::string& text, bool alarm);
    void ShowRefusal(const std::string& why);
    bool FindStep(int dx, int dy, bool wrap, int& c, int& r);
    int TrailingOwner(int col, int row);
    bool EditorKey(QKeyEvent* e);
    void FillRequest(cmcCellRequest& req);
    bool eventFilter(QObject* o, QEvent* e) override;
};

// The common-settings sheet: more row filters.
class iuiSh_Common : public cuiSheet {
    Q_OBJECT
public:
    iuiSh_Common(QWidget* host, const cmcCellRequest* opener, int initLabel, int initIndex, cmcGTex& store,
                 std::string key, QWidget* owner);
};

// The channel/bank sheet: one bank of memory channels, its title follows the bank bookkeeping.
class iuiSh_ChBank : public cuiSheet {
    Q_OBJECT
public:
    iuiSh_ChBank(QWidget* host, const cmcCellRequest* opener, int initLabel, int initIndex, cmcGTex& store,
                 std::string key, QWidget* owner);
    void Build() override;
    cmcSheetBuilderChBank& Bank() { return static_cast<cmcSheetBuilderChBank&>(*builder_); }

protected:
    void OnEvent(const cmcEvent& e) override;
    int ShownBank() override;

private:
    void UpdateTitle();
    std::string titleBase_;
};

// Creates the sheet for a style: "St_ChBank" a channel/bank sheet, "St_Common" a common-settings
// sheet, anything else a plain sheet.
std::unique_ptr<cuiSheet> cuiCreateSheet(const std::string& style, QWidget* host, cmcGTex& store,
                                         const std::string& key, QWidget* owner);

}  // namespace qx
