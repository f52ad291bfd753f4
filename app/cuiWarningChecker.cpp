#include "app/cuiWarningChecker.h"

#include "app/cuiTree.h"
#include "cells/cmcCellCapsule.h"
#include "cells/cmcReasons.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/indMain.h"

#include <QTreeWidget>

#include <string>
#include <vector>

namespace qx {

namespace {

// The model word of the warning check's bank cells (names are compared without regard to case).
std::string CheckWord(int modelType) {
    switch (modelType) {
    case kModelKorvPmr: return "PMRK";
    case kModelDPmr446: return "DPmr446";
    case kModelPmr: return "PMR";
    default: return "LMR";
    }
}

}  // namespace

cuiWarningChecker::cuiWarningChecker(indMain& main, TreeOf tree) : main_(main), tree_(std::move(tree)) {}

void cuiWarningChecker::Count(int* errors, int* warnings) {
    int errorCount = 0, warningCount = 0;
    if (errors) *errors = 0;
    if (warnings) *warnings = 0;
    cuiTree* tree = tree_ ? tree_() : nullptr;
    if (!tree || !tree->Control()) return;

    // Each listed name goes with the text of its mark: which check, and why.
    std::vector<std::string> errorList, warningList, errorReasons, warningReasons;
    const cmcCellHandler& handler = cmcDefaultCellHandler();
    const auto check = [&](cmcCellObj& cell, int row, const std::string& checkName) {
        cmcCellRequest req;
        req.owner = owner_;
        req.cell = &cell;
        req.rowNumber = row;
        req.action = CA_Refresh;
        if (handler) handler(req);
        const std::string name = cell.name ? *cell.name : std::string();
        if (req.resultFlags & CRF_Error) {
            errorList.push_back(name);
            errorReasons.push_back(CheckMarkText(true, checkName, req.markReason));
            ++errorCount;
        } else if (req.resultFlags & CRF_Warning) {
            warningList.push_back(name);
            warningReasons.push_back(CheckMarkText(false, checkName, req.markReason));
            ++warningCount;
        }
    };
    for (int i = 0;; ++i) {
        const std::string line = GTex().Line("GI_WarningCheckList", i);
        if (!line.empty() && line[0] == '#') break;
        cmcCellObj cell;
        ParseCell(line, &cell, nullptr, nullptr);
        // The check line's text names the check.
        check(cell, 0, cell.Text());
    }
    // The channel checks of the five banks (always five: the image holds five whatever the model).
    const std::string word = CheckWord(main_.ModelType());
    for (int bank = 0; bank < map::kBankCount; ++bank) {
        const std::string description =
            "{(%CL_Check_Mch:[St_ChBank]GI_Sheet_Mch_" + word + ",Bank " + std::to_string(bank) + ")}";
        cmcCellObj cell;
        ParseCell(description, &cell, nullptr, nullptr);
        check(cell, bank, BankCheckName(bank));
    }

    // The marks: cleared, then every root-level subtree from the last up, warnings first so that
    // an error mark replaces a warning mark.
    QTreeWidget* control = tree->Control();
    tree->ClearOverlays(tree->NodeAt(0));
    for (int i = control->topLevelItemCount() - 1; i >= 0; --i) {
        tree->MarkSubtree(control->topLevelItem(i), warningList, TO_Warning, &warningReasons);
        tree->MarkSubtree(control->topLevelItem(i), errorList, TO_Error, &errorReasons);
    }
    if (errors) *errors = errorCount;
    if (warnings) *warnings = warningCount;
    EvMan().Post(EVC_BankIcons);
    EvMan().Post(EVC_BankChanged);
}

void cuiWarningChecker::RefreshAll() {
    EvMan().Send(EVC_RedrawLabelled);
    Count();
    EvMan().Post(EVC_CheckDone);
}

void cuiWarningChecker::Schedule() { ScheduleDeferredCheck(); }

bool cuiWarningChecker::Pending() { return DeferredCheckPending(); }

}  // namespace qx
