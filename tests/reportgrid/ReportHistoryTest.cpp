#include "lookups/Emps.h"
#include "reportgrid/ReportCells.h"
#include "reportgrid/ReportGridFixture.h"
#include "reportgrid/ReportHistory.h"
#include "reportgrid/frmInfoFilter.h"

namespace sp {
namespace {

using testing::ReportGridFixture;

class ReportHistoryTest : public ReportGridFixture {
protected:
    void SetUp() override {
        UseFullLayout();
        SetupColumns();
        state.updateCommandStates = [this] { ++commandUpdates; };
        state.updateStatusText = [this] { ++statusUpdates; };
        fake.script->workBillInterID = [](const QString&) { return 1001; };
        fake.script->qtyDecimal = [](qint32) { return 2; };
        fake.script->userName = [](const QString& id) { return QStringLiteral("用户") + id; };
        fake.script->cumulativeQty = [](const QString& m, const QString&, const QString& serial) {
            return (m == QStringLiteral("GetWorkProcRptQty") ? 100 : m == QStringLiteral("GetWorkProcReceiveQty") ? 200 : 300) +
                   serial.toDouble();
        };
        fake.script->teams = {{31, QStringLiteral("T031"), QStringLiteral("一班")}};
        fake.script->emps = {{11, QStringLiteral("E011"), QStringLiteral("张三")}};
        fake.script->devs = {{21, QStringLiteral("D021"), QStringLiteral("车床")}};
    }

    // One history record in the grid's column order, from named fields.
    QString Record(const QHash<QString, QString>& values) {
        QStringList fields;
        for (int col = 2; col <= grid.Cols(); ++col)
            fields << values.value(ReportGrid(state).GetReportColumnCode(col));
        return fields.join(QChar(9));
    }
    ReportCells Cells() const { return ReportCells(state); }

    int commandUpdates = 0;
    int statusUpdates = 0;
};

TEST_F(ReportHistoryTest, NewModeGivesTenEmptyRowsAndLetsEveryTaskGo) {
    state.rowLocks = {0, 0, 50, 50, 51};
    state.historyTaskId = 60;
    state.modified = true;
    grid.SetColumnVisible(Col(u"GPH"), false);
    ReportHistory(state).LoadReportHistory(0);

    EXPECT_EQ(fake.login->committed, (QVector<qint32>{50, 51, 60}));
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
    EXPECT_EQ(fake.ui.waitDepth, 0);
    EXPECT_TRUE(fake.ui.dialogsShown.isEmpty());
}

TEST_F(ReportHistoryTest, EditModeWithoutWorkBillHidesTheGridAndTakesNoTask) {
    state.editMode = true;
    ReportHistory(state).LoadReportHistory(0);
    EXPECT_FALSE(state.procGridVisible);
    EXPECT_EQ(state.lblProcText, QStringLiteral("没有选择工序计划单！"));
    EXPECT_TRUE(fake.login->takenKeys.isEmpty());
    EXPECT_EQ(grid.Rows(), 1);
}

TEST_F(ReportHistoryTest, WorkBillWithoutRecordsHoldsItsTaskAndSaysSo) {
    state.editMode = true;
    state.currentWorkBillNo = QStringLiteral("WB1");
    QString condition;
    fake.script->workProcRptHis = [&](const QString& c, const QString&) {
        condition = c;
        return QString();
    };
    ReportHistory(state).LoadReportHistory(0);
    EXPECT_EQ(condition, QStringLiteral("'WB1'"));
    EXPECT_FALSE(state.procGridVisible);
    EXPECT_EQ(state.lblProcText, QStringLiteral("当前工序计划单没有历史工序汇报记录！"));
    EXPECT_EQ(state.historyTaskId, 100);
    EXPECT_FALSE(grid.ColumnVisible(Col(u"GPH")));
}

TEST_F(ReportHistoryTest, ConflictIsShownAndNoRecordsLoad) {
    state.editMode = true;
    state.currentWorkBillNo = QStringLiteral("WB1");
    fake.login->busyKeys = {1001};
    fake.script->workProcRptHis = [](const QString&, const QString&) { return QStringLiteral("x"); };
    ReportHistory(state).LoadReportHistory(0);
    ASSERT_EQ(fake.ui.messages.size(), 1);
    EXPECT_EQ(fake.ui.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(fake.ui.messages[0].title, QStringLiteral("Vorlane提示"));
    EXPECT_EQ(fake.script->Count(QStringLiteral("GetWorkProcRptHis")), 0);
    EXPECT_EQ(state.lblProcText, QStringLiteral("当前工序计划单没有历史工序汇报记录！"));
    EXPECT_EQ(state.historyTaskId, 0);
}

TEST_F(ReportHistoryTest, RecordsFillTheirColumnsWhateverTheLayoutOrder) {
    // Reverse the layout so field j only lands right if the select list follows it.
    QVector<QVariantList> rows;
    for (int i = kReportCodeCount - 1; i >= 0; --i)
        rows.append({QString(), ReportCodeName(static_cast<ReportCode>(i)), 1, 0});
    UseLayout(rows);
    SetupColumns();
    state.editMode = true;
    state.currentWorkBillNo = QStringLiteral("WB1");
    QString selectList;
    const QString audited = Record({{QStringLiteral("HBXH"), QStringLiteral("4")},
                                    {QStringLiteral("SHBZ"), QStringLiteral("1")},
                                    {QStringLiteral("SHR"), QStringLiteral("16")},
                                    {QStringLiteral("SHRQ"), QStringLiteral("2026-03-05 10:11:12")},
                                    {QStringLiteral("ZDR"), QStringLiteral("0")},
                                    {QStringLiteral("BZ"), QStringLiteral("31")},
                                    {QStringLiteral("CZG"), QStringLiteral("11")},
                                    {QStringLiteral("SYSB"), QStringLiteral("21")},
                                    {QStringLiteral("JSS"), QStringLiteral("12.5")},
                                    {QStringLiteral("MEMO"), QStringLiteral("备")}});
    const QString open = Record({{QStringLiteral("HBXH"), QStringLiteral("5")},
                                 {QStringLiteral("SHBZ"), QStringLiteral("0")},
                                 {QStringLiteral("ZDR"), QStringLiteral("16")},
                                 {QStringLiteral("CZG"), QStringLiteral("11")}});
    fake.script->workProcRptHis = [&](const QString&, const QString& list) {
        selectList = list;
        return audited + QChar(13) + open;
    };
    ReportHistory(state).LoadReportHistory(0);

    EXPECT_TRUE(selectList.startsWith(QStringLiteral("WBE.FOperID,WBE.FInterID,PR.FcheckDate,")));
    ASSERT_EQ(grid.Rows(), 3);
    const ReportCells c = Cells();
    EXPECT_EQ(c.Text(2, ReportCode::HBXH), QStringLiteral("4"));
    EXPECT_EQ(c.Text(2, ReportCode::SHBZ), QStringLiteral("√"));
    EXPECT_EQ(c.Text(3, ReportCode::SHBZ), QString());
    EXPECT_EQ(c.Text(2, ReportCode::SHRQ), QStringLiteral("2026-03-05"));
    EXPECT_EQ(c.Key(2, ReportCode::SHR), QStringLiteral("16"));
    EXPECT_EQ(c.Text(2, ReportCode::SHR), QStringLiteral("用户16"));
    EXPECT_TRUE(c.Text(2, ReportCode::ZDR).isEmpty()) << "biller 0 shows no name";
    EXPECT_EQ(c.Text(3, ReportCode::ZDR), QStringLiteral("用户16"));
    EXPECT_EQ(c.Key(2, ReportCode::BZ), QStringLiteral("T031"));
    EXPECT_EQ(c.Text(2, ReportCode::BZ), QStringLiteral("一班"));
    EXPECT_EQ(c.Text(2, ReportCode::CZG), QStringLiteral("张三"));
    EXPECT_EQ(c.Key(2, ReportCode::SYSB), QStringLiteral("D021"));
    EXPECT_EQ(c.Value(2, ReportCode::JSS).toDouble(), 12.5);
    EXPECT_EQ(c.Text(2, ReportCode::MEMO), QStringLiteral("备"));
    EXPECT_EQ(c.Value(2, ReportCode::LJHBSL).toDouble(), 104);
    EXPECT_EQ(c.Value(3, ReportCode::LJJSSL).toDouble(), 205);
    EXPECT_EQ(c.Value(3, ReportCode::LJYJSL).toDouble(), 305);
    EXPECT_EQ(grid.ColumnFormat(c.Column(ReportCode::JSS)), QStringLiteral("0.00"));
    // One worker on two rows: looked up once, cached once.
    EXPECT_EQ(fake.script->Count(QStringLiteral("GetEmpInfo")), 1);
    EXPECT_EQ(state.EmpsCache().Count(), 1);
    EXPECT_EQ(grid.CellBackground(2, c.Column(ReportCode::MEMO)), QColor(255, 255, 225));
    EXPECT_EQ(grid.CellBackground(3, c.Column(ReportCode::MEMO)), QColor(Qt::white));
    EXPECT_TRUE(state.procGridVisible);
}

TEST_F(ReportHistoryTest, RecordFilterBecomesTheCondition) {
    struct Case {
        QString serial, memo;
        bool cancel;
        QString condition;
    };
    const QVector<Case> cases{
        {QString(), QString(), false, QStringLiteral("'WB''1'")},
        {QStringLiteral("0"), QString(), false, QStringLiteral("'WB''1'")},
        {QStringLiteral("3"), QString(), false, QStringLiteral("'WB''1' And ( PR.FSerial =  3)")},
        {QStringLiteral("3x"), QString(), false, QStringLiteral("'WB''1' And ( PR.FSerial =  3)")},
        {QString(), QStringLiteral("it's"), false, QStringLiteral("'WB''1' And (  PR.FMemo Like '%it''s%')")},
        {QStringLiteral("2"), QStringLiteral("a"), false,
         QStringLiteral("'WB''1' And ( PR.FSerial =  2 OR  PR.FMemo Like '%a%')")},
        {QStringLiteral("2"), QStringLiteral("a"), true, QStringLiteral("'WB''1'")},
    };
    state.editMode = true;
    state.currentWorkBillNo = QStringLiteral("WB'1");
    QString condition;
    fake.script->workProcRptHis = [&](const QString& c, const QString&) {
        condition = c;
        return QString();
    };
    for (const Case& k : cases) {
        fake.ui.dialogHandlers[QStringLiteral("frmInfoFilter")] = [&](DialogModel& m) {
            auto& dlg = static_cast<frmInfoFilter&>(m);
            dlg.SetTxtItem(0, k.serial);
            dlg.SetTxtItem(1, k.memo);
            k.cancel ? dlg.cmdCancel_Click() : dlg.cmdOK_Click();
        };
        ReportHistory(state).LoadReportHistory(1);
        EXPECT_EQ(condition, k.condition) << k.serial.toStdString() << "/" << k.memo.toStdString();
    }
    // Without showFilter no dialog is shown.
    const int shown = static_cast<int>(fake.ui.dialogsShown.size());
    ReportHistory(state).LoadReportHistory(0);
    EXPECT_EQ(fake.ui.dialogsShown.size(), shown);
}

TEST(InfoFilterTest, ClosingTheWindowIsNoCancel) {
    frmInfoFilter dlg;
    ASSERT_NE(dlg.Result(), nullptr);
    EXPECT_EQ(dlg.Result()->Count(), 0);
    EXPECT_TRUE(ReportHistory::HistoryFilterText(dlg.Result()).isEmpty());
    dlg.SetTxtItem(0, QStringLiteral("a1"));
    dlg.cmdOK_Click();
    EXPECT_EQ(dlg.Result()->Item(QStringLiteral("FSerial")).toDouble(), 0);
}

}  // namespace
}  // namespace sp
