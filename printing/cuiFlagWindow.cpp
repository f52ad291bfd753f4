#include "printing/cuiFlagWindow.h"

#include "app/cuiDropDown.h"
#include "app/cuiGrid.h"
#include "app/cuiOkCancel.h"
#include "cells/cmcCellViews.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcEvMan.h"
#include "app/cuiSheet.h"
#include "app/cuiSheetPaint.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <cstdio>

namespace qx {

namespace {

constexpr const char* kBuiltInSheet = "GI_Sheet_FBitsR";

std::string HeaderCell(int n, int first, int last, int kind) {
    char text[64];
    static const char* const kGps[] = {"RMC", "GGA", "GLL", "GSA", "VTG"};
    switch (kind) {
    case FH_Hex: std::snprintf(text, sizeof text, "|{($iChI)}%X|", n); break;
    case FH_Decimal0Z:
        if (n == 11) {
            std::snprintf(text, sizeof text, "|{($iChI)}Z|");
            break;
        }
        [[fallthrough]];
    case FH_Decimal0: std::snprintf(text, sizeof text, "|{($iChI)}%d|", n == 10 ? 0 : n); break;
    case FH_Letter: std::snprintf(text, sizeof text, "|{($iChI)}%c|", n + 64); break;
    case FH_GpsSentence:
        if (n >= 1 && n <= 5) {
            std::snprintf(text, sizeof text, "|{($iChI)}%s|", kGps[n - 1]);
            break;
        }
        std::snprintf(text, sizeof text, "|{($iChI)}%d|", n);
        break;
    case FH_BitNumber: std::snprintf(text, sizeof text, "|{($iChI)}B%d|", last - n); break;
    default: std::snprintf(text, sizeof text, "|{($iChI)}%d|", n); break;
    }
    (void)first;
    return text;
}

// A given header text as a header cell: line feeds and spaces in their escapes, the cell
// separator and the backslash escaped; braces, which cannot be escaped, shown as parentheses.
std::string NamedHeaderCell(const std::string& text) {
    std::string cell = "|{($iChI)}";
    for (char ch : text) {
        if (ch == '\n') cell += "\\n";
        else if (ch == ' ') cell += "\\_";
        else if (ch == '{') cell += '(';
        else if (ch == '}') cell += ')';
        else if (ch == '|' || ch == '\\') cell += std::string("\\") + ch;
        else cell += ch;
    }
    return cell + "|";
}

}  // namespace

std::vector<std::string> FlagWindowLines(int first, int last, int headerKind,
                                         const std::vector<std::string>& headers) {
    std::string header, checks;
    for (int n = first; n <= last; ++n) {
        const size_t k = static_cast<size_t>(n - first);
        header += k < headers.size() ? NamedHeaderCell(headers[k]) : HeaderCell(n, first, last, headerKind);
        char cell[64];
        std::snprintf(cell, sizeof cell, "|{($eWh)^(%%CL_FBits[%d])}9|", n);
        checks += cell;
        if (n < last) checks += "{($iQp)}";
    }
    return {
        "#GI_Sheet_FBitsR_Style",
        "(FixedCols=1)(FixedRows=1)",
        "#GI_Sheet_FBitsR_BasicCell",
        "{($Basic)(PopupMenu=GI_PMenu_NoItem)}",
        "#GI_Sheet_FBitsR_Cells",
        header,
        checks,
        "#",
        "#CellModel_iChI",
        "^-WH(Color=clGray)(Font=,,clWhite,,,fsBold,)",
        "#CellModel_eWh",
        "S<_WHB",
        "#CellModel_iQp",
        "(%CT_Null.CL_Misc_QuarterPillar)",
        "#CellModel_Basic",
        "<-(Color=clWindow)(Font=DEFAULT_CHARSET,,clWindowText,-17,,,)(PopupMenu=GI_PMenu_Edit)",
        "#GI_PMenu_NoItem_BasicCell",
        "{($Basic)}",
        "#GI_PMenu_NoItem_Body",
        "+No item\t{(%CT_PopupMenu.CL_PMenu_NoItem)}",
        "#",
        "#GI_PMenu_Edit_BasicCell",
        "{($Basic)(%CT_PopupMenu.)}",
        "#GI_PMenu_Edit_Body",
        "+Edit...\t{(%CT_PopupMenu.CL_PMenu_Edit:Enter)}",
        "#",
        "#End_Of_Ovl",
        "",
    };
}

cuiFlagWindow::cuiFlagWindow(QWidget* owner, const cmcCellRequest& req, uint32_t value, int first, int last,
                             int headerKind, int checkStyle, cmcCellHandler handler)
    : QWidget(owner ? owner->window() : nullptr, Qt::Tool | Qt::FramelessWindowHint), owner_(owner), request_(req),
      handler_(std::move(handler)), value_(value), first_(first), last_(last), header_(headerKind),
      checkStyle_(checkStyle) {
    setAttribute(Qt::WA_DeleteOnClose);
    EvMan().Register<&cuiFlagWindow::OnEvent>(this);
}

cuiFlagWindow::~cuiFlagWindow() {
    EvMan().UnregisterAll(this);
    sheet_.reset();
}

cuiFlagWindow* cuiFlagWindow::Open(const cmcCellRequest& req, cmcGTex& store, uint32_t value, int first, int last,
                                   int headerKind, int checkStyle, const std::string& sheetKey,
                                   cmcCellHandler handler, QWidget* owner, const QRect& cellOnScreen,
                                   const QRect& workArea, const std::vector<std::string>& headers) {
    auto* w = new cuiFlagWindow(owner, req, value, first, last, headerKind, checkStyle, std::move(handler));
    cmcGTex* sheetStore = &store;
    std::string key = sheetKey;
    if (key.empty()) {
        w->lines_ = FlagWindowLines(first, last, headerKind, headers);
        w->ownStore_.SetLineList(&w->lines_);
        sheetStore = &w->ownStore_;
        key = kBuiltInSheet;
    }
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    auto* host = new QWidget(w);
    v->addWidget(host, 1);
    w->sheet_ = std::make_unique<cuiSheet>(host, nullptr, kLabelNone, 0, *sheetStore, key, owner);
    cuiSheet& sheet = *w->sheet_;
    sheet.SetCellHandler([w](cmcCellRequest& r) { return w->HandleCell(r); });
    sheet.SetDropDown(true);
    sheet.Build();
    sheet.Grid()->SetScrollBars(cuiGridScrollBars::None);
    sheet.onEscape = [w] { w->Cancel(); };
    // The cursor starts on the first check cell (the fixed header row and column hold none).
    for (int r = 0; r < sheet.RowCount(); ++r)
        for (int c = 0; c < sheet.ColCount(); ++c)
            if (sheet.CellAt(c, r).label == CL_FBits && sheet.SelectCell(c, r)) {
                sheet.Grid()->setEnabled(true);
                r = sheet.RowCount();
                break;
            }

    constexpr int kPanelBorder = 4;
    auto* panel = new QWidget(w);
    auto* h = new QHBoxLayout(panel);
    h->setContentsMargins(kPanelBorder, kPanelBorder, kPanelBorder, kPanelBorder);
    const cuiOkCancel okCancel = cuiAddOkCancel(h, panel);
    w->ok_ = okCancel.ok;
    w->cancel_ = okCancel.cancel;
    v->addWidget(panel);
    connect(w->ok_, &QPushButton::clicked, w, &cuiFlagWindow::Accept);
    connect(w->cancel_, &QPushButton::clicked, w, &cuiFlagWindow::Cancel);
    w->ok_->setEnabled(!w->TooMany());

    const int buttons = w->ok_->sizeHint().width() + w->cancel_->sizeHint().width() + 2 * kPanelBorder + 8;
    const int width = std::max(sheet.FullWidth(), buttons);
    // The whole sheet and the button row (taking twelve pixels less, as a fixed frame allowance,
    // would cut the row of check cells here).
    const int height = sheet.FullHeight() + panel->sizeHint().height();
    w->resize(width, height);
    w->move(cuiDropDownPlace(cellOnScreen, w->size(), workArea));
    w->show();
    w->activateWindow();
    sheet.Grid()->setFocus();
    return w;
}

int cuiFlagWindow::SetCount() const {
    int count = 0;
    for (int n = first_; n <= last_; ++n) count += Flag(n);
    return count;
}

void cuiFlagWindow::Toggle(int n) {
    if (n < 0 || n > 26) return;
    value_ ^= 1u << (26 - n);
    if (header_ == FH_GpsSentence) {
        // At most three sentences: OK waits, and every check cell is marked, while more are set.
        if (ok_) ok_->setEnabled(!TooMany());
        EvMan().Post(EVC_RedrawLabelled);
    }
}

uint8_t cuiFlagWindow::HandleCell(cmcCellRequest& req) {
    cmcCellObj* cell = req.cell;
    if (!cell || cell->label != CL_FBits) {
        const cmcCellHandler& fallback = cmcDefaultCellHandler();
        return fallback ? fallback(req) : 0;
    }
    const int n = cell->index;
    if (req.action == 32 || req.action == 256) {
        Toggle(n);
        if (sheet_ && sheet_->Grid()) sheet_->Grid()->viewport()->update();
    } else if (req.action == 13) {
        Accept();
    }
    req.display.clear();
    req.resultFlags &= static_cast<uint8_t>(~(CRF_Warning | CRF_Error));
    if (TooMany()) req.resultFlags |= CRF_Error;
    if (checkStyle_ == 0) {
        if (Flag(n)) req.display = "o";
    } else if (Flag(n) && req.canvas && req.paint) {
        // A filled check mark in the text colour.
        auto* p = static_cast<QPainter*>(req.canvas);
        const cmcCellPaint& r = *req.paint;
        const int w = r.right - r.left, h = r.bottom - r.top, d = std::min(w, h);
        const int ox = r.left + static_cast<int>(std::lround(h < w ? (w - h + 0.3 * h) / 2 : 0.3 * w / 2));
        const int oy = r.top + static_cast<int>(std::lround(w < h ? (h - w + 0.3 * w) / 2 : 0.3 * h / 2));
        const double s = 0.7 * d;
        static const double kMark[6][2] = {{0, 0.4}, {0, 0.6}, {0.4, 1}, {1, 0.35}, {1, 0.15}, {0.4, 0.7}};
        QPoint pts[6];
        for (int i = 0; i < 6; ++i)
            pts[i] = QPoint(ox + static_cast<int>(std::lround(kMark[i][0] * s)),
                            oy + static_cast<int>(std::lround(kMark[i][1] * s)));
        const cmcFont* font = cell->EffectiveFont();
        QColor colour = r.selected ? cuiColour(0x8000000E) : cuiColour(font ? font->colour : 0x80000008);
        p->setPen(colour);
        p->setBrush(colour);
        p->setRenderHint(QPainter::Antialiasing, true);
        p->drawPolygon(pts, 6);
    }
    if (request_.notify && req.action != 0) request_.notify(request_, CN_SameLabelIndex);
    return CER_None;
}

void cuiFlagWindow::Accept() {
    if (accepted_ || cancelled_ || TooMany()) return;
    accepted_ = true;
    if (owner_) DeliverChooserAnswer(request_, handler_ ? handler_ : cmcDefaultCellHandler(),
                                     std::to_string(value_));
    Release();
}

void cuiFlagWindow::Cancel() {
    if (accepted_) return;
    cancelled_ = true;
    Release();
}

void cuiFlagWindow::Release() {
    if (released_) return;
    released_ = true;
    hide();
    QTimer::singleShot(0, this, [this] { close(); });
}

bool cuiFlagWindow::event(QEvent* e) {
    // Leaving the window keeps the flags shown (unless it was cancelled, or too many are set).
    if (e->type() == QEvent::WindowDeactivate && isVisible() && !released_) {
        Accept();
        Release();
    }
    return QWidget::event(e);
}

void cuiFlagWindow::OnEvent(const cmcEvent& e) {
    if (e.code == EVC_CloseDropDowns && !released_) {
        Accept();
        Release();
    }
    if (e.code == EVC_OwnerGone && owner_ && e.FirstAs<QWidget>() == owner_.data()) Cancel();
}

}  // namespace qx
