#include "app/cuiMessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace qx {
namespace {

QMessageBox::Icon ToQt(cmcMsgIcon icon) {
    switch (icon) {
    case cmcMsgIcon::Information: return QMessageBox::Information;
    case cmcMsgIcon::Warning: return QMessageBox::Warning;
    case cmcMsgIcon::Error: return QMessageBox::Critical;
    case cmcMsgIcon::Question: return QMessageBox::Question;
    case cmcMsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

unsigned cuiMessageBoxSink::Show(const std::string& caption, const std::string& text, cmcMsgIcon icon,
                                 unsigned buttons) {
    QMessageBox box(ToQt(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    struct Map { unsigned ours; QMessageBox::StandardButton qt; };
    static const Map map[] = {{MB_Ok, QMessageBox::Ok}, {MB_Yes, QMessageBox::Yes},
                              {MB_No, QMessageBox::No}, {MB_Save, QMessageBox::Save},
                              {MB_Discard, QMessageBox::Discard}, {MB_Cancel, QMessageBox::Cancel}};
    for (const Map& m : map)
        if (buttons & m.ours) box.addButton(m.qt);
    if (buttons == 0) box.addButton(QMessageBox::Ok);
    if ((buttons & MB_DefaultCancel) && (buttons & MB_Cancel)) box.setDefaultButton(QMessageBox::Cancel);
    const int chosen = box.exec();
    for (const Map& m : map)
        if (chosen == m.qt) return m.ours;
    // Closed with Esc or the window's close button: the escape answer of the box.
    return (buttons & MB_Cancel) ? MB_Cancel : (buttons & MB_No) ? MB_No : MB_Ok;
}

void cuiMessageBoxSink::Fatal(const std::string& caption, const std::string& text, int status) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QMessageBox::critical(nullptr, QString::fromStdString(caption), QString::fromStdString(text));
    }
    std::_Exit(status);
}

}  // namespace qx
