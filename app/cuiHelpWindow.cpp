#include "app/cuiHelpWindow.h"

#include "app/cuiInformation.h"
#include "common/cmcMessage.h"
#include "defs/cmcGTex.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace qx {

namespace {

QPointer<cuiHelpWindow>& Window() {
    static QPointer<cuiHelpWindow> window;
    return window;
}

QString Text(int line) { return QString::fromStdString(GTex().Line("GI_AppInd_HelpWindow", line)); }

}  // namespace

QString cuiHelpWindow::AnchorOf(int context) { return QStringLiteral("ctx%1").arg(context); }

cuiHelpWindow* cuiHelpWindow::Current() { return Window().data(); }

cuiHelpWindow* cuiHelpWindow::Open(QWidget* owner, const std::string& path, int context) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo(file).isFile()) {
        std::string text = GTex().SectionText("GI_AppMess_HelpMissing");
        const size_t at = text.find("%s");
        if (at != std::string::npos) text.replace(at, 2, path);
        cmcShowMessage(GTex().FirstLine("GI_Sys_AppTitle"), text, cmcMsgIcon::Error, MB_Ok);
        return nullptr;
    }
    if (!Window()) {
        Window() = new cuiHelpWindow(owner);
        // The first time over the main window, held inside the work area.
        QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        const QRect wa = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        Window()->move(cuiCenterOver(owner ? owner->frameGeometry() : wa, Window()->size(), wa));
    }
    cuiHelpWindow* w = Window();
    w->Show(file, context);
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

cuiHelpWindow::cuiHelpWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Text(0));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(4, 4, 4, 4);
    auto* bar = new QHBoxLayout;
    auto button = [this, bar](const QString& text) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        bar->addWidget(b);
        return b;
    };
    back_ = button(Text(1));
    forward_ = button(Text(2));
    QToolButton* contents = button(Text(3));
    bar->addSpacing(12);
    auto* findLabel = new QLabel(Text(4), this);
    bar->addWidget(findLabel);
    find_ = new QLineEdit(this);
    find_->setClearButtonEnabled(true);
    findLabel->setBuddy(find_);
    bar->addWidget(find_, 1);
    v->addLayout(bar);

    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    v->addWidget(browser_, 1);

    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    connect(contents, &QToolButton::clicked, this, [this] { Show(path_, 0); });
    connect(find_, &QLineEdit::returnPressed, this, &cuiHelpWindow::FindNext);
    resize(780, 620);
}

void cuiHelpWindow::Show(const QString& path, int context) {
    path_ = path;
    anchor_ = context > 0 ? AnchorOf(context) : QString();
    QUrl url = QUrl::fromLocalFile(path);
    if (!anchor_.isEmpty()) url.setFragment(anchor_);
    browser_->setSource(url);
    if (anchor_.isEmpty()) browser_->scrollToAnchor(QStringLiteral("contents"));
}

void cuiHelpWindow::FindNext() {
    const QString text = find_->text();
    if (text.isEmpty()) return;
    if (!browser_->find(text)) {
        // Not found after the cursor: search again from the top.
        QTextCursor start = browser_->textCursor();
        start.movePosition(QTextCursor::Start);
        browser_->setTextCursor(start);
        browser_->find(text);
    }
}

}  // namespace qx
