// The grid control: default behaviour without handlers, replaced steps, geometry services,
// painting limited to the visible cells, and the timed scroll while dragging.
#include "app/cuiGrid.h"
#include "support/cmcTestSupport.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace qx;

namespace {

// A 10 x 200 grid, 1 fixed column and row, 40 x 20 cells, in a 300 x 200 viewport.
struct GridFixture : ::testing::Test {
    cuiGrid grid;
    void SetUp() override {
        grid.SetColCount(10);
        grid.SetRowCount(200);
        for (int c = 0; c < 10; ++c) grid.SetColWidth(c, 40);
        for (int r = 0; r < 200; ++r) grid.SetRowHeight(r, 20);
        grid.SetFixedCols(1);
        grid.SetFixedRows(1);
        grid.SetScrollBars(cuiGridScrollBars::None);
        grid.resize(300, 200);
        grid.show();
        QApplication::processEvents();
        grid.SetCurrent(1, 1, false);
    }
    void Click(int col, int row, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseClick(grid.viewport(), b, {}, grid.CellRect(col, row).center());
    }
};

}  // namespace

TEST_F(GridFixture, WithoutHandlersKeysAndClicksMoveTheCurrentCell) {
    QTest::keyClick(&grid, Qt::Key_Right);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_EQ(grid.Row(), 2);
    QTest::keyClick(&grid, Qt::Key_Left);
    QTest::keyClick(&grid, Qt::Key_Left);  // stops at the first scrolling column
    EXPECT_EQ(grid.Col(), 1);
    Click(4, 5);
    EXPECT_EQ(grid.Col(), 4);
    EXPECT_EQ(grid.Row(), 5);
    Click(0, 6);  // fixed cells are not selected by the plain grid
    EXPECT_EQ(grid.Col(), 4);
}

TEST_F(GridFixture, SelectHandlerThatRefusesKeepsTheCurrentCell) {
    std::vector<std::pair<int, int>> asked;
    grid.onSelectCell = [&](int c, int r) {
        asked.emplace_back(c, r);
        return c != 3;
    };
    Click(3, 4);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(grid.Row(), 1);
    Click(2, 4);
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{3, 4}, {2, 4}}));
    // The program can bypass the handler.
    EXPECT_TRUE(grid.SetCurrent(3, 3, false));
    EXPECT_EQ(grid.Col(), 3);
}

TEST_F(GridFixture, CellRectAndMouseToCellAgreeWhileScrolled) {
    grid.SetTopLeft(3, 50);
    EXPECT_EQ(grid.LeftCol(), 3);
    EXPECT_EQ(grid.TopRow(), 50);
    EXPECT_EQ(grid.CellRect(0, 0), QRect(0, 0, 40, 20));
    EXPECT_EQ(grid.CellRect(3, 50), QRect(40, 20, 40, 20));
    EXPECT_EQ(grid.CellRect(0, 51), QRect(0, 40, 40, 20));
    EXPECT_TRUE(grid.CellRect(2, 50).isEmpty());   // scrolled out to the left
    EXPECT_TRUE(grid.CellRect(3, 49).isEmpty());   // scrolled out above
    EXPECT_TRUE(grid.CellRect(3, 100).isEmpty());  // below the viewport
    int c, r;
    ASSERT_TRUE(grid.MouseToCell(QPoint(85, 45), c, r));
    EXPECT_EQ(c, 4);
    EXPECT_EQ(r, 51);
    ASSERT_TRUE(grid.MouseToCell(QPoint(5, 5), c, r));
    EXPECT_EQ(c, 0);
    EXPECT_EQ(r, 0);
    EXPECT_FALSE(grid.MouseToCell(QPoint(-1, 5), c, r));
    // Seven scrolling columns of 40 fit beside the fixed one in 300 pixels; the last is partly visible.
    EXPECT_EQ(grid.VisibleColCount(), 6);
    EXPECT_EQ(grid.PartlyVisibleColCount(), 7);
    EXPECT_EQ(grid.VisibleRowCount(), 9);
}

TEST_F(GridFixture, MovingTheCursorOutOfViewScrollsItIn) {
    grid.SetCurrent(1, 150);
    EXPECT_FALSE(grid.CellRect(1, 150).isEmpty());
    EXPECT_GT(grid.TopRow(), 100);
    grid.SetCurrent(1, 2);
    EXPECT_EQ(grid.TopRow(), 2);
}

TEST_F(GridFixture, PaintsOnlyTheVisibleCells) {
    int drawn = 0;
    grid.onDrawCell = [&](QPainter& p, int, int, const QRect& rect, unsigned) {
        ++drawn;
        p.fillRect(rect, Qt::white);
    };
    grid.viewport()->repaint();
    // 300 x 200 shows 8 columns (the last partly) and 10 rows of 20 pixels.
    EXPECT_EQ(drawn, 8 * 10);
    drawn = 0;
    grid.InvalidateCell(2, 3);
    grid.viewport()->repaint(grid.CellRect(2, 3));
    EXPECT_EQ(drawn, 1);
}

TEST_F(GridFixture, ReplacedStepsReplaceTheDefaults) {
    int keys = 0, downs = 0, tlc = 0;
    std::vector<int> typed;
    grid.onKeyDown = [&](QKeyEvent*) { ++keys; };
    grid.onKeyPress = [&](QKeyEvent* e) { typed.push_back(e->text().at(0).unicode()); };
    grid.onMouseDown = [&](QMouseEvent*) { ++downs; };
    grid.onTopLeftChanged = [&] { ++tlc; };
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_A, Qt::NoModifier);
    Click(5, 5);
    EXPECT_EQ(keys, 2);
    EXPECT_EQ(typed, std::vector<int>{'a'});
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(grid.Row(), 1);  // neither the key nor the click moved the cursor
    grid.SetTopLeft(2, 10);
    EXPECT_EQ(tlc, 1);
}

TEST_F(GridFixture, FocusHandlersRunAndTheGridStillRepaintsItsCursor) {
    grid.activateWindow();
    grid.clearFocus();
    QApplication::processEvents();
    std::vector<std::string> seen;
    grid.onFocusGained = [&](Qt::FocusReason) { seen.push_back("in"); };
    grid.onFocusLost = [&](Qt::FocusReason) { seen.push_back("out"); };
    grid.setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(grid.hasFocus());
    grid.clearFocus();
    QApplication::processEvents();
    EXPECT_EQ(seen, (std::vector<std::string>{"in", "out"}));
}

TEST_F(GridFixture, DraggingBelowTheGridScrollsOnATimer) {
    cmcScopedManualTime time;
    std::vector<unsigned> dirs;
    grid.onTimedScroll = [&](unsigned d) { dirs.push_back(d); };
    QPoint inside = grid.CellRect(2, 2).center();
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, inside);
    QMouseEvent move(QEvent::MouseMove, QPointF(50, 250), grid.viewport()->mapToGlobal(QPointF(50, 250)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &move);
    time->Advance(cuiGrid::kTimedScrollMs * 3);
    EXPECT_EQ(dirs, (std::vector<unsigned>{GSD_Down, GSD_Down, GSD_Down}));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, QPoint(50, 250));
    time->Advance(cuiGrid::kTimedScrollMs * 2);
    EXPECT_EQ(dirs.size(), 3u);
    // Without a handler the cursor itself moves.
    grid.onTimedScroll = nullptr;
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, inside);
    QApplication::sendEvent(grid.viewport(), &move);
    int row = grid.Row();
    time->Advance(cuiGrid::kTimedScrollMs);
    EXPECT_EQ(grid.Row(), row + 1);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, QPoint(50, 250));
}

// Columns scroll by pixels: a column wider than the view can be read to its end, the part scrolled
// out to the left never paints over the fixed column, and clicking inside the wide column keeps
// the place the user scrolled to.
TEST_F(GridFixture, AColumnWiderThanTheViewScrollsByPixels) {
    grid.SetScrollBars(cuiGridScrollBars::Both);
    grid.SetColWidth(2, 700);
    QApplication::processEvents();
    const int room = grid.ClientSize().width() - 40;
    QScrollBar* bar = grid.horizontalScrollBar();
    EXPECT_EQ(bar->maximum(), 40 + 700 + 7 * 40 - room);
    bar->setValue(40 + 700 - room);  // the wide column's right edge at the view's right edge
    EXPECT_EQ(grid.LeftCol(), 2);
    EXPECT_EQ(grid.LeftOffset(), 700 - room);
    const QRect wide = grid.CellRect(2, 1);
    EXPECT_EQ(wide.right(), grid.ClientSize().width() - 1);
    EXPECT_LT(wide.left(), 40);
    int c, r;
    ASSERT_TRUE(grid.MouseToCell(QPoint(45, 25), c, r));
    EXPECT_EQ(c, 2);
    ASSERT_TRUE(grid.MouseToCell(QPoint(35, 25), c, r));
    EXPECT_EQ(c, 0);  // the fixed column stays on top

    std::vector<QRect> clips;
    grid.onDrawCell = [&](QPainter& p, int col, int, const QRect& rect, unsigned) {
        if (col == 2) clips.push_back(p.clipBoundingRect().toRect());
        p.fillRect(rect, Qt::white);
    };
    grid.viewport()->repaint();
    ASSERT_FALSE(clips.empty());
    for (const QRect& clip : clips) EXPECT_GE(clip.left(), 40);

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(100, grid.CellRect(2, 3).center().y()));
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_EQ(grid.LeftOffset(), 700 - room) << "a click in the wide column does not jump back";
    // Moving to a narrow column brings it whole into view.
    grid.SetCurrent(1, 3);
    EXPECT_EQ(grid.LeftCol(), 1);
    EXPECT_EQ(grid.LeftOffset(), 0);
    EXPECT_EQ(bar->value(), 0);
}
