#include "navigation/NavigationFixture.h"

namespace sp::testing {

NavigationFixture::NavigationFixture() {
    state.host = fake.host.get();
    state.vlgList = &grid;
    state.vlgProc = &proc;
    state.barProc = &bar;
    state.tvw = &tree;
    state.userId = 7;
    state.dicFilter = NewDictionary();
    bar.AddTool(QStringLiteral("btnListWC"), QStringLiteral("工作中心"), ToolStyle::Radio, QStringLiteral("arr"));
    bar.AddTool(QStringLiteral("btnListTask"), QStringLiteral("生产任务单"), ToolStyle::Radio, QStringLiteral("arr"));
    bar.AddTool(QStringLiteral("btnCtlChk"), QStringLiteral("检查"), ToolStyle::Toggle);
    bar.SetChecked(QStringLiteral("btnListTask"), true);
    state.loadReportHistory = [this](int f) {
        historyLoads.append(f);
        historyNumbers.append(state.currentWorkBillNo);
        state.modified = false;
    };
    state.paintReportGrid = [this] { ++paints; };
    state.confirmLeaveWorkBill = [this] {
        ++questions;
        return answer;
    };
    fake.script->emps = {{11, QStringLiteral("E011"), QStringLiteral("张三")},
                         {0, QString(), QString()}};
    fake.script->teams = {{31, QStringLiteral("T031"), QStringLiteral("一班")}};
    fake.script->devs = {{21, QStringLiteral("D021"), QStringLiteral("车床")}};
    fake.script->workBillTitle = [](qint32) {
        const QStringList f{QStringLiteral("Ffield"), QStringLiteral("Fname"), QStringLiteral("Fshow"),
                            QStringLiteral("Fwidth")};
        return MakeRecordset(f, {
                                    {QStringLiteral("FQualityChkID"), QStringLiteral("检验"), 1, 0},
                                    {QStringLiteral("Ffare"), QStringLiteral("计费"), 1, 800},
                                    {QStringLiteral("FisOut"), QStringLiteral("外协"), 1, 0},
                                    {QStringLiteral("fworkerid"), QStringLiteral("操作工"), 0, 0},
                                    {QStringLiteral("FWorkBillNO"), QStringLiteral("工票号"), 1, 0},
                                    {QStringLiteral("FAuxQtyRecive"), QStringLiteral("接收数"), 1, 0},
                                    {QStringLiteral("FWorkCenterID"), QStringLiteral("工作中心"), 1, 0},
                                    {QStringLiteral("FMemo"), QStringLiteral("备注"), 1, 0},
                                });
    };
}

QStringList NavigationFixture::Fields() {
    return {QStringLiteral("FWBinterID"),  QStringLiteral("FWorkBillNO"),   QStringLiteral("FQualityChkID"),
            QStringLiteral("Ffare"),       QStringLiteral("FisOut"),        QStringLiteral("FworkerID"),
            QStringLiteral("FAuxQtyRecive"), QStringLiteral("FWorkCenterID"), QStringLiteral("FWorkCenterNO"),
            QStringLiteral("FitemName"),   QStringLiteral("FitemModel"),    QStringLiteral("FMemo")};
}

QVariantList NavigationFixture::Bill(qint32 id, const QString& no, const QVariant& chk, const QVariant& fare,
                                     const QVariant& isOut, const QVariant& worker) {
    return {id, no, chk, fare, isOut, worker, 12.5, 4, QStringLiteral("WC04"), QStringLiteral("轴"),
            QStringLiteral("M8"), QVariant()};
}

void NavigationFixture::ServeBills(const QVector<QVariantList>& rows) {
    fake.script->workBillByFilter = [rows](bool, const QString&) { return MakeRecordset(Fields(), rows); };
}

}  // namespace sp::testing
