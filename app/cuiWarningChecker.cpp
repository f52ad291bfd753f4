#include "app/cuiWarningChecker.h"

#include "app/cuiTree.h"
#include "cells/cmcCellCapsule.h"
#include "cells/cmcWarningCheck.h"
#include "defs/cmcEvMan.h"
#include "image/indMain.h"

#include <QTreeWidget>

#include <string>
#include <vector>

namespace qx {

cuiWarningChecker::cuiWarningChecker(indMain& main, TreeOf tree) : main_(main), tree_(std::move(tree)) {}

void cuiWarningChecker::Count(int* errors, int* warnings) {
    int errorCount = 0, warningCount = 0;
    if (errors) *errors = 0;
    if (warnings) *warnings = 0;
    cuiTree* tree = tree_ ? tree_() : nullptr;
    if (!tree || !tree->Control()) return;

    // Each listed name goes with the text of its mark: which check, and why.
    const cmcWarningFindings found = cmcRunWarningCheck(main_, cmcDefaultCellHandler(), owner_);
    const std::vector<std::string>& errorList = found.errors;
    const std::vector<std::string>& warningList = found.warnings;
    const std::vector<std::string>& errorReasons = found.errorReasons;
    const std::vector<std::string>& warningReasons = found.warningReasons;
    errorCount = static_cast<int>(errorList.size());
    warningCount = static_cast<int>(warningList.size());

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
