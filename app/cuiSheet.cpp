#include "app/cuiSheet.h"

#include "app/cuiGrid.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "app/cuiMenu.h"
#include "app/cuiSheetPaint.h"
#include "app/cuiSegPaint.h"
#include "cells/cmcCellScript.h"
#include "cells/cmcDispText.h"
#include "cells/cmcReasons.h"
#include "comm/indEnviron.h"
#include "env/cmcProgramEnv.h"
#include "image/indMain.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <tuple>

namespace qx {

namespace {

// Without a provider of its own, a sheet reads the main object's model type and working image and
// the user's font size.
cmcSheetContext DefaultContext() {
    cmcSheetContext ctx;
    if (indMain* main = indMain::Instance()) {
        ctx.modelType = main->ModelType();
        ctx.image = &main->WorkingImage();
    }
    ctx.fontPercent = static_cast<int>(Environ().FontSizePercentage);
    return ctx;
}

cuiSheet::ContextProvider& Provider() {
    static cuiSheet::ContextProvider provider;
    return provider;
}

bool Labelled(const cmcCellObj& c) { return c.label != kLabelNone; }

// The popup menu builder whose entries the Edit menu shows (the last one filled in), or null.
const cuiMenu* gMirrored = nullptr;

}  // namespace

void cuiSheet::SetContextProvider(ContextProvider provider) { Provider() = std::move(provider); }

// --- Life cycle --------------------------------------------------------------------------------

cuiSheet::cuiSheet(QWidget* host, const cmcCellRequest* opener, int initLabel, int initIndex, cmcGTex& store,
                   std::string key, QWidget* owner)
    : cuiSheet(host, opener, initLabel, initIndex, store, key, owner,
               std::make_unique<cmcSheetBuilder>(store, key, cmcSheetContext{})) {}

cuiSheet::cuiSheet(QWidget* host, const cmcCellRequest* opener, int initLabel, int initIndex, cmcGTex& store,
                   std::string key, QWidget* owner, std::unique_ptr<cmcSheetBuilder> builder)
    : builder_(std::move(builder)), host_(host), owner_(owner), store_(store), key_(std::move(key)), name_(key_),
      initLabel_(initLabel), initIndex_(initIndex), handler_(cmcDefaultCellHandler()) {
    if (opener) opener_ = *opener;
    // The program's cell handler runs this sheet's requests in an environment with the bank it shows.
    if (cmcProgramCellHandler::Is(handler_)) handler_ = cmcProgramCellHandler([this] { return ShownBank(); });
    EvMan().Register<&cuiSheet::OnEvent>(this);
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        connect(app, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { OnFocusMoved(now); });
}

cuiSheet::~cuiSheet() {
    if (repeatArmed_) cmcTime().Disarm(this);
    EvMan().UnregisterAll(this);
    building_ = true;  // nothing is drawn or handled while the widgets go
    if (grid_) DetachGrid();
    if (popupBuilder_) {
        popupClickDepth_ = 0;  // going away: the builder goes with the sheet
        DropPopupBuilder();
    }
    if (grid_) EvMan().Send(EVC_OwnerGone, grid_, 0);
    delete frame_;
}

void cuiSheet::SetParameter(const std::string& parameter) { builder_->SetParameter(parameter); }

void cuiSheet::SetPrinting(bool on, int marginUnit) {
    printing_ = on;
    marginUnit_ = std::max(1, marginUnit);
}

// --- Build -------------------------------------------------------------------------------------

void cuiSheet::Build() {
    building_ = true;
    cmcSheetContext ctx = hasCtx_ ? ctx_ : (Provider() ? Provider()() : DefaultContext());
    ctx.printing = printing_;
    ctx.marginUnit = printing_ ? marginUnit_ : 1;
    if (explicitFontHeight_) ctx.explicitFontHeight = explicitFontHeight_;
    builder_->Context() = ctx;
    cuiTextMeasure measure;
    builder_->Build(measure);
    const cmcSheetStyle& style = builder_->Style();

    if (grid_) DetachGrid();
    // The builder empties its menu when it goes: before the menu goes with the old grid.
    if (popupBuilder_) {
        popupClickDepth_ = 0;
        DropPopupBuilder();
    }
    delete frame_;
    frame_ = new QWidget(host_);
    auto* v = new QVBoxLayout(frame_);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    title_ = nullptr;
    if (style.title) {
        title_ = new QLabel(QString::fromStdString(*style.title), frame_);
        title_->setTextFormat(Qt::PlainText);
        title_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        title_->setLineWidth(2);
        title_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (style.titleFont) {
            // The title grows with the cells at the user's font size, as they do.
            QFont tf = cuiFont(*style.titleFont);
            const int percent = builder_->Context().explicitFontHeight ? 100 : builder_->Context().fontPercent;
            if (percent > 0 && percent != 100) {
                if (tf.pixelSize() > 0)
                    tf.setPixelSize(std::max(1, (tf.pixelSize() * percent + 50) / 100));
                else if (tf.pointSizeF() > 0)
                    tf.setPointSizeF(tf.pointSizeF() * percent / 100.0);
            }
            title_->setFont(tf);
            QPalette tp = title_->palette();
            tp.setColor(QPalette::WindowText, cuiColour(style.titleFont->colour));
            title_->setPalette(tp);
        }
        title_->setAutoFillBackground(true);
        QPalette tp = title_->palette();
        tp.setColor(QPalette::Window, cuiColour(style.titleColour));
        title_->setPalette(tp);
        title_->setFixedHeight(QFontMetrics(title_->font()).height() + 2 + 8);
        v->addWidget(title_);
    }
    gridPanel_ = new QFrame(frame_);
    auto* gl = new QVBoxLayout(gridPanel_);
    if (dropDown_) {
        gridPanel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
        gridPanel_->setLineWidth(1);
        gl->setContentsMargins(2, 2, 2, 2);
    } else {
        gridPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        gridPanel_->setLineWidth(2);
        gl->setContentsMargins(0, 0, 0, 0);
    }
    v->addWidget(gridPanel_, 1);
    grid_ = new cuiGrid(gridPanel_);
    gl->addWidget(grid_);
    QPalette gp = grid_->palette();
    gp.setColor(QPalette::Window, cuiColour(builder_->BasicCell().colour));
    gp.setColor(QPalette::Base, cuiColour(builder_->BasicCell().colour));
    grid_->setPalette(gp);
    grid_->setFont(cuiFont(builder_->BasicFont()));
    popup_ = new QMenu(grid_);
    editor_ = nullptr;
    ApplyGridShape();

    grid_->SetCurrent(0, 0, false);
    movingByProgram_ = true;
    MoveCursor(0, 1);
    MoveCursor(0, -1);
    MoveCursor(1, 0);
    MoveCursor(-1, 0);
    movingByProgram_ = false;
    InstallHandlers();

    if (!host_->layout()) {
        auto* hl = new QVBoxLayout(host_);
        hl->setContentsMargins(0, 0, 0, 0);
    }
    host_->layout()->addWidget(frame_);
    frame_->show();

    const int cols = builder_->ColCount(), rows = builder_->RowCount();
    bool restored = false;
    if (saved_.col >= 0 && saved_.row >= 0 && saved_.col < cols && saved_.row < rows &&
        builder_->Cell(saved_.col, saved_.row).Selectable()) {
        grid_->SetCurrent(saved_.col, saved_.row, false);
        lastCol_ = saved_.col;
        lastRow_ = saved_.row;
        if (saved_.leftCol >= 0 && saved_.topRow >= 0 && saved_.leftCol < cols && saved_.topRow < rows)
            grid_->SetTopLeft(saved_.leftCol, saved_.topRow);
        restored = true;
    }
    if (!restored && initLabel_ != kLabelNone) {
        for (int r = 0; r < rows && !restored; ++r)
            for (int c = 0; c < cols; ++c) {
                const cmcCellObj& cell = builder_->Cell(c, r);
                if (cell.Selectable() && cell.label == initLabel_ && cell.index == initIndex_) {
                    grid_->SetCurrent(c, r, false);
                    lastCol_ = c;
                    lastRow_ = r;
                    restored = true;
                    break;
                }
            }
    }
    if (!CurrentCell().Selectable()) grid_->setEnabled(false);
    // The cursor's first resting place marked its cell; a restored position moved on from there
    // without a selection step, so the marks start afresh at the cell the sheet opens on.
    ClearMultiSelection();
    building_ = false;
    grid_->InvalidateAll();
    UpdatePopupMenu(false);
}

void cuiSheet::ApplyGridShape() {
    const int cols = builder_->ColCount(), rows = builder_->RowCount();
    grid_->SetColCount(cols);
    grid_->SetRowCount(rows);
    for (int c = 0; c < cols; ++c) grid_->SetColWidth(c, builder_->ColWidth(c));
    for (int r = 0; r < rows; ++r) grid_->SetRowHeight(r, builder_->RowHeight(r));
    grid_->SetFixedCols(builder_->FixedCols());
    grid_->SetFixedRows(builder_->FixedRows());
}

void cuiSheet::DetachGrid() {
    grid_->onDrawCell = nullptr;
    grid_->onSelectCell = nullptr;
    grid_->onKeyDown = nullptr;
    grid_->onKeyUp = nullptr;
    grid_->onKeyPress = nullptr;
    grid_->onMouseDown = nullptr;
    grid_->onMouseUp = nullptr;
    grid_->onMouseMove = nullptr;
    grid_->onDoubleClick = nullptr;
    grid_->onTimedScroll = nullptr;
    grid_->onFocusGained = nullptr;
    grid_->onFocusLost = nullptr;
    if (editor_) editor_->removeEventFilter(this);
}

void cuiSheet::InstallHandlers() {
    grid_->onDrawCell = [this](QPainter& p, int c, int r, const QRect& rect, unsigned s) { DrawCell(p, c, r, rect, s); };
    grid_->onSelectCell = [this](int c, int r) {
        return builder_->InGrid(c, r) && c >= builder_->FixedCols() && r >= builder_->FixedRows() &&
               builder_->Cell(c, r).Selectable();
    };
    grid_->onKeyDown = [this](QKeyEvent* e) { OnKeyDown(e); };
    grid_->onKeyUp = [](QKeyEvent*) {};
    grid_->onKeyPress = [this](QKeyEvent* e) { OnKeyPress(e); };
    grid_->onMouseDown = [this](QMouseEvent* e) { OnMouseDown(e); };
    grid_->onMouseUp = [this](QMouseEvent* e) { OnMouseUp(e); };
    grid_->onMouseMove = [this](QMouseEvent* e) { OnMouseMove(e); };
    grid_->onDoubleClick = [this](QMouseEvent* e) { OnDoubleClick(e); };
    grid_->onTimedScroll = [this](unsigned d) { OnTimedScroll(d); };
    grid_->onToolTip = [this](int c, int r) {
        std::string tip = ToolTipAt(c, r);
        if (auto it = changeMarks_.find({c, r}); it != changeMarks_.end()) tip += (tip.empty() ? "" : "\n") + it->second;
        return QString::fromStdString(tip);
    };
    grid_->onFocusGained = [this](Qt::FocusReason reason) {
        grid_->InvalidateAll();
        // Back from a menu (the popup menu or the menu bar) whose entries are this sheet's: they
        // stay, so that the entry picked there runs once the menu has closed. Otherwise the popup
        // menu is built afresh and mirrored into the Edit menu.
        const bool fromMenu = reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason;
        UpdatePopupMenu(!(fromMenu && popupBuilder_ && gMirrored == popupBuilder_.get()));
    };
    grid_->onFocusLost = [this](Qt::FocusReason reason) {
        grid_->InvalidateAll();
        // Opening a menu (the popup menu, the menu bar, Alt) keeps the popup menu: the entry picked
        // there must still run. Where the focus goes from the menu decides later (OnFocusMoved).
        // The in-place editor taking the focus keeps it too.
        if (reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason || QApplication::activePopupWidget())
            return;
        if (editor_ && QApplication::focusWidget() == editor_) return;
        DropPopupBuilder();
    };
}

// --- Queries -----------------------------------------------------------------------------------

int cuiSheet::Col() const { return grid_ ? grid_->Col() : 0; }
int cuiSheet::Row() const { return grid_ ? grid_->Row() : 0; }

cmcCellObj& cuiSheet::CurrentCell() { return builder_->Cell(Col(), Row()); }

cuiSheetPos cuiSheet::Position() const {
    if (!grid_) return {};
    return {grid_->Col(), grid_->Row(), grid_->LeftCol(), grid_->TopRow()};
}

bool cuiSheet::EditorShowing() const { return editor_ && editor_->isVisible(); }

int cuiSheet::FullWidth() const {
    int w = 0;
    for (int c = 0; c < builder_->ColCount(); ++c) w += builder_->ColWidth(c);
    if (!grid_) return w;
    int overhead = 2 * gridPanel_->frameWidth() + gridPanel_->layout()->contentsMargins().left() +
                   gridPanel_->layout()->contentsMargins().right();
    if (grid_->ScrollBars() != cuiGridScrollBars::None)
        overhead += grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid_);
    if (auto* f = qobject_cast<QFrame*>(host_)) overhead += 2 * f->frameWidth();
    return w + overhead;
}

int cuiSheet::FullHeight() const {
    int h = 0;
    for (int r = 0; r < builder_->RowCount(); ++r) h += builder_->RowHeight(r);
    if (!grid_) return h;
    int overhead = 2 * gridPanel_->frameWidth() + gridPanel_->layout()->contentsMargins().top() +
                   gridPanel_->layout()->contentsMargins().bottom();
    if (title_) overhead += title_->height();
    if (grid_->ScrollBars() == cuiGridScrollBars::Both)
        overhead += grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid_);
    if (auto* f = qobject_cast<QFrame*>(host_)) overhead += 2 * f->frameWidth();
    return h + overhead;
}

bool cuiSheet::SelectByIdentity(int category, int label, int index) {
    for (int r = 0; r < builder_->RowCount(); ++r)
        for (int c = 0; c < builder_->ColCount(); ++c) {
            const cmcCellObj& cell = builder_->Cell(c, r);
            if (cell.Selectable() && cell.category == category && cell.label == label && cell.index == index)
                return SelectCell(c, r);
        }
    return false;
}

int cuiSheet::TrailingOwner(int col, int row) {
    // A trailing cell belongs to the nearest selectable cell to its left, over other trailing cells.
    for (int c = col - 1; c >= 0; --c) {
        const cmcCellObj& cell = builder_->Cell(c, row);
        if (cell.Selectable()) return c;
        if (!cell.Trailing()) return -1;
    }
    return -1;
}

bool cuiSheet::IsSelected(int col, int row) {
    if (col == Col() && row == Row()) return true;
    const clsSheetCellId& id = builder_->Id(col, row);
    if ((id.bits & clsSheetCellId::RowSelectable) &&
        (id.bits & (clsSheetCellId::SelectedCell | clsSheetCellId::SelectedLine)))
        return true;
    return id.cell->Trailing() && row == Row() && TrailingOwner(col, row) >= 0;
}

// --- Drawing -----------------------------------------------------------------------------------

namespace {

void DrawMark(QPainter& p, const QRect& box, bool error) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (error) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xD0, 0x10, 0x10));
        p.drawEllipse(box);
        p.setPen(QPen(Qt::white, std::max(1, box.width() / 6)));
        int m = box.width() / 4;
        p.drawLine(box.left() + m, box.top() + m, box.right() - m, box.bottom() - m);
        p.drawLine(box.right() - m, box.top() + m, box.left() + m, box.bottom() - m);
    } else {
        QPolygon tri;
        tri << QPoint(box.center().x(), box.top()) << box.bottomRight() << box.bottomLeft();
        p.setPen(QColor(0x80, 0x60, 0x00));
        p.setBrush(QColor(0xFF, 0xD0, 0x20));
        p.drawPolygon(tri);
        p.setPen(Qt::black);
        p.drawLine(box.center().x(), box.top() + box.height() / 3, box.center().x(), box.bottom() - box.height() / 4);
    }
    p.restore();
}

// A changed cell of a comparison: a blue triangle in the top right corner, clear of the warning
// and error marks beside the text.
void DrawChangeMark(QPainter& p, const QRect& rect) {
    const int size = std::max(5, std::min(rect.height() / 2, 11));
    QPolygon tri;
    tri << QPoint(rect.right() - size, rect.top()) << QPoint(rect.right(), rect.top())
        << QPoint(rect.right(), rect.top() + size);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(QRgb(cuiSheet::kChangeMarkRgb)));
    p.drawPolygon(tri);
    p.restore();
}

// The characters of a cell drawn as a picture, as text nobody sees: a fully transparent pen still
// puts the text into a PDF (searchable, copyable) without covering the picture.
void DrawPictureText(QPainter& p, const QRect& rect, const std::string& text, const cmcFont& font, int m) {
    p.save();
    p.setFont(cuiFont(font));
    p.setPen(QColor(0, 0, 0, 0));
    p.drawText(rect.adjusted(4 * m, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
               QString::fromStdString(text));
    p.restore();
}

}  // namespace

void cuiSheet::DrawCell(QPainter& p, int col, int row, const QRect& cellRect, unsigned) {
    if (building_ || !builder_->Built() || !builder_->InGrid(col, row)) return;
    if (builder_->ColWidth(col) <= 0 || builder_->RowHeight(row) <= 0) return;
    const int m = printing_ ? marginUnit_ : 1;

    // A cell joined to the left shows the content of the nearest cell to its left that is not
    // joined, drawn over the whole span.
    int cc = col;
    QRect rect = cellRect;
    while (cc > 0 && builder_->Cell(cc, row).JoinedLeft()) {
        --cc;
        rect.setLeft(rect.left() - builder_->ColWidth(cc));
    }
    cmcCellObj& cell = builder_->Cell(cc, row);
    const bool selected = !printing_ && IsSelected(cc, row);
    const bool editing = EditorShowing() && cc == editorCol_ && row == editorRow_;

    uint32_t bg = cell.colour;
    bool whiteText = false;
    if (printing_) {
        if (bg == clWindow || bg == 0x00FFFFFF) {
            bg = 0x00FFFFFF;
        } else {
            bg = 0x00606060;
            whiteText = true;
        }
    } else if (selected && !editing) {
        bg = (grid_->hasFocus() || dropDown_) ? clHighlight : clBtnFace;
    }
    if (!printing_ || bg != 0x00FFFFFF) p.fillRect(rect, cuiColour(bg));

    if (cell.BottomLine()) {
        uint32_t line = (cell.colour == clWindow || cell.colour == 0x00FFFFFF) ? 0x00808080 : 0x00FFFFFF;
        if (printing_) line = 0;
        p.setPen(cuiColour(line));
        p.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    }

    const cmcFont* own = cell.EffectiveFont();
    cmcFont font = own ? *own : builder_->BasicFont();
    uint32_t textColour = font.colour;
    if (bg == clHighlight) {
        textColour = clHighlightText;
    } else if (selected && bg == clBtnFace &&
               (textColour == clBtnFace || textColour == 0x00C0C0C0 || textColour == clGrayText)) {
        textColour = clWindow;
    }
    if (printing_) textColour = whiteText ? 0x00FFFFFF : 0;

    std::string text;
    uint8_t flags = 0;
    uint8_t markPos = CMP_ByStyle;
    cmcCellPaint paint;
    paint.left = rect.left();
    paint.top = rect.top();
    paint.right = rect.left() + rect.width();
    paint.bottom = rect.top() + rect.height();
    paint.selected = selected;
    paint.printing = printing_;
    if (Labelled(cell) && handler_ && !builder_->PlaceholderRow(row)) {
        cmcCellRequest req;
        req.owner = owner_;
        req.grid = grid_;
        req.cell = &cell;
        req.canvas = &p;
        req.paint = &paint;
        req.sheet = this;
        req.isCurrent = cc == Col() && row == Row();
        if (req.isCurrent) req.resultFlags |= CRF_Current;
        p.save();
        handler_(req);
        p.restore();
        text = req.display;
        flags = req.resultFlags;
        markPos = req.markPos;
        if (paint.textColorSet && !printing_) textColour = paint.textColor;
        if (paint.fillSet)
            p.fillRect(QRect(paint.fillLeft, paint.fillTop, paint.fillRight - paint.fillLeft, paint.fillBottom - paint.fillTop),
                       cuiColour(paint.fillColor));
        if (printing_ && !paint.pictureText.empty()) DrawPictureText(p, rect, paint.pictureText, font, m);
    } else if (!Labelled(cell) || !builder_->PlaceholderRow(row)) {
        // The placeholder row of an empty bank shows nothing: its own texts would number the next
        // bank's first channel.
        text = cell.Text();
    }

    QFont qf = cuiFont(font);
    p.setFont(qf);
    QFontMetrics fm(qf);
    std::vector<std::string> lines = SplitCellLines(text);
    const int lineH = fm.height();
    const int total = lineH * static_cast<int>(lines.size());
    int y;
    switch (cell.VAlign()) {
    case VA_Centre: y = rect.top() + (rect.height() + 1 - total) / 2; break;
    case VA_Bottom: y = rect.top() + rect.height() - total - m; break;
    default: y = rect.top() + m; break;
    }
    p.setPen(cuiColour(textColour));
    int textRight = rect.left();
    if (paint.segCount > 0) {
        // Centred cells (the characters of a picker) centre the characters; the others draw them
        // from the left as the radio's display does.
        QRect segRect = rect;
        if (cell.HAlign() == HA_Centre) {
            const int used = SegTextWidth(DisplayGeometry(), rect.width(), rect.height(), paint.segCount,
                                          paint.segPerLine, paint.segLines);
            segRect.translate(std::max(0, (rect.width() - used) / 2), 0);
        }
        cuiDrawSegText(p, segRect, paint.segBytes, paint.segCount, paint.segPerLine, paint.segLines, paint.segUser,
                       cuiColour(textColour));
        textRight = rect.left() + rect.width() * std::min(paint.segCount, paint.segPerLine) / paint.segPerLine;
    }
    for (const std::string& l : lines) {
        QString q = QString::fromStdString(l);
        int w = fm.horizontalAdvance(q);
        int x;
        switch (cell.HAlign()) {
        case HA_Centre: x = rect.left() + (rect.width() + 1 - w) / 2; break;
        case HA_Right: x = rect.left() + rect.width() - w - 4 * m + 1; break;
        default: x = rect.left() + 4 * m; break;
        }
        p.drawText(QRect(x, y, std::max(w, 1) + 1, lineH), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, q);
        textRight = std::max(textRight, x + w);
        y += lineH;
    }

    if (flags & (CRF_Error | CRF_Warning)) {
        int size = printing_ ? rect.height() / 2 : std::min(rect.height() - 2, std::max(8, lineH - 2));
        size = std::max(size, 4);
        bool left = markPos == CMP_Left || (markPos == CMP_ByStyle && cell.HAlign() == HA_Right);
        int x = left ? rect.left() + 1 : std::min(textRight + 2, rect.left() + rect.width() - size - 1);
        QRect box(x, rect.top() + (rect.height() - size) / 2, size, size);
        DrawMark(p, box, flags & CRF_Error);
    }
    if (!printing_ && changeMarks_.count({cc, row})) DrawChangeMark(p, rect);
    // Among several selected rows the cursor's cell carries a frame, as in a spreadsheet: it is the
    // column an edit of the selection goes to.
    if (selected && !editing && !dropDown_ && cc == Col() && row == Row() && SelectedRows().size() >= 2) {
        p.save();
        p.setPen(QPen(cuiColour(grid_->hasFocus() ? clHighlightText : clHighlight), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect.adjusted(1, 1, -2, -2));
        p.restore();
    }
}

void cuiSheet::SetChangeMarks(ChangeMarks marks) {
    if (marks == changeMarks_) return;
    changeMarks_ = std::move(marks);
    if (grid_) grid_->InvalidateAll();
}

// --- Cursor ------------------------------------------------------------------------------------

bool cuiSheet::FindStep(int dx, int dy, bool wrap, int& c, int& r) {
    const int cols = builder_->ColCount(), rows = builder_->RowCount();
    const int fc = builder_->FixedCols(), fr = builder_->FixedRows();
    const int startC = Col(), startR = Row();
    c = startC;
    r = startR;
    for (int guard = 0; guard <= cols * rows; ++guard) {
        c += dx;
        r += dy;
        if (wrap) {
            c = ((c % cols) + cols) % cols;
            r = ((r % rows) + rows) % rows;
            if (c == startC && r == startR) return false;
        } else if (c < 0 || r < 0 || c >= cols || r >= rows) {
            return false;
        }
        if (c >= fc && r >= fr && builder_->Cell(c, r).Selectable()) return true;
    }
    return false;
}

bool cuiSheet::MoveCursor(int dx, int dy, bool extend, bool single) {
    if (!grid_ || (dx == 0 && dy == 0)) return false;
    const int cols = builder_->ColCount(), rows = builder_->RowCount();
    const int fc = builder_->FixedCols(), fr = builder_->FixedRows();
    bool wrap = single && dropDown_ && grid_->ScrollBars() == cuiGridScrollBars::None;
    int c, r;
    bool found = FindStep(dx, dy, wrap, c, r);
    if (!found && !dropDown_) {
        // The next column (row) in the direction holding a selectable cell, nearest to where the
        // last movement ended; the lower index wins a tie.
        const bool across = dx != 0;
        const int step = across ? dx : dy;
        const int lines = across ? cols : rows, firstLine = across ? fc : fr;
        const int cellsPerLine = across ? rows : cols, firstCell = across ? fr : fc;
        const int last = across ? lastRow_ : lastCol_;
        for (int line = (across ? Col() : Row()) + step; !found && line >= 0 && line < lines; line += step) {
            if (line < firstLine) continue;
            int best = -1;
            for (int k = firstCell; k < cellsPerLine; ++k)
                if (builder_->Cell(across ? line : k, across ? k : line).Selectable() &&
                    (best < 0 || std::abs(k - last) < std::abs(best - last)))
                    best = k;
            if (best >= 0) {
                c = across ? line : best;
                r = across ? best : line;
                found = true;
            }
        }
    }
    if (!found) return false;
    int oldC = Col(), oldR = Row();
    grid_->SetCurrent(c, r, false);
    lastCol_ = c;
    lastRow_ = r;
    if (c <= builder_->FirstSelectableCol()) grid_->SetTopLeft(fc, grid_->TopRow());
    if (r <= builder_->FirstSelectableRow()) grid_->SetTopLeft(grid_->LeftCol(), fr);
    AfterMove(oldC, oldR, extend);
    return true;
}

bool cuiSheet::SelectCell(int col, int row, bool extend, bool byMouse) {
    if (!grid_ || !builder_->InGrid(col, row)) return false;
    if (col < builder_->FixedCols() || row < builder_->FixedRows()) return false;
    if (!builder_->Cell(col, row).Selectable()) return false;
    if (byMouse && multiShown_ && !extend && !(builder_->Id(col, row).bits & clsSheetCellId::RowSelectable))
        return false;
    int oldC = Col(), oldR = Row();
    grid_->SetCurrent(col, row, false);
    lastCol_ = col;
    lastRow_ = row;
    AfterMove(oldC, oldR, extend);
    return true;
}

bool cuiSheet::ClearStatus() {
    // A refusal met while the editor closed stays through the move that closed it (Up, Down, a
    // click on another cell); the next key or selection clears it.
    if (!keptRefusal_.empty()) {
        ShowStatus(keptRefusal_, true);
        return true;
    }
    EvMan().Send(EVC_StatusText, static_cast<int>(clWindowText), static_cast<int32_t>(clBtnFace), std::string_view(""));
    return false;
}

void cuiSheet::ShowStatus(const std::string& text, bool alarm) { ShowStatusText(text, alarm); }

void cuiSheet::ShowRefusal(const std::string& why) {
    if (why.empty()) return;
    ShowStatus(why, true);
    keptRefusal_ = why;
    QTimer::singleShot(0, this, [this] { keptRefusal_.clear(); });
}

bool cuiSheet::RefreshAt(int& col, int row, cmcCellRequest& req) {
    if (!grid_ || !builder_->InGrid(col, row) || builder_->PlaceholderRow(row)) return false;
    // A trailing cell ("+") shows the cell it belongs to.
    while (col > 0 && builder_->Cell(col, row).JoinedLeft()) --col;
    cmcCellObj& cell = builder_->Cell(col, row);
    if (!Labelled(cell) || !handler_) return false;
    req.owner = owner_;
    req.grid = grid_;
    req.cell = &cell;
    req.sheet = this;
    req.action = CA_Refresh;
    handler_(req);
    return true;
}

namespace {

std::string MarkOf(const cmcCellRequest& req, bool* error) {
    if (!(req.resultFlags & (CRF_Error | CRF_Warning)) || req.markReason.empty()) return {};
    if (error) *error = req.resultFlags & CRF_Error;
    return MarkText(req.resultFlags & CRF_Error, req.markReason);
}

}  // namespace

std::string cuiSheet::MarkTextAt(int col, int row, bool* error) {
    cmcCellRequest req;
    return RefreshAt(col, row, req) ? MarkOf(req, error) : std::string();
}

std::string cuiSheet::ToolTipAt(int col, int row) {
    if (!grid_ || !builder_->InGrid(col, row) || builder_->PlaceholderRow(row)) return {};
    // One refresh gives both the mark's text, which comes first, and the cell's text.
    cmcCellRequest req;
    std::string text;
    if (RefreshAt(col, row, req)) {
        if (std::string mark = MarkOf(req, nullptr); !mark.empty()) return mark;
        text = req.display;
    } else if (!Labelled(builder_->Cell(col, row))) {
        text = builder_->Cell(col, row).Text();
    }
    cmcCellObj& cell = builder_->Cell(col, row);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    if (text.empty()) return {};
    // The width the cell draws in: its column and the trailing columns joined to it.
    int width = grid_->ColWidth(col);
    for (int c = col + 1; c < builder_->ColCount() && builder_->Cell(c, row).JoinedLeft(); ++c)
        width += grid_->ColWidth(c);
    const cmcFont* own = cell.EffectiveFont();
    const QFontMetrics fm(cuiFont(own ? *own : builder_->BasicFont()));
    int widest = 0;
    for (const QString& line : QString::fromStdString(text).split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest + 4 > width ? text : std::string();
}

void cuiSheet::AfterMove(int oldC, int oldR, bool extend) {
    const int c = Col(), r = Row();
    if (!building_ && !movingByProgram_) {
        // A cell with a warning or error mark says why in the status bar once it is current.
        bool error = false;
        if (!ClearStatus())
            if (const std::string mark = MarkTextAt(c, r, &error); !mark.empty()) ShowStatus(mark, error);
        if (c != oldC || r != oldR) {
            const cmcCellObj& cell = builder_->Cell(c, r);
            int32_t id[3] = {cell.category, cell.label, cell.index};
            EvMan().Send(EVC_CurrentCellChanged, 0, 0, id, sizeof id);
        }
    }
    if (builder_->Style().multiSelect != MS_None) {
        const int cols = builder_->ColCount(), rows = builder_->RowCount();
        auto rowSel = [&](int cc, int rr) {
            return builder_->InGrid(cc, rr) && (builder_->Id(cc, rr).bits & clsSheetCellId::RowSelectable);
        };
        auto clearAll = [&] {
            for (int rr = 0; rr < rows; ++rr)
                for (int cc = 0; cc < cols; ++cc)
                    builder_->Id(cc, rr).bits &= ~(clsSheetCellId::SelectedCell | clsSheetCellId::SelectedLine);
        };
        if (extend && rowSel(oldC, oldR) && rowSel(c, r)) {
            if (anchorCol_ < 0) {
                anchorCol_ = oldC;
                anchorRow_ = oldR;
            }
            clearAll();
            int c0 = std::min(anchorCol_, c), c1 = std::max(anchorCol_, c);
            int r0 = std::min(anchorRow_, r), r1 = std::max(anchorRow_, r);
            for (int rr = r0; rr <= r1; ++rr)
                for (int cc = c0; cc <= c1; ++cc)
                    if (builder_->Cell(cc, rr).Selectable()) builder_->Id(cc, rr).bits |= clsSheetCellId::SelectedCell;
            if (builder_->Style().multiSelect == MS_Line) {
                for (int rr = r0; rr <= r1; ++rr) {
                    bool any = false;
                    for (int cc = 0; cc < cols && !any; ++cc)
                        any = builder_->Id(cc, rr).bits & clsSheetCellId::SelectedCell;
                    if (any)
                        for (int cc = builder_->FixedCols(); cc < cols; ++cc)
                            builder_->Id(cc, rr).bits |= clsSheetCellId::SelectedLine;
                }
            }
            multiShown_ = anchorCol_ != c || anchorRow_ != r;
        } else if (!extend && multiShown_ && builder_->Style().multiSelect == MS_Line && r == oldR && c != oldC &&
                   (builder_->Id(c, r).bits & clsSheetCellId::SelectedLine)) {
            // Whole rows are selected: moving along a selected row keeps them, so that the column to
            // edit in every row can be chosen after the rows.
            anchorCol_ = c;
        } else if (!extend || !multiShown_) {
            clearAll();
            anchorCol_ = c;
            anchorRow_ = r;
            builder_->Id(c, r).bits |= clsSheetCellId::SelectedCell;
            multiShown_ = false;
        }
        grid_->InvalidateAll();
    } else if (c != oldC || r != oldR) {
        // Trailing cells of the old and the new row follow the cursor.
        grid_->InvalidateAll();
    }
    if (!building_) UpdatePopupMenu(false);
}

void cuiSheet::ClearMultiSelection() {
    if (builder_->Style().multiSelect == MS_None || !grid_) return;
    for (int r = 0; r < builder_->RowCount(); ++r)
        for (int c = 0; c < builder_->ColCount(); ++c)
            builder_->Id(c, r).bits &= ~(clsSheetCellId::SelectedCell | clsSheetCellId::SelectedLine);
    anchorCol_ = Col();
    anchorRow_ = Row();
    builder_->Id(Col(), Row()).bits |= clsSheetCellId::SelectedCell;
    multiShown_ = false;
    grid_->InvalidateAll();
}

// --- Keys and mouse ----------------------------------------------------------------------------

void cuiSheet::OnKeyDown(QKeyEvent* e) {
    ClearStatus();
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    switch (e->key()) {
    case Qt::Key_Left:
        if (!MoveCursor(-1, 0, shift)) RunOperation(CA_KeyLeft);
        break;
    case Qt::Key_Right:
        if (!MoveCursor(1, 0, shift)) RunOperation(CA_KeyRight);
        break;
    case Qt::Key_Up:
        if (!ctrl) MoveCursor(0, -1, shift);
        break;
    case Qt::Key_Down:
        if (!ctrl) MoveCursor(0, 1, shift);
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        int dy = e->key() == Qt::Key_PageUp ? -1 : 1;
        for (int i = 0; i < 10; ++i) MoveCursor(0, dy, shift, false);
        break;
    }
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        // Tab and Shift+Tab step right and left as in a spreadsheet; at the edge nothing happens.
        MoveCursor(e->key() == Qt::Key_Backtab || shift ? -1 : 1, 0);
        break;
    case Qt::Key_Escape:
        if (onEscape) onEscape();
        break;
    case Qt::Key_Menu:
        // The keyboard's menu key opens the popup menu of the current cell over the cell.
        if (!popup_->actions().isEmpty() && !printing_)
            popup_->popup(grid_->viewport()->mapToGlobal(grid_->CellRect(Col(), Row()).center()));
        break;
    default:
        if (e->key() >= Qt::Key_F1 && e->key() <= Qt::Key_F12) RunOperation(CA_KeyF(1 + e->key() - Qt::Key_F1));
        break;
    }
}

void cuiSheet::OnKeyPress(QKeyEvent* e) {
    QString t = e->text();
    if (t.isEmpty()) return;
    int ch = t.at(0).unicode();
    if (ch == 27) return;  // Esc: handled as a key down
    if (ch == '\t' || e->key() == Qt::Key_Backtab) return;  // Tab moves the cursor (key down)
    // In a chooser, typed digits, letters and points pick the matching item.
    if (dropDown_ && ch > ' ' && ch < 127 && !EditorShowing() && TypeAhead(static_cast<char>(ch))) return;
    RunOperation(ch);
}

bool cuiSheet::TypeAhead(char ch) {
    auto matches = [](std::string text, const std::string& typed) {
        if (text.compare(0, typed.size(), typed) == 0) return true;
        if (typed.find('.') != std::string::npos) return false;
        text.erase(std::remove(text.begin(), text.end(), '.'), text.end());
        return text.compare(0, typed.size(), typed) == 0;
    };
    auto find = [&](const std::string& typed) {
        for (int r = 0; r < builder_->RowCount(); ++r)
            for (int c = 0; c < builder_->ColCount(); ++c) {
                const cmcCellObj& item = builder_->Cell(c, r);
                if (item.Selectable() && matches(item.Text(), typed)) return std::pair{c, r};
            }
        return std::pair{-1, -1};
    };
    typed_ += ch;
    auto [c, r] = find(typed_);
    if (c < 0) {
        typed_.assign(1, ch);
        std::tie(c, r) = find(typed_);
    }
    if (c < 0) {
        typed_.clear();
        return false;
    }
    if (c != Col() || r != Row()) SelectCell(c, r);
    return true;
}

void cuiSheet::OnMouseDown(QMouseEvent* e) {
    int c, r;
    if (!grid_->MouseToCell(e->position().toPoint(), c, r)) return;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    if (e->button() == Qt::LeftButton && builder_->Style().multiSelect != MS_None && r >= builder_->FixedRows() &&
        (ctrl || c < builder_->FixedCols())) {
        // A row's header selects the row (Shift: from the anchor to it); Ctrl+click on the header
        // or on a cell adds the row to the selection or takes it out.
        if (ctrl) {
            ToggleRow(r);
        } else if (const int tc = HeaderTargetCol(r); tc >= 0) {
            mouseHeld_ = true;
            SelectCell(tc, r, shift, true);
        }
        return;
    }
    if (e->button() == Qt::LeftButton) {
        mouseHeld_ = true;
        // A trailing cell belongs to its owner (a value drawn over joined cells): a click anywhere
        // on it selects the owner; other unselectable cells change nothing.
        if (!builder_->Cell(c, r).Selectable() && builder_->Cell(c, r).Trailing() && TrailingOwner(c, r) >= 0)
            c = TrailingOwner(c, r);
        SelectCell(c, r, shift, true);
    } else if (e->button() == Qt::RightButton) {
        int target = builder_->Cell(c, r).Selectable() ? c : (builder_->Cell(c, r).Trailing() ? TrailingOwner(c, r) : -1);
        bool ok = false;
        if (target >= 0) {
            const clsSheetCellId& id = builder_->Id(target, r);
            bool inSelection = multiShown_ && (id.bits & (clsSheetCellId::SelectedCell | clsSheetCellId::SelectedLine));
            ok = inSelection ? true : SelectCell(target, r, false, true);
        }
        if ((ok || multiShown_) && !popup_->actions().isEmpty() && !printing_)
            popup_->popup(grid_->viewport()->mapToGlobal(e->position().toPoint()));
    }
}

void cuiSheet::OnMouseUp(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    mouseHeld_ = false;
    int c, r;
    if (dropDown_ && grid_->MouseToCell(e->position().toPoint(), c, r) && c == Col() && r == Row())
        RunOperation(CA_Commit);
}

void cuiSheet::OnMouseMove(QMouseEvent* e) {
    int c, r;
    if (!grid_->MouseToCell(e->position().toPoint(), c, r)) return;
    if (c == Col() && r == Row()) return;
    if (dropDown_) {
        if (!EditorShowing()) SelectCell(c, r, false, true);
    } else if (mouseHeld_ && (e->buttons() & Qt::LeftButton)) {
        // Dragging down the row headers selects whole rows in the cursor's column.
        if (c < builder_->FixedCols() && r >= builder_->FixedRows()) c = HeaderTargetCol(r);
        if (c >= 0) SelectCell(c, r, true, true);
    }
}

void cuiSheet::OnDoubleClick(QMouseEvent* e) {
    int c, r;
    if (!grid_->MouseToCell(e->position().toPoint(), c, r)) return;
    if (!builder_->Cell(c, r).Selectable() && builder_->Cell(c, r).Trailing() && TrailingOwner(c, r) >= 0)
        c = TrailingOwner(c, r);
    if (c == Col() && r == Row() && builder_->Cell(c, r).Selectable()) RunOperation(CA_Commit);
}

void cuiSheet::OnTimedScroll(unsigned d) {
    int dx = (d & GSD_Left) ? -1 : (d & GSD_Right) ? 1 : 0;
    int dy = (d & GSD_Up) ? -1 : (d & GSD_Down) ? 1 : 0;
    if (dx) MoveCursor(dx, 0, true);
    if (dy) MoveCursor(0, dy, true);
}

// --- In-place editor ---------------------------------------------------------------------------

void cuiSheet::OpenEditor(const std::string& text, int selStart, int selLength) {
    if (!grid_) return;
    QRect rect = grid_->CellRect(Col(), Row());
    if (rect.width() < 1 || rect.height() <= 1) return;
    // The text typed for every selected row is edited in the cursor's cell; the rows stay marked.
    if (!bulkPending_) ClearMultiSelection();
    if (!editor_) {
        editor_ = new QLineEdit(grid_->viewport());
        editor_->setFrame(false);
        editor_->setMaxLength(1024);
        editor_->installEventFilter(this);
    }
    const cmcCellObj& cell = CurrentCell();
    const cmcFont* own = cell.EffectiveFont();
    QFont f = cuiFont(own ? *own : builder_->BasicFont());
    editor_->setFont(f);
    int lineH = QFontMetrics(f).height();
    int y = rect.top(), h;
    if (lineH < rect.height()) {
        h = lineH;
        if (cell.VAlign() == VA_Centre) y = rect.top() + (rect.height() - lineH) / 2;
        if (cell.VAlign() == VA_Bottom) y = rect.top() + rect.height() - lineH - 1;
    } else {
        h = rect.height() - 1;
    }
    editorCol_ = Col();
    editorRow_ = Row();
    editor_->setGeometry(rect.left(), y, rect.width(), h);
    editor_->setText(QString::fromStdString(text));
    editor_->setSelection(std::max(0, selStart), selLength);
    if (selLength == 0) editor_->setCursorPosition(std::max(0, selStart));
    editorClosing_ = false;
    editor_->show();
    editor_->setFocus();
    grid_->InvalidateCell(editorCol_, editorRow_);
}

void cuiSheet::CommitEditor() {
    if (!EditorShowing()) return;
    std::string text = editor_->text().toStdString();
    editorClosing_ = true;
    editor_->hide();
    grid_->setFocus();
    editorClosing_ = false;
    grid_->InvalidateCell(editorCol_, editorRow_);
    if (builder_->InGrid(editorCol_, editorRow_) && (editorCol_ != Col() || editorRow_ != Row()))
        grid_->SetCurrent(editorCol_, editorRow_, false);
    RunOperation(CA_Refresh, nullptr, &text);
}

void cuiSheet::CancelEditor() {
    if (!EditorShowing()) return;
    bulkPending_ = false;
    editorClosing_ = true;
    editor_->hide();
    grid_->setFocus();
    editorClosing_ = false;
    grid_->InvalidateCell(editorCol_, editorRow_);
}

bool cuiSheet::EditorKey(QKeyEvent* e) {
    ClearStatus();
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter commits and moves down, as in a spreadsheet, unless the cell kept the editor open
        // (a refused value is shown again for correction).
        bulkApplied_ = false;
        CommitEditor();
        // After an edit of many rows the selection stays for the next edit.
        if (!EditorShowing() && !dropDown_ && !bulkApplied_) MoveCursor(0, 1);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        CommitEditor();
        if (!EditorShowing() && !dropDown_)
            MoveCursor(e->key() == Qt::Key_Backtab || (e->modifiers() & Qt::ShiftModifier) ? -1 : 1, 0);
        return true;
    case Qt::Key_Escape:
        CancelEditor();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        CommitEditor();
        MoveCursor(0, e->key() == Qt::Key_Up ? -1 : 1);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        CommitEditor();
        for (int i = 0; i < 10; ++i) MoveCursor(0, e->key() == Qt::Key_PageUp ? -1 : 1, false, false);
        return true;
    default:
        return false;
    }
}

bool cuiSheet::eventFilter(QObject* o, QEvent* e) {
    if (o == editor_) {
        if (e->type() == QEvent::ShortcutOverride) {
            e->accept();  // typing stays with the editor, even for keys that are menu shortcuts
            return false;
        }
        if (e->type() == QEvent::KeyPress) return EditorKey(static_cast<QKeyEvent*>(e));
        if (e->type() == QEvent::FocusOut && !editorClosing_ && editor_->isVisible()) {
            // Clicking elsewhere commits the text; the popup menu of the editor does not.
            if (static_cast<QFocusEvent*>(e)->reason() != Qt::PopupFocusReason) CommitEditor();
        }
    }
    return QObject::eventFilter(o, e);
}

// --- Operations --------------------------------------------------------------------------------

void cuiSheet::FillRequest(cmcCellRequest& req) {
    req.owner = owner_;
    req.grid = grid_;
    req.cell = &CurrentCell();
    req.sheet = this;
    req.isCurrent = true;
    req.resultFlags = CRF_Current;
    req.notify = [this](cmcCellRequest& r, uint32_t f) { RedrawRelated(r, f); };
    req.editStart = [this](cmcCellRequest& r) {
        if (r.cell == &CurrentCell()) OpenEditor(r.display, r.caretPos, r.selLength);
    };
    // A drop-down's keys belong to the action of the cell that opened it, which carries its name.
    if (!dropDown_) req.actionName = builder_->CaptionOf(Col(), Row());
    req.multiSelection = multiShown_;
    if (multiShown_) {
        req.resultFlags |= CRF_Grid;
        req.selFlags |= 1;
        int fc = builder_->FixedCols();
        int a = builder_->Cell(fc, anchorRow_).index, b = builder_->Cell(fc, Row()).index;
        req.selFirst = std::min(a, b);
        req.selLast = std::max(a, b);
    }
}

uint8_t cuiSheet::RunOperation(int op, const cmcCellObj* popupCell, const std::string* input) {
    if (!grid_ || !builder_->InGrid(Col(), Row())) return 0;
    // A placeholder row edits nothing; the popup menu's Insert adds the list's first entry there.
    if (builder_->PlaceholderRow(Row()) && !(popupCell && popupCell->label == CL_PMenu_Insert)) return 0;
    // An edit on a multiple selection: typed text and Space or Backspace go to every selected row;
    // Enter or a typed character opens the cursor cell's editor or chooser, whose result does.
    // The popup menu's Edit entry (Enter's shortcut) is Enter.
    const bool editEntry = popupCell && popupCell->label == CL_PMenu_Edit;
    const bool bulk = !dropDown_ && (!popupCell || editEntry) && BulkTarget();
    if (bulk && input && bulkPending_) {
        bulkPending_ = false;
        const std::string text = *input;
        ApplyToSelection([&text](cmcCellScript& script, cmcCellObj& cell, std::string* why) {
            return script.Type(cell, text, why);
        });
        bulkApplied_ = true;
        return 0;
    }
    if (bulk && (op == CA_Space || op == CA_Backspace)) {
        const std::string key = op == CA_Space ? "@key:space" : "@key:backspace";
        ApplyToSelection([&key](cmcCellScript& script, cmcCellObj& cell, std::string* why) {
            return script.Apply(cell, key, why);
        });
        return 0;
    }
    bulkPending_ = bulk && !input && (editEntry || op == CA_Enter || op == CA_Commit || (op > ' ' && op <= CA_LastKey));
    cmcCellRequest req;
    FillRequest(req);
    if (bulkPending_) {
        QPointer<cuiSheet> self(this);
        req.pickForSelection = [self](const cmcCellObj& item) {
            if (!self) return;
            self->bulkPending_ = false;
            const std::string pick = "@pick:" + std::to_string(item.index);
            self->ApplyToSelection([&pick](cmcCellScript& script, cmcCellObj& cell, std::string* why) {
                return script.Apply(cell, pick, why);
            });
        };
    }
    QRect rect = grid_->CellRect(Col(), Row());
    cmcCellPaint paint;
    paint.left = rect.left();
    paint.top = rect.top();
    paint.right = rect.left() + rect.width();
    paint.bottom = rect.top() + rect.height();
    paint.selected = true;
    req.paint = &paint;
    if (input) {
        req.resultKind = CRK_Input;
        req.action = CA_Refresh;
        req.input = *input;
    } else {
        req.action = op;
    }
    if (popupCell) {
        req.popupCommand = popupCell->label;
        req.popupCell = popupCell;
        // A list operation is named after its popup menu entry ("Delete", "Insert").
        if (std::string name = popupCell->Text().substr(0, popupCell->Text().find('\t')); !name.empty())
            req.actionName = name;
    }

    // A drop-down hands Enter and the commit to the cell that opened it, then goes away.
    if (dropDown_ && !input && !popupCell && (op == CA_Enter || op == CA_Commit) && opener_) {
        if (opener_->pickForSelection) {
            // The opener's selection takes the pick, row by row.
            const auto pick = opener_->pickForSelection;
            const cmcCellObj item = CurrentCell();
            pick(item);
            if (onDropDownDone) onDropDownDone();
            return 0;
        }
        cmcCellRequest up = *opener_;
        up.resultKind = CRK_Chooser;
        up.parent = &req;
        up.action = CA_Refresh;
        if (handler_) handler_(up);
        ShowRefusal(up.refusal);
        if (onDropDownDone) onDropDownDone();
        return 0;
    }
    if (!handler_) return 0;

    ++opDepth_;
    uint8_t result = handler_(req);
    // A refused value stays as it was; the status bar says why.
    ShowRefusal(req.refusal);
    if (req.redirect && opDepth_ == 1) {
        // The handler names another cell of the row (or of the sheet): go there and replay the key.
        // A list operation names the row the cursor goes to: the same column on that row.
        bool moved = false;
        if (popupCell && req.popupCommand >= CL_PMenu_Copy && req.popupCommand <= CL_PMenu_Insert)
            moved = SelectByIdentity(req.category, req.label, req.index);
        for (int c = 0; c < builder_->ColCount() && !moved && !req.popupCommand; ++c) {
            const cmcCellObj& cell = builder_->Cell(c, Row());
            if (cell.Selectable() && cell.label == req.label) moved = SelectCell(c, Row());
        }
        if (!moved) moved = SelectByIdentity(req.category, req.label, req.index);
        if (moved && req.deferredAction) RunOperation(req.deferredAction);
    }
    // Only an in-place editor or a chooser that hands its pick back keeps an edit of many rows.
    if (bulkPending_ && !(result == CER_Editor || (result == CER_Opened && req.keepsSelection)))
        bulkPending_ = false;
    if (result == CER_Opened && !bulkPending_) ClearMultiSelection();
    if (result == CER_Editor) OpenEditor(req.display, req.caretPos, req.selLength);

    if (req.repeat && !input && !popupCell) {
        grid_->InvalidateAll();
        repeatOp_ = op;
        repeatPause_ = repeatPause_ < 0 ? kRepeatFirstPauseMs : std::max(0, repeatPause_ - kRepeatPauseStepMs);
        if (repeatPause_ > 0) {
            cmcTime().Arm(this, repeatPause_);
            repeatArmed_ = true;
        } else {
            // Without a pause the next run still goes through the event loop, so the program stays
            // responsive while a handler keeps asking.
            QTimer::singleShot(0, this, [this] { OnTimerEvent(); });
        }
    } else if (opDepth_ == 1) {
        repeatPause_ = -1;
    }

    if (builder_->Style().multiSelect != MS_None && (req.selFlags & 2)) {
        const int cols = builder_->ColCount(), rows = builder_->RowCount();
        int cur = CurrentCell().index;
        int far = std::abs(req.selFirst - cur) > std::abs(req.selLast - cur) ? req.selFirst : req.selLast;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                builder_->Id(c, r).bits &= ~(clsSheetCellId::SelectedCell | clsSheetCellId::SelectedLine);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                const cmcCellObj& cell = builder_->Cell(c, r);
                if (!cell.Selectable() || cell.label != req.label || cell.index < req.selFirst || cell.index > req.selLast)
                    continue;
                builder_->Id(c, r).bits |= clsSheetCellId::SelectedCell;
                if (builder_->Style().multiSelect == MS_Line)
                    for (int cc = builder_->FixedCols(); cc < cols; ++cc)
                        builder_->Id(cc, r).bits |= clsSheetCellId::SelectedLine;
                if (cell.index == far) {
                    anchorCol_ = c;
                    anchorRow_ = r;
                }
            }
        multiShown_ = true;
        grid_->InvalidateAll();
    } else if (result != CER_Editor && !bulkPending_) {
        ClearMultiSelection();
    }
    --opDepth_;
    EvMan().Send(EVC_MenuRefresh);
    return result;
}

void cuiSheet::OnTimerEvent() {
    if (repeatArmed_) {
        cmcTime().Disarm(this);
        repeatArmed_ = false;
    }
    if (repeatPause_ < 0) return;
    RunOperation(repeatOp_);
}

void cuiSheet::RedrawRelated(const cmcCellRequest& req, uint32_t f) {
    if (!grid_) return;
    const cmcCellObj* changed = req.cell;
    const int C = changed ? changed->category : req.category;
    const int L = changed ? changed->label : req.label;
    const int I = changed ? changed->index : req.index;
    const int cols = builder_->ColCount(), rows = builder_->RowCount();
    auto visit = [&](int c, int r) {
        const cmcCellObj& cell = builder_->Cell(c, r);
        const bool lab = Labelled(cell);
        bool match = ((f & CN_SameLabelIndex) && cell.label == L && cell.index == I) ||
                     ((f & CN_SameCategory) && cell.category == C) || ((f & CN_SameLabel) && cell.label == L) ||
                     ((f & CN_SameIndex) && lab && cell.index == I && C != kCategoryNone) ||
                     ((f & CN_NearIndex) && lab && cell.category == C && std::abs(cell.index - I) <= 1) ||
                     ((f & CN_All) && lab) || ((f & CN_IndexAtLeast) && lab && cell.index >= I) ||
                     ((f & CN_IndexAtMost) && lab && cell.index <= I);
        if (!match) return;
        grid_->InvalidateCell(c, r);
        for (int cc = c + 1; cc < cols && builder_->Cell(cc, r).JoinedLeft(); ++cc) grid_->InvalidateCell(cc, r);
    };
    auto visible = [&](auto&& fn) {
        int c1 = std::min(cols, grid_->LeftCol() + grid_->PartlyVisibleColCount());
        int r1 = std::min(rows, grid_->TopRow() + grid_->PartlyVisibleRowCount());
        for (int r = 0; r < rows; ++r) {
            if (r >= builder_->FixedRows() && (r < grid_->TopRow() || r >= r1)) continue;
            for (int c = 0; c < cols; ++c) {
                if (c >= builder_->FixedCols() && (c < grid_->LeftCol() || c >= c1)) continue;
                fn(c, r);
            }
        }
    };
    visible(visit);
}

// --- Popup menu --------------------------------------------------------------------------------

void cuiSheet::UpdatePopupMenu(bool force) {
    if (printing_ || !grid_) return;
    if (!grid_->hasFocus() && !force) return;
    if (popupClickDepth_ > 0) {
        popupUpdatePending_ = true;
        return;
    }
    const std::string* key = CurrentCell().PopupMenuKey();
    if (key || force) {
        if (!key || *key != popupKey_ || force) {
            popupBuilder_.reset();
            popupKey_.clear();
            gMirrored = nullptr;
            EvMan().Send(EVC_MenuItemClear, 0, CL_Menu_Edit_Top);
            if (key) {
                popupBuilder_ = std::make_unique<cuiMenu>(
                    owner_, popup_, store_, *key,
                    [this](cuiMenu&, QAction*, cmcCellObj* cell) { PopupEntryClicked(cell); });
                popupBuilder_->SetCellHandler(handler_);
                popupBuilder_->Build();
                popupKey_ = *key;
                EvMan().Send(EVC_MenuItemFill, popupBuilder_.get(), CL_Menu_Edit_Top, *key);
                gMirrored = popupBuilder_.get();
            }
        }
    }
    EvMan().Send(EVC_MenuRefresh);
}

void cuiSheet::DropPopupBuilder() {
    if (popupClickDepth_ > 0) {
        popupUpdatePending_ = true;
        return;
    }
    if (popupBuilder_) {
        // Another sheet may have mirrored its own entries since: those stay.
        const bool mirrored = gMirrored == popupBuilder_.get();
        popupBuilder_.reset();
        popupKey_.clear();
        if (mirrored) {
            gMirrored = nullptr;
            EvMan().Send(EVC_MenuItemClear, 0, CL_Menu_Edit_Top);
        }
    }
    EvMan().Send(EVC_MenuRefresh);
}

// The focus moved on while the grid does not have it (from the menu bar to the tree, from the
// in-place editor elsewhere): once it is on a widget other than a menu, the grid or its editor, the
// popup menu goes, and its entries leave the Edit menu.
void cuiSheet::OnFocusMoved(QWidget* now) {
    if (!grid_ || building_ || printing_ || !popupBuilder_) return;
    if (!now || now == grid_ || grid_->hasFocus() || (editor_ && now == editor_)) return;
    if (qobject_cast<QMenu*>(now) || qobject_cast<QMenuBar*>(now) || QApplication::activePopupWidget()) return;
    DropPopupBuilder();
}

// An entry of the popup menu (or its mirror in the Edit menu) runs on the current cell. Focus
// changes while it runs (a question box) may not destroy the builder it came from: the update they
// ask for follows from the message loop, once the builder's click has returned.
void cuiSheet::PopupEntryClicked(const cmcCellObj* cell) {
    ++popupClickDepth_;
    RunOperation(CA_Refresh, cell);
    --popupClickDepth_;
    if (popupClickDepth_ == 0 && popupUpdatePending_) {
        popupUpdatePending_ = false;
        QTimer::singleShot(0, this, [this] { UpdatePopupMenuAfterClick(); });
    }
}

void cuiSheet::UpdatePopupMenuAfterClick() {
    if (!grid_ || building_) return;
    if (grid_->hasFocus())
        UpdatePopupMenu(true);
    else
        OnFocusMoved(QApplication::focusWidget());
}

// --- Events ------------------------------------------------------------------------------------

void cuiSheet::OnEvent(const cmcEvent& e) {
    if (!grid_ || building_) return;
    auto redrawWhere = [&](auto&& pred) {
        for (int r = 0; r < builder_->RowCount(); ++r)
            for (int c = 0; c < builder_->ColCount(); ++c)
                if (pred(builder_->Cell(c, r))) grid_->InvalidateCell(c, r);
    };
    const int v = e.second;
    switch (e.code) {
    case EVC_QueryCurrentCell:
        if (e.IsQuery() && e.FirstAs<QObject>() == popup_ && popup_) EvMan().AnswerObject(cmcCellObj(CurrentCell()));
        break;
    case EVC_RedrawLabelled:
        redrawWhere([](const cmcCellObj& c) { return Labelled(c); });
        break;
    case EVC_RedrawCategory:
        redrawWhere([v](const cmcCellObj& c) { return c.category == v; });
        break;
    case EVC_RedrawLabel:
        redrawWhere([v](const cmcCellObj& c) { return c.label == v; });
        break;
    case EVC_RedrawIndex:
        redrawWhere([v](const cmcCellObj& c) { return Labelled(c) && c.index == v; });
        break;
    case EVC_RedrawIndexAtMost:
        redrawWhere([v](const cmcCellObj& c) { return Labelled(c) && c.index <= v; });
        break;
    case EVC_RedrawIndexAtLeast:
        redrawWhere([v](const cmcCellObj& c) { return Labelled(c) && c.index >= v; });
        break;
    case EVC_CloseDropDowns:
        CommitEditor();
        break;
    default:
        break;
    }
}

// --- Kinds -------------------------------------------------------------------------------------

iuiSh_Common::iuiSh_Common(QWidget* host, const cmcCellRequest* opener, int initLabel, int initIndex,
                           cmcGTex& store, std::string key, QWidget* owner)
    : cuiSheet(host, opener, initLabel, initIndex, store, key, owner,
               std::make_unique<cmcSheetBuilderCommon>(store, key, cmcSheetContext{})) {}

iuiSh_ChBank::iuiSh_ChBank(QWidget* host, const cmcCellRequest* opener, int initLabel, int initIndex,
                           cmcGTex& store, std::string key, QWidget* owner)
    : cuiSheet(host, opener, initLabel, initIndex, store, key, owner,
               std::make_unique<cmcSheetBuilderChBank>(store, key, cmcSheetContext{})) {}

void iuiSh_ChBank::Build() {
    cuiSheet::Build();
    titleBase_ = builder_->Style().title.value_or(std::string());
    EvMan().Send(EVC_BankChanged);
}

void iuiSh_ChBank::UpdateTitle() {
    if (!title_) return;
    title_->setText(QString::fromStdString(Bank().BankTitle(titleBase_)));
    QPalette p = title_->palette();
    p.setColor(QPalette::WindowText, cuiColour(Bank().SmarTrunk() ? 0x00FFFF00 : 0x0000FFFF));
    title_->setPalette(p);
}

// The bank it answers EVC_QueryBank with, while it has a grid and is not being built.
int iuiSh_ChBank::ShownBank() { return grid_ && !building_ ? Bank().Bank() : -1; }

void iuiSh_ChBank::OnEvent(const cmcEvent& e) {
    if (!grid_ || building_) return;
    switch (e.code) {
    case EVC_QueryBank:
        if (e.IsQuery()) EvMan().Answer(Bank().Bank(), Bank().FirstChannel());
        return;
    case EVC_BankChanged:
        UpdateTitle();
        return;
    case EVC_RedrawLabelled:
        // Edits change the channels in use that the title counts.
        UpdateTitle();
        cuiSheet::OnEvent(e);
        return;
    case EVC_BankJoined:
        if (builder_->AddRow()) {
            int r = builder_->RowCount() - 1;
            grid_->SetRowCount(builder_->RowCount());
            grid_->SetRowHeight(r, builder_->RowHeight(r));
            grid_->InvalidateAll();
        }
        return;
    case EVC_BankLeft:
        if (builder_->RemoveRow()) {
            int row = Row();
            if (builder_->PlaceholderRow(row)) {  // the bank's last channel left: its row stays
                grid_->InvalidateAll();
                return;
            }
            grid_->SetRowCount(builder_->RowCount());
            if (row > 0 && !MoveCursor(0, -1)) grid_->SetCurrent(Col(), std::min(row - 1, builder_->RowCount() - 1), false);
            // A multi-row delete redraws the whole sheet once it is done.
            if (!cmcBulkEditActive()) grid_->InvalidateAll();
        }
        return;
    default:
        cuiSheet::OnEvent(e);
    }
}

std::unique_ptr<cuiSheet> cuiCreateSheet(const std::string& style, QWidget* host, cmcGTex& store,
                                         const std::string& key, QWidget* owner) {
    if (style == "St_ChBank") return std::make_unique<iuiSh_ChBank>(host, nullptr, kLabelNone, 0, store, key, owner);
    if (style == "St_Common") return std::make_unique<iuiSh_Common>(host, nullptr, kLabelNone, 0, store, key, owner);
    return std::make_unique<cuiSheet>(host, nullptr, kLabelNone, 0, store, key, owner);
}

}  // namespace qx
