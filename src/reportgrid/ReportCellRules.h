#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

#include "src/reportgrid/ReportColumns.h"
#include "src/state/WorkbenchState.h"

namespace sp {

// What the clerk may do in the record grid vlgProc and what follows from it: which
// cell is editable (the one rule every editing path asks), the rules that run when a
// cell's text changed, the resolution of typed team, worker and device numbers when
// the cursor leaves their cell, the fee that follows the quantity, and Enter and Down.
class ReportCellRules {
  public:
    explicit ReportCellRules(WorkbenchState& state);

    // By mode, right, audit state, the work bill's settings and quality inspection.
    // False whenever the answer cannot be had (a failing service call).
    bool CanEditReportCell(int row, int col);
    // Whether the work bill's passed and scrapped quantities come from the quality
    // inspection (full or sampling).
    bool IsQualityInspected(const QString& workBillNo);
    // The fee follows the received (outsourced work) or the finished quantity while it
    // still is unit fee times the quantity before the edit, at the fee's precision.
    void RecalcReportFee(int row, int col, double quantityBefore);

    // The grid's events.
    void OnEditorOpens(int row, int col);
    void OnEditorCloses(int row, int col);
    // The cursor moved from the old cell to the new one, or stays to commit an open
    // editor: the old cell's text is committed and resolved, the new one locked or
    // unlocked by CanEditReportCell.
    void OnCurrentCellChange(int newRow, int newCol, int oldRow, int oldCol);
    // Enter moves over editable cells only; Down on the last row's filled work bill
    // cell adds a row. keyCode 0 swallows the key.
    void OnKeyDown(int& keyCode, int shift);
    // The first visible row and column change just enough to show the cell.
    void ScrollCellIntoView(int row, int col);

    std::optional<ReportCode> CodeAt(int col) const;

    // A row just prepared for a work bill that takes reports (asked as its number was
    // given): its settings are read under the row's task and kept as for any cell.
    void KeepSettings(int row, const QString& workBillNo) { Held(row, workBillNo, true); }

  private:
    // The settings of the row's work bill: kept while this workstation's task guards
    // that work bill (WorkbenchState::heldWorkBills), else read each time.
    WorkbenchState::HeldWorkBill InfoOf(int row, const QString& workBillNo);
    // The kept settings of the work bill when the row's task guards it (read now when
    // not kept yet and `read`), else null.
    WorkbenchState::HeldWorkBill* Held(int row, const QString& workBillNo, bool read);
    bool QualityInspected(int row, const QString& workBillNo);
    // A work bill number typed into a new row.
    void TypedWorkBill(int row);
    void ResolveTeam(int row);
    void ResolveWorker(int row);
    void ResolveDevice(int row);
    // The worker of another team leaves the row.
    void DropWorkerOfOtherTeam(int row);
    void EmptyRowBesidesWorkBill(int row);
    void Changed();

    WorkbenchState& state_;
    QString textBeforeEditing_;
};

}  // namespace sp
