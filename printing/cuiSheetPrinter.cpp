#include "printing/cuiSheetPrinter.h"

#include "app/cuiTree.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheet.h"
#include "app/cuiSheetPaint.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qx {

namespace {

int ReadInt(const std::string& text, int fallback) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    return end != text.c_str() && v > 0 ? static_cast<int>(v) : fallback;
}

// A font of `points` at the device resolution, as a pixel height.
int PointsToPixels(int points, int dpi) { return std::max(1, static_cast<int>(std::lround(points * dpi / 72.0))); }

}  // namespace

cmcPrintArea cuiPageFrame(QPainter* p, const cmcPrintArea& area, const QFont& font, const cuiPageFrameTexts& texts) {
    cmcPrintArea body = area;
    const int h = std::max(1, font.pixelSize());
    const int a = static_cast<int>(std::lround(h * 0.1 + 1));
    if (p) {
        p->save();
        p->setFont(font);
        p->setPen(Qt::black);
        const QFontMetrics fm = p->fontMetrics();
        const QString program = QString::fromStdString(texts.program);
        p->drawText(QRect(body.left, body.top, body.Width(), h), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                    QString::fromStdString(texts.heading));
        const int pw = fm.horizontalAdvance(program);
        p->drawText(QRect(body.right - 1 - pw, body.top, pw + 1, h), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                    program);
    }
    body.top += h + a;
    if (p) p->fillRect(QRect(body.left, body.top, body.Width(), a), Qt::black);
    body.top += 5 * a;
    if (p) {
        const QFontMetrics fm = p->fontMetrics();
        const QString maker = QString::fromStdString(texts.maker);
        const int mw = fm.horizontalAdvance(maker);
        const int y = body.bottom - h - 1;
        p->drawText(QRect(body.right - 1 - mw, y, mw + 1, h), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, maker);
        // The footer: the data printed at the left, the page in the middle.
        p->drawText(QRect(body.left, y, body.Width(), h), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                    QString::fromStdString(texts.footer));
        const QString page = QString::fromStdString(texts.page);
        const int pw = fm.horizontalAdvance(page);
        p->drawText(QRect(body.left + (body.Width() - pw) / 2, y, pw + 1, h),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, page);
    }
    body.bottom -= h + a;
    if (p) {
        p->fillRect(QRect(body.left, body.bottom - a, body.Width(), a), Qt::black);
        p->restore();
    }
    body.bottom -= 5 * a;
    return body;
}

int cuiBlockWidth(const cmcSheetBuilder& b, int firstCol, int cols) {
    int w = 0;
    for (int c = 0; c < b.FixedCols(); ++c) w += b.ColWidth(c);
    for (int c = firstCol; c < firstCol + cols; ++c) w += b.ColWidth(c);
    return w;
}

int cuiBlockHeight(const cmcSheetBuilder& b, int firstRow, int rows) {
    int h = 0;
    for (int r = 0; r < b.FixedRows(); ++r) h += b.RowHeight(r);
    for (int r = firstRow; r < firstRow + rows; ++r) h += b.RowHeight(r);
    return h;
}

cuiSheetPrinter::cuiSheetPrinter(QPagedPaintDevice& device, QPainter& painter)
    : device_(device), painter_(painter), host_(std::make_unique<QWidget>()) {
    host_->setAttribute(Qt::WA_DontShowOnScreen);
    dpi_ = std::max(1, device_.logicalDpiY());
    fontHeight_ = PointsToPixels(ReadInt(GTex().FirstLine("GI_Sys_Printer_FontPoints"), 9), dpi_);
    area_ = cmcMarginArea(GTex().FirstLine("GI_Sys_Printer_Margins"), device_.width(), device_.height(), dpi_);
}

cuiSheetPrinter::~cuiSheetPrinter() = default;

std::unique_ptr<cuiSheet> cuiSheetPrinter::Build(const std::string& reference, int fontHeight) {
    const cuiSheetRef ref = cuiSheetRef::Split(reference);
    std::unique_ptr<cuiSheet> sheet = cuiCreateSheet(ref.style, host_.get(), GTex(), ref.key, host_.get());
    sheet->SetName(reference);
    sheet->SetParameter(ref.parameter);
    if (ctx_) sheet->SetContext(*ctx_);
    sheet->SetPrinting(true, dpi_ / 120);
    sheet->SetExplicitFontHeight(-fontHeight);
    sheet->Build();
    return sheet;
}

// A sheet built in the printer font and cut into blocks.
struct cuiSheetPrinter::Layout {
    std::unique_ptr<cuiSheet> sheet;
    cuiPageFrameTexts texts;
    QFont frameFont;
    cmcPrintArea body;
    std::vector<int> colBlocks;
    std::vector<std::pair<int, int>> rowBlocks;  // first row, rows
    int Pages() const { return static_cast<int>(colBlocks.size() * rowBlocks.size()); }
};

bool cuiSheetPrinter::Lay(const std::string& reference, Layout& l) {
    l.sheet = Build(reference, fontHeight_);
    if (!l.sheet->Printable()) return false;

    l.texts = {l.sheet->PrintHeading(), GTex().FirstLine("GI_Sys_AppTitleRev"), GTex().FirstLine("GI_Sys_Maker"), {}, {}};
    const cmcSheetStyle& style = l.sheet->Builder().Style();
    l.frameFont = cuiFont(style.titleFont ? *style.titleFont : l.sheet->Builder().BasicFont());
    l.frameFont.setBold(false);
    l.frameFont.setItalic(false);
    l.frameFont.setUnderline(false);
    l.frameFont.setStrikeOut(false);
    l.frameFont.setPixelSize(PointsToPixels(ReadInt(GTex().FirstLine("GI_Sys_Printer_FrameFont"), 8), dpi_));
    l.body = cuiPageFrame(nullptr, area_, l.frameFont, l.texts);
    const int W = std::max(1, l.body.Width()), H = std::max(1, l.body.Height());

    // The blocks are cut once, in the printer font, over the rows the sheet prints.
    const cmcSheetBuilder& b = l.sheet->Builder();
    const int printedRows = std::clamp(b.PrintedRows(), std::min(b.FixedRows(), b.RowCount()), b.RowCount());
    std::vector<int> widths, heights;
    std::vector<bool> continues;
    for (int c = 0; c < b.ColCount(); ++c) {
        widths.push_back(b.ColWidth(c));
        bool joined = false;
        for (int r = 0; r < std::min(b.FixedRows(), b.RowCount()); ++r)
            joined = joined || l.sheet->CellAt(c, r).JoinedLeft();
        continues.push_back(joined);
    }
    for (int r = 0; r < printedRows; ++r) heights.push_back(b.RowHeight(r));
    l.colBlocks = cmcCutColumns(widths, continues, b.FixedCols(), W);
    if (l.colBlocks.empty()) l.colBlocks.push_back(0);  // only fixed columns
    l.rowBlocks.clear();
    int firstRow = b.FixedRows();
    for (int rows : cmcCutRows(heights, b.FixedRows(), H)) {
        // A block of rows without data (channels not in use between used ones) gives no page.
        bool data = false;
        for (int r = firstRow; r < firstRow + rows && !data; ++r) data = b.RowHoldsData(r);
        if (data) l.rowBlocks.push_back({firstRow, rows});
        firstRow += rows;
    }
    if (l.rowBlocks.empty() && printedRows <= b.FixedRows()) l.rowBlocks.push_back({b.FixedRows(), 0});
    return true;
}

int cuiSheetPrinter::CountPages(const std::string& reference) {
    Layout l;
    return Lay(reference, l) ? l.Pages() : 0;
}

int cuiSheetPrinter::PrintSheet(const std::string& reference) {
    Layout l;
    if (!Lay(reference, l)) return 0;
    std::unique_ptr<cuiSheet>& sheet = l.sheet;
    const int W = std::max(1, l.body.Width()), H = std::max(1, l.body.Height());
    if (totalPages_ > 0) l.texts.footer = cmcFooterText(info_);

    int pages = 0;
    int height = fontHeight_;
    for (const auto& [firstRow, rows] : l.rowBlocks) {
        int firstCol = sheet->Builder().FixedCols();
        for (int cols : l.colBlocks) {
            // Each block starts from the printer font; a block that does not fit is built again
            // with a font scaled to the room there is (up to three times: widths do not shrink
            // exactly in proportion to the font).
            if (height != fontHeight_) {
                sheet.reset();
                height = fontHeight_;
                sheet = Build(reference, height);
            }
            for (int attempt = 0; attempt < 3; ++attempt) {
                const int needW = cuiBlockWidth(sheet->Builder(), firstCol, cols);
                const int needH = cuiBlockHeight(sheet->Builder(), firstRow, rows);
                if (needW <= W && needH <= H) break;
                const double scale = std::min(double(H) / std::max(1, needH), double(W) / std::max(1, needW));
                const int scaled = std::max(1, static_cast<int>(std::lround(std::abs(height) * scale)));
                if (scaled == height) break;
                height = scaled;
                sheet.reset();
                sheet = Build(reference, height);
            }
            if (cancelled && cancelled()) return pages;
            if (pagePrinted_) device_.newPage();
            if (pages == 0) sheets_.push_back({reference, l.texts.heading, Pages(), 0});
            if (totalPages_ > 0) l.texts.page = cmcPageText(Pages() + 1, totalPages_);
            cuiPageFrame(&painter_, area_, l.frameFont, l.texts);
            DrawBlock(*sheet, l.body, firstCol, cols, firstRow, rows);
            pagePrinted_ = true;
            ++pages;
            ++sheets_.back().pages;
            log_.push_back({reference, firstCol, cols, firstRow, rows, height});
            firstCol += cols;
        }
    }
    return pages;
}

void cuiSheetPrinter::DrawBlock(cuiSheet& sheet, const cmcPrintArea& body, int firstCol, int cols, int firstRow,
                                int rows) {
    const cmcSheetBuilder& b = sheet.Builder();
    std::vector<int> colList, rowList;
    for (int c = 0; c < b.FixedCols(); ++c) colList.push_back(c);
    for (int c = firstCol; c < firstCol + cols; ++c) colList.push_back(c);
    for (int r = 0; r < b.FixedRows(); ++r) rowList.push_back(r);
    for (int r = firstRow; r < firstRow + rows; ++r) rowList.push_back(r);

    int blockLeft = body.left;
    for (int c = 0; c < b.FixedCols(); ++c) blockLeft += b.ColWidth(c);
    const QRect bodyRect(body.left, body.top, body.Width(), body.Height());
    // Cells joined to the left draw over the columns before them: the block's columns never draw
    // into the fixed columns.
    const QRect blockRect(blockLeft, body.top, std::max(0, body.right - blockLeft), body.Height());

    int y = body.top;
    for (int r : rowList) {
        const int h = b.RowHeight(r);
        int x = body.left;
        for (int c : colList) {
            const int w = b.ColWidth(c);
            painter_.save();
            painter_.setClipRect(c < b.FixedCols() ? bodyRect : blockRect);
            sheet.DrawCell(painter_, c, r, QRect(x, y, w, h), 0);
            painter_.restore();
            x += w;
        }
        y += h;
    }
}

std::string cuiOutlineTitle(const std::string& heading) {
    std::string out;
    for (char c : heading) {
        const bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (space) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == ':')) out.pop_back();
    return out;
}

}  // namespace qx
