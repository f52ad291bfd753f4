// Menu builder: fills a menu bar or a popup menu from the definition sections "<key>_BasicCell"
// and "<key>_Body". Body lines are cell descriptions after a "+"; the number of characters before
// the "+" is the line's indentation, and a deeper line opens a submenu of the entry above it:
//
//     +&File{(%CL_Null)}
//      +&Open...{(%CL_Menu_File_Open:Ctrl+O)}
//
// Every entry carries its cell: clicking hands the cell to the cell handler, and Refresh asks the
// handler for each entry's state (checked, hidden, disabled, relabelled). The builder follows the
// events that mirror a sheet's popup menu into the menu bar (9 refresh, 10 clear, 11 fill).
#pragma once

#include "defs/cmcCellObj.h"
#include "defs/cmcCellRequest.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace qx {

class cmcGTex;
struct cmcEvent;

class cuiMenu : public QObject {
    Q_OBJECT
public:
    // Called when an entry is clicked: the builder whose handler it is, the entry and its cell.
    using ClickHandler = std::function<void(cuiMenu& builder, QAction* item, cmcCellObj* cell)>;

    // `root` is a QMenuBar or a QMenu; `owner` is the window handed to the cell handler.
    cuiMenu(QWidget* owner, QWidget* root, cmcGTex& store, std::string key, ClickHandler click = {});
    ~cuiMenu() override;

    // Deletes the root's entries, reads the basic cell and fills the root from "<key>_Body".
    void Build();
    // Creates the entries of one level (and its submenus) below `item` (null: the root) from the
    // lines of `key` starting at `firstLine`; returns the number of lines used. Entries made for a
    // target builder click through the target's handler and count as the target's.
    int FillItem(QAction* item, const std::string& key, int firstLine, cuiMenu* target = nullptr);
    // Deletes the entries below `item` (null: the root) and frees their cells. Entries the program
    // added itself and marked with Keep (the Edit menu's Undo and Redo) stay.
    void ClearItem(QAction* item);
    static void Keep(QAction* action) { action->setProperty("cuiMenuKeep", true); }
    static bool IsKept(const QAction* action) { return action->property("cuiMenuKeep").toBool(); }
    // Asks the cell handler for the state of every entry.
    void Refresh();

    void SetCellHandler(cmcCellHandler handler) { handler_ = std::move(handler); }
    const cmcCellHandler& CellHandler() const { return handler_; }
    void SetImages(const std::vector<QIcon>* images) { images_ = images; }
    QWidget* Root() const { return root_; }
    QWidget* Owner() const { return owner_; }
    const std::string& Key() const { return key_; }
    const cmcCellObj& BasicCell() const { return basic_; }

    // The entry whose cell has this label (depth first), or null.
    QAction* FindByLabel(int label) const;
    // The cell of an entry (null for entries without one).
    static cmcCellObj* CellOf(const QAction* item);
    // Every entry below `item` (null: the root), depth first.
    std::vector<QAction*> Items(QAction* item = nullptr) const;

private:
    void OnEvent(const cmcEvent& e);
    int FillLevel(QWidget* menu, const std::string& key, int firstLine, cuiMenu* target);
    // A mirrored entry's shortcut wins over the same shortcut of this builder's own entries, which
    // give it up while the mirror is there (two holders would make the key do nothing).
    void YieldShortcut(const QKeySequence& keys, QAction* mirror);
    void RestoreShortcuts();
    void Clicked(QAction* item);
    void DefaultClick(QAction* item, cmcCellObj* cell);
    QMenu* SubMenuOf(QAction* item);
    void ForgetCell(const cmcCellObj* cell);

    QWidget* owner_;
    QWidget* root_;
    cmcGTex& store_;
    std::string key_;
    ClickHandler click_;
    cmcCellHandler handler_;
    cmcCellObj basic_;
    std::vector<std::unique_ptr<cmcCellObj>> cells_;  // the ring of entry cells
    const std::vector<QIcon>* images_ = nullptr;
    // State query context: the current cell of the sheet that owns the entries last asked about.
    QObject* fetchedOwner_ = nullptr;
    bool hasContext_ = false;
    cmcCellObj contextCell_;
    cmcCellRequest contextReq_;
};

}  // namespace qx
