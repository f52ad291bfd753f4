// The check after "set" and "rows" have saved OUT: every edited cell must show in the saved file
// what it showed before the save.
#pragma once

#include "defs/cmcCellObj.h"

#include <string>
#include <vector>

namespace qx {
class indMain;
}

namespace qx::cli {

// A cell an edit touched, with its identity as the command line gave it (for the message).
struct cliEditedCell {
    std::string name;
    cmcCellObj cell;
};

// Reopens OUT as the program opens a clone file and compares each cell's shown value with the one
// it shows in `main` now. On the first cell that differs (or when OUT cannot be reopened) prints
// the cell, its value and what OUT holds instead on stderr, removes OUT and returns false.
bool VerifySaved(indMain& main, const std::string& out, const std::vector<cliEditedCell>& cells);

}  // namespace qx::cli
