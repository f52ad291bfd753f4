// Edits of many rows on a channel sheet, driven by real key presses and clicks on the grid: the
// rows selected with Shift+Down or with clicks on the row headers (Shift+click, Ctrl+click) all take
// a Space step, a typed value or a chooser pick of the cursor's column, through each row's own
// rules; the edit is one undo step named after the column and the channels changed, and the rows
// that refuse the value are listed in the status bar and keep their values.
#include "app/cuiCellViews.h"
#include "app/cuiDropDown.h"
#include "app/cuiGrid.h"
#include "app/cuiMain.h"
#include "cells/cmcCellCapsule.h"
#include "app/cuiSheet.h"
#include "support/cmcTestSupport.h"
#include "support/cuiTestProgram.h"

#pragma push_macro("slots")
#undef slots
#include "image/datCh.h"
#pragma pop_macro("slots")

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qx;

namespace {

using test::Program;

// PMR, bank 1 of eight channels: 1-1 to 1-6 in use on 446.00625 + n x 12.5 kHz, 1-7 and 1-8 empty.
class BulkEdit : public ::testing::Test {
protected:
    void SetUp() override {
        uint8_t* image = p.main->Model().WorkingImage().Data();
        for (int b = 0; b < map::kBankCount; ++b) datSetBankSize(image, b, b == 0 ? 8 : 0);
        for (int n = 0; n < 6; ++n) {
            datCh ch(image);
            ch.Load(KIND_ChPmr, n);
            ch.rxFreq = ch.txFreq = 446006250 + 12500 * static_cast<uint32_t>(n);
            ch.inUse = true;
            ch.Store();
        }
        p.main->Model().NewHistory();
        p.main->ShowSheet("[St_ChBank]GI_Sheet_Mch_Pmr,Bank 0");
        p.form->resize(1000, 700);
        p.form->show();
        QApplication::setActiveWindow(p.form.get());
        [[maybe_unused]] bool active = QTest::qWaitForWindowActive(p.form.get());
        ASSERT_NE(Sheet(), nullptr);
        Grid()->setFocus();
        p.Step(0);
    }
    cuiSheet* Sheet() { return p.main->Sheets().Current(); }
    cuiGrid* Grid() { return Sheet()->Grid(); }
    std::string Shown(int label, int channel) {
        cmcCellObj cell;
        cell.category = CT_Mch;
        cell.label = label;
        cell.index = channel;
        return cmcCellCapsule().Shown(cell);
    }
    std::vector<std::string> Column(int label) {
        std::vector<std::string> out;
        for (int n = 0; n < 8; ++n) out.push_back(Shown(label, n));
        return out;
    }
    // The grid row of a channel (row 0 holds the column headers).
    int RowOf(int channel) { return Sheet()->Builder().FixedRows() + channel; }
    void ClickHeader(int channel, Qt::KeyboardModifiers mods = {}) {
        const QRect rect = Grid()->CellRect(0, RowOf(channel));
        ASSERT_FALSE(rect.isEmpty());
        QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, mods, rect.center());
        p.Step(0);
    }
    std::vector<int> SelectedChannels() {
        std::vector<int> out;
        for (int r : Sheet()->SelectedRows()) out.push_back(r - RowOf(0));
        return out;
    }
    std::string Status() { return p.main->StatusText(); }

    Program p{[](indEnviron& e) { e.ModelType = kModelPmr; }};
    cuiCellViews views;  // the program's drop-downs, as the main form installs them
    cmcScopedCellViews installed{&views};
};

TEST_F(BulkEdit, SpaceStepsEverySelectedRowAsOneUndoStepAndListsTheRefusedRows) {
    ASSERT_TRUE(Sheet()->SelectByIdentity(CT_Mch, CL_Mch_RfPo, 0));
    for (int i = 0; i < 7; ++i) QTest::keyClick(Grid(), Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_EQ(SelectedChannels(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    const std::vector<std::string> before = Column(CL_Mch_RfPo);
    const cmcEeprom image(p.main->Model().WorkingImage());

    QTest::keyClick(Grid(), Qt::Key_Space);
    p.Step(0);
    const std::vector<std::string> after = Column(CL_Mch_RfPo);
    for (int n = 0; n < 6; ++n) EXPECT_NE(after[n], before[n]) << n;
    for (int n = 1; n < 6; ++n) EXPECT_EQ(after[n], after[0]) << n;
    EXPECT_EQ(after[6], before[6]);
    EXPECT_EQ(after[7], before[7]);
    EXPECT_EQ(Status(), "Power: changed on 6 of 8 rows; not changed: "
                        "1-7: the channel is empty: set its receive frequency first; "
                        "1-8: the channel is empty: set its receive frequency first");
    EXPECT_EQ(p.main->Model().UndoText(), "&Undo Power (6 channels)");
    EXPECT_EQ(SelectedChannels().size(), 8u);  // the selection stays for the next edit

    // One undo takes every row back; redo brings every row again.
    ASSERT_TRUE(p.main->Model().Undo());
    EXPECT_FALSE(p.main->Model().WorkingImage().Differs(image));
    EXPECT_FALSE(p.main->Model().CanUndo());
    ASSERT_TRUE(p.main->Model().Redo());
    EXPECT_EQ(Column(CL_Mch_RfPo), after);
}

TEST_F(BulkEdit, RowHeaderClicksSelectRowsThatTakeATypedValue) {
    ASSERT_TRUE(Sheet()->SelectByIdentity(CT_Mch, CL_Mch_CTone_R, 0));
    ClickHeader(1);
    ClickHeader(3, Qt::ShiftModifier);
    ClickHeader(5, Qt::ControlModifier);
    ASSERT_EQ(SelectedChannels(), (std::vector<int>{1, 2, 3, 5}));
    EXPECT_EQ(Sheet()->CurrentCell().label, CL_Mch_CTone_R);  // the cursor kept its column
    ClickHeader(2, Qt::ControlModifier);  // taken out again
    ASSERT_EQ(SelectedChannels(), (std::vector<int>{1, 3, 5}));
    const std::vector<std::string> before = Column(CL_Mch_CTone_R);

    // A value the rows refuse changes nothing, names every row and leaves no undo step.
    const std::string undo = p.main->Model().UndoText();
    QTest::keyClick(Grid(), '8');
    ASSERT_TRUE(Sheet()->EditorShowing());
    QTest::keyClicks(Sheet()->Editor(), "8.6");
    QTest::keyClick(Sheet()->Editor(), Qt::Key_Return);
    p.Step(0);
    EXPECT_EQ(Column(CL_Mch_CTone_R), before);
    EXPECT_EQ(Status(), "Tone RX: changed on 0 of 3 rows; not changed: 1-2: the radio has no receive tone '88.6'; "
                        "1-4: the radio has no receive tone '88.6'; 1-6: the radio has no receive tone '88.6'");
    EXPECT_EQ(p.main->Model().UndoText(), undo);

    // Accepted: the three rows, not the others.
    ASSERT_EQ(SelectedChannels(), (std::vector<int>{1, 3, 5}));
    QTest::keyClick(Grid(), '8');
    QTest::keyClicks(Sheet()->Editor(), "8.5");
    QTest::keyClick(Sheet()->Editor(), Qt::Key_Return);
    p.Step(0);
    const std::vector<std::string> after = Column(CL_Mch_CTone_R);
    for (int n : {1, 3, 5}) EXPECT_EQ(after[n], "88.5") << n;
    for (int n : {0, 2, 4, 6, 7}) EXPECT_EQ(after[n], before[n]) << n;
    EXPECT_EQ(Status(), "Tone RX: changed on 3 rows");
    EXPECT_EQ(p.main->Model().UndoText(), "&Undo Tone RX (3 channels)");
}

TEST_F(BulkEdit, AChooserPickGoesToEverySelectedRow) {
    // Rows first, then the column: moving along a selected row keeps the rows.
    ASSERT_TRUE(Sheet()->SelectByIdentity(CT_Mch, CL_Mch_FreqR, 2));
    QTest::keyClick(Grid(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(Grid(), Qt::Key_Down, Qt::ShiftModifier);
    for (int i = 0; i < 40 && Sheet()->CurrentCell().label != CL_Mch_RfPo; ++i) QTest::keyClick(Grid(), Qt::Key_Right);
    ASSERT_EQ(Sheet()->CurrentCell().label, CL_Mch_RfPo);
    ASSERT_EQ(SelectedChannels(), (std::vector<int>{2, 3, 4}));

    QTest::keyClick(Grid(), Qt::Key_Return);
    p.Step(0);
    cuiDropDown* chooser = views.LastChooser();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(SelectedChannels().size(), 3u);  // still shown while the chooser is open
    cuiSheet* list = chooser->Sheet();
    const int startRow = list->Row();
    QTest::keyClick(list->Grid(), startRow + 1 < list->RowCount() ? Qt::Key_Down : Qt::Key_Up);
    ASSERT_NE(list->Row(), startRow);
    const std::string picked = list->CurrentCell().Text();
    QTest::keyClick(list->Grid(), Qt::Key_Return);
    p.Step(0);

    const std::vector<std::string> after = Column(CL_Mch_RfPo);
    for (int n : {2, 3, 4}) EXPECT_NE(after[n].find(picked.substr(0, picked.find(' '))), std::string::npos) << after[n];
    EXPECT_EQ(after[2], after[3]);
    EXPECT_EQ(after[3], after[4]);
    EXPECT_NE(after[1], after[2]);
    EXPECT_EQ(p.main->Model().UndoText(), "&Undo Power (3 channels)");
    // The pick gave the keyboard back to the grid, so the rows stay selected for the next edit.
    EXPECT_TRUE(Grid()->hasFocus());
    EXPECT_EQ(SelectedChannels().size(), 3u);

    // The same value again changes nothing, says so and adds no undo step.
    QTest::keyClick(Grid(), Qt::Key_Return);
    p.Step(0);
    chooser = views.LastChooser();
    ASSERT_NE(chooser, nullptr);
    list = chooser->Sheet();
    ASSERT_EQ(list->CurrentCell().Text(), picked);
    QTest::keyClick(list->Grid(), Qt::Key_Return);
    p.Step(0);
    EXPECT_EQ(Column(CL_Mch_RfPo), after);
    EXPECT_EQ(Status(), "Power: every row already held this value; nothing changed");
    EXPECT_EQ(p.main->Model().UndoText(), "&Undo Power (3 channels)");
}

}  // namespace
