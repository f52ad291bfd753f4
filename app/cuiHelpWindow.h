// The help window: the program's help file (HTML) in a window of its own, opened at its contents or
// at the topic of a help context number, with Back, Forward, Contents and a find field. It needs
// no web browser. Anchors of the help file are named "ctx<number>" after the help context numbers
// of the help tables; one window serves the whole run.
//
//     cuiHelpWindow::Open(mainWindow, "/opt/qx/ZT5531K_Help.html", 1010);
#pragma once

#include <QPointer>
#include <QWidget>

#include <string>

class QLineEdit;
class QTextBrowser;
class QToolButton;

namespace qx {

class cuiHelpWindow : public QWidget {
    Q_OBJECT
public:
    // Shows the help file `path` at help context `context` (0: its contents) in the one help
    // window, created on first use as a window of `owner`. A missing file shows
    // "GI_AppMess_HelpMissing" and returns null.
    static cuiHelpWindow* Open(QWidget* owner, const std::string& path, int context);
    // The help window, if one is open.
    static cuiHelpWindow* Current();
    // The anchor name of a help context number.
    static QString AnchorOf(int context);

    QTextBrowser* Browser() const { return browser_; }
    QLineEdit* FindField() const { return find_; }
    // The anchor last shown ("" for the contents).
    const QString& Anchor() const { return anchor_; }

private:
    explicit cuiHelpWindow(QWidget* owner);
    void Show(const QString& path, int context);
    void FindNext();

    QTextBrowser* browser_ = nullptr;
    QLineEdit* find_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* forward_ = nullptr;
    QString path_;
    QString anchor_;
};

}  // namespace qx
