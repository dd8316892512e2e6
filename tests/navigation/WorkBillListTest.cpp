#include "app/component/DefaultWorkbenchParts.h"
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
    EXPECT_EQ(std::tuple(state.listFields[3], grid.CellText(1, 2), grid.ColumnWidth(2), grid.ColumnWidth(1)),
              std::tuple(u"fworkerid"_s, u"计费"_s, 800, grid.DefaultColumnWidth()));
    EXPECT_FALSE(grid.ColumnVisible(4)) << "hidden, but keeps its place";
    EXPECT_EQ(std::pair(grid.ColumnAlignment(6), grid.ColumnAlignment(8)),
              std::pair(CellAlign::Right, CellAlign::Left))
        << "a quantity field, any case";
    EXPECT_EQ(std::tuple(grid.FrozenCols(), grid.ColumnLocked(1), grid.ColumnLocked(5)),
              std::tuple(5, true, true));

    // A width no grid could show is the default; a Null shown flag shows the column.
    fake.workBillTitle = [](qint32) {
        return Records({u"Ffield"_s, u"Fname"_s, u"Fshow"_s, u"Fwidth"_s},
                       {{u"F"_s, u"f"_s, QVariant(), 40000}});
    };
    grid.SetColumnVisible(1, false);
    SetupList();
    EXPECT_EQ(grid.ColumnWidth(1), grid.DefaultColumnWidth());
    EXPECT_TRUE(grid.ColumnVisible(1));
}

// The filter's condition and the check button go to the service; the rows it answers
// show by the display rules.
TEST_F(WorkBillListTest, RowsFollowTheDisplayRulesAndAskOncePerWorker) {
    state.dicFilter->Set(u"EDept"_s, u"03"_s);
    bar.SetChecked(u"btnCtlChk"_s, true);
    QString asked;
    fake.workBillByFilter = [&](bool check, const QString& condition) {
        asked = (check ? u"check"_s : QString()) + condition;
        return Records(Fields(),
                       {Bill(1, u"WB1"_s, 351, 1059, 1058), Bill(2, u"WB2"_s, 353, QVariant(), QVariant()),
                        Bill(3, u"WB3"_s, 352, 0, 0), Bill(4, u"WB4"_s, QVariant(), 0, 0, QVariant()),
                        Bill(5, u"WB5"_s, 351, 0, 0, 99), Bill(6, u"WB6"_s, 351, 0, 0, 99)});
    };
    list.RefreshWorkBillList();
    EXPECT_EQ(asked, u"check AND Dept.FShortNumber <='03'"_s);
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
    EXPECT_TRUE(grid.Redraw()) << "drawing is back on after the fill";
}

// A column shows the record's field of its name in any letter case; a field the records
// lack, or a row too short to hold it, leaves the cell empty.
TEST_F(WorkBillListTest, EachColumnFindsItsFieldOnEveryRow) {
    // The layout's field, the records' fields and values, the text shown.
    // clang-format off
    struct Row { const char16_t* field; QStringList names; QVariantList values; const char16_t* shown; };
    // clang-format on
    fake.teams = {{31, u"T031"_s, u"一班"_s}};
    fake.devs = {{21, u"D021"_s, u"车床"_s}};
    const Row rows[] = {
        // clang-format off
        {u"fmemo", {u"FMemo"_s}, {u"备"_s}, u"备"}, {u"FNoSuchField", {u"FMemo"_s}, {u"a"_s}, u""},
        {u"FMemo", {u"FWBinterID"_s, u"FMemo"_s}, {1}, u""}, {u"FOperID", {u"FOperID"_s}, {7}, u""},
        {u"FOperID", {u"FOperID"_s, u"foperno"_s}, {7, u"OP07"_s}, u"OP07"},
        {u"fteamid", {u"FTeamID"_s}, {31}, u"一班"}, {u"FDeviceID", {u"FDEVICEID"_s}, {21.0}, u"车床"},
        // clang-format on
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
    // The work-center arrangement names the item behind the number and hands the number over.
    EXPECT_EQ(grid.CellText(2, 5), u"WB1\t轴[M8]"_s);
    EXPECT_EQ(state.currentWorkBillNo, u"WB1"_s);
    ServeBills({Bill(1, u"WB1"_s)});
    list.RefreshWorkBillList();
    EXPECT_EQ(grid.ColumnWidth(5), grid.DefaultColumnWidth()) << "never narrower than a column's default";

    fake.workBillTitle = [](qint32) {
        QVector<QVariantList> layout(4, {u"F"_s, u"f"_s, 1, 0});
        return Records({u"Ffield"_s, u"Fname"_s, u"Fshow"_s, u"Fwidth"_s},
                       layout << QVariantList{u"FWorkBillNO"_s, u"n"_s, 1, 700});
    };
    grid.SetCols(1);
    SetupList();
    ServeBills({Bill(2, longNumber)});
    list.RefreshWorkBillList();
    EXPECT_EQ(grid.ColumnWidth(5), 700);
}

// One work bill found becomes current, even on the row that was current (new mode loads
// no history). A failed read drops the rows it can no longer vouch for; it, none found, or
// a load the clerk cancelled hides the list, says why and leaves the record grid on its
// work bill. A long load counts the rows it fills out of those the service gave, and a
// cancel drops every row read. Every load ends with the record grid's colours.
TEST_F(WorkBillListTest, ALoadShowsWhatItFoundOrSaysWhyTheListIsEmpty) {
    const auto serve = [](const QVector<QVariantList>& rows) {
        return [rows](bool, const QString&) { return Records(Fields(), rows); };
    };
    QVector<QVariantList> many;
    for (int i = 1; i <= 60; ++i) many.append(Bill(i, u"C%1"_s.arg(i)));
    using Answer = std::function<RecordsetPtr(bool, const QString&)>;
    // clang-format off
    const struct { Answer answer; bool loaded; QString failure, label; } cases[] = {
        {serve({Bill(1, u"WB1"_s)}), true, QString(), QString()},
        {[](bool, const QString&) -> RecordsetPtr {
             throw ComError(ErrorNumber::Database, u"Database"_s, u"no connection to the server"_s);
         }, false, u"no connection to the server"_s, u"读取可汇报工序计划单失败：no connection to the server"_s},
        {serve({}), true, QString(), u"没有符合过滤条件的可汇报工序计划单。"_s},
        {serve(many), false, QString(), u"已取消读取。"_s},
    };
    // clang-format on
    qint64 now = 0;
    state.loadClock = [&now] { return now += 100; };
    h.ui.cancelLoadAfterRows = 10;
    state.currentListRow = 2;
    state.currentWorkBillNo = u"OLD"_s;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label.toStdString());
        fake.workBillByFilter = c.answer;
        QString failure;
        EXPECT_EQ(list.RefreshWorkBillList(&failure), c.loaded);
        EXPECT_EQ(std::tuple(failure, state.lblListText, state.listVisible),
                  std::tuple(c.failure, c.label, c.label.isEmpty()));
        EXPECT_EQ(std::pair(grid.Rows(), grid.CurrentRow() == 2),
                  std::pair(c.label.isEmpty() ? 2 : 1, c.label.isEmpty()));
        EXPECT_EQ(std::pair(state.currentWorkBillNo, state.currentListRow), std::pair(u"WB1"_s, 2));
    }
    state.loadClock = {};
    EXPECT_EQ(std::tuple(state.loadCancelled, h.ui.loadProgress.value(0), h.ui.loadProgressEnded),
              std::tuple(true, u"List 5/60"_s, QStringList{u"List"_s}));
    EXPECT_EQ(std::pair(historyLoads.size(), paints), std::pair(qsizetype(0), 4));
}

// The grid's events reach the list: each row is handed over once; a resized width is
// stored; a header dragged past the first five columns takes its field along and the
// order is stored, and when the store fails the list is set up again from the layout.
TEST_F(WorkBillListTest, GridEventsHandOverRowsAndStoreWidthsAndDraggedColumns) {
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
    EXPECT_EQ(std::pair(historyNumbers.last(), historyLoads.size()), std::pair(u"WB2"_s, qsizetype(3)));

    grid.ResizeColumnByUser(2, 1234);
    list.OnGridNotify(GridNotify::ColumnResized, 99);  // no such field: nothing
    EXPECT_EQ(fake.statements,
              QStringList{QStringLiteral("Update SHRptDef Set Fwidth=1234 Where Ftype='WorkBill' "
                                         "And FuserID=7 And Ffield='Ffare'")});

    fake.statements.clear();
    EXPECT_FALSE(grid.MoveColumnByUser(8, 5)) << "the first five stay";
    ASSERT_TRUE(grid.MoveColumnByUser(8, 6));
    EXPECT_EQ(state.listFields.mid(5), (QStringList{u"FMemo"_s, u"FAuxQtyRecive"_s, u"FWorkCenterID"_s}));
    EXPECT_EQ(grid.CellText(1, 6), u"备注"_s);
    EXPECT_TRUE(fake.statements.contains(
        u"Update SHRptDef Set Forder=4,Fshow=0 Where Ftype='WorkBill' And FuserID=7 And Ffield='fworkerid'"_s));
    EXPECT_TRUE(fake.statements.contains(
        u"Update SHRptDef Set Forder=6,Fshow=1 Where Ftype='WorkBill' And FuserID=7 And Ffield='FMemo'"_s));
    fake.failing = {u"Execute"_s};
    ASSERT_TRUE(grid.MoveColumnByUser(6, 7));
    EXPECT_EQ(state.listFields.mid(5), (QStringList{u"FAuxQtyRecive"_s, u"FWorkCenterID"_s, u"FMemo"_s}))
        << "as the layout still has it";
    EXPECT_EQ(grid.CellText(1, 7), u"工作中心"_s);
    grid.SetEventSink(nullptr);
}

// A double click on a listed work bill starts a report of it in new mode; in edit mode,
// where the record grid holds the work bill's stored reports, it does nothing.
TEST_F(WorkBillListTest, ADoubleClickStartsAReportInNewModeOnly) {
    for (const bool editMode : {false, true}) {
        SCOPED_TRACE(editMode);
        const std::unique_ptr<frmProc> form = MakeWorkbench(*h.host);
        GridModel& listed = form->vlgList();
        listed.SetCols(5);
        listed.SetRows(2);
        listed.SetFixedRows(1);
        listed.SetCellText(2, 5, u"WB1"_s);
        listed.SetCellData(2, 5, 1);
        listed.SetCurrentCell(2, 5);
        form->State().editMode = editMode;
        const int rows = form->vlgProc().Rows();
        fake.calls.clear();
        listed.DoubleClick(2, 5);
        EXPECT_EQ(fake.Count(u"AccessCheck"_s), editMode ? 0 : 1);
        EXPECT_EQ(form->vlgProc().Rows(), rows + (editMode ? 0 : 1)) << "a row to report in";
    }
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
    // The list goes back to the work bill still shown.
    EXPECT_EQ(std::tuple(questions, state.currentWorkBillNo, state.currentListRow, grid.CurrentRow()),
              std::tuple(1, u"WB1"_s, 2, 2));
    EXPECT_TRUE(historyLoads.isEmpty() && state.modified);

    // A refresh would drop the edits too: a No keeps the list as it is.
    list.RefreshWorkBillList();
    EXPECT_EQ(std::pair(questions, fake.Count(u"GetWorkBillByFilter"_s)), std::pair(2, 1));

    answer = true;
    grid.SetCurrentCell(3, 1);
    list.OnRowChange(3);
    EXPECT_EQ(std::tuple(questions, state.currentWorkBillNo, historyLoads),
              std::tuple(3, u"WB2"_s, QVector<int>{1}));

    // Without unsaved edits, or in new mode, nobody is asked.
    list.OnRowChange(2);
    state.modified = true;
    state.editMode = false;
    list.OnRowChange(3);
    EXPECT_EQ(questions, 3);

    // A refresh after a Yes asks once, though each history it loads leaves the flag set.
    state.editMode = true;
    state.loadReportHistory = [this](int f) { historyLoads.append(f); };
    historyLoads.clear();
    list.RefreshWorkBillList();
    EXPECT_EQ(std::pair(questions, historyLoads.size()), std::pair(4, qsizetype(2)));
}

}  // namespace
}  // namespace sp::test
