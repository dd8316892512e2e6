#include <gtest/gtest.h>

#include "src/lookups/Emps.h"
#include "tests/support/BackendTest.h"
#include "tests/workbench/WorkbenchBench.h"

namespace sp::test {
namespace {

// Loading reads the default device type and sets both grids up, then the list loads
// under the wait cursor, the layouts once.
TEST(Load, SetsTheGridsUpOnceAndThenLoadsTheList) {
    WorkbenchBench b;
    b.parts->onRefreshWorkBillList = [&] { EXPECT_GT(b.ui.waitDepth, 0) << "under the wait cursor"; };
    b.form->SetListStyle(3);
    b.form->SetListStyle(0);
    EXPECT_EQ(b.state().defaultDeviceType, 7);
    EXPECT_EQ(b.parts->calls, (QStringList{u"SetupReportColumns"_s, u"SetupListGrid"_s,
                                           u"RefreshWorkBillList"_s, u"RefreshWorkBillList"_s}));
    EXPECT_EQ(std::tuple(b.state().listLoaded, b.form->IsLoaded(), b.ui.waitDepth),
              std::tuple(true, true, 0));
}

// The first display loads a list that is not loaded yet and tells once of a missing
// right to enter reports; the window stays usable. Every activation updates the status.
TEST(FirstDisplay, LoadsTheListOnceIfNeededAndWarnsOnceWithoutTheRight) {
    for (const bool listLoaded : {true, false}) {
        SCOPED_TRACE(listLoaded ? "list loaded, no right" : "list not loaded");
        WorkbenchBench b;
        b.LayOutGrid();
        if (listLoaded) {
            b.fake->deniedRights = {0x20000};
            b.form->SetListStyle(0);
        } else {
            b.form->Load();
        }
        b.parts->calls.clear();
        b.grid().SetCurrentCell(2, 4);  // CZG
        for (const auto& [active, lookup] :
             {std::pair{ActiveControl::vlgProc, true}, {ActiveControl::tvw, false}}) {
            b.form->Resize(12000, 9000);
            b.form->SetActiveControl(active);
            b.form->Activate();
            EXPECT_EQ(b.bar().Enabled(Tool::EditView()), lookup);
        }
        EXPECT_EQ(b.parts->calls, listLoaded ? QStringList{} : QStringList{u"RefreshWorkBillList"_s});
        EXPECT_EQ(b.ui.MessageTexts(), listLoaded ? QStringList{u"您没有新增汇报的权限。"_s} : QStringList{});
        EXPECT_TRUE(b.form->IsLoaded());
    }
}

// Whatever closed the window, it unloads once: the caches go, completed work bills are
// closed (see UnloadOnDatabase), and every task is released, though a step fails; a
// show after that starts in new mode.
TEST(Unload, ReleasesEveryTaskOnceAndTheNextShowStartsInNewMode) {
    WorkbenchBench b;
    b.form->SetListStyle(0);
    b.bar().Click(Tool::ModeEdit());
    b.Forget();
    b.state().EmpsCache().Add(std::make_shared<Emp>());
    b.state().rowLocks = {0, 0, 0, 21, 0, 21, 22};  // rows 3 and 5 share one work bill's task
    b.state().historyTaskId = 42;
    b.fake->failing = {u"Execute"_s};
    b.form->ShowModal();  // the scripted user closes it untouched
    EXPECT_EQ(b.ui.dialogsShown, QStringList{u"frmProc"_s});
    EXPECT_EQ(b.fake->Count(u"Execute"_s), 1);
    EXPECT_EQ(b.parts->calls,
              (QStringList{u"ReleaseRowLock(3)"_s, u"ReleaseRowLock(5)"_s, u"ReleaseRowLock(6)"_s}));
    EXPECT_EQ(b.state().rowLocks, QVector<qint32>(7, 0));
    EXPECT_EQ(std::pair(b.fake->committed, b.state().historyTaskId), std::pair(QVector<qint32>{42}, 0));
    EXPECT_EQ(b.state().emps, nullptr);
    EXPECT_FALSE(b.form->IsLoaded());
    b.Forget();
    b.form->Unload();
    EXPECT_TRUE(b.fake->calls.isEmpty()) << "unloaded once";
    b.form->SetListStyle(0);
    EXPECT_EQ(
        std::tuple(b.state().editMode, b.bar().Checked(Tool::ModeNew()), b.bar().Checked(Tool::ModeEdit())),
        std::tuple(false, true, false));
}

// The closing statement against real rows.
class UnloadOnDatabase : public BackendTest {};

TEST_P(UnloadOnDatabase, ClosesOnlyFullyPassedWorkBillsWithoutDrafts) {
    auto db = tdb_->db();
    // id, status, plan, passed; reports of 1 and 2, one of them still a draft.
    for (const auto& [id, status, plan, passed] :
         {std::tuple{1, 2, 100.0, 100.0}, {2, 2, 100.0, 120.0}, {3, 1, 100.0, 99.0}, {4, 0, 0.0, 0.0}})
        db->Exec(
            u"INSERT INTO SHWorkBillEntry (FWBInterID, FInterID, FEntryID, FWorkBillNO, FItemID, FDeptID, "
            u"FWorkCenterID, FOperID, FStatus, FAuxQtyPlan, FauxQtyPass) "
            u"VALUES (?, ?, 1, ?, 1, 1, 1, 10, ?, ?, ?)"_s,
            {id, id, u"WB-%1"_s.arg(id), status, plan, passed});
    for (const auto& [id, serial, status] : {std::tuple{1, 1, 1}, {2, 1, 1}, {2, 2, 0}})
        db->Exec(u"INSERT INTO SHProcRpt (FWBInterID, Fserial, FAuxQtyPass, Fstatus) VALUES (?, ?, 1, ?)"_s,
                 {id, serial, status});

    WorkbenchBench b;
    b.fake->execute = [db](const QString& sql) {
        if (sql.startsWith(u"Update"_s, Qt::CaseInsensitive)) {
            db->Exec(sql);
            return std::make_shared<Recordset>();
        }
        return db->Query(sql);
    };
    b.form->SetListStyle(0);
    EXPECT_EQ(b.state().defaultDeviceType, 0) << "no default device type row";
    b.form->Unload();

    auto status = [&](int id) {
        return db->Scalar(u"SELECT FStatus FROM SHWorkBillEntry WHERE FWBInterID = ?"_s, {id}).toInt();
    };
    EXPECT_EQ(status(1), 3) << "passed in full, every report audited";
    EXPECT_EQ(status(2), 2) << "one report still in status 0";
    EXPECT_EQ(status(3), 1) << "short of the plan";
    EXPECT_EQ(status(4), 0) << "not yet released";
}

SP_INSTANTIATE_BACKENDS(UnloadOnDatabase);

}  // namespace
}  // namespace sp::test
