#include "app/cuiSheetNavigator.h"

#include "app/cuiGrid.h"
#include "app/cuiTree.h"
#include "cells/cmcCellCapsule.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcEvMan.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>

namespace qx {

cuiSheetNavigator::cuiSheetNavigator(Factory factory) : factory_(std::move(factory)) {}

cuiSheetNavigator::~cuiSheetNavigator() { *alive_ = false; }

void cuiSheetNavigator::SetPanes(QWidget* host, QWidget* owner, TreeOf tree) {
    host_ = host;
    owner_ = owner;
    tree_ = std::move(tree);
}

void cuiSheetNavigator::RememberSheet() {
    if (!sheet_) return;
    const std::string name = sheet_->Name();
    history_.remove_if([&](const cuiSheetHistoryEntry& e) { return e.name == name; });
    history_.push_front({name, sheet_->Position()});
    QWidget* focus = QApplication::focusWidget();
    cuiTree* tree = Tree();
    const bool inTree = tree && tree->Control() && focus &&
                        (focus == tree->Control() || tree->Control()->isAncestorOf(focus));
    sheetHadFocus_ = focus && !inTree;
    sheet_.reset();
}

void cuiSheetNavigator::CloseSheet(bool remember) {
    if (remember)
        RememberSheet();
    else
        sheet_.reset();
}

void cuiSheetNavigator::Forget() { sheet_.reset(); }

void cuiSheetNavigator::OpenSheet(const std::string& reference) {
    if (!host_) return;
    RememberSheet();
    sheet_ = factory_(host_, reference);
    for (const cuiSheetHistoryEntry& e : history_)
        if (e.name == reference) {
            sheet_->SetSavedPosition(e.pos);
            break;
        }
    sheet_->Build();
    if (sheetHadFocus_ && sheet_->Grid() && sheet_->Grid()->isEnabled()) sheet_->Grid()->setFocus();
    // The menus and the tool bar follow the sheet now shown (Print, the list commands), also when
    // the keyboard stays in the tree that chose it.
    EvMan().Send(EVC_MenuRefresh);
    EvMan().Send(EVC_ToolBarRefresh);
}

void cuiSheetNavigator::ActivateNodeCell(cmcCellObj* cell) {
    if (!cell) return;
    const cmcCellHandler& handler = cmcDefaultCellHandler();
    if (!handler) return;
    cmcCellRequest req;
    req.owner = owner_;
    req.cell = cell;
    req.action = CA_Enter;
    activatingNode_ = true;
    handler(req);
    activatingNode_ = false;
}

void cuiSheetNavigator::OnTreeChange() {
    cuiTree* tree = Tree();
    if (!tree) return;
    cmcCellObj* cell = tree->SelectedCell();
    if (!cell) return;
    if (sheet_ && cell->name && sheet_->Name() == *cell->name) return;
    ActivateNodeCell(cell);
}

bool cuiSheetNavigator::ShowSheet(const std::string& reference) {
    if (activatingNode_) {
        OpenSheet(reference);
        return true;
    }
    cuiTree* tree = Tree();
    if (tree && tree->Control()) {
        if (QTreeWidgetItem* node = tree->FindNode(reference)) {
            QSignalBlocker block(tree->Control());
            for (QTreeWidgetItem* p = node->parent(); p; p = p->parent()) p->setExpanded(true);
            tree->Select(node);
        }
    }
    std::weak_ptr<bool> alive = alive_;
    QTimer::singleShot(0, owner_ ? static_cast<QObject*>(owner_) : qApp, [this, alive, reference] {
        if (alive.expired() || !*alive.lock()) return;
        if (!sheet_ || sheet_->Name() != reference) OpenSheet(reference);
    });
    return true;
}

void cuiSheetNavigator::ReopenIfClosed() {
    if (sheet_) return;
    cuiTree* tree = Tree();
    if (tree && tree->Control())
        ActivateNodeCell(tree->SelectedCell());
    else if (!history_.empty())
        OpenSheet(history_.front().name);
}

int cuiSheetNavigator::CurrentPopupItemCount() const {
    if (!sheet_ || !sheet_->PopupMenu()) return 1;
    int n = 0;
    for (QAction* a : sheet_->PopupMenu()->actions())
        if (!a->isSeparator()) ++n;
    return n;
}

}  // namespace qx
