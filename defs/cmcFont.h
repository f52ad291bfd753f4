// The font of a cell, as plain data: what a font specification of the cell language sets.
// The user interface turns it into a platform font when it draws.
#pragma once

#include "defs/cmcCellNames.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qx {

// Height and point size are two views of one measure, linked at this many pixels per inch
// (size = -height * 72 / 96, rounded): setting one sets the other.
inline constexpr int kFontPixelsPerInch = 96;

struct cmcFont {
    int charset = kDefaultCharset;     // a value of kCharsetNames
    std::string face;                  // empty: the platform's default face
    uint32_t colour = clWindowText;    // text colour
    int height = -11;                  // pixels; negative: character height without internal leading
    uint8_t styles = 0;                // cmcFontStyle bits
    int pitch = fpDefault;             // cmcFontPitch

    // The point size that goes with the height (and the height that goes with a point size).
    int Size() const;
    void SetSize(int points);

    bool operator==(const cmcFont&) const = default;
};

// The font a cell starts from when it has no model font to copy: the platform's default
// (default character set and face, window text colour, 8 points, no styles, default pitch).
cmcFont DefaultFont();

// Applies a font specification: seven fields separated by ",": character set, face, colour,
// height, size, styles (names joined by "+"), pitch. A missing or empty field leaves that part
// unchanged; a height or size of "%p" scales the current value by p percent (truncated, at least 1);
// 0 leaves it unchanged. Unknown names are ignored; `ignored`, when given, hears about each of them.
void ApplyFontSpec(cmcFont& font, std::string_view spec,
                   const std::function<void(const std::string&)>& ignored = {});

// The names of the styles set, in table order.
std::string FontStyleList(uint8_t styles, const char* separator = "+");

}  // namespace qx
