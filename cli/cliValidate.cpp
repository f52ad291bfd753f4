// "validate": every warning and error mark of a clone file's cells, named by sheet, row and column
// as the program shows them, with the reason its tooltip gives.
#include "app/cuiTree.h"
#include "cells/cmcWarningCheck.h"
#include "cli/cliArgs.h"
#include "cli/cliCommand.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/indMain.h"

#include <cstdio>

namespace qx::cli {
namespace {

constexpr int kExitFound = 1;
constexpr int kExitRefused = 65;

int Validate(const std::vector<std::string>& args) {
    cliArgs a;
    const bool wrong = !a.Parse(args, {{"strict"}}) || a.Positional().size() != 1;
    const bool strict = a.Has("strict");
    const std::string file = a.Positional().empty() ? std::string() : a.Positional().front();
    if (wrong || file.empty()) {
        PrintError("validate takes one clone file and --strict (try 'validate --help')");
        return kExitUsage;
    }
    if (!RequireGraphics("validate")) return 1;
    StartDrawing();
    indMain main;
    main.LoadStartImage(kModelDPmr446);
    if (main.OpenCloneFile(file) != 0) return kExitRefused;
    bool failed = false;
    for (const cmcCellFinding& f : cmcFindMarkedCells(main, cuiTree::MainTreeSheets(GTex(), main))) {
        std::printf("%s\n", f.Text().c_str());
        failed = failed || f.error || strict;
    }
    return failed ? kExitFound : 0;
}

QX_CLI_COMMAND("validate", "list the warning and error marks of a clone file's cells",
               "Usage: qx-p2210-cli validate FILE [--strict]\n\n"
               "Opens FILE as the program does, runs the checks that mark cells in the program (and\n"
               "its topic tree) and prints every marked cell, sheet by sheet in the order of the\n"
               "topic tree, one line each with the reason the cell's tooltip gives:\n"
               "  Sheet / row / column: warning: reason\n"
               "  Sheet / row / column: error: reason\n"
               "A mark of the check list without a cell of its own is named \"Sheet / - / -\".\n"
               "Errors stop a clone write; warnings do not.\n\n"
               "  --strict   warnings count as errors\n\n"
               "Exit 0 no error (and, with --strict, no warning); 1 an error (or a warning with\n"
               "--strict); 65 FILE is refused.",
               Validate);

}  // namespace
}  // namespace qx::cli
