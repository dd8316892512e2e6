#pragma once

#include <QString>

// What the shared pieces show: the title of every message box and the progress of long loads.
namespace sp::CommonTexts {

inline QString MessageTitle() { return QStringLiteral("Vorlane提示"); }

inline QString ReadingList(int rowsRead) {
    return QStringLiteral("正在读取可汇报工序计划单……已读取 %1 行").arg(rowsRead);
}
inline QString ReadingHistory(int rowsRead) {
    return QStringLiteral("正在读取历史工序汇报记录……已读取 %1 行").arg(rowsRead);
}
inline QString OfTotal(int total) { return QStringLiteral("，共 %1 行").arg(total); }
inline QString LoadCancelled() { return QStringLiteral("已取消读取。"); }
inline QString Cancel() { return QStringLiteral("取消"); }

}  // namespace sp::CommonTexts
