#include "cells/cmcWarningCheck.h"

#include "cells/cmcCellCapsule.h"
#include "cells/cmcReasons.h"
#include "cells/cmcSheetText.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "defs/cmcSheetBuilder.h"
#include "image/indMain.h"

#include <cctype>
#include <memory>

namespace qx {
namespace {

// The model word of the bank checks' sheet references (names are compared without regard to case).
std::string CheckWord(int modelType) {
    switch (modelType) {
    case kModelKorvPmr: return "PMRK";
    case kModelDPmr446: return "DPmr446";
    case kModelPmr: return "PMR";
    default: return "LMR";
    }
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

}  // namespace

std::string cmcCellFinding::Text() const {
    return sheet + " / " + row + " / " + column + ": " + (error ? "error: " : "warning: ") + reason;
}

std::vector<cmcCellFinding> cmcFindMarkedCells(const cmcCellEnv& env, indMain& main,
                                               const std::vector<std::string>& sheetReferences) {
    std::vector<cmcCellFinding> out;
    std::vector<cmcWarningFindings::Mark> checks = cmcRunWarningCheck(env, main).marks;
    cmcCellCapsule capsule(env.On(main));
    // The check-list marks of `reference` that no cell mark of the same kind stands for.
    auto addChecks = [&](const std::string& reference, const std::string& title, size_t firstOfSheet) {
        for (auto it = checks.begin(); it != checks.end();) {
            if (!SameName(it->name, reference)) {
                ++it;
                continue;
            }
            bool shown = false;
            for (size_t i = firstOfSheet; i < out.size(); ++i) shown = shown || out[i].error == it->error;
            if (!shown) {
                cmcCellFinding f;
                f.sheetReference = reference;
                f.sheet = title;
                f.row = f.column = "-";
                f.error = it->error;
                f.reason = it->reason.empty() ? it->check : it->check + ": " + it->reason;
                out.push_back(std::move(f));
            }
            it = checks.erase(it);
        }
    };
    for (const std::string& reference : sheetReferences) {
        if (reference.empty()) continue;
        std::unique_ptr<cmcSheetBuilder> b = cmcBuildSheetAsText(*env.gtex, reference, main);
        if (!b) continue;
        std::string title = cmcSheetTitle(b->PrintHeading());
        if (title.empty()) title = reference;
        const size_t firstOfSheet = out.size();
        for (int r = 0; r < b->RowCount(); ++r) {
            for (int col = 0; col < b->ColCount(); ++col) {
                if (!b->Id(col, r).cell || b->Id(col, r).cell->label == kLabelNone) continue;
                cmcCellObj cell = *b->Id(col, r).cell;
                cmcCellRequest req;
                req.cell = &cell;
                capsule.Execute(req, false);
                if (!(req.resultFlags & (CRF_Error | CRF_Warning))) continue;
                cmcCellFinding f;
                f.sheetReference = reference;
                f.sheet = title;
                f.row = b->FixedCols() > 0 && col > 0 ? cmcSheetTitle(cmcShownAt(*b, capsule, 0, r)) : std::string();
                if (f.row.empty()) f.row = "row " + std::to_string(r + 1);
                f.column = b->FixedRows() > 0 && r > 0 ? cmcSheetTitle(cmcShownAt(*b, capsule, col, 0)) : std::string();
                if (f.column.empty()) f.column = "column " + std::to_string(col + 1);
                f.error = (req.resultFlags & CRF_Error) != 0;
                f.reason = req.markReason;
                out.push_back(std::move(f));
            }
        }
        addChecks(reference, title, firstOfSheet);
    }
    // Checks of sheets the walk did not reach.
    while (!checks.empty()) {
        const std::string reference = checks.front().name;
        addChecks(reference, reference, out.size());
    }
    return out;
}

cmcWarningFindings cmcRunWarningCheck(cmcGTex& texts, const indMain& main, const cmcCellHandler& handler, void* owner) {
    cmcWarningFindings found;
    const auto check = [&](cmcCellObj& cell, int row, const std::string& checkName) {
        cmcCellRequest req;
        req.owner = owner;
        req.cell = &cell;
        req.rowNumber = row;
        req.action = CA_Refresh;
        if (handler) handler(req);
        const std::string name = cell.name ? *cell.name : std::string();
        if (req.resultFlags & (CRF_Error | CRF_Warning))
            found.marks.push_back({name, (req.resultFlags & CRF_Error) != 0, checkName, req.markReason});
        if (req.resultFlags & CRF_Error) {
            found.errors.push_back(name);
            found.errorReasons.push_back(CheckMarkText(texts, true, checkName, req.markReason));
        } else if (req.resultFlags & CRF_Warning) {
            found.warnings.push_back(name);
            found.warningReasons.push_back(CheckMarkText(texts, false, checkName, req.markReason));
        }
    };
    for (int i = 0;; ++i) {
        const std::string line = texts.Line("GI_WarningCheckList", i);
        if (!line.empty() && line[0] == '#') break;
        cmcCellObj cell;
        ParseCell(line, &cell, nullptr, nullptr);
        // The check line's text names the check.
        check(cell, 0, cell.Text());
    }
    // The channel checks of the five banks (always five: the image holds five whatever the model).
    const std::string word = CheckWord(main.ModelType());
    for (int bank = 0; bank < map::kBankCount; ++bank) {
        const std::string description =
            "{(%CL_Check_Mch:[St_ChBank]GI_Sheet_Mch_" + word + ",Bank " + std::to_string(bank) + ")}";
        cmcCellObj cell;
        ParseCell(description, &cell, nullptr, nullptr);
        check(cell, bank, BankCheckName(texts, bank));
    }
    return found;
}

cmcWarningFindings cmcRunWarningCheck(const cmcCellEnv& env, indMain& main) {
    const cmcCellEnv own = env.On(main);
    return cmcRunWarningCheck(*env.gtex, main,
                              [&own](cmcCellRequest& req) { return cmcCellCapsule(own).Execute(req, false); });
}

}  // namespace qx
