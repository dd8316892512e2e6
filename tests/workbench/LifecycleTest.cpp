#include <gtest/gtest.h>

#include "src/lookups/Emps.h"
#include "tests/support/BackendTest.h"
#include "tests/workbench/WorkbenchBench.h"

namespace sp::test {
namespace {

TEST(Load, RunsInOrderOnceAndThenLoadsTheList) {
    WorkbenchBench b;
    // UpdateCommandStates ends with a redraw of the toolbar.
    QObject::connect(&b.bar(), &ToolbarModel::redrawRequested, [&] { b.parts->calls << u"Redraw"_s; });
    b.parts->onRefreshWorkBillList = [&] {
        EXPECT_GT(b.ui.waitDepth, 0) << "the list loads under the wait cursor";
    };
    b.form->SetListStyle(3);

    EXPECT_EQ(b.fake->statements,
              QStringList{u"Select FinterID From t_SubMessage Where FtypeID=281 And Fid=0"_s});
    EXPECT_EQ(b.state().defaultDeviceType, 7);
    EXPECT_EQ(b.parts->calls, (QStringList{u"Redraw"_s, u"SetupReportColumns"_s, u"SetupListGrid"_s,
                                           u"RefreshWorkBillList"_s}));
    EXPECT_TRUE(b.state().listLoaded);
    EXPECT_TRUE(b.form->IsLoaded());
    EXPECT_EQ(b.ui.waitDepth, 0) << "the pointer is restored";
    EXPECT_GT(b.ui.maxWaitDepth, 0);

    b.parts->calls.clear();
    b.form->SetListStyle(0);
    EXPECT_EQ(b.parts->calls, QStringList{u"RefreshWorkBillList"_s}) << "loaded once";
}

// The first resize loads a list that is not loaded yet; a missing right to enter
// reports is told once, and the window stays usable.
TEST(FirstDisplay, LoadsTheListOnceIfNeededAndWarnsOnceWithoutTheRight) {
    for (const bool listLoaded : {true, false}) {
        SCOPED_TRACE(listLoaded ? "list loaded, no right" : "list not loaded");
        WorkbenchBench b;
        if (listLoaded) {
            b.fake->deniedRights = {0x20000};
            b.form->SetListStyle(0);
        } else {
            b.form->Load();
        }
        b.parts->calls.clear();
        for (int width : {12000, 13000}) {
            b.form->Resize(width, 9000);
            b.form->Activate();
        }
        EXPECT_EQ(b.parts->calls, listLoaded ? QStringList{} : QStringList{u"RefreshWorkBillList"_s});
        EXPECT_EQ(b.ui.MessageTexts(), listLoaded ? QStringList{u"您没有新增汇报的权限。"_s} : QStringList{});
        EXPECT_TRUE(b.form->IsLoaded());
    }
}

TEST(FirstDisplay, ActivationUpdatesTheStatusEveryTime) {
    WorkbenchBench b;
    b.LayOutGrid();
    b.form->SetListStyle(0);
    b.grid().SetCurrentCell(2, 4);  // CZG
    b.form->SetActiveControl(ActiveControl::vlgProc);
    b.form->Activate();
    EXPECT_TRUE(b.bar().Enabled(Tool::EditView()));
    b.form->SetActiveControl(ActiveControl::tvw);
    b.form->Activate();
    EXPECT_FALSE(b.bar().Enabled(Tool::EditView()));
}

TEST(Unload, ReleasesCachesClosesWorkBillsAndEveryTask) {
    WorkbenchBench b;
    b.form->SetListStyle(0);
    b.Forget();
    b.state().EmpsCache().Add(std::make_shared<Emp>());
    // Rows 3 and 5 share one work bill's task.
    b.state().rowLocks = {0, 0, 0, 21, 0, 21, 22};
    b.state().historyTaskId = 42;
    b.form->Unload();

    ASSERT_EQ(b.fake->statements.size(), 1) << "the closing statement (see UnloadOnDatabase)";
    EXPECT_EQ(b.parts->calls.filter(u"ReleaseRowLock"_s),
              (QStringList{u"ReleaseRowLock(3)"_s, u"ReleaseRowLock(5)"_s, u"ReleaseRowLock(6)"_s}));
    EXPECT_EQ(b.state().rowLocks, (QVector<qint32>{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(b.fake->committed, QVector<qint32>{42});
    EXPECT_EQ(b.state().historyTaskId, 0);
    EXPECT_EQ(b.state().emps, nullptr);
    EXPECT_FALSE(b.form->IsLoaded());

    b.Forget();
    b.form->Unload();
    EXPECT_TRUE(b.fake->statements.isEmpty()) << "unloaded once";
}

TEST(ShowModal, UnloadsWhateverClosedTheWindowAndAShowAfterThatStartsInNewMode) {
    WorkbenchBench b;
    b.form->SetListStyle(0);
    b.bar().Click(Tool::ModeEdit());
    b.state().historyTaskId = 5;
    b.fake->failing = {u"Execute"_s};  // a failing step does not stop the others
    b.form->ShowModal();               // the scripted user closes it untouched
    EXPECT_EQ(b.ui.dialogsShown, QStringList{u"frmProc"_s});
    EXPECT_FALSE(b.form->IsLoaded());
    EXPECT_EQ(b.fake->committed, QVector<qint32>{5});
    b.form->SetListStyle(0);
    EXPECT_FALSE(b.state().editMode);
    EXPECT_TRUE(b.bar().Checked(Tool::ModeNew()));
    EXPECT_FALSE(b.bar().Checked(Tool::ModeEdit()));
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
