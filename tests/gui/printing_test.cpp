// Printing and PDF export: page arithmetic and block cutting, sheets cut into pages with scaled
// blocks, the print job on the tick with its dialog and cancel, characters of picture-drawn cells
// as PDF text; the help file's anchors and the help window.
#include "app/Frmmain.h"
#include "app/cuiHelpWindow.h"
#include "app/cuiMain.h"
#include "app/cuiTree.h"
#include "comm/indEnviron.h"
#include "defs/cmcCellNames.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheet.h"
#include "app/cuiSheetPaint.h"
#include "printing/cmcPrintBlocks.h"
#include "printing/cuiPrintJob.h"
#include "printing/cuiSheetPrinter.h"
#include "support/cmcScopedDefs.h"
#include "support/cmcTestSupport.h"
#include "support/cuiTestProgram.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextBrowser>

#pragma push_macro("slots")
#undef slots
#include "image/datCh.h"
#pragma pop_macro("slots")

#include <gtest/gtest.h>

#include <set>

using namespace qx;

namespace {

// The text of a PDF file as pdftotext reads it ("" when the tool is missing).
std::string PdfText(const std::string& path) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) return {};
    QProcess p;
    p.start("pdftotext", {QString::fromStdString(path), "-"});
    p.waitForFinished(30000);
    return p.readAllStandardOutput().toStdString();
}

bool HavePdfText() { return !QStandardPaths::findExecutable("pdftotext").isEmpty(); }

}  // namespace

// ---- page arithmetic and block cutting ---------------------------------------------------------

TEST(PrintBlocks, MarginsInPrinterPixels) {
    EXPECT_EQ(cmcMmToPixels(10, 600), 236);
    const cmcPrintArea a = cmcMarginArea("10,10,10,10", 4960, 7016, 600);
    EXPECT_EQ(a.left, 236);
    EXPECT_EQ(a.top, 236);
    EXPECT_EQ(a.right, 4960 - 236);
    EXPECT_EQ(a.bottom, 7016 - 236);
    // Each margin on its own; unreadable numbers count as no margin.
    const cmcPrintArea b = cmcMarginArea("0,25.4,x", 1000, 1000, 100);
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.top, 100);
    EXPECT_EQ(b.right, 1000);
    EXPECT_EQ(b.bottom, 1000);
}

TEST(PrintBlocks, ColumnBlocks) {
    struct Case {
        const char* what;
        std::vector<int> widths;
        std::vector<bool> continues;
        int fixed, width;
        std::vector<int> blocks;
    };
    const Case cases[] = {
        {"columns fill the page after the fixed column", {50, 100, 100, 100}, {}, 1, 260, {2, 1}},
        {"everything fits", {50, 100, 100}, {}, 1, 1000, {2}},
        {"a column wider than the body is a block of its own", {50, 100, 500, 100}, {}, 1, 300, {1, 1, 1}},
        {"a wide first column too", {50, 500, 100}, {}, 1, 300, {1, 1}},
        {"a continuing column never starts a block", {50, 100, 100, 100}, {false, false, false, true}, 1, 260, {1, 2}},
        {"a run of continuing columns stays together", {0, 100, 100, 100, 100}, {false, false, true, true, false}, 0, 150,
         {1, 3, 1}},
        {"only fixed columns", {50, 60}, {}, 2, 100, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cmcCutColumns(c.widths, c.continues, c.fixed, c.width), c.blocks) << c.what;
}

TEST(PrintBlocks, RowBlocks) {
    EXPECT_EQ(cmcCutRows({20, 30, 30, 30, 30}, 1, 85), (std::vector<int>{2, 2}));
    EXPECT_EQ(cmcCutRows({20, 30, 30}, 1, 80), (std::vector<int>{2}));    // exactly full
    EXPECT_EQ(cmcCutRows({20, 200, 30}, 1, 100), (std::vector<int>{1, 1}));  // a row taller than the body
    EXPECT_EQ(cmcCutRows({20}, 1, 100), (std::vector<int>{}));
}

// ---- sheets cut into pages ---------------------------------------------------------------------

namespace {

// Definitions of a synthetic sheet: a fixed number column, a wide column, a column whose header
// continues the one before it, 30 data rows; and the texts printing reads.
std::vector<std::string> WideSheetDefs() {
    return {
        "#GI_Sys_AppTitle", "QX-P2210",
        "#GI_Sys_AppTitleRev", "Frame program line",
        "#GI_Sys_Maker", "Frame maker line",
        "#GI_Sys_Printer_Margins", "0,0,0,0",
        "#GI_Sys_Printer_FrameFont", "8",
        "#GI_Sys_Printer_FontPoints", "9",
        "#CellModel_Basic", "<-(Color=clWindow)(Font=DEFAULT_CHARSET,,clWindowText,-13,,,)",
        "#GI_Sheet_Wide_Style", "(TitleString=Wide test sheet)(FixedCols=1)(FixedRows=1)",
        "#GI_Sheet_Wide_BasicCell", "{($Basic)}",
        "#GI_Sheet_Wide_Cells",
        "{WH}No|{WH}Alpha column|{WH}A very wide column whose text is far longer than any page is wide, "
        "A very wide column whose text is far longer than any page is wide|{WH}Beta column|{+WH}|{WH}Gamma column",
        ":(LoopFrom 30)",
        "{WH}n|{WH}alpha|{WH}wide|{WH}beta|{WH}beta more|{WH}gamma",
        ":(LoopTo)",
        "#",
        "#GI_Sheet_Quiet_Style", "(NoPrint)",
        "#GI_Sheet_Quiet_BasicCell", "{($Basic)}",
        "#GI_Sheet_Quiet_Cells", "{WH}Not printed",
        "#",
    };
}

struct PdfOut {
    std::string path;
    QPrinter printer{QPrinter::HighResolution};
    QPainter painter;
    explicit PdfOut(const std::string& name) : path(test::TempDir() + "/" + name) {
        cuiSetUpPdfPrinter(printer, path);
        EXPECT_TRUE(painter.begin(&printer));
    }
};

}  // namespace

TEST(SheetPrinter, WideSheetIsCutAcrossThenDownWithScaledBlocks) {
    test::ScopedDefs defs(WideSheetDefs());
    PdfOut out("wide.pdf");
    cuiSheetPrinter printer(out.printer, out.painter);
    // A narrow print area: no two of the non-fixed columns fit beside the number column.
    printer.SetArea({0, 0, 1700, 3200});
    EXPECT_EQ(printer.PrintSheet("GI_Sheet_Quiet"), 0);
    const int pages = printer.PrintSheet("GI_Sheet_Wide");
    out.painter.end();
    ASSERT_EQ(pages, static_cast<int>(printer.Log().size()));

    // Column blocks: every column alone, except the continuing column 4 with column 3.
    std::vector<std::pair<int, int>> colBlocks;
    std::set<int> rowStarts;
    for (const cuiPrintedPage& p : printer.Log()) {
        if (p.firstRow == printer.Log().front().firstRow) colBlocks.push_back({p.firstCol, p.cols});
        rowStarts.insert(p.firstRow);
        EXPECT_NE(p.firstCol, 4) << "a continuing column started a page";
    }
    EXPECT_EQ(colBlocks, (std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {3, 2}, {5, 1}}));
    ASSERT_GT(rowStarts.size(), 1u) << "30 rows need more than one page down";
    EXPECT_EQ(pages, static_cast<int>(colBlocks.size() * rowStarts.size()));

    // Pages go across, then down; every row block holds each column block once.
    for (size_t i = 1; i < printer.Log().size(); ++i) {
        const cuiPrintedPage &a = printer.Log()[i - 1], &b = printer.Log()[i];
        EXPECT_TRUE(b.firstRow > a.firstRow || (b.firstRow == a.firstRow && b.firstCol > a.firstCol)) << i;
    }
    // The wide column is drawn smaller than the others; the block after it is back at the
    // printer font or above the wide one's.
    int wide = 0, alpha = 0;
    for (const cuiPrintedPage& p : printer.Log()) {
        if (p.firstCol == 2) wide = p.fontHeight;
        if (p.firstCol == 1) alpha = p.fontHeight;
        EXPECT_LE(p.fontHeight, printer.FontHeight());
    }
    EXPECT_LT(wide * 3, alpha) << "the wide column's font is scaled down to fit";

    if (!HavePdfText()) GTEST_SKIP() << "pdftotext is not installed";
    const std::string text = PdfText(out.path);
    EXPECT_NE(text.find("Gamma column"), std::string::npos);
    EXPECT_EQ(text.find("Not printed"), std::string::npos);
    // The frame texts on every page.
    int frames = 0;
    for (size_t at = 0; (at = text.find("Frame maker line", at)) != std::string::npos; ++at) ++frames;
    EXPECT_EQ(frames, pages);
}

TEST(SheetPrinter, PictureDrawnTextIsPdfText) {
    if (!HavePdfText()) GTEST_SKIP() << "pdftotext is not installed";
    std::vector<std::string> lines = WideSheetDefs();
    lines.insert(lines.end(), {"#GI_Sheet_Seg_Style", "(FixedRows=1)", "#GI_Sheet_Seg_BasicCell", "{($Basic)}",
                               "#GI_Sheet_Seg_Cells", "{WH}Name", "{WH(%CT_Mch.CL_Mch_Text[0])}\\_\\_\\_\\_\\_\\_\\_\\_",
                               "#"});
    test::ScopedDefs defs(lines);
    // A cell handler that draws its text as segments (bars) and hands the characters over.
    cmcCellHandler previous = cmcDefaultCellHandler();
    cmcSetDefaultCellHandler([](cmcCellRequest& req) -> uint8_t {
        if (req.canvas && req.paint) {
            auto* p = static_cast<QPainter*>(req.canvas);
            for (int i = 0; i < 6; ++i)
                p->fillRect(QRect(req.paint->left + 10 + i * 60, req.paint->top + 10, 40, 20), Qt::black);
            req.paint->pictureText = "SEGNAME1";
        }
        return CER_None;
    });
    PdfOut out("seg.pdf");
    cuiSheetPrinter printer(out.printer, out.painter);
    EXPECT_EQ(printer.PrintSheet("GI_Sheet_Seg"), 1);
    out.painter.end();
    cmcSetDefaultCellHandler(previous);
    EXPECT_NE(PdfText(out.path).find("SEGNAME1"), std::string::npos);
}

// ---- the print job in the program --------------------------------------------------------------

namespace {

// The program, with the printer chooser restored after the test.
struct Program : test::Program {
    ~Program() { cuiPrintJob::SetPrinterChooser(nullptr); }
    // Shows the sheet of `reference` and waits for it.
    void ShowSheet(const std::string& reference) {
        main->ShowSheet(reference);
        Step(cuiMain::kTickMs);
        Step(cuiMain::kTickMs);
    }
};

// The sheets of the program's tree, in node order.
std::vector<std::string> TreeSheets(cuiMain& main) {
    std::vector<std::string> out;
    for (int i = 0; i < main.Tree()->NodeCount(); ++i) {
        const cmcCellObj* cell = cuiTree::CellOf(main.Tree()->NodeAt(i));
        out.push_back(cell && cell->name ? *cell->name : "");
    }
    return out;
}

}  // namespace

TEST(PrintJob, AllSheetsThroughTheTickAndCancel) {
    Program prog;
    const std::string path = test::TempDir() + "/job.pdf";
    cuiPrintJob::SetPrinterChooser([&](QPrinter& printer, QWidget*) {
        cuiSetUpPdfPrinter(printer, path);
        return true;
    });
    const std::vector<std::string> sheets = TreeSheets(*prog.main);
    ASSERT_GT(sheets.size(), 3u);

    // Without cancel: one sheet per tick, the form disabled meanwhile, every printable sheet.
    ASSERT_TRUE(prog.main->PrintAllSheets());
    cuiPrintJob* job = prog.main->PrintJob();
    ASSERT_TRUE(job);
    ASSERT_TRUE(job->Dialog());
    EXPECT_TRUE(job->Dialog()->isVisible());
    EXPECT_FALSE(prog.form->isEnabled());
    EXPECT_EQ(job->Dialog()->findChild<QLabel*>()->text().toStdString(), GTex().Line("GI_Sys_Printer_PrintingDialog", 1));
    EXPECT_FALSE(prog.main->CanPrintCurrentSheet()) << "one job at a time";
    int ticks = 0, pages = 0;
    prog.main->PrintJob()->finished = [&](cuiPrintJob& j) { pages = j.Pages(); };
    while (prog.main->PrintJob() && ticks < 100) {
        prog.Step(cuiMain::kTickMs);
        ++ticks;
    }
    EXPECT_EQ(ticks, static_cast<int>(sheets.size()));
    EXPECT_TRUE(prog.form->isEnabled());

    // The same pages as printing the tree's sheets at once.
    QPrinter all(QPrinter::HighResolution);
    cuiSetUpPdfPrinter(all, test::TempDir() + "/direct.pdf");
    cmcSheetContext ctx;
    ctx.modelType = prog.main->Model().ModelType();
    ctx.image = &prog.main->Model().WorkingImage();
    EXPECT_EQ(pages, cuiPrintSheetsNow(all, sheets, ctx));
    EXPECT_GT(pages, 1);

    // Cancel after the first printed sheet: the job passes over the rest and ends.
    ASSERT_TRUE(prog.main->PrintAllSheets());
    int cancelledPages = -1;
    prog.main->PrintJob()->finished = [&](cuiPrintJob& j) { cancelledPages = j.Pages(); };
    while (prog.main->PrintJob() && prog.main->PrintJob()->Pages() == 0) prog.Step(cuiMain::kTickMs);
    ASSERT_TRUE(prog.main->PrintJob());
    const int printedBeforeCancel = prog.main->PrintJob()->Pages();
    prog.main->PrintJob()->CancelButton()->click();
    while (prog.main->PrintJob()) prog.Step(cuiMain::kTickMs);
    EXPECT_EQ(cancelledPages, printedBeforeCancel);
    EXPECT_LT(cancelledPages, pages);
    EXPECT_TRUE(prog.form->isEnabled());
}

TEST(PrintJob, CurrentSheetAndRefusals) {
    Program prog;
    const std::string path = test::TempDir() + "/current.pdf";
    prog.ShowSheet("GI_Sheet_Mch_BankOp");
    ASSERT_TRUE(prog.main->Sheets().Current());
    ASSERT_EQ(prog.main->Sheets().Current()->Name(), "GI_Sheet_Mch_BankOp");
    ASSERT_TRUE(prog.main->StartPrinting(false, path));
    prog.Step(cuiMain::kTickMs);
    EXPECT_FALSE(prog.main->PrintJob()) << "the current sheet is printed in one tick";
    if (HavePdfText()) {
        const std::string text = PdfText(path);
        EXPECT_NE(text.find(GTex().FirstLine("GI_Sys_AppTitleRev")), std::string::npos);
        EXPECT_NE(text.find(GTex().FirstLine("GI_Sys_Maker")), std::string::npos);
        EXPECT_NE(text.find("Bank Operation"), std::string::npos);
    }

    // An output that cannot be written: the message, nothing left running.
    test::Messages().Clear();
    ASSERT_TRUE(prog.main->StartPrinting(false, "/nonexistent-folder/x.pdf"));
    prog.Step(cuiMain::kTickMs);
    EXPECT_FALSE(prog.main->PrintJob());
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    EXPECT_NE(test::Messages().messages()[0].text.find("/nonexistent-folder/x.pdf"), std::string::npos);
    EXPECT_TRUE(prog.form->isEnabled());

    // A PDF file is written whole when the job ends, or not at all: a full device says why, a
    // cancelled export and a sheet without pages leave no file, and none of them reports success.
    auto exportPdf = [&](const std::string& pdf, bool cancel) {
        test::Messages().Clear();
        prog.main->SetStatus(clWindowText, clBtnFace, "");
        EXPECT_TRUE(prog.main->StartPrinting(false, pdf));
        if (cancel) prog.main->PrintJob()->Cancel();
        prog.Step(cuiMain::kTickMs);
        EXPECT_FALSE(prog.main->PrintJob());
        EXPECT_EQ(prog.main->StatusText(), "") << pdf;
    };
    // /dev/full through a link: a writer that wrongly renamed over its output replaces the link.
    const std::string full = test::TempDir() + "/full.pdf";
    QFile::remove(QString::fromStdString(full));
    ASSERT_TRUE(QFile::link("/dev/full", QString::fromStdString(full)));
    exportPdf(full, false);
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    EXPECT_NE(test::Messages().messages()[0].text.find("Cannot write '" + full + "': No space left on device"),
              std::string::npos)
        << test::Messages().messages()[0].text;
    const std::string none = test::TempDir() + "/cancelled.pdf";
    exportPdf(none, true);
    EXPECT_TRUE(test::Messages().messages().empty());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(none)));
    prog.ShowSheet("[St_ChBank]GI_Sheet_Mch_Lmr,Bank 4");
    ASSERT_TRUE(prog.main->Sheets().Current());
    exportPdf(none, false);
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    EXPECT_EQ(test::Messages().messages()[0].text, GTex().SectionText("GI_AppMess_PrintNothing"));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(none)));

    // No printer on the system: the message, no job.
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        test::Messages().Clear();
        EXPECT_FALSE(prog.main->PrintCurrentSheet());
        ASSERT_EQ(test::Messages().messages().size(), 1u);
        EXPECT_EQ(test::Messages().messages()[0].text, GTex().SectionText("GI_Sys_Printer_NoPrinter"));
        EXPECT_FALSE(prog.main->PrintJob());
    }
}

// ---- help ----------------------------------------------------------------------------------------

TEST(Help, EveryContextNumberHasAnAnchor) {
    const std::string html = test::ReadFile(test::SourceDir() + "/data/" + [] {
        std::string lines = test::ReadFile(test::SourceDir() + "/data/ZT5531K.OVL");
        const size_t at = lines.find("#GI_Sys_MyHelpFile\n");
        const size_t start = at + std::string("#GI_Sys_MyHelpFile\n").size();
        return lines.substr(start, lines.find('\n', start) - start);
    }());
    ASSERT_FALSE(html.empty());
    const std::string help = test::ReadFile(test::SourceDir() + "/data/ZT5531KH.OVL");
    const size_t table = help.find("\n#GI_AppItem_Context_ID\n");
    ASSERT_NE(table, std::string::npos);
    int checked = 0;
    size_t pos = help.find('\n', table + 1) + 1;
    while (pos < help.size() && help[pos] != '#') {
        const size_t end = help.find('\n', pos);
        const std::string line = help.substr(pos, end - pos);
        const size_t tab = line.find('\t');
        if (tab != std::string::npos) {
            const std::string anchor = cuiHelpWindow::AnchorOf(std::stoi(line.substr(tab + 1))).toStdString();
            EXPECT_NE(html.find("name=\"" + anchor + "\""), std::string::npos) << line;
            ++checked;
        }
        pos = end + 1;
    }
    EXPECT_GT(checked, 10);
    EXPECT_NE(html.find("name=\"contents\""), std::string::npos);
}

TEST(Help, WindowOpensAtTheCellsContext) {
    Program prog;
    // Help, Contents.
    ASSERT_TRUE(prog.main->OpenHelp(cmcProgramDir() + GTex().FirstLine("GI_Sys_MyHelpFile"), 0));
    cuiHelpWindow* help = cuiHelpWindow::Current();
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->Anchor().isEmpty());
    EXPECT_FALSE(help->Browser()->toPlainText().isEmpty());

    // The popup Help entry on a channel's receive frequency: the help of channel frequencies.
    datSetBankSize(prog.main->Model().WorkingImage().Data(), 0, 3);
    prog.ShowSheet("[St_ChBank]GI_Sheet_Mch_Lmr,Bank 0");
    cuiSheet* sheet = prog.main->Sheets().Current();
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(sheet->SelectByIdentity(CT_Mch, CL_Mch_FreqR, 0));
    cmcCellObj helpEntry;
    helpEntry.category = CT_PopupMenu;
    helpEntry.label = CL_PMenu_Help;
    sheet->RunOperation(0, &helpEntry);
    ASSERT_EQ(cuiHelpWindow::Current(), help) << "one help window";
    EXPECT_EQ(help->Anchor(), cuiHelpWindow::AnchorOf(1010));
    EXPECT_EQ(help->Browser()->source().fragment(), "ctx1010");

    // A missing help file: the message, no window change.
    test::Messages().Clear();
    EXPECT_FALSE(prog.main->OpenHelp("/nonexistent/help.html", 0));
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    EXPECT_NE(test::Messages().messages()[0].text.find("/nonexistent/help.html"), std::string::npos);
}
