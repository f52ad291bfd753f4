// List operations on a channel sheet of the program: the popup menu and the Edit menu run them on
// the rows selected in the grid, the entries follow the enable rules, the status bar shows their
// texts, the grid selects and moves as they say, and delete and insert change the bank's rows
// through the main window's bank bookkeeping.
#include "app/Frmmain.h"
#include "app/cuiGrid.h"
#include "app/cuiMain.h"
#include "cells/cmcListOps.h"
#include "comm/indEnviron.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "app/cuiMenu.h"
#include "app/cuiSheet.h"
#include "support/cmcTestSupport.h"
#include "support/cuiTestProgram.h"

#pragma push_macro("slots")
#undef slots
#include "image/datCh.h"
#pragma pop_macro("slots")

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace qx;

namespace {

using test::Program;

QAction* Entry(QMenu* menu, const char* text) {
    if (!menu) return nullptr;
    for (QAction* a : menu->actions())
        if (a->text().remove('&') == text) return a;
    return nullptr;
}

class ChannelSheet : public ::testing::Test {
protected:
    void SetUp() override {
        ProgramClipboard().Clear();
        p_ = std::make_unique<Program>([](indEnviron& e) { e.ModelType = kModelPmr; });
        uint8_t* image = p_->main->Model().WorkingImage().Data();
        datSetBankSize(image, 0, 6);
        datSetBankSize(image, 1, 4);
        for (int b = 2; b < map::kBankCount; ++b) datSetBankSize(image, b, 0);
        for (int n = 0; n < 4; ++n) SetRx(n, 446006250 + 12500 * static_cast<uint32_t>(n));
        p_->main->ShowSheet("[St_ChBank]GI_Sheet_Mch_Pmr,Bank 0");
        p_->Step(0);
        ASSERT_NE(Sheet(), nullptr);
        test::Messages().Clear();
    }
    cuiSheet* Sheet() { return p_->main->Sheets().Current(); }
    uint8_t* Image() { return p_->main->Model().WorkingImage().Data(); }
    uint32_t Rx(int n) {
        datCh ch(Image());
        ch.Load(KIND_ChPmr, n);
        return ch.rxFreq;
    }
    void SetRx(int n, uint32_t rx) {
        datCh ch(Image());
        ch.Load(KIND_ChPmr, n);
        ch.rxFreq = ch.txFreq = rx;
        ch.inUse = true;
        ch.Store();
    }
    // Selects the receive frequency cells of rows a..b, the cursor on b.
    void Select(int a, int b) {
        ASSERT_TRUE(Sheet()->SelectByIdentity(CT_Mch, CL_Mch_FreqR, a));
        if (b != a) {
            const int col = Sheet()->Col(), row = Sheet()->Row() + (b - a);
            ASSERT_TRUE(Sheet()->SelectCell(col, row, true));
        }
    }
    QMenu* EditMenu() {
        QAction* edit = p_->main->Menu()->FindByLabel(CL_Menu_Edit_Top);
        return edit ? edit->menu() : nullptr;
    }
    void Trigger(QAction* a) {
        ASSERT_NE(a, nullptr);
        ASSERT_TRUE(a->isEnabled()) << a->text().toStdString();
        a->trigger();
        p_->Step(50);  // posted redraws and status texts
    }

    std::unique_ptr<Program> p_;
};

// The menus driven as a user drives them: real key presses and mouse clicks open the Edit menu
// and the popup menu and pick an entry (opening a menu takes the focus from the grid).
class ByHand {
public:
    explicit ByHand(Program& p) : p_(p) {
        p_.form->resize(1000, 700);
        p_.form->show();
        QApplication::setActiveWindow(p_.form.get());
        p_.form->activateWindow();
        [[maybe_unused]] bool active = QTest::qWaitForWindowActive(p_.form.get());
        Grid()->setFocus();
        p_.Step(0);
    }
    cuiSheet* Sheet() { return p_.main->Sheets().Current(); }
    cuiGrid* Grid() { return Sheet()->Grid(); }
    QMenu* OpenMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

    enum Way { Keys, Mouse };
    // Opens the Edit menu (Alt+E, or a click on its title) and picks `entry` (arrow keys and
    // Enter, or a click).
    void FromEditMenu(const char* entry, Way way) {
        QMenuBar* bar = p_.form->menuBar();
        QAction* edit = p_.main->Menu()->FindByLabel(CL_Menu_Edit_Top);
        ASSERT_NE(edit, nullptr);
        if (way == Keys)
            QTest::keyClick(p_.form.get(), Qt::Key_E, Qt::AltModifier);
        else
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(edit).center());
        p_.Step(0);
        Pick(entry, way);
    }
    // Opens the popup menu of the current cell (a right click on it, or the Menu key) and picks
    // `entry`.
    void FromPopupMenu(const char* entry, Way way) {
        if (way == Keys) {
            QTest::keyClick(Grid(), Qt::Key_Menu);
        } else {
            const QRect cell = Grid()->CellRect(Sheet()->Col(), Sheet()->Row());
            QTest::mouseClick(Grid()->viewport(), Qt::RightButton, {}, cell.center());
        }
        p_.Step(0);
        Pick(entry, way);
    }

private:
    void Pick(const char* entry, Way way) {
        QMenu* menu = OpenMenu();
        ASSERT_NE(menu, nullptr) << "no menu opened";
        QAction* target = Entry(menu, entry);
        ASSERT_NE(target, nullptr) << entry;
        ASSERT_TRUE(target->isEnabled()) << entry;
        if (way == Keys) {
            for (int i = 0; i < menu->actions().size() && menu->activeAction() != target; ++i)
                QTest::keyClick(menu, Qt::Key_Down);
            ASSERT_EQ(menu->activeAction(), target) << entry;
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(target).center());
        }
        p_.Step(50);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
    Program& p_;
};

std::string WayName(const ::testing::TestParamInfo<ByHand::Way>& info) {
    return info.param == ByHand::Keys ? "Keys" : "Mouse";
}

// Every list command of a channel row, picked from the Edit menu and from the popup menu.
class ChannelSheetByHand : public ChannelSheet, public ::testing::WithParamInterface<ByHand::Way> {};

TEST_P(ChannelSheetByHand, MenuEntriesRunOnTheRows) {
    const ByHand::Way way = GetParam();
    ByHand hand(*p_);
    const uint32_t a = Rx(0), b = Rx(1), c = Rx(2);

    Select(0, 1);
    hand.FromEditMenu("Copy", way);
    EXPECT_EQ(ProgramClipboard().Count(), 2);
    Select(4, 4);
    hand.FromPopupMenu("Paste", way);
    EXPECT_EQ(Rx(4), a);
    EXPECT_EQ(Rx(5), b);

    // Clear asks even for a row in use; the default answer is OK.
    Select(5, 5);
    hand.FromEditMenu("Clear", way);
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    EXPECT_EQ(test::Messages().messages()[0].text, GTex().SectionText("GI_AppMess_Conv_Clear"));
    EXPECT_EQ(Rx(5), 0u);

    Select(0, 0);
    hand.FromPopupMenu("Delete", way);
    EXPECT_EQ(datBankSize(Image(), 0), 5);
    EXPECT_EQ(Rx(0), b);

    Select(1, 1);
    hand.FromEditMenu("Insert", way);
    EXPECT_EQ(datBankSize(Image(), 0), 6);
    EXPECT_EQ(Rx(1), 0u);
    EXPECT_EQ(Rx(2), c);
    EXPECT_EQ(p_->main->StatusText(), GTex().FirstLine("GI_AppMess_S_Insert"));
}

INSTANTIATE_TEST_SUITE_P(Ways, ChannelSheetByHand, ::testing::Values(ByHand::Keys, ByHand::Mouse), WayName);

// The DTMF list: its rows copy, paste and carry from both menus.
class DtmfSheetByHand : public ::testing::TestWithParam<ByHand::Way> {
protected:
    void SetUp() override {
        ProgramClipboard().Clear();
        p_ = std::make_unique<Program>([](indEnviron& e) { e.ModelType = kModelPmr; });
        SetName(0, "ALPHA");
        SetName(1, "BRAVO");
        p_->main->ShowSheet("GI_Sheet_Dtmf");
        p_->Step(0);
        ASSERT_NE(p_->main->Sheets().Current(), nullptr);
        test::Messages().Clear();
    }
    std::string Name(int n) {
        datCh r(p_->main->Model().WorkingImage().Data());
        r.Load(KIND_Dtmf, n);
        std::string t(reinterpret_cast<const char*>(r.text), 8);
        return t.substr(0, t.find_last_not_of(' ') + 1);
    }
    void SetName(int n, const std::string& name) {
        datCh r(p_->main->Model().WorkingImage().Data());
        r.Load(KIND_Dtmf, n);
        std::fill(std::begin(r.text), std::begin(r.text) + 8, ' ');
        std::copy(name.begin(), name.end(), r.text);
        r.Store();
    }
    void SelectRow(int n) {
        ASSERT_TRUE(p_->main->Sheets().Current()->SelectByIdentity(CT_DTMF, CL_Dtmf_Text, n));
    }
    std::unique_ptr<Program> p_;
};

TEST_P(DtmfSheetByHand, MenuEntriesRunOnTheRows) {
    const ByHand::Way way = GetParam();
    ByHand hand(*p_);
    SelectRow(0);
    hand.FromPopupMenu("Copy", way);
    EXPECT_EQ(ProgramClipboard().Count(), 1);
    SelectRow(5);
    hand.FromEditMenu("Paste", way);
    EXPECT_EQ(Name(5), "ALPHA");
    SelectRow(0);
    hand.FromEditMenu("Carry down", way);
    EXPECT_EQ(Name(0), "BRAVO");
    EXPECT_EQ(Name(1), "ALPHA");
    SelectRow(1);
    hand.FromPopupMenu("Carry up", way);
    EXPECT_EQ(Name(0), "ALPHA");
    EXPECT_EQ(Name(1), "BRAVO");
}

INSTANTIATE_TEST_SUITE_P(Ways, DtmfSheetByHand, ::testing::Values(ByHand::Keys, ByHand::Mouse), WayName);

// The popup menu's entries leave the Edit menu once the focus goes from the menu bar to another
// part of the window, and come back with the focus.
TEST_F(ChannelSheet, EditMenuEntriesFollowTheFocusPastTheMenuBar) {
    ByHand hand(*p_);
    ASSERT_NE(Entry(EditMenu(), "Copy"), nullptr);
    // Alt alone takes the focus to the menu bar.
    QTest::keyClick(hand.Grid(), Qt::Key_Alt);
    p_->Step(0);
    ASSERT_EQ(QApplication::focusWidget(), p_->form->menuBar());
    EXPECT_NE(Entry(EditMenu(), "Copy"), nullptr);
    p_->Tree().Control()->setFocus();
    p_->Step(0);
    EXPECT_EQ(Entry(EditMenu(), "Copy"), nullptr);
    hand.Grid()->setFocus();
    p_->Step(0);
    EXPECT_NE(Entry(EditMenu(), "Copy"), nullptr);
}

// In the one bank of 64 channels, Insert from the popup menu opens a row within the bank: the
// sheet keeps its 64 rows, the cursor stays on the new row and the layout cell still names it.
TEST(OneBankSheet, InsertOpensARowWithinTheBank) {
    ProgramClipboard().Clear();
    Program p([](indEnviron& e) { e.ModelType = kModelPmr; });
    uint8_t* image = p.main->Model().WorkingImage().Data();
    for (int b = 0; b < map::kBankCount; ++b) datSetBankSize(image, b, b == 0 ? 64 : 0);
    for (int n = 0; n < 9; ++n) {
        datCh ch(image);
        ch.Load(KIND_ChPmr, n);
        ch.rxFreq = ch.txFreq = 446006250 + 12500 * static_cast<uint32_t>(n);
        ch.inUse = true;
        ch.Store();
    }
    p.main->ShowSheet("[St_ChBank]GI_Sheet_Mch_Pmr,Bank 0");
    p.Step(0);
    test::Messages().Clear();
    ByHand hand(p);
    const int rows = hand.Grid()->RowCount();
    ASSERT_TRUE(hand.Sheet()->SelectByIdentity(CT_Mch, CL_Mch_FreqR, 3));
    hand.FromPopupMenu("Insert", ByHand::Keys);
    EXPECT_TRUE(test::Messages().messages().empty());
    EXPECT_EQ(datBankSize(image, 0), 64);
    EXPECT_EQ(hand.Grid()->RowCount(), rows);
    EXPECT_EQ(hand.Sheet()->CurrentCell().index, 3);
    datCh ch(image);
    ch.Load(KIND_ChPmr, 3);
    EXPECT_FALSE(ch.inUse);
    EXPECT_EQ(datBanksInUse(image), 9);
    EXPECT_EQ(p.main->StatusText(), GTex().FirstLine("GI_AppMess_S_Insert"));
}

TEST_F(ChannelSheet, PopupAndEditMenuCopyPasteCarry) {
    Select(0, 1);
    EXPECT_TRUE(Sheet()->MultiSelectionShown());
    // Paste is offered only once the clipboard holds channels of this model.
    EXPECT_FALSE(Entry(Sheet()->PopupMenu(), "Paste")->isEnabled());
    Trigger(Entry(Sheet()->PopupMenu(), "Copy"));
    EXPECT_EQ(ProgramClipboard().Count(), 2);
    EXPECT_EQ(p_->main->StatusText(), GTex().FirstLine("GI_AppMess_S_Copy"));
    EXPECT_TRUE(Sheet()->MultiSelectionShown());

    // The Edit menu mirrors the popup menu with its shortcuts.
    Select(4, 4);
    QAction* paste = Entry(EditMenu(), "Paste");
    ASSERT_NE(paste, nullptr);
    EXPECT_EQ(paste->shortcut(), QKeySequence("Ctrl+V"));
    Trigger(paste);
    EXPECT_EQ(Rx(4), Rx(0));
    EXPECT_EQ(Rx(5), Rx(1));
    EXPECT_TRUE(test::Messages().messages().empty());  // empty rows: no question
    EXPECT_EQ(p_->main->StatusText(), GTex().FirstLine("GI_AppMess_S_Paste"));

    // The bank's last row cannot go down; carry up moves the block and the cursor with it.
    Select(4, 5);
    EXPECT_FALSE(Entry(Sheet()->PopupMenu(), "Carry down")->isEnabled());
    const uint32_t r3 = Rx(3);
    Trigger(Entry(Sheet()->PopupMenu(), "Carry up"));
    EXPECT_EQ(Rx(3), Rx(0));
    EXPECT_EQ(Rx(5), r3);
    EXPECT_EQ(Sheet()->CurrentCell().index, 3);
    EXPECT_EQ(Sheet()->CurrentCell().label, CL_Mch_FreqR);
    EXPECT_TRUE(Sheet()->MultiSelectionShown());
}

TEST_F(ChannelSheet, DeleteAndInsertChangeTheBanksRows) {
    const int rows = Sheet()->Grid()->RowCount();
    const uint32_t r2 = Rx(2);
    Select(0, 1);
    Trigger(Entry(Sheet()->PopupMenu(), "Delete"));
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    EXPECT_EQ(test::Messages().messages()[0].text, GTex().SectionText("GI_AppMess_Conv_Delete"));
    EXPECT_EQ(test::Messages().messages()[0].icon, cmcMsgIcon::Warning);
    EXPECT_EQ(datBankSize(Image(), 0), 4);
    EXPECT_EQ(datBankSize(Image(), 1), 4);
    EXPECT_EQ(Rx(0), r2);
    EXPECT_EQ(Sheet()->Grid()->RowCount(), rows - 2);
    EXPECT_EQ(p_->main->StatusText(), GTex().FirstLine("GI_AppMess_S_Delete"));

    Select(1, 1);
    Trigger(Entry(EditMenu(), "Insert"));
    EXPECT_EQ(datBankSize(Image(), 0), 5);
    EXPECT_EQ(Rx(1), 0u);
    EXPECT_EQ(Rx(2), r2 + 12500);
    EXPECT_EQ(Sheet()->Grid()->RowCount(), rows - 1);
    EXPECT_EQ(p_->main->StatusText(), GTex().FirstLine("GI_AppMess_S_Insert"));

    // Clear asks even for the empty row; Cancel keeps it as it is.
    test::Messages().Clear();
    test::Messages().QueueAnswer(MB_Cancel);
    Select(2, 2);
    Trigger(Entry(Sheet()->PopupMenu(), "Clear"));
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    EXPECT_EQ(test::Messages().messages()[0].text, GTex().SectionText("GI_AppMess_Conv_Clear"));
    EXPECT_EQ(Rx(2), r2 + 12500);
}

}  // namespace
