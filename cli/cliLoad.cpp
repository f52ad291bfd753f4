// "load" and "copy": read a clone file exactly as the program reads its initial file, and write the
// EEPROM area of an accepted file to a new clone file.
#include "cli/cliArgs.h"
#include "cli/cliCommand.h"
#include "defs/cmcGTex.h"
#include "image/cmcEeprom.h"
#include "image/cmcQcfFile.h"
#include "image/cmcQcfWriter.h"
#include "image/indFileChecks.h"

#include <cstdio>

namespace qx::cli {
namespace {

// Loads `path` into `image` with the family's header and map revision checks and full coverage of
// the EEPROM area. On refusal prints "error <code> <key>" on stdout (the reader has already shown
// the message text, which goes to stderr) and returns the code.
int LoadCloneFile(const std::string& path, cmcEeprom& image) {
    OpenDefinitionFiles();
    image.Resize(kImageSize);
    cmcQcfFile file;
    indPrepareCloneFileReader(file, image);
    const int code = file.Load(path, indEepromAreaRanges());
    if (code != 0) std::printf("error %d %s\n", code, cmcQcfFile::ErrorKey(code));
    return code;
}

QX_CLI_COMMAND(
    "load",
    "check a clone file as the program reads it",
    "Usage: qx-p2210-cli load FILE\n\n"
    "Reads FILE as the program reads a clone file: the header must name this radio family\n"
    "(61530000 or 61530100), the map revision must be 6, and the data lines must cover the\n"
    "EEPROM area 0000-7D7F exactly.\n\n"
    "Prints \"ok\" and exits 0 when the file is accepted. Otherwise prints\n"
    "\"error <code> <message key>\" on stdout and the message on stderr, and exits with the code:\n"
    "  1 cannot be opened   2 read failed     3 other model     4 other variant\n"
    "  5 map revision       6 malformed line  7 data missing    8 data outside the area\n"
    "  10 larger than any clone file (1 MiB), not read",
    [](const std::vector<std::string>& args) -> int {
        cliArgs a;
        if (!a.Parse(args, {}) || a.Positional().size() != 1) {
            PrintError("load takes one FILE (try 'load --help')");
            return kExitUsage;
        }
        const std::vector<std::string>& files = a.Positional();
        cmcEeprom image;
        const int code = LoadCloneFile(files[0], image);
        if (code == 0) std::printf("ok\n");
        return code;
    });

QX_CLI_COMMAND(
    "copy",
    "load a clone file and write its EEPROM area to a new one",
    "Usage: qx-p2210-cli copy IN OUT\n\n"
    "Loads IN exactly as 'load' does, then writes its EEPROM area 0000-7D7F to OUT as a clone\n"
    "file (header 61530000, map revision 6, lines of 32 bytes). OUT is replaced only once the new\n"
    "file is complete.\n\n"
    "Prints \"ok\" and exits 0 on success. A refused IN gives the output and exit status of 'load';\n"
    "when OUT cannot be written the reason is printed on stderr and the exit status is 1.",
    [](const std::vector<std::string>& args) -> int {
        cliArgs a;
        if (!a.Parse(args, {}) || a.Positional().size() != 2) {
            PrintError("copy takes IN and OUT (try 'copy --help')");
            return kExitUsage;
        }
        const std::vector<std::string>& files = a.Positional();
        cmcEeprom image;
        const int code = LoadCloneFile(files[0], image);
        if (code != 0) return code;
        cmcQcfWriter writer;
        if (!writer.Write(files[1], image, indEepromAreaRanges())) {
            PrintError(writer.ErrorText());
            return 1;
        }
        std::printf("ok\n");
        return 0;
    });

}  // namespace
}  // namespace qx::cli
