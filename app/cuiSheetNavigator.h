// The sheet navigator: which sheet the right pane shows. It opens a sheet by its reference, keeps
// the position history (a sheet opened again returns to its place), follows the tree (a selected
// node's cell opens its sheet), shows a sheet that other cells or menus ask for, and brings a sheet
// back after it was closed (the tick asks ReopenIfClosed).
//
//     cuiSheetNavigator sheets(factory);
//     sheets.SetPanes(rightPanel, form, [this] { return tree_.get(); });
//     sheets.OpenSheet("[St_ChBank]GI_Sheet_Mch_Pmr,Bank 0");
#pragma once

#include "app/cuiSheet.h"

#include <functional>
#include <list>
#include <memory>
#include <string>

class QWidget;

namespace qx {

class cuiTree;
class cmcCellObj;

// One entry of the sheet position history.
struct cuiSheetHistoryEntry {
    std::string name;
    cuiSheetPos pos;
};

class cuiSheetNavigator {
public:
    // Creates the sheet object for a reference's style in `host` (not built yet).
    using Factory = std::function<std::unique_ptr<cuiSheet>(QWidget* host, const std::string& reference)>;
    using TreeOf = std::function<cuiTree*()>;

    explicit cuiSheetNavigator(Factory factory);
    ~cuiSheetNavigator();
    cuiSheetNavigator(const cuiSheetNavigator&) = delete;
    cuiSheetNavigator& operator=(const cuiSheetNavigator&) = delete;

    // The pane that holds the sheet, the window that owns it and the tree it follows (any may be
    // null: nothing is shown then).
    void SetPanes(QWidget* host, QWidget* owner, TreeOf tree);

    // Opens the sheet named by a sheet reference, remembering the current one.
    void OpenSheet(const std::string& reference);
    // Closes the current sheet; `remember` keeps its position in the history first.
    void CloseSheet(bool remember = true);
    // Activates a tree node's cell (Enter through the cell handler): opens the node's sheet.
    void ActivateNodeCell(cmcCellObj* cell);
    // The tree's selection changed: the selected node's sheet, unless it is already shown.
    void OnTreeChange();
    // A sheet asked for by a cell or a menu: the tree follows, and the sheet changes once the
    // caller has returned (the caller may be the sheet that is about to go).
    bool ShowSheet(const std::string& reference);
    // With no sheet shown: the selected node's sheet, or the last one of the history.
    void ReopenIfClosed();
    // The window goes away: the sheet is deleted without remembering.
    void Forget();

    cuiSheet* Current() const { return sheet_.get(); }
    const std::list<cuiSheetHistoryEntry>& History() const { return history_; }
    // The number of entries of the current sheet's popup menu (1 without a sheet).
    int CurrentPopupItemCount() const;

private:
    void RememberSheet();
    cuiTree* Tree() const { return tree_ ? tree_() : nullptr; }

    Factory factory_;
    QWidget* host_ = nullptr;
    QWidget* owner_ = nullptr;
    TreeOf tree_;
    std::unique_ptr<cuiSheet> sheet_;
    std::list<cuiSheetHistoryEntry> history_;
    bool sheetHadFocus_ = false;
    bool activatingNode_ = false;  // a tree node's cell is being activated
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace qx
