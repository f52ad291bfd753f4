// qx-p2210: the desktop clone tool.
#include "app/cuiMessageBoxSink.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    qx::cmcSetProgramPath(argv[0]);
    static qx::cuiMessageBoxSink sink;
    qx::cmcSetMessageSink(&sink);

    QMainWindow window;
    window.setWindowTitle("QX-P2210");
    window.resize(800, 560);
    window.show();
    return app.exec();
}
