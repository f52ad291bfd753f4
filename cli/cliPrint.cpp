// "print": opens a clone file as the program does and prints its sheets into a PDF file through the
// program's own page cutting and drawing, without a display or a printer.
#include "cli/cliArgs.h"
#include "cli/cliCommand.h"
#include "cli/cliNumber.h"
#include "common/cmcClock.h"
#include "common/cmcSafeFile.h"
#include "app/cuiTree.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/cmcQcfFile.h"
#include "image/indMain.h"
#include "printing/cmcPrintInfo.h"
#include "printing/cuiPrintJob.h"
#include "printing/cuiSheetPrinter.h"

#include <QWidget>

#include <cstdio>

namespace qx::cli {
namespace {

constexpr int kExitFileRefused = 65;
constexpr int kExitCannotWrite = 73;

// A sheet given on the command line: a full reference, or a key whose style is taken from the
// first tree node showing that key.
std::string SheetReference(const std::string& sheet, const std::string& param, const std::vector<std::string>& tree) {
    cuiSheetRef ref = cuiSheetRef::Split(sheet);
    if (ref.style.empty())
        for (const std::string& node : tree) {
            const cuiSheetRef n = cuiSheetRef::Split(node);
            if (n.key == ref.key) {
                ref.style = n.style;
                break;
            }
        }
    if (!param.empty()) ref.parameter = param;
    std::string out = ref.style.empty() ? ref.key : "[" + ref.style + "]" + ref.key;
    if (!ref.parameter.empty()) out += "," + ref.parameter;
    return out;
}

int Print(const std::vector<std::string>& args) {
    cliArgs line;
    std::string bad;
    if (!line.Parse(args, {{"all"}, {"sheet", true}, {"param", true}, {"o", true}, {"date", true}}))
        bad = line.BadArgument();
    else
        bad = FirstBadPositional(line.Positional(), 1);
    if (!bad.empty()) {
        PrintError("print: bad argument '" + bad + "' (try 'print --help')");
        return kExitUsage;
    }
    const std::string file = line.Positional().empty() ? std::string() : line.Positional().front();
    const std::string sheet = line.Value("sheet"), param = line.Value("param"), out = line.Value("o"),
                      date = line.Value("date");
    const bool all = line.Has("all"), dateGiven = line.Has("date");
    if (std::string why; !CheckSheetParameter(param, &why)) {
        PrintError(why);
        return kExitUsage;
    }
    if (file.empty() || out.empty() || (all && !sheet.empty()) || (!param.empty() && sheet.empty())) {
        PrintError("print needs FILE, -o OUT.pdf and at most one of --all and --sheet KEY (try 'print --help')");
        return kExitUsage;
    }
    if (!RequireGraphics("print")) return 1;
    StartDrawing();
    indMain main;
    main.LoadStartImage(kModelDPmr446);
    const int code = main.OpenCloneFile(file);
    if (code != 0) {
        std::printf("error %d %s\n", code, cmcQcfFile::ErrorKey(code));
        return kExitFileRefused;
    }

    const std::vector<std::string> tree = cuiTree::MainTreeSheets(GTex(), main);
    std::vector<std::string> sheets;
    if (sheet.empty()) {
        sheets = tree;
    } else {
        const std::string reference = SheetReference(sheet, param, tree);
        if (!HasSheet("print", cuiSheetRef::Split(reference).key)) return 1;
        sheets.push_back(reference);
    }

    cmcSheetContext ctx;
    ctx.modelType = main.ModelType();
    ctx.image = &main.WorkingImage();
    // The document is made in memory and written only when complete, so that OUT never holds half
    // a PDF (a full disk) and a sheet without pages leaves no empty document behind.
    cmcPrintInfo info = cmcPrintInfoOf(main, cmcWallSeconds());
    if (dateGiven) info.printed = date;
    cuiPdfDocument pdf;
    pdf.SetTitle(cmcPdfTitle(info));
    std::vector<int> perSheet;
    std::vector<cuiPrintedSheet> printed;
    const int pages = cuiPrintSheetsNow(pdf.Device(), sheets, ctx, info, &perSheet, &printed);
    if (pages < 0) {
        PrintError("print: cannot make the PDF document");
        return kExitCannotWrite;
    }
    if (pages == 0) {
        PrintError("print: nothing to print (the sheets give no pages); " + out + " was not written");
        return kExitFileRefused;
    }
    std::string error;
    if (!cmcWriteFileSafely(out, cuiPdfWithOutline(pdf.Bytes(), printed), &error)) {
        PrintError("print: " + error);
        return kExitCannotWrite;
    }
    std::printf("%s %d %s\n", out.c_str(), pages, pages == 1 ? "page" : "pages");
    for (size_t i = 0; i < sheets.size(); ++i)
        if (!sheets[i].empty()) std::printf("%d\t%s\n", perSheet[i], sheets[i].c_str());
    return 0;
}

}  // namespace

QX_CLI_COMMAND(
    "print",
    "print the sheets of a clone file into a PDF file",
    "Usage: qx-p2210-cli print FILE [--all | --sheet KEY [--param P]] [--date TEXT] -o OUT.pdf\n\n"
    "Opens FILE as the program's open command does and prints its sheets as the program prints\n"
    "them (the same page frame, columns and rows cut into pages, across then down) into OUT.pdf,\n"
    "A4 landscape. The texts in the PDF are text: they can be searched and copied. Every page's\n"
    "footer names the page (\"Page 2 of 5\"), FILE's name, the model type and the print date; the PDF\n"
    "has a title and an outline entry per sheet printed, listed in a PDF viewer's sidebar.\n\n"
    "  --all          every sheet of the topic tree for the file's model type (the default)\n"
    "  --sheet KEY    one sheet: a key such as GI_Sheet_Mch_BankOp, or a full reference such as\n"
    "                 \"[St_ChBank]GI_Sheet_Mch_Lmr,Bank 0\"; a key alone takes its style from the tree\n"
    "  --param P      the sheet parameter, for instance \"Bank 0\" for the first bank's channel sheet\n"
    "  --date TEXT    the print date the footers show (default: now, as 2026-03-04 14:05)\n\n"
    "Sheets marked not to be printed, and banks without channels in use, give no pages; a channel\n"
    "sheet prints its rows up to the bank's last channel in use.\n"
    "OUT.pdf is replaced only once the whole document is written (a symbolic link is followed).\n"
    "Prints \"OUT.pdf N pages\" (\"1 page\"), then one line per sheet: its pages, a tab and its reference, and\n"
    "exits 0. A refused FILE prints \"error <code> <message key>\"\n"
    "and exits 65; sheets that give no pages at all write no file and exit 65 (\"nothing to print\");\n"
    "OUT that cannot be written exits 73 with the reason on stderr; a sheet missing from the\n"
    "definition files exits 1; a wrong command line 64.",
    Print);

}  // namespace qx::cli
