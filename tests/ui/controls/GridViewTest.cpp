#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include "tests/support/GridEventLog.h"
#include "tests/support/QtPrinters.h"
#include "ui/controls/GridTableModel.h"
#include "ui/controls/GridView.h"

using namespace Qt::StringLiterals;

namespace sp {
namespace {

TEST(GridTableModelTest, AdapterStaysConsistentThroughEveryShapeChange) {
    GridModel grid;
    GridTableModel adapter(&grid);
    QAbstractItemModelTester tester(&adapter, QAbstractItemModelTester::FailureReportingMode::Fatal);

    grid.SetCols(5);
    grid.SetRows(4);
    EXPECT_EQ(adapter.rowCount(), 3);  // the header row is the table's header
    grid.SetCellText(1, 2, u"工票号"_s);
    EXPECT_EQ(adapter.headerData(1, Qt::Horizontal).toString(), u"工票号"_s);
    grid.SetCellText(2, 2, u"WB1"_s);
    EXPECT_EQ(adapter.data(adapter.index(0, 1)).toString(), u"WB1"_s);

    grid.AddRow();
    grid.InsertRow(2);
    grid.RemoveRow(3);
    grid.SetRows(10);
    grid.SetRows(2);
    EXPECT_EQ(adapter.rowCount(), 1);
    grid.SetCols(3);
    grid.SetFixedRows(2);
    EXPECT_EQ(adapter.rowCount(), 0);
    grid.SetFixedRows(1);

    // With redraw off the adapter stays on the old shape and never reads past the grid.
    grid.SetRedraw(false);
    grid.SetRows(1);
    EXPECT_EQ(adapter.rowCount(), 1);
    EXPECT_FALSE(adapter.data(adapter.index(0, 0)).isValid());
    for (int i = 0; i < 50; ++i) grid.AddRow();
    grid.SetRedraw(true);
    EXPECT_EQ(adapter.rowCount(), 50);

    grid.SetColumnAlignment(3, CellAlign::Right);
    grid.SetCellBackground(2, 3, QColor(255, 255, 225));
    const QModelIndex cell = adapter.index(0, 2);
    EXPECT_EQ(adapter.data(cell, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    EXPECT_EQ(adapter.data(cell, Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 255, 225));
    EXPECT_FALSE(adapter.flags(cell) & Qt::ItemIsEditable);
}

class GridViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        grid.SetCols(8);
        grid.SetRows(31);
        grid.SetColumnKind(3, CellKind::Number);
        grid.SetColumnRange(3, 0, 100);
        grid.SetEventSink(&log);
        view = std::make_unique<GridView>(&grid);
        view->resize(400, 300);
        view->show();
        QApplication::setActiveWindow(view.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    QPoint CellCenter(int row, int col) {
        QTableView* table = col <= grid.FrozenCols() ? view->FrozenTable() : view->Table();
        auto* adapter = static_cast<GridTableModel*>(table->model());
        return table->visualRect(adapter->IndexOf(row, col)).center();
    }
    QWidget* Viewport(int col) {
        return (col <= grid.FrozenCols() ? view->FrozenTable() : view->Table())->viewport();
    }

    GridModel grid;
    test::GridEventLog log;
    std::unique_ptr<GridView> view;
};

// Typed keys, F2 and double clicks reach the model, which decides whether the view's
// editor opens; the committed text and the cursor show again in the table, and the editor
// goes with its row.
TEST_F(GridViewTest, TypingAndDoubleClicksGoThroughTheModel) {
    QTest::mouseClick(Viewport(2), Qt::LeftButton, {}, CellCenter(3, 2));
    QTest::keyClick(view->Table(), Qt::Key_W);
    ASSERT_TRUE(view->Editor()->isVisible());
    QTest::keyClicks(view->Editor(), u"B7"_s);
    QTest::keyClick(view->Editor(), Qt::Key_Down);
    EXPECT_EQ(grid.CellText(3, 2), u"wB7"_s);
    EXPECT_FALSE(view->Editor()->isVisible());
    EXPECT_EQ(view->Table()->currentIndex().row(), 2);  // table row of grid row 4

    grid.SetCellLocked(4, 2, true);
    QTest::keyClick(view->Table(), Qt::Key_X);
    QTest::keyClick(view->Table(), Qt::Key_F2);
    QTest::mouseDClick(Viewport(2), Qt::LeftButton, {}, CellCenter(4, 2));
    EXPECT_FALSE(view->Editor()->isVisible());
    EXPECT_TRUE(log.events.contains(u"dbl 4,2"_s));
    QTest::mouseDClick(Viewport(2), Qt::LeftButton, {}, CellCenter(5, 2));
    EXPECT_TRUE(view->Editor()->isVisible());
    // The editor goes away with its row, without a commit.
    log.events.clear();
    grid.RemoveRow(5);
    EXPECT_FALSE(view->Editor()->isVisible());
    EXPECT_TRUE(log.events.filter(u"close"_s).isEmpty());
}

TEST_F(GridViewTest, KeysReachTheModelWithHostCodesAndShiftStates) {
    grid.SetCurrentCell(2, 1);
    log.events.clear();
    QTest::keyClick(view->Table(), Qt::Key_F7);
    QTest::keyClick(view->Table(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(view->Table(), Qt::Key_F8, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(log.events.filter(u"key"_s), (QStringList{u"key 118/0"_s, u"key 40/1"_s, u"key 119/6"_s}));
    EXPECT_EQ(view->Table()->selectionModel()->selectedRows().size(), 2);
}

// Page keys move by the rows that fit, Home/End to the row's first and last column or
// with Ctrl to the first and last row; the cell moved to is scrolled into sight. In an
// open editor Home and End move the text cursor only.
TEST_F(GridViewTest, PageHomeAndEndKeysMoveTheCursorIntoSight) {
    for (int c = 1; c <= 8; ++c) grid.SetColumnWidth(c, 1500);
    QApplication::processEvents();  // the scroll bars take the new widths
    QTableView* table = view->Table();
    const int page = table->viewport()->height() / table->verticalHeader()->defaultSectionSize() - 1;
    ASSERT_GT(page, 1);
    grid.SetCurrentCell(2, 4);
    // clang-format off
    struct Step { Qt::Key key; Qt::KeyboardModifiers mods; int row, col; };
    const Step steps[] = {
        {Qt::Key_PageDown, {}, 2 + page, 4}, {Qt::Key_PageUp, {}, 2, 4},
        {Qt::Key_End, Qt::ControlModifier, 31, 4}, {Qt::Key_End, {}, 31, 8},
        {Qt::Key_Home, {}, 31, 1}, {Qt::Key_Home, Qt::ControlModifier, 2, 1},
    };
    // clang-format on
    for (const Step& s : steps) {
        SCOPED_TRACE(QKeySequence(s.key | s.mods).toString().toStdString());
        QTest::keyClick(table, s.key, s.mods);
        EXPECT_EQ(grid.CurrentRow(), s.row);
        EXPECT_EQ(grid.CurrentCol(), s.col);
        const auto* adapter = static_cast<GridTableModel*>(table->model());
        EXPECT_TRUE(table->viewport()->rect().contains(table->visualRect(adapter->IndexOf(s.row, s.col))));
    }
    QTest::keyClick(table, Qt::Key_F2);
    QTest::keyClicks(view->Editor(), u"abc"_s);
    QTest::keyClick(view->Editor(), Qt::Key_Home);
    EXPECT_EQ(view->Editor()->cursorPosition(), 0);
    QTest::keyClick(view->Editor(), Qt::Key_End);
    EXPECT_EQ(view->Editor()->cursorPosition(), 3);
    EXPECT_TRUE(view->Editor()->isVisible());
    EXPECT_EQ(grid.CurrentCol(), 1);
}

TEST_F(GridViewTest, NumberEditorRefusesKeystrokesOutsideTheRange) {
    grid.SetCurrentCell(2, 3);
    QTest::keyClick(view->Table(), Qt::Key_F2);
    ASSERT_TRUE(view->Editor()->isVisible());
    QTest::keyClicks(view->Editor(), u"1a5-0"_s);
    EXPECT_EQ(view->Editor()->text(), u"15"_s);  // "150" would pass 100
    QTest::keyClick(view->Editor(), Qt::Key_Return);
    EXPECT_EQ(grid.CellValue(2, 3).toDouble(), 15.0);
}

TEST_F(GridViewTest, FrozenColumnsStayWhileTheRestScrolls) {
    view->resize(600, 300);
    grid.SetFrozenCols(2);
    for (int c = 1; c <= 8; ++c) grid.SetColumnWidth(c, 1500);  // 100 px each at 96 dpi
    QTableView* frozen = view->FrozenTable();
    ASSERT_TRUE(frozen->isVisible());
    const int frozenX = frozen->geometry().x();
    EXPECT_EQ(frozen->geometry().width(), 2 * view->ToPixels(1500));
    view->resize(620, 360);  // the frozen part spans the whole height, after resizes too
    QApplication::processEvents();
    EXPECT_EQ(frozen->height(),
              view->Table()->viewport()->height() + view->Table()->horizontalHeader()->height());

    view->Table()->horizontalScrollBar()->setValue(view->Table()->horizontalScrollBar()->maximum());
    view->Table()->verticalScrollBar()->setValue(200);
    QApplication::processEvents();
    EXPECT_EQ(frozen->geometry().x(), frozenX);
    EXPECT_EQ(frozen->columnViewportPosition(0), 0);
    EXPECT_EQ(frozen->verticalScrollBar()->value(), 200);  // rows stay in line
    EXPECT_GT(grid.LeftCol(), 3);
    EXPECT_GT(grid.TopRow(), 2);

    // A click on a frozen cell still lands on its grid column.
    QTest::mouseClick(Viewport(1), Qt::LeftButton, {}, CellCenter(grid.TopRow() + 1, 1));
    EXPECT_EQ(grid.CurrentCol(), 1);
    EXPECT_EQ(grid.CurrentRow(), grid.TopRow() + 1);

    // Moving onto a column hidden under the frozen part scrolls it back into sight.
    grid.SetCurrentCell(grid.CurrentRow(), 3);
    EXPECT_GE(view->Table()->columnViewportPosition(2), frozen->width());

    // Frozen columns wider than half the grid are cut at half: the rest stays reachable,
    // and the frozen part stays put when the cursor goes to the cut column.
    grid.SetFrozenCols(5);
    QApplication::processEvents();
    EXPECT_EQ(frozen->width(), view->Table()->viewport()->width() / 2);
    grid.SetCurrentCell(grid.CurrentRow(), 5);
    QApplication::processEvents();
    EXPECT_EQ(frozen->horizontalScrollBar()->value(), 0);
}

TEST_F(GridViewTest, ColumnsFollowTheModelAndUserResizesAreReported) {
    grid.SetColumnVisible(4, false);
    grid.SetColumnWidth(5, 3000);
    EXPECT_TRUE(view->Table()->isColumnHidden(3));
    EXPECT_EQ(view->Table()->columnWidth(4), 200);
    EXPECT_TRUE(log.events.filter(u"resize"_s).isEmpty());

    view->Table()->horizontalHeader()->resizeSection(5, 150);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view->Table()->horizontalHeader()->viewport(), &release);
    EXPECT_EQ(log.events.filter(u"resize"_s), QStringList{u"resize 6"_s});
    EXPECT_EQ(grid.ColumnWidth(6), 2250);
}

// A header dragged by the mouse moves the model's column where the grid allows it; the
// header itself always shows the model's order.
TEST_F(GridViewTest, HeaderDragsMoveModelColumnsOnlyWhereAllowed) {
    for (int c = 1; c <= 8; ++c) {
        grid.SetCellKey(1, c, u"c%1"_s.arg(c));
        grid.SetColumnWidth(c, 600);  // 40 px each
    }
    grid.SetFirstMovableCol(3);
    QApplication::processEvents();
    QHeaderView* header = view->Table()->horizontalHeader();
    const auto drag = [&](int from, int to) {
        const auto at = [&](int col) {
            return QPointF(header->sectionViewportPosition(col - 1) + header->sectionSize(col - 1) / 2,
                           header->height() / 2);
        };
        const auto send = [&](QEvent::Type type, QPointF pos, Qt::MouseButtons buttons) {
            QMouseEvent event(type, pos, header->viewport()->mapToGlobal(pos), Qt::LeftButton, buttons,
                              Qt::NoModifier);
            QApplication::sendEvent(header->viewport(), &event);
        };
        send(QEvent::MouseButtonPress, at(from), Qt::LeftButton);
        const QPointF target = at(to) + QPointF(to > from ? 8 : -8, 0);
        for (int step = 1; step <= 4; ++step)
            send(QEvent::MouseMove, at(from) + (target - at(from)) * step / 4, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, target, Qt::NoButton);
        QApplication::processEvents();
    };
    const auto order = [&] {
        QStringList keys;
        for (int c = 1; c <= 8; ++c) {
            keys << grid.CellKey(1, c);
            EXPECT_EQ(header->visualIndex(c - 1), c - 1) << "the header shows the model's order";
        }
        return keys.join(u' ');
    };

    drag(6, 3);
    EXPECT_EQ(order(), u"c1 c2 c6 c3 c4 c5 c7 c8"_s);
    drag(2, 5);  // a column that stays
    EXPECT_EQ(order(), u"c1 c2 c6 c3 c4 c5 c7 c8"_s);
}

}  // namespace
}  // namespace sp
