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
        p->drawText(QRect(body.right - 1 - mw, body.bottom - h - 1, mw + 1, h),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, maker);
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

int cuiSheetPrinter::PrintSheet(const std::string& reference) {
    std::unique_ptr<cuiSheet> sheet = Build(reference, fontHeight_);
    if (!sheet->Printable()) return 0;

    cuiPageFrameTexts texts{sheet->PrintHeading(), GTex().FirstLine("GI_Sys_AppTitleRev"), GTex().FirstLine("GI_Sys_Maker")};
    const cmcSheetStyle& style = sheet->Builder().Style();
    QFont frameFont = cuiFont(style.titleFont ? *style.titleFont : sheet->Builder().BasicFont());
    frameFont.setBold(false);
    frameFont.setItalic(false);
    frameFont.setUnderline(false);
    frameFont.setStrikeOut(false);
    frameFont.setPixelSize(PointsToPixels(ReadInt(GTex().FirstLine("GI_Sys_Printer_FrameFont"), 8), dpi_));
    const cmcPrintArea body = cuiPageFrame(nullptr, area_, frameFont, texts);
    const int W = std::max(1, body.Width()), H = std::max(1, body.Height());

    // The blocks are cut once, in the printer font.
    const cmcSheetBuilder& b = sheet->Builder();
    std::vector<int> widths, heights;
    std::vector<bool> continues;
    for (int c = 0; c < b.ColCount(); ++c) {
        widths.push_back(b.ColWidth(c));
        bool joined = false;
        for (int r = 0; r < std::min(b.FixedRows(), b.RowCount()); ++r)
            joined = joined || sheet->CellAt(c, r).JoinedLeft();
        continues.push_back(joined);
    }
    for (int r = 0; r < b.RowCount(); ++r) heights.push_back(b.RowHeight(r));
    std::vector<int> colBlocks = cmcCutColumns(widths, continues, b.FixedCols(), W);
    std::vector<int> rowBlocks = cmcCutRows(heights, b.FixedRows(), H);
    if (colBlocks.empty()) colBlocks.push_back(0);  // only fixed columns
    if (rowBlocks.empty()) rowBlocks.push_back(0);

    int pages = 0;
    int height = fontHeight_;
    int firstRow = b.FixedRows();
    for (int rows : rowBlocks) {
        int firstCol = sheet->Builder().FixedCols();
        for (int cols : colBlocks) {
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
            cuiPageFrame(&painter_, area_, frameFont, texts);
            DrawBlock(*sheet, body, firstCol, cols, firstRow, rows);
            pagePrinted_ = true;
            ++pages;
            log_.push_back({reference, firstCol, cols, firstRow, rows, height});
            firstCol += cols;
        }
        firstRow += rows;
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

}  // namespace qx
