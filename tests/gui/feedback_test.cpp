// What the program tells the user about values and marks: a typed value the radio cannot hold
// leaves the cell as it was and says why in the status bar (the same words as the command line's
// "set"), the name entry takes no more characters than the display shows, and warning and error
// marks of cells and tree nodes say, as tooltip and status text, which check set them and why.
#include "app/cuiCellViews.h"
#include "app/cuiMain.h"
#include "app/cuiTextEntry.h"
#include "app/cuiTree.h"
#include "app/cuiGrid.h"
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellScript.h"
#include "app/cuiSheet.h"
#include "support/cmcTestSupport.h"
#include "support/cuiTestProgram.h"

#pragma push_macro("slots")
#undef slots
#include "image/datCh.h"
#pragma pop_macro("slots")

#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace qx;

namespace {

using test::Program;

// The channel sheet of bank 1 with its first channel on 446.100000 MHz, CTCSS 88.5 both ways.
struct ChannelSheet {
    Program p{[](indEnviron& e) { e.ModelType = 0; }};
    cuiCellViews views;  // the program's drop-downs, as the main form installs them
    cmcScopedCellViews installed{&views};
    cuiSheet* sheet = nullptr;

    ChannelSheet() {
        for (int b = 0; b < 5; ++b) datSetBankSize(p.main->Model().WorkingImage().Data(), b, b == 0 ? 1 : 0);
        p.main->Sheets().OpenSheet("[St_ChBank]GI_Sheet_Mch_Lmr,Bank 0");
        sheet = p.main->Sheets().Current();
        p.form->activateWindow();
        QApplication::setActiveWindow(p.form.get());
        if (sheet) sheet->Grid()->setFocus();
        p.Step(0);
    }
    int Col(int label) {
        for (int c = 0; c < sheet->Grid()->ColCount(); ++c)
            if (sheet->CellAt(c, 1).label == label) return c;
        return -1;
    }
    std::string Shown(int label) {
        cmcCellObj cell = sheet->CellAt(Col(label), 1);
        cmcCellRequest req;
        req.cell = &cell;
        cmcCellCapsule().Execute(req, false);
        return req.display;
    }
    // Types the text into the cell as a user does: the first key opens the in-place editor, the
    // rest goes into it, Enter commits.
    void Type(int label, const std::string& text) {
        ASSERT_TRUE(sheet->SelectCell(Col(label), 1));
        QTest::keyClick(sheet->Grid(), text[0]);
        ASSERT_TRUE(sheet->EditorShowing()) << text;
        QTest::keyClicks(sheet->Editor(), QString::fromStdString(text.substr(1)));
        QTest::keyClick(sheet->Editor(), Qt::Key_Return);
        p.Step(0);
    }
    std::string Status() { return p.main->StatusText(); }
};

// The reason the command line's "set" gives for the same text in the same cell.
std::string SetReason(cuiMain& main, int label, const std::string& text) {
    cmcCellObj cell;
    cell.category = CT_Mch;
    cell.label = label;
    cell.index = 0;
    std::string why;
    EXPECT_FALSE(cmcCellScript(main.Model()).Apply(cell, text, &why)) << text;
    return why;
}

}  // namespace

TEST(RefusedInput, TheCellKeepsItsValueAndTheStatusBarSaysWhy) {
    ChannelSheet s;
    ASSERT_NE(s.sheet, nullptr);
    s.Type(CL_Mch_FreqR, "446.1");
    s.Type(CL_Mch_CTone_R, "88.5");
    ASSERT_EQ(s.Shown(CL_Mch_FreqR), "446.100000");
    const std::string tone = s.Shown(CL_Mch_CTone_R);
    ASSERT_EQ(s.Status(), "");

    const struct {
        int label;
        const char* typed;
        const char* reason;
    } cases[] = {
        {CL_Mch_FreqR, "1000", "the radio cannot tune 1000 MHz"},
        {CL_Mch_FreqT, "446.10001", "the radio cannot transmit on 446.10001 MHz"},
        {CL_Mch_CTone_R, "88.6", "the radio has no receive tone '88.6'"},
        {CL_Mch_CTone_T, "088", "the radio has no transmit tone '088'"},  // not an octal code
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::string before = s.Shown(c.label);
        s.Type(c.label, c.typed);
        EXPECT_EQ(s.Shown(c.label), before);
        EXPECT_EQ(s.Status(), c.reason);
        EXPECT_EQ(SetReason(*s.p.main, c.label, c.typed), c.reason);  // one wording, not two
        // The next key clears it.
        QTest::keyClick(s.sheet->Grid(), Qt::Key_Left);
        EXPECT_EQ(s.Status(), "");
    }
    EXPECT_EQ(s.Shown(CL_Mch_FreqR), "446.100000");
    EXPECT_EQ(s.Shown(CL_Mch_CTone_R), tone);

    // Closing the editor by moving away keeps the reason in view; an accepted value says nothing.
    ASSERT_TRUE(s.sheet->SelectCell(s.Col(CL_Mch_FreqR), 1));
    QTest::keyClick(s.sheet->Grid(), '9');
    QTest::keyClicks(s.sheet->Editor(), "99");
    QTest::keyClick(s.sheet->Editor(), Qt::Key_Down);
    EXPECT_EQ(s.Status(), "the radio cannot tune 999 MHz");
    s.p.Step(0);
    s.Type(CL_Mch_FreqR, "446.2");
    EXPECT_EQ(s.Status(), "");
    EXPECT_EQ(s.Shown(CL_Mch_FreqR), "446.200000");
}

TEST(RefusedInput, TheNameEntryStopsAtTheDisplaysLength) {
    ChannelSheet s;
    ASSERT_NE(s.sheet, nullptr);
    s.Type(CL_Mch_FreqR, "446.1");
    ASSERT_TRUE(s.sheet->SelectCell(s.Col(CL_Mch_Text), 1));
    QTest::keyClick(s.sheet->Grid(), Qt::Key_Return);
    s.p.Step(0);
    cuiTextEntry* entry = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* e = qobject_cast<cuiTextEntry*>(w); e && e->isVisible()) entry = e;
    ASSERT_NE(entry, nullptr);

    // Eight characters fit; the ninth and tenth are refused as typed and the preview says why.
    // A point lights the segment after a character and takes no place of its own.
    QTest::keyClicks(entry->Edit(), "ABCD.EFGHIJ");
    EXPECT_EQ(entry->Edit()->text(), "ABCD.EFGH");
    EXPECT_EQ(entry->Refusal(), "'ABCD.EFGHJ' is longer than the 8 characters the display shows");
    QTest::keyClick(entry->Edit(), Qt::Key_Backspace);
    EXPECT_EQ(entry->Refusal(), "");
    QTest::keyClicks(entry->Edit(), "Z");
    QTest::keyClick(entry->Edit(), Qt::Key_Return);
    s.p.Step(0);
    EXPECT_EQ(s.Shown(CL_Mch_Text), "ABCD.EFGZ");

    // A character the display lacks, handed over by closing the window, is refused in the status bar.
    QTest::keyClick(s.sheet->Grid(), 'q');
    s.p.Step(0);
    entry = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* e = qobject_cast<cuiTextEntry*>(w); e && e->isVisible()) entry = e;
    ASSERT_NE(entry, nullptr);
    QTest::sendKeyEvent(QTest::Click, entry->Edit(), Qt::Key_unknown, QString::fromUtf8("\xC3\xA9"), Qt::NoModifier);
    ASSERT_EQ(entry->Edit()->text(), QString::fromUtf8("q\xC3\xA9"));
    EvMan().Send(EVC_CloseDropDowns);
    s.p.Step(0);
    EXPECT_EQ(s.Status(), "the display has no character '\xC3\xA9'");
    EXPECT_EQ(s.Shown(CL_Mch_Text), "ABCD.EFGZ");

    // A longer text arriving from elsewhere is refused whole, never cut.
    EXPECT_EQ(SetReason(*s.p.main, CL_Mch_Text, "ABCDEFGHIJ"),
              "'ABCDEFGHIJ' is longer than the 8 characters the display shows");
    EXPECT_EQ(s.Shown(CL_Mch_Text), "ABCD.EFGZ");
}

namespace {

// The tooltip the grid shows for the cell at (col, row), asked as Qt asks it.
QString GridToolTip(cuiSheet* sheet, int col, int row) {
    QToolTip::hideText();
    const QPoint at = sheet->Grid()->CellRect(col, row).center();
    QHelpEvent help(QEvent::ToolTip, at, sheet->Grid()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(sheet->Grid()->viewport(), &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

}  // namespace

TEST(MarkReasons, AMarkedCellAndItsTreeNodeNameTheCheckAndTheReason) {
    Program p([](indEnviron& e) { e.ModelType = 2; });
    p.Step(1000);
    uint8_t* image = p.main->Model().WorkingImage().Data();
    image[0x9AA3] = 0, image[0x9AA4] = 7;  // killer address 7: outside the killer range
    p.main->CountWarnings();
    const std::string reason = "MSK address ranges: the killer address lies outside the killer range";

    // The tree node of the sheet where it is fixed, and its collapsed folder.
    cuiTree& t = p.Tree();
    QTreeWidgetItem* node = t.FindNode("GI_Sheet_Msk_AdrRange");
    ASSERT_NE(node, nullptr);
    const std::string nodeText = "Error, check of the MSK address ranges: " + reason;
    EXPECT_EQ(t.MarkTextOf(node), nodeText);
    EXPECT_EQ(node->toolTip(0).toStdString(), nodeText);  // what the tree view shows on hover
    EXPECT_EQ(t.MarkTextOf(t.FindNode("GI_Sheet_Msk_Top")), nodeText);
    t.Control()->setCurrentItem(node);
    p.Step(1000);
    EXPECT_EQ(p.main->StatusText(), nodeText);
    // A clean node says nothing.
    EXPECT_EQ(t.MarkTextOf(t.FindNode("GI_Sheet_Msk_IdGroup")), "");

    // The cell: tooltip on hover, status text once current.
    cuiSheet* sheet = p.main->Sheets().Current();
    ASSERT_NE(sheet, nullptr);
    int col = -1, row = -1;
    for (int r = 0; r < sheet->Grid()->RowCount() && col < 0; ++r)
        for (int c = 0; c < sheet->Grid()->ColCount(); ++c)
            if (sheet->CellAt(c, r).label == CL_Msk_AdrRange_Killer) {
                col = c, row = r;
                break;
            }
    ASSERT_GE(col, 0);
    EXPECT_EQ(GridToolTip(sheet, col, row).toStdString(), "Error: " + reason);
    EXPECT_EQ(sheet->MarkTextAt(0, 0), "");  // no mark, no tooltip
    ASSERT_TRUE(sheet->SelectCell(col, row));
    EXPECT_EQ(p.main->StatusText(), "Error: " + reason);
}

TEST(MarkReasons, ABankCheckNamesTheChannel) {
    Program p([](indEnviron& e) { e.ModelType = 2; });
    p.Step(1000);
    uint8_t* image = p.main->Model().WorkingImage().Data();
    for (int b = 0; b < 5; ++b) datSetBankSize(image, b, b == 1 ? 3 : 0);
    datCh ch(image);
    ch.Load(KIND_ChKorvPmr, 2);  // the third channel: the last of bank 2
    ch.inUse = true;
    ch.rxFreq = ch.txFreq = 446006250;
    ch.mskSignal = true;
    ch.select = 0;  // MSK needs Auto
    ch.Store(KIND_ChKorvPmr, 2);
    int errors = 0;
    p.main->CountWarnings(&errors, nullptr);
    ASSERT_GE(errors, 1);
    std::string all;
    for (int i = 0; i < p.Tree().NodeCount(); ++i) all += p.Tree().MarkTextOf(p.Tree().NodeAt(i)) + "\n";
    EXPECT_NE(all.find("Error, check of the memory channels of bank 2: channel 3: MSK signalling: a channel with "
                       "MSK signalling needs the select setting Auto"),
              std::string::npos)
        << all;
}
