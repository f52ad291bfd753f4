// The drop-down sheet window: a borderless window beside a cell holding a sheet in drop-down mode,
// for picking or editing the cell's value. It closes (and deletes itself) when it loses
// activation, on Esc (the cell is not changed), on EVC_CloseDropDowns and on EVC_OwnerGone
// naming its owner grid; picking an item hands it to the opening cell and closes it.
#pragma once

#include "defs/cmcCellRequest.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>

namespace qx {

class cmcGTex;
class cuiSheet;
struct cmcEvent;

// Where the window goes for a cell (screen coordinates, right and bottom exclusive as
// left + width and top + height): below the cell and 8 pixels right of its left edge; above the
// cell, or at the work area's bottom, when it does not fit below; shifted left at the right edge.
QPoint cuiDropDownPlace(const QRect& cell, const QSize& window, const QRect& workArea);

class cuiDropDown : public QWidget {
    Q_OBJECT
public:
    // Opens the drop-down for the request's cell: the sheet `key` of `store` is built in drop-down
    // mode with the request as its opener. `req.grid` is the owner (a cuiGrid) and `req.paint` the
    // cell rectangle in its viewport. `tag` is kept for the opener. Returns the shown window.
    static cuiDropDown* Open(const cmcCellRequest& req, cmcGTex& store, const std::string& key, int tag = 0,
                             cmcCellHandler handler = cmcDefaultCellHandler());
    // The same with an explicit cell rectangle on screen and work area (tests, windows without grid).
    static cuiDropDown* Open(const cmcCellRequest& req, cmcGTex& store, const std::string& key, int tag,
                             cmcCellHandler handler, QWidget* owner, const QRect& cellOnScreen,
                             const QRect& workArea);
    ~cuiDropDown() override;

    cuiSheet* Sheet() const { return sheet_.get(); }
    QWidget* Owner() const { return owner_; }
    int Tag() const { return tag_; }
    bool Cancelled() const { return cancelled_; }
    // Closes the window; it deletes itself from the message loop.
    void Release(bool returnFocus = true);

protected:
    bool event(QEvent* e) override;
    // Whether another chooser is showing (the next one of a chain of picks).
    bool AnotherOpen() const;
    void keyPressEvent(QKeyEvent* e) override;

private:
    cuiDropDown(QWidget* owner, const cmcCellRequest& req, int tag);
    void OnEvent(const cmcEvent& e);

    QPointer<QWidget> owner_;
    cmcCellRequest request_;
    int tag_;
    std::unique_ptr<cuiSheet> sheet_;
    bool cancelled_ = false;
    bool released_ = false;
};

}  // namespace qx
