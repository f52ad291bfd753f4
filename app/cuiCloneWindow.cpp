#include "app/cuiCloneWindow.h"

#include "comm/indWriteGuard.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheetPaint.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>
#include <QLabel>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace qx {

namespace {

constexpr int kCells = 32;
constexpr int kBoxWidth = 256;     // 32 cells of 8 pixels
constexpr int kBoxHeight = 16;
constexpr int kBevel = 1;
constexpr int kMarginX = 16;       // the panel sits 16 pixels right of the window's left edge
constexpr int kMarginY = 8;        // and 8 below its top; the window is 32 wider and higher

// Integer division rounding towards minus infinity.
int FloorHalf(int v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

}  // namespace

// ---- progress box --------------------------------------------------------------------------------

cuiCloneProgress::cuiCloneProgress(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

int cuiCloneProgress::CellsFilled(int done, int total) {
    if (total <= 0 || done <= 0) return 0;
    return static_cast<int>(static_cast<long long>(done) * 33 / total);
}

void cuiCloneProgress::SetProgress(int done, int total) {
    if (done == done_ && total == total_) return;
    const bool changed = CellsFilled(done, total) != CellsFilled(done_, total_);
    done_ = done;
    total_ = total;
    if (changed) update();
}

void cuiCloneProgress::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor highlight = cuiColour(clHighlight);
    const QColor window = cuiColour(clWindow);
    const int w = (width() + 1) / kCells;
    const int filled = CellsFilled(done_, total_);
    const int h = height();
    p.fillRect(rect(), window);
    for (int i = 0; i < kCells; ++i) {
        const int x0 = w * i;
        const int x1 = w * (i + 1) - 1;  // exclusive; the column at x1 separates the cells
        p.fillRect(QRect(x0, 0, x1 - x0, h), i < filled ? highlight : window);
        p.fillRect(QRect(x1, 0, 1, h), window);
    }
}

// ---- window --------------------------------------------------------------------------------------

cuiCloneWindow::cuiCloneWindow(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("Cloning"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    panel_ = new QFrame(this);
    panel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel_->setLineWidth(kBevel);
    box_ = new cuiCloneProgress(panel_);
    // The panel holds the box inside its bevel; the window is 32 pixels wider and higher.
    const int panelW = kBoxWidth + 2 * kBevel;
    const int panelH = kBoxHeight;
    panel_->setGeometry(kMarginX, kMarginY, panelW, panelH);
    box_->setGeometry(kBevel, kBevel, kBoxWidth, panelH - 2 * kBevel);
    phase_ = new QLabel(this);
    phase_->hide();
    cancel_ = new QPushButton(QString::fromStdString(GTex().Line("GI_AppInd_Button_OkCancel", 1)), this);
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, &cuiCloneWindow::Cancel);
    Layout();
}

void cuiCloneWindow::SetPhase(const QString& text) {
    phase_->setText(text);
    phase_->setVisible(!text.isEmpty());
    Layout();
}

// The progress panel, the phase line under it when it shows, and Cancel at the right under both.
void cuiCloneWindow::Layout() {
    const int panelW = kBoxWidth + 2 * kBevel;
    const int panelH = kBoxHeight;
    int y = kMarginY + panelH;
    if (phase_->isVisible()) {
        const int lineH = phase_->sizeHint().height();
        phase_->setGeometry(kMarginX, y + 6, panelW, lineH);
        y += 6 + lineH;
    }
    const QSize button = cancel_->sizeHint();
    cancel_->setGeometry(kMarginX + panelW - button.width(), y + 8, button.width(), button.height());
    y += 8 + button.height();
    setFixedSize(panelW + 32, y + (32 - kMarginY));
}

void cuiCloneWindow::Cancel() {
    QMetaObject::invokeMethod(this, &cuiCloneWindow::cancelRequested, Qt::QueuedConnection);
}

void cuiCloneWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        Cancel();
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

QPoint cuiCloneWindow::Place(const QRect& owner, const QSize& size, const QRect& wa) {
    int left = owner.left() + FloorHalf(owner.width() - size.width());
    int top = owner.top() + FloorHalf(owner.height() - size.height());
    const int R = wa.left() + wa.width(), B = wa.top() + wa.height();
    if (left + size.width() > R) left = R - size.width();
    if (top + size.height() > B) top = B - size.height();
    if (left < wa.left()) left = wa.left();
    if (top < wa.top()) top = wa.top();
    return {left, top};
}

void cuiCloneWindow::closeEvent(QCloseEvent* e) {
    // The operation ends by itself (success, error or timeout); the user cannot close the window.
    e->ignore();
}

// ---- view ----------------------------------------------------------------------------------------

cuiCloneView::~cuiCloneView() { HideCloning(); }

void cuiCloneView::EnableMain(bool enabled) {
    if (!main_) return;
    main_->setEnabled(enabled);
    // A window owned by the main window is disabled with it; the cloning window's Cancel is not.
    if (!enabled && window_) window_->setEnabled(true);
    if (enabled) {
        main_->activateWindow();
        main_->setFocus();
    }
}

void cuiCloneView::ShowCloning() {
    if (!window_) {
        window_ = new cuiCloneWindow(main_);
        QObject::connect(window_.data(), &cuiCloneWindow::cancelRequested, window_.data(),
                         [this] { RequestCancel(); });
    }
    window_->Box()->SetProgress(0, 0);
    const QRect owner = main_ ? main_->frameGeometry() : QRect();
    QScreen* screen = main_ ? main_->screen() : QGuiApplication::primaryScreen();
    const QRect wa = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    window_->move(cuiCloneWindow::Place(owner.isValid() ? owner : wa, window_->size(), wa));
    window_->show();
    window_->raise();
    if (main_) main_->setEnabled(false);
    window_->setEnabled(true);
    window_->activateWindow();
    window_->CancelButton()->setFocus();
}

void cuiCloneView::HideCloning() {
    if (!window_) return;
    window_->hide();
    delete window_.data();
}

void cuiCloneView::Phase(int phase) {
    if (window_) window_->SetPhase(QString::fromStdString(indClonePhaseText(phase)));
}

void cuiCloneView::Progress(int done, int total) {
    if (window_) window_->Box()->SetProgress(done, total);
}

}  // namespace qx
