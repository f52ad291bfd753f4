// "lint": checks the definition files the way the program will read them.
#include "cli/cliArgs.h"
#include "cli/cliCommand.h"
#include "cli/cliMessageSink.h"
#include "common/cmcDataDir.h"
#include "common/cmcMessage.h"
#include "defs/cmcDefLint.h"

#include <cstdio>

namespace qx::cli {
namespace {

int RunLint(const std::vector<std::string>& args) {
    cliArgs a;
    if (!a.Parse(args, {}) || a.Positional().size() > 1) {
        PrintError("usage: lint [DIR]");
        return kExitUsage;
    }
    std::string dir = a.Positional().empty() ? cmcDataDir() : a.Positional()[0];
    if (dir.empty()) dir = "./";
    if (dir.back() != '/') dir += '/';

    // Fatal errors become exceptions, so that the checker reports the fault and goes on.
    cliThrowingSink sink;
    cmcMessageSink* previous = &cmcMessages();
    cmcSetMessageSink(&sink);
    std::vector<cmcLintProblem> problems = LintDefinitionFiles(dir);
    cmcSetMessageSink(previous);

    for (const auto& p : problems) std::printf("%s\n", FormatLintProblem(p).c_str());
    if (problems.empty()) {
        std::printf("%sZT5531K.OVL, %sZT5531KH.OVL: no problems\n", dir.c_str(), dir.c_str());
        return 0;
    }
    std::printf("%zu problem%s\n", problems.size(), problems.size() == 1 ? "" : "s");
    return 1;
}

}  // namespace

QX_CLI_COMMAND("lint", "check the definition files",
               "Usage: qx-p2210-cli lint [DIR]\n\n"
               "Checks ZT5531K.OVL and ZT5531KH.OVL in DIR (default: the data folder) the way the\n"
               "program reads them: every section of cell descriptions (cell models, sheets, menus,\n"
               "popup menus, tool bar, trees, the warning check list) parses without a fatal error and\n"
               "without parts the program would ignore; every '$' model, popup menu and sheet named\n"
               "exists; every sheet has its _Style, _BasicCell and _Cells sections; every key the\n"
               "program looks up exists; the help tables are well formed. Prints each problem as\n"
               "FILE:LINE: KEY: MESSAGE and exits with status 1 when there is any, 0 otherwise.",
               RunLint);

}  // namespace qx::cli
