// The windows that edit a cell value of their own: the text entry drop-down of display texts, the
// user character editor and the flag window, with their answers and closing rules.
#include "app/cuiCharEditor.h"
#include "app/cuiGrid.h"
#include "app/cuiTextEntry.h"
#include "cells/cmcCellViews.h"
#include "cells/cmcDispText.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheet.h"
#include "printing/cuiFlagWindow.h"
#include "support/cmcTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace qx;

namespace {

void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// Types text with real key events, characters beyond ASCII included (as a keyboard layout sends
// them: the key of the character and the character as the event's text).
void TypeKeys(QWidget* w, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, static_cast<Qt::Key>(c.toUpper().unicode()), QString(c), Qt::NoModifier);
}

// The opening cell and the answers it receives.
struct EditWindows : ::testing::Test {
    cmcScopedEvMan evman;
    QWidget owner;
    cmcCellObj openerCell;
    cmcCellRequest opener;
    std::vector<std::string> answers;  // the input texts of chooser answers
    const QRect workArea{0, 0, 1200, 900};
    const QRect cell{100, 100, 120, 22};

    void SetUp() override {
        OpenDefinitionFiles();
        owner.resize(300, 200);
        owner.show();
        openerCell.label = CL_Mch_Text;
        opener.cell = &openerCell;
    }
    cmcCellHandler Handler() {
        return [this](cmcCellRequest& r) -> uint8_t {
            if (r.cell == &openerCell && r.resultKind == CRK_Chooser && r.parent && r.parent->cell &&
                r.parent->cell->label == Flex0)
                answers.push_back(r.input);
            else if (r.cell)
                r.display = r.cell->Text();
            return 0;
        };
    }
    cuiTextEntry* OpenText(const std::string& text, bool byKey = false) {
        const uint8_t user[32] = {};
        return cuiTextEntry::Open(opener, text, 8, user, byKey, Handler(), &owner, cell, workArea);
    }
};

}  // namespace

TEST_F(EditWindows, TextEntryStartsWithTheTextAndTakesCharacters) {
    QPointer<cuiTextEntry> w = OpenText("AB.C");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->Edit()->text(), "AB.C");
    EXPECT_EQ(w->Edit()->selectedText(), "AB.C");  // opened by Enter: all selected
    EXPECT_EQ(w->height(), workArea.height() * 5 / 8);
    EXPECT_GE(w->width(), w->Sheet()->FullWidth());
    EXPECT_EQ(w->Sheet()->Key(), "GI_Sheet_Sel_Text");
    // A character cell inserts its character in editable form, replacing the selection.
    w->InsertCode(0x1F);
    EXPECT_EQ(w->Edit()->text(), "%1F");
    // Space on a character cell inserts it; a typed key inserts itself and returns to the edit box.
    cuiSheet& sheet = *w->Sheet();
    ASSERT_TRUE(sheet.SelectByIdentity(kCategoryNone, Flex0, '%') || sheet.SelectByIdentity(CT_Null, Flex0, '%'));
    sheet.RunOperation(32);
    EXPECT_EQ(w->Edit()->text(), "%1F%%");
    sheet.RunOperation('x');
    EXPECT_EQ(w->Edit()->text(), "%1F%%x");
    // Enter in the edit box hands the text to the cell, once.
    QTest::keyClick(w->Edit(), Qt::Key_Return);
    Settle();
    EXPECT_EQ(answers, std::vector<std::string>{"%1F%%x"});
    EXPECT_FALSE(w);
}

TEST_F(EditWindows, TextEntryStaysInsideTheMainWindow) {
    // A main window in the middle of a large work area: the entry is sized and placed within it,
    // also for a cell near the window's bottom right.
    QWidget main;
    main.setGeometry(150, 150, 900, 640);
    main.show();
    Settle();
    const QRect frame = main.frameGeometry();
    for (const QRect& at : {QRect(260, 200, 120, 22), QRect(frame.right() - 130, frame.bottom() - 30, 120, 22)}) {
        const uint8_t user[32] = {};
        QPointer<cuiTextEntry> w = cuiTextEntry::Open(opener, "AB", 8, user, false, Handler(), &main, at, workArea);
        ASSERT_TRUE(w);
        Settle();
        EXPECT_TRUE(frame.contains(w->frameGeometry()))
            << w->frameGeometry().x() << "," << w->frameGeometry().y() << " " << w->width() << " in " << frame.x()
            << "," << frame.y() << " " << frame.width() << "x" << frame.height();
        EXPECT_EQ(w->height(), std::max(frame.height() * 5 / 8, 200));
        w->close();
        Settle();
    }
}

TEST_F(EditWindows, TextEntryClosingRules) {
    // Opened by a key: the caret follows the character.
    QPointer<cuiTextEntry> w = OpenText("Q", true);
    EXPECT_EQ(w->Edit()->cursorPosition(), 1);
    EXPECT_TRUE(w->Edit()->selectedText().isEmpty());
    // Esc leaves the cell as it was.
    QTest::keyClick(w->Edit(), Qt::Key_Escape);
    Settle();
    EXPECT_TRUE(answers.empty());
    EXPECT_FALSE(w);
    // Closing all drop-downs (a click into the main window) keeps what was typed.
    w = OpenText("AB");
    w->Edit()->setText("XY");
    EvMan().Send(EVC_CloseDropDowns);
    Settle();
    EXPECT_EQ(answers, std::vector<std::string>{"XY"});
    EXPECT_FALSE(w);
    // Cancel stores nothing; the owner going away closes without storing.
    w = OpenText("AB");
    w->CancelButton()->click();
    Settle();
    w = OpenText("AB");
    EvMan().Send(EVC_OwnerGone, reinterpret_cast<intptr_t>(static_cast<QWidget*>(&owner)));
    Settle();
    EXPECT_EQ(answers.size(), 1u);
    EXPECT_FALSE(w);
}

// Typed characters the display has no code for are named in the window and never handed over as
// their UTF-8 bytes: OK and Enter keep the window open with the character selected.
TEST_F(EditWindows, TextEntryRefusesCharactersTheDisplayLacks) {
    QPointer<cuiTextEntry> w = OpenText("AB");
    TypeKeys(w->Edit(), QString::fromUtf8("A\u00e9\u00b0" "1"));
    EXPECT_EQ(w->Edit()->text(), QString::fromUtf8("A\u00e9\u00b0" "1"));
    EXPECT_EQ(w->Refusal(), "the display has no character '\u00e9'");
    QTest::keyClick(w->Edit(), Qt::Key_Return);
    Settle();
    ASSERT_TRUE(w);
    EXPECT_TRUE(answers.empty());
    EXPECT_EQ(w->Edit()->selectedText(), QString::fromUtf8("\u00e9"));
    // Typed over, the next one is named; OK refuses it the same way.
    TypeKeys(w->Edit(), "E");
    EXPECT_EQ(w->Refusal(), "the display has no character '\u00b0'");
    w->OkButton()->click();
    Settle();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->Edit()->selectedText(), QString::fromUtf8("\u00b0"));
    TypeKeys(w->Edit(), "o");
    EXPECT_EQ(w->Refusal(), "");
    QTest::keyClick(w->Edit(), Qt::Key_Return);
    Settle();
    EXPECT_EQ(answers, std::vector<std::string>{"AEo1"});
    EXPECT_FALSE(w);
    // Leaving the window hands the text over all the same: the cell refuses it with its message.
    w = OpenText("AB");
    TypeKeys(w->Edit(), QString::fromUtf8("\u00e9"));
    EvMan().Send(EVC_CloseDropDowns);
    Settle();
    EXPECT_EQ(answers.back(), "\u00e9");
    EXPECT_FALSE(w);
}

TEST_F(EditWindows, CharacterEditorTogglesSegmentsByClicking) {
    QPointer<cuiCharEditor> w =
        cuiCharEditor::Open(opener, SegPatternOf('1', nullptr), Handler(), &owner, cell, workArea);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->Area()->size(), QSize(200, 200));
    EXPECT_EQ(w->Pattern(), 0x1800);
    // Click into the middle of the top segment's first triangle: it lights.
    const cmcSegChar& g = DisplayGeometry();
    const cmcSegTriangle& t = g.Segments()[1].triangles[0];
    const cmcSegEditorMap map(g);
    const cmcSegPoint mid = map.ToArea({(t.p[0].x + t.p[1].x + t.p[2].x) / 3, (t.p[0].y + t.p[1].y + t.p[2].y) / 3});
    QTest::mouseClick(w->Area(), Qt::LeftButton, {}, QPoint(mid.x, mid.y));
    EXPECT_EQ(w->Pattern(), 0x3800);  // '7'
    QTest::mouseClick(w->Area(), Qt::RightButton, {}, QPoint(mid.x, mid.y));
    EXPECT_EQ(w->Pattern(), 0x3800);  // other buttons do nothing
    EXPECT_FALSE(w->ClickAt(1, 1));   // outside every segment
    w->OkButton()->click();
    Settle();
    EXPECT_EQ(answers, std::vector<std::string>{std::to_string(0x3800)});
    EXPECT_FALSE(w);
}

TEST(FlagWindowLines, HeadersOfEachKind) {
    const auto header = [](int first, int last, int kind) { return FlagWindowLines(first, last, kind)[5]; };
    EXPECT_EQ(header(9, 11, FH_Decimal0Z), "|{($iChI)}9||{($iChI)}0||{($iChI)}Z|");
    EXPECT_EQ(header(9, 11, FH_Decimal0), "|{($iChI)}9||{($iChI)}0||{($iChI)}11|");
    EXPECT_EQ(header(10, 11, FH_Hex), "|{($iChI)}A||{($iChI)}B|");
    EXPECT_EQ(header(1, 2, FH_Letter), "|{($iChI)}A||{($iChI)}B|");
    EXPECT_EQ(header(4, 5, FH_GpsSentence), "|{($iChI)}GSA||{($iChI)}VTG|");
    EXPECT_EQ(header(0, 2, FH_BitNumber), "|{($iChI)}B2||{($iChI)}B1||{($iChI)}B0|");
    EXPECT_EQ(FlagWindowLines(1, 2, 0)[6], "|{($eWh)^(%CL_FBits[1])}9|{($iQp)}|{($eWh)^(%CL_FBits[2])}9|");
}

TEST_F(EditWindows, FlagWindowAnswersTheFlagValue) {
    // Flags 1..11 with 2 and 11 set.
    const uint32_t value = FlagWindowBit(2) | FlagWindowBit(11);
    QPointer<cuiFlagWindow> w =
        cuiFlagWindow::Open(opener, GTex(), value, 1, 11, FH_Decimal0Z, 1, "", Handler(), &owner, cell, workArea);
    ASSERT_TRUE(w);
    cuiSheet& sheet = *w->Sheet();
    EXPECT_EQ(sheet.Key(), "GI_Sheet_FBitsR");
    EXPECT_EQ(sheet.CellAt(sheet.ColCount() - 1, 0).Text(), "Z");
    EXPECT_EQ(sheet.CellAt(sheet.ColCount() - 3, 0).Text(), "0");
    // Space toggles the current check cell.
    ASSERT_TRUE(sheet.SelectByIdentity(kCategoryNone, CL_FBits, 3));
    sheet.RunOperation(32);
    EXPECT_TRUE(w->Flag(3));
    // A click toggles the clicked check cell.
    int col = -1;
    for (int c = 0; c < sheet.ColCount(); ++c)
        if (sheet.CellAt(c, 1).label == CL_FBits && sheet.CellAt(c, 1).index == 5) col = c;
    ASSERT_GE(col, 0);
    const QPoint at = sheet.Grid()->CellRect(col, 1).center();
    QTest::mouseClick(sheet.Grid()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(w->Flag(5));
    QTest::mouseClick(sheet.Grid()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_FALSE(w->Flag(5));
    w->OkButton()->click();
    Settle();
    EXPECT_EQ(answers, std::vector<std::string>{std::to_string(value | FlagWindowBit(3))});
    // Cancel leaves the value.
    w = cuiFlagWindow::Open(opener, GTex(), value, 1, 11, FH_Decimal0Z, 0, "", Handler(), &owner, cell, workArea);
    w->Toggle(1);
    w->CancelButton()->click();
    Settle();
    EXPECT_EQ(answers.size(), 1u);
}

TEST_F(EditWindows, AtMostThreeGpsSentences) {
    const uint32_t rmcGgaGsa = FlagWindowBit(1) | FlagWindowBit(2) | FlagWindowBit(4);
    QPointer<cuiFlagWindow> w =
        cuiFlagWindow::Open(opener, GTex(), rmcGgaGsa, 1, 5, FH_GpsSentence, 1, "", Handler(), &owner, cell, workArea);
    ASSERT_TRUE(w);
    cuiSheet& sheet = *w->Sheet();
    EXPECT_EQ(sheet.CellAt(1, 0).Text(), "RMC");
    EXPECT_TRUE(w->OkButton()->isEnabled());
    w->Toggle(5);  // VTG: four sentences
    EXPECT_FALSE(w->OkButton()->isEnabled());
    // Every check cell carries the error mark.
    int checks = 0;
    for (int c = 0; c < sheet.ColCount(); ++c) {
        cmcCellObj& cell = sheet.CellAt(c, 1);
        if (cell.label != CL_FBits) continue;
        cmcCellRequest req;
        req.cell = &cell;
        w->HandleCell(req);
        EXPECT_TRUE(req.resultFlags & CRF_Error) << cell.index;
        ++checks;
    }
    EXPECT_EQ(checks, 5);
    w->Toggle(1);
    EXPECT_TRUE(w->OkButton()->isEnabled());
    w->Toggle(1);
    // Leaving the window with four set stores nothing.
    EvMan().Send(EVC_CloseDropDowns);
    Settle();
    EXPECT_TRUE(answers.empty());
    EXPECT_FALSE(w);
}
