// The main window on the offscreen platform: start-up from the settings, the window's bounds and
// panes, the tree built from the definitions and adjusted to each model type, bank icons and names,
// warning marks, the sheet position history, the tick and the deferred warning check, application
// events, the channel shift when a channel joins or leaves a bank, and closing with the
// unsaved-changes question.
#include "app/Frmmain.h"
#include "app/cuiCloneWindow.h"
#include "app/cuiIcons.h"
#include "app/cuiMain.h"
#include "app/cuiTree.h"
#include "app/cuiGrid.h"
#include "cells/cmcAppCommands.h"
#include "app/cuiUndoMenu.h"
#include "image/cmcImageMap.h"
#include "comm/cmcPortList.h"
#include "comm/indEnviron.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "app/cuiMenu.h"
#include "app/cuiToolBar.h"
#include "app/cuiSheet.h"
#include "app/cuiSheetPaint.h"
#include "support/cmcTestSupport.h"
#include "support/cuiTestProgram.h"

#pragma push_macro("slots")
#undef slots
#include "image/datCh.h"
#pragma pop_macro("slots")

#include <QAction>
#include <QMenu>
#include <QApplication>
#include <QDir>
#include <QSplitter>
#include <QLabel>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <typeinfo>

using namespace qx;

namespace {

using test::Program;

// Records the codes of the events delivered, in order.
struct EventLog {
    std::vector<int> codes;
    EventLog() { EvMan().Register(&Handler, this); }
    ~EventLog() { EvMan().UnregisterAll(this); }
    static void Handler(void* user, const cmcEvent& e) { static_cast<EventLog*>(user)->codes.push_back(e.code); }
    int Count(int code) const { return static_cast<int>(std::count(codes.begin(), codes.end(), code)); }
};

std::vector<std::string> ChildNames(const QTreeWidgetItem* node) {
    std::vector<std::string> names;
    for (int i = 0; node && i < node->childCount(); ++i) {
        const cmcCellObj* cell = cuiTree::CellOf(node->child(i));
        names.push_back(cell && cell->name ? *cell->name : "");
    }
    return names;
}

}  // namespace

// ---- start-up ---------------------------------------------------------------------------------

TEST(MainWindowStartUp, ModelTypeOfTheSettingsAndTheWindowItBuilds) {
    // A stored model type outside 0-3 (4, or a negative one whose low byte is 255) starts as LMR.
    const struct {
        int stored;
        int expected;
        const char* name;
    } cases[] = {{0, 0, "LMR"}, {2, 2, "Korv PMR"}, {3, 3, "dPMR446"}, {4, 0, "LMR"}, {255, 0, "LMR"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        Program p([&](indEnviron& e) { e.ModelType = static_cast<uint8_t>(c.stored); });
        EXPECT_EQ(p.main->Model().ModelType(), c.expected);
        EXPECT_EQ(cuiTree::Caption(p.Tree().NodeAt(0)), std::string("QX-P2210 ") + c.name);
        EXPECT_EQ(p.env.ModelType, c.expected);  // the type in use is what the settings keep
        EXPECT_FALSE(p.main->Model().IsModified());
        EXPECT_EQ(p.form->windowTitle().toStdString(), "QX-P2210 - Untitled");
        EXPECT_TRUE(test::Messages().messages().empty());
    }
}

TEST(MainWindowStartUp, TheTreeStartsWideEnoughForItsLongestNodeName) {
    Program p;  // the default splitter position: never moved by the user
    QTreeWidget* tree = p.Tree().Control();
    const QFontMetrics fm(tree->font());
    int widest = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        int depth = 0;
        for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent()) ++depth;
        widest = std::max(widest, (depth + 1) * tree->indentation() + tree->iconSize().width() +
                                      fm.horizontalAdvance((*it)->text(0)));
    }
    EXPECT_GE(p.main->Splitter()->sizes().at(0), std::min(widest, p.form->width() / 2));
    // A position the user chose is kept as stored.
    Program q([](indEnviron& e) { e.SplitterV = 150; });
    EXPECT_EQ(q.main->Splitter()->sizes().at(0), 150);
}

TEST(MainWindowStartUp, PanesToolBarStatusBarAndTick) {
    Program p([](indEnviron& e) {
        e.SplitterV = 3;  // below the splitter's minimum
        e.ToolbarVisible = 0;
    });
    EXPECT_EQ(p.form->minimumSize(), QSize(400, 200));
    EXPECT_TRUE(p.form->isVisible());
    EXPECT_EQ(p.main->Splitter()->sizes().at(0), 8);
    EXPECT_FALSE(p.main->ToolBarHost()->isVisible());
    EXPECT_GT(p.main->ToolBar()->ButtonCount(), 0);
    ASSERT_NE(p.main->TickTask(), nullptr);
    EXPECT_EQ(p.main->TickTask()->Interval(), 50);
    EXPECT_FALSE(p.main->TickTask()->Idle());
    // The first tick opens the sheet of the selected node, the root.
    EXPECT_EQ(p.Tree().Selected(), p.Tree().NodeAt(0));
    p.Step(50);
    ASSERT_NE(p.main->Sheets().Current(), nullptr);
    EXPECT_EQ(p.main->Sheets().Current()->Name(), "GI_Sheet_Top");
    // The tool bar command of the View menu shows it again.
    p.env.ToolbarVisible = 1;
    EXPECT_TRUE(p.main->ShowToolBar(true));
    EXPECT_TRUE(p.main->ToolBarHost()->isVisible());
}

TEST(MainWindowStartUp, StoredBoundsAreKeptOnTheWorkArea) {
    const QRect wa(0, 0, 1920, 1040);
    const struct {
        QRect stored, expected;
    } cases[] = {
        {{100, 50, 800, 600}, {100, 50, 800, 600}},    // inside: unchanged
        {{5000, 50, 800, 600}, {1904, 50, 800, 600}},  // beyond the right edge: 16 pixels left of it
        {{100, 3000, 800, 600}, {100, 1024, 800, 600}},
        {{-900, 50, 800, 600}, {-784, 50, 800, 600}},  // ends left of the work area: 16 pixels show
        {{100, -40, 800, 600}, {100, 0, 800, 600}},    // above the top
    };
    for (const auto& c : cases) EXPECT_EQ(Frmmain::KeepOnWorkArea(c.stored, wa), c.expected) << c.stored.x();
}

TEST(MainWindowStartUp, MissingInitialFileAndSmallImageAreFatal) {
    cmcScopedEvMan events;
    {
        cuiMain main("", test::TempDir() + "/");  // no initial clone files there
        EXPECT_FATAL(Frmmain form(main), "Cannot open '", kExitDefinitionFault);
    }
    {
        cuiMain main("", "", nullptr, kImageSize - 1);
        EXPECT_FATAL(Frmmain form(main), "Self Check Error.\nEEPROM Map is too large.", kExitInternalFault);
    }
}

// ---- application events -------------------------------------------------------------------------

TEST(MainWindowEvents, MenusBuiltStatusTextAndAboutBox) {
    Program p;
    EventLog log;
    EvMan().Send(EVC_MenusBuilt);
    std::vector<int> after(std::find(log.codes.begin(), log.codes.end(), EVC_MenusBuilt), log.codes.end());
    ASSERT_GE(after.size(), 3u);
    EXPECT_EQ(after[1], EVC_MenuRefresh);
    EXPECT_EQ(after.back(), EVC_ToolBarRefresh);

    EvMan().Send(EVC_StatusText, static_cast<int>(0x000000FF), static_cast<int32_t>(0x00FFFFFF), std::string_view("Bank full"));
    EXPECT_EQ(p.main->StatusPanel()->Message().toStdString(), "Bank full");
    EXPECT_EQ(p.main->StatusPanel()->TextColour(), QColor(255, 0, 0));
    EXPECT_EQ(p.main->StatusPanel()->BackColour(), QColor(255, 255, 255));
}

// ---- tree ---------------------------------------------------------------------------------------

namespace {

// A small definition store with one tree "GI_Tree_T" and the bank branch lines.
struct TreeDefs {
    std::vector<std::string> lines;
    cmcGTex store;
    explicit TreeDefs(const std::vector<std::string>& body) {
        lines = {"#GI_Tree_T_BasicCell", "{(%CT_Null.CallSheet)}", "#GI_Tree_T_Body"};
        lines.insert(lines.end(), body.begin(), body.end());
        for (const char* l : {"#", "#GI_Tree_Branch_Mch_BankOperation", "  +Bank Operation{(%CallSheet:BankOp)}",
                              "#GI_Tree_Branch_Mch_Bank", "  +Bank{(ImageIndex=4)(%CallSheet:[St_ChBank]GI_Sheet_Mch_%s,Bank %d)}",
                              "#GI_AppInd_BankUnnamed", "Bank %d", "#GI_AppInd_BankFreeUnnamed", "Bank %d (free)",
                              "#End_Of_Ovl"})
            lines.push_back(l);
        store.SetLineList(&lines);
    }
};

// A main object whose model type is set by hand (no initial files are read).
struct TestMain : indMain {
    TestMain() : indMain(test::TempDir() + "/") {}
    void SetType(int t) { modelType_ = t; }
    uint8_t* Image() { return working_.Data(); }
};

struct TreeRig {
    cmcScopedEvMan events;
    TreeDefs defs;
    TestMain main;
    QWidget host;
    std::vector<QIcon> images = cuiTreeImages();
    cuiTree tree;
    explicit TreeRig(const std::vector<std::string>& body)
        : defs(body), tree(&host, defs.store, "GI_Tree_T", &images, &main) {
        tree.Build();
    }
    std::set<std::string> Names() {
        std::set<std::string> names;
        for (int i = 0; i < tree.NodeCount(); ++i) {
            const cmcCellObj* c = cuiTree::CellOf(tree.NodeAt(i));
            if (c && c->name) names.insert(*c->name);
        }
        return names;
    }
};

const std::vector<std::string> kModelBody = {
    "+Root{(%CallSheet:Root)}",
    " +Always removed{(%CallSheet:F0)(Flag0=1)}",
    " +LMR only{(%CallSheet:F1)(Flag1=1)}",
    " +PMR kinds{(%CallSheet:F2)(Flag2=1)}",
    " +Korv only{(%CallSheet:F3)(Flag3=1)}",
    " +Not dPMR446{(%CallSheet:F4)(Flag4=1)}",
    " +LMR and dPMR446{(%CallSheet[9]:M9)}",
    " +dPMR446 only{(%CallSheet[8]:M8)}",
    " +Memory{(%CallSheet:GI_Sheet_Memory_CH_Top)}",
    "  +Stale{(%CallSheet:Stale)}",
    " +Digital{(%CallSheet:Dig)}",
    "  +Messages{(%CallSheet:GI_Sheet_Dig_ProgMes)}",
    "  +Status{(%CallSheet:DigStatus)}",
    "  +Timers{(%CallSheet:GI_Sheet_Dig_Tim)(Flag0=1)(Flag5=1)}",
};

// Edit > Undo and Redo stay at the top of the Edit menu whatever the sheets mirror into it, name
// the step, take the image back and forth and follow the saved state in the title.
TEST(MainWindow, EditMenuUndoAndRedo) {
    Program p;
    p.Step(200);  // the first sheet is open and has filled the Edit menu
    QAction* top = p.main->Menu()->FindByLabel(CL_Menu_Edit_Top);
    ASSERT_TRUE(top && top->menu());
    QMenu* edit = top->menu();
    cuiUndoMenu* undo = p.main->UndoMenu();
    ASSERT_GE(edit->actions().size(), 3);
    EXPECT_EQ(edit->actions()[0], undo->UndoAction());
    EXPECT_EQ(edit->actions()[1], undo->RedoAction());
    EXPECT_GT(edit->actions().size(), 3) << "the sheet's entries follow";
    EXPECT_EQ(undo->UndoAction()->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(undo->RedoAction()->shortcuts(), (QList<QKeySequence>{QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));
    emit edit->aboutToShow();
    EXPECT_FALSE(undo->UndoAction()->isEnabled());
    EXPECT_EQ(undo->UndoAction()->text().toStdString(), "&Undo");

    const cmcEeprom saved = p.main->Model().WorkingImage();
    p.main->Model().BeginAction("TX Frequency");
    p.main->Model().WorkingImage().SetByte(0x7D80 + 5, p.main->Model().WorkingImage().GetByte(0x7D80 + 5) ^ 1);
    p.main->Model().NoteEdit();
    EXPECT_TRUE(p.form->windowTitle().endsWith(" *"));
    emit edit->aboutToShow();
    EXPECT_TRUE(undo->UndoAction()->isEnabled());
    EXPECT_EQ(undo->UndoAction()->text().toStdString(), "&Undo TX Frequency");
    EXPECT_FALSE(undo->RedoAction()->isEnabled());
    emit edit->aboutToHide();
    EXPECT_TRUE(undo->RedoAction()->isEnabled()) << "a closed menu keeps the shortcuts alive";

    undo->UndoAction()->trigger();
    EXPECT_TRUE(p.main->Model().WorkingImage().Equals(saved));
    EXPECT_FALSE(p.form->windowTitle().endsWith(" *"));
    p.Step(200);
    EXPECT_EQ(edit->actions()[0], undo->UndoAction()) << "still first after the sheet was rebuilt";
    emit edit->aboutToShow();
    EXPECT_EQ(undo->RedoAction()->text().toStdString(), "&Redo TX Frequency");
    undo->RedoAction()->trigger();
    EXPECT_FALSE(p.main->Model().WorkingImage().Equals(saved));
    EXPECT_TRUE(p.form->windowTitle().endsWith(" *"));
}

// A sheet chosen by a click in the tree can be printed at once from the File menu: the menu
// follows the sheet shown although the keyboard stays in the tree.
TEST(MainWindow, PrintFollowsTheSheetChosenInTheTree) {
    Program p;
    ASSERT_TRUE(p.main->Files().OpenFile(test::BinDir() + "/ZT5531K_PMR.QCF"));
    p.Step(200);
    QTreeWidget* tree = p.Tree().Control();
    QTreeWidgetItem* common = p.Tree().FindNode("[St_Common]GI_Sheet_Common");
    ASSERT_NE(common, nullptr);
    for (QTreeWidgetItem* up = common->parent(); up; up = up->parent()) up->setExpanded(true);
    p.Step(0);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(common).center());
    p.Step(200);
    ASSERT_NE(p.main->Sheets().Current(), nullptr);
    EXPECT_EQ(p.main->Sheets().Current()->Name(), "[St_Common]GI_Sheet_Common");
    EXPECT_TRUE(tree->hasFocus() || !p.form->isActiveWindow());
    QAction* print = p.main->Menu()->FindByLabel(CL_Menu_File_Print_Current);
    ASSERT_NE(print, nullptr);
    EXPECT_TRUE(print->isEnabled());
}

// Setup > Backup Before Write shows and flips the setting.
TEST(MainWindow, BackupSettingInTheSetupMenu) {
    Program p;
    QAction* entry = p.main->Menu()->FindByLabel(CL_Menu_Setup_Backup);
    ASSERT_NE(entry, nullptr);
    p.main->Menu()->Refresh();
    EXPECT_TRUE(entry->isChecked());
    entry->trigger();
    p.Step(0);
    EXPECT_EQ(p.env.BackupBeforeWrite, 0);
    p.main->Menu()->Refresh();
    EXPECT_FALSE(entry->isChecked());
}

}  // namespace

TEST(MainWindowTree, NestingFollowsTheIndentationBeforeThePlus) {
    TreeRig rig({" +A{(%CallSheet:A)}", "  +B{(%CallSheet:B)}", "  +C{(%CallSheet:C)}", " +D{(%CallSheet:D)}",
                 "xyz"});
    QTreeWidget* t = rig.tree.Control();
    ASSERT_EQ(t->topLevelItemCount(), 2);
    EXPECT_EQ(cuiTree::Caption(t->topLevelItem(0)), "A");
    EXPECT_EQ(ChildNames(t->topLevelItem(0)), (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(cuiTree::Caption(t->topLevelItem(1)), "D");
    // A line without "+" is a node indented by its whole length, with an empty caption: here a
    // child of D.
    ASSERT_EQ(t->topLevelItem(1)->childCount(), 1);
    EXPECT_EQ(cuiTree::Caption(t->topLevelItem(1)->child(0)), "");
    EXPECT_FALSE(t->topLevelItem(0)->isExpanded());
    EXPECT_EQ(rig.tree.FindNode("C"), rig.tree.NodeAt(2));
}

TEST(MainWindowTree, AdjustmentToEachModelType) {
    const struct {
        int type;
        std::set<std::string> present;
        std::string word;
        std::string fifthBank;
    } cases[] = {
        {0, {"F1", "F4", "M9"}, "Lmr", "Bank 5"},
        {1, {"F2", "F4"}, "Pmr", "Bank 5"},
        {2, {"F2", "F3", "F4"}, "PmrK", "Bank 5"},
        // dPMR446 has five banks too: the fifth is the free bank, named for it while unnamed.
        {3, {"M9", "M8"}, "DPmr446", "Bank 5 (free)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        TreeRig rig(kModelBody);
        rig.main.SetType(c.type);
        EventLog log;
        EvMan().Send(EVC_TreeBuilt);
        const std::set<std::string> names = rig.Names();
        for (const char* flagged : {"F0", "F1", "F2", "F3", "F4", "M9", "M8"})
            EXPECT_EQ(names.count(flagged), c.present.count(flagged)) << flagged;
        // The bank branch replaces the memory node's children.
        std::vector<std::string> expected = {"BankOp"};
        for (int i = 0; i < 5; ++i)
            expected.push_back("[St_ChBank]GI_Sheet_Mch_" + c.word + ",Bank " + std::to_string(i));
        EXPECT_EQ(ChildNames(rig.tree.FindNode("GI_Sheet_Memory_CH_Top")), expected);
        // Unnamed banks are numbered from 1.
        EXPECT_EQ(cuiTree::Caption(rig.tree.FindNode(expected[1])), "Bank 1");
        EXPECT_EQ(cuiTree::Caption(rig.tree.FindNode(expected[5])), c.fifthBank);
        EXPECT_EQ(names.count("GI_Sheet_Dig_Tim"), 0u);
        EXPECT_EQ(log.Count(EVC_BankRename), 5);
        EXPECT_EQ(log.codes.back(), EVC_BankChanged);
    }
}

TEST(MainWindowTree, ModelChangeKeepsTheExpansionAndAsksOnlyOverChanges) {
    Program p([](indEnviron& e) { e.ModelType = 0; });
    auto expanded = [&](const char* name) {
        QTreeWidgetItem* n = p.Tree().FindNode(name);
        return n && n->isExpanded();
    };
    p.Tree().NodeAt(0)->setExpanded(true);
    p.Tree().FindNode("[St_Common]GI_Sheet_Signal_Top")->setExpanded(true);
    ASSERT_FALSE(p.main->Model().IsModified());
    // Nothing to lose: no question, and the rebuilt tree keeps the open branches.
    EXPECT_TRUE(p.main->Model().ChangeModel(1, true));
    EXPECT_TRUE(test::Messages().messages().empty());
    EXPECT_TRUE(expanded("GI_Sheet_Top"));
    EXPECT_TRUE(expanded("[St_Common]GI_Sheet_Signal_Top"));
    EXPECT_FALSE(expanded("GI_Sheet_Memory_CH_Top"));

    // With changes the question comes first; Cancel keeps everything.
    p.main->Model().WorkingImage().Data()[map::kCloneComment1] = 'X';
    p.main->Model().NoteEdit();
    ASSERT_TRUE(p.main->Model().IsModified());
    test::Messages().QueueAnswer(MB_Cancel);
    EXPECT_FALSE(p.main->Model().ChangeModel(0, true));
    EXPECT_EQ(test::Messages().messages().size(), 1u);
    EXPECT_EQ(p.main->Model().ModelType(), 1);
}

TEST(MainWindowTree, ToneSignallingFolderNamesTheTopicsOfTheModelType) {
    const struct {
        int type;
        const char *has, *lacks;
    } cases[] = {{0, "2-tone", "5-tone"}, {1, "5-tone", "2-tone"}, {2, "5-tone", "2-tone"}, {3, "2-tone", "5-tone"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        Program p([&](indEnviron& e) { e.ModelType = static_cast<uint8_t>(c.type); });
        QTreeWidgetItem* folder = p.Tree().FindNode("[St_Common]GI_Sheet_Signal_Top");
        ASSERT_NE(folder, nullptr);
        p.main->Sheets().OpenSheet("[St_Common]GI_Sheet_Signal_Top");
        ASSERT_NE(p.main->Sheets().Current(), nullptr);
        const std::string text = p.main->Sheets().Current()->CellAt(0, 0).Text();
        EXPECT_NE(text.find(c.has), std::string::npos) << text;
        EXPECT_EQ(text.find(c.lacks), std::string::npos) << text;
        // The topics it names are in the tree under it.
        std::string children;
        for (int i = 0; i < folder->childCount(); ++i) children += cuiTree::CellOf(folder->child(i))->Text() + ";";
        EXPECT_NE(children.find(c.has[0] == '2' ? "2-Tone" : "5-Tone"), std::string::npos) << children;
    }
}

TEST(MainWindowTree, DigitalTimerNodeFollowsTheImageOption) {
    TreeRig rig(kModelBody);
    rig.main.SetType(3);
    rig.main.Image()[11] |= 0x10;
    EvMan().Send(EVC_TreeBuilt);
    // Inserted as the last child of the node before the display messages node: the folder.
    EXPECT_EQ(ChildNames(rig.tree.FindNode("Dig")),
              (std::vector<std::string>{"GI_Sheet_Dig_ProgMes", "DigStatus", "GI_Sheet_Dig_Tim"}));
    EvMan().Send(EVC_TreeBuilt);  // once only
    EXPECT_EQ(ChildNames(rig.tree.FindNode("Dig")).size(), 3u);

    TreeRig without(kModelBody);
    without.main.SetType(3);
    EvMan().Send(EVC_TreeBuilt);
    EXPECT_EQ(without.tree.FindNode("GI_Sheet_Dig_Tim"), nullptr);
}

TEST(MainWindowTree, SelectionOfARebuiltBankNodeStays) {
    TreeRig rig(kModelBody);
    std::vector<std::string> changes;
    rig.tree.onChange = [&] { changes.push_back(*rig.tree.SelectedCell()->name); };
    EvMan().Send(EVC_TreeBuilt);
    const std::string bank2 = "[St_ChBank]GI_Sheet_Mch_Lmr,Bank 2";
    rig.tree.Select(rig.tree.FindNode(bank2));
    changes.clear();
    EvMan().Send(EVC_TreeBuilt);  // the bank nodes are made again
    ASSERT_NE(rig.tree.SelectedCell(), nullptr);
    EXPECT_EQ(*rig.tree.SelectedCell()->name, bank2);

    // A node that goes away hands the selection to the node after the one that takes its place.
    rig.main.SetType(3);
    rig.tree.Select(rig.tree.FindNode("[St_ChBank]GI_Sheet_Mch_Lmr,Bank 4"));
    EvMan().Send(EVC_TreeBuilt);
    ASSERT_NE(rig.tree.Selected(), nullptr);
    EXPECT_FALSE(changes.empty());
}

TEST(MainWindowTree, BankIconsAndNames) {
    TreeRig rig(kModelBody);
    EvMan().Send(EVC_TreeBuilt);
    uint8_t* image = rig.main.Image();
    for (int b = 0; b < 5; ++b) datSetBankSize(image, b, 0);
    datSetBankSize(image, 1, 3);
    datSetBankFlag(image, 2, true);
    datSetBankSize(image, 3, 2);
    datSetBankFlag(image, 3, true);
    EvMan().Send(EVC_BankIcons);
    const int expected[] = {TI_Bank0, TI_Bank1, TI_Bank2, TI_Bank3, TI_Bank0};
    for (int b = 0; b < 5; ++b) {
        const cmcCellObj* cell = cuiTree::CellOf(rig.tree.FindNode("[St_ChBank]GI_Sheet_Mch_Lmr,Bank " + std::to_string(b)));
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->imageIndex, expected[b]) << b;
    }
    const std::string bank1 = "[St_ChBank]GI_Sheet_Mch_Lmr,Bank 1";
    const char named[8] = {'C', 'I', 'T', 'Y', ' ', ' ', ' ', ' '};
    EvMan().Send(EVC_BankRename, 0, 1, named, sizeof named);
    EXPECT_EQ(cuiTree::Caption(rig.tree.FindNode(bank1)), "CITY");
    const char blank[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    EvMan().Send(EVC_BankRename, 0, 1, blank, sizeof blank);
    EXPECT_EQ(cuiTree::Caption(rig.tree.FindNode(bank1)), "Bank 2");
}

TEST(MainWindowTree, WarningAndErrorMarks) {
    TreeRig rig({"+Root{(%CallSheet:R)}", " +A{(%CallSheet:A)}", "  +A1{(%CallSheet:A1)}", " +B{(%CallSheet:B)}"});
    cuiTree& t = rig.tree;
    QTreeWidgetItem* root = t.NodeAt(0);
    QTreeWidgetItem* a = t.FindNode("A");
    QTreeWidgetItem* a1 = t.FindNode("A1");
    const auto mark = [&](const std::vector<std::string>& warnings, const std::vector<std::string>& errors) {
        t.ClearOverlays(root);
        t.MarkSubtree(root, warnings, TO_Warning);
        return t.MarkSubtree(root, errors, TO_Error);
    };
    // Collapsed parents show what lies below them; names compare without regard to case.
    mark({"a1"}, {});
    EXPECT_EQ(t.OverlayOf(a1), TO_Warning);
    EXPECT_EQ(t.OverlayOf(a), TO_Warning);
    EXPECT_EQ(t.OverlayOf(root), TO_Warning);
    // Expanded, a clean node carries no mark of its own.
    root->setExpanded(true);
    a->setExpanded(true);
    mark({"A1"}, {});
    EXPECT_EQ(t.OverlayOf(a), TO_None);
    EXPECT_EQ(t.OverlayOf(a1), TO_Warning);
    // A warning and an error below a collapsed root: the error shows.
    root->setExpanded(false);
    EXPECT_EQ(mark({"A1"}, {"B"}), 1);
    EXPECT_EQ(t.OverlayOf(root), TO_Error);
    EXPECT_EQ(t.OverlayOf(t.FindNode("B")), TO_Error);
    // An empty name marks nothing.
    mark({""}, {});
    EXPECT_EQ(t.OverlayOf(root), TO_None);
}

// The shipped tree: each model type shows the signalling topics its radio has, and an
// inconsistent user tone window marks the user tone node (and its folder while collapsed).
TEST(MainWindowTree, SignallingTopicsAndTheUserToneWarning) {
    const struct {
        int type;
        std::set<std::string> present;
    } cases[] = {
        {0, {"GI_Sheet_2Tone", "GI_Sheet_2ToneTx"}},
        {1, {"GI_Sheet_5ToneRx", "GI_Sheet_5ToneTx", "GI_Sheet_UserTone"}},
        {2, {"GI_Sheet_5ToneRx", "GI_Sheet_5ToneTx", "GI_Sheet_UserTone", "GI_Sheet_Msk_Top", "GI_Sheet_Msk_Presl"}},
        {3, {"GI_Sheet_2Tone", "GI_Sheet_2ToneTx", "GI_Sheet_Dig_Top", "GI_Sheet_Dig_Status"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        Program p([&](indEnviron& e) { e.ModelType = static_cast<uint8_t>(c.type); });
        for (const char* key : {"GI_Sheet_2Tone", "GI_Sheet_2ToneTx", "GI_Sheet_5ToneRx", "GI_Sheet_5ToneTx",
                                "GI_Sheet_UserTone", "GI_Sheet_Msk_Top", "GI_Sheet_Msk_Presl", "GI_Sheet_Dig_Top",
                                "GI_Sheet_Dig_Status"})
            EXPECT_EQ(p.Tree().FindNode(key) != nullptr, c.present.count(key) == 1) << key;
    }

    Program p([](indEnviron& e) { e.ModelType = 1; });
    p.Step(1000);
    QTreeWidgetItem* tones = p.Tree().FindNode("GI_Sheet_UserTone");
    QTreeWidgetItem* folder = p.Tree().FindNode("[St_Common]GI_Sheet_Signal_Top");
    ASSERT_NE(tones, nullptr);
    p.main->CountWarnings();
    EXPECT_EQ(p.Tree().OverlayOf(tones), TO_None);
    // User tone 3: decode window 1100.0 .. 1000.0 Hz.
    uint8_t* image = p.main->Model().WorkingImage().Data();
    image[38459 + 12] = 0x2A, image[38459 + 13] = 0xF8;  // low 11000
    image[38461 + 12] = 0x27, image[38461 + 13] = 0x10;  // high 10000
    int errors = -1, warnings = -1;
    p.main->CountWarnings(&errors, &warnings);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(p.Tree().OverlayOf(tones), TO_Warning);
    EXPECT_EQ(p.Tree().OverlayOf(folder), TO_Warning);  // collapsed over it
}

// The digital PMR checks mark the MSK node of the sheet where each problem is fixed.
TEST(MainWindowTree, MskErrorsMarkTheirNodes) {
    Program p([](indEnviron& e) { e.ModelType = 2; });
    p.Step(1000);
    p.Tree().Control()->expandAll();
    cuiTree& t = p.Tree();
    const char* nodes[] = {"GI_Sheet_Msk_AdrRange", "GI_Sheet_Msk_IdGroup", "[St_Common]GI_Sheet_Msk_Config",
                           "GI_Sheet_Msk_CallList"};
    p.main->CountWarnings();
    for (const char* n : nodes) EXPECT_EQ(t.OverlayOf(t.FindNode(n)), TO_None) << n;

    uint8_t* image = p.main->Model().WorkingImage().Data();
    image[0x9AA3] = 0, image[0x9AA4] = 7;  // killer address 7, not 4095
    image[39455 + 16 * 2] = 0x00, image[39455 + 16 * 2 + 1] = 16;  // ID group 2 at 16: below the boundary
    image[0x9C05] = 0x0F, image[0x9C06] = 0xFF;  // status fixed base ID 4095: not individual
    int errors = -1, warnings = -1;
    p.main->CountWarnings(&errors, &warnings);
    EXPECT_EQ(errors, 3);
    EXPECT_EQ(warnings, 0);
    EXPECT_EQ(t.OverlayOf(t.FindNode(nodes[0])), TO_Error);
    EXPECT_EQ(t.OverlayOf(t.FindNode(nodes[1])), TO_Error);
    EXPECT_EQ(t.OverlayOf(t.FindNode(nodes[2])), TO_Error);
    EXPECT_EQ(t.OverlayOf(t.FindNode(nodes[3])), TO_None);
    EXPECT_EQ(t.OverlayOf(t.FindNode("GI_Sheet_Msk_Top")), TO_None);  // expanded: its children carry the marks
}

// ---- sheets, tick and history -------------------------------------------------------------------

TEST(MainWindowSheets, TreeSelectionOpensTheSheetAfterTheChangeDelay) {
    Program p([](indEnviron& e) { e.ModelType = 0; });
    p.Step(50);
    p.Tree().Control()->expandAll();
    p.Tree().Select(p.Tree().FindNode("GI_Sheet_Mch_BankOp"));
    EXPECT_EQ(p.main->Sheets().Current()->Name(), "GI_Sheet_Top");  // the change delay runs first
    p.Step(std::atoi(GTex().FirstLine("GI_Sys_TreeChangeDelay").c_str()));
    ASSERT_NE(p.main->Sheets().Current(), nullptr);
    EXPECT_EQ(p.main->Sheets().Current()->Name(), "GI_Sheet_Mch_BankOp");

    // A bank node opens the channel/bank sheet of its bank.
    p.Tree().Select(p.Tree().FindNode("[St_ChBank]GI_Sheet_Mch_Lmr,Bank 1"));
    p.Tree().FlushChange();
    ASSERT_NE(p.main->Sheets().Current(), nullptr);
    EXPECT_NE(dynamic_cast<iuiSh_ChBank*>(p.main->Sheets().Current()), nullptr);
    EXPECT_EQ(p.main->Sheets().Current()->Key(), "GI_Sheet_Mch_Lmr");

    // The other styles: the common-settings sheet, and a plain sheet for any other style.
    p.main->Sheets().OpenSheet("[St_Common]GI_Sheet_Common");
    EXPECT_NE(dynamic_cast<iuiSh_Common*>(p.main->Sheets().Current()), nullptr);
    p.main->Sheets().OpenSheet("[St_Other]GI_Sheet_Scan,x");
    EXPECT_EQ(typeid(*p.main->Sheets().Current()), typeid(cuiSheet));
    EXPECT_EQ(p.main->Sheets().Current()->Name(), "[St_Other]GI_Sheet_Scan,x");
    p.Tree().FlushChange();

    // A closed sheet comes back on the next tick.
    p.main->Sheets().CloseSheet(true);
    EXPECT_EQ(p.main->Sheets().Current(), nullptr);
    p.Step(50);
    ASSERT_NE(p.main->Sheets().Current(), nullptr);
    EXPECT_EQ(p.main->Sheets().Current()->Name(), "[St_ChBank]GI_Sheet_Mch_Lmr,Bank 1");
}

// Records the help commands; everything else is refused as by default.
struct HelpRecorder : cmcAppCommands {
    std::vector<int> contexts;
    bool OpenHelp(const std::string&, int context) override {
        contexts.push_back(context);
        return true;
    }
};

TEST(MainWindowSheets, EditMenuMirrorsThePopupMenuOfTheCurrentCell) {
    Program p([](indEnviron& e) { e.ModelType = 0; });
    for (int b = 0; b < 5; ++b) datSetBankSize(p.main->Model().WorkingImage().Data(), b, b == 0 ? 3 : 0);
    p.main->Sheets().OpenSheet("[St_ChBank]GI_Sheet_Mch_Lmr,Bank 0");
    cuiSheet* sheet = p.main->Sheets().Current();
    ASSERT_NE(sheet, nullptr);
    p.form->activateWindow();
    QApplication::setActiveWindow(p.form.get());
    sheet->Grid()->setFocus();
    p.Step(0);
    ASSERT_TRUE(sheet->SelectCell(2, 1));  // the receive frequency of the bank's first channel
    p.Step(0);
    EvMan().Send(EVC_MenuRefresh);

    // Every mirrored entry is enabled exactly when the popup's entry is, and holds the same command.
    QAction* edit = p.main->Menu()->FindByLabel(CL_Menu_Edit_Top);
    ASSERT_NE(edit, nullptr);
    // The Edit menu's own entries (Undo, Redo and their separator) stay above the mirrored ones.
    std::vector<QAction*> mirrored;
    for (QAction* a : p.main->Menu()->Items(edit))
        if (!cuiMenu::IsKept(a)) mirrored.push_back(a);
    const QList<QAction*> popup = sheet->PopupMenu()->actions();
    ASSERT_EQ(mirrored.size(), static_cast<size_t>(popup.size()));
    std::map<int, bool> enabled;
    for (size_t i = 0; i < mirrored.size(); ++i) {
        const cmcCellObj* m = cuiMenu::CellOf(mirrored[i]);
        const cmcCellObj* c = cuiMenu::CellOf(popup[static_cast<int>(i)]);
        ASSERT_TRUE(m && c);
        if (!mirrored[i]->isSeparator()) {
            EXPECT_EQ(m->category, c->category) << i;
        }
        EXPECT_EQ(m->label, c->label) << i;
        EXPECT_EQ(mirrored[i]->isEnabled(), popup[static_cast<int>(i)]->isEnabled()) << mirrored[i]->text().toStdString();
        if (!mirrored[i]->isSeparator()) enabled[m->label] = mirrored[i]->isEnabled();
    }
    EXPECT_TRUE(enabled.at(CL_PMenu_CarryDown));
    EXPECT_FALSE(enabled.at(CL_PMenu_CarryUp));
    EXPECT_TRUE(enabled.at(CL_PMenu_Copy));

    // F1 on the sheet is the cell's help; Help, Contents still opens the contents.
    HelpRecorder help;
    cmcScopedAppCommands use(&help);
    QTest::keyClick(sheet->Grid(), Qt::Key_F1);
    ASSERT_EQ(help.contexts.size(), 1u);
    QAction* contents = p.main->Menu()->FindByLabel(CL_Help_Contents);
    ASSERT_NE(contents, nullptr);
    contents->trigger();
    EXPECT_EQ(help.contexts, (std::vector<int>{help.contexts[0], 0}));
    // Without a mirrored help entry, F1 belongs to Help, Contents again.
    EvMan().Send(EVC_MenuItemClear, 0, CL_Menu_Edit_Top);
    EXPECT_EQ(contents->shortcut(), QKeySequence(Qt::Key_F1));
}

TEST(MainWindowSheets, AnEmptyBankKeepsARowThatEditsNothing) {
    Program p([](indEnviron& e) { e.ModelType = 0; });
    uint8_t* image = p.main->Model().WorkingImage().Data();
    for (int b = 0; b < 5; ++b) datSetBankSize(image, b, b == 0 ? 3 : 0);
    datSetBankSize(image, 2, 2);  // bank 1 is empty; bank 2 follows it
    p.main->Sheets().OpenSheet("[St_ChBank]GI_Sheet_Mch_Lmr,Bank 1");
    auto* sheet = dynamic_cast<iuiSh_ChBank*>(p.main->Sheets().Current());
    ASSERT_NE(sheet, nullptr);
    const int group = sheet->Bank().GroupRow();
    ASSERT_GT(group, 0);
    EXPECT_EQ(sheet->RowCount(), group + 1);
    EXPECT_TRUE(sheet->Builder().PlaceholderRow(group));
    EXPECT_TRUE(sheet->Grid()->isEnabled());
    ASSERT_TRUE(sheet->SelectCell(2, group));
    EXPECT_FALSE(sheet->IsSelected(2, 0));  // the header row is not drawn as selected

    // Keys and typed text edit nothing (the cells stand for the next bank's first channel).
    const cmcEeprom before(p.main->Model().WorkingImage());
    for (int op : {13, 32, int('4')}) sheet->RunOperation(op);
    const std::string text = "446.1";
    sheet->RunOperation(0, nullptr, &text);
    EXPECT_FALSE(p.main->Model().WorkingImage().Differs(before));

    // The popup menu and its Edit menu mirror offer Insert there, but not Edit (it would edit nothing).
    p.form->activateWindow();
    QApplication::setActiveWindow(p.form.get());
    sheet->Grid()->setFocus();
    p.Step(0);
    EvMan().Send(EVC_MenuRefresh);
    QAction* editTop = p.main->Menu()->FindByLabel(CL_Menu_Edit_Top);
    ASSERT_NE(editTop, nullptr);
    const QList<QAction*> popupEntries = sheet->PopupMenu()->actions();
    const std::vector<QAction*> mirrorEntries = p.main->Menu()->Items(editTop);
    for (const auto& [name, entries] : {std::pair{"popup", std::vector<QAction*>(popupEntries.begin(), popupEntries.end())},
                                        std::pair{"mirror", mirrorEntries}}) {
        std::map<int, bool> enabled;
        for (QAction* a : entries)
            if (const cmcCellObj* c = cuiMenu::CellOf(a)) enabled[c->label] = a->isEnabled();
        ASSERT_TRUE(enabled.count(CL_PMenu_Insert) && enabled.count(CL_PMenu_Edit)) << name;
        EXPECT_TRUE(enabled[CL_PMenu_Insert]) << name;
        EXPECT_FALSE(enabled[CL_PMenu_Edit]) << name;
    }

    // The row shows no number (it would be the next bank's first channel); once a channel joins,
    // the row carries that channel's number.
    auto colours = [&] {
        const QRect r = sheet->Grid()->CellRect(0, group);
        QImage img(r.size(), QImage::Format_RGB32);
        img.fill(Qt::magenta);
        QPainter painter(&img);
        painter.translate(-r.topLeft());
        sheet->DrawCell(painter, 0, group, r, 0);
        painter.end();
        std::set<QRgb> seen;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) seen.insert(img.pixel(x, y));
        return seen.size();
    };
    EXPECT_LE(colours(), 2u);  // background and bottom line only

    // A channel joining the bank takes the row; the last one leaving gives it back.
    EvMan().Send(EVC_BankJoined);
    EXPECT_EQ(sheet->RowCount(), group + 1);
    EXPECT_FALSE(sheet->Builder().PlaceholderRow(group));
    EXPECT_GT(colours(), 2u);
    EvMan().Send(EVC_BankJoined);
    EXPECT_EQ(sheet->RowCount(), group + 2);
    EvMan().Send(EVC_BankLeft);
    EvMan().Send(EVC_BankLeft);
    EXPECT_EQ(sheet->RowCount(), group + 1);
    EXPECT_TRUE(sheet->Builder().PlaceholderRow(group));
}

// A channel sheet wider than the window opens on its leftmost columns, and the horizontal scroll
// bar says so: its thumb is at the left, and dragging it to the right shows the last column.
TEST(MainWindowSheets, HorizontalScrollBarStartsAtTheLeft) {
    Program p([](indEnviron& e) { e.ModelType = 0; });
    for (int b = 0; b < 5; ++b) datSetBankSize(p.main->Model().WorkingImage().Data(), b, b == 0 ? 10 : 0);
    p.form->resize(640, 480);
    p.form->show();
    p.main->Sheets().OpenSheet("[St_ChBank]GI_Sheet_Mch_Lmr,Bank 0");
    p.Step(0);
    cuiSheet* sheet = p.main->Sheets().Current();
    ASSERT_NE(sheet, nullptr);
    cuiGrid* grid = sheet->Grid();
    QScrollBar* bar = grid->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the sheet fits: no scrolling to check";
    EXPECT_EQ(grid->LeftCol(), grid->FixedCols());
    EXPECT_EQ(bar->value(), 0);
    bar->setValue(bar->maximum());
    EXPECT_GT(grid->LeftCol(), grid->FixedCols());
    EXPECT_FALSE(grid->CellRect(grid->ColCount() - 1, 1).isEmpty());
    bar->setValue(0);
    EXPECT_EQ(grid->LeftCol(), grid->FixedCols());
}

TEST(MainWindowSheets, BankTitleAndTheJoinedLayoutCell) {
    Program p([](indEnviron& e) { e.ModelType = 0; });
    uint8_t* image = p.main->Model().WorkingImage().Data();
    for (int b = 0; b < 5; ++b) datSetBankSize(image, b, b == 0 ? 64 : 0);
    p.main->Sheets().OpenSheet("[St_ChBank]GI_Sheet_Mch_Lmr,Bank 0");
    cuiSheet* sheet = p.main->Sheets().Current();
    EXPECT_NE(sheet->TitleLabel()->text().toStdString().find("(Left CH - 0)"), std::string::npos);
    datSetBankSize(image, 0, 4);
    datSetBankSize(image, 1, 4);
    EvMan().Send(EVC_RedrawLabelled);  // what the program sends after edits
    EXPECT_NE(sheet->TitleLabel()->text().toStdString().find("(Left CH - 56)"), std::string::npos)
        << sheet->TitleLabel()->text().toStdString();

    // The bank layout value spans joined cells; a click on any of them selects it.
    p.main->Sheets().OpenSheet("GI_Sheet_Mch_BankOp");
    sheet = p.main->Sheets().Current();
    ASSERT_TRUE(sheet->SelectByIdentity(CT_Null, CL_Bank_SelBankFree, 0));
    const int col = sheet->Col(), row = sheet->Row();
    ASSERT_TRUE(sheet->SelectCell(2, 1));
    ASSERT_TRUE(sheet->CellAt(col + 2, row).Trailing());
    const QRect r = sheet->Grid()->CellRect(col + 2, row);
    ASSERT_FALSE(r.isEmpty());
    QTest::mouseClick(sheet->Grid()->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(sheet->Col(), col);
    EXPECT_EQ(sheet->Row(), row);
}

TEST(MainWindowSheets, HistoryRestoresTheCellAndKeepsOneEntryPerSheet) {
    Program p([](indEnviron& e) { e.ModelType = 0; });
    p.main->Sheets().OpenSheet("GI_Sheet_Mch_BankOp");
    cuiSheet* sheet = p.main->Sheets().Current();
    ASSERT_TRUE(sheet->SelectCell(1, 3));
    const cuiSheetPos left = sheet->Position();
    p.main->Sheets().OpenSheet("GI_Sheet_Scan");
    p.main->Sheets().OpenSheet("GI_Sheet_Mch_BankOp");
    EXPECT_EQ(p.main->Sheets().Current()->Position().row, left.row);
    EXPECT_EQ(p.main->Sheets().Current()->Position().col, left.col);

    const char* keys[] = {"GI_Sheet_Top", "GI_Sheet_Scan", "GI_Sheet_Dtmf", "GI_Sheet_CTone", "GI_Sheet_2Tone",
                          "GI_Sheet_5ToneTx", "GI_Sheet_UserTone", "GI_Sheet_Signal_Top", "GI_Sheet_Dig_Top",
                          "GI_Sheet_Memory_CH_Top"};
    for (int round = 0; round < 2; ++round)
        for (const char* k : keys) p.main->Sheets().OpenSheet(k);
    p.main->Sheets().CloseSheet(true);
    std::set<std::string> names;
    for (const auto& e : p.main->Sheets().History()) names.insert(e.name);
    EXPECT_EQ(names.size(), p.main->Sheets().History().size());  // one entry per sheet
    EXPECT_EQ(p.main->Sheets().History().front().name, "GI_Sheet_Memory_CH_Top");
    EXPECT_EQ(p.main->Sheets().History().size(), 11u);  // the ten and the bank operation sheet
}

TEST(MainWindowSheets, ThreeCheckRequestsMakeOneCheck250MsAfterTheLast) {
    Program p;
    p.Step(1000);  // the start-up's own checks are over
    EventLog log;
    p.main->Warnings().Schedule();
    p.Step(40);
    p.main->Warnings().Schedule();
    p.Step(40);
    p.main->Warnings().Schedule();
    p.Step(230);
    EXPECT_EQ(log.Count(EVC_CheckDone), 0);
    EXPECT_TRUE(p.main->Warnings().Pending());
    p.Step(100);
    EXPECT_EQ(log.Count(EVC_CheckDone), 1);
    EXPECT_FALSE(p.main->Warnings().Pending());
    p.Step(500);
    EXPECT_EQ(log.Count(EVC_CheckDone), 1);
}

// ---- a channel joins or leaves a bank ---------------------------------------------------------------------------

TEST(MainWindowEvents, ChannelJoinsAndLeavesABank) {
    Program p([](indEnviron& e) { e.ModelType = 0; });
    uint8_t* image = p.main->Model().WorkingImage().Data();
    for (int b = 0; b < 5; ++b) datSetBankSize(image, b, 0);
    datSetBankSize(image, 0, 3);
    datSetBankSize(image, 1, 2);
    datCh rec(image);
    for (int ch = 0; ch < 5; ++ch) {
        rec.Load(KIND_ChLmr, ch);
        rec.rxFreq = rec.txFreq = 446000000 + 12500 * static_cast<uint32_t>(ch);
        rec.inUse = true;
        rec.Store(KIND_ChLmr, ch);
    }
    datSetBankFlag(image, 1, true);
    const auto freq = [&](int ch) {
        datCh r(image);
        r.Load(KIND_ChLmr, ch);
        return r.rxFreq;
    };
    EventLog log;
    EvMan().Send(EVC_ChannelJoinsBank, 0, 1);
    EXPECT_EQ(freq(0), 446000000u);
    EXPECT_EQ(freq(1), 0u);  // the blank record
    EXPECT_EQ(freq(2), 446012500u);
    EXPECT_EQ(freq(5), 446050000u);
    EXPECT_EQ(datBankSize(image, 0), 4);
    EXPECT_TRUE(datBankFlag(image, 1));  // the slots keep their banks' flags
    EXPECT_FALSE(datBankFlag(image, 0));
    EXPECT_GE(log.Count(EVC_BankJoined), 1);

    log.codes.clear();
    EvMan().Send(EVC_ChannelLeavesBank, 0, 1);
    for (int ch = 0; ch < 5; ++ch) EXPECT_EQ(freq(ch), 446000000u + 12500u * static_cast<uint32_t>(ch)) << ch;
    EXPECT_EQ(datBankSize(image, 0), 3);
    ASSERT_GE(log.codes.size(), 3u);
    EXPECT_EQ(log.Count(EVC_BankLeft), 1);
    EXPECT_EQ(log.codes[std::find(log.codes.begin(), log.codes.end(), EVC_RedrawIndexAtLeast) - log.codes.begin() - 1],
              EVC_BankChanged);
}

// ---- menus --------------------------------------------------------------------------------------

TEST(MainWindowMenus, NumberedPortEntriesNameTheirDevice) {
    const std::string root = test::TempDir() + "/ports";
    QDir().mkpath(QString::fromStdString(root + "/dev"));
    QDir().mkpath(QString::fromStdString(root + "/sys"));
    test::WriteFile(root + "/dev/ttyUSB0", "");
    cmcPortList::SetDefaultRoots(root + "/dev", root + "/sys");
    cuiMain::ForgetPortDevices();
    {
        Program p;
        EvMan().Send(EVC_MenuRefresh);
        QAction* port1 = nullptr;
        QAction* port2 = nullptr;
        for (QAction* a : p.main->Menu()->Items()) {
            const cmcCellObj* c = cuiMenu::CellOf(a);
            if (c && c->label == CL_Menu_Port_Com && c->index == 1) port1 = a;
            if (c && c->label == CL_Menu_Port_Com && c->index == 2) port2 = a;
        }
        ASSERT_TRUE(port1 && port2);
        EXPECT_EQ(port1->text().toStdString(), "Port &1:  " + root + "/dev/ttyUSB0");
        EXPECT_EQ(port2->text().toStdString(), "Port &2:  (no device)");
        EXPECT_TRUE(port1->isChecked());
        // Separators show as plain lines, without the definition's "-".
        for (QAction* a : p.main->Menu()->Items())
            if (a->isSeparator()) {
                EXPECT_TRUE(a->text().isEmpty());
            }
    }
    cmcPortList::SetDefaultRoots("", "");
    cuiMain::ForgetPortDevices();
}

// ---- closing ------------------------------------------------------------------------------------

TEST(MainWindowClosing, UnsavedChangesQuestionAndStoredPosition) {
    // Not modified: no question, the window closes.
    {
        Program q;
        EXPECT_TRUE(q.form->close());
        EXPECT_TRUE(test::Messages().messages().empty());
        EXPECT_EQ(q.main->Form(), nullptr);
    }
    Program p([](indEnviron& e) { e.SplitterV = 180; });
    p.main->Model().MarkModified();
    test::Messages().Clear();
    test::Messages().QueueAnswer(MB_Cancel);
    EXPECT_FALSE(p.form->close());
    EXPECT_TRUE(p.form->isVisible());
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    EXPECT_NE(test::Messages().messages()[0].text.find("Untitled"), std::string::npos);
    EXPECT_EQ(test::Messages().messages()[0].icon, cmcMsgIcon::Warning);

    p.form->setGeometry(120, 90, 700, 500);
    p.main->Splitter()->setSizes({150, 500});
    QCoreApplication::processEvents();
    const int leftWidth = p.main->LeftPanel()->width();
    test::Messages().QueueAnswer(MB_Discard);
    EXPECT_TRUE(p.form->close());
    EXPECT_EQ(p.env.Left, 120);
    EXPECT_EQ(p.env.Top, 90);
    EXPECT_EQ(p.env.Width, 700);
    EXPECT_EQ(p.env.Height, 500);
    EXPECT_EQ(static_cast<int>(p.env.SplitterV), leftWidth);
    EXPECT_EQ(p.main->Sheets().Current(), nullptr);
    EXPECT_EQ(p.main->Tree(), nullptr);
    EXPECT_TRUE(p.main->TickTask()->Idle());
}

TEST(MainWindowClosing, UnsavedChangesCanBeSavedDiscardedOrKept) {
    Program p([](indEnviron& e) { e.ModelType = 0; });
    const std::string path = test::TempDir() + "/unsaved.QCF";
    std::remove(path.c_str());
    ASSERT_TRUE(p.main->Files().SaveFile(path));
    auto edit = [&](uint32_t hz) {
        datCh rec(p.main->Model().WorkingImage().Data());
        rec.Load(KIND_ChLmr, 0);
        rec.rxFreq = rec.txFreq = hz;
        rec.inUse = true;
        rec.Store(KIND_ChLmr, 0);
        p.main->Model().NoteEdit();
        ASSERT_TRUE(p.main->Model().IsModified());
    };
    auto savedFrequency = [&] {
        cmcEeprom stored;
        EXPECT_EQ(p.main->Model().LoadCloneFile(path, stored), 0);
        p.main->Model().UnpackImage(stored);
        datCh rec(stored.Data());
        rec.Load(KIND_ChLmr, 0);
        return rec.rxFreq;
    };
    const uint32_t before = savedFrequency();

    // Cancel: nothing happens.
    edit(446006250);
    test::Messages().Clear();
    test::Messages().QueueAnswer(MB_Cancel);
    EXPECT_FALSE(p.main->FileNew());
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    EXPECT_EQ(test::Messages().messages()[0].buttons, unsigned(MB_Save | MB_Discard | MB_Cancel));
    EXPECT_TRUE(p.main->Model().IsModified());
    EXPECT_EQ(savedFrequency(), before);

    // Discard: goes on without writing.
    test::Messages().QueueAnswer(MB_Discard);
    EXPECT_TRUE(p.main->FileNew());
    EXPECT_FALSE(p.main->Model().IsModified());
    EXPECT_EQ(savedFrequency(), before);

    // Save: the file is written, then the command goes on.
    ASSERT_TRUE(p.main->Files().OpenFile(path));
    edit(446018750);
    test::Messages().QueueAnswer(MB_Save);
    EXPECT_TRUE(p.main->FileNew());
    EXPECT_EQ(savedFrequency(), 446018750u);
    EXPECT_FALSE(p.main->Model().IsModified());
}

// ---- cloning window -----------------------------------------------------------------------------

TEST(CloningWindow, ProgressCellsAndPlacement) {
    const struct {
        int done, total, cells;
    } cases[] = {{16064, 32128, 16}, {0, 32128, 0}, {32128, 32128, 33}, {5, 0, 0}, {974, 32128, 1}};
    for (const auto& c : cases) EXPECT_EQ(cuiCloneProgress::CellsFilled(c.done, c.total), c.cells) << c.done;

    QWidget owner;
    cuiCloneWindow w(&owner);
    EXPECT_EQ(w.windowTitle().toStdString(), "Cloning");
    EXPECT_EQ(w.Box()->width(), 256);
    EXPECT_EQ(w.width(), 258 + 32);
    EXPECT_EQ(w.Panel()->geometry().topLeft(), QPoint(16, 8));
    // Cancel sits under the panel, right-aligned with it, wholly inside the window.
    const QRect cancel = w.CancelButton()->geometry();
    EXPECT_GT(cancel.top(), w.Panel()->geometry().bottom());
    EXPECT_EQ(cancel.right(), w.Panel()->geometry().right());
    EXPECT_TRUE(w.rect().contains(cancel));
    w.SetPhase("Reading the radio");
    EXPECT_GT(w.CancelButton()->geometry().top(), w.PhaseLabel()->geometry().bottom());
    EXPECT_TRUE(w.rect().contains(w.CancelButton()->geometry()));

    const QRect wa(0, 0, 1920, 1040);
    // Centred, halves rounded towards minus infinity; then held inside the work area.
    EXPECT_EQ(cuiCloneWindow::Place(QRect(100, 100, 801, 601), QSize(290, 48), wa), QPoint(355, 376));
    EXPECT_EQ(cuiCloneWindow::Place(QRect(100, 100, 100, 40), QSize(290, 48), wa), QPoint(5, 96));
    EXPECT_EQ(cuiCloneWindow::Place(QRect(1800, 1000, 200, 100), QSize(290, 48), wa), QPoint(1630, 992));
    EXPECT_EQ(cuiCloneWindow::Place(QRect(-300, -200, 100, 40), QSize(290, 48), wa), QPoint(0, 0));

    // The view disables the main window while the window shows and gives it back after.
    cuiCloneView view(&owner);
    owner.show();
    view.EnableMain(false);
    view.ShowCloning();
    ASSERT_NE(view.Window(), nullptr);
    EXPECT_TRUE(view.Window()->isVisible());
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(view.Window()->CancelButton()->isEnabled()) << "Cancel must stay usable";
    view.Progress(16064, 32128);
    EXPECT_EQ(view.Window()->Box()->Done(), 16064);
    view.HideCloning();
    view.EnableMain(true);
    EXPECT_EQ(view.Window(), nullptr);
    EXPECT_TRUE(owner.isEnabled());
}
