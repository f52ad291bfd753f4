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
class cmcGTex;
struct cmcCellEnv;

struct cmcWarningFindings {
    std::vector<std::string> errors;    // sheet references of the checks that report an error
    std::vector<std::string> warnings;  // ... a warning and no error
    // The text of each mark, in the order of the two lists: which check, and why
    // ("Error, check of the user tones: REASON").
    std::vector<std::string> errorReasons, warningReasons;
    // Every mark in check order, its parts apart.
    struct Mark {
        std::string name;  // the sheet reference
        bool error = false;
        std::string check, reason;
    };
    std::vector<Mark> marks;
};

// Runs the check list of the store `texts` with `handler` (requests name `owner` as their owner);
// the bank checks use the model word of main's model type.
cmcWarningFindings cmcRunWarningCheck(cmcGTex& texts, const indMain& main, const cmcCellHandler& handler,
                                      void* owner = nullptr);
// The same through a cell handler of the environment `env` working on `main` itself.
cmcWarningFindings cmcRunWarningCheck(const cmcCellEnv& env, indMain& main);

// One warning or error mark of a cell, named as the user sees it: the sheet's heading, the row's
// caption and the column's heading (compacted as the compare list names them).
struct cmcCellFinding {
    std::string sheetReference;  // the sheet as the topic tree names it
    std::string sheet, row, column;
    bool error = false;
    std::string reason;          // the mark's reason (its tooltip without "Warning: ")
    std::string Text() const;    // "SHEET / ROW / COLUMN: warning: reason" ("error" for an error)
};

// Every marked cell of the sheets (references as the topic tree names them, in tree order), each
// sheet row by row. A mark of the warning check list whose sheet shows no cell mark of its kind
// (a check of a sheet this walk does not reach, or one without a cell of its own) follows its
// sheet, or the last sheet, as "SHEET / - / -" with the check's text, so that the list holds an
// error whenever the check list, which refuses a clone write, finds one.
std::vector<cmcCellFinding> cmcFindMarkedCells(const cmcCellEnv& env, indMain& main,
                                               const std::vector<std::string>& sheetReferences);

#ifndef QX_CELLS_SOURCE
// The same with the program's environment (texts, lists), for runners outside cells/. Defined
// with that environment (env/cmcProgramTexts.cpp).
cmcWarningFindings cmcRunWarningCheck(const indMain& main, const cmcCellHandler& handler, void* owner = nullptr);
cmcWarningFindings cmcRunWarningCheck(indMain& main);
std::vector<cmcCellFinding> cmcFindMarkedCells(indMain& main, const std::vector<std::string>& sheetReferences);
#endif

}  // namespace qx
