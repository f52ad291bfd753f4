#include "app/cuiCellViews.h"

#include "app/cuiCharEditor.h"
#include "app/cuiDropDown.h"
#include "app/cuiTextEntry.h"
#include "app/cuiGrid.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheet.h"
#include "printing/cuiFlagWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace qx {

namespace {

// The cell's rectangle on the screen: from the painted rectangle while the grid's own call is
// running, else (a chooser that continues from another one's pick, long after that call) from the
// sheet's current cell, which the drop-downs leave where it was.
QRect CellOnScreen(const cmcCellRequest& req, cuiGrid* grid) {
    QRect rect;
    if (req.paint) {
        rect = QRect(req.paint->left, req.paint->top, req.paint->right - req.paint->left,
                     req.paint->bottom - req.paint->top);
    } else if (auto* sheet = static_cast<cuiSheet*>(req.sheet); sheet && sheet->Grid() == grid) {
        rect = grid->CellRect(sheet->Col(), sheet->Row());
    }
    return QRect(grid->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

}  // namespace

namespace {

// The opener a window keeps and answers to: the request without what belongs to the call that is
// running now (its drawing context, its own chooser answer).
cmcCellRequest OpenerOf(const cmcCellRequest& req) {
    cmcCellRequest opener = req;
    opener.parent = nullptr;
    opener.paint = nullptr;
    opener.canvas = nullptr;
    opener.form = nullptr;
    opener.resultKind = CRK_Plain;
    opener.action = CA_Refresh;
    opener.input.clear();
    return opener;
}

// The grid, the cell on screen and the work area of a request; false outside a grid.
bool Placement(const cmcCellRequest& req, cuiGrid** grid, QRect* cell, QRect* workArea) {
    *grid = static_cast<cuiGrid*>(req.grid);
    if (!*grid || !req.cell) return false;
    *cell = CellOnScreen(req, *grid);
    QScreen* screen = QGuiApplication::screenAt(cell->center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return false;
    *workArea = screen->availableGeometry();
    return true;
}

}  // namespace

bool cuiCellViews::OpenChooser(cmcCellRequest& req, const std::string& sheetKey, int itemKind, int selected) {
    cuiGrid* grid;
    QRect cell, workArea;
    if (!Placement(req, &grid, &cell, &workArea)) return false;

    // The opener the drop-down keeps and hands back with the pick.
    const cmcCellRequest opener = OpenerOf(req);

    cmcCellHandler handler = handler_ ? handler_ : cmcDefaultCellHandler();
    cuiDropDown* w = cuiDropDown::Open(opener, GTex(), sheetKey, itemKind, std::move(handler), grid, cell, workArea);
    if (!w) return false;
    last_ = w;
    // The pick goes to every selected row: the sheet keeps its selection shown meanwhile.
    if (req.pickForSelection) req.keepsSelection = true;

    // The current value's item becomes the current cell of the chooser; a chooser opened by a typed
    // character starts picking by it (a digit typed on a fixed frequency is not lost).
    cuiSheet* sheet = w->Sheet();
    [&] {
        for (int r = 0; r < sheet->RowCount(); ++r)
            for (int c = 0; c < sheet->ColCount(); ++c) {
                const cmcCellObj& item = sheet->CellAt(c, r);
                if (item.Selectable() && item.label == itemKind && item.index == selected) {
                    sheet->SelectCell(c, r);
                    return;
                }
            }
    }();
    if (req.action > ' ' && req.action < 127) sheet->TypeAhead(static_cast<char>(req.action));
    return true;
}

bool cuiCellViews::OpenFlagWindow(cmcCellRequest& req, uint32_t value, int first, int last, int headerKind,
                                  int checkStyle, const std::string& sheetKey) {
    cuiGrid* grid;
    QRect cell, workArea;
    if (!Placement(req, &grid, &cell, &workArea)) return false;
    cmcCellHandler handler = handler_ ? handler_ : cmcDefaultCellHandler();
    lastWindow_ = cuiFlagWindow::Open(OpenerOf(req), GTex(), value, first, last, headerKind, checkStyle, sheetKey,
                                      std::move(handler), grid, cell, workArea);
    return true;
}

bool cuiCellViews::OpenNamedFlagWindow(cmcCellRequest& req, uint32_t value, int first, int last,
                                       const std::vector<std::string>& headers) {
    cuiGrid* grid;
    QRect cell, workArea;
    if (!Placement(req, &grid, &cell, &workArea)) return false;
    cmcCellHandler handler = handler_ ? handler_ : cmcDefaultCellHandler();
    lastWindow_ = cuiFlagWindow::Open(OpenerOf(req), GTex(), value, first, last, 0, 1, std::string(),
                                      std::move(handler), grid, cell, workArea, headers);
    return true;
}

bool cuiCellViews::OpenTextEntry(cmcCellRequest& req, const std::string& editable, int length,
                                 const uint8_t* userTable, bool byKey) {
    cuiGrid* grid;
    QRect cell, workArea;
    if (!Placement(req, &grid, &cell, &workArea)) return false;
    cmcCellHandler handler = handler_ ? handler_ : cmcDefaultCellHandler();
    lastWindow_ = cuiTextEntry::Open(OpenerOf(req), editable, length, userTable, byKey, std::move(handler), grid,
                                     cell, workArea);
    return true;
}

bool cuiCellViews::OpenCharEditor(cmcCellRequest& req, uint16_t pattern) {
    cuiGrid* grid;
    QRect cell, workArea;
    if (!Placement(req, &grid, &cell, &workArea)) return false;
    cmcCellHandler handler = handler_ ? handler_ : cmcDefaultCellHandler();
    lastWindow_ = cuiCharEditor::Open(OpenerOf(req), pattern, std::move(handler), grid, cell, workArea);
    return true;
}

bool cuiCellViews::StartInlineEdit(cmcCellRequest& req) {
    auto* sheet = static_cast<cuiSheet*>(req.sheet);
    if (!req.editStart || !sheet) return false;
    cmcCellRequest copy = req;
    copy.parent = nullptr;
    copy.paint = nullptr;
    copy.canvas = nullptr;
    // The sheet is the context: if it goes away first, the edit is dropped with it. A chooser that
    // delivered the pick is still closing; the editor opens once it has gone, so that the closing
    // window's loss of focus does not commit the editor at once.
    auto open = [copy]() mutable { copy.editStart(copy); };
    if (cuiDropDown* closing = last_.data())
        QObject::connect(closing, &QObject::destroyed, sheet, open, Qt::QueuedConnection);
    else
        QTimer::singleShot(0, sheet, open);
    return true;
}

}  // namespace qx
