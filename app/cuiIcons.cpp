#include "app/cuiIcons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <functional>
#include <memory>

namespace qx {

namespace {

// Every image is designed on a 16 x 16 grid; the painter is scaled to the rectangle asked for.
constexpr qreal kGrid = 16.0;

const QColor kOutline(40, 40, 48);
const QColor kPaper(255, 255, 255);
const QColor kPaperLine(70, 110, 190);
const QColor kFolder(240, 196, 72);
const QColor kFolderDark(196, 146, 32);
const QColor kRadioBody(58, 62, 70);
const QColor kRadioScreen(150, 214, 160);
const QColor kBankFace(224, 228, 236);
const QColor kChannel(48, 112, 208);
const QColor kFlag(232, 96, 24);
const QColor kArrow(32, 150, 64);
const QColor kArrowWrite(208, 60, 40);
const QColor kInfo(40, 100, 200);

QPen Pen(const QColor& c, qreal width = 1.0) {
    QPen pen(c, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// Runs `draw` with the painter mapped onto the 16 x 16 design grid of `r`.
void OnGrid(QPainter& p, const QRectF& r, const std::function<void(QPainter&)>& draw) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.translate(r.topLeft());
    p.scale(r.width() / kGrid, r.height() / kGrid);
    draw(p);
    p.restore();
}

// A bold character centred in a rectangle of the grid.
void Glyph(QPainter& p, const QRectF& box, const QString& text, const QColor& colour, qreal size) {
    QFont f = QApplication::font();
    f.setBold(true);
    f.setPixelSize(100);  // drawn large and scaled down, so it keeps its shape at any size
    p.save();
    p.setFont(f);
    p.setPen(colour);
    const qreal s = size / 100.0;
    p.translate(box.center());
    p.scale(s, s);
    QFontMetricsF fm(f);
    const QRectF tb = fm.tightBoundingRect(text);
    p.drawText(QPointF(-tb.center().x(), -tb.center().y()), text);
    p.restore();
}

void Page(QPainter& p, const QRectF& r) {
    QPainterPath path;
    const qreal fold = 3.5;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(Pen(kOutline, 0.9));
    p.setBrush(kPaper);
    p.drawPath(path);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(210, 214, 222));
    p.drawPath(corner);
}

void Folder(QPainter& p, bool open) {
    p.setPen(Pen(kFolderDark, 0.9));
    p.setBrush(kFolderDark);
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6.0, 3.5);
    back.lineTo(7.5, 5.0);
    back.lineTo(14.5, 5.0);
    back.lineTo(14.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(kFolder);
    QPainterPath front;
    if (open) {
        front.moveTo(3.5, 7.0);
        front.lineTo(15.5, 7.0);
        front.lineTo(13.5, 13.5);
        front.lineTo(1.5, 13.5);
    } else {
        front.moveTo(1.5, 6.5);
        front.lineTo(14.5, 6.5);
        front.lineTo(14.5, 13.5);
        front.lineTo(1.5, 13.5);
    }
    front.closeSubpath();
    p.drawPath(front);
}

// A hand-held radio in the rectangle (design units).
void Radio(QPainter& p, const QRectF& body) {
    p.setPen(Pen(kOutline, 0.9));
    p.setBrush(kRadioBody);
    // Antenna.
    p.drawRoundedRect(QRectF(body.left() + body.width() * 0.18, body.top() - 3.5, 1.8, 4.0), 0.6, 0.6);
    p.drawRoundedRect(body, 1.4, 1.4);
    // Display.
    p.setBrush(kRadioScreen);
    p.setPen(Pen(QColor(20, 40, 24), 0.5));
    const QRectF screen(body.left() + 1.2, body.top() + 1.2, body.width() - 2.4, body.height() * 0.3);
    p.drawRect(screen);
    // Keys.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 204, 212));
    const qreal kw = (body.width() - 2.4) / 3.0;
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(body.left() + 1.2 + col * kw + 0.3, screen.bottom() + 1.0 + row * 1.9, kw - 0.6, 1.2));
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    p.setPen(Pen(colour, 1.8));
    p.drawLine(from, to);
    const QLineF line(to, from);
    const qreal a = line.angle();
    QLineF h1 = QLineF::fromPolar(3.0, a + 40).translated(to);
    QLineF h2 = QLineF::fromPolar(3.0, a - 40).translated(to);
    QPainterPath head;
    head.moveTo(to);
    head.lineTo(h1.p2());
    head.lineTo(h2.p2());
    head.closeSubpath();
    p.setPen(Pen(colour, 0.8));
    p.setBrush(colour);
    p.drawPath(head);
}

// A memory bank: a framed block of channel rows, filled when channels are present, with a corner
// flag when the bank's flag is set.
void Bank(QPainter& p, bool channels, bool flag) {
    p.setPen(Pen(kOutline, 0.9));
    p.setBrush(kBankFace);
    p.drawRoundedRect(QRectF(2.5, 2.5, 11.0, 11.5), 1.0, 1.0);
    for (int i = 0; i < 4; ++i) {
        const QRectF row(4.2, 4.3 + i * 2.3, 7.6, 1.4);
        if (channels) {
            p.setPen(Qt::NoPen);
            p.setBrush(kChannel);
        } else {
            p.setPen(Pen(QColor(150, 156, 170), 0.5));
            p.setBrush(Qt::NoBrush);
        }
        p.drawRect(row);
    }
    if (flag) {
        p.setPen(Pen(kOutline, 0.6));
        p.setBrush(kFlag);
        QPainterPath f;
        f.moveTo(10.0, 0.8);
        f.lineTo(15.4, 0.8);
        f.lineTo(15.4, 6.2);
        f.closeSubpath();
        p.drawPath(f);
    }
}

void WarningMark(QPainter& p) {
    QPainterPath t;
    t.moveTo(8.0, 1.0);
    t.lineTo(15.2, 14.5);
    t.lineTo(0.8, 14.5);
    t.closeSubpath();
    p.setPen(Pen(QColor(120, 90, 0), 1.0));
    p.setBrush(QColor(255, 204, 0));
    p.drawPath(t);
    p.setPen(Pen(Qt::black, 2.0));
    p.drawLine(QPointF(8.0, 5.5), QPointF(8.0, 9.8));
    p.drawPoint(QPointF(8.0, 12.3));
}

void ErrorMark(QPainter& p) {
    p.setPen(Pen(QColor(120, 0, 0), 1.0));
    p.setBrush(QColor(220, 30, 30));
    p.drawEllipse(QRectF(1.0, 1.0, 14.0, 14.0));
    p.setPen(Pen(Qt::white, 2.2));
    p.drawLine(QPointF(5.2, 5.2), QPointF(10.8, 10.8));
    p.drawLine(QPointF(10.8, 5.2), QPointF(5.2, 10.8));
}

void Plug(QPainter& p, int number) {
    // A nine-pin serial connector with the port number below it.
    QPainterPath shell;
    shell.moveTo(1.0, 1.5);
    shell.lineTo(15.0, 1.5);
    shell.lineTo(13.0, 7.5);
    shell.lineTo(3.0, 7.5);
    shell.closeSubpath();
    p.setPen(Pen(kOutline, 0.9));
    p.setBrush(QColor(170, 176, 190));
    p.drawPath(shell);
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    for (int i = 0; i < 5; ++i) p.drawEllipse(QPointF(3.6 + i * 2.2, 3.5), 0.65, 0.65);
    for (int i = 0; i < 4; ++i) p.drawEllipse(QPointF(4.7 + i * 2.2, 5.6), 0.65, 0.65);
    Glyph(p, QRectF(3.0, 8.5, 10.0, 7.5), QString::number(number), QColor(20, 60, 150), 8.0);
}

void Pen_(QPainter& p) {
    p.save();
    p.translate(8, 8);
    p.rotate(45);
    p.setPen(Pen(kOutline, 0.8));
    p.setBrush(QColor(250, 200, 60));
    p.drawRect(QRectF(-1.8, -7.0, 3.6, 10.0));
    p.setBrush(QColor(240, 150, 150));
    p.drawRect(QRectF(-1.8, -8.2, 3.6, 1.2));
    QPainterPath tip;
    tip.moveTo(-1.8, 3.0);
    tip.lineTo(1.8, 3.0);
    tip.lineTo(0.0, 7.0);
    tip.closeSubpath();
    p.setBrush(QColor(240, 220, 180));
    p.drawPath(tip);
    p.restore();
}

void Fill(QPainter& p) {
    p.save();
    p.translate(7, 8);
    p.rotate(-30);
    p.setPen(Pen(kOutline, 0.9));
    p.setBrush(QColor(220, 224, 232));
    p.drawRect(QRectF(-4.0, -3.0, 8.0, 8.0));
    p.setBrush(QColor(40, 130, 220));
    p.drawRect(QRectF(-4.0, -3.0, 8.0, 2.5));
    p.restore();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 130, 220));
    QPainterPath drop;
    drop.moveTo(13.5, 8.0);
    drop.cubicTo(15.5, 11.5, 15.5, 13.5, 13.5, 13.5);
    drop.cubicTo(11.5, 13.5, 11.5, 11.5, 13.5, 8.0);
    p.drawPath(drop);
}

void Printer(QPainter& p, bool stack) {
    // A sheet of paper coming out of a printer; `stack`: several sheets.
    if (stack) {
        p.setPen(Pen(kOutline, 0.7));
        p.setBrush(kPaper);
        p.drawRect(QRectF(6.0, 0.5, 7.5, 6.0));
    }
    p.setPen(Pen(kOutline, 0.8));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.0, stack ? 2.0 : 1.0, 7.5, 6.0));
    p.setBrush(QColor(170, 176, 190));
    p.drawRoundedRect(QRectF(1.0, 6.5, 14.0, 6.0), 1.2, 1.2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.0, 10.5, 8.0, 5.0));
    p.setPen(Pen(kPaperLine, 0.7));
    p.drawLine(QPointF(5.5, 12.3), QPointF(10.5, 12.3));
    p.drawLine(QPointF(5.5, 14.0), QPointF(9.5, 14.0));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 170, 80));
    p.drawEllipse(QPointF(12.8, 8.5), 0.8, 0.8);
}

void Slider(QPainter& p) {
    p.setPen(Pen(kOutline, 1.2));
    p.drawLine(QPointF(2.0, 8.0), QPointF(14.0, 8.0));
    for (int i = 0; i < 5; ++i) p.drawLine(QPointF(2.0 + i * 3.0, 11.5), QPointF(2.0 + i * 3.0, 13.0));
    p.setPen(Pen(kOutline, 0.8));
    p.setBrush(QColor(60, 120, 210));
    QPainterPath knob;
    knob.moveTo(7.0, 3.0);
    knob.lineTo(11.0, 3.0);
    knob.lineTo(11.0, 9.0);
    knob.lineTo(9.0, 11.0);
    knob.lineTo(7.0, 9.0);
    knob.closeSubpath();
    p.drawPath(knob);
}

// An icon engine that paints one image of a list at the size and scale asked for.
class PaintedEngine final : public QIconEngine {
public:
    using Painter = std::function<void(QPainter&, const QRectF&)>;
    explicit PaintedEngine(Painter painter) : painter_(std::move(painter)) {}

    void paint(QPainter* p, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        if (mode == QIcon::Disabled) {
            const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
            p->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, dpr));
            return;
        }
        painter_(*p, QRectF(rect));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        const qreal s = scale > 0 ? scale : 1.0;
        QPixmap pm(QSize(qRound(size.width() * s), qRound(size.height() * s)));
        pm.fill(Qt::transparent);
        {
            QPainter p(&pm);
            painter_(p, QRectF(0, 0, pm.width(), pm.height()));
        }
        if (mode == QIcon::Disabled && qApp) {
            QStyleOption opt;
            pm = QApplication::style()->generatedIconPixmap(QIcon::Disabled, pm, &opt);
        }
        pm.setDevicePixelRatio(s);
        return pm;
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new PaintedEngine(painter_); }
    QString key() const override { return QStringLiteral("qx-painted"); }

private:
    Painter painter_;
};

QIcon Painted(PaintedEngine::Painter painter) { return QIcon(new PaintedEngine(std::move(painter))); }

}  // namespace

void cuiPaintTreeImage(QPainter& p, const QRectF& r, int index) {
    OnGrid(p, r, [index](QPainter& g) {
        switch (index) {
        case TI_Radio: Radio(g, QRectF(4.0, 4.0, 8.0, 11.5)); break;
        case TI_Folder: Folder(g, false); break;
        case TI_Note1:
            Page(g, QRectF(2.5, 1.0, 11.0, 14.0));
            g.setPen(Pen(kPaperLine, 0.8));
            for (int i = 0; i < 4; ++i) g.drawLine(QPointF(4.5, 5.5 + i * 2.3), QPointF(11.5, 5.5 + i * 2.3));
            break;
        case TI_Note2:
            Page(g, QRectF(2.5, 1.0, 11.0, 14.0));
            g.setPen(Pen(kPaperLine, 0.7));
            for (int i = 0; i < 4; ++i) g.drawLine(QPointF(4.5, 5.0 + i * 2.5), QPointF(11.5, 5.0 + i * 2.5));
            g.drawLine(QPointF(7.0, 5.0), QPointF(7.0, 12.5));
            g.setPen(Qt::NoPen);
            g.setBrush(QColor(250, 200, 60));
            g.drawRect(QRectF(4.5, 5.0, 2.5, 2.5));
            break;
        case TI_Bank0: Bank(g, false, false); break;
        case TI_Bank1: Bank(g, true, false); break;
        case TI_Bank2: Bank(g, false, true); break;
        case TI_Bank3: Bank(g, true, true); break;
        case TI_Warning: WarningMark(g); break;
        case TI_Error: ErrorMark(g); break;
        default: break;
        }
    });
}

void cuiPaintToolImage(QPainter& p, const QRectF& r, int index) {
    OnGrid(p, r, [index](QPainter& g) {
        switch (index) {
        case BI_NewFile:
            Page(g, QRectF(3.0, 1.0, 10.0, 14.0));
            g.setPen(Pen(QColor(230, 170, 0), 1.2));
            g.drawLine(QPointF(10.5, 10.0), QPointF(14.5, 14.0));
            g.drawLine(QPointF(14.5, 10.0), QPointF(10.5, 14.0));
            g.drawLine(QPointF(12.5, 9.3), QPointF(12.5, 14.7));
            break;
        case BI_OpenFile:
            Folder(g, true);
            Arrow(g, QPointF(11.5, 6.0), QPointF(11.5, 0.8), kArrow);
            break;
        case BI_SaveFile:
            g.setPen(Pen(kOutline, 0.9));
            g.setBrush(QColor(60, 90, 170));
            g.drawRoundedRect(QRectF(1.5, 1.5, 13.0, 13.0), 1.0, 1.0);
            g.setBrush(kPaper);
            g.drawRect(QRectF(4.0, 1.5, 8.0, 5.0));
            g.setBrush(QColor(200, 204, 212));
            g.drawRect(QRectF(3.5, 9.0, 9.0, 5.5));
            g.setPen(Qt::NoPen);
            g.setBrush(QColor(60, 90, 170));
            g.drawRect(QRectF(9.5, 2.3, 1.6, 3.4));
            break;
        case BI_Port1:
        case BI_Port2:
        case BI_Port3:
        case BI_Port4: Plug(g, index - BI_Port1 + 1); break;
        case BI_CloneRead:
            Radio(g, QRectF(1.0, 5.0, 7.0, 10.5));
            Arrow(g, QPointF(9.5, 9.0), QPointF(15.2, 9.0), kArrow);
            break;
        case BI_CloneWrite:
            Radio(g, QRectF(8.0, 5.0, 7.0, 10.5));
            Arrow(g, QPointF(0.8, 9.0), QPointF(6.5, 9.0), kArrowWrite);
            break;
        case BI_CloneInfo:
            Radio(g, QRectF(1.0, 5.0, 7.0, 10.5));
            g.setPen(Pen(QColor(20, 50, 120), 0.8));
            g.setBrush(kInfo);
            g.drawEllipse(QRectF(8.5, 5.0, 7.0, 7.0));
            Glyph(g, QRectF(8.5, 5.0, 7.0, 7.0), QStringLiteral("i"), Qt::white, 6.0);
            break;
        case BI_Pen: Pen_(g); break;
        case BI_Fill: Fill(g); break;
        case BI_Slider: Slider(g); break;
        case BI_Print: Printer(g, false); break;
        case BI_PrintAll: Printer(g, true); break;
        default: break;
        }
    });
}

std::vector<QIcon> cuiTreeImages() {
    std::vector<QIcon> icons;
    for (int i = 0; i < TI_Count; ++i)
        icons.push_back(Painted([i](QPainter& p, const QRectF& r) { cuiPaintTreeImage(p, r, i); }));
    return icons;
}

std::vector<QIcon> cuiToolBarImages() {
    std::vector<QIcon> icons;
    for (int i = 0; i < BI_Count; ++i)
        icons.push_back(Painted([i](QPainter& p, const QRectF& r) { cuiPaintToolImage(p, r, i); }));
    return icons;
}

QIcon cuiOverlaid(const QIcon& base, const QIcon& overlay) {
    if (overlay.isNull()) return base;
    return Painted([base, overlay](QPainter& p, const QRectF& r) {
        base.paint(&p, r.toAlignedRect());
        const qreal w = r.width() * 0.62, h = r.height() * 0.62;
        overlay.paint(&p, QRectF(r.left(), r.bottom() - h, w, h).toAlignedRect());
    });
}

QIcon cuiAppIcon() {
    return Painted([](QPainter& p, const QRectF& r) {
        OnGrid(p, r, [](QPainter& g) { Radio(g, QRectF(3.5, 3.5, 9.0, 12.0)); });
    });
}

}  // namespace qx
