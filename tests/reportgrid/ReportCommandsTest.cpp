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

const QString kCheckIt = u"\r\n\r\n请首先予以检查！"_s;

class Commands : public RowRulesFixture {
  protected:
    Commands() {
        fake.profile = 0;  // no receive control unless a test switches it on
        state.updateCommandStates = [] {};
    }
    // A stored report of WB1 (operation 1001) in edit mode: biller shown, receiving 10.
    void StoredRow(int row, int serial, bool audited = false) {
        const ReportCells cells(state);
        cells.SetText(row, C::GPH, u"WB1"_s);
        cells.SetText(row, C::GPZH, u"1001"_s);
        cells.SetText(row, C::HBXH, QString::number(serial));
        cells.SetText(row, C::ZDR, u"Li"_s);
        cells.SetText(row, C::SHBZ, audited ? u"√"_s : QString());
        cells.SetValue(row, C::JSS, 10.0);
    }
    void Put(int row, const QString& no) { ASSERT_TRUE(NewReportRows(state).PutWorkBill(row, no)); }
    void ControlOn(double receiveMaximum, double handOverMinimum) {
        fake.profile = QVariant();
        fake.receiveLimit = [receiveMaximum](qint32, qint32) { return receiveMaximum; };
        fake.handOverLimit = [handOverMinimum](qint32, qint32) { return handOverMinimum; };
    }
    QStringList Logged() const { return fake.Calls(u"WriteLog"_s); }
    QStringList Messages() const { return h.ui.MessageTexts(); }
    std::pair<int, int> Current() const { return {grid.CurrentRow(), grid.CurrentCol()}; }
    ReportCommands commands{state};
};

TEST_F(Commands, ASaveSendsOneWholeRecordPerUnauditedRowInGridOrder) {
    // A moved-column layout: every field still comes from its own column.
    QVector<QVariantList> reversed;
    for (int i = kReportCodeCount - 1; i >= 0; --i) reversed.append({QString(), ReportCodeName(C(i)), 1, 0});
    SetupColumns(reversed);
    grid.SetRows(6);
    Put(2, u"WB1"_s), Put(3, u"WB2"_s), Put(4, u"WB1"_s);
    ReportCells(state).SetValue(2, C::SZS, 10.0);
    ReportCells(state).SetText(2, C::MEMO, u"  备注 "_s);
    ASSERT_TRUE(commands.Save());
    QStringList sent;
    for (const DictionaryPtr& r : fake.saved)
        sent << r->Item(u"FWBinterID"_s).toString() + u'/' + r->Item(u"Fserial"_s).toString();
    EXPECT_EQ(sent, (QStringList{u"1001/4"_s, u"1002/4"_s, u"1001/5"_s}));
    const DictionaryPtr r = fake.saved[0];
    QStringList fields;  // every one, as the service reads them
    for (const ReportRecord::Field& f : ReportRecord::kFields) fields << f.key;
    EXPECT_EQ(r->Keys(), fields) << "the last, FIsNew: a row no save stored yet is inserted only";
    EXPECT_EQ(std::tuple(r->Item(u"FbillerID"_s).toInt(), r->Item(u"FworkerID"_s).toInt(),
                         r->Item(u"FdeviceID"_s).toInt(), r->Item(u"FteamID"_s).toInt(),
                         r->Item(u"FAuxQtyfinish"_s).toDouble(), r->Item(u"Fmemo"_s).toString()),
              std::tuple(7, 10, 0, 55, 10.0, u"备注"_s));
    EXPECT_EQ(Logged(), QStringList{u"WriteLog CJ1002 1"_s});
    EXPECT_FALSE(state.modified);
    ASSERT_TRUE(commands.Save());
    EXPECT_EQ(fake.saved[0]->Keys(), fields.mid(0, fields.size() - 1)) << "stored now: updated, no FIsNew";
}

// A row's quantities that do not add up name the row and select the cell; the limits of
// an operation name no row, and the selection stays where the clerk left it.
TEST_F(Commands, ASaveThatFailsItsChecksSaysWhyAndSendsNothing) {
    const QString parts = u"第 2 行汇报记录：合格数+遗失数+因工报废数+因料报废数 > 实作数"_s;
    const QString dates = u"第 2 行汇报记录：实际开工日期 > 实际完工日期"_s;
    // a value of row 3, the receive maximum and the handover minimum, what is said, the
    // cell of row 3 selected (none: the cell the clerk was in)
    // clang-format off
    const std::tuple<C, QVariant, double, double, QString, const char16_t*> cases[] = {
        {C::HGS,    1.0,               100, -100, parts,                                      u"SZS"},
        {C::SJKGRQ, QDate(2026, 12, 7), 100, -100, dates,                                     u"SJKGRQ"},
        {C::MEMO,   u"x"_s,            23,  -100, u"汇报记录：接收数 > 可接收的最大数量：23"_s, nullptr},
        {C::MEMO,   u"x"_s,            100, 1,    u"汇报记录：移交数 < 应移交的最小数量：1"_s,  nullptr},
    };
    // clang-format on
    for (const auto& [cell, value, maximum, minimum, said, selected] : cases) {
        SCOPED_TRACE(said.toStdString());
        ControlOn(maximum, minimum);
        Put(2, u"WB1"_s), Put(3, u"WB1"_s);  // receiving 12 each
        ReportCells(state).SetValue(3, cell, value);
        grid.SetCurrentCell(4, Col(u"MEMO"));
        h.ui.Clear();
        EXPECT_FALSE(commands.Save());
        EXPECT_EQ(Messages(), QStringList{said + kCheckIt});
        EXPECT_EQ(std::pair(fake.Count(u"SaveWorkProcRpt"_s), state.modified), std::pair(0, true));
        EXPECT_EQ(Current(), selected ? std::pair(3, Col(selected)) : std::pair(4, Col(u"MEMO")));
    }
}

// In edit mode only what changed since the row was stored counts against the limits:
// what a save sent is what is stored from then on.
TEST_F(Commands, EditModeSavesCountOnlyWhatChangedSinceTheLastSave) {
    state.editMode = true;
    ControlOn(5, 0);
    StoredRow(2, 1);
    state.storedReceive[2] = 10;  // as loaded
    for (const double received : {14.0, 18.0}) {
        ReportCells(state).SetValue(2, C::JSS, received);
        EXPECT_TRUE(commands.Save()) << received << ": 4 more fits the room of 5";
    }
}

TEST_F(Commands, ASaveRefusedOrImpossibleKeepsEverythingAndSaysWhy) {
    state.editMode = true;
    StoredRow(2, 1, true), StoredRow(3, 2), StoredRow(4, 3);
    state.modified = true;
    fake.saveRefusal = u"不行"_s;
    EXPECT_FALSE(commands.Save());
    EXPECT_EQ(fake.saved.size(), 2) << "the audited row above is not sent";
    EXPECT_EQ(std::tuple(Messages().last(), state.modified, Logged().isEmpty()),
              std::tuple(u"保存汇报记录时出错——不行"_s, true, true));

    fake.saveRefusal.clear();
    ReportCells(state).SetKey(3, C::CZG, u"E404"_s);  // a worker nobody can identify
    EXPECT_FALSE(commands.Save());
    EXPECT_EQ(Messages().last(), u"第 2 行汇报记录：操作工（设备、班组）无法识别。"_s + kCheckIt);
    EXPECT_EQ(Current(), std::pair(3, Col(u"CZG")));
    ReportLookupCells(state).Clear(3, C::CZG);
    ASSERT_TRUE(commands.Save());
    EXPECT_EQ(Logged(), QStringList{u"WriteLog CJ1001 1"_s});

    // Nothing unaudited: no call, no log, and the flag as it was.
    StoredRow(3, 2, true), StoredRow(4, 3, true);
    state.modified = true;
    fake.calls.clear();
    EXPECT_FALSE(commands.Save());
    EXPECT_EQ(Messages().last(), u"没有需要保存的汇报记录。"_s);
    EXPECT_EQ(fake.Count(u"SaveWorkProcRpt"_s) + fake.Count(u"WriteLog"_s), 0);
    EXPECT_TRUE(state.modified);
}

TEST_F(Commands, RowsTypedUnderALostHoldAreNotSavedAndStay) {
    const QString lost = u"与数据库的连接曾中断，工序计划单 WB2 可能已被其他用户修改，当前修改不能保存。"_s;
    QHash<qint32, QString> stamps;  // what the service reads of each work bill now
    fake.workBillStamp = [&](qint32 id) { return stamps.value(id); };
    Put(2, u"WB1"_s), Put(3, u"WB2"_s);
    fake.lostTasks = {state.rowLocks[3]};
    EXPECT_FALSE(commands.Save()) << "its key is held elsewhere";
    EXPECT_EQ(std::tuple(Messages().last(), ReportCells(state).Text(3, C::GPH), state.modified),
              std::tuple(lost, u"WB2"_s, true));
    // Free again, but written to meanwhile: refused, and refused for good.
    fake.retakeAnswer = true;
    stamps[1002] = u"written elsewhere"_s;
    EXPECT_FALSE(commands.Save());
    EXPECT_EQ(Messages().last(), lost);
    stamps.remove(1002);
    EXPECT_FALSE(commands.Save());
    EXPECT_EQ(fake.Count(u"SaveWorkProcRpt"_s), 0) << "not even the rows of the work bill still held";

    // Edit mode: the work bill's own task guards every row. Free and untouched: taken
    // back, the save goes on; this workstation's own writes do not count as another's.
    state.editMode = true;
    state.currentWorkBillNo = u"WB2"_s;
    state.historyTaskId =
        state.host->ExecFunc(47, u"cj0891"_s, 0, 0, QVariant(1002), WorkBillStamp(*state.host, 1002));
    grid.SetRows(1);
    grid.SetRows(2);
    StoredRow(2, 1);
    stamps[1002] = u"after a save of its own"_s;
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
    Put(2, u"WB1"_s), Put(3, u"WB2"_s);
    ids.remove(u"WB2"_s);
    const qint32 task = TaskOf(3);
    ASSERT_TRUE(commands.Save());
    EXPECT_EQ(fake.saved.size(), 1);
    EXPECT_EQ(Messages(),
              QStringList{u"以下汇报记录的工序计划单已不可进行工序汇报，不会保存：\r\nWB2 / 4"_s});
    EXPECT_EQ(std::pair(Cells(3, {u"GPH"}), TaskOf(3)), std::pair(u"GPH="_s, 0)) << "its number and task go";
    EXPECT_EQ(fake.committed, QVector<qint32>{task});
}

TEST_F(Commands, SeveralRowsAreAuditedOrDeletedRecordByRecord) {
    state.editMode = true;
    StoredRow(2, 1), StoredRow(3, 2, true), StoredRow(4, 3);
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
    EXPECT_EQ(Messages(), QStringList{u"反审核下列汇报记录时出错：\r工序计划单号\t汇报序号"
                                      u"\rWB1\t1\r否\rWB1\t2\r否\rWB1\t3\r否"_s});
    EXPECT_EQ(Logged().size(), 1);

    // A row whose work bill cannot be told (the service failed, saying nothing) fails
    // alone, and the rows after it keep their own answers.
    h.ui.Clear();
    fake.recordRefusals.clear();
    ReportCells(state).SetText(3, C::GPH, u"WB9"_s);
    fake.workBillInterID = [](const QString& no) {
        return no == u"WB9"_s ? throw ComError(ErrorNumber::Database, QString(), QString()) : 1001;
    };
    commands.Run(Kind::UnAudit);
    EXPECT_EQ(Messages(), (QStringList{u"成功反审核下列汇报记录：\r工序计划单号\t汇报序号\rWB1\t1\rWB1\t3"_s,
                                       u"反审核下列汇报记录时出错：\r工序计划单号\t汇报序号\rWB9\t2\r"_s}));

    // Deleting adjacent rows from the last up removes each with its task.
    StoredRow(2, 1), StoredRow(3, 2), StoredRow(4, 3);
    state.rowLocks = {0, 0, 100, 100, 101, 0, 0};
    h.ui.answers = {MsgAnswer::Yes};
    grid.SelectRows(2, 4, 2);
    commands.Run(Kind::Delete);
    EXPECT_EQ(
        std::tuple(std::pair(fake.Count(u"DelWorkProcRpt"_s), grid.Rows()), state.rowLocks, fake.committed),
        std::tuple(std::pair(3, 3), (QVector<qint32>{0, 0, 0, 0}), (QVector<qint32>{101, 100})));
}

// Audit adds the rows' quantities to their operation; unaudit and delete take them away
// again: each command checks its own limits (q = 20 received on one operation).
TEST_F(Commands, EachCommandChecksItsOwnLimits) {
    state.editMode = true;
    // clang-format off
    const std::tuple<Kind, double, QString, QString> cases[] = {
        {Kind::Audit,   19,  u"AuditWorkProcRpt"_s,   u"汇报记录：接收数 > 可接收的最大数量：19"_s},
        {Kind::Audit,   20,  u"AuditWorkProcRpt"_s,   {}},
        {Kind::UnAudit, -21, u"UnAuditWorkProcRpt"_s, u"反审核后：接收数 > 当前可接收的最大数量：-21"_s},
        {Kind::UnAudit, -20, u"UnAuditWorkProcRpt"_s, {}},
        {Kind::Delete,  -21, u"DelWorkProcRpt"_s,     u"删除后：接收数 > 当前可接收的最大数量：-21"_s},
        {Kind::Delete,  -20, u"DelWorkProcRpt"_s,     {}},
    };
    // clang-format on
    for (const auto& [kind, maximum, method, refusal] : cases) {
        SCOPED_TRACE(::testing::Message() << method.toStdString() << " " << maximum);
        grid.SetRows(1);
        grid.SetRows(6);
        StoredRow(2, 1, kind == Kind::UnAudit), StoredRow(3, 2, kind == Kind::UnAudit);
        ControlOn(maximum, -100);
        fake.calls.clear();
        h.ui.Clear();
        h.ui.answers = {MsgAnswer::Yes};
        grid.SelectRows(2, 3, 2);
        commands.Run(kind);
        EXPECT_EQ(fake.Count(method), refusal.isEmpty() ? 2 : 0);
        EXPECT_EQ(Messages().contains(refusal + kCheckIt), !refusal.isEmpty());
    }
}

TEST_F(Commands, OneRowStopsAtARightOrANoAndStampsTheWorkstationsDate) {
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

    commands.Run(Kind::Audit);
    EXPECT_EQ(Cells(2, {u"SHBZ", u"SHRQ"}),
              u"SHBZ=√ SHRQ=%1"_s.arg(QDate::currentDate().toString(u"yyyy-MM-dd"_s)));
    fake.recordRefusals[u"UnAuditWorkProcRpt 1001 1"_s] = u"已过账"_s;
    commands.Run(Kind::UnAudit);
    EXPECT_EQ(Messages().last(), u"反审核汇报记录时出错——已过账"_s);
    EXPECT_EQ(Cells(2, {u"SHBZ"}), u"SHBZ=√"_s) << "the grid shows what the database holds";
}

}  // namespace
}  // namespace sp::test
