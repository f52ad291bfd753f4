// Verifying a saved file against the edits that produced it; see cliVerify.h.
#include "cli/cliVerify.h"

#include "cells/cmcCellCapsule.h"
#include "cli/cliCommand.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"

#include <cstdio>

namespace qx::cli {

bool VerifySaved(indMain& main, const std::string& out, const std::vector<cliEditedCell>& cells) {
    indMain saved;
    saved.LoadStartImage(main.ModelType());
    if (saved.OpenCloneFile(out) != 0) {
        std::remove(out.c_str());
        PrintError(out + ": the saved file does not open again; nothing saved");
        return false;
    }
    for (const cliEditedCell& edited : cells) {
        // A channel that a later edit took out of every bank (a bank layout confirmed with --yes)
        // was given up on purpose: the file holds no such channel.
        const int category = edited.cell.category;
        if ((category == CT_Mch || category == CT_Mch_Check) &&
            datBankOfChannel(main.WorkingImage().Data(), edited.cell.index) >= map::kBankCount)
            continue;
        const std::string before = cmcCellCapsule(&main).Shown(edited.cell);
        const std::string after = cmcCellCapsule(&saved).Shown(edited.cell);
        if (before == after) continue;
        std::remove(out.c_str());
        PrintError(edited.name + ": the value '" + before + "' is not kept in the saved file (it reads '" + after +
                   "'); nothing saved");
        return false;
    }
    return true;
}

}  // namespace qx::cli
