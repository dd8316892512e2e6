#include <QDir>
#include <QFile>

#include "platform/middletier/MiddleTierRegistration.h"
#include "src/filters/frmWageFilter.h"
#include "src/navigation/frmList.h"
#include "tests/support/BackendTest.h"

namespace sp::test {
namespace {

using namespace Qt::StringLiterals;

// The filter dialog against the platform's real stand-ins: lookups, list data, the
// local switch file, the plan store and the settings file, over a fresh database.
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
    std::unique_ptr<frmWageFilter> Open() {
        auto dialog = std::make_unique<frmWageFilter>(*host);
        dialog->SetRptID(600);
        dialog->Form_Load();
        return dialog;
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
    auto dialog = Open();
    QStringList tasks;
    PickFirst(u"frmList"_s, &tasks);
    dialog->cmdItem_Click(4);
    EXPECT_EQ(tasks, QStringList{u"MO-0007"_s}) << "only routed production tasks are offered";
    EXPECT_EQ(dialog->txtItem(4), u"MO-0007"_s);
    dialog->cmdItem_Click(7);
    EXPECT_EQ(dialog->txtItem(7), u"WB-0070"_s);

    // The department list opens on the group first: it is refused, the detail taken.
    PickFirst(u"ItemLookUp"_s);
    dialog->cmdItem_Click(0);
    EXPECT_EQ(dialog->txtItem(0), QString());
    dialog->SetTxtItem(1, u"Mach"_s);
    dialog->cmdItem_Click(1);
    EXPECT_EQ(dialog->txtItem(1), u"0101"_s);

    PickFirst(u"SubMesLookup"_s);
    dialog->cmdItem_Click(8);
    EXPECT_EQ(dialog->txtItem(8), u"T01"_s);
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_P(FilterOnPlatform, PlansAndLastBoundsOutliveTheDialog) {
    const QString name = u"O'Neil plan"_s;
    {
        auto dialog = Open();
        dialog->SetTxtItem(2, u"W05"_s);
        ui.inputs = {name};
        dialog->tlbProject_ButtonClick(u"TLBSAVE"_s);
        ASSERT_EQ(dialog->lvwProject().Count(), 2);
        dialog->SetTxtItem(2, u" last, 1=2;x "_s);
        dialog->Form_Unload();
    }
    auto dialog = Open();
    EXPECT_EQ(dialog->txtItem(2), u" last, 1=2;x "_s);
    ASSERT_EQ(dialog->lvwProject().Count(), 2);
    EXPECT_EQ(dialog->lvwProject().At(1).text, name);
    dialog->lvwProject_ItemClick(1);
    EXPECT_EQ(dialog->txtItem(2), u"W05"_s);
    dialog->tlbProject_ButtonClick(u"TLBDEL"_s);
    EXPECT_EQ(dialog->lvwProject().Count(), 1);
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.MessageTexts().join(u'\n').toStdString();
}

// The files the dialog reads, as a clerk's machine may hold them: a settings file with a
// garbled value and a 20 MB line, and a local list file made read-only.
TEST_P(FilterOnPlatform, FilesItReadsAreUsedAsTheyAreAndLeftAsTheyWere) {
    const QString ini = QDir(folder.path()).filePath(u"Q8SHProcRpt.ini"_s);
    const QByteArray garbled =
        "[Q8SHProcRpt600]\nBWC=\xff\xfe\nEWC=W9\nNote=" + QByteArray(1 << 20, 'n') + '\n';
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(garbled);
    file.close();
    const QString local = QDir(folder.path()).filePath(u"ErpSwitch.sss"_s);
    ASSERT_TRUE(QFile::setPermissions(local, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const auto readOnly = QFileInfo(local).permissions();
    const QByteArray localBytes = [&] {
        QFile f(local);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    {
        auto dialog = Open();
        EXPECT_EQ(ui.MessageTexts(), QStringList{u"设置文件中有无法读取的内容，已忽略：BWC"_s});
        EXPECT_EQ(dialog->txtItem(2), QString());
        EXPECT_EQ(dialog->txtItem(3), u"W9"_s);
        PickFirst(u"frmList"_s);
        dialog->cmdItem_Click(4);
        EXPECT_EQ(dialog->txtItem(4), u"MO-0007"_s);
        dialog->Form_Unload();
    }
    QFile after(ini);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    const QByteArray written = after.readAll();
    EXPECT_TRUE(written.startsWith(garbled)) << "the garbled value and the long line stay as they were";
    EXPECT_TRUE(written.mid(garbled.size()).contains("BICMO=MO-0007\n"));
    EXPECT_EQ(QFileInfo(local).permissions(), readOnly);
    QFile localAfter(local);
    ASSERT_TRUE(localAfter.open(QIODevice::ReadOnly));
    EXPECT_TRUE(localAfter.readAll() == localBytes);
}

SP_INSTANTIATE_BACKENDS(FilterOnPlatform);

}  // namespace
}  // namespace sp::test
