#include "app/cuiUndoMenu.h"

#include "defs/cmcCellNames.h"
#include "defs/cmcEvMan.h"
#include "app/cuiMenu.h"
#include "image/indMain.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

namespace qx {

cuiUndoMenu::cuiUndoMenu(indMain& main, cuiMenu& menu, QWidget* window) : main_(main), window_(window) {
    QAction* top = menu.FindByLabel(CL_Menu_Edit_Top);
    undo_ = new QAction(this);
    redo_ = new QAction(this);
    separator_ = new QAction(this);
    separator_->setSeparator(true);
    undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction* a : {undo_, redo_, separator_}) cuiMenu::Keep(a);
    connect(undo_, &QAction::triggered, this, [this] { Undo(); });
    connect(redo_, &QAction::triggered, this, [this] { Redo(); });
    if (top) {
        if (!top->menu()) {
            auto* sub = new QMenu(window);
            top->setMenu(sub);
        }
        QMenu* sub = top->menu();
        QAction* first = sub->actions().isEmpty() ? nullptr : sub->actions().front();
        sub->insertActions(first, {undo_, redo_, separator_});
        connect(sub, &QMenu::aboutToShow, this, &cuiUndoMenu::Refresh);
        // A disabled entry would swallow its shortcut; while the menu is closed both stay enabled
        // and a step that is not there does nothing.
        connect(sub, &QMenu::aboutToHide, this, [this] {
            undo_->setEnabled(true);
            redo_->setEnabled(true);
        });
    }
    // The shortcuts work while the menu is closed, and wherever the focus is in the window.
    if (window_) {
        window_->addAction(undo_);
        window_->addAction(redo_);
    }
    undo_->setText(QString::fromStdString(main_.UndoText()));
    redo_->setText(QString::fromStdString(main_.RedoText()));
}

cuiUndoMenu::~cuiUndoMenu() = default;

void cuiUndoMenu::Refresh() {
    undo_->setText(QString::fromStdString(main_.UndoText()));
    redo_->setText(QString::fromStdString(main_.RedoText()));
    undo_->setEnabled(main_.CanUndo());
    redo_->setEnabled(main_.CanRedo());
}

bool cuiUndoMenu::Undo() { return Step(false); }
bool cuiUndoMenu::Redo() { return Step(true); }

bool cuiUndoMenu::Step(bool forward) {
    if (window_ && !window_->isEnabled()) return false;  // the radio is busy
    // Drop-downs close and open editors commit first, so that their edit is a step of its own.
    EvMan().Send(EVC_CloseDropDowns);
    const bool moved = forward ? main_.Redo() : main_.Undo();
    if (moved && afterStep) afterStep();
    return moved;
}

}  // namespace qx
