#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "common/ComponentRegistry.h"
#include "common/ScriptedUi.h"
#include "entry/HostServices.h"
#include "filters/frmWageFilter.h"
#include "navigation/frmList.h"
#include "platform/Platform.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "support/TestDatabase.h"

using namespace sp;
using sp::testing::Backend;
using sp::testing::TestDatabase;

namespace {

// The filter dialog against the platform's real stand-ins: lookups, list data, the
// local switch file, the plan store and the settings file, over a fresh database.
class FilterOnPlatform : public ::testing::TestWithParam<Backend> {
  protected:
    std::unique_ptr<TestDatabase> tdb;
    ComponentRegistry registry;
    ScriptedUi ui;
    QTemporaryDir folder;
    std::unique_ptr<HostServices> host;

    void SetUp() override {
        tdb = TestDatabase::Create(GetParam());
        if (!tdb)
            return;
        auto db = tdb->db();
        db->Exec(
            QStringLiteral("INSERT INTO t_Department (FItemID, FNumber, FShortNumber, FName, FDetail) VALUES "
                           "(1, '01', '01', 'Works', 0), (2, '01.01', '0101', 'Machining', 1)"));
        db->Exec(QStringLiteral(
            "INSERT INTO t_SubMessage (FInterID, FTypeID, FID, FName) VALUES (55, 62, 'T01', 'Team one')"));
        db->Exec(
            QStringLiteral("INSERT INTO ICMO (FInterID, FBillNo, FItemID, FRoutingID) VALUES "
                           "(7, 'MO-0007', 1, 3), (8, 'MO-0008', 1, 0)"));
        db->Exec(QStringLiteral(
            "INSERT INTO SHWorkBillEntry (FWBInterID, FInterID, FEntryID, FWorkBillNO, FItemID, FDeptID, "
            "FWorkCenterID, FOperID) VALUES (70, 7, 2, 'WB-0070', 1, 2, 5, 55)"));
        platform::PlatformSession session;
        session.db = db;
        session.userId = 12;
        session.userName = QStringLiteral("Li");
        session.language = QStringLiteral("chs");
        session.programFolder = folder.path();
        session.ui = &ui;
        platform::RegisterPlatform(registry, session);
        platform::InstallLocalSwitchFile(folder.path());
        ComponentContext context;
        context.registry = &registry;
        context.ui = &ui;
        context.programFolder = folder.path();
        host = std::make_unique<HostServices>(context);
    }

    void PickFirst(const QString& dialog, QStringList* seen = nullptr) {
        ui.dialogHandlers[dialog] = [seen](DialogModel& m) {
            auto& list = dynamic_cast<ListSelPickList&>(m);
            if (seen)
                for (int r = 0; r < list.RowCount(); ++r) *seen << list.Cell(r, 0).toString();
            list.SetCurrentRow(0);
            list.Confirm();
        };
    }
};

TEST_P(FilterOnPlatform, LookupsFillTheBoxesFromTheDatabase) {
    if (!tdb)
        return;
    frmWageFilter dialog(*host);
    dialog.SetRptID(600);
    dialog.Form_Load();

    QStringList tasks;
    PickFirst(QStringLiteral("frmList"), &tasks);
    dialog.cmdItem_Click(4);
    EXPECT_EQ(tasks, QStringList{QStringLiteral("MO-0007")}) << "only routed production tasks are offered";
    EXPECT_EQ(dialog.txtItem(4), QStringLiteral("MO-0007"));
    dialog.cmdItem_Click(7);
    EXPECT_EQ(dialog.txtItem(7), QStringLiteral("WB-0070"));

    // The department list opens on the group first: it is refused, the detail taken.
    PickFirst(QStringLiteral("ItemLookUp"));
    dialog.cmdItem_Click(0);
    EXPECT_EQ(dialog.txtItem(0), QString());
    dialog.SetTxtItem(1, QStringLiteral("Mach"));
    dialog.cmdItem_Click(1);
    EXPECT_EQ(dialog.txtItem(1), QStringLiteral("0101"));

    PickFirst(QStringLiteral("SubMesLookup"));
    dialog.cmdItem_Click(8);
    EXPECT_EQ(dialog.txtItem(8), QStringLiteral("T01"));
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_P(FilterOnPlatform, PlansAndLastBoundsOutliveTheDialog) {
    if (!tdb)
        return;
    const QString name = QStringLiteral("O'Neil plan");
    {
        frmWageFilter dialog(*host);
        dialog.SetRptID(600);
        dialog.Form_Load();
        dialog.SetTxtItem(2, QStringLiteral("W05"));
        ui.inputs = {name};
        dialog.tlbProject_ButtonClick(QStringLiteral("TLBSAVE"));
        ASSERT_EQ(dialog.lvwProject().Count(), 2);
        dialog.SetTxtItem(2, QStringLiteral("last"));
        dialog.Form_Unload();
    }
    frmWageFilter dialog(*host);
    dialog.SetRptID(600);
    dialog.Form_Load();
    EXPECT_EQ(dialog.txtItem(2), QStringLiteral("last"));
    ASSERT_EQ(dialog.lvwProject().Count(), 2);
    EXPECT_EQ(dialog.lvwProject().At(1).text, name);
    dialog.lvwProject_ItemClick(1);
    EXPECT_EQ(dialog.txtItem(2), QStringLiteral("W05"));
    dialog.tlbProject_ButtonClick(QStringLiteral("TLBDEL"));
    EXPECT_EQ(dialog.lvwProject().Count(), 1);
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.MessageTexts().join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, FilterOnPlatform, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto& info) { return sp::testing::BackendName(info.param); });

}  // namespace
