// The small "Cloning" window shown while a clone operation runs: 32 cells that fill as the
// image bytes go over the cable, a line naming the phase and a Cancel button (Esc does the same)
// that asks the clone manager to stop. The window has no close button; the main window is
// disabled meanwhile. cuiCloneView is what the clone manager talks to (indCloneView): it disables and
// enables the main window and shows, updates and hides the cloning window.
#pragma once

#include "comm/indCloneMan.h"

#include <QPointer>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

namespace qx {

// The progress box: 32 cells of width (box width + 1) / 32, filled in the highlight colour up to
// done × 33 / total, separated by a one-pixel column in the window colour.
class cuiCloneProgress : public QWidget {
    Q_OBJECT
public:
    explicit cuiCloneProgress(QWidget* parent = nullptr);
    void SetProgress(int done, int total);
    int Done() const { return done_; }
    int Total() const { return total_; }
    // Cells filled for a progress (33, not 32, so the last cell fills before the very end).
    static int CellsFilled(int done, int total);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int done_ = 0;
    int total_ = 0;
};

class cuiCloneWindow : public QWidget {
    Q_OBJECT
public:
    // A tool window over `mainWindow`, sized around a 256 x 16 progress panel.
    explicit cuiCloneWindow(QWidget* mainWindow);
    cuiCloneProgress* Box() const { return box_; }
    QFrame* Panel() const { return panel_; }
    // A line under the progress box that says what the operation is for ("Backing up the radio
    // (1 of 3)"); the window grows by it while it shows. Empty hides it.
    void SetPhase(const QString& text);
    QLabel* PhaseLabel() const { return phase_; }
    QPushButton* CancelButton() const { return cancel_; }

signals:
    // Cancel or Esc; delivered from the event loop, never from inside the key or click handler,
    // so that whatever it starts (a question, the end of the operation) may delete the window.
    void cancelRequested();

public:

    // Where a window of `size` goes: centred on `owner` (halves rounded towards minus infinity),
    // then kept inside the work area, right and bottom edges first, then left and top.
    static QPoint Place(const QRect& owner, const QSize& size, const QRect& workArea);

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void Layout();
    void Cancel();

    QFrame* panel_ = nullptr;
    cuiCloneProgress* box_ = nullptr;
    QLabel* phase_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

class cuiCloneView final : public indCloneView {
public:
    explicit cuiCloneView(QWidget* mainWindow) : main_(mainWindow) {}
    ~cuiCloneView() override;
    void SetMainWindow(QWidget* mainWindow) { main_ = mainWindow; }

    void EnableMain(bool enabled) override;
    void ShowCloning() override;
    void HideCloning() override;
    void Progress(int done, int total) override;
    void Phase(int phase) override;

    cuiCloneWindow* Window() const { return window_; }

private:
    QPointer<QWidget> main_;
    QPointer<cuiCloneWindow> window_;
};

}  // namespace qx
