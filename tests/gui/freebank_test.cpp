// The dPMR446 free bank, driven as a user drives it: the tree offers it as the fifth bank and a
// click opens it; Bank Operation's layout gives the banks free sizes; Insert from the popup menu
// on the empty bank's row adds a channel, and typing a frequency no fixed channel has puts it in use.
#include "app/cuiGrid.h"
#include "app/cuiTree.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheet.h"
#include "image/cmcImageMap.h"
#include "support/cmcTestSupport.h"
#include "support/cuiTestProgram.h"

#pragma push_macro("slots")
#undef slots
#include "image/datCh.h"
#pragma pop_macro("slots")

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace qx;
using test::Program;

namespace {

const std::string kFreeBankNode = "[St_ChBank]GI_Sheet_Mch_DPmr446,Bank 4";

// Clicks a node of the tree and lets the change delay pass until its sheet is shown.
cuiSheet* ClickNode(Program& p, const std::string& name) {
    QTreeWidget* tree = p.Tree().Control();
    QTreeWidgetItem* node = p.Tree().FindNode(name);
    if (!node) return nullptr;
    for (QTreeWidgetItem* up = node->parent(); up; up = up->parent()) up->setExpanded(true);
    tree->scrollToItem(node);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
    for (int i = 0; i < 10 && (!p.main->Sheets().Current() || p.main->Sheets().Current()->Name() != name); ++i)
        p.Step(100);
    cuiSheet* sheet = p.main->Sheets().Current();
    return sheet && sheet->Name() == name ? sheet : nullptr;
}

void ClickCell(cuiSheet& sheet, int col, int row) {
    QTest::mouseClick(sheet.Grid()->viewport(), Qt::LeftButton, {}, sheet.Grid()->CellRect(col, row).center());
}

}  // namespace

TEST(FreeBank, OpenedFromTheTreeGivenRoomByTheLayoutAndFilledByHand) {
    Program p([](indEnviron& e) { e.ModelType = kModelDPmr446; });
    p.form->resize(1100, 700);
    p.form->show();
    QApplication::setActiveWindow(p.form.get());
    uint8_t* image = p.main->Model().WorkingImage().Data();
    ASSERT_EQ(datBankSize(image, 0), 64);  // the blank image: one bank of 64 channels

    // The tree offers five banks; the fifth says it is the free bank, and a click opens its sheet.
    QTreeWidgetItem* free = p.Tree().FindNode(kFreeBankNode);
    ASSERT_NE(free, nullptr);
    EXPECT_EQ(cuiTree::Caption(free), "Bank 5 (free)");
    cuiSheet* sheet = ClickNode(p, kFreeBankNode);
    ASSERT_NE(sheet, nullptr);
    auto* bank = dynamic_cast<iuiSh_ChBank*>(sheet);
    ASSERT_NE(bank, nullptr);
    EXPECT_EQ(bank->Bank().Bank(), map::kFreeBank);

    // Bank Operation: a click on the layout and Space give the banks free sizes.
    sheet = ClickNode(p, "GI_Sheet_Mch_BankOp");
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(sheet->SelectByIdentity(CT_Null, CL_Bank_SelBankFree, 0));
    const int layoutCol = sheet->Col(), layoutRow = sheet->Row();
    ASSERT_TRUE(sheet->SelectByIdentity(CT_BankOp, CL_Mch_BankText, 0));
    ClickCell(*sheet, layoutCol, layoutRow);
    ASSERT_EQ(sheet->CurrentCell().label, CL_Bank_SelBankFree);
    QTest::keyClick(sheet->Grid(), Qt::Key_Space);
    p.Step(50);
    EXPECT_EQ(datChannelTotal(image), 8);
    EXPECT_EQ(datBankSize(image, map::kFreeBank), 0);

    // The free bank's sheet keeps one row for its first channel; Insert from its popup menu.
    sheet = ClickNode(p, kFreeBankNode);
    ASSERT_NE(sheet, nullptr);
    const int group = dynamic_cast<iuiSh_ChBank*>(sheet)->Bank().GroupRow();
    ASSERT_TRUE(sheet->SelectByIdentity(CT_Mch, CL_Mch_FreqR, 8));
    const int freqCol = sheet->Col();
    ASSERT_EQ(sheet->Row(), group);
    sheet->Grid()->setFocus();
    QTest::keyClick(sheet->Grid(), Qt::Key_Menu);
    p.Step(0);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* insert = nullptr;
    for (QAction* a : menu->actions())
        if (a->text().remove('&') == "Insert") insert = a;
    ASSERT_TRUE(insert && insert->isEnabled());
    for (int i = 0; i < menu->actions().size() && menu->activeAction() != insert; ++i) QTest::keyClick(menu, Qt::Key_Down);
    ASSERT_EQ(menu->activeAction(), insert);
    QTest::keyClick(menu, Qt::Key_Return);
    p.Step(50);
    EXPECT_EQ(datBankSize(image, map::kFreeBank), 1);
    EXPECT_EQ(datBankOfChannel(image, 8), map::kFreeBank);

    // A frequency typed into the new row: 446.5 MHz is no fixed channel, and the free bank takes it.
    sheet = p.main->Sheets().Current();
    ASSERT_TRUE(sheet->SelectCell(freqCol, group));
    EXPECT_EQ(sheet->CurrentCell().index, 8);
    sheet->Grid()->setFocus();
    QTest::keyClicks(sheet->Grid(), "4");
    ASSERT_TRUE(sheet->EditorShowing());
    QTest::keyClicks(sheet->Editor(), "46.5");
    QTest::keyClick(sheet->Editor(), Qt::Key_Return);
    p.Step(50);
    datCh ch(image);
    ch.Load(KIND_ChDPmr446, 8);
    EXPECT_TRUE(ch.inUse);
    EXPECT_EQ(ch.rxFreq, 446500000u);
    EXPECT_EQ(ch.txFreq, 446500000u);
    EXPECT_TRUE(test::Messages().messages().empty());
}
