// "info", "read" and "write": clone with a radio on a serial device, through the same clone manager
// and user commands as the program. Messages (from the definition files) go to stderr; while a
// read or write runs, a progress bar is drawn on stderr when it is a terminal. The exit status is
// the clone result code.
#include "cli/cliCommand.h"
#include "cli/cliMessageSink.h"
#include "comm/indCloneMan.h"
#include "comm/indEnviron.h"
#include "common/cmcMessage.h"
#include "cells/cmcCellCapsule.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcCellRequest.h"
#include "defs/cmcGTex.h"
#include "image/indMain.h"

#include <QEventLoop>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <unistd.h>

namespace qx::cli {
namespace {

// Exit statuses besides the clone result codes.
constexpr int kExitStopped = 1;       // refused or cancelled before anything was cloned
constexpr int kExitFileRefused = 65;  // the clone file to write could not be opened
constexpr int kExitCannotSave = 73;   // the image read could not be saved

constexpr const char* kStatusHelp =
    "Exit status: 0 success; 1 refused or cancelled before cloning; 2 the port could not be\n"
    "opened; 4 echo error (cable); 5 the radio did not answer in time; 6 bad frame or refusal;\n"
    "7 frame count; 8 incomplete read; 9 address error; 10 write not confirmed; 11 not a ZT5531K\n"
    "radio or bad identification data; 14 newer memory layout; 15 image read refused; 16 newer\n"
    "data; 17 the port stopped accepting bytes; 64 usage.";

struct Options {
    std::string port;
    bool highSpeed = false;
    bool yes = false;
    std::string output;
    std::string file;
};

// Reads the options; false (after a message) on a wrong command line.
bool Parse(const std::vector<std::string>& args, Options& o, bool wantOutput, bool wantFile) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--port" || a == "-o") && i + 1 < args.size()) {
            (a == "--port" ? o.port : o.output) = args[++i];
        } else if (a == "--high-speed") {
            o.highSpeed = true;
        } else if (a == "--yes" || a == "-y") {
            o.yes = true;
        } else if (!a.empty() && a[0] != '-' && wantFile && o.file.empty()) {
            o.file = a;
        } else {
            PrintError("unexpected argument '" + a + "' (try --help)");
            return false;
        }
    }
    if (o.port.empty()) {
        PrintError("--port DEVICE is required (try --help)");
        return false;
    }
    if (wantOutput && o.output.empty()) {
        PrintError("-o FILE is required (try --help)");
        return false;
    }
    if (wantFile && o.file.empty()) {
        PrintError("the clone file to write is required (try --help)");
        return false;
    }
    return true;
}

// A progress bar on stderr, drawn only when stderr is a terminal.
class TerminalView final : public indCloneView {
public:
    void ShowCloning() override { shown_ = false; }
    void Progress(int done, int total) override {
        if (!tty_ || total <= 0) return;
        constexpr int kWidth = 32;
        int filled = static_cast<int>(static_cast<long long>(done) * kWidth / total);
        if (filled > kWidth) filled = kWidth;
        std::string bar(static_cast<size_t>(filled), '#');
        bar.append(static_cast<size_t>(kWidth - filled), '.');
        std::fprintf(stderr, "\rCloning [%s] %3d%%  %d/%d bytes", bar.c_str(),
                     static_cast<int>(static_cast<long long>(done) * 100 / total), done, total);
        std::fflush(stderr);
        shown_ = true;
    }
    void HideCloning() override {
        if (shown_) std::fputc('\n', stderr);
        shown_ = false;
    }

private:
    bool tty_ = isatty(STDERR_FILENO) != 0;
    bool shown_ = false;
};

// The program's objects for one command: the main object with its start image, the clone
// manager on the named device, the user commands.
struct Session {
    indMain main;
    indCloneMan manager;
    indCloneCommands commands{main, manager};
    TerminalView view;

    explicit Session(const Options& o) {
        OpenDefinitionFiles();
        main.LoadStartImage(Environ().ModelType);
        manager.SetPortDevice(o.port);
        manager.SetHighSpeed(o.highSpeed ? 1 : 0);
        manager.SetView(&view);
    }

    // Runs a command to its end on the event loop; the outcome is the clone result code, or -1
    // when it stopped before cloning.
    int Run(const std::function<bool(indCloneCommands&)>& start) {
        QEventLoop loop;
        bool ended = false;
        int outcome = -1;
        commands.finished = [&](int o) {
            ended = true;
            outcome = o;
            loop.quit();
        };
        bool started = start(commands);
        if (started && !ended) loop.exec();
        commands.finished = nullptr;
        return ended ? outcome : -1;
    }
};

int ExitStatus(int outcome) { return outcome < 0 ? kExitStopped : outcome; }

// The clone information fields as the clone information window shows them: the rows of its sheet
// definition, each a caption and the value its cells show.
void PrintInformation(indMain& main) {
    cmcCellCapsule capsule(&main);
    cmcCellCounters counters;
    std::string rows = GTex().SectionText("GI_Sheet_CloneInfo_Cells");
    for (size_t start = 0; start < rows.size();) {
        size_t end = rows.find('\n', start);
        if (end == std::string::npos) end = rows.size();
        std::string row = rows.substr(start, end - start);
        start = end + 1;
        std::string caption;
        std::string value;
        std::string_view rest = row;
        while (!rest.empty()) {
            cmcCellObj cell;
            rest = ParseCell(rest, &cell, &counters, nullptr);
            if (cell.label == kLabelNone) {
                if (caption.empty() && cell.text) caption = *cell.text;
                continue;
            }
            cmcCellRequest req;
            req.cell = &cell;
            req.owner = &main;
            req.category = cell.category;
            req.label = cell.label;
            req.index = cell.index;
            capsule.Execute(req, false);
            value += req.display;
        }
        while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) value.pop_back();
        // Multi-line values continue on lines indented under the first.
        std::string shown;
        for (char c : value) shown += c == '\n' ? std::string("\n") + std::string(caption.size() + 2, ' ') : std::string(1, c);
        std::printf("%s: %s\n", caption.c_str(), shown.c_str());
    }
}

QX_CLI_COMMAND(
    "info",
    "identify the radio and print its clone information",
    std::string("Usage: qx-p2210-cli info --port DEVICE\n\n"
                "Identifies the radio on the programming cable at DEVICE (for example /dev/ttyUSB0, or\n"
                "the pseudo-terminal that qx-p2210-radiosim prints) and prints its clone information:\n"
                "model, revision, comments, options, over-voltage, serial number and checksum, as the\n"
                "clone information window shows them.\n\n") +
        kStatusHelp,
    [](const std::vector<std::string>& args) -> int {
        Options o;
        if (!Parse(args, o, false, false)) return kExitUsage;
        Session s(o);
        s.commands.showInformation = [&s] { PrintInformation(s.main); };
        return ExitStatus(s.Run([](indCloneCommands& c) { return c.CloneInformation(); }));
    });

QX_CLI_COMMAND(
    "read",
    "read the radio's memory into a clone file",
    std::string("Usage: qx-p2210-cli read --port DEVICE [--high-speed] -o FILE\n\n"
                "Identifies the radio at DEVICE, reads its memory (at 38400 bit/s with --high-speed,\n"
                "else 9600) and, when the data passes the program's checks, saves it as the clone\n"
                "file FILE, exactly as the program saves what it has read: opening FILE gives the\n"
                "same data. A failed or refused read writes nothing.\n\n") +
        kStatusHelp + " 73: FILE could not be written.",
    [](const std::vector<std::string>& args) -> int {
        Options o;
        if (!Parse(args, o, true, false)) return kExitUsage;
        Session s(o);
        int outcome = s.Run([](indCloneCommands& c) { return c.CloneRead(); });
        if (outcome != 0) return ExitStatus(outcome);
        return s.main.SaveCloneFile(o.output) ? 0 : kExitCannotSave;
    });

QX_CLI_COMMAND(
    "write",
    "write a clone file into the radio",
    std::string("Usage: qx-p2210-cli write --port DEVICE [--high-speed] [--yes] FILE\n\n"
                "Opens the clone file FILE as the program does, then runs the program's clone write:\n"
                "it refuses data without a channel in use, identifies the radio, asks for\n"
                "confirmation on the terminal (type yes; --yes answers for you, and without a\n"
                "terminal the write is cancelled), identifies the radio again and writes the\n"
                "prepared data (at 38400 bit/s with --high-speed, else 9600).\n\n") +
        kStatusHelp + " 65: FILE was refused.",
    [](const std::vector<std::string>& args) -> int {
        Options o;
        if (!Parse(args, o, false, true)) return kExitUsage;
        Session s(o);
        if (s.main.OpenCloneFile(o.file) != 0) return kExitFileRefused;
        cmcMessageSink& previous = cmcMessages();
        cliQuestionSink questions(previous, o.yes, true);
        cmcSetMessageSink(&questions);
        int outcome = s.Run([](indCloneCommands& c) { return c.CloneWrite(); });
        cmcSetMessageSink(&previous);
        return ExitStatus(outcome);
    });

}  // namespace
}  // namespace qx::cli
