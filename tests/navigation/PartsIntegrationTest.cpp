// The workbench's parts against the real middle tier and host stand-ins over a fresh
// database: the statements they hand across (layout updates, history select list and
// filter, the records of a save) must run on both backends and do what they say.

#include "src/controls/GridModel.h"
#include "src/navigation/WorkBillList.h"
#include "src/navigation/WorkBillQueries.h"
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
        state.userId = 1;
        ReportGrid(state).SetupReportColumns([](const QString& t) { return t.size() * 105.0; });
        workBills.SetupListGrid();
    }

    GridModel list, proc;
    WorkbenchState state;
    WorkBillList workBills{state};
};

// Every report code has a column in the service's layout. A resized width, a reordered
// and a hidden column come back from the store through the component's own statements
// (the record grid's go the same way); a restore brings the service's default back.
TEST_P(PartsIntegrationTest, LayoutsRoundTripThroughTheStore) {
    using ColumnLayout::Position;
    const ReportCells cells(state);
    for (ReportCode code : AllReportCodes())
        EXPECT_GT(cells.Column(code), 1) << ReportCodeName(code).toStdString();

    const QStringList before = state.listFields;
    ASSERT_GT(before.size(), 7);
    SaveColumnWidth(*host, 1, u"List"_s, before[6], 1234.5);
    QVector<Position> order;
    for (int col = 1; col <= before.size(); ++col) order.append({before[col - 1], col, true});
    std::swap(order[5].order, order[6].order);
    order[5].shown = false;
    ASSERT_TRUE(ColumnLayout::StoreOrder(*host, ColumnLayout::WorkBillType(), 1, order));
    workBills.SetupListGrid();
    EXPECT_EQ(state.listFields.mid(5, 2), (QStringList{before[6], before[5]}));
    EXPECT_EQ(std::tuple(list.ColumnWidth(6), list.ColumnVisible(6), list.ColumnVisible(7)),
              std::tuple(1234.5, true, false));

    ASSERT_TRUE(ColumnLayout::Restore(*host, ColumnLayout::WorkBillType(), 1));
    workBills.SetupListGrid();
    EXPECT_EQ(state.listFields, before);
    EXPECT_NE(list.ColumnWidth(7), 1234.5);
    EXPECT_TRUE(list.ColumnVisible(6));
}

TEST_P(PartsIntegrationTest, HistorySelectListAndFilterRunOnTheServer) {
    state.currentWorkBillNo = u"WB000123"_s;
    const qint32 wb =
        Scalar("SELECT FWBInterID FROM SHWorkBillEntry WHERE FWorkBillNO = ?", {state.currentWorkBillNo})
            .toInt();
    const auto report = [&](int serial, double received, const QString& memo, int status) {
        Exec(
            "INSERT INTO SHProcRpt (FWBInterID, Fserial, FbillerID, FworkerID, FAuxQtyReceive, Fmemo, "
            "Fstatus, FcheckerID) VALUES (?, ?, 1, 403, ?, ?, ?, ?)",
            {wb, serial, received, memo, status, status});
    };
    for (int serial : {1, 2, 3})
        report(serial, serial * 10.0, serial == 2 ? u"it's"_s : u"ok"_s, serial == 1);
    state.editMode = true;
    ReportHistory history(state);
    const ReportCells cells(state);

    history.LoadReportHistory(0);
    ASSERT_TRUE(state.procGridVisible) << state.lblProcText.toStdString();
    ASSERT_EQ(proc.Rows(), 4);

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
    for (int serial = 4; serial <= 7; ++serial) report(serial, 1, memos[serial - 4], 0);
    const std::pair<QString, QString> typed[] = {
        {u"\\"_s, u"4"_s}, {u"%"_s, u"1 2 3 4 5 6 7"_s}, {u"a_b"_s, u"4 6 7"_s},
        {u"!"_s, u"7"_s},  {u"it's"_s, u"2"_s},          {u"t'; --"_s, QString()},
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

// New rows saved through the commands over the real service land under their own fields,
// also after the received column was dragged to the far end.
TEST_P(PartsIntegrationTest, SavedRowsKeepTheirFieldsAfterAColumnMoved) {
    using C = ReportCode;
    // First operations without reports: every quantity below fits their limits.
    const QStringList numbers = Values(
        Query("SELECT w.FWorkBillNO FROM SHWorkBillEntry w WHERE w.FStatus IN (1, 2) AND w.FSuspend = 0 "
              "AND w.FAuxQtyPlan >= 10 AND w.FEntryID = (SELECT MIN(f.FEntryID) FROM SHWorkBillEntry f "
              "WHERE f.FInterID = w.FInterID) AND NOT EXISTS (SELECT 1 FROM SHProcRpt r "
              "WHERE r.FWBInterID = w.FWBInterID) ORDER BY w.FWorkBillNO"));
    ASSERT_GE(numbers.size(), 2);
    state.isExistWB = [&](const QString& no, bool show) { return IsExistWB(*state.host, no, show); };
    const ReportCells cells(state);
    proc.MoveColumn(cells.Column(C::JSS), proc.Cols());
    ReportGrid(state).ReportColumnsMoved();
    EXPECT_EQ(cells.Column(C::JSS), proc.Cols());
    proc.SetRows(4);
    for (const auto& [row, no] : {std::pair{2, numbers[0]}, {3, numbers[0]}, {4, numbers[1]}}) {
        ASSERT_TRUE(NewReportRows(state).PutWorkBill(row, no)) << ui.MessageTexts().join(u'|').toStdString();
        for (C q : {C::SZS, C::HGS}) cells.SetValue(row, q, 3.0);
        cells.SetValue(row, C::JSS, 4.0);
        cells.SetValue(row, C::YJS, 2.0);
    }
    ASSERT_TRUE(ReportCommands(state).Save()) << ui.MessageTexts().join(u'|').toStdString();
    EXPECT_EQ(
        Values(Query("SELECT w.FWorkBillNO || ':' || r.Fserial || ':' || CAST(r.FauxQtyReceive AS INTEGER) "
                     "|| ':' || CAST(r.FauxQtyPass AS INTEGER) || ':' || CAST(r.FauxQtyHandOver AS INTEGER) "
                     "FROM SHProcRpt r JOIN SHWorkBillEntry w ON w.FWBInterID = r.FWBInterID "
                     "WHERE w.FWorkBillNO IN (?, ?) ORDER BY 1",
                     {numbers[0], numbers[1]})),
        (QStringList{numbers[0] + u":1:4:3:2"_s, numbers[0] + u":2:4:3:2"_s, numbers[1] + u":1:4:3:2"_s}));
}

SP_INSTANTIATE_BACKENDS(PartsIntegrationTest);

}  // namespace
}  // namespace sp::test
