// The workbench's parts against the real middle tier and host stand-ins over a fresh
// database: the SQL they hand across (list condition, history select list and filter)
// must run on both backends and select what it says.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "src/common/ComponentRegistry.h"
#include "src/controls/GridModel.h"
#include "tests/support/ScriptedUi.h"
#include "src/controls/ToolbarModel.h"
#include "src/entry/HostServices.h"
#include "src/lookups/Emps.h"
#include "src/controls/TreeModel.h"
#include "src/navigation/WorkBillList.h"
#include "src/navigation/WorkBillTree.h"
#include "platform/Platform.h"
#include "platform/db/DemoData.h"
#include "src/reportgrid/ReportCells.h"
#include "src/reportgrid/ReportGrid.h"
#include "src/reportgrid/ReportHistory.h"
#include "src/reportgrid/frmInfoFilter.h"
#include "tests/support/TestDatabase.h"
#include "src/state/WorkbenchState.h"

using namespace Qt::StringLiterals;

namespace sp::test {

// Listed test names show the backend, not its bytes.
static void PrintTo(Backend backend, std::ostream* os) {
    *os << BackendName(backend);
}

namespace {

class PartsIntegrationTest : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        tdb = TestDatabase::Create(GetParam());
        if (!tdb)
            return;
        platform::SeedDemo(*tdb->db());
        platform::RegisterPlatform(registry, {tdb->db(), 1, u"demo"_s, u"chs"_s, dir.path(), &ui});
        host = std::make_unique<HostServices>(ComponentContext{&registry, &ui, dir.path(), dir.path(), 4242});
        state.host = host.get();
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

    QStringList ListedNumbers() const {
        QStringList numbers;
        for (int r = 2; r <= list.Rows(); ++r) numbers << WorkBillList::TextBeforeTab(list.CellText(r, 5));
        return numbers;
    }
    QStringList ListFor(const QString& from, const QString& to) {
        state.dicFilter->RemoveAll();
        state.dicFilter->Set(u"BWB"_s, from);
        state.dicFilter->Set(u"EWB"_s, to);
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
    EXPECT_EQ(state.listFields[4].toLower(), u"fworkbillno"_s);
}

TEST_P(PartsIntegrationTest, ListConditionSelectsTheRangeAndAQuoteCannotWidenIt) {
    if (!tdb)
        return;
    const QStringList range = ListFor(u"WB000123"_s, u"WB000126"_s);
    ASSERT_FALSE(range.isEmpty());
    for (const QString& no : range) {
        EXPECT_GE(no, u"WB000123"_s);
        EXPECT_LE(no, u"WB000126"_s);
    }
    EXPECT_EQ(state.currentWorkBillNo, range.first());
    EXPECT_EQ(state.EmpsCache().Count() > 0, true) << "workers shown by name through the cache";

    const QStringList injected = ListFor(u"WB000123"_s, u"WB000126' OR '1'='1"_s);
    EXPECT_EQ(injected, range);
    EXPECT_TRUE(ListFor(u"ZZ"_s, QString()).isEmpty());
    EXPECT_FALSE(state.listVisible);
}

TEST_P(PartsIntegrationTest, HistorySelectListAndFilterRunOnTheServer) {
    if (!tdb)
        return;
    ListFor(u"WB000123"_s, u"WB000123"_s);
    ASSERT_EQ(state.currentWorkBillNo, u"WB000123"_s);
    const qint32 wb = list.CellValue(2, 5).toInt();
    for (int serial : {1, 2, 3})
        tdb->db()->Exec(
            QStringLiteral(
                "INSERT INTO SHProcRpt (FWBInterID, Fserial, FbillerID, FworkerID, FAuxQtyReceive, "
                "Fmemo, Fstatus, FcheckerID) VALUES (?, ?, 1, 403, ?, ?, ?, ?)"),
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
}

TEST_P(PartsIntegrationTest, TreeListsAndLocatesWorkBills) {
    if (!tdb)
        return;
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

INSTANTIATE_TEST_SUITE_P(Backends, PartsIntegrationTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto& info) { return BackendName(info.param); });

}  // namespace
}  // namespace sp::test
