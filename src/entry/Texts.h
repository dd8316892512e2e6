#pragma once

#include <QString>

// The host integration's own texts.
namespace sp::EntryTexts {

// Raised by ExecFunc when another user holds the function.
inline QString FunctionConflict() { return QStringLiteral("当前使用的功能与其他用户有冲突,目前无法使用!"); }
inline QString FunctionConflictSource() { return QStringLiteral("MNetControl.ExecFunc"); }

// ShowForm's answer to a user without the right to the workbench.
inline QString NoRight() { return QStringLiteral("对不起，你没有相应的权限！"); }

// The usage log code of entering and leaving the workbench.
inline QString EntryLogCode() { return QStringLiteral("CJ1000"); }

// The workstation's settings file of the workbench, in the host's program folder: the
// filter dialog's bounds, the folder of the last export.
inline QString SettingsFileName() { return QStringLiteral("Q8SHProcRpt.ini"); }
// Its section and key of the folder exports and PDFs were last written to.
inline QString ExportSection() { return QStringLiteral("Export"); }
inline QString ExportFolderKey() { return QStringLiteral("Folder"); }
// An export or PDF that could not be written, before the reason.
inline QString WriteFailed() { return QStringLiteral("文件未能写入，原有文件保持不变——"); }
// The summary of reports asked for without its right (the workbench's command and the window).
inline QString NoSummaryRight() { return QStringLiteral("您没有查看汇报汇总的权限。"); }

// The resource file every text of the module is looked up in.
inline QString ResourceFile() { return QStringLiteral("Q8Manufacture"); }

// The statement ServerDate runs; the connection answers it with the server's day.
inline QString ServerDateSql() { return QStringLiteral("Select Convert(varchar,GetDate(),101)"); }

}  // namespace sp::EntryTexts
