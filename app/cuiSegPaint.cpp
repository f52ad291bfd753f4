#include "app/cuiSegPaint.h"

#include "cells/cmcDispText.h"

#include <QPainter>
#include <QPolygon>

namespace qx {

void cuiDrawSegText(QPainter& p, const QRect& rect, const uint8_t* bytes, int count, int perLine, int lines,
                    const uint8_t* userTable, const QColor& colour) {
    p.save();
    p.setPen(QPen(colour, 1));
    p.setBrush(colour);
    p.setRenderHint(QPainter::Antialiasing, false);
    LayoutSegText(DisplayGeometry(), rect.left(), rect.top(), rect.width(), rect.height(), bytes, count, perLine, lines,
                  userTable, [&p](const cmcSegPoint(&pts)[3]) {
                      const QPoint q[3] = {{pts[0].x, pts[0].y}, {pts[1].x, pts[1].y}, {pts[2].x, pts[2].y}};
                      p.drawPolygon(q, 3);
                  });
    p.restore();
}

}  // namespace qx
