#pragma once

#include <QString>
#include <QtGlobal>

namespace sp {

struct WorkbenchState;

// New report rows of the record grid in new mode: a row that receives a work bill
// number takes the work bill's function-conflict task and is filled with the service's
// proposal for the next report.
class NewReportRows {
  public:
    explicit NewReportRows(WorkbenchState& state);

    // Fills the row whose work bill cell holds a number: the next serial above both the
    // database's and the grid's for that work bill, the server's date, the biller, the
    // proposals, zeros, the quantity format, team, worker and device. Sets the modified
    // flag. Steps that fail leave their cells empty.
    void PrepareNewReportRow(int row);

    // Gives the row the task of the work bill with that internal id: the new task is
    // taken first and only then is the row's old one let go, so a row never shows a work
    // bill whose task it does not hold. On a conflict the error's description is shown,
    // the row keeps its old task, and the answer is false.
    bool TakeWorkBill(int row, qint32 interId);

    // The picked work bill, which the caller found to take reports, goes into the row: its
    // task, its number, the proposal, its settings kept. False
    // (and the row unchanged) when its task cannot be had.
    bool PutWorkBill(int row, const QString& workBillNo);

    // A double click on a list row in new mode: the first row without a work bill (or a
    // new one) takes the work bill and is prepared; the cursor goes to its work bill cell.
    // False when the work bill is held elsewhere (after the message).
    bool StartReportForWorkBill(const QString& workBillNo, qint32 interId);

    // One empty row more at the end, with its entries of the row lists, painted.
    void AddEmptyRow();

  private:
    WorkbenchState& state_;
};

}  // namespace sp
