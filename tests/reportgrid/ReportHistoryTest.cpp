#include <functional>

#include "src/common/ComError.h"
#include "src/lookups/Emps.h"
#include "src/reportgrid/ReportHistory.h"
#include "src/reportgrid/frmInfoFilter.h"
#include "tests/reportgrid/ReportGridFixture.h"

namespace sp::test {
namespace {

class ReportHistoryTest : public ReportGridFixture {
  protected:
    void SetUp() override {
        SetupColumns();
        state.updateCommandStates = [this] { ++commandUpdates; };
        state.updateStatusText = [this] { ++statusUpdates; };
        fake.workBillInterID = [](const QString&) { return 1001; };
        fake.qtyDecimal = [](qint32) { return 2; };
        fake.userNameOf = [](const QString& id) { return u"用户"_s + id; };
        // Reported, received and handed-over totals: 100, 200 and 300 plus the serial.
        fake.cumulativeQty = [](const QString& m, const QString&, const QString& serial) {
            return (m.contains(u"Rpt"_s) ? 100 : m.contains(u"Receive"_s) ? 200 : 300) + serial.toDouble();
        };
        fake.teams = {{31, u"T031"_s, u"一班"_s}};
        fake.emps = {{11, u"E011"_s, u"张三"_s}};
        fake.devs = {{21, u"D021"_s, u"车床"_s}};
        // The server answers the select list: field j holds the value of expression j.
        fake.workProcRptHis = [this](const QString& c, const QString& list) {
            condition = c;
            QStringList rows;
            for (const QHash<QString, QString>& record : records) {
                QStringList fields;
                for (const QString& expression : list.split(u',')) fields << record.value(expression);
                rows << fields.join(QChar(9));
            }
            return rows.join(QChar(13));
        };
    }
    void LoadWorkBill(int showFilter = 0) {
        state.editMode = true;
        state.currentWorkBillNo = u"WB1"_s;
        ReportHistory(state).LoadReportHistory(showFilter);
    }
    // A stored record from "CODE=value;...": each value under its code's expression.
    void Store(const QString& pairs) {
        QHash<QString, QString> record;
        for (const QString& field : pairs.split(u';'))
            record.insert(ReportSourceExpression(*ReportCodeFromName(field.section(u'=', 0, 0))),
                          field.section(u'=', 1));
        records << record;
    }
    QVector<QHash<QString, QString>> records;
    QString condition;  // what the middle tier was asked
    int commandUpdates = 0;
    int statusUpdates = 0;
};

TEST_F(ReportHistoryTest, NewModeGivesTenEmptyRowsAndLetsEveryTaskGo) {
    state.rowLocks = {0, 0, 50, 50, 51};
    state.historyTaskId = 60;
    state.modified = true;
    grid.SetColumnVisible(Col(u"GPH"), false);
    ReportHistory(state).LoadReportHistory(0);

    EXPECT_EQ(fake.committed, (QVector<qint32>{50, 51, 60}));
    EXPECT_EQ(std::tuple(state.historyTaskId, grid.Rows(), state.rowLocks),
              std::tuple(0, 11, QVector<qint32>(12, 0)));
    EXPECT_EQ(std::tuple(grid.ColumnVisible(Col(u"GPH")), state.procGridVisible, state.modified),
              std::tuple(true, true, false));
    EXPECT_EQ(std::pair(grid.CurrentRow(), grid.CurrentCol()), std::pair(2, Col(u"HBXH")));
    EXPECT_EQ(std::tuple(commandUpdates, statusUpdates, h.ui.waitDepth), std::tuple(1, 1, 0));
}

// Edit mode without records says why: the label never reads "no reports" for a work bill
// held elsewhere or a read that failed. Only a work bill's records take its task, and a
// failed read gives it back.
TEST_F(ReportHistoryTest, EditModeSaysWhyNoRecordsAreShown) {
    const ComError lost(ErrorNumber::Database, u"Database"_s, u"server closed the connection"_s);
    const QString failed = u"读取历史工序汇报记录失败：server closed the connection"_s;
    struct Case {
        const char* name;
        std::function<void()> setUp;
        QString label;
        qint32 task;                // held afterwards
        QVector<qint32> committed;  // given back
        int messages;
        bool stored = true;  // the work bill has a report
    };
    // clang-format off
    const Case cases[] = {
        {"no work bill", [&] { state.currentWorkBillNo.clear(); }, u"没有选择工序计划单！"_s, 0, {}, 0},
        {"no records", [] {}, u"当前工序计划单没有历史工序汇报记录！"_s, 100, {}, 0, false},
        {"shown again, still held", [&] { state.historyTaskId = 77, state.historyWorkBillNo = u"WB1"_s; },
         u"当前工序计划单没有历史工序汇报记录！"_s, 77, {}, 0, false},
        {"shown again, its hold lost", [&] { state.historyTaskId = 77, state.historyWorkBillNo = u"WB1"_s, fake.lostTasks = {77}; },
         u"当前工序计划单没有历史工序汇报记录！"_s, 100, {77}, 0, false},
        {"in use", [&] { fake.busyKeys = {1001}; }, u"当前工序计划单正被其他用户使用，无法显示其汇报记录。"_s, 0, {}, 1},
        {"id unread", [&] { fake.workBillInterID = [&](const QString&) -> qint32 { throw lost; }; }, failed, 0, {}, 0},
        {"records unread", [&] { fake.workProcRptHis = [&](const QString&, const QString&) -> QString { throw lost; }; },
         failed, 0, {100}, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        records.clear();
        fake.committed.clear();
        fake.busyKeys.clear();
        fake.lostTasks.clear();
        fake.nextTask = 100;
        state.historyTaskId = 0;
        fake.calls.clear();
        h.ui.Clear();
        if (c.stored)
            Store(u"HBXH=1"_s);
        state.editMode = true;
        state.currentWorkBillNo = u"WB1"_s;
        c.setUp();
        ReportHistory(state).LoadReportHistory(0);
        EXPECT_EQ(std::tuple(state.procGridVisible, grid.Rows(), state.lblProcText),
                  std::tuple(false, 1, c.label));
        EXPECT_EQ(std::pair(state.historyTaskId, fake.committed), std::pair(c.task, c.committed));
        EXPECT_EQ(h.ui.messages.size(), c.messages);
        EXPECT_FALSE(grid.ColumnVisible(Col(u"GPH")));
        EXPECT_EQ(fake.Count(u"GetWorkProcRptHis"_s), c.task || !c.committed.isEmpty() ? 1 : 0)
            << "records are read under the work bill's task only";
    }
}

// A cancel leaves no row, says so and lets the work bill's task go. (When the progress
// shows is the list's test: both loads count their rows alike.)
TEST_F(ReportHistoryTest, ACancelledLoadLeavesNoRowAndLetsTheWorkBillGo) {
    for (int i = 1; i <= 20; ++i) Store(u"HBXH=%1"_s.arg(i));
    qint64 now = 0;
    state.loadClock = [&now] { return now += 100; };
    h.ui.cancelLoadAfterRows = 8;
    const qint32 task = fake.nextTask;
    LoadWorkBill();
    EXPECT_EQ(h.ui.loadProgress.value(0), u"History 5/20"_s);
    EXPECT_EQ(h.ui.loadProgressEnded, QStringList{u"History"_s});
    EXPECT_EQ(std::tuple(state.loadCancelled, grid.Rows(), state.procGridVisible, state.lblProcText),
              std::tuple(true, 1, false, u"已取消读取。"_s));
    EXPECT_EQ(std::pair(state.historyTaskId, fake.committed), std::pair(0, QVector<qint32>{task}));
    state.loadClock = {};
}

TEST_F(ReportHistoryTest, RecordsFillTheirColumnsWhateverTheLayoutOrder) {
    // The layout reversed, with a field no code names second: the fields after it still
    // land in their own columns.
    QVector<QVariantList> rows;
    for (int i = kReportCodeCount - 1; i >= 0; --i)
        rows.append({QString(), ReportCodeName(static_cast<ReportCode>(i)), 1, 0});
    rows[1] = {u"旧"_s, u"BOGUS"_s, 1, 0};
    SetupColumns(rows);
    Store(u"HBXH=4;SHBZ=1;SHR=16;SHRQ=2026-03-05 10:11:12;ZDR=0;BZ=31;CZG=11;SYSB=21;JSS=12.5;MEMO=备"_s);
    Store(u"HBXH=5;SHBZ=0;ZDR=16;CZG=11;SYSB=29"_s);  // device 29 is gone
    LoadWorkBill();

    ASSERT_EQ(grid.Rows(), 3);
    const ReportCells c(state);
    // Audit marks and dates as shown, users and records by name; biller 0 shows no name.
    EXPECT_EQ(
        Cells(2, {u"SHBZ", u"SHRQ", u"SHR", u"ZDR", u"BZ", u"CZG", u"SYSB", u"JSS", u"LJHBSL", u"MEMO"}),
        u"SHBZ=√ SHRQ=2026-03-05 SHR=用户16[16] ZDR= BZ=一班[T031] CZG=张三[E011] SYSB=车床[D021] "
        u"JSS=12.5 LJHBSL=104.00 MEMO=备"_s);
    EXPECT_EQ(Cells(3, {u"SHBZ", u"ZDR", u"LJJSSL", u"LJYJSL", u"SYSB"}),
              u"SHBZ= ZDR=用户16[16] LJJSSL=205.00 LJYJSL=305.00 SYSB=29"_s)
        << "an id nobody answers to shows, and stays for the save";
    EXPECT_EQ(grid.ColumnFormat(c.Column(ReportCode::JSS)), u"0.00"_s);
    // A work bill whose format cannot be read never shows the previous one's.
    fake.failing = {u"GetQtyDecimal"_s};
    LoadWorkBill();
    EXPECT_EQ(grid.ColumnFormat(c.Column(ReportCode::JSS)), QString());
    // One worker on two rows: looked up once, cached once.
    EXPECT_EQ(std::pair(fake.Count(u"GetEmpInfo"_s), state.EmpsCache().Count()), std::pair(1, 1));
    // An audited row is painted read-only across, and so are the read-only columns.
    const QColor cream(255, 255, 225), white(Qt::white);
    EXPECT_EQ(std::tuple(grid.CellBackground(2, Col(u"MEMO")), grid.CellBackground(3, Col(u"MEMO")),
                         grid.CellBackground(3, Col(u"HBXH")), grid.CellBackground(3, 1)),
              std::tuple(cream, white, cream, white));
}

TEST_F(ReportHistoryTest, RecordFilterBecomesTheCondition) {
    // serial, memo, cancelled, the condition
    // clang-format off
    const std::tuple<const char*, const char*, bool, const char*> cases[] = {
        {"",   "",       false, "'WB''1'"},
        {"0",  "",       false, "'WB''1'"},
        {"3x", "",       false, "'WB''1' And ( PR.FSerial =  3)"},
        {"",   "it's",   false, "'WB''1' And (  PR.FMemo Like '%it''s%' ESCAPE '!')"},
        {"2",  "a",      false, "'WB''1' And ( PR.FSerial =  2 OR  PR.FMemo Like '%a%' ESCAPE '!')"},
        {"2",  "a",      true,  "'WB''1'"},
    };
    // clang-format on
    state.editMode = true;
    state.currentWorkBillNo = u"WB'1"_s;
    for (const auto& [serial, memo, cancel, expected] : cases) {
        h.ui.dialogHandlers[u"frmInfoFilter"_s] = [&](DialogModel& m) {
            auto& dlg = static_cast<frmInfoFilter&>(m);
            dlg.SetTxtItem(0, QString::fromUtf8(serial));
            dlg.SetTxtItem(1, QString::fromUtf8(memo));
            cancel ? dlg.cmdCancel_Click() : dlg.cmdOK_Click();
        };
        ReportHistory(state).LoadReportHistory(1);
        EXPECT_EQ(condition, QString::fromUtf8(expected)) << serial << "/" << memo;
    }
    // Without showFilter, or without a work bill to narrow, no dialog is shown.
    const auto shown = h.ui.dialogsShown.size();
    ReportHistory(state).LoadReportHistory(0);
    state.currentWorkBillNo.clear();
    ReportHistory(state).LoadReportHistory(1);
    EXPECT_EQ(h.ui.dialogsShown.size(), shown);
}

TEST(InfoFilterTest, ClosingTheWindowIsNoCancel) {
    frmInfoFilter dlg;
    ASSERT_NE(dlg.Result(), nullptr);
    EXPECT_EQ(dlg.Result()->Count(), 0);
    EXPECT_TRUE(ReportHistory::HistoryFilterText(dlg.Result()).isEmpty());
    dlg.SetTxtItem(0, u"a1"_s);
    dlg.SetTxtItem(1, u"a"_s + QChar(0) + u"'b"_s);
    dlg.cmdOK_Click();
    EXPECT_EQ(dlg.Result()->Item(u"FSerial"_s).toDouble(), 0);
    EXPECT_EQ(dlg.Result()->Item(u"FMemo"_s).toString(), u"a''b"_s) << "a NUL never reaches the statement";
}

}  // namespace
}  // namespace sp::test
