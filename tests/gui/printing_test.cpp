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
#include "common/cmcClock.h"
#include "printing/cmcPdfOutline.h"
#include "printing/cmcPrintBlocks.h"
#include "printing/cmcPrintInfo.h"
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
#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
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

// The text of each page of a PDF file, page by page (form feeds split pdftotext's pages).
std::vector<std::string> PdfPages(const std::string& path) {
    std::vector<std::string> pages;
    std::string text = PdfText(path);
    for (size_t at = 0, ff; (ff = text.find('\f', at)) != std::string::npos; at = ff + 1)
        pages.push_back(text.substr(at, ff - at));
    return pages;
}

// What a PDF reader makes of a file: the output of a poppler tool ("" when it is missing).
std::string PdfTool(const QString& tool, const QStringList& args) {
    if (QStandardPaths::findExecutable(tool).isEmpty()) return {};
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(30000);
    return (p.readAllStandardOutput() + p.readAllStandardError()).toStdString();
}

// The outline entries as poppler reads them: "page:title" lines.
std::vector<std::string> PdfOutline(const std::string& path) {
    const QString xml = QString::fromStdString(PdfTool("pdftohtml", {"-xml", "-i", "-q", "-stdout", QString::fromStdString(path)}));
    std::vector<std::string> out;
    static const QRegularExpression item(R"re(<item page="(\d+)">([^<]*)</item>)re");
    for (auto it = item.globalMatch(xml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out.push_back((m.captured(1) + ":" + m.captured(2)).toStdString());
    }
    return out;
}

// A fixed print date for a test; the system clock again afterwards.
struct FixedWallClock {
    explicit FixedWallClock(int64_t when) { cmcSetWallClock([when] { return when; }); }
    ~FixedWallClock() { cmcSetWallClock(nullptr); }
};

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
        "#GI_Sys_Printer_Footer", "Page %d of %d", "%s, %s, printed %s", "radio %s read %s", "Untitled", "%s: %s (%s)",
        "unknown",
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

TEST(SheetPrinter, EveryPageNamesItselfAndTheDataInItsFooter) {
    test::ScopedDefs defs(WideSheetDefs());
    cuiPdfDocument pdf;
    std::vector<int> perSheet;
    std::vector<cuiPrintedSheet> printed;
    const cmcPrintInfo info{"radios.qcf", "LMR", "2026-03-04 14:05"};
    const int pages =
        cuiPrintSheetsNow(pdf.Device(), {"GI_Sheet_Quiet", "GI_Sheet_Wide", "", "GI_Sheet_Wide"}, {}, info, &perSheet, &printed);
    ASSERT_GT(perSheet[1], 1);
    EXPECT_EQ(perSheet, (std::vector<int>{0, perSheet[1], 0, perSheet[1]}));
    EXPECT_EQ(pages, 2 * perSheet[1]);
    // The sheets that gave pages, with their first pages (for the outline).
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[0].firstPage, 0);
    EXPECT_EQ(printed[1].firstPage, perSheet[1]);
    EXPECT_EQ(printed[1].heading, "Wide test sheet");

    if (!HavePdfText()) GTEST_SKIP() << "pdftotext is not installed";
    const std::string path = test::WriteFile(test::TempDir() + "/footer.pdf", cuiPdfWithOutline(pdf.Bytes(), printed));
    const std::vector<std::string> texts = PdfPages(path);
    ASSERT_EQ(static_cast<int>(texts.size()), pages);
    for (int i = 0; i < pages; ++i) {
        const std::string page = "Page " + std::to_string(i + 1) + " of " + std::to_string(pages);
        EXPECT_NE(texts[i].find(page), std::string::npos) << "page " << i + 1 << ":\n" << texts[i];
        EXPECT_NE(texts[i].find("radios.qcf, LMR, printed 2026-03-04 14:05"), std::string::npos) << texts[i];
    }
    EXPECT_EQ(PdfOutline(path), (std::vector<std::string>{"1:Wide test sheet", "" + std::to_string(perSheet[1] + 1) +
                                                                                     ":Wide test sheet"}));
}

TEST(PdfOutline, AppendedOutlineIsReadByAPdfReader) {
    // A small document of three pages from Qt's own writer.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle("Outline test");
        QPainter painter(&writer);
        for (int i = 0; i < 3; ++i) {
            if (i) writer.newPage();
            painter.drawText(100, 100, QString("page %1").arg(i + 1));
        }
    }
    const std::string original(bytes.constData(), bytes.size());
    std::string pdf = original;
    std::string why;
    ASSERT_TRUE(cmcAddPdfOutline(pdf, {{"First", 0}, {"Zweite Seite, Kanäle (1)", 1}, {"Last", 2}}, &why)) << why;
    EXPECT_EQ(pdf.compare(0, original.size(), original), 0) << "an update only appends";

    // Refusals leave the bytes as they are.
    struct Refusal {
        const char* what;
        std::string pdf;
        std::vector<cmcPdfOutlineEntry> entries;
    };
    const Refusal refusals[] = {
        {"a page after the last", original, {{"x", 3}}},
        {"not a PDF document", "hello", {{"x", 0}}},
        {"an outline already there", pdf, {{"x", 0}}},
        {"a broken cross-reference offset", original.substr(0, original.rfind("startxref")) + "startxref\n5\n%%EOF\n",
         {{"x", 0}}},
    };
    for (const Refusal& r : refusals) {
        std::string copy = r.pdf;
        EXPECT_FALSE(cmcAddPdfOutline(copy, r.entries, &why)) << r.what;
        EXPECT_EQ(copy, r.pdf) << r.what;
    }

    if (QStandardPaths::findExecutable("pdftohtml").isEmpty()) GTEST_SKIP() << "pdftohtml is not installed";
    const std::string path = test::WriteFile(test::TempDir() + "/outline.pdf", pdf);
    EXPECT_EQ(PdfOutline(path), (std::vector<std::string>{"1:First", "2:Zweite Seite, Kanäle (1)", "3:Last"}));
    const std::string info = PdfTool("pdfinfo", {QString::fromStdString(path)});
    EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
    EXPECT_NE(info.find("Title:           Outline test"), std::string::npos) << info;
    EXPECT_EQ(info.find("Error"), std::string::npos) << info;
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
    // One tick per sheet to count the pages, then one per sheet to print them (the last counting
    // tick prints the first sheet).
    EXPECT_EQ(ticks, 2 * static_cast<int>(sheets.size()) - 1);
    EXPECT_TRUE(prog.form->isEnabled());

    // The same pages as printing the tree's sheets at once.
    QPrinter all(QPrinter::HighResolution);
    cuiSetUpPdfPrinter(all, test::TempDir() + "/direct.pdf");
    cmcSheetContext ctx;
    ctx.modelType = prog.main->Model().ModelType();
    ctx.image = &prog.main->Model().WorkingImage();
    EXPECT_EQ(pages, cuiPrintSheetsNow(all, sheets, ctx, cmcPrintInfoOf(prog.main->Model(), 0)));
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

TEST(PrintJob, ExportNamesItsDataAndHasTheCommandLinesPages) {
    Program prog;
    const int64_t printed = 1772633100, read = 1772546400;
    FixedWallClock clock(printed);
    // Two banks of 32 slots; 11 channels in use, all in the first bank.
    uint8_t* image = prog.main->Model().WorkingImage().Data();
    for (int b = 0; b < 5; ++b) datSetBankSize(image, b, b < 2 ? 32 : 0);
    for (int n = 0; n < 11; ++n) {
        datCh ch(image);
        ch.Load(datChannelKind(prog.main->Model().ModelType()), n);
        ch.rxFreq = ch.txFreq = 446006250 + 12500 * n;
        ch.inUse = true;
        ch.Store();
    }
    // Data read from a radio and not saved names the radio; a file name names the file.
    prog.main->Model().SetFileName("");
    prog.main->Model().NoteRadioRead("1234-56-78901", read);
    const cmcPrintInfo info = cmcPrintInfoOf(prog.main->Model(), printed);
    EXPECT_EQ(info.origin, "radio 1234-56-78901 read " + cmcPrintDate(read));
    EXPECT_EQ(info.model, indMain::ModelName(prog.main->Model().ModelType()));
    EXPECT_EQ(info.printed, cmcPrintDate(printed));
    {
        indMain other;
        other.SetFileName("/some/folder/fleet.qcf");
        EXPECT_EQ(cmcPrintInfoOf(other, printed).origin, "fleet.qcf");
        other.NoteRadioRead("", read);
        EXPECT_EQ(cmcPrintInfoOf(other, printed).origin, "fleet.qcf") << "a file name comes first";
        other.SetFileName("");
        EXPECT_EQ(cmcPrintInfoOf(other, printed).origin, "Untitled") << "no file, no radio";
        other.NoteRadioRead("", read);
        EXPECT_EQ(cmcPrintInfoOf(other, printed).origin, "radio unknown read " + cmcPrintDate(read));
    }

    const std::string path = test::TempDir() + "/export-all.pdf";
    QFile::remove(QString::fromStdString(path));
    prog.ShowSheet("GI_Sheet_Mch_BankOp");
    ASSERT_TRUE(prog.main->StartPrinting(true, path));
    for (int ticks = 0; prog.main->PrintJob() && ticks < 200; ++ticks) prog.Step(cuiMain::kTickMs);
    ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(path)));

    // The command line's pages of the same data: of the banks, only the first one gives pages.
    const std::vector<std::string> sheets = TreeSheets(*prog.main);
    cmcSheetContext ctx;
    ctx.modelType = prog.main->Model().ModelType();
    ctx.image = &prog.main->Model().WorkingImage();
    cuiPdfDocument direct;
    std::vector<int> perSheet;
    std::vector<cuiPrintedSheet> printedSheets;
    const int pages = cuiPrintSheetsNow(direct.Device(), sheets, ctx, info, &perSheet, &printedSheets);
    for (size_t i = 0; i < sheets.size(); ++i) {
        const cuiSheetRef ref = cuiSheetRef::Split(sheets[i]);
        if (ref.style != "St_ChBank") continue;
        EXPECT_EQ(perSheet[i] > 0, ref.parameter == "Bank 0") << sheets[i];
    }

    if (!HavePdfText()) GTEST_SKIP() << "pdftotext is not installed";
    const std::string directPath = test::WriteFile(test::TempDir() + "/direct-all.pdf",
                                                   cuiPdfWithOutline(direct.Bytes(), printedSheets));
    EXPECT_EQ(PdfText(path), PdfText(directPath)) << "the program and the command line print the same pages";
    const std::vector<std::string> texts = PdfPages(path);
    ASSERT_EQ(static_cast<int>(texts.size()), pages);
    const std::string footer = info.origin + ", " + info.model + ", printed " + info.printed;
    for (int i = 0; i < pages; ++i) {
        EXPECT_NE(texts[i].find("Page " + std::to_string(i + 1) + " of " + std::to_string(pages)), std::string::npos)
            << texts[i];
        EXPECT_NE(texts[i].find(footer), std::string::npos) << texts[i];
    }
    const std::string pdfInfo = PdfTool("pdfinfo", {QString::fromStdString(path)});
    EXPECT_NE(pdfInfo.find("Title:           QX-P2210: " + info.origin + " (" + info.model + ")"), std::string::npos)
        << pdfInfo;
    // The outline: one entry per sheet printed, at its first page, the first bank among them.
    const std::vector<std::string> outline = PdfOutline(path);
    ASSERT_EQ(outline.size(), printedSheets.size());
    bool bank = false;
    for (size_t i = 0; i < outline.size(); ++i) {
        EXPECT_EQ(outline[i].substr(0, outline[i].find(':')), std::to_string(printedSheets[i].firstPage + 1));
        bank = bank || outline[i].find(":Memory Channels, Bank 1") != std::string::npos;
        EXPECT_EQ(outline[i].find("Bank 2"), std::string::npos) << "a bank without channels in use";
    }
    EXPECT_TRUE(bank);
}

TEST(SheetPrinter, ChannelSheetStopsAtItsLastChannelAndLeavesOutPagesOfEmptySlots) {
    Program prog;
    // One bank of 64 slots; channels in slots 1 and 41 (grid rows 1 and 41 below the header).
    uint8_t* image = prog.main->Model().WorkingImage().Data();
    for (int b = 0; b < 5; ++b) datSetBankSize(image, b, b == 0 ? 64 : 0);
    for (int n : {0, 40}) {
        datCh ch(image);
        ch.Load(datChannelKind(prog.main->Model().ModelType()), n);
        ch.rxFreq = ch.txFreq = 446006250;
        ch.inUse = true;
        ch.Store();
    }
    std::string bank;
    for (const std::string& s : TreeSheets(*prog.main))
        if (s.find("[St_ChBank]") == 0 && s.find(",Bank 0") != std::string::npos) bank = s;
    ASSERT_FALSE(bank.empty());
    cmcSheetContext ctx;
    ctx.modelType = prog.main->Model().ModelType();
    ctx.image = &prog.main->Model().WorkingImage();

    PdfOut out("slots.pdf");
    cuiSheetPrinter printer(out.printer, out.painter);
    printer.SetContext(ctx);
    // A page a quarter as high: about ten rows a page, so slots 2-40 alone would fill pages.
    cmcPrintArea area = printer.Area();
    area.bottom = area.top + area.Height() / 4;
    printer.SetArea(area);
    const int counted = printer.CountPages(bank);
    const int pages = printer.PrintSheet(bank);
    out.painter.end();
    EXPECT_EQ(pages, counted);
    ASSERT_GT(pages, 0);
    std::set<int> rowBlocks;
    int lastRow = 0;
    for (const cuiPrintedPage& p : printer.Log()) {
        rowBlocks.insert(p.firstRow);
        lastRow = std::max(lastRow, p.firstRow + p.rows - 1);
        const bool holdsChannel = (p.firstRow <= 1 && 1 < p.firstRow + p.rows) || (p.firstRow <= 41 && 41 < p.firstRow + p.rows);
        EXPECT_TRUE(holdsChannel) << "a page of rows " << p.firstRow << "-" << p.firstRow + p.rows - 1;
    }
    EXPECT_EQ(lastRow, 41) << "the rows stop at the last channel in use";
    EXPECT_EQ(rowBlocks.size(), 2u);
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
