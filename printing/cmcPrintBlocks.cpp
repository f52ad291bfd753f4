#include "printing/cmcPrintBlocks.h"

#include <cstdlib>
#include <cstring>
#include <numeric>
#include <algorithm>

namespace qx {

int cmcMmToPixels(double mm, int dpi) { return static_cast<int>(mm * dpi * 0.03937007874015748); }

cmcPrintArea cmcMarginArea(const std::string& margins, int pageWidth, int pageHeight, int dpi) {
    double mm[4] = {0, 0, 0, 0};
    const char* s = margins.c_str();
    for (int i = 0; i < 4 && *s; ++i) {
        char* end = nullptr;
        const double v = std::strtod(s, &end);
        if (end != s && v > 0) mm[i] = v;
        const char* comma = std::strchr(s, ',');
        if (!comma) break;
        s = comma + 1;
    }
    cmcPrintArea a;
    a.left = cmcMmToPixels(mm[0], dpi);
    a.top = cmcMmToPixels(mm[1], dpi);
    a.right = pageWidth - cmcMmToPixels(mm[2], dpi);
    a.bottom = pageHeight - cmcMmToPixels(mm[3], dpi);
    return a;
}

std::vector<int> cmcCutColumns(const std::vector<int>& widths, const std::vector<bool>& continues, int fixedCols,
                               int width) {
    const int cols = static_cast<int>(widths.size());
    const int fixedWidth = std::accumulate(widths.begin(), widths.begin() + std::min(fixedCols, cols), 0);
    std::vector<int> blocks;
    for (int first = fixedCols; first < cols;) {
        int used = fixedWidth, candidate = 0, length = 0;
        for (int i = 0;; ++i) {
            const int c = first + i;
            if (c >= cols) {
                length = cols - first;
                break;
            }
            used += widths[c];
            if (!(c < static_cast<int>(continues.size()) && continues[c])) candidate = i;
            if (candidate > 0 && used > width) {
                length = candidate;
                break;
            }
        }
        blocks.push_back(length);
        first += length;
    }
    return blocks;
}

std::vector<int> cmcCutRows(const std::vector<int>& heights, int fixedRows, int height) {
    const int rows = static_cast<int>(heights.size());
    const int fixedHeight = std::accumulate(heights.begin(), heights.begin() + std::min(fixedRows, rows), 0);
    std::vector<int> blocks;
    for (int first = fixedRows; first < rows;) {
        int used = fixedHeight, n = 0;
        while (first + n < rows && (n == 0 || used + heights[first + n] <= height)) used += heights[first + n++];
        blocks.push_back(n);
        first += n;
    }
    return blocks;
}

}  // namespace qx
