#include "app/cuiInformation.h"

#include "app/cuiGrid.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheet.h"

#include <QFrame>
#include <QGuiApplication>
#include <QPushButton>
#include <QShortcut>
#include <QScreen>
#include <QVBoxLayout>

namespace qx {

QPoint cuiCenterOver(const QRect& owner, const QSize& size, const QRect& wa) {
    const int R = wa.left() + wa.width(), B = wa.top() + wa.height();
    int left = owner.left() + (owner.width() - size.width()) / 2;
    int top = owner.top() + (owner.height() - size.height()) / 2;
    if (left + size.width() > R) left = R - size.width();
    if (left < wa.left()) left = wa.left();
    if (top + size.height() > B) top = B - size.height();
    if (top < wa.top()) top = wa.top();
    return {left, top};
}

cuiInformation::cuiInformation(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), owner_(owner) {
    setAttribute(Qt::WA_DeleteOnClose);
}

cuiInformation::~cuiInformation() {
    sheet_.reset();
    if (owner_) {
        owner_->setEnabled(true);
        owner_->raise();
        owner_->activateWindow();
    }
}

cuiInformation* cuiInformation::Open(QWidget* owner, const std::string& caption, cmcGTex& store,
                                     const std::string& key) {
    auto* d = new cuiInformation(owner);
    d->setWindowTitle(QString::fromStdString(caption));

    // The panel: border 8 around a raised outer and a lowered inner bevel of width 2.
    d->panel_ = new QFrame(d);
    d->panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    d->panel_->setLineWidth(2);
    auto* pl = new QVBoxLayout(d->panel_);
    pl->setContentsMargins(8, 8, 8, 8);
    auto* inner = new QFrame(d->panel_);
    inner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    inner->setLineWidth(2);
    pl->addWidget(inner);
    auto* il = new QVBoxLayout(inner);
    il->setContentsMargins(0, 0, 0, 0);  // the frame's contents already lie inside its bevel
    d->sheetHost_ = new QWidget(inner);
    il->addWidget(d->sheetHost_);

    d->sheet_ = std::make_unique<cuiSheet>(d->sheetHost_, nullptr, kLabelNone, 0, store, key, d);
    d->sheet_->Build();
    d->sheet_->Grid()->SetScrollBars(cuiGridScrollBars::None);
    // Frames and margins around the sheet, counted from the widgets themselves so that the sheet's
    // last row and column are never cut off.
    const QMargins pm = pl->contentsMargins();
    const int frames = 2 * d->panel_->frameWidth() + 2 * inner->frameWidth();
    const int clientW = d->sheet_->FullWidth() + frames + pm.left() + pm.right();
    const int panelH = d->sheet_->FullHeight() + frames + pm.top() + pm.bottom();
    d->panel_->setGeometry(0, 0, clientW, panelH);

    d->button_ = new QPushButton(QString::fromStdString(store.Line("GI_AppInd_Button_OkCancel", 0)), d);
    d->button_->setDefault(true);
    d->button_->setAutoDefault(true);
    QSize bs = d->button_->sizeHint();
    const int clientH = panelH + bs.height() + 10;
    d->setFixedSize(clientW, clientH);
    d->button_->setGeometry(clientW - 5 - bs.width(), clientH - 5 - bs.height(), bs.width(), bs.height());
    connect(d->button_, &QPushButton::clicked, d, &QDialog::close);
    // Enter and Esc close the window wherever the focus is (the sheet's grid takes other keys).
    for (QKeySequence keys : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Escape)}) {
        auto* shortcut = new QShortcut(keys, d);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, d, &QDialog::close);
    }

    QRect ownerRect = owner ? owner->frameGeometry() : QRect();
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    QRect wa = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    if (!owner) ownerRect = wa;
    d->move(cuiCenterOver(ownerRect, QSize(clientW, clientH), wa));
    if (owner) owner->setEnabled(false);
    d->setEnabled(true);
    d->show();
    d->button_->setFocus();
    return d;
}

}  // namespace qx
