// Menu and tool bar builders: levels by indentation, shortcuts, clicks and state queries through
// the cell handler, the events that mirror popup menus, and tool bar separators and rows.
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "app/cuiMenu.h"
#include "app/cuiToolBar.h"
#include "support/cmcTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace qx;

namespace {

struct Defs {
    std::vector<std::string> lines;
    cmcGTex store;
    explicit Defs(std::vector<std::string> sections) {
        lines = std::move(sections);
        for (const char* l : {"#CellModel_Basic", "<-(Color=clWindow)(Font=DEFAULT_CHARSET,,clWindowText,-13,,,)",
                              "#End_Of_Ovl"})
            lines.push_back(l);
        store.SetLineList(&lines);
        SetGTex(&store);
    }
    ~Defs() { SetGTex(nullptr); }
};

std::vector<std::string> Captions(const std::vector<QAction*>& items) {
    std::vector<std::string> t;
    for (QAction* a : items) t.push_back(a->text().toStdString());
    return t;
}

std::vector<std::string> Captions(QWidget* menu) {
    const QList<QAction*> actions = menu->actions();
    return Captions(std::vector<QAction*>(actions.begin(), actions.end()));
}

}  // namespace

TEST(Menu, IndentationMakesLevelsAndNamesMakeShortcuts) {
    cmcScopedEvMan evman;
    Defs d({"#GI_Menu_M_BasicCell", "{($Basic)}", "#GI_Menu_M_Body",
            "+&File{(%CL_Null)}",
            " +&Open...\t{(%CL_Menu_File_Open:Ctrl+O)}",
            " +E&xit{(%CL_Menu_File_Exit)}",
            "+&Help{(%CL_Null:Nonsense)}",
            "no plus here",
            "#"});
    QWidget owner;
    QMenuBar bar(&owner);
    cuiMenu menu(&owner, &bar, d.store, "GI_Menu_M");
    menu.Build();
    ASSERT_EQ(Captions(&bar), (std::vector<std::string>{"&File", "&Help"}));
    QAction* file = bar.actions()[0];
    ASSERT_NE(file->menu(), nullptr);
    EXPECT_EQ(Captions(file->menu()), (std::vector<std::string>{"&Open...", "E&xit"}));
    EXPECT_EQ(file->menu()->actions()[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_TRUE(file->menu()->actions()[1]->shortcut().isEmpty());
    EXPECT_TRUE(bar.actions()[1]->shortcut().isEmpty());  // an unknown key name gives none
    // "no plus here" is indented by its whole length: a submenu of Help with an empty caption.
    ASSERT_NE(bar.actions()[1]->menu(), nullptr);
    EXPECT_EQ(Captions(bar.actions()[1]->menu()), std::vector<std::string>{""});
    EXPECT_EQ(cuiMenu::CellOf(file->menu()->actions()[0])->label, CL_Menu_File_Open);
}

TEST(Menu, AFirstLineDeeperThanTheRestEndsTheRootAfterIt) {
    cmcScopedEvMan evman;
    Defs d({"#GI_Menu_M_BasicCell", "{($Basic)}", "#GI_Menu_M_Body", "  +a", "+b", "+c", "#"});
    QWidget owner;
    QMenu root(&owner);
    cuiMenu menu(&owner, &root, d.store, "GI_Menu_M");
    menu.Build();
    EXPECT_EQ(Captions(&root), std::vector<std::string>{"a"});
}

TEST(Menu, ClicksAndStateQueriesGoThroughTheCellHandler) {
    cmcScopedEvMan evman;
    Defs d({"#GI_Menu_M_BasicCell", "{($Basic)}", "#GI_Menu_M_Body", "+&View{(%CL_Null)}",
            " +Tool bar{(%CL_Menu_View_ToolBar)}", " +Size 100{(%CL_Menu_View_FontSize[100])(Flag1=1)}",
            " +Recent{(%CL_Menu_File_Recent)}", " +Gone{(%CL_Menu_Clone_Info)}", "#"});
    QWidget owner;
    QMenuBar bar(&owner);
    cuiMenu menu(&owner, &bar, d.store, "GI_Menu_M");
    std::vector<std::pair<int, int>> calls;  // label, action
    menu.SetCellHandler([&](cmcCellRequest& r) -> uint8_t {
        calls.emplace_back(r.cell->label, r.action);
        EXPECT_EQ(r.owner, &owner);
        switch (r.cell->label) {
        case CL_Menu_View_ToolBar: r.cell->behaviour |= BF_Flag0; break;           // checked
        case CL_Menu_File_Recent:
            r.cell->behaviour |= BF_Flag3;                                       // relabelled
            r.cell->text = "&1 radio.qcf";
            break;
        case CL_Menu_Clone_Info: r.cell->behaviour |= BF_Flag1 | BF_Flag2; break;  // hidden, disabled
        default: break;
        }
        return 0;
    });
    menu.Build();
    menu.Refresh();
    auto items = menu.Items(bar.actions()[0]);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_FALSE(items[1]->isChecked());  // Flag1 of the definition is cleared before the query
    EXPECT_TRUE(items[1]->isVisible());
    EXPECT_EQ(items[2]->text(), "&1 radio.qcf");
    EXPECT_FALSE(items[3]->isVisible());
    EXPECT_FALSE(items[3]->isEnabled());
    // A click runs Enter on the entry's cell and refreshes every entry.
    calls.clear();
    items[0]->trigger();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0], std::make_pair(static_cast<int>(CL_Menu_View_ToolBar), 13));
    EXPECT_EQ(calls.size(), 1u + 5u);
    // EVC_MenuRefresh refreshes too.
    calls.clear();
    EvMan().Send(EVC_MenuRefresh);
    EXPECT_EQ(calls.size(), 5u);
}

TEST(Menu, EventsElevenAndTenFillAndClearTheMirroredEntry) {
    cmcScopedEvMan evman;
    Defs d({"#GI_Menu_M_BasicCell", "{($Basic)}", "#GI_Menu_M_Body", "+&Edit{(%CL_Menu_Edit_Top)}", "#",
            "#GI_PMenu_P_BasicCell", "{($Basic)(%CT_PopupMenu.)}", "#GI_PMenu_P_Body", "+Copy\t{(%CL_PMenu_Copy:Ctrl+C)}",
            "+-", "+Paste\t{(%CL_PMenu_Paste)}", "#"});
    QWidget owner;
    QMenuBar bar(&owner);
    cuiMenu menu(&owner, &bar, d.store, "GI_Menu_M");
    menu.Build();
    QMenu popup(&owner);
    std::vector<int> popupClicks;
    auto builder = std::make_unique<cuiMenu>(&owner, &popup, d.store, "GI_PMenu_P",
                                             [&](cuiMenu&, QAction*, cmcCellObj* c) { popupClicks.push_back(c->label); });
    builder->Build();
    // A separator is a real separator without text (some styles would draw its "-" as a title).
    EXPECT_EQ(Captions(&popup), (std::vector<std::string>{"Copy", "", "Paste"}));
    EXPECT_TRUE(popup.actions()[1]->isSeparator());
    EvMan().Send(EVC_MenuItemFill, builder.get(), CL_Menu_Edit_Top, std::string_view("GI_PMenu_P"));
    QAction* edit = menu.FindByLabel(CL_Menu_Edit_Top);
    auto mirrored = menu.Items(edit);
    ASSERT_EQ(Captions(mirrored), (std::vector<std::string>{"Copy", "", "Paste"}));
    mirrored[2]->trigger();  // clicks through the popup builder's handler
    EXPECT_EQ(popupClicks, std::vector<int>{CL_PMenu_Paste});
    EvMan().Send(EVC_MenuItemClear, 0, CL_Menu_Edit_Top);
    EXPECT_TRUE(menu.Items(edit).empty());
    // A destroyed popup builder leaves no live entries behind once cleared.
    EvMan().Send(EVC_MenuItemFill, builder.get(), CL_Menu_Edit_Top, std::string_view("GI_PMenu_P"));
    builder.reset();
    menu.Items(edit)[0]->trigger();  // nobody to click through: nothing happens
    EXPECT_EQ(popupClicks.size(), 1u);
}

TEST(ToolBar, SeparatorsRowBreaksHintsAndCheckButtons) {
    cmcScopedEvMan evman;
    Defs d({"#GI_ToolBar_T_BasicCell", "{($Basic)}", "#GI_ToolBar_T_Body", "a{(%CL_Menu_File_New)}", "-",
            "b{(%CL_Menu_Port_Com[1])}", "/", "c{(%CL_Menu_Clone_Read)}", "#"});
    QWidget owner;
    cuiToolBar bar(&owner, d.store, "GI_ToolBar_T", nullptr);
    std::vector<std::pair<int, int>> calls;
    bar.SetCellHandler([&](cmcCellRequest& r) -> uint8_t {
        calls.emplace_back(r.cell->label, r.action);
        if (r.cell->label == CL_Menu_Port_Com) r.cell->behaviour |= BF_Flag0;
        if (r.cell->label == CL_Menu_Clone_Read) r.cell->behaviour |= BF_Flag2;
        return 0;
    });
    bar.Build();
    ASSERT_EQ(bar.ButtonCount(), 5);
    EXPECT_TRUE(bar.IsSeparator(1));
    EXPECT_TRUE(bar.IsRowBreak(3));
    EXPECT_EQ(bar.Button(1), nullptr);
    EXPECT_EQ(bar.Button(0)->toolTip(), "a");
    EXPECT_EQ(bar.RowOf(0), 0);
    EXPECT_EQ(bar.RowOf(2), 0);
    EXPECT_EQ(bar.RowOf(4), 1);
    EvMan().Send(EVC_ToolBarRefresh);
    EXPECT_FALSE(bar.Button(0)->isCheckable());
    EXPECT_TRUE(bar.Button(2)->isCheckable());
    EXPECT_TRUE(bar.Button(2)->isChecked());
    EXPECT_FALSE(bar.Button(4)->isEnabled());
    calls.clear();
    bar.Button(0)->click();
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{CL_Menu_File_New, 13}}));
}
