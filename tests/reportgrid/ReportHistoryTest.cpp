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
        fake.workProcRptHis = [this](const QString& c, const QString& list) {
            condition = c;
            selectList = list;
            return history;
        };
    }
    void LoadWorkBill(int showFilter = 0) {
        state.editMode = true;
        state.currentWorkBillNo = u"WB1"_s;
        ReportHistory(state).LoadReportHistory(showFilter);
    }

    // One history record in the grid's column order from "CODE=value;..." in any order.
    QString Record(const QString& pairs) {
        QHash<QString, QString> values;
        for (const QString& field : pairs.split(u';'))
            values.insert(field.section(u'=', 0, 0), field.section(u'=', 1));
        QStringList fields;
        for (int col = 2; col <= grid.Cols(); ++col)
            fields << values.value(ReportGrid(state).GetReportColumnCode(col));
        return fields.join(QChar(9));
    }
    QString history, condition, selectList;  // what the middle tier answers, what it was asked
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
    EXPECT_EQ(state.historyTaskId, 0);
    EXPECT_EQ(grid.Rows(), 11);
    EXPECT_EQ(state.rowLocks, QVector<qint32>(12, 0));
    EXPECT_TRUE(grid.ColumnVisible(Col(u"GPH")));
    EXPECT_TRUE(state.procGridVisible);
    EXPECT_EQ(grid.CurrentRow(), 2);
    EXPECT_EQ(grid.CurrentCol(), Col(u"HBXH"));
    EXPECT_FALSE(state.modified);
    EXPECT_EQ(commandUpdates, 1);
    EXPECT_EQ(statusUpdates, 1);
    EXPECT_EQ(h.ui.waitDepth, 0);
}

TEST_F(ReportHistoryTest, EditModeSaysWhyTheGridIsHiddenAndHoldsOnlyAWorkBillsTask) {
    state.editMode = true;
    ReportHistory(state).LoadReportHistory(0);
    EXPECT_FALSE(state.procGridVisible);
    EXPECT_EQ(state.lblProcText, u"没有选择工序计划单！"_s);
    EXPECT_TRUE(fake.takenKeys.isEmpty());
    EXPECT_EQ(grid.Rows(), 1);

    LoadWorkBill();
    EXPECT_EQ(condition, u"'WB1'"_s);
    EXPECT_FALSE(state.procGridVisible);
    EXPECT_EQ(state.lblProcText, u"当前工序计划单没有历史工序汇报记录！"_s);
    EXPECT_EQ(state.historyTaskId, 100);
    EXPECT_FALSE(grid.ColumnVisible(Col(u"GPH")));
}

TEST_F(ReportHistoryTest, ConflictIsShownAndNoRecordsLoad) {
    fake.busyKeys = {1001};
    history = u"x"_s;
    LoadWorkBill();
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_EQ(h.ui.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(fake.Count(u"GetWorkProcRptHis"_s), 0);
    EXPECT_EQ(state.lblProcText, u"当前工序计划单正被其他用户使用，无法显示其汇报记录。"_s);
    EXPECT_EQ(state.historyTaskId, 0);
}

TEST_F(ReportHistoryTest, AFailedReadIsSaidAndNeverShownAsNoRecords) {
    const ComError lost(ErrorNumber::Database, u"Database"_s, u"server closed the connection"_s);
    history = Record(u"HBXH=1"_s);
    struct Case {
        const char* name;
        std::function<void()> breakIt;
        QVector<qint32> committed;  // the history task is given back when it was taken
    };
    const Case cases[] = {
        {"work bill id", [&] { fake.workBillInterID = [&](const QString&) -> qint32 { throw lost; }; }, {}},
        {"records",
         [&] { fake.workProcRptHis = [&](const QString&, const QString&) -> QString { throw lost; }; },
         {100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        fake.committed.clear();
        c.breakIt();
        LoadWorkBill();
        EXPECT_FALSE(state.procGridVisible);
        EXPECT_EQ(state.lblProcText, u"读取历史工序汇报记录失败：server closed the connection"_s);
        EXPECT_EQ(grid.Rows(), 1);
        EXPECT_EQ(state.historyTaskId, 0);
        EXPECT_EQ(fake.committed, c.committed);
    }
}

// A history that takes half a second shows how far it has come; a cancel leaves no row,
// says so and lets the work bill's task go. A quicker load never reaches the screen.
TEST_F(ReportHistoryTest, ALongLoadShowsItsProgressAndACancelLetsTheWorkBillGo) {
    QStringList records;
    for (int i = 1; i <= 20; ++i) records << Record(u"HBXH=%1"_s.arg(i));
    history = records.join(QChar(13));
    struct Case {
        const char* name;
        qint64 msPerRow;  // the clock moves on this much at every reading
        int cancelAfter;  // rows read when the clerk presses 取消; -1 never
        int progressShown;
        bool cancelled;
    };
    const Case cases[] = {
        {"quick", 0, 5, 0, false},
        {"long", 100, -1, 16, false},
        {"cancelled", 100, 8, 4, true},
    };
    qint64 now = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state.historyTaskId = 0;
        state.loadCancelled = false;
        fake.committed.clear();
        h.ui.Clear();
        now = 0;
        state.loadClock = [&now, &c] { return now += c.msPerRow; };
        h.ui.cancelLoadAfterRows = c.cancelAfter;
        const qint32 task = fake.nextTask;
        LoadWorkBill();
        EXPECT_EQ(h.ui.loadProgress.size(), c.progressShown);
        if (c.progressShown)
            EXPECT_EQ(h.ui.loadProgress.first(), u"History 5/20"_s);
        EXPECT_EQ(h.ui.loadProgressEnded, c.progressShown ? QStringList{u"History"_s} : QStringList{});
        EXPECT_EQ(state.loadCancelled, c.cancelled);
        EXPECT_EQ(grid.Rows(), c.cancelled ? 1 : 21);
        EXPECT_EQ(state.procGridVisible, !c.cancelled);
        EXPECT_EQ(state.historyTaskId, c.cancelled ? 0 : task);
        EXPECT_EQ(fake.committed, c.cancelled ? QVector<qint32>{task} : QVector<qint32>{});
        if (c.cancelled)
            EXPECT_EQ(state.lblProcText, u"已取消读取。"_s);
        EXPECT_FALSE(state.modified);
        EXPECT_EQ(h.ui.waitDepth, 0);
    }
    state.loadClock = {};
}

TEST_F(ReportHistoryTest, RecordsFillTheirColumnsWhateverTheLayoutOrder) {
    // Reverse the layout so field j only lands right if the select list follows it.
    QVector<QVariantList> rows;
    for (int i = kReportCodeCount - 1; i >= 0; --i)
        rows.append({QString(), ReportCodeName(static_cast<ReportCode>(i)), 1, 0});
    SetupColumns(rows);
    const QString audited = Record(
        u"HBXH=4;SHBZ=1;SHR=16;SHRQ=2026-03-05 10:11:12;ZDR=0;BZ=31;CZG=11;SYSB=21;JSS=12.5;MEMO=备"_s);
    const QString open = Record(u"HBXH=5;SHBZ=0;ZDR=16;CZG=11;SYSB=29"_s);  // device 29 is gone
    history = audited + QChar(13) + open;
    LoadWorkBill();

    EXPECT_TRUE(selectList.startsWith(u"WBE.FOperID,WBE.FInterID,PR.FcheckDate,"_s));
    ASSERT_EQ(grid.Rows(), 3);
    const ReportCells c(state);
    // Audit marks and dates as shown, users and records by name; biller 0 shows no name.
    EXPECT_EQ(Cells(2, {u"SHBZ", u"SHRQ", u"SHR", u"ZDR", u"BZ", u"CZG", u"SYSB", u"JSS", u"LJHBSL"}),
              u"SHBZ=√ SHRQ=2026-03-05 SHR=用户16[16] ZDR= BZ=一班[T031] CZG=张三[E011] SYSB=车床[D021] "
              u"JSS=12.5 LJHBSL=104.00"_s);
    EXPECT_EQ(Cells(3, {u"SHBZ", u"ZDR", u"LJJSSL", u"LJYJSL", u"SYSB"}),
              u"SHBZ= ZDR=用户16[16] LJJSSL=205.00 LJYJSL=305.00 SYSB=29"_s)
        << "an id nobody answers to shows, and stays for the save";
    EXPECT_EQ(grid.ColumnFormat(c.Column(ReportCode::JSS)), u"0.00"_s);
    // A work bill whose format cannot be read never shows the previous one's.
    fake.failing = {u"GetQtyDecimal"_s};
    LoadWorkBill();
    EXPECT_EQ(grid.ColumnFormat(c.Column(ReportCode::JSS)), QString());
    // One worker on two rows: looked up once, cached once.
    EXPECT_EQ(fake.Count(u"GetEmpInfo"_s), 1);
    EXPECT_EQ(state.EmpsCache().Count(), 1);
    EXPECT_EQ(grid.CellBackground(2, c.Column(ReportCode::MEMO)), QColor(255, 255, 225));
    EXPECT_EQ(grid.CellBackground(3, c.Column(ReportCode::MEMO)), QColor(Qt::white));
}

TEST_F(ReportHistoryTest, RecordFilterBecomesTheCondition) {
    struct Case {
        const char *serial, *memo;
        bool cancel;
        const char* condition;
    };
    const Case cases[] = {
        {"", "", false, "'WB''1'"},
        {"0", "", false, "'WB''1'"},
        {"3x", "", false, "'WB''1' And ( PR.FSerial =  3)"},
        {"", "it's", false, "'WB''1' And (  PR.FMemo Like '%it''s%' ESCAPE '!')"},
        {"2", "a", false, "'WB''1' And ( PR.FSerial =  2 OR  PR.FMemo Like '%a%' ESCAPE '!')"},
        // "%" and "_" stay wildcards; a backslash is text; the escape character is doubled.
        {"", "5%_\\x", false, "'WB''1' And (  PR.FMemo Like '%5%_\\x%' ESCAPE '!')"},
        {"", "!a!!", false, "'WB''1' And (  PR.FMemo Like '%!!a!!!!%' ESCAPE '!')"},
        {"", "x!'", false, "'WB''1' And (  PR.FMemo Like '%x!!''%' ESCAPE '!')"},
        {"2", "a", true, "'WB''1'"},
    };
    state.editMode = true;
    state.currentWorkBillNo = u"WB'1"_s;
    for (const Case& k : cases) {
        h.ui.dialogHandlers[u"frmInfoFilter"_s] = [&](DialogModel& m) {
            auto& dlg = static_cast<frmInfoFilter&>(m);
            dlg.SetTxtItem(0, QString::fromUtf8(k.serial));
            dlg.SetTxtItem(1, QString::fromUtf8(k.memo));
            k.cancel ? dlg.cmdCancel_Click() : dlg.cmdOK_Click();
        };
        ReportHistory(state).LoadReportHistory(1);
        EXPECT_EQ(condition, QString::fromUtf8(k.condition)) << k.serial << "/" << k.memo;
    }
    // Without showFilter, or without a work bill to narrow, no dialog is shown.
    const int shown = static_cast<int>(h.ui.dialogsShown.size());
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
