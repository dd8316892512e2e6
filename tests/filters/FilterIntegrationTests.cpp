#include "platform/middletier/MiddleTierRegistration.h"
#include "src/filters/frmWageFilter.h"
#include "src/navigation/frmList.h"
#include "tests/support/BackendTest.h"

namespace sp::test {
namespace {

using namespace Qt::StringLiterals;

// The filter dialog against the platform's real stand-ins over a fresh database: its
// lookups and the conditions of its lists select what the boxes are meant to offer.
class FilterOnPlatform : public BackendTest {
  protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (!tdb_)
            return;
        for (const char* sql :
             {"INSERT INTO t_Department (FItemID, FNumber, FShortNumber, FName, FDetail) VALUES "
              "(1, '01', '01', 'Works', 0), (2, '01.01', '0101', 'Machining', 1)",
              "INSERT INTO t_SubMessage (FInterID, FTypeID, FID, FName) VALUES (55, 62, 'T01', 'Team one')",
              "INSERT INTO ICMO (FInterID, FBillNo, FItemID, FRoutingID) VALUES (7, 'MO-0007', 1, 3), "
              "(8, 'MO-0008', 1, 0)",
              "INSERT INTO SHWorkBillEntry (FWBInterID, FInterID, FEntryID, FWorkBillNO, FItemID, FDeptID, "
              "FWorkCenterID, FOperID) VALUES (70, 7, 2, 'WB-0070', 1, 2, 5, 55)"})
            Exec(sql);
        RegisterPlatform(12, u"Li"_s);
        platform::InstallLocalSwitchFile(folder.path());
    }
    void PickFirst(const QString& dialog, QStringList* seen = nullptr) {
        ui.dialogHandlers[dialog] = [seen](DialogModel& m) {
            auto& list = dynamic_cast<ListSelPickList&>(m);
            for (int r = 0; seen && r < list.RowCount(); ++r) *seen << list.Cell(r, 0).toString();
            list.SetCurrentRow(0);
            list.Confirm();
        };
    }
};

TEST_P(FilterOnPlatform, LookupsFillTheBoxesFromTheDatabase) {
    frmWageFilter dialog(*host);
    dialog.SetRptID(600);
    dialog.Form_Load();
    QStringList tasks;
    PickFirst(u"frmList"_s, &tasks);
    dialog.cmdItem_Click(4);
    EXPECT_EQ(tasks, QStringList{u"MO-0007"_s}) << "only routed production tasks are offered";
    EXPECT_EQ(dialog.txtItem(4), u"MO-0007"_s);
    dialog.cmdItem_Click(7);
    EXPECT_EQ(dialog.txtItem(7), u"WB-0070"_s);

    // The department list opens on the group first: it is refused, the detail taken.
    PickFirst(u"ItemLookUp"_s);
    dialog.cmdItem_Click(0);
    EXPECT_EQ(dialog.txtItem(0), QString());
    dialog.SetTxtItem(1, u"Mach"_s);
    dialog.cmdItem_Click(1);
    EXPECT_EQ(dialog.txtItem(1), u"0101"_s);

    PickFirst(u"SubMesLookup"_s);
    dialog.cmdItem_Click(8);
    EXPECT_EQ(dialog.txtItem(8), u"T01"_s);
    EXPECT_TRUE(ui.messages.isEmpty());
}

SP_INSTANTIATE_BACKENDS(FilterOnPlatform);

}  // namespace
}  // namespace sp::test
