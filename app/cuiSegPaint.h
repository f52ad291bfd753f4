// Drawing display texts as the radio's segment display shows them (sheet cells, the text entry
// drop-down's preview and character sheet, printing), with the geometry of DisplayGeometry().
#pragma once

#include <QColor>
#include <QRect>

#include <cstdint>

class QPainter;

namespace qx {

// Fills the lit segments of `count` display bytes in `rect`, `perLine` characters on each of
// `lines` lines, in `colour`; codes 16-31 take their patterns from `userTable` (32 bytes, or null).
// The painter's pen and brush are restored afterwards.
void cuiDrawSegText(QPainter& p, const QRect& rect, const uint8_t* bytes, int count, int perLine, int lines,
                    const uint8_t* userTable, const QColor& colour);

}  // namespace qx
