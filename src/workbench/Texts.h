#pragma once

#include <QString>

// The workbench's own texts, as its users know them.
namespace sp::WorkbenchTexts {

// Questions and messages join their lines with CR LF and put a blank line before the
// closing request.
inline QString Lines(const QString& first, const QString& request) {
    return first + QStringLiteral("\r\n\r\n") + request;
}

inline QString ModeNewQuestion() {
    return Lines(QStringLiteral("修改尚未保存，切换模式将丢失所做的修改。"),
                 QStringLiteral("您是否要继续？"));
}
inline QString ModeEditQuestion() {
    return Lines(QStringLiteral("录入尚未保存，切换模式将丢失所有录入的数据。"),
                 QStringLiteral("您是否要继续？"));
}
inline QString RefreshQuestion() {
    return Lines(QStringLiteral("录入或修改尚未保存，刷新显示将丢失录入或修改的内容。"),
                 QStringLiteral("您是否确定要刷新？"));
}
inline QString ExitQuestion() {
    return Lines(QStringLiteral("录入或修改尚未保存，退出将丢失录入或修改的内容。"),
                 QStringLiteral("您是否确定要退出？"));
}
// Asked before unsaved changes of the loaded work bill would be dropped by moving to
// another work bill.
inline QString LeaveWorkBillQuestion() {
    return Lines(QStringLiteral("修改尚未保存，切换工序计划单将丢失所做的修改。"),
                 QStringLiteral("您是否要继续？"));
}

inline QString NoNewReportRight() { return QStringLiteral("您没有新增汇报的权限。"); }
inline QString NoEditReportRight() { return QStringLiteral("您没有修改汇报的权限。"); }
inline QString ReportLayoutQuestion() {
    return QStringLiteral("汇报列设置将自动刷新数据，未保存数据将丢失。\r是否继续？");
}
inline QString UnderConstruction() { return QStringLiteral("正在调试之中！"); }
inline QString CheckFoundSomething() {
    return QStringLiteral(
        "检查完毕！请查看结果。\r切换汇报模式、排列方式将清除检查结果，列出所有可汇报工序计划单。");
}
inline QString CheckFoundNothing() {
    return QStringLiteral("检查完毕，没有发现异常。系统将显示所有可汇报工序计划单");
}
inline QString CheckFailed() { return QStringLiteral("检查未能完成："); }

inline QString StatusReady() { return QStringLiteral("就绪"); }
inline QString StatusLookup() { return QStringLiteral("按F7查找相关信息"); }

// Toolbar, bands and menus.
inline QString ToolbarFont() { return QStringLiteral("宋体"); }
inline QString LabelMode() { return QStringLiteral("汇报模式："); }
inline QString LabelArrangement() { return QStringLiteral("工票排列方式："); }
inline QString MenuFile() { return QStringLiteral("文件(&F)"); }
inline QString MenuEdit() { return QStringLiteral("编辑(&E)"); }
inline QString MenuMode() { return QStringLiteral("模式(&M)"); }
inline QString MenuArrangement() { return QStringLiteral("排列(&L)"); }
inline QString MenuTools() { return QStringLiteral("工具(&T)"); }
inline QString MenuHelp() { return QStringLiteral("帮助(&F)"); }

// The window.
inline QString WindowCaption() { return QStringLiteral("工序汇报"); }
inline QString TreeRootCaption() { return QStringLiteral("工序计划单"); }

// Help guide beside the component.
inline QString HelpFileName() { return QStringLiteral("Q8ShopFloor.CHM"); }
inline QString HelpGuideName() { return QStringLiteral("Q8ShopFloor.html"); }
inline QString HelpCannotOpen() { return QStringLiteral("无法打开帮助文件："); }

// Export and print.
inline QString ExportListTitle() { return QStringLiteral("导出工序计划单列表"); }
inline QString ExportReportsTitle() { return QStringLiteral("导出工序汇报记录"); }
inline QString ListFileName() { return QStringLiteral("工序计划单列表"); }
inline QString ReportsFileName() { return QStringLiteral("工序汇报记录"); }
inline QString XlsxFilter() { return QStringLiteral("Excel 工作簿 (*.xlsx)"); }
inline QString CsvFilter() { return QStringLiteral("CSV 文件，UTF-8，逗号分隔 (*.csv)"); }
inline QString PdfFilter() { return QStringLiteral("PDF 文件 (*.pdf)"); }
inline QString NothingToExport() { return QStringLiteral("当前表格中没有可导出的内容。"); }
inline QString Exported(const QString& path) { return QStringLiteral("已导出到 ") + path; }
inline QString NothingToPrint() { return QStringLiteral("当前没有可打印的工序汇报记录。"); }
inline QString PrintHeadFailed() { return QStringLiteral("工序计划单的表头未能全部读取，只打印其编号——"); }
inline QString PrintTitle() { return QStringLiteral("打印工序汇报记录"); }
inline QString SavePdfTitle() { return QStringLiteral("保存为 PDF"); }
inline QString SavePdfCaption() { return QStringLiteral("保存为 PDF(&D)..."); }
inline QString PdfSaved(const QString& path) { return QStringLiteral("已保存到 ") + path; }

// The component's own statements through the host connection.
inline QString DefaultDeviceTypeSql() {
    return QStringLiteral("Select FinterID From t_SubMessage Where FtypeID=281 And Fid=0");
}
// Closes every work bill in status 1 or 2 whose passed quantity has reached the plan
// and that has no unaudited report; runs whenever the workbench is left.
inline QString CloseCompletedWorkBillsSql() {
    return QStringLiteral(
        "Update SHWorkBillEntry Set Fstatus = 3 Where Fstatus < 3 And Fstatus > 0 And "
        "FAuxQtyPass>=FauxQtyPlan And (SELECT Count(*) FROM SHProcRpt Where SHProcRpt.FWBInterID = "
        "SHWorkBillEntry.FWBInterID And SHProcRpt.Fstatus = 0) = 0");
}

// The toolbar and menu captions of the tools.
inline QString CaptionModeNew() { return QStringLiteral("录入"); }
inline QString CaptionModeEdit() { return QStringLiteral("修改"); }
inline QString CaptionFileSave() { return QStringLiteral("保存"); }
inline QString CaptionEditDel() { return QStringLiteral("删除"); }
inline QString CaptionAudit() { return QStringLiteral("审核"); }
inline QString CaptionUnAudit() { return QStringLiteral("反审核"); }
inline QString CaptionRefresh() { return QStringLiteral("刷新"); }
inline QString CaptionEditView() { return QStringLiteral("查看"); }
inline QString CaptionFilter() { return QStringLiteral("过滤"); }
inline QString CaptionCtlChk() { return QStringLiteral("检查"); }
inline QString CaptionCtlCreate() { return QStringLiteral("生成检验单"); }
inline QString CaptionCtlDel() { return QStringLiteral("删除检验单"); }
inline QString CaptionFileExit() { return QStringLiteral("退出"); }
inline QString CaptionFileExport() { return QStringLiteral("导出(&X)..."); }
inline QString CaptionFilePrint() { return QStringLiteral("打印(&P)..."); }
inline QString CaptionListWC() { return QStringLiteral("工作中心"); }
inline QString CaptionListTask() { return QStringLiteral("生产任务单"); }
inline QString CaptionFileHelp() { return QStringLiteral("帮助主题(&C)"); }
inline QString CaptionSetupWB() { return QStringLiteral("工票列设置(&W)"); }
inline QString CaptionSetupRpt() { return QStringLiteral("汇报列设置(&R)"); }
inline QString CaptionSummary() { return QStringLiteral("汇报汇总(&S)..."); }

}  // namespace sp::WorkbenchTexts
