// "get" and "set": read and edit cells of a clone file through the program's own cell handler, the
// way the sheets show and edit them, for scripting many radios at once.
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellScript.h"
#include "cells/cmcCellViews.h"
#include "cells/cmcEditors.h"
#include "cli/cliArgs.h"
#include "cli/cliCommand.h"
#include "cli/cliMessageSink.h"
#include "cli/cliNumber.h"
#include "cli/cliVerify.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/cmcQcfFile.h"
#include "image/indMain.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace qx::cli {
namespace {

// Opens a clone file as the program does (and as 'channels' does): from the start image the
// program holds before any file is opened (the dPMR446 model's), the file is read, checked and
// adopted with its model type. A refusal prints "error <code> <key>" on stdout (the message has
// gone to stderr) and returns the code.
int OpenFile(indMain& main, const std::string& path) {
    main.LoadStartImage(kModelDPmr446);
    const int code = main.OpenCloneFile(path);
    if (code != 0) std::printf("error %d %s\n", code, cmcQcfFile::ErrorKey(code));
    return code;
}

// A cell description as written in sheets ("{(%CT_Mch.CL_Mch_FreqT[3])}"), or a bare identity
// ("%CT_Mch.CL_Mch_FreqT[3]"), read as one property.
void ParseCellArgument(const std::string& arg, cmcCellObj& cell) {
    const std::string desc = arg.find('{') == std::string::npos ? "{(" + arg + ")}" : arg;
    cmcCellCounters counters;
    cell.category = CT_Null;
    cell.index = 0;
    ParseCell(desc, &cell, &counters, nullptr);
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char ch : text) {
        if (ch == '\n')
            out += "\\n";
        else
            out += ch;
    }
    return out;
}

// Splits CELL=TEXT at the first "=" outside braces and parentheses.
bool SplitAssignment(const std::string& arg, std::string* cell, std::string* text) {
    int depth = 0;
    for (size_t i = 0; i < arg.size(); ++i) {
        const char ch = arg[i];
        if (ch == '\\' && i + 1 < arg.size()) {
            ++i;
        } else if (ch == '{' || ch == '(') {
            ++depth;
        } else if ((ch == '}' || ch == ')') && depth > 0) {
            --depth;
        } else if (ch == '=' && depth == 0) {
            *cell = arg.substr(0, i);
            *text = arg.substr(i + 1);
            return !cell->empty();
        }
    }
    return false;
}

const char* MarkWord(uint8_t flags) {
    if (flags & CRF_Error) return "error";
    if (flags & CRF_Warning) return "warning";
    return "ok";
}

QX_CLI_COMMAND(
    "get",
    "show cells of a clone file as the program's sheets show them",
    "Usage: qx-p2210-cli get FILE CELL...\n\n"
    "Opens FILE as the program opens a clone file and prints one line per CELL: the text the\n"
    "cell shows (line feeds written as \\n), a tab, and \"ok\", \"warning\" or \"error\" for its\n"
    "marks. CELL is a cell description as sheets write it, for example\n"
    "'{(%CT_Mch.CL_Mch_FreqT[3])}', or a bare identity such as '%CT_Mch.CL_Mch_FreqT[3]'.\n\n"
    "Exit status 0. A file that cannot be opened prints \"error <code> <message key>\" and exits\n"
    "with the code, as 'load' does; an unknown category or label name ends with status 3.",
    [](const std::vector<std::string>& args) -> int {
        cliArgs a;
        if (!a.Parse(args, {}) || a.Positional().size() < 2) {
            PrintError("get takes FILE and at least one CELL (try 'get --help')");
            return kExitUsage;
        }
        const std::vector<std::string>& files = a.Positional();
        for (size_t i = 1; i < files.size(); ++i)
            if (std::string why; !CheckCellIndexes(files[i], &why)) {
                PrintError(why);
                return kExitUsage;
            }
        OpenDefinitionFiles();
        indMain main;
        if (int code = OpenFile(main, files[0])) return code;
        cmcCellCapsule capsule(&main);
        for (size_t i = 1; i < files.size(); ++i) {
            cmcCellObj cell;
            ParseCellArgument(files[i], cell);
            cmcCellRequest req;
            req.cell = &cell;
            capsule.Execute(req, false);
            std::printf("%s\t%s\n", Escaped(req.display).c_str(), MarkWord(req.resultFlags));
        }
        return 0;
    });

QX_CLI_COMMAND(
    "set",
    "edit cells of a clone file and save the result",
    "Usage: qx-p2210-cli set FILE -o OUT [--yes] CELL=TEXT...\n\n"
    "Opens FILE as 'get' does and applies each CELL=TEXT in order (CELL as for 'get'; the first\n"
    "\"=\" outside braces and parentheses ends it):\n"
    "  TEXT            typed into the cell as into its in-place editor; a cell that takes no\n"
    "                  typed text but opens a chooser picks the item shown as TEXT ('High')\n"
    "  @key:space      the space key (next value)\n"
    "  @key:backspace  the backspace key (previous value)\n"
    "  @pick:N         item N of the chooser the cell opens on Enter; @pick:N,M,... goes on in\n"
    "                  the choosers that each pick opens\n"
    "Then OUT is saved as the program saves a clone file.\n\n"
    "CELL may name a range of indexes, '%CT_Mch.CL_Mch_RfPo[0..7]=@pick:2': the same TEXT goes into\n"
    "each cell of the range in turn, through that cell's own rules, as the program's sheets apply\n"
    "one edit to every selected row. A range is two whole numbers, the first not above the last.\n\n"
    "A value a cell refuses (an editor rejects it, or the cell takes no such input) is reported on\n"
    "stderr and the command exits 1 without saving. In a range every cell is tried: each cell that\n"
    "refuses the value (an empty channel, a channel past the banks' channels) is reported on a line\n"
    "'CELL[i]=TEXT: reason', then 'N of M cells of CELL refused; nothing saved', and the command\n"
    "exits 1 without saving, as for a single cell; a wrong range exits 64. An edit the program would ask about first (such\n"
    "as a bank layout that removes channels in use) is refused the same way unless --yes is given,\n"
    "which answers OK. After saving, OUT is opened again and every edited cell must show what it\n"
    "showed before the save; an edit the saved file does not keep is reported with the cell and its\n"
    "value, OUT is removed and the command exits 1. Exit 0 when OUT was saved.",
    [](const std::vector<std::string>& args) -> int {
        cliArgs a;
        const bool parsed = a.Parse(args, {{"o", true}, {"yes"}});
        const std::string out = a.Value("o");
        const bool yes = a.Has("yes");
        const std::vector<std::string>& positional = a.Positional();
        const std::string in = positional.empty() ? std::string() : positional.front();
        const std::vector<std::string> pairs(positional.begin() + (positional.empty() ? 0 : 1), positional.end());
        if (!parsed || in.empty() || out.empty() || pairs.empty()) {
            PrintError("set takes FILE, -o OUT and at least one CELL=TEXT (try 'set --help')");
            return kExitUsage;
        }
        // One CELL=TEXT, its range expanded into the cells it names.
        struct Edit {
            std::string arg, text;
            std::vector<std::string> cells;
        };
        std::vector<Edit> edits;
        for (const auto& p : pairs) {
            Edit e;
            if (!SplitAssignment(p, &e.arg, &e.text)) {
                PrintError("'" + p + "' is not CELL=TEXT");
                return kExitUsage;
            }
            std::string why;
            if (!cmcCellScript::ExpandRange(e.arg, &e.cells, &why) || !CheckPickNumbers(e.text, &why)) {
                PrintError(why);
                return kExitUsage;
            }
            for (const auto& cell : e.cells)
                if (!CheckCellIndexes(cell, &why)) {
                    PrintError(why);
                    return kExitUsage;
                }
            edits.push_back(std::move(e));
        }
        OpenDefinitionFiles();
        indMain main;
        if (int code = OpenFile(main, in)) return code;
        cmcCellScript editor(main);
        cmcMessageSink& previous = cmcMessages();
        cliQuestionSink questions(previous, yes, false);
        cmcSetMessageSink(&questions);
        struct Restore {
            cmcMessageSink& sink;
            ~Restore() { cmcSetMessageSink(&sink); }
        } restore{previous};
        std::vector<cliEditedCell> edited;
        for (const auto& e : edits) {
            const bool range = e.cells.size() != 1 || e.cells.front() != e.arg;
            std::vector<cmcCellObj> cells(e.cells.size());
            std::vector<cmcCellObj*> targets;
            for (size_t k = 0; k < cells.size(); ++k) {
                ParseCellArgument(e.cells[k], cells[k]);
                targets.push_back(&cells[k]);
                edited.push_back({e.cells[k], cells[k]});
            }
            const std::string& text = e.text;
            const auto result = editor.ApplyEach(
                targets, [&text](cmcCellScript& s, cmcCellObj& cell, std::string* why) { return s.Apply(cell, text, why); });
            if (result.refused.empty()) continue;
            if (!range) {
                PrintError(e.arg + "=" + text + ": " + result.refused.front().why + "; nothing saved");
                return 1;
            }
            for (const auto& r : result.refused) PrintError(e.cells[r.at] + "=" + text + ": " + r.why);
            PrintError(std::to_string(result.refused.size()) + " of " + std::to_string(cells.size()) + " cells of " +
                       e.arg + " refused; nothing saved");
            return 1;
        }
        if (!main.SaveCloneFile(out)) return 1;
        // Every edit must be in the file: one the save dropped fails the command.
        if (!VerifySaved(main, out, edited)) return 1;
        return 0;
    });

}  // namespace
}  // namespace qx::cli
