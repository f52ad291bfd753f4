// qx-p2210-icongen OUTDIR: draws the program's window icon as the desktop icons an installation
// needs: OUTDIR/scalable/qx-p2210.svg and OUTDIR/<N>x<N>/qx-p2210.png for the usual sizes. Run at
// build time on the offscreen platform, so the desktop icon is always the icon the window shows.
#include "app/cuiIcons.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qx-p2210-icongen OUTDIR\n");
        return 64;
    }
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    int appArgc = 1;
    QApplication app(appArgc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QIcon icon = qx::cuiAppIcon();

    constexpr int kSvgSize = 256;
    QDir().mkpath(out + "/scalable");
    QSvgGenerator svg;
    svg.setFileName(out + "/scalable/qx-p2210.svg");
    svg.setSize(QSize(kSvgSize, kSvgSize));
    svg.setViewBox(QRect(0, 0, kSvgSize, kSvgSize));
    svg.setTitle("QX-P2210");
    svg.setDescription("The QX-P2210 program icon: a hand-held radio");
    {
        QPainter p;
        if (!p.begin(&svg)) {
            std::fprintf(stderr, "qx-p2210-icongen: cannot write %s/scalable/qx-p2210.svg\n", argv[1]);
            return 1;
        }
        icon.paint(&p, QRect(0, 0, kSvgSize, kSvgSize));
    }
    // The generator gives the size in millimetres; icon themes expect plain pixels.
    QFile file(out + "/scalable/qx-p2210.svg");
    if (!file.open(QIODevice::ReadOnly)) return 1;
    QString text = QString::fromUtf8(file.readAll());
    file.close();
    text.replace(QRegularExpression(R"(<svg width="[^"]*" height="[^"]*")"),
                 QString(R"(<svg width="%1" height="%1")").arg(kSvgSize));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0) return 1;

    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QString("%1/%2x%2").arg(out).arg(size);
        QDir().mkpath(dir);
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            icon.paint(&p, QRect(0, 0, size, size));
        }
        if (!image.save(dir + "/qx-p2210.png")) {
            std::fprintf(stderr, "qx-p2210-icongen: cannot write %s/qx-p2210.png\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
