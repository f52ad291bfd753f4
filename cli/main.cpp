// qx-p2210-cli: the scriptable front end to the same core as the program.
#include "cli/cliCommand.h"
#include "cli/cliMessageSink.h"
#include "common/cmcMessage.h"
#include "common/cmcVersion.h"

#include <QApplication>
#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace qx::cli {

std::vector<cliCommand>& Commands() {
    static std::vector<cliCommand> commands;
    return commands;
}

void PrintError(const std::string& text) { std::fprintf(stderr, "qx-p2210-cli: %s\n", text.c_str()); }

namespace {

void PrintOverview() {
    std::printf("Usage: qx-p2210-cli COMMAND [ARGS...]\n\n"
                "Reads, checks, edits and clones images of the ZT5531K radio family. Run\n"
                "'qx-p2210-cli COMMAND --help' for the arguments of a command.\n\n"
                "Commands:\n");
    auto cmds = Commands();
    std::sort(cmds.begin(), cmds.end(), [](auto& a, auto& b) { return a.name < b.name; });
    for (auto& c : cmds) std::printf("  %-10s %s\n", c.name.c_str(), c.summary.c_str());
    std::printf("\n"
                "Options:\n"
                "  -h, --help       show this help and exit\n"
                "  -v, --version    show the version and exit\n\n"
                "Exit status:\n"
                "  0    success\n"
                "  3    a definition key the command needs is missing from the definition files\n"
                "  64   the command line was wrong (unknown command or option, missing argument)\n"
                "  74   standard output could not be written (a full disk, a closed terminal); what\n"
                "       the command wrote to its own files is kept\n"
                "  else as the command's help says (clone file error codes, clone result codes, ...)\n\n"
                "Files:\n"
                "  PREFIX/share/qx-p2210/   the definition files and initial clone files; a folder\n"
                "                           beside the executable holding them is used first\n");
}

// Every command's standard output is checked here, once: when some of it could not be written (a
// full disk, a closed pipe) the reason goes to stderr, and statuses 0-2, the outcomes the output
// reports (success, "differ", ...), become kExitOutputLost. Higher statuses are failures of their
// own, already explained on stderr, and stay.
int FinishOutput(int status) {
    int err = 0;
    if (std::fflush(stdout) != 0) err = errno;
    if (std::ferror(stdout) && err == 0) err = EIO;
    if (err == 0) return status;
    PrintError(std::string("cannot write standard output: ") + std::strerror(err));
    return status < 3 ? kExitOutputLost : status;
}

}  // namespace
}  // namespace qx::cli

int main(int argc, char** argv) {
    using namespace qx::cli;
    // Commands that draw need the graphical application object, on the offscreen platform unless
    // another is asked for; all others run without one.
    std::unique_ptr<QCoreApplication> app;
    if (argc >= 2 && DrawingCommand(argv[1])) {
        if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
        // Only the program name goes to the application object: it would take options such as
        // "--style" for its own.
        static int appArgc = 1;
        static char* appArgv[] = {argv[0], nullptr};
        app = std::make_unique<QApplication>(appArgc, appArgv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    qx::cmcSetProgramPath(argv[0]);
    static cliMessageSink sink;
    qx::cmcSetMessageSink(&sink);

    if (argc < 2) {
        PrintOverview();
        return kExitUsage;
    }
    std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintOverview();
        return FinishOutput(0);
    }
    if (name == "--version" || name == "-v") {
        std::printf("qx-p2210-cli %s\n", qx::cmcVersion().c_str());
        return FinishOutput(0);
    }
    for (auto& c : Commands()) {
        if (c.name != name) continue;
        std::vector<std::string> args(argv + 2, argv + argc);
        if (std::find_if(args.begin(), args.end(), [](auto& a) { return a == "--help" || a == "-h"; }) != args.end()) {
            std::printf("%s\n", c.usage.c_str());
            return FinishOutput(0);
        }
        return FinishOutput(c.run(args));
    }
    PrintError("unknown command '" + name + "' (try --help)");
    return kExitUsage;
}
