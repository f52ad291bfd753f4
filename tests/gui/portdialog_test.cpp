// The port selection dialog, offscreen: what it shows, what OK accepts and stores, the range error,
// the edit field's length rule, Cancel, and the layout measures.
#include "app/cuiPortDialog.h"
#include "comm/indEnviron.h"
#include "defs/cmcGTex.h"
#include "support/cmcTestSupport.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace qx;

namespace {

class PortDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OpenDefinitionFiles(test::BinDir() + "/"); }
    void SetUp() override {
        test::Messages().Clear();
        indEnvironOptions o;
        o.persistent = false;
        env = std::make_unique<indEnviron>("", "", o);
        env->ComPort = 7;
    }
    // Opens the dialog as the user sees it, with the focus in the window.
    std::unique_ptr<cuiPortDialog> Shown() {
        auto d = std::make_unique<cuiPortDialog>(nullptr, *env);
        d->show();
        d->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(d.get()));
        return d;
    }
    std::string RangeError() { return GTex().SectionText("GI_AppInd_Opt_ComSel_OutofRange"); }

    std::unique_ptr<indEnviron> env;
};

// A pseudo-terminal, such as a radio simulator offers.
struct Pty {
    int fd = posix_openpt(O_RDWR | O_NOCTTY);
    std::string path;
    Pty() {
        if (fd >= 0 && grantpt(fd) == 0 && unlockpt(fd) == 0) path = ptsname(fd);
    }
    ~Pty() {
        if (fd >= 0) close(fd);
    }
};

}  // namespace

TEST_F(PortDialog, ShowsTheCurrentPortOrDeviceAndTheDefinitionTexts) {
    auto d = Shown();
    EXPECT_EQ(d->Edit()->text(), "7");
    EXPECT_TRUE(d->Edit()->hasFocus());
    EXPECT_EQ(d->windowTitle().toStdString(), GTex().Line("GI_AppInd_Opt_ComSel_Caption", 0));
    EXPECT_EQ(d->Notice()->text().toStdString(), GTex().SectionText("GI_AppInd_Opt_ComSel_Notice"));
    EXPECT_EQ(d->OkButton()->text().toStdString(), GTex().Line("GI_AppInd_Opt_ComSel_Buttons", 0));
    EXPECT_EQ(d->CancelButton()->text().toStdString(), GTex().Line("GI_AppInd_Opt_ComSel_Buttons", 1));
    EXPECT_FALSE(d->Edit()->testAttribute(Qt::WA_InputMethodEnabled));

    env->ComDevice = "/dev/pts/3";
    cuiPortDialog withDevice(nullptr, *env);
    EXPECT_EQ(withDevice.Edit()->text(), "/dev/pts/3");
}

TEST_F(PortDialog, OkAcceptsOneTo256AndRefusesEverythingElse) {
    struct Case {
        const char* input;
        int stored;  // 0: refused
    } const cases[] = {
        {"256", 256}, {"1", 1}, {" 12 ", 12}, {"12x", 12}, {"0012", 12}, {"257", 0},
        {"0", 0},     {"x12", 0}, {"", 0},    {"-5", 0},   {"9999", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        test::Messages().Clear();
        env->ComPort = 7;
        env->ComDevice = "/dev/ttyUSB3";
        auto d = Shown();
        d->Edit()->setText(c.input);
        d->CancelButton()->setFocus();  // the refusal must bring the focus back to the field
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
        if (c.stored) {
            EXPECT_EQ(d->result(), QDialog::Accepted);
            EXPECT_FALSE(d->isVisible());
            EXPECT_EQ(env->ComPort, c.stored);
            EXPECT_EQ(env->ComDevice, "");  // a number replaces a stored device path
            EXPECT_TRUE(test::Messages().messages().empty());
        } else {
            EXPECT_TRUE(d->isVisible());
            EXPECT_EQ(env->ComPort, 7);
            EXPECT_EQ(env->ComDevice, "/dev/ttyUSB3");
            ASSERT_EQ(test::Messages().messages().size(), 1u);
            const test::RecordedMessage& msg = test::Messages().messages()[0];
            EXPECT_EQ(msg.text, RangeError());
            EXPECT_EQ(msg.caption, GTex().Line("GI_Sys_AppTitle", 0));
            EXPECT_EQ(msg.icon, cmcMsgIcon::Error);
            EXPECT_TRUE(d->Edit()->hasFocus());
        }
    }
}

TEST_F(PortDialog, EnterConfirmsAndEscapeOrCancelChangesNothing) {
    {
        auto d = Shown();
        d->Edit()->selectAll();
        QTest::keyClicks(d->Edit(), "12");
        QTest::keyClick(d->Edit(), Qt::Key_Return);
        EXPECT_EQ(d->result(), QDialog::Accepted);
        EXPECT_EQ(env->ComPort, 12);
    }
    {
        auto d = Shown();
        d->Edit()->setText("200");
        QTest::keyClick(d->Edit(), Qt::Key_Escape);
        EXPECT_EQ(d->result(), QDialog::Rejected);
        EXPECT_FALSE(d->isVisible());
    }
    {
        auto d = Shown();
        d->Edit()->setText("201");
        QTest::mouseClick(d->CancelButton(), Qt::LeftButton);
        EXPECT_EQ(d->result(), QDialog::Rejected);
    }
    EXPECT_EQ(env->ComPort, 12);
    EXPECT_TRUE(test::Messages().messages().empty());
}

TEST_F(PortDialog, DevicePathIsAcceptedOnlyForAnExistingSerialDevice) {
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    const std::string file = test::WriteFile(test::TempDir() + "/not-a-device", "x");
    for (const std::string& bad : {std::string("/dev/no-such-tty"), file, std::string("/dev")}) {
        SCOPED_TRACE(bad);
        test::Messages().Clear();
        auto d = Shown();
        d->Edit()->setText(QString::fromStdString(bad));
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
        EXPECT_TRUE(d->isVisible());
        ASSERT_EQ(test::Messages().messages().size(), 1u);
        EXPECT_NE(test::Messages().messages()[0].text.find("'" + bad + "'"), std::string::npos);
        EXPECT_TRUE(d->Edit()->hasFocus());
        EXPECT_EQ(env->ComDevice, "");
    }
    test::Messages().Clear();
    auto d = Shown();
    d->Edit()->setText(QString::fromStdString("  " + pty.path + " "));
    QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(env->ComDevice, pty.path);
    EXPECT_EQ(env->ComPort, 7);  // a pseudo-terminal is not one of the numbered ports
    EXPECT_TRUE(test::Messages().messages().empty());
}

TEST_F(PortDialog, FieldTakesFourCharactersForANumberAndAWholePath) {
    auto d = Shown();
    QLineEdit* e = d->Edit();
    e->clear();
    QTest::keyClicks(e, "123456");
    EXPECT_EQ(e->text(), "1234");
    e->clear();
    QTest::keyClicks(e, "/dev/ttyUSB0");
    EXPECT_EQ(e->text(), "/dev/ttyUSB0");
    // Removing the leading '/' of a path leaves a long text that may still be shortened, not lengthened.
    e->setCursorPosition(1);
    QTest::keyClick(e, Qt::Key_Backspace);
    EXPECT_EQ(e->text(), "dev/ttyUSB0");
    QTest::keyClicks(e, "x");
    EXPECT_EQ(e->text(), "dev/ttyUSB0");
    QTest::keyClick(e, Qt::Key_Delete);
    EXPECT_EQ(e->text(), "ev/ttyUSB0");
}

TEST_F(PortDialog, LayoutFollowsTheTextMeasuresOfItsFont) {
    cuiPortDialog d(nullptr, *env);
    const QFontMetrics fm(d.font());
    const int m = fm.height();
    const int w = fm.horizontalAdvance(QString::fromStdString(GTex().Line("GI_AppInd_Opt_ComSel_SizeOfButtons", 0)));
    const QRect label = d.Notice()->geometry(), edit = d.Edit()->geometry();
    const QRect ok = d.OkButton()->geometry(), cancel = d.CancelButton()->geometry();
    EXPECT_EQ(label.topLeft(), QPoint(m, m));
    EXPECT_EQ(label.height(), fm.size(0, d.Notice()->text()).height());
    EXPECT_EQ(edit.left(), m + fm.horizontalAdvance("WW"));
    EXPECT_EQ(edit.top(), label.top() + label.height() + m / 2);
    // The entry shows a whole /dev/serial/by-id/ path and ends where the notice ends.
    EXPECT_GE(edit.width(), fm.horizontalAdvance("/dev/serial/by-id/usb-Maker_USB_Serial_Cable_0123456789-if00-port0"));
    EXPECT_EQ(edit.left() + edit.width(), label.left() + label.width());
    EXPECT_EQ(cancel.size(), QSize(w, 2 * m));
    EXPECT_EQ(ok.size(), cancel.size());
    EXPECT_EQ(cancel.top(), edit.top() + 4 * edit.height());
    EXPECT_EQ(cancel.left() + cancel.width(), label.left() + label.width());
    EXPECT_EQ(ok.left(), cancel.left() - w - cancel.height() / 2);
    EXPECT_EQ(ok.top(), cancel.top());
    EXPECT_GE(ok.left(), m);
    EXPECT_EQ(d.width(), label.width() + 2 * m);
    EXPECT_EQ(d.height(), cancel.top() + cancel.height() * 3 / 2);
    EXPECT_TRUE(d.OkButton()->isDefault());
}

TEST_F(PortDialog, OpenRunsModallyAndReportsWhetherAPortWasStored) {
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<cuiPortDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->Edit()->setText("42");
        d->OkButton()->click();
    });
    EXPECT_TRUE(cuiPortDialog::Open(nullptr, *env));
    EXPECT_EQ(env->ComPort, 42);

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_FALSE(cuiPortDialog::Open(nullptr, *env));
    EXPECT_EQ(env->ComPort, 42);
}
