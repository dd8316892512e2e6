#pragma once

#include <QString>

// The work bill navigation's own texts.
namespace sp::NavTexts {

inline QString WorkBillPrefix() { return QStringLiteral("工序计划单"); }
inline QString WorkBillNotReportable() { return QStringLiteral(" 不存在或不可进行工序汇报！"); }
inline QString QualityFull() { return QStringLiteral("全检"); }
inline QString QualitySampling() { return QStringLiteral("抽检"); }
inline QString QualityExempt() { return QStringLiteral("免检"); }
inline QString Yes() { return QStringLiteral("是"); }
inline QString No() { return QStringLiteral("否"); }
inline QString TreeRootByTask() { return QStringLiteral("部门/生产任务单/工序计划单"); }
inline QString TreeRootByWorkCenter() { return QStringLiteral("部门/工序计划单"); }
inline QString TaskCaptionOpen() { return QStringLiteral("（"); }
inline QString TaskCaptionClose() { return QStringLiteral("]）"); }
// lblList when the filter matches no work bill.
inline QString NoWorkBillsMatch() { return QStringLiteral("没有符合过滤条件的可汇报工序计划单。"); }
inline QString ListLoadFailed() { return QStringLiteral("读取可汇报工序计划单失败："); }

}  // namespace sp::NavTexts
