// The workbench's parts against the real middle tier and host stand-ins over a fresh
// database: the SQL they hand across (list condition, history select list and filter)
// must run on both backends and select what it says.

#include "src/controls/GridModel.h"
#include "src/controls/ToolbarModel.h"
#include "src/controls/TreeModel.h"
#include "src/lookups/Emps.h"
#include "src/navigation/WorkBillList.h"
#include "src/navigation/WorkBillQueries.h"
#include "src/navigation/WorkBillTree.h"
#include "src/reportgrid/NewReportRows.h"
#include "src/reportgrid/ReportCells.h"
#include "src/reportgrid/ReportCommands.h"
#include "src/reportgrid/ReportGrid.h"
#include "src/reportgrid/ReportHistory.h"
#include "src/reportgrid/frmInfoFilter.h"
#include "src/settings/ColumnLayout.h"
#include "src/settings/SaveColumnWidth.h"
#include "src/state/WorkbenchState.h"
#include "tests/support/BackendTest.h"

using namespace Qt::StringLiterals;

namespace sp::test {
namespace {

// The parts over the demo shop, logged in as demo (user 1).
class PartsIntegrationTest : public BackendTest {
  protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (!tdb_)
            return;
        SeedDemo();
        state.host = &RegisterPlatform(1, u"demo"_s);
        state.vlgList = &list;
        state.vlgProc = &proc;
        state.barProc = &bar;
        state.tvw = &tree;
        state.userId = 1;
        state.dicFilter = NewDictionary();
        bar.AddTool(u"btnListWC"_s, QString(), ToolStyle::Radio, u"arr"_s);
        bar.AddTool(u"btnListTask"_s, QString(), ToolStyle::Radio, u"arr"_s);
        bar.AddTool(u"btnCtlChk"_s, QString(), ToolStyle::Toggle);
        bar.SetChecked(u"btnListTask"_s, true);
        ReportGrid(state).SetupReportColumns([](const QString& t) { return t.size() * 105.0; });
        workBills.SetupListGrid();
    }

    QStringList ListFor(const QString& from, const QString& to) {
        state.dicFilter->RemoveAll();
        state.dicFilter->Set(u"BWB"_s, from);
        state.dicFilter->Set(u"EWB"_s, to);
        workBills.RefreshWorkBillList();
        QStringList numbers;
        for (int r = 2; state.listVisible && r <= list.Rows(); ++r)
            numbers << WorkBillList::TextBeforeTab(list.CellText(r, 5));
        return numbers;
    }

    GridModel list, proc;
    ToolbarModel bar;
    TreeModel tree;
    WorkbenchState state;
    WorkBillList workBills{state};
};

// The layouts come from the service, and a resized column is stored through the host's
// connection with the component's own statement.
TEST_P(PartsIntegrationTest, LayoutsFromTheServiceAndWidthsStoredBack) {
    const ReportCells cells(state);
    for (ReportCode code : AllReportCodes())
        EXPECT_GT(cells.Column(code), 1) << ReportCodeName(code).toStdString();
    EXPECT_FALSE(proc.ColumnVisible(cells.Column(ReportCode::GPZH)));

    SaveColumnWidth(*host, 1, u"List"_s, u"FWorkBillNO"_s, 1234.5);
    SaveColumnWidth(*host, 1, u"Proc"_s, u"MEMO"_s, 2000);
    EXPECT_EQ(
        Values(Query("SELECT Fwidth FROM SHRptDef WHERE FuserID = 1 AND Ffield IN ('FWorkBillNO', 'MEMO') "
                     "ORDER BY Ffield")),
        Words("1234.5,2000"));
}

// A stored order brings each column back with its width and shown flag; a restore
// brings the service's default back.
TEST_P(PartsIntegrationTest, ReorderedAndRestoredLayoutsComeBackFromTheStore) {
    using ColumnLayout::Position;
    const QStringList before = state.listFields;
    ASSERT_GT(before.size(), 7);
    SaveColumnWidth(*host, 1, u"List"_s, before[6], 2222);
    QVector<Position> order;
    for (int col = 1; col <= before.size(); ++col) order.append({before[col - 1], col, true});
    std::swap(order[5].order, order[6].order);
    order[5].shown = false;
    ASSERT_TRUE(ColumnLayout::StoreOrder(*host, ColumnLayout::WorkBillType(), 1, order));
    workBills.SetupListGrid();
    EXPECT_EQ(state.listFields.mid(5, 2), (QStringList{before[6], before[5]}));
    EXPECT_EQ(std::tuple(list.ColumnWidth(6), list.ColumnVisible(6), list.ColumnVisible(7)),
              std::tuple(2222.0, true, false));

    const ReportCells cells(state);
    const int memoBefore = cells.Column(ReportCode::MEMO);
    QVector<Position> reportOrder{{u"MEMO"_s, 1, true}};
    for (int col = 3; col <= proc.Cols(); ++col) {
        const QString code = proc.CellKey(1, col);
        if (!code.isEmpty() && code != u"MEMO"_s)
            reportOrder.append({code, static_cast<int>(reportOrder.size()) + 1, proc.ColumnVisible(col)});
    }
    ASSERT_TRUE(ColumnLayout::StoreOrder(*host, ColumnLayout::ReportType(), 1, reportOrder));
    ReportGrid(state).SetupReportColumns({});
    EXPECT_EQ(cells.Column(ReportCode::MEMO), 3);

    ASSERT_TRUE(ColumnLayout::Restore(*host, ColumnLayout::WorkBillType(), 1));
    ASSERT_TRUE(ColumnLayout::Restore(*host, ColumnLayout::ReportType(), 1));
    workBills.SetupListGrid();
    ReportGrid(state).SetupReportColumns({});
    EXPECT_EQ(state.listFields, before);
    EXPECT_TRUE(list.ColumnVisible(6));
    EXPECT_EQ(cells.Column(ReportCode::MEMO), memoBefore);
}

TEST_P(PartsIntegrationTest, ListConditionSelectsTheRangeAndAQuoteCannotWidenIt) {
    const QStringList range = ListFor(u"WB000123"_s, u"WB000126"_s);
    ASSERT_FALSE(range.isEmpty());
    for (const QString& no : range) {
        EXPECT_GE(no, u"WB000123"_s);
        EXPECT_LE(no, u"WB000126"_s);
    }
    EXPECT_EQ(state.currentWorkBillNo, range.first());
    EXPECT_GT(state.EmpsCache().Count(), 0) << "workers shown by name through the cache";

    const QStringList injected = ListFor(u"WB000123"_s, u"WB000126' OR '1'='1"_s);
    EXPECT_EQ(injected, range);
    EXPECT_TRUE(ListFor(u"ZZ"_s, QString()).isEmpty());
    EXPECT_FALSE(state.listVisible);
}

TEST_P(PartsIntegrationTest, HistorySelectListAndFilterRunOnTheServer) {
    ListFor(u"WB000123"_s, u"WB000123"_s);
    ASSERT_EQ(state.currentWorkBillNo, u"WB000123"_s);
    const qint32 wb = list.CellValue(2, 5).toInt();
    for (int serial : {1, 2, 3})
        Exec(
            "INSERT INTO SHProcRpt (FWBInterID, Fserial, FbillerID, FworkerID, FAuxQtyReceive, Fmemo, "
            "Fstatus, FcheckerID) VALUES (?, ?, 1, 403, ?, ?, ?, ?)",
            {wb, serial, serial * 10.0, serial == 2 ? u"it's"_s : u"ok"_s, serial == 1 ? 1 : 0,
             serial == 1 ? 1 : 0});
    state.editMode = true;
    ReportHistory history(state);
    const ReportCells cells(state);

    history.LoadReportHistory(0);
    ASSERT_TRUE(state.procGridVisible) << state.lblProcText.toStdString();
    ASSERT_EQ(proc.Rows(), 4);
    EXPECT_EQ(cells.Text(2, ReportCode::HBXH), u"1"_s);
    EXPECT_EQ(cells.Text(2, ReportCode::SHBZ), u"√"_s);
    EXPECT_EQ(cells.Value(3, ReportCode::JSS).toDouble(), 20);
    EXPECT_FALSE(cells.Text(2, ReportCode::CZG).isEmpty());
    EXPECT_NE(state.historyTaskId, 0);

    // Serial or memo: the two conditions are alternatives.
    ui.dialogHandlers[u"frmInfoFilter"_s] = [](DialogModel& m) {
        auto& dlg = static_cast<frmInfoFilter&>(m);
        dlg.SetTxtItem(0, u"3"_s);
        dlg.SetTxtItem(1, u"it's"_s);
        dlg.cmdOK_Click();
    };
    history.LoadReportHistory(1);
    ASSERT_EQ(proc.Rows(), 4 - 1);
    EXPECT_EQ(cells.Text(2, ReportCode::HBXH), u"2"_s);
    EXPECT_EQ(cells.Text(3, ReportCode::HBXH), u"3"_s);
    EXPECT_TRUE(ui.messages.isEmpty());

    // The memo means the same on both databases: "%" and "_" are wildcards, a backslash
    // and the statement's escape character are text.
    const QString memos[] = {u"a\\b"_s, u"50% off"_s, u"a_b"_s, u"a!b"_s};
    for (int serial = 4; serial <= 7; ++serial)
        Exec(
            "INSERT INTO SHProcRpt (FWBInterID, Fserial, FbillerID, FworkerID, FAuxQtyReceive, Fmemo, "
            "Fstatus, FcheckerID) VALUES (?, ?, 1, 403, 1, ?, 0, 0)",
            {wb, serial, memos[serial - 4]});
    const std::pair<QString, QString> typed[] = {
        {u"\\"_s, u"4"_s},
        {u"\\b"_s, u"4"_s},
        {u"50%"_s, u"5"_s},
        {u"a_b"_s, u"4 6 7"_s},
        {u"a!b"_s, u"7"_s},
        {u"!"_s, u"7"_s},
        {u"_"_s, u"1 2 3 4 5 6 7"_s},
        {u"%"_s, u"1 2 3 4 5 6 7"_s},
        {u"it's"_s, u"2"_s},
        {u"t'; --"_s, QString()},
    };
    for (const auto& [memo, serials] : typed) {
        ui.dialogHandlers[u"frmInfoFilter"_s] = [&memo](DialogModel& m) {
            auto& dlg = static_cast<frmInfoFilter&>(m);
            dlg.SetTxtItem(1, memo);
            dlg.cmdOK_Click();
        };
        history.LoadReportHistory(1);
        QStringList shown;
        for (int r = 2; state.procGridVisible && r <= proc.Rows(); ++r)
            shown << cells.Text(r, ReportCode::HBXH);
        EXPECT_EQ(shown.join(u' '), serials) << memo.toStdString();
    }
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.MessageTexts().join(u'\n').toStdString();
}

TEST_P(PartsIntegrationTest, TreeListsAndLocatesWorkBills) {
    WorkBillTree ops(state, workBills);
    ops.Fill();
    ASSERT_GT(tree.Count(), 2);
    ops.LocateWorkBill(u"WB000125"_s);
    EXPECT_EQ(state.currentWorkBillNo, u"WB000125"_s);
    const auto key = WorkBillTree::ParseNodeKey(tree.SelectedKey());
    ASSERT_TRUE(key.has_value());
    EXPECT_FALSE(key->workCenter);

    bar.SetChecked(u"btnListWC"_s, true);
    ops.Fill();
    ops.LocateWorkBill(u"WB000124"_s);
    EXPECT_EQ(state.currentWorkBillNo, u"WB000124"_s);
    EXPECT_TRUE(tree.SelectedKey().startsWith(u"WC\t"_s));
}

// A report's life through the commands over the real service: saved in new mode,
// audited (the work bill's quantities posted), unaudited (reversed), deleted; the grid
// shows at each step what the database holds.
TEST_P(PartsIntegrationTest, ReportsAreSavedAuditedUnauditedAndDeletedAsTheGridShows) {
    using C = ReportCode;
    using Kind = ReportCommands::Kind;
    // First operations without reports: every quantity below fits their limits.
    const QStringList numbers = Values(
        Query("SELECT w.FWorkBillNO FROM SHWorkBillEntry w WHERE w.FStatus IN (1, 2) AND w.FSuspend = 0 "
              "AND w.FAuxQtyPlan >= 10 AND w.FEntryID = (SELECT MIN(f.FEntryID) FROM SHWorkBillEntry f "
              "WHERE f.FInterID = w.FInterID) AND NOT EXISTS (SELECT 1 FROM SHProcRpt r "
              "WHERE r.FWBInterID = w.FWBInterID) ORDER BY w.FWorkBillNO"));
    ASSERT_GE(numbers.size(), 2);
    const QString a = numbers[0], b = numbers[1];
    const auto reports = [&](const QString& no) {
        return Values(
            Query("SELECT r.Fserial || ':' || r.Fstatus || ':' || r.FbillerID FROM SHProcRpt r "
                  "JOIN SHWorkBillEntry w ON w.FWBInterID = r.FWBInterID WHERE w.FWorkBillNO = ? "
                  "ORDER BY r.Fserial",
                  {no}));
    };
    const auto received = [&] {
        return Query("SELECT FAuxQtyRecive FROM SHWorkBillEntry WHERE FWorkBillNO = ?", {a})
            ->Field(0)
            .toDouble();
    };
    const double receivedBefore = received();
    state.isExistWB = [&](const QString& no, bool show) { return IsExistWB(*state.host, no, show); };
    ReportCommands commands(state);
    const ReportCells cells(state);

    // The received column dragged to the far end first: every value is still saved
    // under its own field.
    const int receivedCol = cells.Column(C::JSS);
    proc.MoveColumn(receivedCol, proc.Cols());
    ReportGrid(state).ReportColumnsMoved();
    EXPECT_EQ(cells.Column(C::JSS), proc.Cols());
    proc.SetRows(4);
    for (const auto& [row, no] : {std::pair{2, a}, {3, a}, {4, b}}) {
        ASSERT_TRUE(NewReportRows(state).PutWorkBill(row, no)) << ui.MessageTexts().join(u'|').toStdString();
        for (C q : {C::JSS, C::SZS, C::HGS}) cells.SetValue(row, q, 3.0);
        cells.SetValue(row, C::YJS, 2.0);
    }
    ASSERT_TRUE(commands.Save()) << ui.MessageTexts().join(u'|').toStdString();
    EXPECT_EQ(reports(a), Words("1:0:1,2:0:1"));
    EXPECT_EQ(reports(b), Words("1:0:1"));
    EXPECT_EQ(
        Values(Query("SELECT CAST(r.FauxQtyReceive AS INTEGER) || ':' || CAST(r.FauxQtyHandOver AS INTEGER) "
                     "FROM SHProcRpt r "
                     "JOIN SHWorkBillEntry w ON w.FWBInterID = r.FWBInterID WHERE w.FWorkBillNO = ?",
                     {b})),
        Words("3:2"));

    state.editMode = true;
    state.currentWorkBillNo = a;
    ReportHistory(state).LoadReportHistory(0);
    ASSERT_EQ(proc.Rows(), 3);
    proc.SelectRows(2, 3, 2);
    commands.Run(Kind::Audit);
    EXPECT_EQ(reports(a), Words("1:1:1,2:1:1"));
    EXPECT_EQ(std::pair(cells.Text(2, C::SHBZ), cells.Text(3, C::SHBZ)), std::pair(u"√"_s, u"√"_s));
    EXPECT_DOUBLE_EQ(received(), receivedBefore + 6);

    proc.SetCurrentCell(3, 2);
    commands.Run(Kind::UnAudit);
    EXPECT_EQ(reports(a), Words("1:1:1,2:0:1"));
    EXPECT_TRUE(cells.Text(3, C::SHBZ).isEmpty());
    EXPECT_DOUBLE_EQ(received(), receivedBefore + 3);

    ui.answers = {MsgAnswer::Yes};
    commands.Run(Kind::Delete);
    EXPECT_EQ(reports(a), Words("1:1:1"));
    EXPECT_EQ(proc.Rows(), 2);
    EXPECT_EQ(cells.Text(2, C::HBXH), u"1"_s);
    EXPECT_DOUBLE_EQ(received(), receivedBefore + 3);
}

SP_INSTANTIATE_BACKENDS(PartsIntegrationTest);

}  // namespace
}  // namespace sp::test
