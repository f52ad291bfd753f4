// "info", "read" and "write": clone with a radio on a serial device, through the same clone manager
// and user commands as the program. Messages (from the definition files) go to stderr; while a
// read or write runs, a progress bar is drawn on stderr when it is a terminal. The exit status is
// the clone result code.
#include "cli/cliArgs.h"
#include "cli/cliCommand.h"
#include "cli/cliMessageSink.h"
#include "comm/indCloneMan.h"
#include "comm/indEnviron.h"
#include "comm/indFleet.h"
#include "common/cmcFillText.h"
#include "common/cmcMessage.h"
#include "cells/cmcCellCapsule.h"
#include "cells/cmcWarningCheck.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcCellRequest.h"
#include "defs/cmcGTex.h"
#include "image/indMain.h"

#include "comm/indWriteGuard.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <algorithm>
#include <iostream>
#include <memory>
#include <set>
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
    "data; 17 the port stopped accepting bytes; 18 the radio read back differs from what\n"
    "was written; 19 the radio is of another model type than the file; 64 usage.";

// What the messages of the clone write advise on the command line, in place of the program's menu.
constexpr const char* kBackupAdvice =
    "Free the folder or name another one with --backup DIR, or write with --no-backup, and write again.";
constexpr const char* kShortRadioAdvice = "To write this radio without a backup, write again with --no-backup.";
constexpr const char* kOtherModelAdvice =
    "Write with --change-model to replace the radio's model type and all of its data anyway.";

struct Options {
    std::string port;                // the first --port
    std::vector<std::string> ports;  // every --port, in order
    bool highSpeed = false;
    bool yes = false;
    std::string output;
    std::string file;
    bool backup = true;
    std::string backupDir;
    bool verify = true;
    bool changeModel = false;
    std::vector<std::string> each;  // write: every --each, in order
    std::string fleet;              // write: --fleet PLAN.csv
    std::string log;                // write: --log FILE
};

// Reads the options; false (after a message) on a wrong command line. `many`: --port may repeat;
// `writing`: the backup and verify options are accepted.
bool Parse(const std::vector<std::string>& args, Options& o, bool wantOutput, bool wantFile, bool many = false,
           bool writing = false) {
    cliArgs line;
    const bool parsed = writing ? line.Parse(args, {{"port", true}, {"o", true}, {"high-speed"}, {"yes|y"}, {"no-backup"},
                                                    {"backup", true}, {"no-verify"}, {"change-model"},
                                                    {"each", true}, {"fleet", true}, {"log", true}})
                                : line.Parse(args, {{"port", true}, {"o", true}, {"high-speed"}, {"yes|y"}});
    std::string bad = parsed ? FirstBadPositional(line.Positional(), wantFile ? 1 : 0) : line.BadArgument();
    o.ports = line.Values("port");
    // A command for one radio takes one --port.
    if (bad.empty() && !many && o.ports.size() > 1) bad = "--port";
    if (!bad.empty()) {
        PrintError("unexpected argument '" + bad + "' (try --help)");
        return false;
    }
    if (!o.ports.empty()) o.port = o.ports.front();
    o.output = line.Value("o");
    o.highSpeed = line.Has("high-speed");
    o.yes = line.Has("yes");
    o.backup = !line.Has("no-backup");
    o.backupDir = line.Value("backup");
    o.verify = !line.Has("no-verify");
    o.changeModel = line.Has("change-model");
    if (writing) {
        o.each = line.Values("each");
        o.fleet = line.Value("fleet");
        o.log = line.Value("log");
    }
    if (!line.Positional().empty()) o.file = line.Positional().front();
    // A plan keyed by port may name the ports itself.
    if (o.port.empty() && o.fleet.empty()) {
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

// The clone write's command-line choices: a radio of another model type is refused (code 19)
// unless --change-model; the messages point to the options, not to the program's menus.
void SetWriteAdvice(indCloneCommands& c, const Options& o) {
    c.changeModel = o.changeModel ? 1 : 0;
    c.backupAdvice = kBackupAdvice;
    c.shortRadioAdvice = kShortRadioAdvice;
    c.otherModelAdvice = kOtherModelAdvice;
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
        std::fprintf(stderr, "\r%s [%s] %3d%%  %d/%d bytes", phase_.c_str(), bar.c_str(),
                     static_cast<int>(static_cast<long long>(done) * 100 / total), done, total);
        std::fflush(stderr);
        shown_ = true;
    }
    void HideCloning() override {
        if (shown_) std::fputc('\n', stderr);
        shown_ = false;
    }
    void Phase(int phase) override { phase_ = indClonePhaseText(phase); }

private:
    std::string phase_ = "Cloning";
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
        commands.backup = o.backup ? 1 : 0;
        commands.backupDir = o.backupDir;
        commands.verify = o.verify;
        SetWriteAdvice(commands, o);
        commands.backupSaved = [](const std::string& path) { std::fprintf(stderr, "Backup: %s\n", path.c_str()); };
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


// ---- several radios at once ------------------------------------------------------------------

// One progress line per radio: redrawn in place on a terminal, else a line whenever a radio
// moves to another phase or ends.
class FleetView {
public:
    explicit FleetView(const indFleet& fleet) : fleet_(fleet) {}

    void Update(size_t i, bool phaseChanged) {
        if (!tty_) {
            if (phaseChanged) std::fprintf(stderr, "%s\n", Line(fleet_.At(i)).c_str());
            return;
        }
        if (drawn_) std::fprintf(stderr, "\x1b[%zuA", fleet_.Count());
        for (size_t k = 0; k < fleet_.Count(); ++k) std::fprintf(stderr, "\r\x1b[2K%s\n", Line(fleet_.At(k)).c_str());
        drawn_ = true;
        std::fflush(stderr);
    }

private:
    std::string Line(const indFleet::Radio& r) const {
        size_t width = 0;
        for (size_t k = 0; k < fleet_.Count(); ++k) width = std::max(width, fleet_.At(k).port.size());
        std::string line = r.port + std::string(width - r.port.size() + 2, ' ');
        if (r.ended) return line + (r.outcome == 0 ? "done" : "failed (" + std::to_string(r.Status()) + ")");
        if (r.phase < 0) return line + "identifying";
        constexpr int kWidth = 32;
        const int filled = r.total > 0 ? std::min(kWidth, static_cast<int>(static_cast<long long>(r.done) * kWidth / r.total)) : 0;
        std::string bar(static_cast<size_t>(filled), '#');
        bar.append(static_cast<size_t>(kWidth - filled), '.');
        const int percent = r.total > 0 ? static_cast<int>(static_cast<long long>(r.done) * 100 / r.total) : 0;
        char tail[32];
        std::snprintf(tail, sizeof tail, "] %3d%%  ", percent);
        return line + "[" + bar + tail + indClonePhaseText(r.phase);
    }

    const indFleet& fleet_;
    bool tty_ = isatty(STDERR_FILENO) != 0;
    bool drawn_ = false;
};

indFleetOptions FleetOptions(const Options& o) {
    indFleetOptions f;
    f.highSpeed = o.highSpeed;
    f.backup = o.backup ? 1 : 0;
    f.backupDir = o.backupDir;
    f.verify = o.verify;
    f.changeModel = o.changeModel ? 1 : 0;
    f.logFile = o.log;
    f.backupAdvice = kBackupAdvice;
    f.shortRadioAdvice = kShortRadioAdvice;
    f.otherModelAdvice = kOtherModelAdvice;
    return f;
}

// Runs a fleet started by `start` to its end on one event loop, prints the summary table on
// stdout and returns the exit status: 0 when every radio succeeded, else the highest code.
int RunFleet(const std::vector<std::string>& ports, const std::function<bool(indFleet&)>& start,
             const std::function<void(const indFleet&)>& after = nullptr) {
    indFleet fleet(ports);
    FleetView view(fleet);
    QEventLoop loop;
    bool done = false;
    fleet.changed = [&view](size_t i, bool phaseChanged) { view.Update(i, phaseChanged); };
    fleet.finished = [&] {
        done = true;
        loop.quit();
    };
    if (!start(fleet)) return kExitFileRefused;
    if (!done) loop.exec();

    size_t portWidth = 4, serialWidth = 6;
    for (size_t i = 0; i < fleet.Count(); ++i) {
        portWidth = std::max(portWidth, fleet.At(i).port.size());
        serialWidth = std::max(serialWidth, fleet.At(i).serial.size());
    }
    std::printf("%-*s  %-*s  RESULT\n", static_cast<int>(portWidth), "PORT", static_cast<int>(serialWidth), "SERIAL");
    std::set<std::string> logProblems;
    for (size_t i = 0; i < fleet.Count(); ++i) {
        const indFleet::Radio& r = fleet.At(i);
        const int code = r.Status();
        std::string result = std::to_string(code) + " ";
        if (code == 0)
            result += r.saved.empty() ? "ok" : "ok " + r.saved;
        else
            result += r.error.empty() ? std::string(code == kExitStopped ? "stopped before cloning" : "failed") : r.error;
        const std::string serial = r.serial.empty() ? "-" : r.serial;
        std::printf("%-*s  %-*s  %s\n", static_cast<int>(portWidth), r.port.c_str(), static_cast<int>(serialWidth),
                    serial.c_str(), result.c_str());
        if (!r.logProblem.empty()) logProblems.insert(r.logProblem);
    }
    std::fflush(stdout);
    // A write the log could not record is said; it does not change the radios' results.
    for (const auto& why : logProblems)
        std::fprintf(stderr, "%s\n", cmcFillText(GTex().SectionText("GI_Mess_FleetLog_Failed"), {why}).c_str());
    if (after) after(fleet);
    return fleet.ExitStatus();
}

bool IsFolder(const std::string& path) {
    return (!path.empty() && path.back() == '/') || QFileInfo(QString::fromStdString(path)).isDir();
}

// The per-radio values of a write (--each, --fleet) for `ports`; a Port plan without --port names
// the ports itself. False (after a message) on a wrong command line.
bool BuildPlan(const Options& o, std::vector<std::string>* ports, cmcFleetPlan* plan) {
    std::string why;
    if (!o.fleet.empty()) {
        if (!o.each.empty()) {
            PrintError("--each and --fleet cannot be combined: put the column into the plan");
            return false;
        }
        if (!plan->ReadCsv(o.fleet, &why)) {
            PrintError(why);
            return false;
        }
        if (ports->empty()) {
            if (plan->key != cmcFleetKey::Port) {
                PrintError("--port DEVICE is required: a plan keyed by Serial names no ports (try --help)");
                return false;
            }
            *ports = plan->Ports();
        } else if (plan->key == cmcFleetKey::Port) {
            const std::vector<std::string> named = plan->Ports();
            for (const auto& port : *ports)
                if (std::find(named.begin(), named.end(), port) == named.end()) {
                    PrintError("the port " + port + " has no row in the plan " + o.fleet);
                    return false;
                }
        }
    }
    for (const auto& each : o.each)
        if (!plan->AddEach(each, ports->size(), &why)) {
            PrintError(why);
            return false;
        }
    return true;
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
    std::string("Usage: qx-p2210-cli read --port DEVICE [--port DEVICE]... [--high-speed] -o FILE|FOLDER\n\n"
                "Identifies the radio at DEVICE, reads its memory (at 38400 bit/s with --high-speed,\n"
                "else 9600) and, when the data passes the program's checks, saves it as the clone\n"
                "file FILE, exactly as the program saves what it has read: opening FILE gives the\n"
                "same data. A failed or refused read writes nothing.\n\n"
                "With several --port options, or when -o names a folder (an existing one, or a path\n"
                "ending in /), every radio is read at the same time into FOLDER/<serial number>.QCF;\n"
                "one progress line per port goes to stderr and a table (port, serial, result) to\n"
                "stdout. The exit status is 0 only when every radio was read, else the highest code.\n\n") +
        kStatusHelp + " 73: FILE could not be written.",
    [](const std::vector<std::string>& args) -> int {
        Options o;
        if (!Parse(args, o, true, false, true)) return kExitUsage;
        if (o.ports.size() > 1 || IsFolder(o.output)) {
            if (!QDir().mkpath(QString::fromStdString(o.output))) {
                PrintError("cannot create the folder '" + o.output + "'");
                return kExitCannotSave;
            }
            OpenDefinitionFiles();
            return RunFleet(o.ports, [&](indFleet& fleet) { return fleet.StartRead(o.output, FleetOptions(o), nullptr); });
        }
        Session s(o);
        int outcome = s.Run([](indCloneCommands& c) { return c.CloneRead(); });
        if (outcome != 0) return ExitStatus(outcome);
        return s.main.SaveCloneFile(o.output) ? 0 : kExitCannotSave;
    });

QX_CLI_COMMAND(
    "write",
    "write a clone file into the radio",
    std::string("Usage: qx-p2210-cli write --port DEVICE [--port DEVICE]... [--high-speed] [--yes]\n"
                "                          [--no-backup] [--backup DIR] [--no-verify] [--change-model]\n"
                "                          [--each CELL=VALUES]... [--fleet PLAN.csv] [--log FILE] FILE\n\n"
                "Opens the clone file FILE as the program does, then runs the program's clone write:\n"
                "it refuses data without a channel in use and data the warning check finds errors in\n"
                "(status 1), identifies the radio, refuses a radio of another model type than the\n"
                "file's (status 19), asks for confirmation on the terminal (type yes; --yes answers\n"
                "for you, and without a terminal the write is cancelled), identifies the radio again,\n"
                "reads what the radio holds and every address the write replaces into a backup clone\n"
                "file (a radio whose memory ends before the last address the write replaces is\n"
                "refused with status 1: nothing was written; --no-backup writes it anyway), writes\n"
                "the prepared data (at 38400 bit/s with --high-speed, else 9600) and reads the radio\n"
                "back until every written address is in, to check what it stored. A failure says\n"
                "whether the radio was written: nothing, interrupted (it may hold incomplete data),\n"
                "or written but not checked.\n\n"
                "  --backup DIR    keep the backup in DIR (default: $XDG_DATA_HOME/Vexa/QX-P2210/backups,\n"
                "                  named by date, time and serial number); its path goes to stderr\n"
                "  --no-backup     write without reading a backup first\n"
                "  --no-verify     do not read the radio back after the write\n"
                "  --change-model  write into a radio of another model type too, replacing its type\n"
                "  --each CELL=VALUES\n"
                "                  gives each radio its own value of CELL, in the order of the --port\n"
                "                  options: CELL=101+ gives 101 to the first radio, 102 to the next\n"
                "                  (CELL=101+5 counts in steps of 5; leading zeros keep the width);\n"
                "                  CELL=101,205,317 gives one value per radio, as many as there are\n"
                "                  radios. CELL is a cell as 'get' names it, such as\n"
                "                  %CT_Null.CL_Msk_Presl_Own_Id, or a range of a list,\n"
                "                  %CT_Mch.CL_Mch_Id_C[0..63], which gives the value to every cell of\n"
                "                  it; the value is typed into the cell as 'set' types it. May repeat.\n"
                "  --fleet PLAN.csv\n"
                "                  per-radio values from a CSV file: a header line Port,CELL,CELL...\n"
                "                  or Serial,CELL,CELL..., then one line per radio (comma separator,\n"
                "                  fields in double quotes may hold commas; an empty field leaves that\n"
                "                  cell as FILE has it). With Serial, each radio is matched by the\n"
                "                  serial number it gives when identified, whatever its port; a radio\n"
                "                  whose serial number has no line is not written (status 1). With\n"
                "                  Port and no --port option, the plan's ports are written.\n"
                "  --log FILE      append the fleet log lines to FILE instead of the default\n"
                "                  $XDG_DATA_HOME/Vexa/QX-P2210/fleet-log.csv\n\n"
                "Each radio's values go into its copy of FILE's data through the cells' own editors,\n"
                "before anything is sent to it; a value a radio's data refuses stops that radio only\n"
                "('CELL=TEXT: reason'), the others are written. A wrong --each or --fleet (an unknown\n"
                "cell, a count of values other than the radios', a port the plan does not name) is a\n"
                "wrong command line (status 64).\n\n"
                "Every write appends one line per radio to the fleet log (CSV: date, time, port,\n"
                "serial, model type, file, values, backup, result code and message, duration), also\n"
                "when it failed or a radio's value was refused; a single write refused before it\n"
                "reached the radio is not logged. A log that cannot be written is said on stderr and\n"
                "does not change the exit status.\n\n"
                "With several --port options every radio is written at the same time (the question is\n"
                "asked once for all); one progress line per port goes to stderr and a table (port,\n"
                "serial, result) to stdout. Each radio's model type is judged on its own. The exit\n"
                "status is 0 only when every radio succeeded, else the highest code.\n\n") +
        kStatusHelp + " 18: the radio read back differs from what was written (or did not come back).\n"
        "19: the radio is of another model type (see --change-model). 65: FILE was refused.",
    [](const std::vector<std::string>& args) -> int {
        Options o;
        if (!Parse(args, o, false, true, true, true)) return kExitUsage;
        OpenDefinitionFiles();
        std::vector<std::string> ports = o.ports;
        cmcFleetPlan plan;
        if (!BuildPlan(o, &ports, &plan)) return kExitUsage;
        if (ports.empty()) {
            PrintError("the plan " + o.fleet + " names no port (try --help)");
            return kExitUsage;
        }
        if (ports.size() > 1) {
            {
                // The file is checked and the question asked once, before any radio is touched.
                indMain check;
                check.LoadStartImage(Environ().ModelType);
                if (check.OpenCloneFile(o.file) != 0) return kExitFileRefused;
                // Data with errors is refused before the question, as every radio would refuse it.
                if (!cmcRunWarningCheck(check).errors.empty()) {
                    cmcShowMessage(GTex().Line("GI_Sys_AppTitle", 0), GTex().SectionText("GI_Mess_DataError"),
                                   cmcMsgIcon::Error);
                    return kExitStopped;
                }
            }
            cliQuestionSink questions(cmcMessages(), o.yes, true);
            if (questions.Show("", GTex().SectionText("GI_Mess_Confirm_CloneWrite") + "\n(" +
                                       std::to_string(ports.size()) + " radios)",
                               cmcMsgIcon::Warning, MB_Ok | MB_Cancel) != MB_Ok)
                return kExitStopped;
            return RunFleet(
                ports, [&](indFleet& fleet) { return fleet.StartWrite(o.file, plan, FleetOptions(o), nullptr); },
                [&](const indFleet& fleet) {
                    // A row of a plan by serial number that no radio gave is said, not passed over.
                    if (!plan.BySerial()) return;
                    for (const auto& row : plan.rows) {
                        bool used = false;
                        for (size_t i = 0; i < fleet.Count(); ++i) used = used || fleet.At(i).serial == row.key;
                        if (!used) std::fprintf(stderr, "note: no radio gave the serial number %s of the plan\n", row.key.c_str());
                    }
                });
        }
        o.port = ports.front();
        Session s(o);
        if (s.main.OpenCloneFile(o.file) != 0) return kExitFileRefused;
        s.commands.logFile = o.log;
        // Values for this radio: known now by order or port, else once it has told its serial number.
        const auto apply = [&](const std::vector<cmcFleetValue>& values, std::string* why) {
            const auto refused = cmcFleetPlan::Apply(s.main, values);
            if (!refused.empty()) {
                for (size_t k = 0; k + 1 < refused.size(); ++k) PrintError(refused[k].Message());
                *why = refused.back().Message() + "; nothing written";
                return false;
            }
            s.commands.logValues = cmcFleetPlan::Describe(values);
            return true;
        };
        if (plan.BySerial()) {
            s.commands.beforeWrite = [&](std::string* why) {
                bool found = false;
                const std::string serial = s.main.SerialNumber();
                const auto values = plan.ValuesFor(0, o.port, serial, &found);
                if (!found) {
                    *why = "the radio's serial number " + (serial.empty() ? std::string("(none)") : serial) +
                           " has no row in the plan " + o.fleet + "; nothing written";
                    return false;
                }
                return apply(values, why);
            };
        } else if (std::string why; !apply(plan.ValuesFor(0, o.port, {}), &why)) {
            PrintError(why);
            return kExitStopped;
        }
        cmcMessageSink& previous = cmcMessages();
        cliQuestionSink questions(previous, o.yes, true);
        cmcSetMessageSink(&questions);
        int outcome = s.Run([](indCloneCommands& c) { return c.CloneWrite(); });
        cmcSetMessageSink(&previous);
        return ExitStatus(outcome);
    });

}  // namespace
}  // namespace qx::cli
