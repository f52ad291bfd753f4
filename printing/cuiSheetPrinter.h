// Prints sheets onto a paged device (a printer or a PDF file): each sheet is built again in printer
// mode with the printer font, cut into column and row blocks that fit the body of a page, and every
// block is drawn on a page of its own inside the page frame (heading, program and maker lines).
// A block that does not fit (a column wider than the page) is drawn with a smaller font. Rows the
// sheet does not print (a bank's rows after its last channel in use) are left out, and so is a page
// whose rows hold no data. The footer names the page ("Page 2 of 5"), the data, the model type and
// the print date once the document's information and page count are given.
//
//     QPrinter printer;  QPainter painter(&printer);
//     cuiSheetPrinter out(printer, painter);
//     int pages = out.PrintSheet("[St_ChBank]GI_Sheet_Mch_Lmr,Bank 1");
#pragma once

#include "defs/cmcSheetBuilder.h"
#include "printing/cmcPrintBlocks.h"
#include "printing/cmcPrintInfo.h"

#include <QFont>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QWidget;

namespace qx {

class cuiSheet;

// The texts and font of the page frame.
struct cuiPageFrameTexts {
    std::string heading;  // the sheet's print heading, top left
    std::string program;  // "GI_Sys_AppTitleRev", top right
    std::string maker;    // "GI_Sys_Maker", bottom right
    std::string footer;   // the data, model type and print date, bottom left
    std::string page;     // "Page n of m", bottom centre
};

// Measures (painter null) or draws the page frame inside `area` and returns the body area left
// for the sheet. `font` is the frame font (its pixel size is the height h of a line).
cmcPrintArea cuiPageFrame(QPainter* painter, const cmcPrintArea& area, const QFont& font,
                          const cuiPageFrameTexts& texts);

// What one printed page holds: the sheet, its column and row block and the font it was drawn in.
struct cuiPrintedPage {
    std::string reference;
    int firstCol = 0, cols = 0, firstRow = 0, rows = 0;
    int fontHeight = 0;
};

// A sheet that gave pages: its heading (for the PDF outline) and its first page, counted from 0.
struct cuiPrintedSheet {
    std::string reference;
    std::string heading;
    int firstPage = 0;
    int pages = 0;
};

class cuiSheetPrinter {
public:
    // `painter` is active on `device`. The print area comes from "GI_Sys_Printer_Margins".
    cuiSheetPrinter(QPagedPaintDevice& device, QPainter& painter);
    ~cuiSheetPrinter();

    // The model type and image the sheets show (default: what the program's sheets show).
    void SetContext(const cmcSheetContext& ctx) { ctx_ = ctx; }
    void SetArea(const cmcPrintArea& area) { area_ = area; }
    const cmcPrintArea& Area() const { return area_; }
    int Dpi() const { return dpi_; }
    // The printer font's pixel height ("GI_Sys_Printer_FontPoints" at the device's resolution).
    int FontHeight() const { return fontHeight_; }

    // Asked before each page; true stops printing (the sheet ends there).
    std::function<bool()> cancelled;

    // The footer's texts: the data printed and the document's page count (0: no footer).
    void SetDocument(const cmcPrintInfo& info, int totalPages) {
        info_ = info;
        totalPages_ = totalPages;
    }

    // The pages a sheet will give, without printing anything.
    int CountPages(const std::string& reference);
    // Prints the sheet named by a sheet reference; returns the pages printed (0 for a sheet that
    // is not printed: "NoPrint", or a bank without channels in use).
    int PrintSheet(const std::string& reference);
    // A page has been printed by this printer (the next one starts on a new page).
    bool PagePrinted() const { return pagePrinted_; }
    int Pages() const { return static_cast<int>(log_.size()); }
    const std::vector<cuiPrintedPage>& Log() const { return log_; }
    const std::vector<cuiPrintedSheet>& Sheets() const { return sheets_; }

private:
    struct Layout;
    std::unique_ptr<cuiSheet> Build(const std::string& reference, int fontHeight);
    // Builds the sheet and cuts it into blocks; false for a sheet that is not printed.
    bool Lay(const std::string& reference, Layout& layout);
    void DrawBlock(cuiSheet& sheet, const cmcPrintArea& body, int firstCol, int cols, int firstRow, int rows);

    QPagedPaintDevice& device_;
    QPainter& painter_;
    std::unique_ptr<QWidget> host_;  // the hidden window the sheets are built on
    std::optional<cmcSheetContext> ctx_;
    cmcPrintArea area_;
    int dpi_ = 72;
    int fontHeight_ = 12;
    bool pagePrinted_ = false;
    std::vector<cuiPrintedPage> log_;
    std::vector<cuiPrintedSheet> sheets_;
    cmcPrintInfo info_;
    int totalPages_ = 0;
};

// A heading as one line: runs of white space as one space, no space or colon at the end (an
// unnamed bank's heading ends in its blank name).
std::string cuiOutlineTitle(const std::string& heading);

// Sizes the block needs (fixed columns and rows included).
int cuiBlockWidth(const cmcSheetBuilder& b, int firstCol, int cols);
int cuiBlockHeight(const cmcSheetBuilder& b, int firstRow, int rows);

}  // namespace qx
