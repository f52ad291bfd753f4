#include "app/cuiGrid.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

namespace qx {

cuiGrid::cuiGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Owners size the grid to its cells (drop-downs, dialogs): no minimum of its own.
    setMinimumSize(1, 1);
    colW_.assign(5, 64);
    rowH_.assign(5, 24);
    UpdateScrollBars();
}

cuiGrid::~cuiGrid() {
    if (timedScrollArmed_) cmcTime().Disarm(this);
}

// --- Shape -------------------------------------------------------------------------------------

void cuiGrid::SetColCount(int n) {
    n = std::max(n, 1);
    colW_.resize(n, 64);
    fixedCols_ = std::min(fixedCols_, n - 1);
    col_ = std::min(col_, n - 1);
    ClampTopLeft();
    UpdateScrollBars();
    viewport()->update();
}

void cuiGrid::SetRowCount(int n) {
    n = std::max(n, 1);
    rowH_.resize(n, 24);
    fixedRows_ = std::min(fixedRows_, n - 1);
    row_ = std::min(row_, n - 1);
    ClampTopLeft();
    UpdateScrollBars();
    viewport()->update();
}

void cuiGrid::SetFixedCols(int n) {
    fixedCols_ = std::clamp(n, 0, ColCount() - 1);
    leftCol_ = std::max(leftCol_, fixedCols_);
    col_ = std::max(col_, fixedCols_);
    ClampTopLeft();
    UpdateScrollBars();
    viewport()->update();
}

void cuiGrid::SetFixedRows(int n) {
    fixedRows_ = std::clamp(n, 0, RowCount() - 1);
    topRow_ = std::max(topRow_, fixedRows_);
    row_ = std::max(row_, fixedRows_);
    ClampTopLeft();
    UpdateScrollBars();
    viewport()->update();
}

void cuiGrid::SetColWidth(int col, int w) {
    if (col < 0 || col >= ColCount()) return;
    colW_[col] = std::max(w, 0);
    UpdateScrollBars();
    viewport()->update();
}

void cuiGrid::SetRowHeight(int row, int h) {
    if (row < 0 || row >= RowCount()) return;
    rowH_[row] = std::max(h, 0);
    UpdateScrollBars();
    viewport()->update();
}

int cuiGrid::TotalWidth() const {
    int s = 0;
    for (int w : colW_) s += w;
    return s;
}

int cuiGrid::TotalHeight() const {
    int s = 0;
    for (int h : rowH_) s += h;
    return s;
}

int cuiGrid::FixedWidth() const {
    int s = 0;
    for (int c = 0; c < fixedCols_; ++c) s += colW_[c];
    return s;
}

int cuiGrid::FixedHeight() const {
    int s = 0;
    for (int r = 0; r < fixedRows_; ++r) s += rowH_[r];
    return s;
}

// --- Position ----------------------------------------------------------------------------------

int cuiGrid::ScrollWidth() const { return TotalWidth() - FixedWidth(); }

int cuiGrid::ColStart(int col) const {
    int x = 0;
    for (int c = fixedCols_; c < col && c < ColCount(); ++c) x += colW_[c];
    return x;
}

int cuiGrid::ScrollX() const { return ColStart(leftCol_) + leftOffset_; }

void cuiGrid::ColumnAt(int x, int& col, int& offset) const {
    x = std::max(0, x);
    int c = fixedCols_, start = 0;
    while (c < ColCount() - 1 && start + colW_[c] <= x) start += colW_[c++];
    col = c;
    offset = x - start;
}

void cuiGrid::SetScrollX(int x) {
    int col, offset;
    ColumnAt(x, col, offset);
    SetView(col, offset, topRow_);
}

int cuiGrid::MaxTopRow() const {
    int room = viewport()->height() - FixedHeight();
    int r = RowCount() - 1;
    int used = rowH_[r];
    while (r - 1 >= fixedRows_ && used + rowH_[r - 1] <= room) used += rowH_[--r];
    return std::max(r, fixedRows_);
}

void cuiGrid::ClampTopLeft() {
    const int left = std::clamp(leftCol_, fixedCols_, std::max(fixedCols_, ColCount() - 1));
    if (left != leftCol_) leftOffset_ = 0;
    leftCol_ = left;
    leftOffset_ = std::clamp(leftOffset_, 0, std::max(0, colW_[leftCol_] - 1));
    topRow_ = std::clamp(topRow_, fixedRows_, std::max(fixedRows_, RowCount() - 1));
}

bool cuiGrid::SetCurrent(int col, int row, bool ask) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return false;
    if (ask && onSelectCell && !onSelectCell(col, row)) return false;
    if (col != col_ || row != row_) {
        InvalidateCell(col_, row_);
        col_ = col;
        row_ = row;
        InvalidateCell(col_, row_);
    }
    ScrollInView(col, row);
    return true;
}

void cuiGrid::ScrollInView(int col, int row) {
    int left = leftCol_, offset = leftOffset_, top = topRow_;
    const int room = viewport()->width() - FixedWidth();
    const int start = ColStart(col) - ScrollX(), end = start + colW_[col];
    const bool shown = start >= 0 && end <= room;
    // A column wider than the view stays where the user scrolled it while any of it shows.
    const bool wideAndPartlyShown = colW_[col] > room && end > 0 && start < room;
    if (col >= fixedCols_ && !shown && !wideAndPartlyShown) {
        offset = 0;
        if (col <= left) {
            left = col;
        } else {
            int used = 0;
            for (int c = left; c <= col; ++c) used += colW_[c];
            while (used > room && left < col) used -= colW_[left++];
        }
    }
    if (row >= fixedRows_) {
        if (row < top) {
            top = row;
        } else {
            int room = viewport()->height() - FixedHeight();
            int used = 0;
            for (int r = top; r <= row; ++r) used += rowH_[r];
            while (used > room && top < row) used -= rowH_[top++];
        }
    }
    SetView(left, offset, top);
}

void cuiGrid::SetTopLeft(int leftCol, int topRow) {
    SetView(leftCol, leftCol == leftCol_ ? leftOffset_ : 0, topRow);
}

void cuiGrid::SetView(int leftCol, int leftOffset, int topRow) {
    const int oldLeft = leftCol_, oldOffset = leftOffset_, oldTop = topRow_;
    leftCol_ = leftCol;
    leftOffset_ = leftOffset;
    topRow_ = topRow;
    ClampTopLeft();
    if (leftCol_ == oldLeft && leftOffset_ == oldOffset && topRow_ == oldTop) return;
    UpdateScrollBars();
    viewport()->update();
    if (onTopLeftChanged) onTopLeftChanged();
}

int cuiGrid::VisibleColCount() const {
    int room = viewport()->width() - FixedWidth();
    int n = 0, used = -leftOffset_;
    for (int c = leftCol_; c < ColCount() && used + colW_[c] <= room; ++c, ++n) used += colW_[c];
    return n;
}

int cuiGrid::VisibleRowCount() const {
    int room = viewport()->height() - FixedHeight();
    int n = 0, used = 0;
    for (int r = topRow_; r < RowCount() && used + rowH_[r] <= room; ++r, ++n) used += rowH_[r];
    return n;
}

int cuiGrid::PartlyVisibleColCount() const {
    int room = viewport()->width() - FixedWidth();
    int n = 0, used = -leftOffset_;
    for (int c = leftCol_; c < ColCount() && used < room; ++c, ++n) used += colW_[c];
    return n;
}

int cuiGrid::PartlyVisibleRowCount() const {
    int room = viewport()->height() - FixedHeight();
    int n = 0, used = 0;
    for (int r = topRow_; r < RowCount() && used < room; ++r, ++n) used += rowH_[r];
    return n;
}

// --- Geometry ----------------------------------------------------------------------------------

bool cuiGrid::ColX(int col, int& x) const {
    x = 0;
    if (col < fixedCols_) {
        for (int c = 0; c < col; ++c) x += colW_[c];
        return true;
    }
    if (col < leftCol_) return false;
    x = FixedWidth() - leftOffset_;
    int w = viewport()->width();
    for (int c = leftCol_; c < col; ++c) {
        x += colW_[c];
        if (x >= w) return false;
    }
    return x < w;
}

int cuiGrid::RowY(int row) const {
    if (row < fixedRows_) {
        int y = 0;
        for (int r = 0; r < row; ++r) y += rowH_[r];
        return y;
    }
    if (row < topRow_) return -1;
    int y = FixedHeight();
    int h = viewport()->height();
    for (int r = topRow_; r < row; ++r) {
        y += rowH_[r];
        if (y >= h) return -1;
    }
    return y < h ? y : -1;
}

QRect cuiGrid::CellRect(int col, int row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return {};
    int x = 0, y = RowY(row);
    if (!ColX(col, x) || y < 0) return {};
    return QRect(x, y, colW_[col], rowH_[row]);
}

bool cuiGrid::MouseToCell(const QPoint& pos, int& col, int& row) const {
    col = row = -1;
    if (pos.x() < 0 || pos.y() < 0) return false;
    int x = 0;
    for (int c = 0; c < fixedCols_; ++c) {
        if (pos.x() < x + colW_[c]) { col = c; break; }
        x += colW_[c];
    }
    if (col < 0) {
        x -= leftOffset_;
        for (int c = leftCol_; c < ColCount(); ++c) {
            if (pos.x() < x + colW_[c]) { col = c; break; }
            x += colW_[c];
        }
    }
    int y = 0;
    for (int r = 0; r < fixedRows_; ++r) {
        if (pos.y() < y + rowH_[r]) { row = r; break; }
        y += rowH_[r];
    }
    if (row < 0)
        for (int r = topRow_; r < RowCount(); ++r) {
            if (pos.y() < y + rowH_[r]) { row = r; break; }
            y += rowH_[r];
        }
    return col >= 0 && row >= 0;
}

void cuiGrid::InvalidateCell(int col, int row) {
    QRect r = CellRect(col, row);
    if (!r.isEmpty()) viewport()->update(r);
}

void cuiGrid::InvalidateAll() { viewport()->update(); }

void cuiGrid::MoveColumn(int from, int to) {
    int n = ColCount();
    if (from < 0 || to < 0 || from >= n || to >= n || from == to) return;
    int w = colW_[from];
    colW_.erase(colW_.begin() + from);
    colW_.insert(colW_.begin() + to, w);
    if (onColumnMoved) onColumnMoved(from, to);
    viewport()->update();
}

void cuiGrid::MoveRow(int from, int to) {
    int n = RowCount();
    if (from < 0 || to < 0 || from >= n || to >= n || from == to) return;
    int h = rowH_[from];
    rowH_.erase(rowH_.begin() + from);
    rowH_.insert(rowH_.begin() + to, h);
    if (onRowMoved) onRowMoved(from, to);
    viewport()->update();
}

void cuiGrid::SetScrollBars(cuiGridScrollBars bars) {
    bars_ = bars;
    setVerticalScrollBarPolicy(bars == cuiGridScrollBars::None ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(bars == cuiGridScrollBars::Both ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    UpdateScrollBars();
}

void cuiGrid::UpdateScrollBars() {
    syncingBars_ = true;
    int maxTop = MaxTopRow() - fixedRows_;
    verticalScrollBar()->setRange(0, std::max(0, maxTop));
    verticalScrollBar()->setPageStep(std::max(1, VisibleRowCount()));
    verticalScrollBar()->setValue(topRow_ - fixedRows_);
    // Columns scroll by pixels: the last column's right edge can reach the view's right edge.
    const int room = std::max(1, viewport()->width() - FixedWidth());
    horizontalScrollBar()->setRange(0, std::max(0, ScrollWidth() - room));
    horizontalScrollBar()->setPageStep(room);
    horizontalScrollBar()->setSingleStep(std::max(1, fontMetrics().averageCharWidth() * 2));
    horizontalScrollBar()->setValue(ScrollX());
    syncingBars_ = false;
}

void cuiGrid::scrollContentsBy(int, int) {
    if (syncingBars_) return;
    int col, offset;
    ColumnAt(horizontalScrollBar()->value(), col, offset);
    SetView(col, offset, fixedRows_ + verticalScrollBar()->value());
}

void cuiGrid::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollBars();
}

// --- Painting ----------------------------------------------------------------------------------

void cuiGrid::DefaultDraw(QPainter& p, int col, int row, const QRect& rect, unsigned state) {
    QColor bg = (state & GDS_Fixed) ? palette().color(QPalette::Button)
                : (state & GDS_Selected) ? palette().color(QPalette::Highlight)
                                         : palette().color(QPalette::Base);
    p.fillRect(rect, bg);
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
    p.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
}

void cuiGrid::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    const QRect damage = e->rect();
    const int vw = viewport()->width(), vh = viewport()->height();
    const bool focused = hasFocus();

    // Column and row spans that are on screen: fixed ones first, then scrolling ones from the
    // top-left cell until the viewport edge.
    struct Span { int index, pos, size; };
    std::vector<Span> cols, rows;
    int x = 0;
    for (int c = 0; c < fixedCols_ && x < vw; ++c) { cols.push_back({c, x, colW_[c]}); x += colW_[c]; }
    const int fixedRight = x;
    x -= leftOffset_;
    for (int c = leftCol_; c < ColCount() && x < vw; ++c) { cols.push_back({c, x, colW_[c]}); x += colW_[c]; }
    x = std::max(x, fixedRight);
    int y = 0;
    for (int r = 0; r < fixedRows_ && y < vh; ++r) { rows.push_back({r, y, rowH_[r]}); y += rowH_[r]; }
    for (int r = topRow_; r < RowCount() && y < vh; ++r) { rows.push_back({r, y, rowH_[r]}); y += rowH_[r]; }

    // Background beyond the last column and row.
    if (x < vw) p.fillRect(QRect(x, 0, vw - x, vh).intersected(damage), palette().color(QPalette::Window));
    if (y < vh) p.fillRect(QRect(0, y, std::min(x, vw), vh - y).intersected(damage), palette().color(QPalette::Window));

    for (const Span& rs : rows) {
        if (rs.size <= 0 || rs.pos > damage.bottom() || rs.pos + rs.size <= damage.top()) continue;
        for (const Span& cs : cols) {
            if (cs.size <= 0 || cs.pos > damage.right() || cs.pos + cs.size <= damage.left()) continue;
            QRect rect(cs.pos, rs.pos, cs.size, rs.size);
            unsigned state = 0;
            if (cs.index == col_ && rs.index == row_) state |= GDS_Selected;
            if (focused) state |= GDS_Focused;
            if (cs.index < fixedCols_ || rs.index < fixedRows_) state |= GDS_Fixed;
            p.save();
            // A column scrolled partly out to the left never paints over the fixed columns.
            p.setClipRect(cs.index < fixedCols_ ? rect : rect.intersected(QRect(fixedRight, 0, vw, vh)));
            if (onDrawCell)
                onDrawCell(p, cs.index, rs.index, rect, state);
            else
                DefaultDraw(p, cs.index, rs.index, rect, state);
            p.restore();
        }
    }
}

// --- Keys --------------------------------------------------------------------------------------

void cuiGrid::DefaultKeyDown(QKeyEvent* e) {
    int c = col_, r = row_;
    switch (e->key()) {
    case Qt::Key_Left: c = std::max(fixedCols_, c - 1); break;
    case Qt::Key_Right: c = std::min(ColCount() - 1, c + 1); break;
    case Qt::Key_Up: r = std::max(fixedRows_, r - 1); break;
    case Qt::Key_Down: r = std::min(RowCount() - 1, r + 1); break;
    case Qt::Key_PageUp: r = std::max(fixedRows_, r - std::max(1, VisibleRowCount())); break;
    case Qt::Key_PageDown: r = std::min(RowCount() - 1, r + std::max(1, VisibleRowCount())); break;
    case Qt::Key_Home: c = fixedCols_; break;
    case Qt::Key_End: c = ColCount() - 1; break;
    default: return;
    }
    SetCurrent(c, r);
}

void cuiGrid::keyPressEvent(QKeyEvent* e) {
    if (onKeyDown)
        onKeyDown(e);
    else
        DefaultKeyDown(e);
    if (onKeyPress && !e->text().isEmpty()) onKeyPress(e);
}

void cuiGrid::keyReleaseEvent(QKeyEvent* e) {
    if (onKeyUp) onKeyUp(e);
}

// --- Mouse -------------------------------------------------------------------------------------

void cuiGrid::DefaultMouseDown(QMouseEvent* e) {
    int c, r;
    if (e->button() == Qt::LeftButton && MouseToCell(e->position().toPoint(), c, r) && c >= fixedCols_ &&
        r >= fixedRows_)
        SetCurrent(c, r);
}

unsigned cuiGrid::DragDirections(const QPoint& pos) const {
    unsigned d = 0;
    if (pos.x() < 0) d |= GSD_Left;
    if (pos.x() >= viewport()->width()) d |= GSD_Right;
    if (pos.y() < 0) d |= GSD_Up;
    if (pos.y() >= viewport()->height()) d |= GSD_Down;
    return d;
}

void cuiGrid::mousePressEvent(QMouseEvent* e) {
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::LeftButton) dragging_ = true;
    if (onMouseDown)
        onMouseDown(e);
    else
        DefaultMouseDown(e);
}

void cuiGrid::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        dragging_ = false;
        if (timedScrollArmed_) {
            cmcTime().Disarm(this);
            timedScrollArmed_ = false;
        }
    }
    if (onMouseUp) onMouseUp(e);
}

void cuiGrid::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_) {
        dragDirs_ = DragDirections(e->position().toPoint());
        if (dragDirs_ && !timedScrollArmed_) {
            cmcTime().Arm(this, kTimedScrollMs);
            timedScrollArmed_ = true;
        } else if (!dragDirs_ && timedScrollArmed_) {
            cmcTime().Disarm(this);
            timedScrollArmed_ = false;
        }
    }
    if (onMouseMove) onMouseMove(e);
}

void cuiGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    if (onDoubleClick) onDoubleClick(e);
}

void cuiGrid::DefaultTimedScroll(unsigned d) {
    int c = col_, r = row_;
    if (d & GSD_Left) c = std::max(fixedCols_, c - 1);
    if (d & GSD_Right) c = std::min(ColCount() - 1, c + 1);
    if (d & GSD_Up) r = std::max(fixedRows_, r - 1);
    if (d & GSD_Down) r = std::min(RowCount() - 1, r + 1);
    SetCurrent(c, r);
}

void cuiGrid::OnTimerEvent() {
    if (!dragging_ || !dragDirs_) {
        cmcTime().Disarm(this);
        timedScrollArmed_ = false;
        return;
    }
    if (onTimedScroll)
        onTimedScroll(dragDirs_);
    else
        DefaultTimedScroll(dragDirs_);
}

// --- Focus -------------------------------------------------------------------------------------

void cuiGrid::focusInEvent(QFocusEvent* e) {
    if (onFocusGained) onFocusGained(e->reason());
    QAbstractScrollArea::focusInEvent(e);
    InvalidateCell(col_, row_);
}

void cuiGrid::focusOutEvent(QFocusEvent* e) {
    if (onFocusLost) onFocusLost(e->reason());
    QAbstractScrollArea::focusOutEvent(e);
    dragging_ = false;
    if (timedScrollArmed_) {
        cmcTime().Disarm(this);
        timedScrollArmed_ = false;
    }
    InvalidateCell(col_, row_);
}

bool cuiGrid::viewportEvent(QEvent* e) {
    if (e->type() == QEvent::ToolTip && onToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        int c, r;
        const QString tip = MouseToCell(help->pos(), c, r) ? onToolTip(c, r) : QString();
        if (tip.isEmpty()) {
            QToolTip::hideText();
            e->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, viewport(), CellRect(c, r));
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(e);
}

}  // namespace qx
