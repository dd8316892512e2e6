#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QStringList>

#include "QtPrinters.h"
#include "common/ComError.h"
#include "common/GridModel.h"

namespace sp {
namespace {

// Writes down every event the grid raises, in order, the way a rule sees them.
class RecordingSink : public GridEventSink {
public:
    QStringList events;
    std::function<void(int&, int)> onKey;
    std::function<void(int, int)> onCellChanged;

    void OnEditorOpens(int r, int c) override { events << QStringLiteral("open %1,%2").arg(r).arg(c); }
    void OnEditorCloses(int r, int c) override { events << QStringLiteral("close %1,%2").arg(r).arg(c); }
    void OnCurrentCellChanged(int nr, int nc, int orow, int ocol) override {
        events << QStringLiteral("cell %1,%2<-%3,%4").arg(nr).arg(nc).arg(orow).arg(ocol);
        if (onCellChanged)
            onCellChanged(nr, nc);
    }
    void OnKeyDown(int& key, int shift) override {
        events << QStringLiteral("key %1/%2").arg(key).arg(shift);
        if (onKey)
            onKey(key, shift);
    }
    void OnSelectionChanged(int first, int count) override {
        events << QStringLiteral("sel %1+%2").arg(first).arg(count);
    }
    void OnColumnResized(int c) override { events << QStringLiteral("resize %1").arg(c); }
    void OnDoubleClick(int r, int c) override { events << QStringLiteral("dbl %1,%2").arg(r).arg(c); }
};

class GridModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid.SetCols(4);
        grid.SetRows(6);  // header + 5 data rows
        grid.SetEventSink(&sink);
    }
    GridModel grid;
    RecordingSink sink;
};

TEST_F(GridModelTest, TypingThenMovingRaisesOpenCloseAndCellChangeInOrder) {
    grid.SetCurrentCell(2, 2);
    sink.events.clear();

    ASSERT_TRUE(grid.TypeText(QStringLiteral("ab")));
    EXPECT_TRUE(grid.TypeText(QStringLiteral("c")));  // appended while open
    EXPECT_EQ(grid.EditorText(), QStringLiteral("abc"));
    EXPECT_EQ(grid.CellText(2, 2), QString());  // not committed yet

    grid.KeyDown(KeyCode::Down);
    EXPECT_EQ(sink.events, (QStringList{QStringLiteral("open 2,2"), QStringLiteral("key 40/0"),
                                        QStringLiteral("close 2,2"), QStringLiteral("cell 3,2<-2,2"),
                                        QStringLiteral("sel 3+1")}));
    EXPECT_EQ(grid.CellText(2, 2), QStringLiteral("abc"));
    EXPECT_FALSE(grid.EditorOpen());
}

TEST_F(GridModelTest, TextIsCommittedBeforeTheCellChangeHandlerRuns) {
    grid.SetCurrentCell(2, 1);
    QString seen;
    sink.onCellChanged = [&](int, int) { seen = grid.CellText(2, 1); };
    grid.TypeText(QStringLiteral("WB-1"));
    grid.SetCurrentCell(2, 2);
    EXPECT_EQ(seen, QStringLiteral("WB-1"));
}

TEST_F(GridModelTest, KeyHandlerCanSwallowOrChangeTheKey) {
    grid.SetCurrentCell(2, 1);
    sink.onKey = [](int& key, int) { key = key == KeyCode::Down ? 0 : key; };
    grid.KeyDown(KeyCode::Down);
    EXPECT_EQ(grid.CurrentRow(), 2);

    sink.onKey = [](int& key, int) {
        if (key == KeyCode::F7)
            key = KeyCode::Down;
    };
    grid.KeyDown(KeyCode::F7);
    EXPECT_EQ(grid.CurrentRow(), 3);

    // A swallowed Enter leaves the editor closed.
    sink.onKey = [](int& key, int) { key = 0; };
    grid.KeyDown(KeyCode::Enter);
    EXPECT_FALSE(grid.EditorOpen());
}

TEST_F(GridModelTest, EnterOpensAndClosesEscapeCancels) {
    grid.SetCellText(3, 2, QStringLiteral("old"));
    grid.SetCurrentCell(3, 2);
    grid.KeyDown(KeyCode::Enter);
    ASSERT_TRUE(grid.EditorOpen());
    EXPECT_EQ(grid.EditorText(), QStringLiteral("old"));
    grid.SetEditorText(QStringLiteral("new"));
    grid.KeyDown(KeyCode::Escape);
    EXPECT_FALSE(grid.EditorOpen());
    EXPECT_EQ(grid.CellText(3, 2), QStringLiteral("old"));

    grid.KeyDown(KeyCode::F2);
    grid.SetEditorText(QStringLiteral("new"));
    grid.KeyDown(KeyCode::Enter);
    EXPECT_FALSE(grid.EditorOpen());
    EXPECT_EQ(grid.CellText(3, 2), QStringLiteral("new"));
    EXPECT_EQ(grid.CurrentRow(), 3);  // Enter does not move by itself
}

TEST_F(GridModelTest, ArrowsStopAtTheEdgesAndSkipHiddenColumns) {
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

TEST_F(GridModelTest, LockedReadOnlyAndRuledCellsRefuseEveryWayIn) {
    grid.SetCellLocked(2, 1, true);
    grid.SetColumnReadOnly(3, true);
    grid.SetEditRule([](int row, int col) { return !(row == 4 && col == 4); });

    struct Case {
        int row, col;
    };
    for (const Case c : {Case{2, 1}, Case{5, 3}, Case{4, 4}, Case{1, 2}}) {
        SCOPED_TRACE(testing::Message() << c.row << "," << c.col);
        EXPECT_FALSE(grid.CanEdit(c.row, c.col));
        if (c.row > 1) {
            grid.SetCurrentCell(c.row, c.col);
            sink.events.clear();
            EXPECT_FALSE(grid.TypeText(QStringLiteral("x")));
            grid.KeyDown(KeyCode::F2);
            grid.KeyDown(KeyCode::Enter);
            EXPECT_FALSE(grid.EditorOpen());
        }
        grid.DoubleClick(c.row, c.col);
        EXPECT_FALSE(grid.EditorOpen());
        EXPECT_FALSE(sink.events.contains(QStringLiteral("open %1,%2").arg(c.row).arg(c.col)));
    }
    EXPECT_TRUE(grid.CanEdit(2, 2));
    EXPECT_EQ(grid.CellText(2, 1), QString());
}

TEST_F(GridModelTest, ColumnLockCoversRowsAddedLaterUnlessACellOverrides) {
    grid.SetColumnLocked(1, true);
    grid.AddRow();
    EXPECT_TRUE(grid.CellLocked(7, 1));
    grid.SetCellLocked(7, 1, false);
    EXPECT_FALSE(grid.CellLocked(7, 1));
    EXPECT_TRUE(grid.CellLocked(2, 1));
}

TEST_F(GridModelTest, DoubleClickMovesRaisesFourThenOpensEditableCell) {
    grid.SetCurrentCell(2, 1);
    sink.events.clear();
    grid.DoubleClick(3, 2);
    EXPECT_EQ(sink.events, (QStringList{QStringLiteral("cell 3,2<-2,1"), QStringLiteral("sel 3+1"),
                                        QStringLiteral("dbl 3,2"), QStringLiteral("open 3,2")}));
}

TEST_F(GridModelTest, NumberColumnRefusesTextOutsideItsRange) {
    grid.SetColumnKind(3, CellKind::Number);
    grid.SetColumnRange(3, 0, 100);
    grid.SetCellValue(2, 3, 5.0);

    struct Case {
        const char* typed;
        bool accepted;
        const char* text;
    };
    const Case cases[] = {
        {"12.5", true, "12.5"}, {"abc", false, "5"}, {"101", false, "5"}, {"-1", false, "5"},
        {"100", true, "100"},   {"", true, ""},      {" 7 ", true, "7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        grid.SetCellValue(2, 3, 5.0);
        grid.SetCurrentCell(2, 3);
        grid.KeyDown(KeyCode::F2);
        grid.SetEditorText(QString::fromUtf8(c.typed));
        grid.CloseEditor(true);
        EXPECT_EQ(grid.LastCommitRefused(), !c.accepted);
        EXPECT_EQ(grid.CellText(2, 3), QString::fromUtf8(c.text));
        EXPECT_EQ(grid.AcceptsText(3, QString::fromUtf8(c.typed)), c.accepted);
        EXPECT_EQ(grid.CellValue(2, 3).isNull(), QByteArray(c.text).isEmpty());
    }
    // A refused commit still closes the editor and raises 513, with the cell unchanged.
    EXPECT_FALSE(grid.EditorOpen());
}

TEST_F(GridModelTest, NumberFormatsAndDates) {
    grid.SetColumnKind(2, CellKind::Number);
    grid.SetColumnKind(3, CellKind::Date);
    struct Case {
        const char* format;
        double value;
        const char* shown;
    };
    const Case cases[] = {
        {"0", 12.5, "13"},        {"0", 13.5, "14"},  {"0.00", 3, "3.00"},       {"0.000", 1.23456, "1.235"},
        {"0.00", -0.001, "0.00"}, {"", 37.5, "37.5"}, {"0.0", 1e6, "1000000.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        grid.SetColumnFormat(2, QString::fromUtf8(c.format));
        grid.SetCellValue(2, 2, c.value);
        EXPECT_EQ(grid.DisplayText(2, 2), QString::fromUtf8(c.shown));
    }
    // A cell's own format wins over the column's, and follows later format changes.
    grid.SetColumnFormat(2, QStringLiteral("0"));
    grid.SetCellValue(3, 2, 2.0);
    grid.SetCellFormat(3, 2, QStringLiteral("0.000"));
    EXPECT_EQ(grid.DisplayText(3, 2), QStringLiteral("2.000"));

    grid.SetCellValue(2, 3, QDate(2001, 9, 21));
    EXPECT_EQ(grid.DisplayText(2, 3), QStringLiteral("2001-09-21"));
    grid.SetCellText(3, 3, QStringLiteral("2002-01-05"));
    EXPECT_EQ(grid.CellValue(3, 3).toDate(), QDate(2002, 1, 5));

    // Text set on a number cell keeps the value in step: emptied text leaves no stale value.
    grid.SetCellText(2, 2, QString());
    EXPECT_TRUE(grid.CellValue(2, 2).isNull());
    grid.SetCellText(2, 2, QStringLiteral("4.5"));
    EXPECT_DOUBLE_EQ(grid.CellValue(2, 2).toDouble(), 4.5);
}

TEST_F(GridModelTest, EditorLeftUnchangedKeepsTheFullValue) {
    grid.SetColumnKind(2, CellKind::Number);
    grid.SetColumnFormat(2, QStringLiteral("0.000"));
    grid.SetCellValue(2, 2, 1.23456);
    grid.SetCurrentCell(2, 2);
    grid.KeyDown(KeyCode::F2);
    EXPECT_EQ(grid.EditorText(), QStringLiteral("1.235"));
    grid.KeyDown(KeyCode::Enter);
    EXPECT_DOUBLE_EQ(grid.CellValue(2, 2).toDouble(), 1.23456);
}

TEST_F(GridModelTest, SetCellDataKeepsTheText) {
    grid.SetCellText(2, 4, QStringLiteral("WB0001"));
    grid.SetCellData(2, 4, 17);
    EXPECT_EQ(grid.CellText(2, 4), QStringLiteral("WB0001"));
    EXPECT_EQ(grid.CellValue(2, 4).toInt(), 17);
}

TEST_F(GridModelTest, SelectionIsOneBlockWhicheverWayItIsMade) {
    grid.SelectRows(5, 3, 2);
    EXPECT_EQ(grid.SelStartRow(), 3);
    EXPECT_EQ(grid.SelRowCount(), 3);
    EXPECT_EQ(grid.CurrentRow(), 5);
    EXPECT_EQ(sink.events.last(), QStringLiteral("sel 3+3"));

    grid.SelectRows(2, 4, 1);
    EXPECT_EQ(grid.SelStartRow(), 2);
    EXPECT_EQ(grid.SelRowCount(), 3);

    // Shift+arrows grow and shrink the block from its anchor.
    grid.SetCurrentCell(4, 1);
    grid.KeyDown(KeyCode::Down, ShiftState::Shift);
    grid.KeyDown(KeyCode::Down, ShiftState::Shift);
    EXPECT_EQ(grid.SelStartRow(), 4);
    EXPECT_EQ(grid.SelRowCount(), 3);
    grid.KeyDown(KeyCode::Up, ShiftState::Shift);
    grid.KeyDown(KeyCode::Up, ShiftState::Shift);
    grid.KeyDown(KeyCode::Up, ShiftState::Shift);
    EXPECT_EQ(grid.SelStartRow(), 3);
    EXPECT_EQ(grid.SelRowCount(), 2);

    // Moving to the same cell raises nothing.
    grid.SetCurrentCell(2, 2);
    sink.events.clear();
    grid.SetCurrentCell(2, 2);
    EXPECT_TRUE(sink.events.isEmpty());
}

TEST_F(GridModelTest, HandlerThatMovesTheCursorIsNotOverruled) {
    grid.SetCurrentCell(2, 1);
    sink.onCellChanged = [&](int row, int) {
        if (row == 3)
            grid.SetCurrentCell(5, 1);
    };
    sink.events.clear();
    grid.SetCurrentCell(3, 1);
    EXPECT_EQ(grid.CurrentRow(), 5);
    EXPECT_EQ(grid.SelStartRow(), 5);
    EXPECT_EQ(sink.events.filter(QStringLiteral("sel")), QStringList{QStringLiteral("sel 5+1")});
}

TEST_F(GridModelTest, RowsComeAndGoWithTheirCells) {
    for (int r = 1; r <= 6; ++r) grid.SetCellText(r, 1, QString::number(r));
    grid.SetCellKey(4, 2, QStringLiteral("k4"));
    grid.SetCellBackground(5, 3, Qt::yellow);
    grid.SetCurrentCell(5, 3);

    grid.RemoveRow(3);
    EXPECT_EQ(grid.Rows(), 5);
    EXPECT_EQ(grid.CellText(3, 1), QStringLiteral("4"));
    EXPECT_EQ(grid.CellKey(3, 2), QStringLiteral("k4"));
    EXPECT_EQ(grid.CellBackground(4, 3), QColor(Qt::yellow));
    EXPECT_EQ(grid.CurrentRow(), 4);  // still on the same record

    grid.InsertRow(2);
    EXPECT_EQ(grid.CellText(2, 1), QString());
    EXPECT_EQ(grid.CellText(3, 1), QStringLiteral("2"));
    EXPECT_EQ(grid.CurrentRow(), 5);

    grid.SetRows(3);
    EXPECT_EQ(grid.CellText(3, 1), QStringLiteral("2"));
    EXPECT_EQ(grid.CurrentRow(), 3);
    grid.SetRows(8);
    EXPECT_EQ(grid.CellText(1, 1), QStringLiteral("1"));
    EXPECT_EQ(grid.CellText(8, 1), QString());

    grid.SetCols(2);
    EXPECT_EQ(grid.CellText(3, 1), QStringLiteral("2"));
    EXPECT_THROW(grid.CellText(3, 3), ComError);
    EXPECT_THROW(grid.RemoveRow(9), ComError);
    EXPECT_THROW(grid.SetCellText(0, 1, QString()), ComError);
}

TEST_F(GridModelTest, RemovingTheEditedRowDropsTheEditor) {
    grid.SetCurrentCell(3, 2);
    grid.TypeText(QStringLiteral("x"));
    grid.RemoveRow(3);
    EXPECT_FALSE(grid.EditorOpen());
    grid.SetRows(1);
    EXPECT_EQ(grid.CurrentRow(), 0);
    grid.KeyDown(KeyCode::Down);  // nothing to move to
    EXPECT_EQ(grid.CurrentRow(), 0);
}

TEST_F(GridModelTest, ColumnResizeByUserAndAlignmentInheritance) {
    grid.ResizeColumnByUser(3, 2400);
    EXPECT_EQ(grid.ColumnWidth(3), 2400);
    EXPECT_EQ(sink.events.last(), QStringLiteral("resize 3"));
    EXPECT_EQ(grid.ColumnWidth(2), grid.DefaultColumnWidth());

    grid.SetColumnAlignment(2, CellAlign::Right);
    grid.SetCellAlignment(1, 2, CellAlign::Center);
    grid.AddRow();
    EXPECT_EQ(grid.CellAlignment(7, 2), CellAlign::Right);
    EXPECT_EQ(grid.CellAlignment(1, 2), CellAlign::Center);
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

    grid.SetCellText(2, 1, QStringLiteral("x"));
    EXPECT_EQ(cells.count(), 1);
}

}  // namespace
}  // namespace sp
