// Sheet interaction on the offscreen platform: the cursor rule, mouse and keys, the in-place
// editor, multiple selection, running operations (drop-down hand-over, jumps, repeats, ranges),
// drawing of joined cells, and the popup menu mirrored into the menu bar.
#include "app/cuiGrid.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "app/cuiMenu.h"
#include "app/cuiSheet.h"
#include "support/cmcTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace qx;

namespace {

// A main store holding one sheet "GI_Sheet_T" with the given style and rows, the cell models and
// two popup menus; installed as the program's store while it lives.
struct Defs {
    std::vector<std::string> lines;
    cmcGTex store;
    Defs(const std::string& style, const std::vector<std::string>& rows) {
        lines = {"#GI_Sheet_T_Style", style, "#GI_Sheet_T_BasicCell", "{($Basic)}", "#GI_Sheet_T_Cells"};
        lines.insert(lines.end(), rows.begin(), rows.end());
        for (const char* l : {"#", "#CellModel_Basic",
                              "<-(Color=clWindow)(Font=DEFAULT_CHARSET,,clWindowText,-13,,,)(PopupMenu=GI_PMenu_A)",
                              "#GI_PMenu_A_BasicCell", "{($Basic)(%CT_PopupMenu.)}", "#GI_PMenu_A_Body",
                              "+Edit...\t{(%CL_PMenu_Edit:Enter)}", "+Copy\t{(%CL_PMenu_Copy:Ctrl+C)}", "#",
                              "#GI_PMenu_B_BasicCell", "{($Basic)(%CT_PopupMenu.)}", "#GI_PMenu_B_Body",
                              "+Help\t{(%CL_PMenu_Help:F1)}", "#", "#GI_Menu_T_BasicCell", "{($Basic)}",
                              "#GI_Menu_T_Body", "+&Edit{(%CL_Menu_Edit_Top)}", "#", "#End_Of_Ovl"})
            lines.push_back(l);
        store.SetLineList(&lines);
        SetGTex(&store);
    }
    ~Defs() { SetGTex(nullptr); }
};

// A cell handler that records what it is asked and answers as told.
struct Handler {
    struct Call {
        int action, resultKind, popup, label, index;
        std::string input;
        bool fromDropDown;
        int parentLabel;
    };
    std::vector<Call> calls;  // operations only (refreshes while drawing are not recorded)
    std::function<uint8_t(cmcCellRequest&)> answer;
    cmcCellHandler Binding() {
        return [this](cmcCellRequest& r) -> uint8_t {
            if (r.action == 0 && r.resultKind == CRK_Plain && r.popupCommand == 0) {
                r.display = r.cell->Text();
                return 0;
            }
            calls.push_back({r.action, r.resultKind, r.popupCommand, r.cell->label, r.cell->index, r.input,
                             r.resultKind == CRK_Chooser, r.parent && r.parent->cell ? r.parent->cell->label : -1});
            return answer ? answer(r) : 0;
        };
    }
    std::vector<int> Actions() const {
        std::vector<int> a;
        for (auto& c : calls) a.push_back(c.action);
        return a;
    }
};

struct SheetFixture : ::testing::Test {
    cmcScopedEvMan evman;
    QWidget host;
    std::unique_ptr<Defs> defs;
    std::unique_ptr<cuiSheet> sheet;
    Handler handler;
    ~SheetFixture() override { sheet.reset(); }

    void Make(const std::string& style, const std::vector<std::string>& rows, bool dropDown = false,
              const cmcCellRequest* opener = nullptr, QSize size = QSize(400, 300)) {
        sheet.reset();
        defs.reset();
        defs = std::make_unique<Defs>(style, rows);
        sheet = std::make_unique<cuiSheet>(&host, opener, kLabelNone, 0, defs->store, "GI_Sheet_T", &host);
        sheet->SetCellHandler(handler.Binding());
        sheet->SetDropDown(dropDown);
        sheet->SetContext({});
        sheet->Build();
        if (dropDown) sheet->Grid()->SetScrollBars(cuiGridScrollBars::None);
        host.resize(size);
        host.show();
        host.activateWindow();
        sheet->Grid()->setFocus();
        QApplication::processEvents();
    }
    cuiGrid& G() { return *sheet->Grid(); }
    void Key(int key, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(&G(), Qt::Key(key), m); }
    QPoint At(int c, int r) { return G().CellRect(c, r).center(); }
    void Click(int c, int r, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseClick(G().viewport(), b, {}, At(c, r)); }
    std::pair<int, int> Pos() { return {sheet->Col(), sheet->Row()}; }
};

using P = std::pair<int, int>;

}  // namespace

TEST_F(SheetFixture, BuildRestsTheCursorOnASelectableCell) {
    // (0,0), then down to (0,2), up to the nearest in row 1 (2,1), right: nothing, left: back to
    // column 0 nearest to row 1.
    Make("(FixedRows=1)", {"h|h|h", "a|b|{S}c", "{S}d|e|f"});
    EXPECT_EQ(Pos(), P(0, 2));
    EXPECT_TRUE(G().isEnabled());
    // A sheet without any selectable cell is disabled.
    Make("", {"a|b"});
    EXPECT_FALSE(G().isEnabled());
}

TEST_F(SheetFixture, ArrowsFollowTheCursorRule) {
    Make("", {
                 "{S}a|x|{S}b|x",
                 "x|x|x|x",
                 "x|{S}c|x|{S}d",
                 "{S}e|x|x|x",
             });
    sheet->SelectCell(0, 0);
    Key(Qt::Key_Right);  // same row: the next selectable cell
    EXPECT_EQ(Pos(), P(2, 0));
    Key(Qt::Key_Right);  // none further in the row: the next column holding one, nearest to row 0
    EXPECT_EQ(Pos(), P(3, 2));
    handler.calls.clear();
    Key(Qt::Key_Right);  // nothing right of the last column: the key goes to the cell handler
    EXPECT_EQ(Pos(), P(3, 2));
    EXPECT_EQ(handler.Actions(), std::vector<int>{0x2700});
    Key(Qt::Key_Down);   // column 3 has nothing below: the next row holding one, nearest to column 3
    EXPECT_EQ(Pos(), P(0, 3));
    handler.calls.clear();
    Key(Qt::Key_Left);
    EXPECT_EQ(handler.Actions(), std::vector<int>{0x2500});
    Key(Qt::Key_Up);     // the same column first
    EXPECT_EQ(Pos(), P(0, 0));
    Key(Qt::Key_Down, Qt::ControlModifier);  // Ctrl+Down and Home do nothing
    Key(Qt::Key_Home);
    EXPECT_EQ(Pos(), P(0, 0));
    sheet->SelectCell(3, 2);
    Key(Qt::Key_Up);     // nothing above in column 3: row 0 nearest to column 3 (the last movement's end)
    EXPECT_EQ(Pos(), P(2, 0));
    sheet->SelectCell(0, 3);
    Key(Qt::Key_Up);
    Key(Qt::Key_Down);   // from (0,0): down column 0 to (0,3)
    EXPECT_EQ(Pos(), P(0, 3));
}

TEST_F(SheetFixture, DropDownWrapsAroundAndPageKeysMakeTenSteps) {
    std::vector<std::string> rows;
    for (int i = 0; i < 30; ++i) rows.push_back("{S}r" + std::to_string(i));
    Make("", rows, /*dropDown=*/true);
    EXPECT_EQ(Pos(), P(0, 0));
    Key(Qt::Key_Up);  // wraps to the last row
    EXPECT_EQ(Pos(), P(0, 29));
    Key(Qt::Key_Down);
    EXPECT_EQ(Pos(), P(0, 0));
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Pos(), P(0, 10));
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Pos(), P(0, 29));  // page keys never wrap
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Pos(), P(0, 19));
}

TEST_F(SheetFixture, ReachingTheFirstSelectableRowScrollsFullyUp) {
    std::vector<std::string> rows = {"title", "head"};
    for (int i = 0; i < 60; ++i) rows.push_back("{SH}r\\(@ch0)");
    Make("(FixedRows=1)", rows, false, nullptr, QSize(200, 150));
    sheet->SelectCell(0, 40);
    EXPECT_GT(G().TopRow(), 20);
    for (int i = 0; i < 5; ++i) Key(Qt::Key_PageUp);
    EXPECT_EQ(Pos(), P(0, 2));
    EXPECT_EQ(G().TopRow(), 1);  // the unselectable row 1 is shown too
}

TEST_F(SheetFixture, ClicksOnTrailingCellsAndTheirPopupMenu) {
    Make("", {"{S}a|{T}t1|{T}t2|x", "{S}b|{T}u|y|{S(PopupMenu=GI_PMenu_B)}z"});
    sheet->SelectCell(0, 1);
    Click(2, 0);  // a left click on a trailing cell selects the cell it belongs to
    EXPECT_EQ(Pos(), P(0, 0));
    sheet->SelectCell(0, 1);
    // A right click selects the cell the trailing cell belongs to and opens its popup menu.
    QTimer::singleShot(50, [] {
        if (QWidget* w = QApplication::activePopupWidget()) w->close();
    });
    Click(2, 0, Qt::RightButton);
    EXPECT_EQ(Pos(), P(0, 0));
    ASSERT_NE(sheet->PopupBuilder(), nullptr);
    EXPECT_EQ(sheet->PopupBuilder()->Key(), "GI_PMenu_A");
    EXPECT_EQ(sheet->PopupMenu()->actions().size(), 2);
    // Trailing cells of the current row draw selected, others not.
    EXPECT_TRUE(sheet->IsSelected(2, 0));
    EXPECT_FALSE(sheet->IsSelected(1, 1));
    EXPECT_FALSE(sheet->IsSelected(3, 0));
    Click(3, 1);
    EXPECT_EQ(Pos(), P(3, 1));
    EXPECT_EQ(sheet->PopupBuilder()->Key(), "GI_PMenu_B");
}

TEST_F(SheetFixture, SelectingACellClearsTheStatusAndAnnouncesTheCell) {
    Make("", {"{S(%CT_Mch.CL_Mch_Text[5])}a|{S(%CT_Mch.CL_Mch_Nar[6])}b"});
    struct Seen {
        std::vector<std::array<int32_t, 3>> ids;
        int status = 0;
        void On(const cmcEvent& e) {
            std::array<int32_t, 3> id{};
            if (e.code == EVC_CurrentCellChanged && e.data.Read(id)) ids.push_back(id);
            if (e.code == EVC_StatusText && e.data.Text().empty()) ++status;
        }
    } seen;
    EvMan().Register<&Seen::On>(&seen);
    Click(1, 0);
    Click(1, 0);  // same cell again: no second announcement
    EvMan().UnregisterAll(&seen);
    ASSERT_EQ(seen.ids.size(), 1u);
    EXPECT_EQ(seen.ids[0], (std::array<int32_t, 3>{CT_Mch, CL_Mch_Nar, 6}));
    EXPECT_GE(seen.status, 2);
}

TEST_F(SheetFixture, KeysAndDoubleClicksBecomeOperations) {
    Make("", {"{SWH(%CL_Mch_Text[3])}a|{SWH(%CL_Mch_Nar[3])}b"});
    Key(Qt::Key_A);
    Key(Qt::Key_Return);
    Key(Qt::Key_Space);
    Key(Qt::Key_F1);
    Key(Qt::Key_F12);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, At(0, 0), G().viewport()->mapToGlobal(At(0, 0)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(G().viewport(), &dbl);
    EXPECT_EQ(handler.Actions(), (std::vector<int>{'a', 13, ' ', 0x7000, 0x7B00, 256}));
}

TEST_F(SheetFixture, InPlaceEditorCommitsOnEnterAndFocusLossAndNotOnEsc) {
    Make("", {"{SWH(%CL_Mch_Text[3])}abc|{SWH(%CL_Mch_Nar[3])}b"});
    handler.answer = [](cmcCellRequest& r) -> uint8_t {
        if (r.action == 13) {
            r.display = "start";
            r.caretPos = 1;
            r.selLength = 2;
            return CER_Editor;
        }
        return 0;
    };
    Key(Qt::Key_Return);
    ASSERT_TRUE(sheet->EditorShowing());
    EXPECT_EQ(sheet->Editor()->text(), "start");
    EXPECT_EQ(sheet->Editor()->selectedText(), "ta");
    QTest::keyClicks(sheet->Editor(), "XY");
    QTest::keyClick(sheet->Editor(), Qt::Key_Escape);
    EXPECT_FALSE(sheet->EditorShowing());
    ASSERT_EQ(handler.calls.size(), 1u);  // Esc: nothing committed

    Key(Qt::Key_Return);
    sheet->Editor()->setText("new");
    QTest::keyClick(sheet->Editor(), Qt::Key_Return);
    ASSERT_EQ(handler.calls.size(), 3u);
    EXPECT_EQ(handler.calls[2].resultKind, CRK_Input);
    EXPECT_EQ(handler.calls[2].input, "new");
    EXPECT_EQ(handler.calls[2].label, CL_Mch_Text);

    // Clicking another cell commits the text to the edited cell, then moves.
    Key(Qt::Key_Return);
    sheet->Editor()->setText("moved");
    Click(1, 0);
    ASSERT_EQ(handler.calls.size(), 5u);
    EXPECT_EQ(handler.calls[4].input, "moved");
    EXPECT_EQ(handler.calls[4].label, CL_Mch_Text);
    EXPECT_EQ(Pos(), P(1, 0));

    // EVC_CloseDropDowns commits an open editor too; Down commits and moves on.
    sheet->SelectCell(0, 0);
    Key(Qt::Key_Return);
    sheet->Editor()->setText("e21");
    EvMan().Send(EVC_CloseDropDowns);
    EXPECT_FALSE(sheet->EditorShowing());
    EXPECT_EQ(handler.calls.back().input, "e21");
}

TEST_F(SheetFixture, EnterAndTabMoveLikeASpreadsheet) {
    Make("", {"{SWH(%CL_Mch_Text[1])}a|{SWH(%CL_Mch_Text[2])}b|{SWH(%CL_Mch_Text[3])}c",
              "{SWH(%CL_Mch_Text[4])}d|{SWH(%CL_Mch_Text[5])}e|{SWH(%CL_Mch_Text[6])}f"});
    handler.answer = [](cmcCellRequest& r) -> uint8_t {
        if (r.action != 13) return 0;
        r.display = r.cell->Text();
        return CER_Editor;
    };
    sheet->SelectCell(0, 0);
    // Without an editor Tab and Shift+Tab step sideways and are no operation on the cell.
    Key(Qt::Key_Tab);
    EXPECT_EQ(Pos(), P(1, 0));
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(Pos(), P(0, 0));
    Key(Qt::Key_Backtab);
    EXPECT_EQ(Pos(), P(0, 0));  // left edge: stays
    EXPECT_TRUE(handler.calls.empty());
    EXPECT_TRUE(G().hasFocus());

    // Enter in the editor commits to the edited cell and moves down.
    Key(Qt::Key_Return);
    ASSERT_TRUE(sheet->EditorShowing());
    sheet->Editor()->setText("x");
    QTest::keyClick(sheet->Editor(), Qt::Key_Return);
    EXPECT_FALSE(sheet->EditorShowing());
    EXPECT_EQ(handler.calls.back().input, "x");
    EXPECT_EQ(handler.calls.back().index, 1);
    EXPECT_EQ(Pos(), P(0, 1));

    // Tab in the editor commits and moves right; Shift+Tab commits and moves left.
    Key(Qt::Key_Return);
    sheet->Editor()->setText("y");
    QTest::keyClick(sheet->Editor(), Qt::Key_Tab);
    EXPECT_EQ(handler.calls.back().input, "y");
    EXPECT_EQ(handler.calls.back().index, 4);
    EXPECT_EQ(Pos(), P(1, 1));
    Key(Qt::Key_Return);
    sheet->Editor()->setText("z");
    QTest::keyClick(sheet->Editor(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(handler.calls.back().input, "z");
    EXPECT_EQ(handler.calls.back().index, 5);
    EXPECT_EQ(Pos(), P(0, 1));

    // A cell that keeps its editor open (a refused value) keeps the cursor where it is.
    handler.answer = [](cmcCellRequest& r) -> uint8_t {
        r.display = "again";
        return CER_Editor;
    };
    Key(Qt::Key_Return);
    QTest::keyClick(sheet->Editor(), Qt::Key_Return);
    EXPECT_TRUE(sheet->EditorShowing());
    EXPECT_EQ(Pos(), P(0, 1));
}

TEST_F(SheetFixture, EditorPlacementFollowsTheVerticalAlignment) {
    Make("", {"{S~(%CL_Mch_Text)}a|{S-(%CL_Mch_Text)}b|{S_(%CL_Mch_Text)}c|{S(%CL_Mch_Text)H}d\\n\\n\\n"});
    const QRect cell = G().CellRect(0, 0);
    ASSERT_GT(cell.height(), 40);
    const int lineH = QFontMetrics(sheet->Grid()->font()).height();
    struct Case {
        int col;
        int top;
    };
    for (const Case& c : {Case{0, cell.top()}, Case{1, cell.top() + (cell.height() - lineH) / 2},
                          Case{2, cell.top() + cell.height() - lineH - 1}}) {
        sheet->SelectCell(c.col, 0);
        sheet->OpenEditor("x", 0, 0);
        EXPECT_EQ(sheet->Editor()->geometry(), QRect(cell.left() + G().CellRect(c.col, 0).left() - cell.left(), c.top,
                                                     G().CellRect(c.col, 0).width(), lineH))
            << c.col;
        sheet->CancelEditor();
    }
}

TEST_F(SheetFixture, LineModeShiftDownSelectsWholeRows) {
    Make("(FixedCols=1)(MultiSelect=Line)",
         {"n1|{S(%CL_Mch_Text[0])}a|x|y", "n2|{S(%CL_Mch_Text[1])}b|x|y", "n3|{S(%CL_Mch_Text[2])}c|x|y"});
    EXPECT_EQ(Pos(), P(1, 0));
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_TRUE(sheet->MultiSelectionShown());
    for (int r = 0; r < 2; ++r)
        for (int c = 1; c < 4; ++c) EXPECT_TRUE(sheet->IsSelected(c, r)) << c << "," << r;
    EXPECT_FALSE(sheet->IsSelected(0, 0));  // fixed column
    EXPECT_FALSE(sheet->IsSelected(2, 2));
    // The operation reports the selected range of indices.
    int first = -1, last = -1;
    handler.answer = [&](cmcCellRequest& r) -> uint8_t {
        if (r.selFlags & 1) {
            first = r.selFirst;
            last = r.selLast;
        }
        return 0;
    };
    Key(Qt::Key_Space);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 1);
    // A move without Shift clears the selection.
    Key(Qt::Key_Down);
    EXPECT_FALSE(sheet->MultiSelectionShown());
    EXPECT_FALSE(sheet->IsSelected(2, 0));
}

TEST_F(SheetFixture, ARestoredPositionIsTheOnlyHighlightedCell) {
    // A sheet built again over a new image (read-back, undo, File New) returns to where it was.
    for (const char* style : {"(FixedCols=1)(MultiSelect=Line)", "(FixedCols=1)(MultiSelect=Cell)"}) {
        SCOPED_TRACE(style);
        sheet.reset();
        defs.reset();
        defs = std::make_unique<Defs>(style, std::vector<std::string>{"n1|{SWH(%CL_Mch_Text[0])}a|{SWH(%CL_Mch_Nar[0])}b",
                                                                      "n2|{SWH(%CL_Mch_Text[1])}c|{SWH(%CL_Mch_Nar[1])}d",
                                                                      "n3|{SWH(%CL_Mch_Text[2])}e|{SWH(%CL_Mch_Nar[2])}f"});
        sheet = std::make_unique<cuiSheet>(&host, nullptr, kLabelNone, 0, defs->store, "GI_Sheet_T", &host);
        sheet->SetCellHandler(handler.Binding());
        sheet->SetContext({});
        cuiSheetPos pos;
        pos.col = 2;
        pos.row = 2;
        sheet->SetSavedPosition(pos);
        sheet->Build();
        ASSERT_EQ(Pos(), P(2, 2));
        int highlighted = 0;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) highlighted += sheet->IsSelected(c, r);
        EXPECT_EQ(highlighted, 1);
        // A move without Shift still leaves one highlighted cell.
        Key(Qt::Key_Up);
        EXPECT_TRUE(sheet->IsSelected(2, 1));
        EXPECT_FALSE(sheet->IsSelected(1, 0));
        EXPECT_FALSE(sheet->IsSelected(2, 2));
    }
}

TEST_F(SheetFixture, CellModeSelectsRectanglesAndHandlerRanges) {
    Make("(MultiSelect=Cell)", {"{S(%CL_Mch_Text[0])}a|{S(%CL_Mch_Nar[0])}b", "{S(%CL_Mch_Text[1])}c|{S(%CL_Mch_Nar[1])}d",
                                "{S(%CL_Mch_Text[2])}e|{S(%CL_Mch_Nar[2])}f"});
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_TRUE(sheet->IsSelected(0, 0) && sheet->IsSelected(1, 0) && sheet->IsSelected(0, 1));
    EXPECT_FALSE(sheet->IsSelected(0, 2));
    // A handler that asks for a range: every cell with its label and an index inside is selected.
    handler.answer = [](cmcCellRequest& r) -> uint8_t {
        r.label = CL_Mch_Text;
        r.selFlags |= 2;
        r.selFirst = 1;
        r.selLast = 2;
        return 0;
    };
    Key(Qt::Key_Space);
    EXPECT_TRUE(sheet->MultiSelectionShown());
    EXPECT_FALSE(sheet->IsSelected(0, 0));
    EXPECT_TRUE(sheet->IsSelected(0, 1));
    EXPECT_TRUE(sheet->IsSelected(0, 2));
    EXPECT_FALSE(sheet->IsSelected(1, 2));
}

TEST_F(SheetFixture, DropDownHandsEnterAndCommitToItsOpener) {
    cmcCellObj openerCell;
    openerCell.label = CL_Mch_Nar;
    cmcCellRequest opener;
    opener.cell = &openerCell;
    opener.action = CA_Enter;
    Make("", {"{SWH(%Flex0[0])}Wide", "{SWH(%Flex0[1])}Narrow"}, true, &opener);
    int done = 0;
    sheet->onDropDownDone = [&] { ++done; };
    Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    ASSERT_EQ(handler.calls.size(), 1u);
    EXPECT_TRUE(handler.calls[0].fromDropDown);
    EXPECT_EQ(handler.calls[0].label, CL_Mch_Nar);       // the opener's cell
    EXPECT_EQ(handler.calls[0].parentLabel, Flex0);      // pointing to the chosen item
    EXPECT_EQ(done, 1);
    // Moving the mouse selects; releasing the button on the current cell commits.
    QMouseEvent move(QEvent::MouseMove, At(0, 0), G().viewport()->mapToGlobal(At(0, 0)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(G().viewport(), &move);
    EXPECT_EQ(Pos(), P(0, 0));
    QTest::mouseClick(G().viewport(), Qt::LeftButton, {}, At(0, 0));
    EXPECT_EQ(done, 2);
}

TEST_F(SheetFixture, RedirectJumpsToTheNamedCellAndReplaysTheKey) {
    Make("", {"{S(%CT_Mch.CL_Mch_FreqR[4])}f|{S(%CT_Mch.CL_Mch_Nar[4])}n", "{S(%CT_Mch.CL_Mch_FreqR[5])}g|x"});
    sheet->SelectCell(1, 0);
    handler.answer = [](cmcCellRequest& r) -> uint8_t {
        if (r.cell->label == CL_Mch_Nar) {
            r.redirect = 1;
            r.category = CT_Mch;
            r.label = CL_Mch_FreqR;
            r.index = 4;
            r.deferredAction = r.action;
        }
        return 0;
    };
    Key(Qt::Key_4);
    EXPECT_EQ(Pos(), P(0, 0));
    ASSERT_EQ(handler.calls.size(), 2u);
    EXPECT_EQ(handler.calls[1].label, CL_Mch_FreqR);
    EXPECT_EQ(handler.calls[1].action, '4');
}

TEST_F(SheetFixture, RepeatedOperationsPauseThirtyThenSixLessEachTime) {
    cmcScopedManualTime time(1000);
    Make("", {"{S(%CL_Mch_Text)}a"});
    std::vector<uint32_t> at;
    handler.answer = [&](cmcCellRequest& r) -> uint8_t {
        at.push_back(cmcNowMs());
        r.repeat = at.size() < 8;
        return 0;
    };
    Key(Qt::Key_Space);
    time->Advance(30 + 24 + 18 + 12 + 6);
    QApplication::processEvents();  // the runs without pause go through the message loop
    QApplication::processEvents();
    time->Advance(100);
    QApplication::processEvents();
    ASSERT_EQ(at.size(), 8u);
    std::vector<uint32_t> pauses;
    for (size_t i = 1; i < at.size(); ++i) pauses.push_back(at[i] - at[i - 1]);
    EXPECT_EQ(pauses, (std::vector<uint32_t>{30, 24, 18, 12, 6, 0, 0}));
}

TEST_F(SheetFixture, JoinedCellShowsTheTextOfTheCellToItsLeftAcrossBoth) {
    Make("", {"{S(Color=clWhite)}MMMMMMMMMMMMMMMMMMMMMMMMMMMM|{+(Color=clWhite)}|{(Color=clWhite)}"});
    for (int c = 0; c < 3; ++c) G().SetColWidth(c, 60);
    QImage img(G().viewport()->size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    auto darkIn = [&](int col) {
        QRect r = G().CellRect(col, 0);
        int dark = 0;
        for (int x = r.left() + 1; x < r.right(); ++x)
            for (int y = r.top(); y <= r.bottom(); ++y)
                if (qGray(img.pixel(x, y)) < 100) ++dark;
        return dark;
    };
    sheet->Grid()->clearFocus();
    sheet->SelectCell(0, 0);
    {
        QPainter p(&img);
        for (int c = 0; c < 3; ++c) sheet->DrawCell(p, c, 0, G().CellRect(c, 0), 0);
    }
    EXPECT_GT(darkIn(1), 10);  // the joined cell carries the text on
    EXPECT_EQ(darkIn(2), 0);   // the next cell is not joined: clipped away
}

// The title grows with the user's font size as the cells do (a 15-pixel title at 150 % is 23).
TEST_F(SheetFixture, TheTitleFollowsTheFontSize) {
    for (int percent : {100, 150}) {
        sheet.reset();
        defs.reset();
        defs = std::make_unique<Defs>("(TitleString=T)(TitleFont=,,clYellow,-15,,fsBold,)",
                                      std::vector<std::string>{"{S}a"});
        sheet = std::make_unique<cuiSheet>(&host, nullptr, kLabelNone, 0, defs->store, "GI_Sheet_T", &host);
        cmcSheetContext ctx;
        ctx.fontPercent = percent;
        sheet->SetContext(ctx);
        sheet->Build();
        ASSERT_NE(sheet->TitleLabel(), nullptr);
        EXPECT_EQ(sheet->TitleLabel()->font().pixelSize(), percent == 100 ? 15 : 23) << percent;
    }
}

// A text the column cuts is its cell's tooltip; a text that fits gives none, also when a joined
// cell lends it room.
TEST_F(SheetFixture, ACutTextIsTheCellsToolTip) {
    Make("", {"{S}LOCAL, AIRPORT, MARINE, HARBOUR|{S}Off|{S}LOCAL, AIRPORT|{+}"});
    for (int c = 0; c < 4; ++c) G().SetColWidth(c, 80);
    EXPECT_EQ(sheet->ToolTipAt(0, 0), "LOCAL, AIRPORT, MARINE, HARBOUR");
    EXPECT_EQ(sheet->ToolTipAt(1, 0), "");
    EXPECT_EQ(sheet->ToolTipAt(3, 0), "");  // the trailing cell stands for the joined text, which fits
    G().SetColWidth(3, 1);
    EXPECT_EQ(sheet->ToolTipAt(3, 0), "LOCAL, AIRPORT");
}

TEST_F(SheetFixture, PopupMenuIsMirroredIntoTheMenuBarEditEntry) {
    Make("", {"{S}a|{S(PopupMenu=GI_PMenu_B)}b"});
    QMenuBar bar;
    cuiMenu menu(&host, &bar, defs->store, "GI_Menu_T");
    menu.Build();
    QAction* edit = menu.FindByLabel(CL_Menu_Edit_Top);
    ASSERT_NE(edit, nullptr);
    auto captions = [&] {
        std::vector<std::string> t;
        for (QAction* a : menu.Items(edit)) t.push_back(a->text().toStdString());
        return t;
    };
    sheet->Grid()->clearFocus();
    sheet->Grid()->setFocus();  // gaining the focus rebuilds the popup menu and mirrors it
    QApplication::processEvents();
    EXPECT_EQ(captions(), (std::vector<std::string>{"Edit...", "Copy"}));
    EXPECT_EQ(menu.Items(edit)[0]->shortcut(), QKeySequence(Qt::Key_Return));
    Key(Qt::Key_Right);
    EXPECT_EQ(captions(), (std::vector<std::string>{"Help"}));
    // The mirrored entry acts as the popup entry: operation 0 with the entry's cell as popup cell.
    handler.calls.clear();
    menu.Items(edit)[0]->trigger();
    ASSERT_EQ(handler.calls.size(), 1u);
    EXPECT_EQ(handler.calls[0].popup, CL_PMenu_Help);
    EXPECT_EQ(handler.calls[0].action, 0);
    // Losing the focus takes the entries away.
    sheet->Grid()->clearFocus();
    QApplication::processEvents();
    EXPECT_TRUE(captions().empty());
}
