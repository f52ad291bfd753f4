// The grid control: an owner-drawn grid of fixed and scrolling columns and rows.
// Rows scroll by whole rows; columns scroll by pixels, so a column wider than the view can still
// be read to its end (moving the cursor still brings whole columns into view). Every step (select, draw, keys, mouse, focus, scrolling) can be replaced by a handler that the
// owner installs; without a handler the grid behaves as a plain grid. It paints only the cells that
// intersect the damaged region, so large grids stay cheap to repaint.
#pragma once

#include "common/cmcClock.h"

#include <QAbstractScrollArea>
#include <QRect>

#include <functional>
#include <vector>

class QPainter;

namespace qx {

// Drawing state of a cell handed to the draw step.
enum cuiGridDrawState : unsigned {
    GDS_Selected = 0x01,  // the current cell
    GDS_Focused = 0x02,   // the grid has the keyboard focus
    GDS_Fixed = 0x04,     // a fixed row or column
};

// Directions reported by the timed scroll while dragging outside the grid.
enum cuiGridScrollDir : unsigned {
    GSD_Left = 0x01,
    GSD_Right = 0x02,
    GSD_Up = 0x04,
    GSD_Down = 0x08,
};

enum class cuiGridScrollBars { None, Vertical, Both };

class cuiGrid : public QAbstractScrollArea, private cmcTimerClient {
    Q_OBJECT
public:
    explicit cuiGrid(QWidget* parent = nullptr);
    ~cuiGrid() override;

    // --- Replaceable steps. A handler that is not set leaves the grid's default behaviour.
    std::function<bool(int col, int row)> onSelectCell;  // may the cell become current?
    std::function<void(QPainter& p, int col, int row, const QRect& rect, unsigned state)> onDrawCell;
    std::function<void(int from, int to)> onColumnMoved;
    std::function<void(int from, int to)> onRowMoved;
    std::function<QString(int col, int row)> onGetEditMask;
    std::function<QString(int col, int row)> onGetEditText;
    std::function<void(int col, int row, const QString& text)> onSetEditText;
    std::function<void()> onTopLeftChanged;
    std::function<void(unsigned directions)> onTimedScroll;  // cuiGridScrollDir bits
    // The tooltip of a cell (empty: none); asked when the pointer rests over it.
    std::function<QString(int col, int row)> onToolTip;
    // Input steps: a handler replaces the default (key navigation, click selection).
    std::function<void(QKeyEvent* e)> onKeyDown;
    std::function<void(QKeyEvent* e)> onKeyUp;
    std::function<void(QKeyEvent* e)> onKeyPress;  // called with the event's text when it has one
    std::function<void(QMouseEvent* e)> onMouseDown;
    std::function<void(QMouseEvent* e)> onMouseUp;
    std::function<void(QMouseEvent* e)> onMouseMove;
    std::function<void(QMouseEvent* e)> onDoubleClick;
    // Focus notifications with their reason: the handler runs first, the grid's own handling
    // always follows.
    std::function<void(Qt::FocusReason)> onFocusGained;
    std::function<void(Qt::FocusReason)> onFocusLost;

    // --- Shape.
    void SetColCount(int n);
    void SetRowCount(int n);
    int ColCount() const { return static_cast<int>(colW_.size()); }
    int RowCount() const { return static_cast<int>(rowH_.size()); }
    void SetFixedCols(int n);
    void SetFixedRows(int n);
    int FixedCols() const { return fixedCols_; }
    int FixedRows() const { return fixedRows_; }
    void SetColWidth(int col, int w);
    void SetRowHeight(int row, int h);
    int ColWidth(int col) const { return colW_[col]; }
    int RowHeight(int row) const { return rowH_[row]; }
    // Sum of all column widths (row heights).
    int TotalWidth() const;
    int TotalHeight() const;

    // --- Position.
    int Col() const { return col_; }
    int Row() const { return row_; }
    // Makes (col, row) current, asking the select step first when `ask` is set; false when refused
    // or outside the grid. The cell is scrolled into view.
    bool SetCurrent(int col, int row, bool ask = true);
    int LeftCol() const { return leftCol_; }
    int TopRow() const { return topRow_; }
    // Pixels of the left scrolling column that are scrolled out of view to the left.
    int LeftOffset() const { return leftOffset_; }
    // Shows leftCol from its left edge (a column that is already the left one keeps its offset).
    void SetTopLeft(int leftCol, int topRow);
    // Horizontal position in pixels over the scrolling columns (the horizontal scroll bar's value).
    int ScrollX() const;
    void SetScrollX(int x);
    // Number of scrolling columns (rows) that are fully visible from the left column (top row).
    int VisibleColCount() const;
    int VisibleRowCount() const;
    // Same, counting also the last partly visible one.
    int PartlyVisibleColCount() const;
    int PartlyVisibleRowCount() const;

    // --- Services.
    // Rectangle of a cell in viewport coordinates; empty when the cell is scrolled out of view.
    QRect CellRect(int col, int row) const;
    // The cell under a viewport position; false when the position is on no cell.
    bool MouseToCell(const QPoint& pos, int& col, int& row) const;
    void InvalidateCell(int col, int row);
    void InvalidateAll();
    void MoveColumn(int from, int to);
    void MoveRow(int from, int to);
    void SetScrollBars(cuiGridScrollBars bars);
    cuiGridScrollBars ScrollBars() const { return bars_; }
    // Client size (the viewport) and the size taken by frame and scroll bars around it.
    QSize ClientSize() const { return viewport()->size(); }

    // Calls the edit-text steps (the grid has no editor of its own; the owner's editor uses them).
    QString EditMask(int col, int row) const { return onGetEditMask ? onGetEditMask(col, row) : QString(); }
    QString EditText(int col, int row) const { return onGetEditText ? onGetEditText(col, row) : QString(); }
    void SetEditText(int col, int row, const QString& t) { if (onSetEditText) onSetEditText(col, row, t); }

    // Default behaviours, callable from handlers that want them in addition to their own.
    void DefaultKeyDown(QKeyEvent* e);
    void DefaultMouseDown(QMouseEvent* e);
    void DefaultTimedScroll(unsigned directions);
    // Timed scroll: the interval between steps while the mouse is dragged outside the grid.
    static constexpr int kTimedScrollMs = 60;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* e) override;
    bool focusNextPrevChild(bool next) override { return false; }

private:
    void OnTimerEvent() override;  // timed scroll
    void DefaultDraw(QPainter& p, int col, int row, const QRect& rect, unsigned state);
    void UpdateScrollBars();
    void ClampTopLeft();
    void ScrollInView(int col, int row);
    void SetView(int leftCol, int leftOffset, int topRow);
    int ScrollWidth() const;  // width of all scrolling columns
    int ColStart(int col) const;  // x of a scrolling column's left edge in ScrollX units
    void ColumnAt(int x, int& col, int& offset) const;  // the scrolling column at ScrollX x
    int MaxTopRow() const;
    int FixedWidth() const;
    int FixedHeight() const;
    bool ColX(int col, int& x) const;  // viewport x of a column's left edge; false when not visible
    int RowY(int row) const;  // viewport y of a row's top edge; -1 when not visible
    unsigned DragDirections(const QPoint& pos) const;

    std::vector<int> colW_;
    std::vector<int> rowH_;
    int fixedCols_ = 0;
    int fixedRows_ = 0;
    int col_ = 0;
    int row_ = 0;
    int leftCol_ = 0;
    int leftOffset_ = 0;
    int topRow_ = 0;
    cuiGridScrollBars bars_ = cuiGridScrollBars::Both;
    bool syncingBars_ = false;
    bool dragging_ = false;
    bool timedScrollArmed_ = false;
    unsigned dragDirs_ = 0;
};

}  // namespace qx
