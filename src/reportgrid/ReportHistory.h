#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "src/common/Dictionary.h"
#include "src/reportgrid/ReportColumns.h"

namespace sp {

class LoadProgress;
struct WorkbenchState;

// Loads the record grid: in new mode a header and 10 empty rows for new reports, in
// edit mode the stored reports of the current work bill under the work bill's
// function-conflict task. Every load lets go of the tasks held before it.
class ReportHistory {
  public:
    // Asks the user for a record filter; null when cancelled.
    using RecordFilterDialog = std::function<DictionaryPtr()>;

    explicit ReportHistory(WorkbenchState& state);

    // By default the record info filter dialog is shown through the screen.
    void SetRecordFilterDialog(RecordFilterDialog dialog) { filterDialog_ = std::move(dialog); }

    // showFilter 1 asks for a record filter first (edit mode only).
    void LoadReportHistory(int showFilter);

    // " PR.FSerial =  3", "  PR.FMemo Like '%x%' ESCAPE '!'", both joined by " OR"; empty
    // for no filter or a cancelled dialog.
    static QString HistoryFilterText(const DictionaryPtr& result);
    // The quoted work bill number, then " And (filter)" when there is a filter.
    static QString HistoryCondition(const QString& workBillNo, const QString& filterText);
    // The history query's expressions in the grid's column order, from column 2.
    QString SelectList() const;

  private:
    QString AskRecordFilter();
    enum class Loaded { Rows, InUse, Failed, Cancelled };
    // Fills the edit mode rows. InUse when another user holds the work bill; Failed when
    // the work bill or its records could not be read, with the reason in failure;
    // Cancelled when the clerk cancelled: no row stays and the work bill's task is let go.
    Loaded LoadRecords(const QString& filterText, QString& failure, LoadProgress& progress);
    class MiddleTier;
    // codes: the code of each grid column from 2 on (none for a column without one).
    void FillRow(int row, const std::vector<std::optional<ReportCode>>& codes, const QStringList& fields,
                 const QString& serial, MiddleTier& middleTier);
    std::vector<std::optional<ReportCode>> ColumnCodes() const;

    WorkbenchState& state_;
    RecordFilterDialog filterDialog_;
};

}  // namespace sp
