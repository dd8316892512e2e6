#pragma once

#include <QString>

// The middle tier's own texts: refusal messages of the update component, list names,
// default column titles. Every message that concerns one report names its work bill
// number and serial, so a clerk can find the row.
namespace sp::platform::MiddleTierTexts {

// "工序计划单 WB-001 汇报序号 3：" + reason
inline QString ReportPrefix(const QString& workBillNo, qint64 serial) {
    return QStringLiteral("工序计划单 %1 汇报序号 %2：").arg(workBillNo).arg(serial);
}
inline QString WorkBillPrefix(const QString& workBillNo) {
    return QStringLiteral("工序计划单 %1：").arg(workBillNo);
}
inline QString RecordPrefix(int position) { return QStringLiteral("第 %1 条汇报记录：").arg(position); }

inline QString NoRight() { return QStringLiteral("对不起，你没有相应的权限！"); }
inline QString NoRightSaveNew() { return QStringLiteral("没有新增工序汇报的权限。"); }
inline QString NoRightSaveEdit() { return QStringLiteral("没有修改工序汇报的权限。"); }
inline QString NoRightAudit() { return QStringLiteral("没有审核/反审核工序汇报的权限。"); }
inline QString NoRightDelete() { return QStringLiteral("没有删除工序汇报的权限。"); }
inline QString UnknownCaller() { return QStringLiteral("无法识别当前用户。"); }

inline QString SerialNotNumeric(const QString& text) {
    return QStringLiteral("汇报序号“%1”不是有效的正整数。").arg(text);
}
inline QString NotWholeNumber(const QString& field, const QString& text) {
    return QStringLiteral("%1“%2”不是 32 位范围内的整数。").arg(field, text);
}
inline QString ControlCharacter(const QString& field) {
    return QStringLiteral("%1 含有回车、换行、制表符或其他控制字符，请删除后再保存。").arg(field);
}
inline QString NullRecord() { return QStringLiteral("记录为空。"); }
// A record's fields are named by their keys: whoever fixes the sender needs them.
inline QString UnknownField(const QString& key) {
    return QStringLiteral("含有未知字段“%1”（字段名拼写有误？）。").arg(key);
}
inline QString FieldTwice(const QString& key) {
    return QStringLiteral("字段“%1”出现多次（字段名不区分大小写）。").arg(key);
}
inline QString MissingField(const QString& key, const QString& title) {
    return QStringLiteral("缺少字段“%1”（%2）。").arg(key, title);
}
inline QString UnknownWorkBill(qint64 interId) {
    return QStringLiteral("工序计划单（内码 %1）不存在。").arg(interId);
}
inline QString WorkBillNotReportable() {
    return QStringLiteral("工序计划单已关闭、挂起或其生产任务单不可汇报。");
}
inline QString DuplicateInSave() { return QStringLiteral("同一汇报序号在本次保存中出现多次。"); }
inline QString NotANumber(const QString& field) { return QStringLiteral("%1 不是有效的数值。").arg(field); }
inline QString Negative(const QString& field) { return QStringLiteral("%1 不能为负数。").arg(field); }
inline QString Absurd(const QString& field) {
    return QStringLiteral("%1 超出允许范围（绝对值不能大于 1E+12）。").arg(field);
}
inline QString BadDate(const QString& field) {
    return QStringLiteral("%1 不是 1900-01-01 至 2099-12-31 之间的有效日期。").arg(field);
}
inline QString StartAfterEnd() { return QStringLiteral("实际开工日期晚于实际完工日期。"); }
inline QString AlreadyAudited() { return QStringLiteral("该汇报记录已审核，不能修改。"); }
inline QString SerialTaken() {
    return QStringLiteral("该汇报序号已被其他工作站保存，本次保存未写入任何记录。请刷新后重新录入。");
}
inline QString ChangedMeanwhile() {
    return QStringLiteral("该汇报记录已被其他工作站审核或删除，本次保存未写入任何记录。请刷新后重试。");
}
inline QString ReportNotFound() { return QStringLiteral("汇报记录不存在。"); }
inline QString NotAudited() { return QStringLiteral("汇报记录尚未审核。"); }
inline QString AuditedCannotDelete() { return QStringLiteral("汇报记录已审核，不能删除。"); }
inline QString ReceiveOverLimit(const QString& max) {
    return QStringLiteral("接收数超过可接收的最大数量：%1").arg(max);
}
inline QString HandOverUnderLimit(const QString& min) {
    return QStringLiteral("移交数小于应移交的最小数量：%1").arg(min);
}
inline QString AfterUnauditReceive(const QString& max) {
    return QStringLiteral("反审核后接收数将超过可接收的最大数量：%1").arg(max);
}
inline QString AfterUnauditHandOver(const QString& min) {
    return QStringLiteral("反审核后移交数将小于下道工序已接收的数量，差额：%1").arg(min);
}
// A technical failure (the database refused a statement, the connection was lost): the
// clerk learns that nothing happened; the database's own text goes to the log only.
inline QString SaveFailedTechnically() {
    return QStringLiteral("数据库操作失败，未保存任何记录（详见日志）。");
}
inline QString CommandFailedTechnically() {
    return QStringLiteral("数据库操作失败，该记录未做任何更改（详见日志）。");
}

// List names of the list selection data.
inline QString ListWorkBills() { return QStringLiteral("工序计划单"); }
inline QString ListProductionTasks() { return QStringLiteral("生产任务单"); }
// A production task's status (ICMO.FStatus 1, 2, 3) as the task list shows it.
inline QString TaskReleased() { return QStringLiteral("下达"); }
inline QString TaskStarted() { return QStringLiteral("开工"); }
inline QString TaskClosed() { return QStringLiteral("结案"); }

// Tree captions.
inline QString TreeTaskCaption(const QString& billNo, const QString& itemName, const QString& model) {
    return billNo + QStringLiteral("（") + itemName + QStringLiteral("[") + model + QStringLiteral("]）");
}

// The summary of reports: its fees are wages, shown only with the summary right.
inline QString NoRightSummary() { return QStringLiteral("没有查看汇报汇总的权限。"); }
inline QString SummaryPeriodBackwards() { return QStringLiteral("汇总期间的开始日期晚于结束日期。"); }
inline QString SummaryNoGrouping() { return QStringLiteral("汇总须按一至两项分组，且两项不能相同。"); }

}  // namespace sp::platform::MiddleTierTexts
