#pragma once

#include <QString>
#include <QStringList>

// The summary window's own texts.
namespace sp::SummaryTexts {

inline QString Caption() { return QStringLiteral("汇报汇总"); }
inline QString FromLabel() { return QStringLiteral("期间:"); }
inline QString To() { return QStringLiteral("至:"); }
inline QString BasisLabel() { return QStringLiteral("按日期:"); }
inline QStringList BasisItems() { return {QStringLiteral("实际完工日期"), QStringLiteral("审核日期")}; }
inline QString GroupLabel() { return QStringLiteral("分组:"); }
inline QString ThenLabel() { return QStringLiteral("再按:"); }
// Indexed by the codes of SummaryBy.
inline QStringList GroupItems() {
    return {QStringLiteral("（无）"), QStringLiteral("操作工"),   QStringLiteral("班组"),
            QStringLiteral("设备"),   QStringLiteral("工作中心"), QStringLiteral("工序计划单"),
            QStringLiteral("物料")};
}
inline QString AuditedOnly() { return QStringLiteral("只汇总已审核的汇报(&A)"); }
inline QString ApplyFilter() { return QStringLiteral("应用工作台的过滤条件(&F)"); }
// The bounds of the window itself, F7 looks them up; indexed 0..5 from/to.
inline QStringList BoundLabels() {
    return {QStringLiteral("操作工:"), QStringLiteral("班组:"), QStringLiteral("设备:")};
}
inline QString QueryButton() { return QStringLiteral("汇总(&Q)"); }
inline QString BackButton() { return QStringLiteral("返回汇总(&B)"); }
inline QString ExportButton() { return QStringLiteral("导出(&X)..."); }
inline QString PrintButton() { return QStringLiteral("打印(&P)..."); }
inline QString CloseButton() { return QStringLiteral("关闭"); }
inline QString Hint() {
    return QStringLiteral(
        "双击汇总行列出其汇报记录；双击汇报记录在工作台中打开它。按F7查找操作工、班组和设备。");
}

// Columns.
inline QString Number(const QString& level) { return level + QStringLiteral("编号"); }
inline QString Name(const QString& level) { return level + QStringLiteral("名称"); }
inline QString TimeUnit() { return QStringLiteral("时间单位"); }
inline QString Reports() { return QStringLiteral("汇报数"); }
inline QStringList Quantities() {
    return {QStringLiteral("接收数"),     QStringLiteral("实作数"),     QStringLiteral("合格数"),
            QStringLiteral("遗失数"),     QStringLiteral("返修数"),     QStringLiteral("返修合格数"),
            QStringLiteral("因工报废数"), QStringLiteral("因料报废数"), QStringLiteral("移交数")};
}
inline QStringList Hours() {
    return {QStringLiteral("实作工时"), QStringLiteral("准备工时"), QStringLiteral("停电工时"),
            QStringLiteral("检修工时"), QStringLiteral("待料工时"), QStringLiteral("待工具工时")};
}
inline QString Fee() { return QStringLiteral("费用"); }
inline QString WorkBill() { return QStringLiteral("工序计划单"); }
inline QString Serial() { return QStringLiteral("汇报序号"); }
inline QString StartDate() { return QStringLiteral("实际开工日期"); }
inline QString EndDate() { return QStringLiteral("实际完工日期"); }
inline QString Worker() { return QStringLiteral("操作工"); }
inline QString Audit() { return QStringLiteral("审核"); }
inline QString AuditDate() { return QStringLiteral("审核日期"); }
inline QString Audited() { return QStringLiteral("已审核"); }
inline QString Unaudited() { return QStringLiteral("未审核"); }
inline QString Total() { return QStringLiteral("合计"); }
// A group whose reports mix time units: its hours stand in one row per unit below it.
inline QString MixedUnits() { return QStringLiteral("（见下）"); }

// Messages.
inline QString Failed() { return QStringLiteral("汇总未能完成："); }
inline QString NothingFound() { return QStringLiteral("所选期间内没有符合条件的汇报记录。"); }
inline QString BoundRefused() { return QStringLiteral("编号中不能包含 ' | # 字符。"); }

// Export and print.
inline QString FileName() { return QStringLiteral("汇报汇总"); }
inline QString ReportsFileName() { return QStringLiteral("汇报汇总明细"); }
inline QString ExportTitle() { return QStringLiteral("导出汇报汇总"); }
inline QString PrintTitle() { return QStringLiteral("打印汇报汇总"); }
inline QString HeadPeriod() { return QStringLiteral("期间："); }
inline QString HeadBasis() { return QStringLiteral("日期："); }
inline QString HeadGrouping() { return QStringLiteral("分组："); }
inline QString HeadAudited() { return QStringLiteral("汇报："); }
inline QString HeadFilter() { return QStringLiteral("工作台过滤条件："); }
inline QString HeadGroup() { return QStringLiteral("汇总行："); }
inline QString AllReports() { return QStringLiteral("全部"); }
inline QString Applied() { return QStringLiteral("已应用"); }
inline QString NotApplied() { return QStringLiteral("未应用"); }

inline QString XlsxFilter() { return QStringLiteral("Excel 工作簿 (*.xlsx)"); }
inline QString CsvFilter() { return QStringLiteral("CSV 文件，UTF-8，逗号分隔 (*.csv)"); }
inline QString PdfFilter() { return QStringLiteral("PDF 文件 (*.pdf)"); }
inline QString Exported(const QString& path) { return QStringLiteral("已导出到 ") + path; }
inline QString SavePdfTitle() { return QStringLiteral("保存为 PDF"); }
inline QString SavePdfCaption() { return QStringLiteral("保存为 PDF(&D)..."); }
inline QString PdfSaved(const QString& path) { return QStringLiteral("已保存到 ") + path; }

// The section of the workbench's settings file that keeps the last choices and size.
inline QString Section() { return QStringLiteral("Summary"); }

}  // namespace sp::SummaryTexts
