// The user characters, from the topic tree to a channel name: the topic is opened by a click in the
// tree, a character is edited segment by segment in the character editor, and a name that uses the
// character's code draws the new pattern.
#include "app/cuiCellViews.h"
#include "app/cuiCharEditor.h"
#include "app/cuiGrid.h"
#include "app/cuiTree.h"
#include "cells/cmcDispText.h"
#include "app/cuiSheet.h"
#include "image/cmcImageMap.h"
#include "support/cuiTestProgram.h"

#pragma push_macro("slots")
#undef slots
#include "image/datCh.h"
#pragma pop_macro("slots")

#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace qx;
using test::Program;

namespace {

int UserPattern(Program& p, int n) {
    const uint8_t* at = p.main->Model().WorkingImage().Data() + map::kUserCharTable + 2 * n;
    return (at[0] << 8) | at[1];
}

// The pixels of a sheet cell as the grid draws them now.
QImage CellPixels(cuiSheet& sheet, int col, int row) {
    cuiGrid* grid = sheet.Grid();
    grid->viewport()->repaint();
    return grid->viewport()->grab(grid->CellRect(col, row)).toImage();
}

// Where a click lights segment `i` of the editor's drawing area: the middle of its first triangle.
QPoint SegmentPoint(int i) {
    const cmcSegChar& g = DisplayGeometry();
    const cmcSegTriangle& t = g.Segments()[static_cast<size_t>(i)].triangles[0];
    const cmcSegPoint mid =
        cmcSegEditorMap(g).ToArea({(t.p[0].x + t.p[1].x + t.p[2].x) / 3, (t.p[0].y + t.p[1].y + t.p[2].y) / 3});
    return {mid.x, mid.y};
}

cuiCharEditor* OpenEditor() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* e = qobject_cast<cuiCharEditor*>(w); e && e->isVisible()) return e;
    return nullptr;
}

}  // namespace

TEST(UserCharacters, TheTopicIsInTheTreeOfEveryModelType) {
    for (int model = 0; model < 4; ++model) {
        Program p([model](indEnviron& e) { e.ModelType = model; });
        EXPECT_NE(p.Tree().FindNode("GI_Sheet_UserChar"), nullptr) << model;
    }
}

TEST(UserCharacters, EditedInTheCharacterEditorAndDrawnInANameAtOnce) {
    // The windows of the cell editors, as the program installs them.
    cuiCellViews views;
    cmcScopedCellViews useViews(&views);
    Program p([](indEnviron& e) { e.ModelType = 1; });
    p.form->resize(1000, 700);
    p.form->show();
    QApplication::setActiveWindow(p.form.get());

    // Channel 1 is named "A" followed by user character 0, which starts blank.
    uint8_t* image = p.main->Model().WorkingImage().Data();
    for (int b = 0; b < 5; ++b) datSetBankSize(image, b, b == 0 ? 1 : 0);
    datCh rec(image);
    rec.Load(KIND_ChPmr, 0);
    rec.rxFreq = rec.txFreq = 446006250;
    rec.inUse = true;
    std::fill(std::begin(rec.text), std::end(rec.text), uint8_t(' '));
    rec.text[0] = 'A';
    rec.text[1] = static_cast<uint8_t>(kUserCharFirst);
    rec.Store(KIND_ChPmr, 0);
    ASSERT_EQ(UserPattern(p, 0), 0);

    const std::string bank = "[St_ChBank]GI_Sheet_Mch_Pmr,Bank 0";
    p.main->Sheets().OpenSheet(bank);
    cuiSheet* channels = p.main->Sheets().Current();
    ASSERT_TRUE(channels && channels->SelectByIdentity(CT_Mch, CL_Mch_Text, 0));
    const int nameCol = channels->Col(), nameRow = channels->Row();
    ASSERT_TRUE(channels->SelectCell(nameCol + 1, nameRow));  // the name is drawn unselected
    const QImage nameBefore = CellPixels(*channels, nameCol, nameRow);

    // A click on the topic in the tree opens its sheet.
    QTreeWidget* tree = p.Tree().Control();
    QTreeWidgetItem* node = p.Tree().FindNode("GI_Sheet_UserChar");
    ASSERT_NE(node, nullptr);
    tree->scrollToItem(node);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
    for (int i = 0; i < 5 && p.main->Sheets().Current()->Key() != "GI_Sheet_UserChar"; ++i) p.Step(100);
    cuiSheet* sheet = p.main->Sheets().Current();
    ASSERT_EQ(sheet->Key(), "GI_Sheet_UserChar");

    // Click the first character, press Enter: the character editor opens on its pattern.
    ASSERT_TRUE(sheet->SelectByIdentity(CT_CEdit, CL_CEdit, 0));
    const int col = sheet->Col(), row = sheet->Row();
    ASSERT_TRUE(sheet->SelectCell(col, row + 1));  // the click below selects it again
    const QImage cellBefore = CellPixels(*sheet, col, row);
    QTest::mouseClick(sheet->Grid()->viewport(), Qt::LeftButton, {}, sheet->Grid()->CellRect(col, row).center());
    ASSERT_EQ(sheet->Col(), col);
    QTest::keyClick(sheet->Grid(), Qt::Key_Return);
    p.Step(0);
    QPointer<cuiCharEditor> editor = OpenEditor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->Pattern(), 0);

    // Clicking the top and the bottom segment lights them (bits 13 and 10); Esc would keep the old
    // pattern, OK hands the new one to the cell.
    QTest::mouseClick(editor->Area(), Qt::LeftButton, {}, SegmentPoint(1));
    QTest::mouseClick(editor->Area(), Qt::LeftButton, {}, SegmentPoint(4));
    EXPECT_EQ(editor->Pattern(), 0x2400);
    QTest::mouseClick(editor->OkButton(), Qt::LeftButton);
    p.Step(0);
    EXPECT_FALSE(editor);
    EXPECT_EQ(UserPattern(p, 0), 0x2400);
    ASSERT_TRUE(sheet->SelectCell(col, row + 1));
    EXPECT_NE(CellPixels(*sheet, col, row), cellBefore);

    // The name that uses the character draws its new segments.
    p.main->Sheets().OpenSheet(bank);
    channels = p.main->Sheets().Current();
    ASSERT_TRUE(channels->SelectCell(nameCol + 1, nameRow));
    EXPECT_NE(CellPixels(*channels, nameCol, nameRow), nameBefore);

    // Enter then Esc leaves the pattern as it is.
    p.main->Sheets().OpenSheet("GI_Sheet_UserChar");
    sheet = p.main->Sheets().Current();
    ASSERT_TRUE(sheet->SelectByIdentity(CT_CEdit, CL_CEdit, 0));
    QTest::keyClick(sheet->Grid(), Qt::Key_Return);
    p.Step(0);
    editor = OpenEditor();
    ASSERT_TRUE(editor);
    QTest::mouseClick(editor->Area(), Qt::LeftButton, {}, SegmentPoint(1));
    QTest::keyClick(editor, Qt::Key_Escape);
    p.Step(0);
    EXPECT_FALSE(editor);
    EXPECT_EQ(UserPattern(p, 0), 0x2400);
}
