// The warning check list without its marks: runs every check cell of "GI_WarningCheckList" and
// the channel checks of the five banks through a cell handler and lists the sheet references that
// report an error and those that report a warning (a cell reporting both counts as an error).
//
// The main window marks its topic tree from the lists; a clone write refuses while any error
// stands, in the program and in the command-line tool alike, because both run this one check.
#pragma once

#include "defs/cmcCellRequest.h"

#include <string>
#include <vector>

namespace qx {

class indMain;

struct cmcWarningFindings {
    std::vector<std::string> errors;    // sheet references of the checks that report an error
    std::vector<std::string> warnings;  // ... a warning and no error
    // The text of each mark, in the order of the two lists: which check, and why
    // ("Error, check of the user tones: REASON").
    std::vector<std::string> errorReasons, warningReasons;
};

// Runs the check with `handler` (requests name `owner` as their owner); the bank checks use the
// model word of main's model type.
cmcWarningFindings cmcRunWarningCheck(const indMain& main, const cmcCellHandler& handler, void* owner = nullptr);
// The same through the cell handler working on `main` itself.
cmcWarningFindings cmcRunWarningCheck(indMain& main);

}  // namespace qx
