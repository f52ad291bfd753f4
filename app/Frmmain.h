// The main form: the program's one window. It takes its caption and font from the definition
// files, its bounds from the settings (kept on the desktop's work area), holds the tree and tool
// bar image lists and has the main application object build the window inside it (menu bar, tool
// bar, tree, sheet pane, status bar). Closing asks the main object first.
#pragma once

#include "comm/cmcTask.h"

#include <QIcon>
#include <QMainWindow>
#include <QRect>

#include <functional>
#include <string>
#include <vector>

namespace qx {

class cuiMain;

// The status bar's one panel, drawn by the program: the background colour filled, the text
// left-aligned and vertically centred in the text colour.
class cuiStatusPanel : public QWidget {
    Q_OBJECT
public:
    explicit cuiStatusPanel(QWidget* parent = nullptr);
    void Set(const QColor& text, const QColor& back, const QString& message);
    const QString& Message() const { return message_; }
    QColor TextColour() const { return text_; }
    QColor BackColour() const { return back_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QColor text_;
    QColor back_;
    QString message_;
};

class Frmmain : public QMainWindow {
    Q_OBJECT
public:
    // Builds the form and has `main` build the window in it (the form is then shown).
    explicit Frmmain(cuiMain& main);
    ~Frmmain() override;

    // The bounds of the settings kept on the work area: a window may not start further right or
    // lower than 16 pixels before the work area's right or bottom edge, nor end left of its left
    // edge plus 16, nor start above its top.
    static QRect KeepOnWorkArea(const QRect& bounds, const QRect& workArea);

    const std::vector<QIcon>& TreeImages() const { return treeImages_; }
    const std::vector<QIcon>& ToolBarImages() const { return toolImages_; }
    cuiMain& Main() const { return main_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    cuiMain& main_;
    std::vector<QIcon> treeImages_;
    std::vector<QIcon> toolImages_;
    cmcTaskPtr task_;
    bool closed_ = false;
};

// Runs the program. --help and --version print and return at once; the toolkit takes its own
// options; what is left may name one clone file, opened once the window is shown (anything else
// returns 64). Then: the settings object (a second instance ends here, silently, with status 0,
// after handing its clone file, if any, to the running instance),
// the definition stores, the event manager, the main application object and the main form, then
// the message loop until the form closes. `started`, when given, is called with the shown form
// before the loop runs (the start-up benchmark hooks in there). Returns the exit status.
int cuiRunProgram(int& argc, char** argv, const std::function<void(Frmmain&)>& started = {});

}  // namespace qx
