#include "src/workbench/WorkbenchToolbar.h"

#include <QStringList>

#include "src/controls/ToolbarModel.h"
#include "src/workbench/Texts.h"

namespace sp {

void BuildWorkbenchToolbar(ToolbarModel& bar) {
    namespace T = WorkbenchTexts;
    bar.SetFont(T::ToolbarFont());

    // The mode buttons and the check button keep their checked state themselves: their
    // commands read the state before the click ("already checked: do nothing").
    bar.AddLabel(QStringLiteral("lblMode"), T::LabelMode());
    bar.AddTool(Tool::ModeNew(), QStringLiteral("录入"));
    bar.AddTool(Tool::ModeEdit(), QStringLiteral("修改"));
    bar.AddTool(Tool::FileSave(), QStringLiteral("保存"));
    bar.AddTool(Tool::EditDel(), QStringLiteral("删除"));
    bar.AddTool(Tool::Audit(), QStringLiteral("审核"));
    bar.AddTool(Tool::UnAudit(), QStringLiteral("反审核"));
    bar.AddTool(Tool::Refresh(), QStringLiteral("刷新"));
    bar.AddTool(Tool::EditView(), QStringLiteral("查看"));
    bar.AddTool(Tool::Filter(), QStringLiteral("过滤"));
    bar.AddTool(Tool::CtlChk(), QStringLiteral("检查"));
    bar.AddTool(Tool::CtlCreate(), QStringLiteral("生成检验单"));
    bar.AddTool(Tool::CtlDel(), QStringLiteral("删除检验单"));
    bar.AddTool(Tool::FileExit(), QStringLiteral("退出"));
    bar.AddTool(Tool::FileExport(), QStringLiteral("导出(&X)..."));
    bar.SetShortcutText(Tool::FileExport(), QStringLiteral("Ctrl+E"));
    bar.AddTool(Tool::FilePrint(), QStringLiteral("打印(&P)..."));
    bar.SetShortcutText(Tool::FilePrint(), QStringLiteral("Ctrl+P"));
    bar.AddLabel(QStringLiteral("lblArrange"), T::LabelArrangement());
    const QString arrangement = QStringLiteral("ListStyle");
    bar.AddTool(Tool::ListWC(), QStringLiteral("工作中心"), ToolStyle::Radio, arrangement);
    bar.AddTool(Tool::ListTask(), QStringLiteral("生产任务单"), ToolStyle::Radio, arrangement);
    bar.AddTool(Tool::FileHelp(), QStringLiteral("帮助主题(&C)"));
    bar.AddTool(Tool::SetupWB(), QStringLiteral("工票列设置(&W)"));
    bar.AddTool(Tool::SetupRpt(), QStringLiteral("汇报列设置(&R)"));
    bar.AddTool(Tool::SttInfo(), T::StatusReady());

    bar.AddBand(QStringLiteral("mnuFile"), BandKind::Menu,
                {Tool::FileSave(), Tool::FileExport(), Tool::FilePrint(), Tool::EditView(), Tool::CtlChk(),
                 Tool::FileExit()},
                T::MenuFile());
    bar.AddBand(QStringLiteral("mnuEdit"), BandKind::Menu,
                {Tool::Audit(), Tool::UnAudit(), Tool::EditDel(), Tool::Refresh()}, T::MenuEdit());
    bar.AddBand(QStringLiteral("mnuMode"), BandKind::Menu, {Tool::ModeNew(), Tool::ModeEdit()},
                T::MenuMode());
    bar.AddBand(QStringLiteral("mnuList"), BandKind::Menu, {Tool::ListWC(), Tool::ListTask()},
                T::MenuArrangement());
    bar.AddBand(QStringLiteral("mnuTools"), BandKind::Menu, {Tool::SetupWB(), Tool::SetupRpt()},
                T::MenuTools());
    bar.AddBand(QStringLiteral("mnuHelp"), BandKind::Menu, {Tool::FileHelp()}, T::MenuHelp());

    bar.AddBand(QStringLiteral("bndMain"), BandKind::Toolbar,
                {QStringLiteral("lblMode"), Tool::ModeNew(), Tool::ModeEdit(), Tool::FileSave(),
                 Tool::EditDel(), Tool::Audit(), Tool::UnAudit(), Tool::Refresh(), Tool::EditView(),
                 Tool::Filter(), Tool::CtlChk(), Tool::CtlCreate(), Tool::CtlDel(), Tool::FileExit()});
    bar.AddBand(QStringLiteral("bndList"), BandKind::Toolbar,
                {QStringLiteral("lblArrange"), Tool::ListWC(), Tool::ListTask()});
    bar.AddBand(Tool::StatusBand(), BandKind::Status, {Tool::SttInfo()});

    bar.SetChecked(Tool::ModeNew(), true);
    bar.SetChecked(Tool::ListTask(), true);
    // The status band starts "就绪": no lookup is offered until the cursor stands in a lookup cell.
    bar.SetEnabled(Tool::EditView(), false);
    bar.SetEnabled(Tool::CtlCreate(), false);
    bar.SetEnabled(Tool::CtlDel(), false);
}

}  // namespace sp
