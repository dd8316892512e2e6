#include <gtest/gtest.h>

#include <QSignalSpy>
#include <algorithm>
#include <vector>

#include "src/common/ComError.h"
#include "tests/support/GridEventLog.h"
#include "tests/support/QtPrinters.h"

using namespace Qt::StringLiterals;

namespace sp {
namespace {

// The shared log, plus the column moves a rule hears; onMoving answers a move.
class MoveLog : public test::GridEventLog {
  public:
    std::function<bool(int, int)> onMoving;
    std::function<void(int, int)> onMoved;

    bool OnColumnMoving(int from, int to) override {
        events << u"moving %1>%2"_s.arg(from).arg(to);
        return !onMoving || onMoving(from, to);
    }
    void OnColumnMoved(int from, int to) override {
        events << u"moved %1>%2"_s.arg(from).arg(to);
        if (onMoved)
            onMoved(from, to);
    }
};

class GridModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        grid.SetCols(4);
        grid.SetRows(6);  // header + 5 data rows
        grid.SetEventSink(&sink);
    }
    GridModel grid;
    test::GridEventLog sink;
};

TEST_F(GridModelTest, TypingMovingAndDoubleClickingRaiseTheirEventsInOrder) {
    grid.SetCurrentCell(2, 2);
    sink.events.clear();
    QString seen;
    sink.onCellChanged = [&](int, int) { seen = grid.CellText(2, 2); };

    ASSERT_TRUE(grid.TypeText(u"ab"_s));
    EXPECT_TRUE(grid.TypeText(u"c"_s));         // appended while open
    EXPECT_EQ(grid.CellText(2, 2), QString());  // not committed yet
    grid.KeyDown(KeyCode::Down);
    EXPECT_EQ(seen, u"abc"_s) << "the text is committed before the cell-change handler runs";
    EXPECT_FALSE(grid.EditorOpen());

    // A double click moves, raises its own event, then opens an editable cell.
    grid.SetCurrentCell(2, 1);
    sink.events.clear();
    grid.DoubleClick(3, 2);
    EXPECT_EQ(sink.events, (QStringList{u"cell 3,2<-2,1"_s, u"sel 3+1"_s, u"dbl 3,2"_s, u"open 3,2"_s}));
}

TEST_F(GridModelTest, KeyHandlerCanSwallowOrChangeTheKey) {
    grid.SetCurrentCell(2, 1);
    sink.onKey = [](int& key, int) {
        key = key == KeyCode::Down ? 0 : key == KeyCode::F7 ? KeyCode::Down : key;
    };
    grid.KeyDown(KeyCode::Down);
    EXPECT_EQ(grid.CurrentRow(), 2);
    grid.KeyDown(KeyCode::F7);
    EXPECT_EQ(grid.CurrentRow(), 3);
    sink.onKey = [](int& key, int) { key = 0; };
    grid.KeyDown(KeyCode::Enter);
    EXPECT_FALSE(grid.EditorOpen()) << "a swallowed Enter leaves the editor closed";
}

TEST_F(GridModelTest, EnterEditsEscapeCancelsAndArrowsStopAtEdgesAndSkipHiddenColumns) {
    grid.SetCellText(3, 2, u"old"_s);
    grid.SetCurrentCell(3, 2);
    grid.KeyDown(KeyCode::Enter);
    ASSERT_TRUE(grid.EditorOpen());
    EXPECT_EQ(grid.EditorText(), u"old"_s);
    grid.SetEditorText(u"new"_s);
    grid.KeyDown(KeyCode::Escape);
    EXPECT_FALSE(grid.EditorOpen());
    EXPECT_EQ(grid.CellText(3, 2), u"old"_s);

    grid.KeyDown(KeyCode::F2);
    grid.SetEditorText(u"new"_s);
    grid.KeyDown(KeyCode::Enter);
    EXPECT_FALSE(grid.EditorOpen());
    EXPECT_EQ(grid.CellText(3, 2), u"new"_s);
    EXPECT_EQ(grid.CurrentRow(), 3);  // Enter does not move by itself

    grid.SetColumnVisible(2, false);
    grid.SetCurrentCell(6, 1);
    grid.KeyDown(KeyCode::Down);
    EXPECT_EQ(grid.CurrentRow(), 6);
    grid.KeyDown(KeyCode::Right);
    EXPECT_EQ(grid.CurrentCol(), 3);
    grid.SetCurrentCell(2, 1);
    grid.KeyDown(KeyCode::Up);  // never into the header
    EXPECT_EQ(grid.CurrentRow(), 2);
    grid.KeyDown(KeyCode::Left);
    EXPECT_EQ(grid.CurrentCol(), 1);
}

TEST_F(GridModelTest, HomeAndEndGoToTheRowsFirstDataAndLastShownColumnsCtrlToTheFirstAndLastRow) {
    // Seven columns, the cursor on 3,4; narrow: a column of no width.
    // clang-format off
    struct Case { const char* what; int frozen; std::vector<int> hidden; int narrow, key, shift; bool editing; int row, col; };
    const Case cases[] = {
        {"Home",                                 0, {},     0, KeyCode::Home, ShiftState::None,  false, 3, 1},
        {"End",                                  0, {},     0, KeyCode::End,  ShiftState::None,  false, 3, 7},
        {"Home past frozen and hidden columns",  1, {2},    0, KeyCode::Home, ShiftState::None,  false, 3, 3},
        {"End before hidden and narrow ones",    0, {7},    6, KeyCode::End,  ShiftState::None,  false, 3, 5},
        {"Home with only frozen columns shown",  1, {2, 3, 4, 5, 6, 7}, 0, KeyCode::Home, ShiftState::None, false, 3, 1},
        {"Shift+Home as Home",                   1, {},     0, KeyCode::Home, ShiftState::Shift, false, 3, 2},
        {"Ctrl+Home: first data row",            1, {},     0, KeyCode::Home, ShiftState::Ctrl,  false, 2, 4},
        {"Ctrl+End: last row",                   1, {},     0, KeyCode::End,  ShiftState::Ctrl,  false, 6, 4},
        {"Home in an open editor is the editor's", 0, {},   0, KeyCode::Home, ShiftState::None,  true,  3, 4},
        {"End in an open editor is the editor's",  0, {},   0, KeyCode::End,  ShiftState::Ctrl,  true,  3, 4},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        grid.SetCols(7);
        grid.SetFrozenCols(c.frozen);
        for (int col = 1; col <= 7; ++col) {
            grid.SetColumnVisible(col, std::find(c.hidden.begin(), c.hidden.end(), col) == c.hidden.end());
            grid.SetColumnWidth(col, col == c.narrow ? 0 : 1000);
        }
        grid.SetCurrentCell(3, 4);
        if (c.editing)
            grid.KeyDown(KeyCode::F2);
        sink.events.clear();
        grid.KeyDown(c.key, c.shift);
        EXPECT_EQ(grid.CurrentRow(), c.row);
        EXPECT_EQ(grid.CurrentCol(), c.col);
        EXPECT_EQ(grid.EditorOpen(), c.editing) << "a cursor move, never an editor of its own";
        // The rules hear the move as they hear an arrow's.
        EXPECT_EQ(sink.events.contains(u"cell %1,%2<-3,4"_s.arg(c.row).arg(c.col)), !c.editing);
        grid.CloseEditor(false);
    }
}

TEST_F(GridModelTest, LockedReadOnlyAndRuledCellsRefuseEveryWayIn) {
    grid.SetColumnLocked(1, true);
    grid.SetCellLocked(3, 1, false);  // a cell overrides its column
    grid.SetColumnReadOnly(3, true);
    grid.SetEditRule([](int row, int col) { return !(row == 4 && col == 4); });
    grid.AddRow();  // the column lock covers rows added later

    for (const auto& [row, col] : {std::pair{2, 1}, {7, 1}, {5, 3}, {4, 4}, {1, 2}}) {
        SCOPED_TRACE(::testing::Message() << row << "," << col);
        EXPECT_FALSE(grid.CanEdit(row, col));
        if (row > 1) {
            grid.SetCurrentCell(row, col);
            EXPECT_FALSE(grid.TypeText(u"x"_s));
            grid.KeyDown(KeyCode::F2);
            grid.KeyDown(KeyCode::Enter);
            EXPECT_FALSE(grid.EditorOpen());
        }
        grid.DoubleClick(row, col);
        EXPECT_FALSE(grid.EditorOpen());
    }
    EXPECT_TRUE(grid.CanEdit(3, 1));
    EXPECT_FALSE(sink.events.join(u' ').contains(u"open"_s));
}

TEST_F(GridModelTest, NumberColumnRefusesTextOutsideItsRange) {
    grid.SetColumnKind(3, CellKind::Number);
    grid.SetColumnRange(3, 0, 100);
    // typed, accepted, shown after the commit
    // clang-format off
    const std::tuple<const char*, bool, const char*> cases[] = {{"12.5", true, "12.5"}, {"abc", false, "5"},
        {"101", false, "5"}, {"-1", false, "5"}, {"100", true, "100"}, {"", true, ""}, {" 7 ", true, "7"}};
    // clang-format on
    for (const auto& [typed, accepted, text] : cases) {
        SCOPED_TRACE(typed);
        grid.SetCellValue(2, 3, 5.0);
        grid.SetCurrentCell(2, 3);
        grid.KeyDown(KeyCode::F2);
        grid.SetEditorText(QString::fromUtf8(typed));
        grid.CloseEditor(true);
        EXPECT_EQ(
            std::tuple(grid.EditorOpen(), grid.LastCommitRefused(), grid.CellText(2, 3),
                       grid.AcceptsText(3, QString::fromUtf8(typed)), grid.CellValue(2, 3).isNull()),
            std::tuple(false, !accepted, QString::fromUtf8(text), accepted, QByteArray(text).isEmpty()));
    }
}

TEST_F(GridModelTest, NumberFormatsDatesAndTheEditorsFullValue) {
    grid.SetColumnKind(2, CellKind::Number);
    grid.SetColumnKind(3, CellKind::Date);
    // format, value, shown
    // clang-format off
    const std::tuple<const char*, double, const char*> cases[] = {{"0", 12.5, "13"}, {"0", 13.5, "14"},
        {"0.000", 1.23456, "1.235"}, {"0.00", -0.001, "0.00"}, {"0.0", 1e6, "1000000.0"}, {"", 37.5, "37.5"}};
    // clang-format on
    for (const auto& [format, value, shown] : cases) {
        grid.SetColumnFormat(2, QString::fromUtf8(format));
        grid.SetCellValue(2, 2, value);
        EXPECT_EQ(grid.DisplayText(2, 2), QString::fromUtf8(shown)) << format;
    }
    // A cell's own format wins over the column's.
    grid.SetColumnFormat(2, u"0"_s);
    grid.SetCellValue(3, 2, 2.0);
    grid.SetCellFormat(3, 2, u"0.000"_s);
    EXPECT_EQ(grid.DisplayText(3, 2), u"2.000"_s);
    // An editor left unchanged keeps the full value behind the shown text.
    grid.SetCellValue(3, 2, 1.23456);
    grid.SetCurrentCell(3, 2);
    grid.KeyDown(KeyCode::F2);
    EXPECT_EQ(grid.EditorText(), u"1.235"_s);
    grid.KeyDown(KeyCode::Enter);
    EXPECT_DOUBLE_EQ(grid.CellValue(3, 2).toDouble(), 1.23456);

    grid.SetCellValue(2, 3, QDate(2001, 9, 21));
    EXPECT_EQ(grid.DisplayText(2, 3), u"2001-09-21"_s);
    grid.SetCellText(3, 3, u"2002-01-05"_s);
    EXPECT_EQ(grid.CellValue(3, 3).toDate(), QDate(2002, 1, 5));
    // Text set on a number cell keeps the value in step: emptied text leaves no stale value.
    grid.SetCellText(2, 2, QString());
    EXPECT_TRUE(grid.CellValue(2, 2).isNull());
}

TEST_F(GridModelTest, SelectionIsOneBlockWhicheverWayItIsMadeAndAHandlerMayMoveIt) {
    grid.SelectRows(5, 3, 2);
    EXPECT_EQ(std::pair(grid.SelStartRow(), grid.SelRowCount()), std::pair(3, 3));
    EXPECT_EQ(grid.CurrentRow(), 5);
    EXPECT_EQ(sink.events.last(), u"sel 3+3"_s);
    grid.SelectRows(2, 4, 1);
    EXPECT_EQ(std::pair(grid.SelStartRow(), grid.SelRowCount()), std::pair(2, 3));

    // Shift+arrows grow and shrink the block from its anchor.
    grid.SetCurrentCell(4, 1);
    for (int key : {KeyCode::Down, KeyCode::Down}) grid.KeyDown(key, ShiftState::Shift);
    EXPECT_EQ(std::pair(grid.SelStartRow(), grid.SelRowCount()), std::pair(4, 3));
    for (int key : {KeyCode::Up, KeyCode::Up, KeyCode::Up}) grid.KeyDown(key, ShiftState::Shift);
    EXPECT_EQ(std::pair(grid.SelStartRow(), grid.SelRowCount()), std::pair(3, 2));

    // Moving to the same cell raises nothing.
    grid.SetCurrentCell(2, 2);
    sink.events.clear();
    grid.SetCurrentCell(2, 2);
    EXPECT_TRUE(sink.events.isEmpty());

    // A handler that moves the cursor is not overruled.
    grid.SetCurrentCell(2, 1);
    sink.onCellChanged = [&](int row, int) {
        if (row == 3)
            grid.SetCurrentCell(5, 1);
    };
    sink.events.clear();
    grid.SetCurrentCell(3, 1);
    EXPECT_EQ(std::tuple(grid.CurrentRow(), grid.SelStartRow(), sink.events.filter(u"sel"_s)),
              std::tuple(5, 5, QStringList{u"sel 5+1"_s}));
}

TEST_F(GridModelTest, RowsComeAndGoWithTheirCellsAndTheirEditor) {
    for (int r = 1; r <= 6; ++r) grid.SetCellText(r, 1, QString::number(r));
    grid.SetCellKey(4, 2, u"k4"_s);
    grid.SetColumnAlignment(2, CellAlign::Right);
    grid.SetCurrentCell(5, 3);

    grid.RemoveRow(3);
    EXPECT_EQ(grid.CellText(3, 1), u"4"_s);
    EXPECT_EQ(grid.CellKey(3, 2), u"k4"_s);
    EXPECT_EQ(grid.CurrentRow(), 4);  // still on the same record
    grid.InsertRow(2);
    EXPECT_EQ(grid.CellText(2, 1), QString());
    EXPECT_EQ(grid.CellAlignment(2, 2), CellAlign::Right) << "a new row takes its column's alignment";
    EXPECT_EQ(grid.CurrentRow(), 5);
    grid.SetRows(3);
    EXPECT_EQ(grid.CurrentRow(), 3);
    grid.SetRows(8);
    EXPECT_EQ(grid.CellText(3, 1), u"2"_s);
    EXPECT_EQ(grid.CellText(8, 1), QString());

    grid.SetCols(2);
    EXPECT_THROW(grid.CellText(3, 3), ComError);
    EXPECT_THROW(grid.RemoveRow(9), ComError);
    EXPECT_THROW(grid.SetCellText(0, 1, QString()), ComError);

    // Removing the edited row drops the editor.
    grid.SetCurrentCell(3, 2);
    grid.TypeText(u"x"_s);
    grid.RemoveRow(3);
    EXPECT_FALSE(grid.EditorOpen());
    grid.SetRows(1);
    EXPECT_EQ(grid.CurrentRow(), 0);
    grid.KeyDown(KeyCode::Down);  // nothing to move to
    EXPECT_EQ(grid.CurrentRow(), 0);
}

TEST_F(GridModelTest, UserMovesAColumnWithAllItCarriesOnlyWhereMovingIsAllowed) {
    // order: the former column at each place afterwards
    // clang-format off
    struct Case { const char* what; int firstMovable, from, to; bool veto, moved; std::vector<int> order; };
    // clang-format on
    const std::vector<int> same{1, 2, 3, 4, 5, 6};
    const Case cases[] = {
        {"moving off by default", 0, 3, 5, false, false, same},
        {"right, with the cursor's column", 2, 2, 5, false, true, {1, 3, 4, 5, 2, 6}},
        {"left onto the first movable place", 2, 6, 2, false, true, {1, 6, 2, 3, 4, 5}},
        {"behind the cursor's column", 3, 4, 6, false, true, {1, 2, 3, 5, 6, 4}},
        {"past the first movable column", 3, 4, 2, false, false, same},
        {"from before the first movable column", 3, 2, 5, false, false, same},
        {"onto itself", 2, 3, 3, false, false, same},
        {"outside the grid", 2, 3, 7, false, false, same},
        {"vetoed by the rules", 2, 2, 5, true, false, same},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GridModel g;
        g.SetCols(6);
        g.SetRows(6);
        // A header and a data cell stand for the cells, a width and the shown flag for the
        // column's own settings: each row's cells and the columns move as wholes.
        const auto columns = [&g] {
            QStringList traces;
            for (int col = 1; col <= 6; ++col)
                traces << u"%1|%2|%3|%4"_s.arg(g.CellText(1, col), g.CellText(2, col))
                              .arg(g.ColumnWidth(col))
                              .arg(g.ColumnVisible(col) ? 1 : 0);
            return traces;
        };
        for (int col = 1; col <= 6; ++col) {
            g.SetCellText(1, col, u"H%1"_s.arg(col));
            g.SetCellText(2, col, u"t%1"_s.arg(col));
            g.SetColumnWidth(col, 100.0 * col + 15);
            g.SetColumnVisible(col, col != 4);
        }
        const QStringList before = columns();
        QStringList after;
        for (int col : c.order) after << before[col - 1];
        MoveLog log;
        g.SetEventSink(&log);
        g.SetFirstMovableCol(c.firstMovable);
        log.onMoving = [&](int, int) { return !c.veto; };
        QString seenAtTarget;
        log.onMoved = [&](int, int to) { seenAtTarget = g.EditorOpen() ? u"open"_s : g.CellText(1, to); };
        g.SetCurrentCell(4, 2);
        ASSERT_TRUE(g.TypeText(u"e"_s));
        log.events.clear();

        EXPECT_EQ(g.MoveColumnByUser(c.from, c.to), c.moved);

        EXPECT_EQ(columns(), after);
        const int cursorCol = static_cast<int>(after.indexOf(before[1])) + 1;
        EXPECT_EQ(std::pair(g.CurrentRow(), g.CurrentCol()), std::pair(4, cursorCol));
        // The rule may refuse the move first, and hears of it once it is done; the editor's
        // text is committed to its column first.
        const QString moving = u"moving %1>%2"_s.arg(c.from).arg(c.to);
        const QStringList heard{moving, u"close 4,2"_s, u"moved %1>%2"_s.arg(c.from).arg(c.to)};
        EXPECT_EQ(log.events, c.moved ? heard : heard.mid(0, c.veto ? 1 : 0));
        EXPECT_EQ(seenAtTarget, c.moved ? u"H%1"_s.arg(c.from) : QString());
        EXPECT_EQ(std::pair(g.EditorOpen(), g.CellText(4, cursorCol)),
                  std::pair(!c.moved, c.moved ? u"e"_s : QString()));
    }

    // A handler may rebuild the grid when it hears of the move.
    MoveLog log;
    grid.SetEventSink(&log);
    grid.SetFirstMovableCol(1);
    log.onMoved = [&](int, int) {
        grid.SetCols(1);
        grid.SetRows(1);
    };
    EXPECT_TRUE(grid.MoveColumnByUser(4, 1));
    EXPECT_EQ(grid.Cols(), 1);
}

TEST_F(GridModelTest, RedrawOffBatchesSignalsIntoOneReset) {
    QSignalSpy cells(&grid, &GridModel::cellsChanged);
    QSignalSpy resets(&grid, &GridModel::layoutReset);
    QSignalSpy inserted(&grid, &GridModel::rowsInserted);
    grid.SetRedraw(false);
    for (int i = 0; i < 100; ++i) {
        grid.AddRow();
        grid.SetCellText(grid.Rows(), 1, QString::number(i));
    }
    EXPECT_EQ(cells.count() + resets.count() + inserted.count(), 0);
    grid.SetRedraw(true);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(cells.count(), 0);
    grid.SetCellText(2, 1, u"x"_s);
    EXPECT_EQ(cells.count(), 1);
}

}  // namespace
}  // namespace sp
