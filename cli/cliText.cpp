// "text": prints a text of the main definition file in the data folder.
#include "cli/cliArgs.h"
#include "cli/cliCommand.h"
#include "defs/cmcGTex.h"

#include <charconv>
#include <cstdio>

namespace qx::cli {
namespace {

int RunText(const std::vector<std::string>& args) {
    cliArgs a;
    const bool parsed = a.Parse(args, {{"section"}});
    const bool section = a.Has("section");
    const std::vector<std::string>& rest = a.Positional();
    if (!parsed || rest.empty() || rest.size() > 2 || (section && rest.size() != 1)) {
        PrintError("usage: text [--section] KEY [LINE]");
        return kExitUsage;
    }
    int line = 0;
    if (rest.size() == 2) {
        const std::string& s = rest[1];
        auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), line);
        if (ec != std::errc() || end != s.data() + s.size() || line < 0) {
            PrintError("LINE must be a line number from 0, not '" + s + "'");
            return kExitUsage;
        }
    }
    OpenDefinitionFiles();
    // A missing key ends the process with the store's own lookup message and status 3.
    std::string text = section ? GTex().SectionText(rest[0]) : GTex().Line(rest[0], line);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    return 0;
}

}  // namespace

QX_CLI_COMMAND("text", "print a text of the definition file",
                "Usage: qx-p2210-cli text KEY [LINE]\n"
                "       qx-p2210-cli text --section KEY\n\n"
                "Prints line LINE (from 0, default 0) of the section KEY of ZT5531K.OVL in the data\n"
                "folder, or with --section the section's text: its lines up to the first line that\n"
                "starts with '#', joined by line feeds. A key that is not in the file prints the lookup\n"
                "error on stderr and exits with status 3.",
                RunText);

}  // namespace qx::cli
