#include "cells/cmcWarningCheck.h"

#include "cells/cmcCellCapsule.h"
#include "cells/cmcReasons.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/indMain.h"

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

}  // namespace

cmcWarningFindings cmcRunWarningCheck(const indMain& main, const cmcCellHandler& handler, void* owner) {
    cmcWarningFindings found;
    const auto check = [&](cmcCellObj& cell, int row, const std::string& checkName) {
        cmcCellRequest req;
        req.owner = owner;
        req.cell = &cell;
        req.rowNumber = row;
        req.action = CA_Refresh;
        if (handler) handler(req);
        const std::string name = cell.name ? *cell.name : std::string();
        if (req.resultFlags & CRF_Error) {
            found.errors.push_back(name);
            found.errorReasons.push_back(CheckMarkText(true, checkName, req.markReason));
        } else if (req.resultFlags & CRF_Warning) {
            found.warnings.push_back(name);
            found.warningReasons.push_back(CheckMarkText(false, checkName, req.markReason));
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
    const std::string word = CheckWord(main.ModelType());
    for (int bank = 0; bank < map::kBankCount; ++bank) {
        const std::string description =
            "{(%CL_Check_Mch:[St_ChBank]GI_Sheet_Mch_" + word + ",Bank " + std::to_string(bank) + ")}";
        cmcCellObj cell;
        ParseCell(description, &cell, nullptr, nullptr);
        check(cell, bank, BankCheckName(bank));
    }
    return found;
}

cmcWarningFindings cmcRunWarningCheck(indMain& main) {
    return cmcRunWarningCheck(
        main, [&main](cmcCellRequest& req) { return cmcCellCapsule(&main).Execute(req, false); });
}

}  // namespace qx
