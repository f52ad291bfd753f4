// Edits of many rows at once: the rows of a sheet's multiple selection (Shift with the arrows or a
// click, a click or drag on the row headers, Ctrl+click to add or take out a row) take an edit of
// the cursor's column together. Each row's cell gets the edit through the cell handler by the script
// runner (cmcCellScript), so every row's own rules and refusals apply; the changes are one undo
// step named after the column and the rows changed ("Power (8 channels)"), and the rows that refused
// the value are listed in the status bar with their reasons and left as they were.
#include "app/cuiSheet.h"

#include "app/cuiGrid.h"
#include "cells/cmcCellScript.h"
#include "cells/cmcReasons.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "image/cmcEeprom.h"
#include "image/indMain.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

namespace {

constexpr const char* kKeyBulkEdit = "GI_AppMess_BulkEdit";
enum cmcBulkLine {
    BL_Channels = 0,  // "%s (%s channels)": the undo step of an edit of channel rows
    BL_OneChannel,    // "%s (1 channel)"
    BL_Rows,          // "%s (%s rows)": of other list rows
    BL_OneRow,        // "%s (1 row)"
    BL_Changed,       // "%s: changed on %s rows"
    BL_Refused,       // "%s: changed on %s of %s rows; not changed: %s"
    BL_RowReason,     // "%s: %s", a row that refused and why
    BL_Unchanged,     // "%s: every row already held this value; nothing changed"
};

std::string BulkLine(int line, std::initializer_list<std::string_view> args) {
    return FillLine(GTex().Line(kKeyBulkEdit, line), args);
}

bool RowMarked(cmcSheetBuilder& b, int row) {
    for (int c = 0; c < b.ColCount(); ++c) {
        const uint8_t bits = b.Id(c, row).bits;
        if ((bits & clsSheetCellId::RowSelectable) &&
            (bits & (clsSheetCellId::SelectedCell | clsSheetCellId::SelectedLine)))
            return true;
    }
    return false;
}

}  // namespace

std::vector<int> cuiSheet::SelectedRows() {
    std::vector<int> rows;
    if (!grid_ || !multiShown_ || builder_->Style().multiSelect == MS_None) return rows;
    for (int r = builder_->FixedRows(); r < builder_->RowCount(); ++r)
        if (r == Row() || RowMarked(*builder_, r)) rows.push_back(r);
    return rows;
}

bool cuiSheet::BulkTarget() { return indMain::Instance() && SelectedRows().size() >= 2; }

int cuiSheet::HeaderTargetCol(int row) {
    if (!builder_->InGrid(0, row) || row < builder_->FixedRows()) return -1;
    if (Col() >= builder_->FixedCols() && builder_->Cell(Col(), row).Selectable()) return Col();
    for (int c = builder_->FixedCols(); c < builder_->ColCount(); ++c)
        if (builder_->Cell(c, row).Selectable()) return c;
    return -1;
}

bool cuiSheet::ToggleRow(int row) {
    if (!grid_ || builder_->Style().multiSelect == MS_None || !builder_->InGrid(0, row) ||
        row < builder_->FixedRows() || !(builder_->Id(0, row).bits & clsSheetCellId::RowSelectable))
        return false;
    const int target = HeaderTargetCol(row);
    if (target < 0) return false;
    const int cols = builder_->ColCount();
    auto mark = [&](int r, int c, bool on) {
        for (int cc = 0; cc < cols; ++cc) {
            uint8_t& bits = builder_->Id(cc, r).bits;
            bits &= ~(clsSheetCellId::SelectedCell | clsSheetCellId::SelectedLine);
            if (!on) continue;
            if (cc == c) bits |= clsSheetCellId::SelectedCell;
            if (builder_->Style().multiSelect == MS_Line && cc >= builder_->FixedCols())
                bits |= clsSheetCellId::SelectedLine;
        }
    };
    const int oldC = Col(), oldR = Row();
    // The cursor's row is part of the selection it grows from.
    mark(oldR, oldC, true);
    if (row != oldR && !RowMarked(*builder_, row)) {
        mark(row, target, true);
        grid_->SetCurrent(target, row, false);
    } else {
        // Taking a row out; the cursor leaves it for the nearest row still selected.
        int next = -1;
        for (int r = builder_->FixedRows(); r < builder_->RowCount(); ++r)
            if (r != row && RowMarked(*builder_, r) && HeaderTargetCol(r) >= 0 &&
                (next < 0 || std::abs(r - row) < std::abs(next - row)))
                next = r;
        if (next < 0) return false;  // the last selected row stays
        mark(row, target, false);
        if (row == oldR) grid_->SetCurrent(HeaderTargetCol(next), next, false);
    }
    lastCol_ = Col();
    lastRow_ = Row();
    anchorCol_ = Col();
    anchorRow_ = Row();
    int marked = 0;
    for (int r = builder_->FixedRows(); r < builder_->RowCount(); ++r) marked += RowMarked(*builder_, r) ? 1 : 0;
    multiShown_ = marked >= 2;
    if (!multiShown_) ClearMultiSelection();
    ClearStatus();
    if (Col() != oldC || Row() != oldR) {
        const cmcCellObj& cell = CurrentCell();
        int32_t id[3] = {cell.category, cell.label, cell.index};
        EvMan().Send(EVC_CurrentCellChanged, 0, 0, id, sizeof id);
    }
    grid_->InvalidateAll();
    UpdatePopupMenu(false);
    return true;
}

void cuiSheet::ApplyToSelection(const BulkEdit& edit) {
    indMain* main = indMain::Instance();
    if (!main || !grid_) return;
    const int col = Col();
    const cmcCellObj& current = CurrentCell();
    const int category = current.category, label = current.label;
    std::vector<int> rows;
    std::vector<cmcCellObj*> cells;
    std::vector<int> selected = SelectedRows();
    if (selected.empty()) selected.push_back(Row());  // the selection went while a chooser was open
    for (int r : selected) {
        if (builder_->PlaceholderRow(r)) continue;
        cmcCellObj& cell = builder_->Cell(col, r);
        if (!cell.Selectable() || cell.category != category || cell.label != label) continue;
        rows.push_back(r);
        cells.push_back(&cell);
    }
    const std::string column = builder_->CaptionOf(col, Row());
    cmcCellScript::EachResult result;
    const cmcEeprom before(main->WorkingImage());
    {
        indMain::ActionGroup group(*main, column);
        cmcCellScript script(*main);
        result = script.ApplyEach(cells, edit);
        const bool channels = category == CT_Mch;
        const std::string count = std::to_string(result.accepted);
        if (result.accepted == 1)
            main->NameAction(BulkLine(channels ? BL_OneChannel : BL_OneRow, {column}));
        else if (result.accepted > 1)
            main->NameAction(BulkLine(channels ? BL_Channels : BL_Rows, {column, count}));
    }

    // Every view shows the new values now; the warning check follows as after any edit.
    EvMan().Send(EVC_RedrawLabelled);
    grid_->InvalidateAll();
    if (result.refused.empty() && !main->WorkingImage().Differs(before)) {
        // Rows that already held the value accept it; saying "changed" would claim an edit that
        // left nothing to undo.
        ShowStatus(BulkLine(BL_Unchanged, {column}), false);
    } else if (result.refused.empty()) {
        ShowStatus(BulkLine(BL_Changed, {column, std::to_string(result.accepted)}), false);
    } else {
        std::string list;
        for (const auto& refused : result.refused) {
            if (!list.empty()) list += "; ";
            list += BulkLine(BL_RowReason, {RowName(rows[refused.at]), refused.why});
        }
        ShowRefusal(BulkLine(BL_Refused, {column, std::to_string(result.accepted), std::to_string(cells.size()), list}));
    }
    EvMan().Send(EVC_MenuRefresh);
}

std::string cuiSheet::RowName(int row) {
    // The row's header as the sheet shows it ("1-3"), else its number.
    cmcCellObj& head = builder_->Cell(0, row);
    std::string name = head.Text();
    if (head.label != kLabelNone && handler_) {
        cmcCellRequest req;
        req.owner = owner_;
        req.grid = grid_;
        req.cell = &head;
        req.sheet = this;
        handler_(req);
        name = req.display;
    }
    // Headers pad their numbers ("1-  7"): the name goes without the spaces.
    name.erase(std::remove_if(name.begin(), name.end(), [](char ch) { return ch == ' ' || ch == '\n'; }), name.end());
    return name.empty() ? std::to_string(row - builder_->FixedRows() + 1) : name;
}

}  // namespace qx
