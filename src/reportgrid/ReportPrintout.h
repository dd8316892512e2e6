#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>

#include "src/controls/GridExport.h"
#include "src/controls/TablePrint.h"

namespace sp {

struct WorkbenchState;

// What a printout of the record grid holds: the rows as the grid shows them (without
// the selection column, which only the screen has), one section per work bill with
// that work bill's head, the columns that get a total, and who printed it when.
struct ReportPrintout {
    struct Head {
        QString number;      // 工序计划单号
        QString task;        // 生产任务单号
        QString item;        // number, name and model of the item
        QString operation;   // 工序
        QString workCenter;  // 工作中心
        QString planned;     // 计划数量
    };
    struct Section {
        Head head;
        QVector<int> rows;  // indexes into grid.rows, in grid order
    };
    GridSnapshot grid;
    QVector<Section> sections;
    QVector<int> totalled;  // columns of grid with a total under each section
    QString user;
    QDateTime printedAt;
};

// The record grid as printed: its shown rows grouped by work bill in the order each
// work bill first appears (new mode may hold several, edit mode holds one), each work
// bill's head read from the service, and a total under every quantity and hour
// column (not under the cumulative columns, whose rows repeat one running figure).
// A head that cannot be read keeps the number alone; failure then names the reason.
ReportPrintout BuildReportPrintout(WorkbenchState& state, QString* failure = nullptr);

// The printout for the printer: per work bill a title, its head, the rows, a total
// line under the totalled columns ("合计" in the first), and who printed it when. The
// work bill number and serial columns lead every page band of a sheet too wide for a page.
Printout ToPrintout(const ReportPrintout& printout);

// The text of a column's total in the column's display format.
QString TotalText(const GridSnapshot& grid, const ReportPrintout::Section& section, int column);

}  // namespace sp
