#include "src/middletier/ReportRecordFields.h"
#include "src/reportgrid/NewReportRows.h"
#include "src/reportgrid/ReportCommands.h"
#include "src/reportgrid/ReportLookupCells.h"
#include "src/reportgrid/ReportRowLocks.h"
#include "tests/reportgrid/ReportGridFixture.h"

namespace sp::test {
namespace {

using C = ReportCode;
using Kind = ReportCommands::Kind;

class Commands : public RowRulesFixture {
  protected:
    Commands() {
        fake.profile = 0;  // no receive control unless a test switches it on
        state.updateCommandStates = [] {};
    }
    // A stored report of WB1 in edit mode: biller shown, serial, received quantity.
    void StoredRow(int row, int serial, bool audited = false) {
        const ReportCells cells(state);
        cells.SetText(row, C::GPH, u"WB1"_s);
        cells.SetText(row, C::HBXH, QString::number(serial));
        cells.SetText(row, C::ZDR, u"Li"_s);
        cells.SetText(row, C::SHBZ, audited ? u"√"_s : QString());
        cells.SetValue(row, C::JSS, 10.0);
    }
    QStringList Logged() const { return fake.Calls(u"WriteLog"_s); }
    QStringList Messages() const { return h.ui.MessageTexts(); }
    ReportCommands commands{state};
};

TEST_F(Commands, ASaveSendsOneWholeRecordPerUnauditedRowInGridOrder) {
    // A moved-column layout: every field still comes from its own column.
    QVector<QVariantList> reversed;
    for (int i = kReportCodeCount - 1; i >= 0; --i)
        reversed.append({QString(), ReportCodeName(static_cast<C>(i)), 1, 0});
    SetupColumns(reversed);
    grid.SetRows(6);
    ASSERT_TRUE(NewReportRows(state).PutWorkBill(2, u"WB1"_s));
    const ReportCells cells(state);
    cells.SetValue(2, C::SZS, 10.0);
    cells.SetText(2, C::MEMO, u"  备注 "_s);
    ASSERT_TRUE(commands.Save());
    ASSERT_EQ(fake.saved.size(), 1);
    const DictionaryPtr r = fake.saved[0];
    QStringList fields;  // every one, as the service reads them
    for (const ReportRecord::Field& f : ReportRecord::kFields) fields << f.key;
    EXPECT_EQ(r->Keys(), fields) << "the last, FIsNew: a row no save stored yet is inserted only";
    EXPECT_EQ(std::tuple(r->Item(u"FWBinterID"_s).toInt(), r->Item(u"Fserial"_s).toString(),
                         r->Item(u"FbillerID"_s).toInt(), r->Item(u"FworkerID"_s).toInt(),
                         r->Item(u"FdeviceID"_s).toInt(), r->Item(u"FteamID"_s).toInt()),
              std::tuple(1001, u"4"_s, 7, 10, 0, 55));
    EXPECT_EQ(r->Item(u"FAuxQtyfinish"_s).toDouble(), 10.0);
    EXPECT_EQ(r->Item(u"Fmemo"_s).toString(), u"备注"_s);
    EXPECT_EQ(Logged(), QStringList{u"WriteLog CJ1002 1"_s});
    EXPECT_FALSE(state.modified);
    // Saved again after another row: the first row is stored now and updates.
    ASSERT_TRUE(commands.Save());
    EXPECT_EQ(fake.saved[0]->Keys(), fields.mid(0, fields.size() - 1)) << "no FIsNew";
}

TEST_F(Commands, ASaveRefusedOrImpossibleKeepsEverythingAndSaysWhy) {
    state.editMode = true;
    StoredRow(2, 1, true);
    StoredRow(3, 2);
    StoredRow(4, 3);
    state.modified = true;
    fake.saveRefusal = u"不行"_s;
    EXPECT_FALSE(commands.Save());
    EXPECT_EQ(fake.saved.size(), 2) << "the audited row above is not sent";
    EXPECT_EQ(Messages().last(), u"保存汇报记录时出错——不行"_s);
    EXPECT_TRUE(state.modified);
    EXPECT_TRUE(Logged().isEmpty());

    fake.saveRefusal.clear();
    ReportCells(state).SetKey(3, C::CZG, u"E404"_s);  // a worker nobody can identify
    EXPECT_FALSE(commands.Save());
    EXPECT_EQ(Messages().last(),
              u"第 2 行汇报记录：操作工（设备、班组）无法识别。\r\n\r\n请首先予以检查！"_s);
    EXPECT_EQ(std::pair(grid.CurrentRow(), grid.CurrentCol()), std::pair(3, Col(u"CZG")));
    ReportLookupCells(state).Clear(3, C::CZG);

    ASSERT_TRUE(commands.Save());
    EXPECT_EQ(Logged(), QStringList{u"WriteLog CJ1001 1"_s});
    // Nothing unaudited: no call, no log, and the flag as it was.
    StoredRow(3, 2, true);
    StoredRow(4, 3, true);
    state.modified = true;
    const int saves = fake.Count(u"SaveWorkProcRpt"_s);
    EXPECT_FALSE(commands.Save());
    EXPECT_EQ(Messages().last(), u"没有需要保存的汇报记录。"_s);
    EXPECT_EQ(fake.Count(u"SaveWorkProcRpt"_s), saves);
    EXPECT_TRUE(state.modified);
}

TEST_F(Commands, RowsTypedUnderALostHoldAreNotSavedAndStay) {
    const QString lost = u"与数据库的连接曾中断，工序计划单 WB2 可能已被其他用户修改，当前修改不能保存。"_s;
    QHash<qint32, QString> stamps;  // what the service reads of each work bill now
    fake.workBillStamp = [&](qint32 id) { return stamps.value(id); };
    ASSERT_TRUE(NewReportRows(state).PutWorkBill(2, u"WB1"_s));
    ASSERT_TRUE(NewReportRows(state).PutWorkBill(3, u"WB2"_s));
    state.modified = true;
    fake.lostTasks = {state.rowLocks[3]};
    EXPECT_FALSE(commands.Save()) << "its key is held elsewhere";
    EXPECT_EQ(Messages().last(), lost);
    EXPECT_EQ(fake.Count(u"SaveWorkProcRpt"_s), 0) << "not even the rows of the work bill still held";
    EXPECT_EQ(ReportCells(state).Text(3, C::GPH), u"WB2"_s);
    EXPECT_TRUE(state.modified);
    // Free again, but written to meanwhile: refused, and refused for good.
    fake.retakeAnswer = true;
    stamps[ids.value(u"WB2"_s)] = u"written elsewhere"_s;
    EXPECT_FALSE(commands.Save());
    EXPECT_EQ(Messages().last(), lost);
    stamps.remove(ids.value(u"WB2"_s));
    EXPECT_FALSE(commands.Save());
    EXPECT_EQ(fake.Count(u"SaveWorkProcRpt"_s), 0);

    // Edit mode: the work bill's own task guards every row. Free and untouched: taken
    // back, the save goes on; this workstation's own writes do not count as another's.
    state.editMode = true;
    state.currentWorkBillNo = u"WB2"_s;
    const qint32 id = ids.value(u"WB2"_s);
    state.historyTaskId =
        state.host->ExecFunc(47, u"cj0891"_s, 0, 0, QVariant(id), WorkBillStamp(*state.host, id));
    grid.SetRows(1);
    grid.SetRows(2);
    StoredRow(2, 1);
    stamps[id] = u"after a save of its own"_s;
    EXPECT_TRUE(commands.Save());
    fake.lostTasks = {state.historyTaskId};
    EXPECT_TRUE(commands.Save());
    EXPECT_EQ(fake.Count(u"RetakeTask"_s), 3);
    // Lost once more, now with a stamp that cannot be read: the save stops and says why.
    fake.lostTasks = {state.historyTaskId};
    fake.workBillStamp = nullptr;
    EXPECT_FALSE(commands.Save());
    EXPECT_TRUE(Messages().last().startsWith(u"保存汇报记录时出错——"_s)) << Messages().last().toStdString();
    // Released by an administrator: never taken back, and the clerk is told who freed it.
    fake.workBillStamp = [&](qint32 id) { return stamps.value(id); };
    fake.lostTasks = fake.releasedTasks = {state.historyTaskId};
    EXPECT_FALSE(commands.Save());
    EXPECT_EQ(Messages().last(), u"工序计划单 WB2 已被系统管理员释放，当前修改不能保存。"_s);
}

TEST_F(Commands, RowsOfAWorkBillClosedMeanwhileAreNamedAndTheOthersSaved) {
    ASSERT_TRUE(NewReportRows(state).PutWorkBill(2, u"WB1"_s));
    ASSERT_TRUE(NewReportRows(state).PutWorkBill(3, u"WB2"_s));
    ids.remove(u"WB2"_s);
    ASSERT_TRUE(commands.Save());
    EXPECT_EQ(fake.saved.size(), 1);
    EXPECT_EQ(Messages(),
              QStringList{u"以下汇报记录的工序计划单已不可进行工序汇报，不会保存：\r\nWB2 / 4"_s});
}

TEST_F(Commands, SeveralRowsAreAuditedOrDeletedRecordByRecord) {
    state.editMode = true;
    StoredRow(2, 1);
    StoredRow(3, 2, true);
    StoredRow(4, 3);
    grid.SelectRows(2, 4, 2);
    commands.Run(Kind::Audit);
    EXPECT_EQ(fake.Calls(u"AuditWorkProcRpt"_s),
              (QStringList{u"AuditWorkProcRpt 1001 1 7"_s, u"AuditWorkProcRpt 1001 3 7"_s}));
    EXPECT_EQ(Cells(4, {u"SHBZ", u"SHRQ", u"SHR"}), u"SHBZ=√ SHRQ=2026-12-06 SHR=Li[7]"_s)
        << "the server's date";
    EXPECT_EQ(Messages(), QStringList{u"成功审核下列汇报记录：\r工序计划单号\t汇报序号\rWB1\t1\rWB1\t3"_s});
    EXPECT_EQ(Logged(), QStringList{u"WriteLog CJ1004 1"_s});

    // Every record refused: only the failures, no log entry.
    h.ui.Clear();
    for (int serial : {1, 2, 3}) fake.recordRefusals[u"UnAuditWorkProcRpt 1001 %1"_s.arg(serial)] = u"否"_s;
    commands.Run(Kind::UnAudit);
    EXPECT_EQ(
        Messages(),
        QStringList{
            u"反审核下列汇报记录时出错：\r工序计划单号\t汇报序号\rWB1\t1\r否\rWB1\t2\r否\rWB1\t3\r否"_s});
    EXPECT_EQ(Logged().size(), 1);

    // Deleting adjacent rows from the last up removes each with its task.
    for (int r : {2, 3, 4}) StoredRow(r, r - 1);
    state.rowLocks = {0, 0, 100, 100, 101, 0, 0};
    h.ui.answers = {MsgAnswer::Yes};
    grid.SelectRows(2, 4, 2);
    commands.Run(Kind::Delete);
    EXPECT_EQ(fake.Calls(u"DelWorkProcRpt"_s).size(), 3);
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(state.rowLocks, (QVector<qint32>{0, 0, 0, 0}));
    EXPECT_EQ(fake.committed, (QVector<qint32>{101, 100}));
}

TEST_F(Commands, OneRowStopsAtRightsLimitsOrANoAndStampsTheWorkstationsDate) {
    state.editMode = true;
    StoredRow(2, 1);
    grid.SetCurrentCell(2, 2);
    fake.deniedRights = {0x10000};
    commands.Run(Kind::Delete);
    EXPECT_EQ(Messages(), QStringList{u"对不起，你没有相应的权限！"_s});
    fake.deniedRights.clear();
    fake.failing = {u"AccessCheck"_s};
    commands.Run(Kind::Delete);
    EXPECT_TRUE(Messages().last().startsWith(u"删除汇报记录时出错——"_s))
        << "an unread right is no missing one";
    fake.failing.clear();
    h.ui.answers = {MsgAnswer::No};
    commands.Run(Kind::Delete);
    EXPECT_EQ(grid.Rows(), 6) << "a No deletes nothing";

    fake.profile = QVariant();  // control on
    fake.receiveLimit = [](qint32, qint32) { return 5.0; };
    fake.handOverLimit = [](qint32, qint32) { return 0.0; };
    ReportCells(state).SetText(2, C::GPZH, u"1001"_s);
    commands.Run(Kind::Audit);
    EXPECT_EQ(Messages().last(), u"汇报记录：接收数 > 可接收的最大数量：5\r\n\r\n请首先予以检查！"_s);
    EXPECT_EQ(fake.Count(u"AuditWorkProcRpt"_s), 0);
    fake.receiveLimit = [](qint32, qint32) { return 50.0; };
    commands.Run(Kind::Audit);
    EXPECT_EQ(Cells(2, {u"SHBZ", u"SHRQ"}),
              u"SHBZ=√ SHRQ=%1"_s.arg(QDate::currentDate().toString(u"yyyy-MM-dd"_s)));
    fake.recordRefusals[u"UnAuditWorkProcRpt 1001 1"_s] = u"已过账"_s;
    fake.handOverLimit = [](qint32, qint32) { return 0.0; };
    commands.Run(Kind::UnAudit);
    EXPECT_EQ(Messages().last(), u"反审核汇报记录时出错——已过账"_s);
    EXPECT_EQ(Cells(2, {u"SHBZ"}), u"SHBZ=√"_s) << "the grid shows what the database holds";
}

}  // namespace
}  // namespace sp::test
