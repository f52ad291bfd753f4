// Commands of qx-p2210-cli. Each command lives in its own file and registers itself with
// QX_CLI_COMMAND; main() dispatches on the first argument.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qx {
class indMain;
}

namespace qx::cli {

struct cliCommand {
    std::string name;
    std::string summary;  // one line for the command list
    std::string usage;    // full help text of the command, printed by "CMD --help"
    std::function<int(const std::vector<std::string>& args)> run;  // arguments after the command name
};

std::vector<cliCommand>& Commands();

struct cliRegistrar {
    explicit cliRegistrar(cliCommand c) { Commands().push_back(std::move(c)); }
};

// Exit status for a command line that is wrong (unknown command, missing argument).
inline constexpr int kExitUsage = 64;
// Exit status for a command whose standard output could not be written (checked in main()).
inline constexpr int kExitOutputLost = 74;

// Prints "qx-p2210-cli: <text>" on stderr.
void PrintError(const std::string& text);

// Shared by the commands that draw sheets (render, print), cliSheets.cpp.
// Whether a command draws: main() creates the graphical application object for it.
bool DrawingCommand(const std::string& name);
// False, with a message, when the graphical application object is missing.
bool RequireGraphics(const std::string& command);
// Opens the definition files and installs the program's cell handler.
void StartDrawing();
// False, with a message naming `command`, when the definition files lack a section of sheet `key`.
bool HasSheet(const std::string& command, const std::string& key);

}  // namespace qx::cli

#define QX_CLI_CAT2(a, b) a##b
#define QX_CLI_CAT(a, b) QX_CLI_CAT2(a, b)
#define QX_CLI_COMMAND(...) \
    static ::qx::cli::cliRegistrar QX_CLI_CAT(qx_cli_registrar_, __LINE__)(::qx::cli::cliCommand{__VA_ARGS__})
