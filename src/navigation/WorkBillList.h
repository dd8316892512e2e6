#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace sp {

class LoadProgress;
class Recordset;
struct WorkbenchState;

// The work bill list vlgList: its columns from the user's layout, its rows from the
// filter (or a tree node), and the hand-over of the current row's work bill to the
// record grid. Column 5 holds the work bill number as text and FWBinterID as value.
//
// Keep one instance per workbench: it knows when a row change is its own doing (the
// row it selects after a fill) so the grid's notification is not handled twice.
class WorkBillList {
  public:
    // Width in twips of a text in the list's font.
    using TextWidth = std::function<double(const QString&)>;

    explicit WorkBillList(WorkbenchState& state);
    // Measures texts in the window's font; without one, an estimate per character.
    void SetTextWidth(TextWidth textWidth);

    void SetupListGrid();
    void LoadListColumns();
    // Reloads from dicFilter. In edit mode with unsaved changes the user is asked
    // first; a No keeps list and grid as they are (and counts as loaded). False when the
    // list was not loaded: with the service's reason when the work bills could not be
    // read, without one when the clerk cancelled the load (the state's loadCancelled).
    // Either way the list is left empty and lblList says why.
    bool RefreshWorkBillList(QString* failure = nullptr);
    // Shows a work bill recordset: header only, rows, lock, hide when empty, else
    // select row 2 and hand it over; then the record grid's colours. Without a progress
    // of the caller's, the fill's own counts the load's half second. False when the
    // clerk cancelled: the list is empty then, and nothing is handed over.
    bool ShowWorkBills(Recordset& records, bool wcArrangement, LoadProgress* progress = nullptr);
    // False when the progress was cancelled: the rows filled so far stay for the caller
    // to drop.
    bool FillWorkBillRows(Recordset& records, bool wcArrangement, LoadProgress* progress = nullptr);

    // Selects a data row and makes its work bill the current one, even when the row
    // was current already.
    void SelectRow(int row);
    // Selects the row of a work bill number (letter case ignored) when the list holds
    // it; false, and nothing changed, otherwise.
    bool SelectWorkBill(const QString& workBillNo);

    // The grid's notifications: 4608 row change (coord = new row), 514 column width
    // change (coord = column). Others are ignored.
    void OnGridNotify(int code, int coord);
    void OnRowChange(int newRow);
    void OnColumnResized(int col);
    // A header was dragged and its column moved with its cells: the fields follow and
    // the order is stored. When the store fails the list is set up again from it.
    void OnColumnMoved(int from, int to);

    // Whether leaving the current work bill may drop unsaved edits; asks when needed.
    bool MayLeaveWorkBill();

    static QString TextBeforeTab(const QString& text);
    // Quantity, fee and time fields, shown right-aligned.
    static bool IsRightAligned(const QString& field);

    bool ButtonPressed(const QString& tool) const;

  private:
    struct WorkBillNames;
    struct ListColumn;
    // The text of a list cell of the current record.
    QString CellOf(const Recordset& records, const ListColumn& column, WorkBillNames& names);
    // A number column stored without a width fits the longest number of the first rows.
    void FitNumberColumn();
    static double EstimatedTextWidth(const QString& text);
    // Hands row over whatever the current list row is: row 1 first, then row.
    void HandOver(int row);
    void SelectWithoutHandOver(int row);

    WorkbenchState& state_;
    TextWidth textWidth_;
    bool numberColumnStored_ = false;
    bool selecting_ = false;
    bool leaveConfirmed_ = false;
};

}  // namespace sp
