#pragma once

#include <QString>

// The record grid's own texts.
namespace sp::ReportTexts {

inline QString SelectionHeader() { return QStringLiteral("选择"); }
inline QString NoWorkBillSelected() { return QStringLiteral("没有选择工序计划单！"); }
inline QString NoHistory() { return QStringLiteral("当前工序计划单没有历史工序汇报记录！"); }
inline QString WorkBillInUse() {
    return QStringLiteral("当前工序计划单正被其他用户使用，无法显示其汇报记录。");
}
inline QString AuditedMark() { return QStringLiteral("√"); }
// The widest date the actual date columns must show when the layout gives no width.
inline QString SampleDate() { return QStringLiteral("2001-09-21"); }
inline QString InfoFilterCaption() { return QStringLiteral("过滤条件"); }
inline QString InfoFilterSerialLabel() { return QStringLiteral("工序汇报序号:"); }
inline QString InfoFilterMemoLabel() { return QStringLiteral("工序汇报备注:"); }
inline QString InfoFilterOK() { return QStringLiteral("确定(&O)"); }
inline QString InfoFilterCancel() { return QStringLiteral("取消(&C)"); }
inline QString ConflictFunction() { return QStringLiteral("cj0891"); }
constexpr qint32 ConflictSubsystem = 47;

}  // namespace sp::ReportTexts
