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
    bar.AddTool(Tool::ModeNew(), T::CaptionModeNew());
    bar.AddTool(Tool::ModeEdit(), T::CaptionModeEdit());
    bar.AddTool(Tool::FileSave(), T::CaptionFileSave());
    bar.AddTool(Tool::EditDel(), T::CaptionEditDel());
    bar.AddTool(Tool::Audit(), T::CaptionAudit());
    bar.AddTool(Tool::UnAudit(), T::CaptionUnAudit());
    bar.AddTool(Tool::Refresh(), T::CaptionRefresh());
    bar.AddTool(Tool::EditView(), T::CaptionEditView());
    bar.AddTool(Tool::Filter(), T::CaptionFilter());
    bar.AddTool(Tool::CtlChk(), T::CaptionCtlChk());
    bar.AddTool(Tool::CtlCreate(), T::CaptionCtlCreate());
    bar.AddTool(Tool::CtlDel(), T::CaptionCtlDel());
    bar.AddTool(Tool::FileExit(), T::CaptionFileExit());
    bar.AddTool(Tool::FileExport(), T::CaptionFileExport());
    bar.SetShortcutText(Tool::FileExport(), QStringLiteral("Ctrl+E"));
    bar.AddTool(Tool::FilePrint(), T::CaptionFilePrint());
    bar.SetShortcutText(Tool::FilePrint(), QStringLiteral("Ctrl+P"));
    bar.AddLabel(QStringLiteral("lblArrange"), T::LabelArrangement());
    const QString arrangement = QStringLiteral("ListStyle");
    bar.AddTool(Tool::ListWC(), T::CaptionListWC(), ToolStyle::Radio, arrangement);
    bar.AddTool(Tool::ListTask(), T::CaptionListTask(), ToolStyle::Radio, arrangement);
    bar.AddTool(Tool::FileHelp(), T::CaptionFileHelp());
    bar.AddTool(Tool::SetupWB(), T::CaptionSetupWB());
    bar.AddTool(Tool::SetupRpt(), T::CaptionSetupRpt());
    bar.AddTool(Tool::Summary(), T::CaptionSummary());
    bar.SetShortcutText(Tool::Summary(), QStringLiteral("F9"));
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
    bar.AddBand(QStringLiteral("mnuTools"), BandKind::Menu,
                {Tool::SetupWB(), Tool::SetupRpt(), Tool::Summary()}, T::MenuTools());
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
    // Enabled at load for a user with the summary right.
    bar.SetEnabled(Tool::Summary(), false);
}

}  // namespace sp
