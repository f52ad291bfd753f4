// Colours, fonts and text measurement of the cell language on the platform: system colours
// 0x800000nn resolve to a fixed set of classic desktop colours, so sheets look the same on every
// desktop theme and in rendered pictures.
#pragma once

#include "defs/cmcFont.h"
#include "defs/cmcSheetBuilder.h"

#include <QColor>
#include <QFont>

namespace qx {

inline constexpr uint32_t clHighlight = 0x8000000D;
inline constexpr uint32_t clHighlightText = 0x8000000E;
inline constexpr uint32_t clBtnFace = 0x8000000F;
inline constexpr uint32_t clGrayText = 0x80000011;

// A colour of the cell language as a platform colour.
QColor cuiColour(uint32_t colour);
// A cell font as a platform font (pixel height from the font's height).
QFont cuiFont(const cmcFont& font);

// Measures with the platform fonts (what the sheets use on screen and in rendered pictures).
class cuiTextMeasure final : public cmcTextMeasure {
public:
    int TextWidth(const cmcFont& font, const std::string& line) override;
    int LineHeight(const cmcFont& font) override;
};

}  // namespace qx
