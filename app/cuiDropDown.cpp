#include "app/cuiDropDown.h"

#include "app/cuiGrid.h"
#include "defs/cmcEvMan.h"
#include "app/cuiSheet.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>

namespace qx {

QPoint cuiDropDownPlace(const QRect& cell, const QSize& window, const QRect& wa) {
    const int L = wa.left(), T = wa.top(), R = wa.left() + wa.width(), B = wa.top() + wa.height();
    const int cellLeft = cell.left(), cellTop = cell.top(), cellBottom = cell.top() + cell.height();
    const int W = window.width(), H = window.height();
    int top = cellBottom;
    bool notAbove = false;
    if (top + H > B) {
        if (H >= cellTop - T) {
            top = B - H;  // fits neither below nor above: bottom on the work area's bottom
            notAbove = true;
        } else {
            top = cellTop - H;  // above the cell
        }
    }
    int left = cellLeft + 8;
    if (left + W > R) {
        left = R - W;
        if (notAbove && W < cellLeft - L) left = cellLeft - W;
    }
    return {left, top};
}

cuiDropDown::cuiDropDown(QWidget* owner, const cmcCellRequest& req, int tag)
    : QWidget(owner ? owner->window() : nullptr, Qt::Tool | Qt::FramelessWindowHint), owner_(owner), request_(req),
      tag_(tag) {
    setAttribute(Qt::WA_DeleteOnClose);
    EvMan().Register<&cuiDropDown::OnEvent>(this);
}

cuiDropDown::~cuiDropDown() {
    EvMan().UnregisterAll(this);
    sheet_.reset();
}

cuiDropDown* cuiDropDown::Open(const cmcCellRequest& req, cmcGTex& store, const std::string& key, int tag,
                               cmcCellHandler handler) {
    auto* grid = static_cast<cuiGrid*>(req.grid);
    QRect cell;
    if (grid && req.paint) {
        QPoint tl = grid->viewport()->mapToGlobal(QPoint(req.paint->left, req.paint->top));
        cell = QRect(tl, QSize(req.paint->right - req.paint->left, req.paint->bottom - req.paint->top));
    }
    QScreen* screen = QGuiApplication::screenAt(cell.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    return Open(req, store, key, tag, std::move(handler), grid, cell, screen->availableGeometry());
}

cuiDropDown* cuiDropDown::Open(const cmcCellRequest& req, cmcGTex& store, const std::string& key, int tag,
                               cmcCellHandler handler, QWidget* owner, const QRect& cellOnScreen,
                               const QRect& workArea) {
    auto* w = new cuiDropDown(owner, req, tag);
    w->sheet_ = std::make_unique<cuiSheet>(w, &w->request_, kLabelNone, 0, store, key, owner);
    cuiSheet& sheet = *w->sheet_;
    sheet.SetCellHandler(std::move(handler));
    sheet.SetDropDown(true);
    sheet.Build();
    sheet.Grid()->SetScrollBars(cuiGridScrollBars::None);
    sheet.onDropDownDone = [w] { w->Release(); };
    sheet.onEscape = [w] {
        w->cancelled_ = true;
        w->Release();
    };
    int width = sheet.FullWidth(), height = sheet.FullHeight();
    if (width > workArea.width() || height > workArea.height()) {
        sheet.Grid()->SetScrollBars(cuiGridScrollBars::Both);
        width = std::min(sheet.FullWidth(), workArea.width());
        height = std::min(sheet.FullHeight(), workArea.height());
    }
    w->resize(width, height);
    w->move(cuiDropDownPlace(cellOnScreen, QSize(width, height), workArea));
    w->show();
    w->activateWindow();
    sheet.Grid()->setFocus();
    return w;
}

void cuiDropDown::Release(bool returnFocus) {
    if (released_) return;
    released_ = true;
    hide();
    // Closing happens from the message loop: the code that opened the window or that is running in
    // its sheet must not find it gone under its feet. Then a pick or Esc gives the keyboard back to
    // the grid the chooser was opened from, so that its selection stays active and the Edit menu
    // acts on it; not when the pick opened the next chooser of a chain, and not when the chooser
    // closed because another window was activated (the focus stays where the user put it).
    QTimer::singleShot(0, this, [this, returnFocus] {
        if (returnFocus && owner_ && owner_->isVisible() && !AnotherOpen()) {
            owner_->window()->activateWindow();
            owner_->setFocus(Qt::PopupFocusReason);
        }
        close();
    });
}

bool cuiDropDown::AnotherOpen() const {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible() && qobject_cast<const cuiDropDown*>(w)) return true;
    return false;
}

bool cuiDropDown::event(QEvent* e) {
    if (e->type() == QEvent::WindowDeactivate && isVisible()) Release(false);
    return QWidget::event(e);
}

void cuiDropDown::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        cancelled_ = true;
        Release();
        return;
    }
    QWidget::keyPressEvent(e);
}

void cuiDropDown::OnEvent(const cmcEvent& e) {
    if (e.code == EVC_CloseDropDowns) Release();
    if (e.code == EVC_OwnerGone && owner_ && e.FirstAs<QWidget>() == owner_.data()) Release();
}

}  // namespace qx
