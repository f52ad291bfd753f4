// The user character editor: one character of the radio display drawn large, whose segments the
// user switches on and off by clicking them. OK hands the new 16-bit pattern to the cell (as the
// decimal text of a chooser answer); Cancel and Esc leave it unchanged. The main window waits while
// the editor is open.
#pragma once

#include "cells/cmcDispText.h"
#include "defs/cmcCellRequest.h"

#include <QPointer>
#include <QWidget>

class QPushButton;

namespace qx {

class cuiCharEditor : public QWidget {
    Q_OBJECT
public:
    static cuiCharEditor* Open(const cmcCellRequest& req, uint16_t pattern, cmcCellHandler handler, QWidget* owner,
                               const QRect& cellOnScreen, const QRect& workArea);

    uint16_t Pattern() const { return geometry_.Pattern(); }
    // A left click at a point of the drawing area (its own coordinates): toggles the segment there.
    bool ClickAt(int x, int y);
    QWidget* Area() const { return area_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    void Accept();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    cuiCharEditor(QWidget* owner, const cmcCellRequest& req, uint16_t pattern, cmcCellHandler handler);
    class AreaView;
    QPointer<QWidget> owner_;
    cmcCellRequest request_;
    cmcCellHandler handler_;
    cmcSegChar geometry_;
    QWidget* area_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool done_ = false;
};

}  // namespace qx
