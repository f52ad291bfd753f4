// The program's cell views: a tone cell on a sheet opens its chooser chain as drop-down sheets of
// the definition file, each positioned on the current value, and picks reach the cell's editor.
// The record codec's header first: it names a field "slots", which Qt's headers define away.
#include "cells/cmcEditors.h"

#include "app/cuiCellViews.h"
#include "app/cuiDropDown.h"
#include "app/cuiGrid.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheet.h"
#include "support/cmcTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

using namespace qx;

namespace {

void Settle() {
    for (int i = 0; i < 4; ++i) QApplication::processEvents();
}

struct CellViewsFixture : ::testing::Test {
    cmcScopedEvMan evman;
    cmcGTex mainStore;  // the definition file: selection sheets, cell models
    cmcFCache lists;
    std::optional<cmcScopedEditorLists> listsScope;
    // The sheet that holds the tone cell, with its popup menu.
    std::vector<std::string> lines = {"#GI_Sheet_T_Style", "", "#GI_Sheet_T_BasicCell",
                                      "{($Basic)(PopupMenu=GI_PMenu_NoItem)}", "#GI_Sheet_T_Cells",
                                      "{SWH(%CT_CTone.CL_CTone_RX[0])}\\_\\_\\_\\_\\_\\_\\_\\_", "#",
                                      "#GI_PMenu_NoItem_BasicCell", "{($Basic)}", "#GI_PMenu_NoItem_Body",
                                      "+No item\t{(%CT_PopupMenu.CL_PMenu_NoItem)}", "#", "#End_Of_Ovl"};
    cmcGTex sheetStore;
    QWidget owner;
    datTone rx, tx;
    datCh channel;
    bool dpmr446 = false;
    cmcCellHandler handler;
    std::optional<cuiCellViews> views;
    std::optional<cmcScopedCellViews> viewsScope;
    std::unique_ptr<cuiSheet> sheet;

    void SetUp() override {
        ASSERT_TRUE(mainStore.SetFileName(test::BinDir() + "/ZT5531K.OVL"));
        SetGTex(&mainStore);
        listsScope.emplace(&lists);
        sheetStore.SetLineList(&lines);
        rx.enabled = true;
        rx.ctcss = 8;  // 88.5 Hz
        tx = rx;
        // The tone cell runs the tone editor; chooser items show their captions.
        handler = [this](cmcCellRequest& r) -> uint8_t {
            if (r.cell->label == CL_CTone_RX) {
                cmcEditor ed(r);
                ed.Tone(rx, tx, cmcEditMode::Receive, dpmr446);
                return ed.Result();
            }
            if (r.cell->label == CL_Mch_FreqR) {  // a dPMR446 channel: fixed frequencies only
                cmcEditor ed(r);
                ed.Frequency(channel, cmcEditMode::Receive, true);
                return ed.Result();
            }
            r.display = r.cell->Text();
            return 0;
        };
        views.emplace(handler);
        viewsScope.emplace(&*views);
        owner.resize(400, 300);
        owner.show();
        sheet = std::make_unique<cuiSheet>(&owner, nullptr, kLabelNone, 0, sheetStore, "GI_Sheet_T", &owner);
        sheet->SetCellHandler(handler);
        sheet->Build();
    }
    void TearDown() override {
        sheet.reset();
        Settle();
        viewsScope.reset();
        listsScope.reset();
        SetGTex(nullptr);
    }

    // The chooser open now: its sheet key, and the item its current cell stands on.
    cuiDropDown* Chooser() { return views->LastChooser(); }
    const cmcCellObj& ChooserItem() { return Chooser()->Sheet()->CurrentCell(); }
    // Makes the item `index` current in the open chooser and picks it with Enter.
    void Pick(int index) {
        cuiSheet* s = Chooser()->Sheet();
        for (int r = 0; r < s->RowCount(); ++r)
            for (int c = 0; c < s->ColCount(); ++c)
                if (s->CellAt(c, r).Selectable() && s->CellAt(c, r).index == index) {
                    ASSERT_TRUE(s->SelectCell(c, r));
                    QTest::keyClick(s->Grid(), Qt::Key_Return);
                    Settle();
                    return;
                }
        FAIL() << "no item " << index << " in " << Chooser()->Sheet()->Key();
    }
};

}  // namespace

TEST_F(CellViewsFixture, EnterOpensTheToneChooserOnTheCurrentTone) {
    EXPECT_EQ(sheet->RunOperation(13), CER_Opened);
    QPointer<cuiDropDown> w = Chooser();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->Sheet()->Key(), kSelCTone);
    EXPECT_EQ(ChooserItem().label, Flex0);
    EXPECT_EQ(ChooserItem().index, 8);
    EXPECT_TRUE(w->Sheet()->DropDown());

    Pick(12);  // 100.0 Hz
    EXPECT_FALSE(w);  // picked: the window has gone
    EXPECT_TRUE(rx.enabled);
    EXPECT_FALSE(rx.dtcs);
    EXPECT_EQ(rx.ctcss, 12);
    EXPECT_EQ(tx, rx);  // the equal transmit tone followed

    sheet->RunOperation(13);
    ASSERT_TRUE(Chooser());
    QTest::keyClick(Chooser()->Sheet()->Grid(), Qt::Key_Escape);
    Settle();
    EXPECT_FALSE(Chooser());
    EXPECT_EQ(rx.ctcss, 12);  // Esc changes nothing
}

TEST_F(CellViewsFixture, TypedDigitsPickTheMatchingFixedFrequency) {
    lines[5] = "{SWH(%CT_Mch.CL_Mch_FreqR[0])}\\_\\_\\_\\_\\_\\_\\_\\_";
    sheetStore.SetLineList(&lines);
    sheet = std::make_unique<cuiSheet>(&owner, nullptr, kLabelNone, 0, sheetStore, "GI_Sheet_T", &owner);
    sheet->SetCellHandler(handler);
    sheet->Build();
    channel.rxFreq = channel.txFreq = 446006250;
    struct Case {
        const char* typed;
        int item;
        uint32_t hz;
    } cases[] = {
        {"446.1", 8, 446103125},  // the first digit opens the chooser and is the first one matched
        {"446.15", 16, 446153125},
        {"44614", 14, 446140625},  // without the point
        {"4469", 0, 446006250},    // no item goes on with 9 (nor starts with it): "446" stays picked
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        sheet->Grid()->setFocus();
        QTest::keyClick(sheet->Grid(), c.typed[0]);
        ASSERT_TRUE(Chooser());
        EXPECT_EQ(Chooser()->Sheet()->Key(), kSelFixedFreq);
        QTest::keyClicks(Chooser()->Sheet()->Grid(), QString(c.typed + 1));
        EXPECT_EQ(ChooserItem().index, c.item);
        QTest::keyClick(Chooser()->Sheet()->Grid(), Qt::Key_Return);
        Settle();
        EXPECT_FALSE(Chooser());
        EXPECT_EQ(channel.rxFreq, c.hz);
    }
}

TEST_F(CellViewsFixture, Dpmr446ChainGoesThroughTheDtcsAndPolarityChoosers) {
    dpmr446 = true;
    sheet->RunOperation(13);
    Pick(kToneItemDtcs);
    ASSERT_TRUE(Chooser());
    EXPECT_EQ(Chooser()->Sheet()->Key(), kSelDtcs);
    EXPECT_EQ(ChooserItem().label, Flex1);
    EXPECT_EQ(ChooserItem().index, 0);

    Pick(2);  // the third listed code: 026
    EXPECT_TRUE(rx.dtcs);
    EXPECT_EQ(rx.dtcsCode, 026);
    ASSERT_TRUE(Chooser());
    EXPECT_EQ(Chooser()->Sheet()->Key(), kSelDtcsInv);
    EXPECT_EQ(ChooserItem().index, 0);

    Pick(1);
    EXPECT_TRUE(rx.inverted);
    EXPECT_FALSE(Chooser());
    EXPECT_EQ(tx, rx);
}

TEST_F(CellViewsFixture, DtcsItemStartsTheInPlaceEditorOnTheCell) {
    sheet->RunOperation(13);
    Pick(kToneItemDtcs);
    EXPECT_FALSE(Chooser());
    ASSERT_TRUE(sheet->EditorShowing());
    EXPECT_EQ(sheet->Editor()->text().toStdString(), "");
    sheet->Editor()->setText("023I");
    sheet->CommitEditor();
    Settle();
    EXPECT_TRUE(rx.dtcs);
    EXPECT_TRUE(rx.inverted);
    EXPECT_EQ(rx.dtcsCode, 023);
}
