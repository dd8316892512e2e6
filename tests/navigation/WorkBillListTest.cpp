#include "src/common/ComError.h"
#include "src/lookups/Emps.h"
#include "src/navigation/WorkBillListEvents.h"
#include "tests/navigation/NavigationFixture.h"

namespace sp::test {
namespace {

class WorkBillListTest : public NavigationFixture {
  protected:
    void SetUp() override { SetupList(); }
};

TEST_F(WorkBillListTest, SetupLaysTheColumnsOut) {
    ASSERT_EQ(grid.Cols(), 8);
    EXPECT_EQ(state.listFields[3], u"fworkerid"_s);
    EXPECT_EQ(grid.CellText(1, 2), u"计费"_s);
    EXPECT_EQ(grid.ColumnWidth(2), 800);
    EXPECT_EQ(grid.ColumnWidth(1), grid.DefaultColumnWidth());
    EXPECT_FALSE(grid.ColumnVisible(4)) << "hidden, but keeps its place";
    EXPECT_EQ(grid.ColumnAlignment(6), CellAlign::Right) << "a quantity field, any case";
    EXPECT_EQ(grid.ColumnAlignment(8), CellAlign::Left);
    EXPECT_EQ(grid.FrozenCols(), 5);
    EXPECT_TRUE(grid.ColumnLocked(1));
    EXPECT_TRUE(grid.ColumnLocked(5));
}

TEST_F(WorkBillListTest, RowsFollowTheDisplayRulesAndAskOncePerWorker) {
    ServeBills({Bill(1, u"WB1"_s, 351, 1059, 1058), Bill(2, u"WB2"_s, 353, QVariant(), QVariant()),
                Bill(3, u"WB3"_s, 352, 0, 0), Bill(4, u"WB4"_s, QVariant(), 0, 0, QVariant()),
                Bill(5, u"WB5"_s, 351, 0, 0, 99), Bill(6, u"WB6"_s, 351, 0, 0, 99)});
    list.RefreshWorkBillList();
    ASSERT_EQ(grid.Rows(), 7);
    // Check, fare and outsourcing flags of each row, as shown.
    const QStringList shown{u"全检否是"_s, u"抽检是否"_s, u"免检是否"_s, u"免检是否"_s};
    for (int r = 2; r <= 5; ++r) {
        EXPECT_EQ(grid.CellText(r, 1) + grid.CellText(r, 2) + grid.CellText(r, 3), shown[r - 2]) << r;
        EXPECT_EQ(grid.CellValue(r, 5).toInt(), r - 1);
        EXPECT_EQ(grid.CellText(r, 7), u"WC04"_s) << "work center shown by number";
        EXPECT_TRUE(grid.CellText(r, 8).isEmpty()) << "Null shows nothing";
        EXPECT_TRUE(grid.CellLocked(r, 2));
    }
    EXPECT_EQ(grid.CellText(2, 4), u"张三"_s);
    EXPECT_EQ(grid.CellText(2, 6), u"12.5"_s);
    // An unknown worker skips only its cell, and is not asked again.
    EXPECT_TRUE(grid.CellText(7, 4).isEmpty());
    EXPECT_EQ(grid.CellText(7, 5), u"WB6"_s);
    // The worker of three rows is asked once, and so are a Null worker and an unknown
    // one; only a worker found is cached.
    EXPECT_EQ(fake.Count(u"GetEmpInfo"_s), 3);
    EXPECT_EQ(state.EmpsCache().Count(), 1);
    EXPECT_EQ(fake.Count(u"GetWorkBillByFilter"_s), 1);
    EXPECT_TRUE(grid.Redraw()) << "drawing is back on after the fill";
    EXPECT_TRUE(state.listVisible);
    EXPECT_EQ(paints, 1);
}

// A column shows the record's field of its name in any letter case, the first of two
// spellings; a field the records lack, or a row too short to hold it, leaves the cell empty.
TEST_F(WorkBillListTest, EachColumnFindsItsFieldOnEveryRow) {
    struct Row {
        const char16_t* field;  // the layout's
        QStringList names;      // the records'
        QVariantList values;
        const char16_t* shown;
    };
    fake.teams = {{31, u"T031"_s, u"一班"_s}};
    fake.devs = {{21, u"D021"_s, u"车床"_s}};
    const Row rows[] = {
        {u"fmemo", {u"FMemo"_s}, {u"备"_s}, u"备"},
        {u"FMemo", {u"fmemo"_s, u"FMEMO"_s}, {u"a"_s, u"b"_s}, u"a"},
        {u"FNoSuchField", {u"FMemo"_s}, {u"a"_s}, u""},
        {u"FMemo", {u"FWBinterID"_s, u"FMemo"_s}, {1}, u""},
        {u"FOperID", {u"FOperID"_s}, {7}, u""},
        {u"FOperID", {u"FOperID"_s, u"foperno"_s}, {7, u"OP07"_s}, u"OP07"},
        {u"fteamid", {u"FTeamID"_s}, {31}, u"一班"},
        {u"FDeviceID", {u"FDEVICEID"_s}, {21.0}, u"车床"},
        {u"FAuxQtyPlan", {u"FAuxQtyPlan"_s}, {1e20}, u"1E+20"},
    };
    for (const Row& row : rows) {
        const QString field = QString::fromUtf16(row.field);
        fake.workBillTitle = [&](qint32) {
            return Records({u"Ffield"_s, u"Fname"_s, u"Fshow"_s, u"Fwidth"_s}, {{field, u"t"_s, 1, 0}});
        };
        grid.SetCols(1);
        SetupList();
        fake.workBillByFilter = [&](bool, const QString&) {
            return Records(row.names, {row.values, row.values});
        };
        list.RefreshWorkBillList();
        ASSERT_EQ(grid.Rows(), 3) << qPrintable(field);
        EXPECT_EQ(grid.CellText(2, 1), QString::fromUtf16(row.shown)) << qPrintable(field);
        EXPECT_EQ(grid.CellText(3, 1), QString::fromUtf16(row.shown)) << qPrintable(field);
    }
}

TEST_F(WorkBillListTest, ANumberColumnWithoutStoredWidthFitsTheLongestNumber) {
    // Estimated at 105 twips a character, plus a margin; the item behind the tab of the
    // work-center arrangement does not count. A stored width is kept.
    const QString longNumber = u"WB0000123456"_s;
    ServeBills({Bill(1, u"WB1"_s), Bill(2, longNumber)});
    for (const char* tool : {"btnListTask", "btnListWC"}) {
        bar.SetChecked(QString::fromLatin1(tool), true);
        list.RefreshWorkBillList();
        EXPECT_EQ(grid.ColumnWidth(5), 105.0 * longNumber.size() + 240) << tool;
    }
    ServeBills({Bill(1, u"WB1"_s)});
    list.RefreshWorkBillList();
    EXPECT_EQ(grid.ColumnWidth(5), grid.DefaultColumnWidth()) << "never narrower than a column's default";

    fake.workBillTitle = [](qint32) {
        return Records({u"Ffield"_s, u"Fname"_s, u"Fshow"_s, u"Fwidth"_s},
                       {{u"A"_s, u"a"_s, 1, 0},
                        {u"B"_s, u"b"_s, 1, 0},
                        {u"C"_s, u"c"_s, 1, 0},
                        {u"D"_s, u"d"_s, 1, 0},
                        {u"FWorkBillNO"_s, u"n"_s, 1, 700}});
    };
    grid.SetCols(1);
    SetupList();
    ServeBills({Bill(2, longNumber)});
    list.RefreshWorkBillList();
    EXPECT_EQ(grid.ColumnWidth(5), 700);
}

TEST_F(WorkBillListTest, OddStoredWidthsAreTheDefaultAndANullShownFlagShows) {
    const std::tuple<QVariant, QVariant, double, bool> rows[] = {
        {-1, 1, 0, true}, {40000, 0, 0, false}, {u"wide"_s, QVariant(), 0, true}, {1200, 1, 1200, true}};
    for (const auto& [width, shown, expectedWidth, visible] : rows) {
        fake.workBillTitle = [&](qint32) {
            return Records({u"Ffield"_s, u"Fname"_s, u"Fshow"_s, u"Fwidth"_s},
                           {{u"F"_s, u"f"_s, shown, width}});
        };
        grid.SetCols(1);
        SetupList();
        EXPECT_EQ(grid.ColumnWidth(1), expectedWidth ? expectedWidth : grid.DefaultColumnWidth());
        EXPECT_EQ(grid.ColumnVisible(1), visible);
    }
}

// A header dragged past the first five columns takes its field along and the order is
// stored; when the store fails the list is set up again from the layout.
TEST_F(WorkBillListTest, ADraggedHeaderTakesItsFieldAlongAndIsStored) {
    WorkBillListEvents events(list);
    grid.SetEventSink(&events);
    EXPECT_FALSE(grid.MoveColumnByUser(8, 5)) << "the first five stay";
    ASSERT_TRUE(grid.MoveColumnByUser(8, 6));
    EXPECT_EQ(state.listFields.mid(5), (QStringList{u"FMemo"_s, u"FAuxQtyRecive"_s, u"FWorkCenterID"_s}));
    EXPECT_EQ(grid.CellText(1, 6), u"备注"_s);
    ASSERT_EQ(fake.statements.size(), 8);
    EXPECT_EQ(
        fake.statements[3],
        u"Update SHRptDef Set Forder=4,Fshow=0 Where Ftype='WorkBill' And FuserID=7 And Ffield='fworkerid'"_s);
    EXPECT_EQ(
        fake.statements[5],
        u"Update SHRptDef Set Forder=6,Fshow=1 Where Ftype='WorkBill' And FuserID=7 And Ffield='FMemo'"_s);

    fake.failing = {u"Execute"_s};
    ASSERT_TRUE(grid.MoveColumnByUser(6, 8));
    EXPECT_EQ(state.listFields.last(), u"FMemo"_s) << "as the layout still has it";
    EXPECT_EQ(grid.CellText(1, 6), u"接收数"_s);
    grid.SetEventSink(nullptr);
}

TEST_F(WorkBillListTest, ConditionAndCheckFlagGoToTheMiddleTier) {
    state.dicFilter->Set(u"EDept"_s, u"03"_s);
    bar.SetChecked(u"btnCtlChk"_s, true);
    QString condition;
    bool check = false;
    fake.workBillByFilter = [&](bool c, const QString& cond) {
        check = c;
        condition = cond;
        return Records(Fields(), {});
    };
    list.RefreshWorkBillList();
    EXPECT_TRUE(check);
    EXPECT_EQ(condition, u" AND Dept.FShortNumber <='03'"_s);
}

TEST_F(WorkBillListTest, OneRowResultBecomesCurrentAndAnEmptyOneKeepsTheWorkBill) {
    ServeBills({Bill(1, u"WB1"_s)});
    state.currentListRow = 2;
    state.currentWorkBillNo = u"OLD"_s;
    list.RefreshWorkBillList();
    EXPECT_EQ(state.currentWorkBillNo, u"WB1"_s);
    EXPECT_EQ(grid.CurrentRow(), 2);
    EXPECT_TRUE(historyLoads.isEmpty()) << "new mode loads nothing";

    ServeBills({});
    list.RefreshWorkBillList();
    EXPECT_FALSE(state.listVisible);
    EXPECT_EQ(state.lblListText, u"没有符合过滤条件的可汇报工序计划单。"_s);
    EXPECT_EQ(grid.Rows(), 1) << "no row is added";
    EXPECT_EQ(state.currentWorkBillNo, u"WB1"_s);
    EXPECT_EQ(state.currentListRow, 2);
    EXPECT_EQ(paints, 2);
}

TEST_F(WorkBillListTest, AFailedLoadIsSaidAndDropsTheRowsItCannotVouchFor) {
    ServeBills({Bill(1, u"WB1"_s), Bill(2, u"WB2"_s)});
    list.RefreshWorkBillList();
    fake.workBillByFilter = [](bool, const QString&) -> RecordsetPtr {
        throw ComError(ErrorNumber::Database, u"Database"_s, u"no connection to the server"_s);
    };
    QString failure;
    EXPECT_FALSE(list.RefreshWorkBillList(&failure));
    EXPECT_EQ(failure, u"no connection to the server"_s);
    EXPECT_FALSE(state.listVisible);
    EXPECT_EQ(state.lblListText, u"读取可汇报工序计划单失败：no connection to the server"_s);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(state.currentWorkBillNo, u"WB1"_s) << "the record grid keeps its work bill";
}

// A load that runs half a second shows how far it has come, brought up to date every
// 50 ms; a cancel drops every row read, says so and hands nothing over. A quicker load
// never reaches the screen.
TEST_F(WorkBillListTest, ALongLoadShowsItsProgressAndACancelLeavesNoRow) {
    QVector<QVariantList> bills;
    for (int i = 1; i <= 60; ++i) bills.append(Bill(i, u"WB%1"_s.arg(i)));
    struct Case {
        const char* name;
        qint64 msPerRow;  // the clock moves on this much at every reading
        int cancelAfter;  // rows read when the clerk presses 取消; -1 never
        int progressShown;
        const char* firstProgress;
        bool cancelled;
    };
    const Case cases[] = {
        {"quick", 0, 10, 0, "", false},
        {"long", 100, -1, 56, "List 5/60", false},
        {"refreshed every 50 ms", 20, -1, 12, "List 25/60", false},
        {"cancelled", 100, 10, 6, "List 5/60", true},
    };
    qint64 now = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state.editMode = true;
        state.loadClock = {};
        ServeBills({Bill(1, u"OLD"_s)});
        list.RefreshWorkBillList();
        historyLoads.clear();
        h.ui.Clear();
        state.loadCancelled = false;

        ServeBills(bills);
        now = 0;
        state.loadClock = [&now, &c] { return now += c.msPerRow; };
        h.ui.cancelLoadAfterRows = c.cancelAfter;
        QString failure;
        EXPECT_EQ(list.RefreshWorkBillList(&failure), !c.cancelled);
        EXPECT_TRUE(failure.isEmpty());
        EXPECT_EQ(h.ui.loadProgress.size(), c.progressShown);
        EXPECT_EQ(h.ui.loadProgress.value(0), QString::fromUtf8(c.firstProgress));
        EXPECT_EQ(h.ui.loadProgressEnded, c.progressShown ? QStringList{u"List"_s} : QStringList{});
        EXPECT_EQ(state.loadCancelled, c.cancelled);
        EXPECT_EQ(state.listVisible, !c.cancelled);
        EXPECT_EQ(grid.Rows(), c.cancelled ? 1 : 61);
        if (c.cancelled) {
            EXPECT_EQ(state.lblListText, u"已取消读取。"_s);
            EXPECT_EQ(state.currentWorkBillNo, u"OLD"_s) << "the record grid keeps its work bill";
            EXPECT_TRUE(historyLoads.isEmpty());
        } else {
            EXPECT_EQ(state.currentWorkBillNo, u"WB1"_s);
        }
    }
    state.loadClock = {};
}

TEST_F(WorkBillListTest, WorkCenterArrangementHandsOverOnlyTheNumber) {
    bar.SetChecked(u"btnListWC"_s, true);
    ServeBills({Bill(1, u"WB1"_s)});
    list.RefreshWorkBillList();
    EXPECT_EQ(grid.CellText(2, 5), u"WB1\t轴[M8]"_s);
    EXPECT_EQ(state.currentWorkBillNo, u"WB1"_s);
    EXPECT_EQ(WorkBillList::TextBeforeTab(u"A"_s), u"A"_s);
}

TEST_F(WorkBillListTest, GridEventsHandOverEachRowOnceAndStoreResizedWidths) {
    WorkBillListEvents events(list);
    grid.SetEventSink(&events);
    state.editMode = true;
    ServeBills({Bill(1, u"WB1"_s), Bill(2, u"WB2"_s)});
    list.RefreshWorkBillList();
    // Row one, then row two; the fill's own selection of row 2 is not a second hand-over.
    EXPECT_EQ(historyLoads, (QVector<int>{1, 1}));
    EXPECT_EQ(historyNumbers, (QStringList{QString(), u"WB1"_s}));
    list.OnGridNotify(GridNotify::SelectionChanged, 2);
    grid.KeyDown(KeyCode::Down);
    EXPECT_EQ(historyNumbers.last(), u"WB2"_s);
    EXPECT_EQ(historyLoads.size(), 3);

    grid.ResizeColumnByUser(2, 1234);
    list.OnGridNotify(GridNotify::ColumnResized, 99);  // no such field: nothing
    list.OnGridNotify(GridNotify::DoubleClick, 2);     // not ours
    EXPECT_EQ(fake.statements,
              QStringList{QStringLiteral("Update SHRptDef Set Fwidth=1234 Where Ftype='WorkBill' "
                                         "And FuserID=7 And Ffield='Ffare'")});
    grid.SetEventSink(nullptr);
}

TEST_F(WorkBillListTest, UnsavedEditsAreOnlyLeftAfterAYes) {
    state.editMode = true;
    ServeBills({Bill(1, u"WB1"_s), Bill(2, u"WB2"_s)});
    list.RefreshWorkBillList();
    historyLoads.clear();
    state.modified = true;

    answer = false;
    grid.SetCurrentCell(3, 1);
    list.OnRowChange(3);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(state.currentWorkBillNo, u"WB1"_s);
    EXPECT_EQ(state.currentListRow, 2);
    EXPECT_EQ(grid.CurrentRow(), 2) << "the list goes back to the work bill still shown";
    EXPECT_TRUE(historyLoads.isEmpty());
    EXPECT_TRUE(state.modified);

    // A refresh would drop the edits too: a No keeps the list as it is.
    list.RefreshWorkBillList();
    EXPECT_EQ(questions, 2);
    EXPECT_EQ(fake.Count(u"GetWorkBillByFilter"_s), 1);

    answer = true;
    grid.SetCurrentCell(3, 1);
    list.OnRowChange(3);
    EXPECT_EQ(questions, 3);
    EXPECT_EQ(state.currentWorkBillNo, u"WB2"_s);
    EXPECT_EQ(historyLoads, QVector<int>{1});

    // Without unsaved edits, or in new mode, nobody is asked.
    list.OnRowChange(2);
    state.modified = true;
    state.editMode = false;
    list.OnRowChange(3);
    EXPECT_EQ(questions, 3);
}

TEST_F(WorkBillListTest, RefreshAfterAYesAsksOnce) {
    state.editMode = true;
    state.modified = true;
    state.loadReportHistory = [this](int f) { historyLoads.append(f); };  // leaves the flag set
    ServeBills({Bill(1, u"WB1"_s)});
    list.RefreshWorkBillList();
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(historyLoads.size(), 2);
}

}  // namespace
}  // namespace sp::test
