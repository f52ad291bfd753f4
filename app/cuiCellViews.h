// The program's cell views: value editors open their choosers as drop-down sheet windows beside
// the cell (cuiDropDown over the "GI_Sheet_Sel_*" selection sheet, with the current value's item
// selected), the flag window, the text entry drop-down and the user character editor, and start
// the grid's in-place editor after a chooser pick that needs typed input.
// Installed by the main window for the program's lifetime:
//
//     cuiCellViews views;
//     cmcScopedCellViews installed(&views);
#pragma once

#include "app/cuiDropDown.h"
#include "cells/cmcCellViews.h"

#include <QPointer>

namespace qx {


class cuiCellViews final : public cmcCellViews {
public:
    // `handler` runs the drop-down sheets' cells and receives the picks; by default the program's
    // cell handler at the time a chooser opens.
    explicit cuiCellViews(cmcCellHandler handler = {}) : handler_(std::move(handler)) {}

    bool OpenChooser(cmcCellRequest& req, const std::string& sheetKey, int itemKind, int selected) override;
    bool OpenFlagWindow(cmcCellRequest& req, uint32_t value, int first, int last, int headerKind, int checkStyle,
                        const std::string& sheetKey) override;
    bool OpenNamedFlagWindow(cmcCellRequest& req, uint32_t value, int first, int last,
                             const std::vector<std::string>& headers) override;
    bool OpenTextEntry(cmcCellRequest& req, const std::string& editable, int length, const uint8_t* userTable,
                       bool byKey) override;
    bool OpenCharEditor(cmcCellRequest& req, uint16_t pattern) override;
    // Opens the grid's in-place editor from the message loop, once the drop-down that delivered
    // the pick has gone and the grid's window is active again.
    bool StartInlineEdit(cmcCellRequest& req) override;

    // The drop-down opened last (null when it has closed), and the last of the other windows.
    cuiDropDown* LastChooser() const { return last_.data(); }
    QWidget* LastWindow() const { return lastWindow_.data(); }

private:
    cmcCellHandler handler_;
    QPointer<cuiDropDown> last_;
    QPointer<QWidget> lastWindow_;
};

}  // namespace qx
