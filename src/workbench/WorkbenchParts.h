#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>

#include "src/controls/TablePrint.h"

namespace sp {

// The parts of the workbench that act on its shared state: the record grid's columns,
// history and row locks, the work bill list and tree, and the work bill queries.
// frmProc reaches them only through here, so its own rules can be exercised with a
// recording stand-in.
class WorkbenchParts {
  public:
    virtual ~WorkbenchParts() = default;

    // Record grid.
    virtual void SetupReportColumns() = 0;
    virtual void LoadReportHistory(int showFilter) = 0;
    virtual void PaintReportGrid() = 0;
    virtual void ReleaseRowLock(int row) = 0;
    // Grid column of a report column code; 0 when the layout has none.
    virtual int ReportColumn(const QString& code) const = 0;
    // "" for column 1 and for a column without a code.
    virtual QString GetReportColumnCode(int col) const = 0;
    // A column of vlgProc was resized by the user.
    virtual void SaveReportColumnWidth(int col) = 0;
    // Columns of vlgProc were moved with their cells: each code's column is read again.
    virtual void ReportColumnsMoved() = 0;

    // Record grid cells: the one editability rule, and the grid's events it handles.
    virtual bool CanEditReportCell(int row, int col) = 0;
    virtual void ReportEditorOpens(int row, int col) = 0;
    virtual void ReportEditorCloses(int row, int col) = 0;
    // Commits and resolves the old cell, locks or unlocks the new one.
    virtual void ReportCellChange(int newRow, int newCol, int oldRow, int oldCol) = 0;
    // Enter and Down; keyCode 0 swallows the key.
    virtual void ReportKeyDown(int& keyCode, int shift) = 0;
    // A picked work bill goes into the row (its task, number and proposal); false, with
    // the row unchanged, when its task cannot be had.
    virtual bool PutWorkBill(int row, const QString& workBillNo) = 0;

    // Saves the unaudited rows (checks, records, the service); true when stored.
    virtual bool SaveReports() = 0;
    enum class RecordCommand { Audit, UnAudit, Delete };
    // Audits, unaudits or deletes the current row or the selected rows.
    virtual void RunRecordCommand(RecordCommand command) = 0;

    // Work bill list and tree.
    virtual void SetupListGrid() = 0;
    // Reloads the list from the filter (and the tree along with it). False, with the
    // reason, when the list could not be loaded: it then stays as it was.
    virtual bool RefreshWorkBillList(QString* failure = nullptr) = 0;
    virtual void LocateWorkBill(const QString& workBillNo) = 0;
    // A typed work bill: its list row is selected when the list holds it; tree and list
    // are left as they are otherwise.
    virtual void SelectListedWorkBill(const QString& workBillNo) = 0;
    // Fills the tree again in the arrangement now checked.
    virtual void FillTree() {}
    // The list of reportable work bills to pick from; the picked work bill's number, or
    // "" when the clerk picked nothing.
    virtual QString PickWorkBillNumber() = 0;

    // The record grid for the printer, one head per work bill with its rows and totals;
    // nullopt when no row names a work bill. A head that cannot be read is printed with
    // the number alone and failure names the reason.
    virtual std::optional<Printout> ReportPrintout(QString* /*failure*/) { return std::nullopt; }
    // Work bill queries.
    virtual bool IsExistWB(const QString& workBillNo, bool showMessage) = 0;
    virtual QString GetWBNO(qint32 wbInterId) = 0;
};

}  // namespace sp
