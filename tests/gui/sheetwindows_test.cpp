// Sheet windows: drop-down placement and sizing, its closing rules, and the information dialog.
#include "app/cuiDropDown.h"
#include "app/cuiGrid.h"
#include "app/cuiInformation.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheet.h"
#include "support/cmcTestSupport.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace qx;

namespace {

struct Defs {
    std::vector<std::string> lines;
    cmcGTex store;
    explicit Defs(int rows, const std::string& cell = "{SWH(%Flex0[@ch0])(@ch0++)}Item \\(@ch0)") {
        lines = {"#GI_Sheet_D_Style", "", "#GI_Sheet_D_BasicCell", "{($Basic)}", "#GI_Sheet_D_Cells"};
        for (int i = 0; i < rows; ++i) lines.push_back(cell);
        for (const char* l : {"#", "#CellModel_Basic", "<-(Color=clWindow)(Font=DEFAULT_CHARSET,,clWindowText,-13,,,)",
                              "#GI_AppInd_Button_OkCancel", "OK", "Cancel", "#End_Of_Ovl"})
            lines.push_back(l);
        store.SetLineList(&lines);
        SetGTex(&store);
    }
    ~Defs() { SetGTex(nullptr); }
};

void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

}  // namespace

TEST(DropDownPlace, BelowAboveOrAtTheBottomAndShiftedLeftAtTheRightEdge) {
    const QRect wa(0, 0, 1000, 800);  // L 0, T 0, R 1000, B 800
    struct Case {
        QRect cell;
        QSize window;
        QPoint expect;
        const char* what;
    };
    const Case cases[] = {
        {{100, 100, 80, 20}, {200, 300}, {108, 120}, "fits below, 8 pixels right of the cell"},
        {{100, 700, 80, 20}, {200, 300}, {108, 400}, "near the bottom: above the cell"},
        {{100, 200, 80, 20}, {200, 700}, {108, 100}, "fits neither below nor above: bottom on the work area's bottom"},
        {{900, 100, 80, 20}, {200, 300}, {800, 120}, "near the right edge: right edge on the work area's edge"},
        {{900, 200, 80, 20}, {200, 700}, {700, 100}, "neither below nor above and no room right: left of the cell"},
        {{150, 200, 80, 20}, {900, 700}, {100, 100}, "too wide for the room left of the cell: at the right edge"},
    };
    for (const Case& c : cases) EXPECT_EQ(cuiDropDownPlace(c.cell, c.window, wa), c.expect) << c.what;
}

TEST(InformationPlace, CentredOverTheOwnerAndKeptInTheWorkArea) {
    const QRect wa(0, 0, 1000, 800);
    EXPECT_EQ(cuiCenterOver(QRect(100, 100, 401, 301), QSize(200, 100), wa), QPoint(200, 200));
    EXPECT_EQ(cuiCenterOver(QRect(900, 700, 100, 100), QSize(300, 200), wa), QPoint(700, 600));
    EXPECT_EQ(cuiCenterOver(QRect(-50, -50, 100, 100), QSize(300, 200), wa), QPoint(0, 0));
    EXPECT_EQ(cuiCenterOver(QRect(0, 0, 100, 100), QSize(1200, 900), wa), QPoint(0, 0));  // left wins
}

namespace {

struct DropDownFixture : ::testing::Test {
    cmcScopedEvMan evman;
    QWidget owner;
    std::vector<int> openerCalls;  // actions on the opening cell
    cmcCellObj openerCell;
    cmcCellRequest opener;
    void SetUp() override {
        owner.resize(300, 200);
        owner.show();
        openerCell.label = CL_Mch_Nar;
        opener.cell = &openerCell;
    }
    cuiDropDown* Open(Defs& d, QRect workArea = QRect(0, 0, 1000, 800)) {
        cmcCellHandler h = [this](cmcCellRequest& r) -> uint8_t {
            if (r.cell == &openerCell) openerCalls.push_back(r.resultKind);
            r.display = r.cell->Text();
            return 0;
        };
        return cuiDropDown::Open(opener, d.store, "GI_Sheet_D", 7, h, &owner, QRect(100, 100, 80, 20), workArea);
    }
};

}  // namespace

TEST_F(DropDownFixture, SizedToTheSheetAndPlacedAtTheCell) {
    Defs d(5);
    QPointer<cuiDropDown> w = Open(d);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->size(), QSize(w->Sheet()->FullWidth(), w->Sheet()->FullHeight()));
    EXPECT_EQ(w->pos(), QPoint(108, 120));
    EXPECT_EQ(w->Sheet()->Grid()->ScrollBars(), cuiGridScrollBars::None);
    EXPECT_TRUE(w->Sheet()->DropDown());
    EXPECT_EQ(w->Tag(), 7);
    w->Release();
    Settle();
    EXPECT_FALSE(w);
}

TEST_F(DropDownFixture, LargerThanTheWorkAreaGetsScrollBarsAndTheWorkAreasSize) {
    Defs d(200);
    QPointer<cuiDropDown> w = Open(d, QRect(0, 0, 400, 300));
    ASSERT_TRUE(w);
    EXPECT_EQ(w->Sheet()->Grid()->ScrollBars(), cuiGridScrollBars::Both);
    EXPECT_EQ(w->height(), 300);
    EXPECT_EQ(w->pos().y(), 0);
    w->Release();
    Settle();
}

TEST_F(DropDownFixture, ClosingRules) {
    Defs d(5);
    {
        QPointer<cuiDropDown> w = Open(d);
        QTest::keyClick(w->Sheet()->Grid(), Qt::Key_Escape);
        Settle();
        EXPECT_FALSE(w);  // Esc: closed, the opening cell untouched
        EXPECT_TRUE(openerCalls.empty());
    }
    {
        QPointer<cuiDropDown> w = Open(d);
        EvMan().Send(EVC_CloseDropDowns);
        Settle();
        EXPECT_FALSE(w);
    }
    {
        QPointer<cuiDropDown> w = Open(d);
        QWidget other;
        EvMan().Send(EVC_OwnerGone, &other, 0);  // another owner: stays
        Settle();
        EXPECT_TRUE(w);
        EvMan().Send(EVC_OwnerGone, &owner, 0);
        Settle();
        EXPECT_FALSE(w);
    }
    {
        QPointer<cuiDropDown> w = Open(d);
        QTest::keyClick(w->Sheet()->Grid(), Qt::Key_Down);
        QTest::keyClick(w->Sheet()->Grid(), Qt::Key_Return);  // picks: handed to the opening cell
        Settle();
        EXPECT_FALSE(w);
        EXPECT_EQ(openerCalls, std::vector<int>{CRK_Chooser});
    }
}

TEST(Information, DialogFitsTheSheetDisablesItsOwnerAndCleansUp) {
    cmcScopedEvMan evman;
    Defs d(3);
    QWidget owner;
    owner.resize(600, 400);
    owner.show();
    QPointer<cuiInformation> dlg = cuiInformation::Open(&owner, "Clone information", d.store, "GI_Sheet_D");
    ASSERT_TRUE(dlg);
    Settle();
    EXPECT_EQ(dlg->windowTitle(), "Clone information");
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(dlg->isEnabled());
    EXPECT_EQ(dlg->Button()->text(), "OK");
    EXPECT_TRUE(dlg->Button()->isDefault());
    const QRect b = dlg->Button()->geometry();
    EXPECT_EQ(dlg->width() - (b.left() + b.width()), 5);
    EXPECT_EQ(dlg->height() - (b.top() + b.height()), 5);
    EXPECT_EQ(dlg->height(), dlg->Panel()->height() + b.height() + 10);
    // The panel fits the sheet: the grid shows every row and column in full.
    cuiGrid* grid = dlg->Sheet()->Grid();
    EXPECT_GE(grid->ClientSize().height(), grid->TotalHeight());
    EXPECT_GE(grid->ClientSize().width(), grid->TotalWidth());
    dlg->Button()->click();
    Settle();
    EXPECT_FALSE(dlg);
    EXPECT_TRUE(owner.isEnabled());

    // Enter and Esc close it too, also while the sheet has the focus.
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        dlg = cuiInformation::Open(&owner, "Clone information", d.store, "GI_Sheet_D");
        Settle();
        QApplication::setActiveWindow(dlg);
        dlg->Sheet()->Grid()->setFocus();
        QTest::keyClick(dlg->Sheet()->Grid(), key);
        Settle();
        EXPECT_FALSE(dlg) << key;
        EXPECT_TRUE(owner.isEnabled()) << key;
        delete dlg;
    }
}
