#pragma once

#include <QString>

namespace sp {

class ToolbarModel;

// Tool and band names of barProc; the dispatcher compares them without regard to case.
namespace Tool {
inline QString CtlChk() { return QStringLiteral("btnCtlChk"); }
inline QString Filter() { return QStringLiteral("Filter"); }
inline QString CtlCreate() { return QStringLiteral("btnCtlCreate"); }
inline QString CtlDel() { return QStringLiteral("btnCtlDel"); }
inline QString FileSave() { return QStringLiteral("btnFileSave"); }
inline QString Audit() { return QStringLiteral("btnAudit"); }
inline QString UnAudit() { return QStringLiteral("btnUnAudit"); }
inline QString FileExit() { return QStringLiteral("btnFileExit"); }
inline QString FileExport() { return QStringLiteral("btnFileExport"); }
inline QString FilePrint() { return QStringLiteral("btnFilePrint"); }
inline QString EditDel() { return QStringLiteral("btnEditDel"); }
inline QString EditView() { return QStringLiteral("btnEditView"); }
inline QString Refresh() { return QStringLiteral("btnRefresh"); }
inline QString ModeNew() { return QStringLiteral("btnModeNew"); }
inline QString ModeEdit() { return QStringLiteral("btnModeEdit"); }
inline QString ListWC() { return QStringLiteral("btnListWC"); }
inline QString ListTask() { return QStringLiteral("btnListTask"); }
inline QString FileHelp() { return QStringLiteral("btnFileHelp"); }
inline QString SetupWB() { return QStringLiteral("btnSetupWB"); }
inline QString SetupRpt() { return QStringLiteral("btnSetupRpt"); }
inline QString Summary() { return QStringLiteral("btnSummary"); }
inline QString SttInfo() { return QStringLiteral("btnSttInfo"); }
inline QString StatusBand() { return QStringLiteral("bndStatus"); }
}  // namespace Tool

// Fills barProc: every tool with its caption, the main band, the arrangement band, the
// status band and the six menus, in the workbench's order and font.
//
// Initial states: new mode (btnModeNew checked) and the arrangement by production task
// (btnListTask checked). The task arrangement shows the plain work bill number in the
// list, and it is the arrangement the consistency check lists its results in, so the
// list looks the same before and after a check. btnCtlCreate and btnCtlDel are never
// enabled.
void BuildWorkbenchToolbar(ToolbarModel& bar);

}  // namespace sp
