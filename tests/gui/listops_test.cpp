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
#include "defs/cuiMenu.h"
#include "defs/cuiSheet.h"
#include "support/cmcTestSupport.h"
#include "support/cuiTestProgram.h"

#pragma push_macro("slots")
#undef slots
#include "image/datCh.h"
#pragma pop_macro("slots")

#include <QAction>
#include <QMenu>

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
        uint8_t* image = p_->main->WorkingImage().Data();
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
    uint8_t* Image() { return p_->main->WorkingImage().Data(); }
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
