#pragma once

#include <QString>

// The record grid's own texts.
namespace sp::ReportTexts {

inline QString SelectionHeader() { return QStringLiteral("选择"); }
inline QString NoWorkBillSelected() { return QStringLiteral("没有选择工序计划单！"); }
inline QString NoHistory() { return QStringLiteral("当前工序计划单没有历史工序汇报记录！"); }
inline QString HistoryLoadFailed() { return QStringLiteral("读取历史工序汇报记录失败："); }
inline QString WorkBillInUse() {
    return QStringLiteral("当前工序计划单正被其他用户使用，无法显示其汇报记录。");
}
inline QString HoldLost(const QString& workBillNo) {
    return QStringLiteral("与数据库的连接曾中断，工序计划单 ") + workBillNo +
           QStringLiteral(" 可能已被其他用户修改，当前修改不能保存。");
}
inline QString ReleasedByAdministrator(const QString& workBillNo) {
    return QStringLiteral("工序计划单 ") + workBillNo +
           QStringLiteral(" 已被系统管理员释放，当前修改不能保存。");
}
inline QString AuditedMark() { return QStringLiteral("√"); }
// The widest date the actual date columns must show when the layout gives no width.
inline QString SampleDate() { return QStringLiteral("2001-09-21"); }
inline QString InfoFilterCaption() { return QStringLiteral("过滤条件"); }
inline QString InfoFilterSerialLabel() { return QStringLiteral("工序汇报序号:"); }
inline QString InfoFilterMemoLabel() { return QStringLiteral("工序汇报备注:"); }
inline QString InfoFilterOK() { return QStringLiteral("确定(&O)"); }
inline QString InfoFilterCancel() { return QStringLiteral("取消(&C)"); }
// Saving, auditing, unauditing and deleting.
inline QString CheckRequest() { return QStringLiteral("请首先予以检查！"); }
inline QString Checked(const QString& firstLine) {
    return firstLine + QStringLiteral("\r\n\r\n") + CheckRequest();
}
inline QString RowPosition(int position) { return QStringLiteral("第 %1 行汇报记录：").arg(position); }
inline QString PartsExceedWorked() { return QStringLiteral("合格数+遗失数+因工报废数+因料报废数 > 实作数"); }
inline QString StartAfterEnd() { return QStringLiteral("实际开工日期 > 实际完工日期"); }
inline QString ReceiveExceeded() { return QStringLiteral("汇报记录：接收数 > 可接收的最大数量："); }
inline QString HandOverShort() { return QStringLiteral("汇报记录：移交数 < 应移交的最小数量："); }
inline QString UnknownPerson() { return QStringLiteral("操作工（设备、班组）无法识别。"); }
inline QString NotReportableAnyMore() {
    return QStringLiteral("以下汇报记录的工序计划单已不可进行工序汇报，不会保存：");
}
inline QString NothingToSave() { return QStringLiteral("没有需要保存的汇报记录。"); }
inline QString SaveFailed() { return QStringLiteral("保存汇报记录时出错——"); }
inline QString NoRight() { return QStringLiteral("对不起，你没有相应的权限！"); }
inline QString DeleteQuestion() { return QStringLiteral("您是否确定要删除当前工序汇报记录？"); }
inline QString ListHeader() { return QStringLiteral("工序计划单号\t汇报序号"); }
inline QString ConflictFunction() { return QStringLiteral("cj0891"); }
constexpr qint32 ConflictSubsystem = 47;

// The printed reports of a work bill.
inline QString PrintTitle() { return QStringLiteral("工序汇报记录"); }
inline QString PrintTotal() { return QStringLiteral("合计"); }
inline QString PrintWorkBill() { return QStringLiteral("工序计划单号："); }
inline QString PrintTask() { return QStringLiteral("生产任务单号："); }
inline QString PrintItem() { return QStringLiteral("物料："); }
inline QString PrintOperation() { return QStringLiteral("工序："); }
inline QString PrintWorkCenter() { return QStringLiteral("工作中心："); }
inline QString PrintPlanned() { return QStringLiteral("计划数量："); }
inline QString PrintFoot(const QString& user, const QString& printedAt) {
    return QStringLiteral("制表人：%1        打印时间：%2").arg(user, printedAt);
}

}  // namespace sp::ReportTexts
