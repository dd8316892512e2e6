// The workbench's parts against the real middle tier and host stand-ins over a fresh
// database: the SQL they hand across (list condition, history select list and filter)
// must run on both backends and select what it says.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "common/ComponentRegistry.h"
#include "common/GridModel.h"
#include "common/ScriptedUi.h"
#include "common/ToolbarModel.h"
#include "entry/HostServices.h"
#include "lookups/Emps.h"
#include "navigation/TreeModel.h"
#include "navigation/WorkBillList.h"
#include "navigation/WorkBillTree.h"
#include "platform/Platform.h"
#include "platform/db/DemoData.h"
#include "reportgrid/ReportCells.h"
#include "reportgrid/ReportGrid.h"
#include "reportgrid/ReportHistory.h"
#include "reportgrid/frmInfoFilter.h"
#include "support/TestDatabase.h"
#include "workbench/WorkbenchState.h"

namespace sp::testing {
namespace {

class PartsIntegrationTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        tdb = TestDatabase::Create(GetParam());
        if (!tdb)
            return;
        platform::SeedDemo(*tdb->db());
        platform::RegisterPlatform(registry, {tdb->db(), 1, QStringLiteral("demo"), QStringLiteral("chs"), dir.path(), &ui});
        host = std::make_unique<HostServices>(ComponentContext{&registry, &ui, dir.path(), dir.path(), 4242});
        state.host = host.get();
        state.vlgList = &list;
        state.vlgProc = &proc;
        state.barProc = &bar;
        state.tvw = &tree;
        state.userId = 1;
        state.dicFilter = NewDictionary();
        bar.AddTool(QStringLiteral("btnListWC"), QString(), ToolStyle::Radio, QStringLiteral("arr"));
        bar.AddTool(QStringLiteral("btnListTask"), QString(), ToolStyle::Radio, QStringLiteral("arr"));
        bar.AddTool(QStringLiteral("btnCtlChk"), QString(), ToolStyle::Toggle);
        bar.SetChecked(QStringLiteral("btnListTask"), true);
        ReportGrid(state).SetupReportColumns([](const QString& t) { return t.size() * 105.0; });
        workBills.SetupListGrid();
    }

    QStringList ListedNumbers() const {
        QStringList numbers;
        for (int r = 2; r <= list.Rows(); ++r)
            numbers << WorkBillList::TextBeforeTab(list.CellText(r, 5));
        return numbers;
    }
    QStringList ListFor(const QString& from, const QString& to) {
        state.dicFilter->RemoveAll();
        state.dicFilter->Set(QStringLiteral("BWB"), from);
        state.dicFilter->Set(QStringLiteral("EWB"), to);
        workBills.RefreshWorkBillList();
        return state.listVisible ? ListedNumbers() : QStringList();
    }

    QTemporaryDir dir;
    std::unique_ptr<TestDatabase> tdb;
    ComponentRegistry registry;
    ScriptedUi ui;
    std::unique_ptr<HostServices> host;
    GridModel list, proc;
    ToolbarModel bar;
    TreeModel tree;
    WorkbenchState state;
    WorkBillList workBills{state};
};

TEST_P(PartsIntegrationTest, DefaultLayoutsGiveEveryColumnItsPlace) {
    if (!tdb)
        return;
    const ReportCells cells(state);
    for (ReportCode code : AllReportCodes())
        EXPECT_GT(cells.Column(code), 1) << ReportCodeName(code).toStdString();
    EXPECT_FALSE(proc.ColumnVisible(cells.Column(ReportCode::GPZH)));
    ASSERT_GE(state.listFields.size(), 5);
    EXPECT_EQ(state.listFields[4].toLower(), QStringLiteral("fworkbillno"));
}

TEST_P(PartsIntegrationTest, ListConditionSelectsTheRangeAndAQuoteCannotWidenIt) {
    if (!tdb)
        return;
    const QStringList range = ListFor(QStringLiteral("WB000123"), QStringLiteral("WB000126"));
    ASSERT_FALSE(range.isEmpty());
    for (const QString& no : range) {
        EXPECT_GE(no, QStringLiteral("WB000123"));
        EXPECT_LE(no, QStringLiteral("WB000126"));
    }
    EXPECT_EQ(state.currentWorkBillNo, range.first());
    EXPECT_EQ(state.EmpsCache().Count() > 0, true) << "workers shown by name through the cache";

    const QStringList injected = ListFor(QStringLiteral("WB000123"), QStringLiteral("WB000126' OR '1'='1"));
    EXPECT_EQ(injected, range);
    EXPECT_TRUE(ListFor(QStringLiteral("ZZ"), QString()).isEmpty());
    EXPECT_FALSE(state.listVisible);
}

TEST_P(PartsIntegrationTest, HistorySelectListAndFilterRunOnTheServer) {
    if (!tdb)
        return;
    ListFor(QStringLiteral("WB000123"), QStringLiteral("WB000123"));
    ASSERT_EQ(state.currentWorkBillNo, QStringLiteral("WB000123"));
    const qint32 wb = list.CellValue(2, 5).toInt();
    for (int serial : {1, 2, 3})
        tdb->db()->Exec(QStringLiteral("INSERT INTO SHProcRpt (FWBInterID, Fserial, FbillerID, FworkerID, FAuxQtyReceive, "
                                       "Fmemo, Fstatus, FcheckerID) VALUES (?, ?, 1, 403, ?, ?, ?, ?)"),
                        {wb, serial, serial * 10.0, serial == 2 ? QStringLiteral("it's") : QStringLiteral("ok"),
                         serial == 1 ? 1 : 0, serial == 1 ? 1 : 0});
    state.editMode = true;
    ReportHistory history(state);
    const ReportCells cells(state);

    history.LoadReportHistory(0);
    ASSERT_TRUE(state.procGridVisible) << state.lblProcText.toStdString();
    ASSERT_EQ(proc.Rows(), 4);
    EXPECT_EQ(cells.Text(2, ReportCode::HBXH), QStringLiteral("1"));
    EXPECT_EQ(cells.Text(2, ReportCode::SHBZ), QStringLiteral("√"));
    EXPECT_EQ(cells.Value(3, ReportCode::JSS).toDouble(), 20);
    EXPECT_FALSE(cells.Text(2, ReportCode::CZG).isEmpty());
    EXPECT_NE(state.historyTaskId, 0);

    // Serial or memo: the two conditions are alternatives.
    ui.dialogHandlers[QStringLiteral("frmInfoFilter")] = [](DialogModel& m) {
        auto& dlg = static_cast<frmInfoFilter&>(m);
        dlg.SetTxtItem(0, QStringLiteral("3"));
        dlg.SetTxtItem(1, QStringLiteral("it's"));
        dlg.cmdOK_Click();
    };
    history.LoadReportHistory(1);
    ASSERT_EQ(proc.Rows(), 4 - 1);
    EXPECT_EQ(cells.Text(2, ReportCode::HBXH), QStringLiteral("2"));
    EXPECT_EQ(cells.Text(3, ReportCode::HBXH), QStringLiteral("3"));
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_P(PartsIntegrationTest, TreeListsAndLocatesWorkBills) {
    if (!tdb)
        return;
    WorkBillTree ops(state, workBills);
    ops.Fill();
    ASSERT_GT(tree.Count(), 2);
    ops.LocateWorkBill(QStringLiteral("WB000125"));
    EXPECT_EQ(state.currentWorkBillNo, QStringLiteral("WB000125"));
    const auto key = WorkBillTree::ParseNodeKey(tree.SelectedKey());
    ASSERT_TRUE(key.has_value());
    EXPECT_FALSE(key->workCenter);

    bar.SetChecked(QStringLiteral("btnListWC"), true);
    ops.Fill();
    ops.LocateWorkBill(QStringLiteral("WB000124"));
    EXPECT_EQ(state.currentWorkBillNo, QStringLiteral("WB000124"));
    EXPECT_TRUE(tree.SelectedKey().startsWith(QStringLiteral("WC\t")));
}

INSTANTIATE_TEST_SUITE_P(Backends, PartsIntegrationTest, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto& info) { return BackendName(info.param); });

}  // namespace
}  // namespace sp::testing
