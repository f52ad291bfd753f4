#include "app/cuiSheetPaint.h"

#include <QFontMetrics>

#include <cstdlib>
#include <unordered_map>

namespace qx {

QColor cuiColour(uint32_t c) {
    if (c & kSystemColourFlag) {
        // Classic desktop colours for system colours 1-20.
        static const uint32_t system[21] = {
            0xFFFFFF,  // 0: unused
            0x3A6EA5,  // 1 background
            0x0A246A,  // 2 active caption
            0x808080,  // 3 inactive caption
            0xF0F0F0,  // 4 menu
            0xFFFFFF,  // 5 window
            0x646464,  // 6 window frame
            0x000000,  // 7 menu text
            0x000000,  // 8 window text
            0xFFFFFF,  // 9 caption text
            0xB4B4B4,  // 10 active border
            0xF4F7FC,  // 11 inactive border
            0xABABAB,  // 12 application workspace
            0x0A64C8,  // 13 highlight
            0xFFFFFF,  // 14 highlight text
            0xECE9D8,  // 15 button face
            0xACA899,  // 16 button shadow
            0x808080,  // 17 grey text
            0x000000,  // 18 button text
            0xD4D0C8,  // 19 inactive caption text
            0xFFFFFF,  // 20 button highlight
        };
        uint32_t n = c & 0xFF;
        return QColor::fromRgb(n <= 20 ? system[n] : 0x000000);
    }
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

QFont cuiFont(const cmcFont& f) {
    QFont q;
    if (!f.face.empty()) q.setFamily(QString::fromStdString(f.face));
    q.setPixelSize(std::max(1, std::abs(f.height)));
    q.setBold(f.styles & fsBold);
    q.setItalic(f.styles & fsItalic);
    q.setUnderline(f.styles & fsUnderline);
    q.setStrikeOut(f.styles & fsStrikeOut);
    if (f.pitch == fpFixed) q.setStyleHint(QFont::TypeWriter);
    return q;
}

namespace {
// Metrics by font: building a sheet measures many texts in few fonts.
QFontMetrics& MetricsOf(const cmcFont& f) {
    struct Key {
        std::string face;
        int height;
        uint8_t styles;
        int pitch;
        bool operator==(const Key&) const = default;
    };
    struct Hash {
        size_t operator()(const Key& k) const {
            return std::hash<std::string>()(k.face) ^ (k.height * 131) ^ (k.styles << 20) ^ (k.pitch << 24);
        }
    };
    // Kept for the whole run: metrics must not outlive the application object at exit.
    static auto* cache = new std::unordered_map<Key, QFontMetrics, Hash>;
    Key k{f.face, f.height, f.styles, f.pitch};
    auto it = cache->find(k);
    if (it == cache->end()) it = cache->emplace(k, QFontMetrics(cuiFont(f))).first;
    return it->second;
}
}  // namespace

int cuiTextMeasure::TextWidth(const cmcFont& font, const std::string& line) {
    return MetricsOf(font).horizontalAdvance(QString::fromStdString(line));
}

int cuiTextMeasure::LineHeight(const cmcFont& font) { return MetricsOf(font).height(); }

}  // namespace qx
