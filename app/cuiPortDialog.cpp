#include "app/cuiPortDialog.h"

#include "comm/cmcPortList.h"
#include "comm/indEnviron.h"
#include "common/cmcMessage.h"
#include "defs/cmcGTex.h"

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QValidator>

#include <sys/stat.h>

namespace qx {

namespace {

constexpr int kMaxNumberChars = 4;
constexpr int kMaxPathChars = 4095;

// Floor division (halving a size difference rounds towards minus infinity).
int HalfDown(int v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

// At most 4 characters while the text is a number; a device path may be long. A change that
// shortens the text is always allowed, so removing the leading '/' of a path does not get stuck.
class PortTextValidator final : public QValidator {
public:
    explicit PortTextValidator(QLineEdit* edit) : QValidator(edit) {
        // The line edit holds the changed text already while it is validated; remember the last one.
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& t) { previous_ = t; });
    }
    State validate(QString& input, int&) const override {
        const int limit = cuiPortDialog::IsDevicePathText(input) ? kMaxPathChars : kMaxNumberChars;
        if (input.size() <= limit || input.size() < previous_.size()) return Acceptable;
        return Invalid;
    }

private:
    QString previous_;
};

bool IsSerialDevice(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
}

QString Text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

cuiPortDialog::cuiPortDialog(QWidget* owner) : cuiPortDialog(owner, Environ()) {}

cuiPortDialog::cuiPortDialog(QWidget* owner, indEnviron& environ) : QDialog(owner), environ_(environ) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(Text(GTex().Line("GI_AppInd_Opt_ComSel_Caption", 0)));
    setFont(owner ? owner->font() : QApplication::font());
    const QFontMetrics fm(font());
    const int textHeight = fm.height();
    const int m = textHeight;

    notice_ = new QLabel(this);
    notice_->setTextFormat(Qt::PlainText);
    notice_->setText(Text(GTex().SectionText("GI_AppInd_Opt_ComSel_Notice")));
    edit_ = new QLineEdit(this);
    edit_->setAttribute(Qt::WA_InputMethodEnabled, false);
    edit_->setValidator(new PortTextValidator(edit_));
    edit_->setText(environ_.ComDevice.empty() ? QString::number(environ_.ComPort) : Text(environ_.ComDevice));
    ok_ = new QPushButton(Text(GTex().Line("GI_AppInd_Opt_ComSel_Buttons", 0)), this);
    cancel_ = new QPushButton(Text(GTex().Line("GI_AppInd_Opt_ComSel_Buttons", 1)), this);
    ok_->setDefault(true);
    ok_->setAutoDefault(true);
    cancel_->setAutoDefault(false);

    // Geometry from text measures of the dialog's font.
    const int buttonWidth = fm.horizontalAdvance(Text(GTex().Line("GI_AppInd_Opt_ComSel_SizeOfButtons", 0)));
    const int buttonHeight = 2 * textHeight;
    const QSize noticeSize = fm.size(0, notice_->text());
    // The entry takes a device path as long as a typical /dev/serial/by-id/ name. A notice narrower
    // than the two buttons would push OK off the left edge.
    const int editIndent = fm.horizontalAdvance(QStringLiteral("WW"));
    const int pathWidth = fm.horizontalAdvance(QStringLiteral("/dev/serial/by-id/usb-Maker_USB_Serial_Cable_0123456789-if00-port0"));
    const int noticeWidth = std::max({noticeSize.width(), 2 * buttonWidth + buttonHeight / 2, editIndent + pathWidth});
    notice_->setGeometry(m, m, noticeWidth, noticeSize.height());

    const int editHeight = edit_->sizeHint().height();
    const int editTop = m + noticeSize.height() + textHeight / 2;
    edit_->setGeometry(m + editIndent, editTop, noticeWidth - editIndent, editHeight);

    const int buttonTop = editTop + 4 * editHeight;
    const int cancelLeft = m + noticeWidth - buttonWidth;
    cancel_->setGeometry(cancelLeft, buttonTop, buttonWidth, buttonHeight);
    ok_->setGeometry(cancelLeft - buttonWidth - buttonHeight / 2, buttonTop, buttonWidth, buttonHeight);

    setFixedSize(noticeWidth + 2 * m, buttonTop + buttonHeight + buttonHeight / 2);
    PlaceOn(owner);

    connect(ok_, &QPushButton::clicked, this, &cuiPortDialog::Confirm);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    edit_->setFocus();
}

void cuiPortDialog::PlaceOn(QWidget* owner) {
    QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect();
    const QRect over = owner ? owner->frameGeometry() : work;
    int x = over.x() + HalfDown(over.width() - width());
    int y = over.y() + HalfDown(over.height() - height());
    if (!work.isEmpty()) {
        if (x + width() > work.x() + work.width()) x = work.x() + work.width() - width();
        if (y + height() > work.y() + work.height()) y = work.y() + work.height() - height();
        if (x < work.x()) x = work.x();
        if (y < work.y()) y = work.y();
    }
    move(x, y);
}

bool cuiPortDialog::IsDevicePathText(const QString& text) {
    for (QChar c : text) {
        if (c.isSpace()) continue;
        return c == QLatin1Char('/');
    }
    return false;
}

int cuiPortDialog::PortNumberOf(const QString& text) {
    const QString t = text.trimmed();
    int value = 0;
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
        value = value * 10 + (c.unicode() - '0');
        if (value > 256) return 257;
    }
    return value;
}

void cuiPortDialog::RefuseInput(const std::string& text) {
    cmcShowMessage(GTex().Line("GI_Sys_AppTitle", 0), text, cmcMsgIcon::Error, MB_Ok);
    edit_->setFocus();
    edit_->selectAll();
}

void cuiPortDialog::Confirm() {
    const QString text = edit_->text().trimmed();
    if (IsDevicePathText(text)) {
        if (!IsSerialDevice(text)) {
            std::string message = GTex().SectionText("GI_AppInd_Opt_ComSel_NoDevice");
            const size_t at = message.find("%s");
            if (at != std::string::npos) message.replace(at, 2, text.toStdString());
            RefuseInput(message);
            return;
        }
        environ_.ComDevice = text.toStdString();
        // The numbered port entries mark the device when it is one of the listed ones.
        const int listed = cmcPortList().NumberForDevice(environ_.ComDevice);
        if (listed >= 1 && listed <= 256) environ_.ComPort = listed;
        accept();
        return;
    }
    const int value = PortNumberOf(text);
    if (value <= 0 || value > 256) {
        RefuseInput(GTex().SectionText("GI_AppInd_Opt_ComSel_OutofRange"));
        return;
    }
    environ_.SelectPortNumber(value);
    accept();
}

bool cuiPortDialog::Open(QWidget* owner) { return Open(owner, Environ()); }

bool cuiPortDialog::Open(QWidget* owner, indEnviron& environ) {
    cuiPortDialog dialog(owner, environ);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace qx
