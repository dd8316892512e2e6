#include "lookups/Emps.h"
#include "navigation/NavigationFixture.h"
#include "navigation/WorkBillListEvents.h"

namespace sp {
namespace {

using testing::MakeRecordset;
using testing::NavigationFixture;

class WorkBillListTest : public NavigationFixture {};

TEST_F(WorkBillListTest, SetupLaysTheColumnsOut) {
    SetupList();
    ASSERT_EQ(grid.Cols(), 8);
    EXPECT_EQ(state.listFields.size(), 8);
    EXPECT_EQ(state.listFields[3], QStringLiteral("fworkerid"));
    EXPECT_EQ(grid.CellText(1, 2), QStringLiteral("计费"));
    EXPECT_EQ(grid.CellAlignment(1, 2), CellAlign::Center);
    EXPECT_EQ(grid.ColumnWidth(2), 800);
    EXPECT_EQ(grid.ColumnWidth(1), grid.DefaultColumnWidth());
    EXPECT_FALSE(grid.ColumnVisible(4)) << "hidden, but keeps its place";
    EXPECT_TRUE(grid.ColumnVisible(5));
    EXPECT_EQ(grid.ColumnAlignment(6), CellAlign::Right) << "a quantity field, any case";
    EXPECT_EQ(grid.ColumnAlignment(8), CellAlign::Left);
    EXPECT_EQ(grid.FrozenCols(), 5);
    EXPECT_TRUE(grid.ColumnLocked(1));
    EXPECT_TRUE(grid.ColumnLocked(5));
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.RowHeight(1), grid.DefaultRowHeight() * 2);
}

TEST_F(WorkBillListTest, RowsFollowTheDisplayRules) {
    SetupList();
    ServeBills({Bill(1, QStringLiteral("WB1"), 351, 1059, 1058),
                Bill(2, QStringLiteral("WB2"), 353, QVariant(), QVariant()),
                Bill(3, QStringLiteral("WB3"), 352, 0, 0),
                Bill(4, QStringLiteral("WB4"), QVariant(), 0, 0, QVariant())});
    list.RefreshWorkBillList();
    ASSERT_EQ(grid.Rows(), 5);
    const QStringList chk{QStringLiteral("全检"), QStringLiteral("抽检"), QStringLiteral("免检"), QStringLiteral("免检")};
    const QStringList fare{QStringLiteral("否"), QStringLiteral("是"), QStringLiteral("是"), QStringLiteral("是")};
    const QStringList out{QStringLiteral("是"), QStringLiteral("否"), QStringLiteral("否"), QStringLiteral("否")};
    for (int i = 0; i < 4; ++i) {
        const int r = i + 2;
        EXPECT_EQ(grid.CellText(r, 1), chk[i]) << r;
        EXPECT_EQ(grid.CellText(r, 2), fare[i]) << r;
        EXPECT_EQ(grid.CellText(r, 3), out[i]) << r;
        EXPECT_EQ(grid.CellText(r, 5), QStringLiteral("WB%1").arg(i + 1));
        EXPECT_EQ(grid.CellValue(r, 5).toInt(), i + 1);
        EXPECT_EQ(grid.CellText(r, 7), QStringLiteral("WC04")) << "work center shown by number";
        EXPECT_TRUE(grid.CellText(r, 8).isEmpty()) << "Null shows nothing";
        EXPECT_TRUE(grid.CellLocked(r, 2));
    }
    EXPECT_EQ(grid.CellText(2, 4), QStringLiteral("张三"));
    EXPECT_EQ(grid.CellText(2, 6), QStringLiteral("12.5"));
    // The worker of three rows is asked once; a Null worker is the employee with id 0.
    EXPECT_EQ(fake.script->Count(QStringLiteral("GetEmpInfo")), 2);
    EXPECT_EQ(state.EmpsCache().Count(), 2);
    EXPECT_EQ(fake.script->Count(QStringLiteral("GetWorkBillByFilter")), 1);
    EXPECT_TRUE(state.listVisible);
    EXPECT_EQ(paints, 1);
}

TEST_F(WorkBillListTest, FailingLookupSkipsOnlyItsCell) {
    SetupList();
    ServeBills({Bill(1, QStringLiteral("WB1"), 351, 0, 0, 99), Bill(2, QStringLiteral("WB2"), 351, 0, 0, 99)});
    list.RefreshWorkBillList();
    ASSERT_EQ(grid.Rows(), 3);
    EXPECT_TRUE(grid.CellText(2, 4).isEmpty());
    EXPECT_EQ(grid.CellText(3, 5), QStringLiteral("WB2"));
    EXPECT_EQ(fake.script->Count(QStringLiteral("GetEmpInfo")), 1) << "an unknown id is not asked again";
}

TEST_F(WorkBillListTest, ConditionAndCheckFlagGoToTheMiddleTier) {
    SetupList();
    state.dicFilter->Set(QStringLiteral("EDept"), QStringLiteral("03"));
    bar.SetChecked(QStringLiteral("btnCtlChk"), true);
    QString condition;
    bool check = false;
    fake.script->workBillByFilter = [&](bool c, const QString& cond) {
        check = c;
        condition = cond;
        return MakeRecordset(Fields(), {});
    };
    list.RefreshWorkBillList();
    EXPECT_TRUE(check);
    EXPECT_EQ(condition, QStringLiteral(" AND Dept.FShortNumber <='03'"));
}

TEST_F(WorkBillListTest, OneRowResultBecomesCurrentEvenWhenItWasBefore) {
    SetupList();
    ServeBills({Bill(1, QStringLiteral("WB1"))});
    state.currentListRow = 2;
    state.currentWorkBillNo = QStringLiteral("OLD");
    list.RefreshWorkBillList();
    EXPECT_EQ(state.currentWorkBillNo, QStringLiteral("WB1"));
    EXPECT_EQ(state.currentListRow, 2);
    EXPECT_EQ(grid.CurrentRow(), 2);
    EXPECT_TRUE(historyLoads.isEmpty()) << "new mode loads nothing";
}

TEST_F(WorkBillListTest, EmptyResultHidesTheListAndKeepsTheWorkBill) {
    SetupList();
    ServeBills({});
    state.currentWorkBillNo = QStringLiteral("WB1");
    state.currentListRow = 3;
    list.RefreshWorkBillList();
    EXPECT_FALSE(state.listVisible);
    EXPECT_EQ(state.currentWorkBillNo, QStringLiteral("WB1"));
    EXPECT_EQ(state.currentListRow, 3);
    EXPECT_EQ(paints, 1);
}

TEST_F(WorkBillListTest, WorkCenterArrangementHandsOverOnlyTheNumber) {
    SetupList();
    bar.SetChecked(QStringLiteral("btnListWC"), true);
    ServeBills({Bill(1, QStringLiteral("WB1"))});
    list.RefreshWorkBillList();
    EXPECT_EQ(grid.CellText(2, 5), QStringLiteral("WB1\t轴[M8]"));
    EXPECT_EQ(state.currentWorkBillNo, QStringLiteral("WB1"));
    EXPECT_EQ(WorkBillList::TextBeforeTab(QStringLiteral("A")), QStringLiteral("A"));
}

TEST_F(WorkBillListTest, EditModeRefreshLoadsRowOneThenRowTwo) {
    SetupList();
    state.editMode = true;
    ServeBills({Bill(1, QStringLiteral("WB1")), Bill(2, QStringLiteral("WB2"))});
    list.RefreshWorkBillList();
    EXPECT_EQ(historyLoads, (QVector<int>{1, 1}));
    EXPECT_EQ(historyNumbers, (QStringList{QString(), QStringLiteral("WB1")}));
    // A notification for the row the list already holds changes nothing.
    list.OnGridNotify(GridNotify::SelectionChanged, 2);
    EXPECT_EQ(historyLoads.size(), 2);
    list.OnGridNotify(GridNotify::SelectionChanged, 3);
    EXPECT_EQ(historyNumbers.last(), QStringLiteral("WB2"));
}

TEST_F(WorkBillListTest, UnsavedEditsAreOnlyLeftAfterAYes) {
    SetupList();
    state.editMode = true;
    ServeBills({Bill(1, QStringLiteral("WB1")), Bill(2, QStringLiteral("WB2"))});
    list.RefreshWorkBillList();
    historyLoads.clear();
    state.modified = true;

    answer = false;
    grid.SetCurrentCell(3, 1);
    list.OnRowChange(3);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(state.currentWorkBillNo, QStringLiteral("WB1"));
    EXPECT_EQ(state.currentListRow, 2);
    EXPECT_EQ(grid.CurrentRow(), 2) << "the list goes back to the work bill still shown";
    EXPECT_TRUE(historyLoads.isEmpty());
    EXPECT_TRUE(state.modified);

    // A refresh would drop the edits too: a No keeps the list as it is.
    list.RefreshWorkBillList();
    EXPECT_EQ(questions, 2);
    EXPECT_EQ(fake.script->Count(QStringLiteral("GetWorkBillByFilter")), 1);

    answer = true;
    grid.SetCurrentCell(3, 1);
    list.OnRowChange(3);
    EXPECT_EQ(questions, 3);
    EXPECT_EQ(state.currentWorkBillNo, QStringLiteral("WB2"));
    EXPECT_EQ(historyLoads, QVector<int>{1});

    // Without unsaved edits, or in new mode, nobody is asked.
    list.OnRowChange(2);
    state.modified = true;
    state.editMode = false;
    list.OnRowChange(3);
    EXPECT_EQ(questions, 3);
}

TEST_F(WorkBillListTest, RefreshAfterAYesAsksOnce) {
    SetupList();
    state.editMode = true;
    state.modified = true;
    state.loadReportHistory = [this](int f) { historyLoads.append(f); };  // leaves the flag set
    ServeBills({Bill(1, QStringLiteral("WB1"))});
    list.RefreshWorkBillList();
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(historyLoads.size(), 2);
}

TEST_F(WorkBillListTest, ColumnWidthIsStoredForItsField) {
    SetupList();
    grid.SetColumnWidth(2, 1234);
    list.OnGridNotify(GridNotify::ColumnResized, 2);
    ASSERT_EQ(fake.statements.size(), 1);
    EXPECT_EQ(fake.statements[0], QStringLiteral("Update SHRptDef Set Fwidth=1234 Where Ftype='WorkBill' And FuserID=7 "
                                                 "And Ffield='Ffare'"));
    list.OnGridNotify(GridNotify::ColumnResized, 99);  // no such field: nothing
    list.OnGridNotify(GridNotify::DoubleClick, 2);     // not ours
    EXPECT_EQ(fake.statements.size(), 1);
}

TEST_F(WorkBillListTest, GridEventsHandOverEachRowOnce) {
    WorkBillListEvents events(list);
    grid.SetEventSink(&events);
    SetupList();
    state.editMode = true;
    ServeBills({Bill(1, QStringLiteral("WB1")), Bill(2, QStringLiteral("WB2"))});
    list.RefreshWorkBillList();
    // The fill's own selection of row 2 is not a second hand-over.
    EXPECT_EQ(historyNumbers, (QStringList{QString(), QStringLiteral("WB1")}));
    grid.KeyDown(KeyCode::Down);
    EXPECT_EQ(historyNumbers.last(), QStringLiteral("WB2"));
    EXPECT_EQ(historyLoads.size(), 3);
    grid.ResizeColumnByUser(5, 2000);
    ASSERT_EQ(fake.statements.size(), 1);
    EXPECT_TRUE(fake.statements[0].contains(QStringLiteral("Ffield='FWorkBillNO'")));
    grid.SetEventSink(nullptr);
}

TEST_F(WorkBillListTest, ThousandsOfBillsAskOncePerPerson) {
    SetupList();
    QVector<QVariantList> rows;
    for (int i = 1; i <= 3000; ++i)
        rows.append(Bill(i, QStringLiteral("WB%1").arg(i), 351, 0, 0, i % 2 ? 11 : 0));
    ServeBills(rows);
    list.RefreshWorkBillList();
    EXPECT_EQ(grid.Rows(), 3001);
    EXPECT_EQ(fake.script->Count(QStringLiteral("GetWorkBillByFilter")), 1);
    EXPECT_EQ(fake.script->Count(QStringLiteral("GetEmpInfo")), 2);
    EXPECT_EQ(grid.CellText(3001, 5), QStringLiteral("WB3000"));
    EXPECT_TRUE(grid.Redraw());
}

}  // namespace
}  // namespace sp
