#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <utility>

#include "src/common/Recordset.h"
#include "src/middletier/SummaryInterfaces.h"

namespace sp {

class GridModel;

// The summary's figures as grids, in the number formats of the record grid: one row per
// group with its name columns, the count, the nine quantities, the time unit, the six
// hours and the fee, then a totals row. Hours are never added across time units: a
// group (and the totals) whose reports mix units shows its hours in one row per unit
// below it.
class SummaryTable {
  public:
    // The summary grid from GetWorkProcRptSummary's rows; answers the number of groups.
    static int FillSummary(GridModel& grid, const RecordsetPtr& rs, SummaryBy by1, SummaryBy by2);
    // The group of a summary grid row (keys 1 and 2); nullopt for a totals row.
    static std::optional<std::pair<qint32, qint32>> GroupOf(const GridModel& grid, int row);
    // The report list from GetWorkProcRptSummaryList's rows.
    static void FillReports(GridModel& grid, const RecordsetPtr& rs);
    // The work bill id and serial of a report list row; nullopt for none.
    static std::optional<std::pair<qint32, qint32>> ReportOf(const GridModel& grid, int row);
};

}  // namespace sp
