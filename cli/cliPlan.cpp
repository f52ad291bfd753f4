// "export", "import" and "diff": channel plans in the common channel-plan CSV layout in and out of
// clone files, and the cells that differ between two clone files.
#include "cells/cmcChannelPlan.h"
#include "cli/cliArgs.h"
#include "cli/cliCommand.h"
#include "cli/cliNumber.h"
#include "common/cmcSafeFile.h"
#include "app/cuiTree.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/indMain.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace qx::cli {
namespace {

constexpr int kExitDiffer = 1;
constexpr int kExitModelTypes = 2;
constexpr int kExitRefused = 65;
constexpr int kExitCannotWrite = 73;

// Opens a clone file as the program does; false (the reader has shown why) when it is refused.
bool Open(indMain& main, const std::string& path) {
    main.LoadStartImage(kModelDPmr446);
    return main.OpenCloneFile(path) == 0;
}

int Export(const std::vector<std::string>& args) {
    cliArgs line;
    const bool parsed = line.Parse(args, {{"o", true}});
    const std::string file = line.Positional().size() == 1 ? line.Positional().front() : std::string();
    const std::string out = line.Value("o");
    if (!parsed || file.empty() || out.empty()) {
        PrintError("export takes FILE and -o PLAN.csv (try 'export --help')");
        return kExitUsage;
    }
    OpenDefinitionFiles();
    indMain main;
    if (!Open(main, file)) return kExitRefused;
    const std::string csv = ExportChannelPlan(main);
    if (out == "-") {
        // To standard output, for a pipe into another program.
        if (std::fwrite(csv.data(), 1, csv.size(), stdout) != csv.size() || std::fflush(stdout) != 0) {
            PrintError(std::string("cannot write the plan to standard output: ") + std::strerror(errno));
            return kExitCannotWrite;
        }
        return 0;
    }
    // Replaced only once the whole plan is on the disk; a failure says why.
    std::string error;
    if (!cmcWriteFileSafely(out, csv, &error)) {
        PrintError(error);
        return kExitCannotWrite;
    }
    return 0;
}

int Import(const std::vector<std::string>& args) {
    cliArgs line;
    bool usage = !line.Parse(
        args, {{"o", true}, {"bank", true}, {"first-location", true}, {"skip-bad"}, {"fit-names"}});
    const std::vector<std::string>& positional = line.Positional();
    const std::string out = line.Value("o"), bank = line.Value("bank"), first = line.Value("first-location");
    const bool skipBad = line.Has("skip-bad"), fitNames = line.Has("fit-names");
    int bankNo = -1;
    if (!bank.empty()) {
        int n = 0;
        if (!ReadCliNumber(bank, 1, 5, &n)) usage = true;
        bankNo = n - 1;
    }
    int firstLocation = -1;
    if (!first.empty() && !ReadCliNumber(first, 0, 1000000, &firstLocation)) usage = true;
    if (usage || positional.size() != 2 || out.empty()) {
        PrintError("import takes FILE, PLAN.csv, -o OUT and optionally --bank N (1 to 5), --first-location N "
                   "(0 or more), --fit-names and --skip-bad (try 'import --help')");
        return kExitUsage;
    }
    std::string csv, why;
    if (!ReadChannelPlanFile(positional[1], &csv, &why)) {
        PrintError(why);
        return kExitRefused;
    }
    OpenDefinitionFiles();
    indMain main;
    if (!Open(main, positional[0])) return kExitRefused;
    const cmcPlanImport r = ImportChannelPlan(
        main, csv, {.bank = bankNo, .skipBad = skipBad, .firstLocation = firstLocation, .fitNames = fitNames});
    // What the import did that the plan did not say (Locations counted from 0, fitted names), each
    // line starting with "note: ", so that a script tells them from the problems.
    for (const cmcPlanProblem& n : r.notes) std::fprintf(stderr, "note: %s\n", n.Text().c_str());
    for (const cmcPlanProblem& p : r.problems) std::fprintf(stderr, "%s\n", p.Text().c_str());
    // Standard error holds the notes and problem lines and nothing else, so that a script can read
    // them; past the first hundred problems, one line counts the rest.
    if (r.moreProblems) std::fprintf(stderr, "%s\n", r.MoreProblemsText().c_str());
    // With --skip-bad the good lines are saved; when no line was good (or the header itself was
    // refused) there is nothing to save.
    if (!r.problems.empty() && (!skipBad || !r.applied)) return kExitRefused;
    if (!main.SaveCloneFile(out)) return kExitCannotWrite;
    std::printf("%zu channel%s imported, %d line%s skipped\n", r.changes.size(), r.changes.size() == 1 ? "" : "s",
                r.refusedLines, r.refusedLines == 1 ? "" : "s");
    return 0;
}

int Diff(const std::vector<std::string>& args) {
    cliArgs line;
    if (!line.Parse(args, {{"cells"}})) {
        PrintError("diff: unknown option " + line.BadArgument() + " (try 'diff --help')");
        return kExitUsage;
    }
    cmcDiffOptions options;
    options.cells = line.Has("cells");
    const std::vector<std::string>& files = line.Positional();
    if (files.size() != 2) {
        PrintError("diff takes two clone files A and B (try 'diff --help')");
        return kExitUsage;
    }
    if (!RequireGraphics("diff")) return 1;
    StartDrawing();
    indMain a, b;
    if (!Open(a, files[0]) || !Open(b, files[1])) return kExitRefused;
    if (a.ModelType() != b.ModelType()) {
        PrintError("the two files hold different model types (" + std::to_string(a.ModelType()) + " and " +
                   std::to_string(b.ModelType()) + ")");
        return kExitModelTypes;
    }
    const std::vector<cmcDiffLine> lines = DiffImages(a, b, cuiTree::MainTreeSheets(GTex(), a), options);
    for (const cmcDiffLine& d : lines) std::printf("%s\n", d.Text().c_str());
    return lines.empty() ? 0 : kExitDiffer;
}

QX_CLI_COMMAND("export", "write the memory channels of a clone file as a CSV channel plan",
               "Usage: qx-p2210-cli export FILE -o PLAN.csv\n\n"
               "Opens FILE as the program does and writes its memory channels in use, one line each,\n"
               "in the common channel-plan CSV layout: Location (the channel over all banks, from 1),\n"
               "Name, Frequency (receive, MHz), Duplex and Offset (the transmit frequency), Tone,\n"
               "rToneFreq, cToneFreq, DtcsCode, DtcsPolarity, RxDtcsCode, CrossMode, Mode (FM or NFM),\n"
               "TStep (the channel raster, kHz), Skip (S: not in the scan), Power (the level's nominal\n"
               "watts, e.g. 5.0W), Comment, URCALL, RPT1CALL, RPT2CALL, DVCODE (empty), and Bank (1 to\n"
               "5), so that other programming tools read the plan. -o - writes the plan to standard\n"
               "output.\n\n"
               "PLAN.csv is replaced only once the new plan is complete (a symbolic link is followed).\n\n"
               "Exit 0 written; 65 the file is refused; 73 PLAN.csv cannot be written (the reason on stderr).",
               Export);

QX_CLI_COMMAND("import", "set memory channels of a clone file from a CSV channel plan",
               "Usage: qx-p2210-cli import FILE PLAN.csv -o OUT [--bank N] [--first-location N]\n"
               "                          [--fit-names] [--skip-bad]\n\n"
               "Reads the plan (columns found by their header names; Frequency and Location are\n"
               "needed, the others are optional, unknown ones ignored; lines starting with # are\n"
               "comments; a plan a spreadsheet saved with semicolons and decimal commas is read too)\n"
               "and sets each line's channel through the channel sheet's cells, so that every value is\n"
               "checked as on the sheet. A column the plan lacks leaves that setting of the channel as\n"
               "it is. Power is read as watts (5W, 5.0W, 0.5 W, 5: the nearest level) or a level's name\n"
               "(High, Middle, Low, Very low); Skip P reads as scanned; a plan with rToneFreq but no\n"
               "cToneFreq uses rToneFreq for both directions.\n"
               "A channel goes to its Location (joining its Bank when it lies beyond the channels). A\n"
               "plan whose smallest Location is 0 counts from 0 (Location 0 is channel 1; a note on\n"
               "stderr says so); --first-location N makes Location N channel 1. With --bank N every\n"
               "channel goes after the last channel in use of bank N, in file order (the bank grows\n"
               "and the later banks move up when its channels are all in use).\n"
               "--fit-names shortens each name to what the display shows (upper case, a character the\n"
               "display lacks replaced, 8 characters); each shortened name is a note on stderr.\n\n"
               "Exit 0 when OUT was saved. When a line has a problem, every problem is printed on stderr\n"
               "as \"line N: column: message\" (the header is line 1), nothing is written and the exit\n"
               "status is 65, unless --skip-bad is given: then the good lines are imported and saved.\n"
               "Past the first 100 problems one line counts the rest (\"and 9,900 more problems\").\n"
               "Lines that do not fit (Locations past channel 64, or no free channel left in bank N) are\n"
               "one problem naming the first of them; --skip-bad imports the lines that fit.\n"
               "Notes are printed before the problems as \"note: line N: column: message\".\n"
               "Two lines for one Location, or a column named twice, are problems too. A plan larger\n"
               "than 16 MiB is refused unread (exit 65).",
               Import);

QX_CLI_COMMAND("diff", "list the cells whose shown values differ between two clone files",
               "Usage: qx-p2210-cli diff A B [--cells]\n\n"
               "Opens both clone files as the program does, walks the sheets of the topic tree for\n"
               "their model type and prints every cell that shows different text, one line each:\n"
               "  Sheet / row / column: valueA -> valueB\n"
               "A memory channel in use in only one of the files is one line, with its receive\n"
               "frequency and name as that file shows them:\n"
               "  Sheet / row: new channel 446.100000 MHz EVENT      (only B has it)\n"
               "  Sheet / row: removed channel 446.100000 MHz EVENT  (only A has it)\n"
               "--cells prints every cell of such a channel on its own line instead.\n\n"
               "Exit 0 equal; 1 they differ; 2 the files hold different model types; 65 a file is refused.",
               Diff);

}  // namespace
}  // namespace qx::cli
