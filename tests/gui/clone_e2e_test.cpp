// Cloning end to end through the main window's menu commands, against the simulated radio on a
// pseudo-terminal: read (the model type follows the radio), radio information, write of an edited
// image (the radio stores it), read back, a port that cannot be opened, and Cancel or Esc in the
// cloning window in every phase.
#include "app/Frmmain.h"
#include "app/cuiCloneWindow.h"
#include "app/cuiGrid.h"
#include "app/cuiInformation.h"
#include "app/cuiMain.h"
#include "app/cuiMessageBoxSink.h"
#include "app/cuiTree.h"
#include "comm/indEnviron.h"
#include "comm/indWriteGuard.h"
#include "defs/cmcGTex.h"
#include "defs/cmcEvMan.h"
#include "app/cuiMenu.h"
#include "image/cmcImageMap.h"
#include "support/cmcSimRadio.h"
#include "support/cmcTestSupport.h"

#pragma push_macro("slots")
#undef slots
#include "image/datCh.h"
#pragma pop_macro("slots")

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QFileInfo>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

using namespace qx;

namespace {

constexpr int kCloneWaitMs = 60000;

// The simulated radio, started for the test and ended with it; what it is written goes to written.QCF.
struct Radio : test::SimRadio {
    explicit Radio(int modelType) : SimRadio(modelType, "written") {}
};

struct Program {
    indEnviron env{"e2e mutex", "Software\\Test\\E2E", [] {
                       indEnvironOptions o;
                       o.persistent = false;
                       return o;
                   }()};
    cmcScopedEvMan events;
    std::unique_ptr<cuiMain> main;
    std::unique_ptr<Frmmain> form;
    std::vector<int> outcomes;

    explicit Program(const std::string& device) {
        SetEnviron(&env);
        env.ModelType = 3;
        env.ComDevice = device;
        test::Messages().Clear();
        main = std::make_unique<cuiMain>();
        form = std::make_unique<Frmmain>(*main);
        auto previous = main->CloneCommands().finished;
        main->CloneCommands().finished = [this, previous](int outcome) {
            if (previous) previous(outcome);
            outcomes.push_back(outcome);
        };
    }
    ~Program() {
        form.reset();
        main.reset();
        SetEnviron(nullptr);
    }
    // Clicks the menu entry of a label and waits until its command has finished.
    int Run(int label) {
        QAction* entry = nullptr;
        for (QAction* a : main->Menu()->Items()) {
            const cmcCellObj* cell = cuiMenu::CellOf(a);
            if (cell && cell->label == label && cell->index == 0) entry = a;  // [1], [2]: several radios, fleet log
        }
        if (!entry) return -100;
        const size_t before = outcomes.size();
        entry->trigger();
        if (!QTest::qWaitFor([&] { return outcomes.size() > before; }, kCloneWaitMs)) return -101;
        QTest::qWait(20);
        return outcomes.back();
    }
    bool Said(const std::string& fragment) const {
        for (const auto& m : test::Messages().messages())
            if (m.text.find(fragment) != std::string::npos) return true;
        return false;
    }
};

// Presses Cancel in the cloning window once, with a real key (Esc) or mouse click, as soon as the
// window shows `phase` and `ready` holds for its progress box.
struct CancelPresser {
    QTimer timer;
    bool pressed = false;
    CancelPresser(int phase, bool escape, std::function<bool(const cuiCloneProgress&)> ready = {}) {
        const QString text = QString::fromStdString(indClonePhaseText(phase));
        QObject::connect(&timer, &QTimer::timeout, [this, text, escape, ready] {
            if (pressed) return;
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* w = qobject_cast<cuiCloneWindow*>(top);
                if (!w || !w->isVisible() || w->PhaseLabel()->text() != text) continue;
                if (ready && !ready(*w->Box())) return;
                pressed = true;
                if (escape)
                    QTest::keyClick(w, Qt::Key_Escape);
                else
                    QTest::mouseClick(w->CancelButton(), Qt::LeftButton);
                return;
            }
        });
        timer.start(1);
    }
};

void AddChannel(cuiMain& main, int modelType) {
    uint8_t* image = main.Model().WorkingImage().Data();
    datSetBankSize(image, 0, std::max(1, datBankSize(image, 0)));
    datCh rec(image);
    rec.Load(datChannelKind(modelType), 0);
    rec.rxFreq = rec.txFreq = 446006250;
    rec.inUse = true;
    rec.Store(datChannelKind(modelType), 0);
    main.Model().NoteEdit();
}

uint32_t ChannelFrequency(const cmcEeprom& image, int channel) {
    datCh rec(const_cast<uint8_t*>(image.Data()));
    rec.Load(KIND_ChLmr, channel);
    return rec.rxFreq;
}

}  // namespace

TEST(CloneEndToEnd, ReadInformationWriteAndReadBackThroughTheMenus) {
    Radio radio(0);
    ASSERT_FALSE(radio.device.empty()) << "the simulator did not start";
    Program p(radio.device);
    ASSERT_EQ(p.main->Model().ModelType(), 3);

    // Clone read: the radio's LMR image becomes the working image, untitled and not modified.
    ASSERT_EQ(p.Run(CL_Menu_Clone_Read), 0);
    EXPECT_EQ(p.main->Model().ModelType(), 0);
    EXPECT_FALSE(p.main->Model().IsModified());
    EXPECT_TRUE(p.main->Model().FileName().empty());
    EXPECT_FALSE(p.main->Model().IsImageInvalid(p.main->Model().WorkingImage(), 1));
    EXPECT_TRUE(p.form->isEnabled());
    EXPECT_EQ(cuiTree::Caption(p.main->Tree()->NodeAt(0)), "QX-P2210 LMR");
    // The packed area is the radio's, byte for byte.
    cmcEeprom sent;
    ASSERT_EQ(p.main->Model().LoadCloneFile(test::BinDir() + "/ZT5531K_LMR.QCF", sent), 0);
    const uint8_t* w = p.main->Model().WorkingImage().Data();
    const int packedEnd = (w[map::kPackedEnd] << 8) | w[map::kPackedEnd + 1];
    ASSERT_GT(packedEnd, 0x0178);
    EXPECT_EQ(std::memcmp(w + 0x0178, sent.Data() + 0x0178, static_cast<size_t>(packedEnd - 0x0178)), 0);

    // Radio information: the information window over the clone information sheet.
    ASSERT_EQ(p.Run(CL_Menu_Clone_Info), 0);
    cuiInformation* info = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<cuiInformation*>(top); d && d->isVisible()) info = d;
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->windowTitle().toStdString(), "QX-P2210");
    EXPECT_EQ(info->Sheet()->Key(), "GI_Sheet_CloneInfo");
    // Every row and column shows in full (the last row was cut off at the panel's edge).
    const cuiGrid* infoGrid = info->Sheet()->Grid();
    EXPECT_GE(infoGrid->ClientSize().height(), infoGrid->TotalHeight());
    EXPECT_GE(infoGrid->ClientSize().width(), infoGrid->TotalWidth());
    EXPECT_FALSE(p.form->isEnabled());
    info->Button()->click();
    QTest::qWait(20);
    EXPECT_TRUE(p.form->isEnabled());

    // Clone write of an edited image: asked first, then written; the radio keeps the channel.
    uint8_t* image = p.main->Model().WorkingImage().Data();
    datSetBankSize(image, 0, std::max(1, datBankSize(image, 0)));
    datCh rec(image);
    rec.Load(KIND_ChLmr, 0);
    rec.rxFreq = rec.txFreq = 446006250;
    rec.inUse = true;
    rec.Store(KIND_ChLmr, 0);
    p.main->Model().NoteEdit();
    test::Messages().Clear();
    ASSERT_EQ(p.Run(CL_Menu_Clone_Write), 0);
    EXPECT_TRUE(p.Said("Do you want to write the data to the radio?"));
    EXPECT_TRUE(p.Said("written to the radio successfully"));
    cmcEeprom stored;
    ASSERT_EQ(p.main->Model().LoadCloneFile(radio.saved, stored), 0);
    p.main->Model().UnpackImage(stored);
    EXPECT_EQ(ChannelFrequency(stored, 0), 446006250u);

    // Read back: the channel comes from the radio.
    rec.Load(KIND_ChLmr, 0);
    rec.rxFreq = rec.txFreq = 0;
    rec.Store(KIND_ChLmr, 0);
    p.main->Model().NoteEdit();
    test::Messages().Clear();
    test::Messages().QueueAnswer(MB_Discard);  // the unsaved-changes question
    ASSERT_EQ(p.Run(CL_Menu_Clone_Read), 0);
    ASSERT_FALSE(test::Messages().messages().empty());
    EXPECT_EQ(test::Messages().messages()[0].buttons, unsigned(MB_Save | MB_Discard | MB_Cancel));
    EXPECT_EQ(ChannelFrequency(p.main->Model().WorkingImage(), 0), 446006250u);
    // The image read is not an unsaved change: the next read asks nothing.
    EXPECT_FALSE(p.main->Model().IsModified());
    test::Messages().Clear();
    ASSERT_EQ(p.Run(CL_Menu_Clone_Read), 0);
    EXPECT_FALSE(p.Said("have not been saved"));
}

// A PMR radio and dPMR446 data: the real question box names both model types, and Enter (Cancel,
// the default) ends the write before anything is written.
TEST(CloneEndToEnd, ARadioOfAnotherModelTypeIsAskedAboutWithCancelAsTheDefault) {
    Radio radio(1);
    ASSERT_FALSE(radio.device.empty()) << "the simulator did not start";
    Program p(radio.device);
    uint8_t* image = p.main->Model().WorkingImage().Data();
    datSetBankSize(image, 0, std::max(1, datBankSize(image, 0)));
    datCh rec(image);
    rec.Load(datChannelKind(3), 0);
    rec.rxFreq = rec.txFreq = 446006250;
    rec.inUse = true;
    rec.Store(datChannelKind(3), 0);
    p.main->Model().NoteEdit();

    cuiMessageBoxSink boxes;
    cmcSetMessageSink(&boxes);
    std::string question;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        // Every box is answered with Enter (a wrong default would go on to the next question).
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        if (question.empty()) question = box->text().toStdString();
        QTest::keyClick(box, Qt::Key_Return);
    });
    answer.start(20);
    const int outcome = p.Run(CL_Menu_Clone_Write);
    answer.stop();
    cmcSetMessageSink(&test::Messages());

    EXPECT_EQ(outcome, -1);
    EXPECT_NE(question.find("The radio is a PMR radio, but the data is for a dPMR446 radio."), std::string::npos)
        << question;
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(radio.saved))) << "the radio was written";
    EXPECT_TRUE(p.form->isEnabled());
}

TEST(CloneEndToEnd, APortThatCannotBeOpenedSaysWhyAndChangesNothing) {
    const std::string missing = test::TempDir() + "/no-such-cable";
    Program p(missing);
    const cmcEeprom before(p.main->Model().WorkingImage());
    EXPECT_EQ(p.Run(CL_Menu_Clone_Read), 2);
    EXPECT_TRUE(p.Said(missing));
    EXPECT_TRUE(p.Said("no such device"));
    EXPECT_FALSE(p.main->Model().WorkingImage().Differs(before));
    EXPECT_EQ(p.main->Model().ModelType(), 3);
    EXPECT_TRUE(p.form->isEnabled());
}

// Cancel (a click) or Esc in each phase of a read and of a write. Reads and the phases before the
// write end with nothing written and the working image unchanged; the write asks first (the
// question answered Cancel lets the write finish, OK stops it); the read-back stops after the write.
TEST(CloneEndToEnd, CancelOrEscInEveryPhase) {
    const auto stopped = [](int line) { return GTex().Line("GI_Mess_Clone_Cancelled", line); };
    const auto started = [](const cuiCloneProgress& box) { return box.Done() > 0; };
    struct Case {
        const char* name;
        int command;
        int phase;
        bool escape;
        bool midway;          // wait for the first bytes of the phase
        unsigned answer;      // to the stop question of a write (0: none expected)
        int outcome;
        int line;             // of the stopped message, -1 none
        bool radioWritten;
    } cases[] = {
        {"identification before a read", CL_Menu_Clone_Read, CPH_Ident, true, false, 0, CDRV_Cancelled, 0, false},
        {"clone read", CL_Menu_Clone_Read, CPH_Read, false, true, 0, CDRV_Cancelled, 0, false},
        {"identification before a write", CL_Menu_Clone_Write, CPH_Ident, false, false, 0, CDRV_Cancelled, 0, false},
        {"backup", CL_Menu_Clone_Write, CPH_Backup, true, true, 0, CDRV_Cancelled, 0, false},
        {"write, question answered Cancel", CL_Menu_Clone_Write, CPH_GuardedWrite, true, true, MB_Cancel, CDRV_Ok, -1,
         true},
        {"write, question answered OK", CL_Menu_Clone_Write, CPH_GuardedWrite, false, true, MB_Ok, CDRV_Cancelled, 1,
         false},
        {"read-back", CL_Menu_Clone_Write, CPH_Verify, true, false, 0, CDRV_Cancelled, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Radio radio(3);
        ASSERT_FALSE(radio.device.empty()) << "the simulator did not start";
        Program p(radio.device);
        if (c.command == CL_Menu_Clone_Write) AddChannel(*p.main, 3);
        p.main->Model().MarkSaved();
        const cmcEeprom before(p.main->Model().WorkingImage());
        test::Messages().Clear();
        if (c.command == CL_Menu_Clone_Write) test::Messages().QueueAnswer(MB_Ok);  // write the radio?
        if (c.answer) test::Messages().QueueAnswer(c.answer);
        CancelPresser press(c.phase, c.escape, c.midway ? std::function<bool(const cuiCloneProgress&)>(started) : nullptr);
        EXPECT_EQ(p.Run(c.command), c.outcome);
        ASSERT_TRUE(press.pressed) << "the phase was never shown";

        EXPECT_FALSE(p.main->Model().WorkingImage().Differs(before));
        EXPECT_EQ(p.main->Model().ModelType(), 3);
        EXPECT_TRUE(p.form->isEnabled());
        EXPECT_EQ(QFileInfo::exists(QString::fromStdString(radio.saved)), c.radioWritten);
        const bool asked = p.Said(GTex().Line("GI_Mess_Confirm_CloneCancel", 0));
        EXPECT_EQ(asked, c.answer != 0);
        if (c.line >= 0) {
            EXPECT_TRUE(p.Said(stopped(c.line)));
        }
        for (const auto& m : test::Messages().messages())
            EXPECT_EQ(m.icon == cmcMsgIcon::Error, false) << "an error was shown: " << m.text;
        if (c.outcome == CDRV_Ok) {
            // A successful write names the backup it kept.
            const std::string backup = p.main->CloneCommands().LastBackup();
            ASSERT_FALSE(backup.empty());
            EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(backup)));
            EXPECT_TRUE(p.Said(backup));
        }
    }
}

// After a read the status bar names the radio read: model type, serial number, channels in use.
TEST(CloneEndToEnd, TheStatusBarSaysWhichRadioWasRead) {
    Radio radio(1);
    ASSERT_FALSE(radio.device.empty()) << "the simulator did not start";
    Program p(radio.device);
    ASSERT_EQ(p.Run(CL_Menu_Clone_Read), 0);
    const std::string serial = p.main->Model().SerialNumber();
    ASSERT_FALSE(serial.empty());
    const std::string expected = "Read from the radio: PMR, serial number " + serial + ", " +
                                 std::to_string(p.main->Model().ChannelsInUse()) + " channels in use.";
    EXPECT_EQ(p.main->StatusText(), expected);
}
