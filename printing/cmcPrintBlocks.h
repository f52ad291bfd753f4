// Page arithmetic of printing, free of any device: millimetres to printer pixels, the print area
// inside the margins, and cutting a sheet's columns and rows into blocks that each fill one page.
//
//     cmcPrintArea area = cmcMarginArea("10,10,10,10", pageW, pageH, 600);   // 236-pixel margins
//     std::vector<int> cols = cmcCutColumns(widths, continues, fixedCols, body.Width());
//     std::vector<int> rows = cmcCutRows(heights, fixedRows, body.Height());
//
// Pages go across, then down: every row block is printed with every column block in turn.
#pragma once

#include <string>
#include <vector>

namespace qx {

// A rectangle in printer pixels; right and bottom are exclusive.
struct cmcPrintArea {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Millimetres as printer pixels at `dpi` pixels per inch, cut to whole pixels.
int cmcMmToPixels(double mm, int dpi);

// The area inside the margins "left,top,right,bottom" (millimetres, comma-separated) of a page of
// pageWidth x pageHeight pixels. Every margin is converted with the vertical resolution `dpi`; a
// missing or unreadable number counts as 0.
cmcPrintArea cmcMarginArea(const std::string& margins, int pageWidth, int pageHeight, int dpi);

// Column blocks after the fixed columns (which are printed on every page and count against
// `width`). `continues[c]` marks a column that continues the one before it (a header cell joined to
// the left): no block starts there. A block takes columns while they fit; a block has at least one
// column, so a column wider than the page is a block of its own. Returns the block lengths.
std::vector<int> cmcCutColumns(const std::vector<int>& widths, const std::vector<bool>& continues, int fixedCols,
                               int width);

// Row blocks after the fixed rows (printed on every page): rows are added while they fit `height`;
// a block has at least one row. Returns the block lengths.
std::vector<int> cmcCutRows(const std::vector<int>& heights, int fixedRows, int height);

}  // namespace qx
