// The column settings commands of both grids and the reorder of the record grid's
// columns by dragging a header.

#include <functional>

#include "src/common/IgnoreErrors.h"
#include "src/common/Ui.h"
#include "src/entry/HostServices.h"
#include "src/settings/ColumnLayout.h"
#include "src/settings/frmSetCol.h"
#include "src/workbench/Texts.h"
#include "src/workbench/WorkbenchToolbar.h"
#include "src/workbench/frmProc.h"

namespace sp {
namespace {

namespace T = WorkbenchTexts;
using ColumnLayout::Position;

constexpr int kListFixedCols = 5;    // identify the work bill; never offered nor moved
constexpr int kReportFixedCols = 2;  // the selection column and the work bill number

// The record grid's columns that hold a code, from column 3 on, as the grid shows them
// now: position = column - 2.
QVector<Position> ReportPositions(const GridModel& grid) {
    QVector<Position> positions;
    for (int col = kReportFixedCols + 1; col <= grid.Cols(); ++col) {
        const QString field = grid.CellKey(1, col);
        if (!field.isEmpty())
            positions.append({field, col - kReportFixedCols, grid.ColumnVisible(col)});
    }
    return positions;
}

// The internal id columns are never shown, whatever their row says: not offered.
bool OfferedReportField(const QString& field) {
    return field.compare(QStringLiteral("GPZH"), Qt::CaseInsensitive) != 0 &&
           field.compare(QStringLiteral("GXH"), Qt::CaseInsensitive) != 0;
}

// Shows the dialog with its first item current; true when the clerk confirmed it.
bool Confirmed(Ui& ui, frmSetCol& dialog) {
    if (dialog.ItemCount() > 0)
        dialog.SetCurrentIndex(0);
    dialog.SetCmdEnable();
    ui.ShowModal(dialog);
    return dialog.SelOK();
}

// What a confirmed dialog asks for: the user's rows deleted (the default layout comes
// back) or every position stored.
void StoreChoice(HostServices& host, const QString& type, qint32 userId, const frmSetCol& dialog,
                 const std::function<QVector<Position>()>& positions) {
    if (dialog.chkDefault())
        ColumnLayout::Restore(host, type, userId);
    else
        ColumnLayout::StoreOrder(host, type, userId, positions());
}

}  // namespace

void frmProc::SetupListColumnsCommand() {
    // The reload at the end drops edits of the loaded work bill: asked first, once.
    if (!ConfirmLeaveWorkBill())
        return;
    frmSetCol dialog;
    for (int col = kListFixedCols + 1; col <= vlgList_.Cols(); ++col)
        dialog.AddItem(vlgList_.CellText(1, col), col, vlgList_.ColumnVisible(col));
    if (!Confirmed(ui_, dialog))
        return;
    StoreChoice(host_, ColumnLayout::WorkBillType(), state_.userId, dialog, [&] {
        QVector<Position> positions;
        const auto field = [&](int col) { return state_.listFields.value(col - 1); };
        for (int col = 1; col <= std::min(kListFixedCols, vlgList_.Cols()); ++col)
            positions.append({field(col), col, vlgList_.ColumnVisible(col)});
        int col = kListFixedCols;
        for (const frmSetCol::Item& item : dialog.Items())
            positions.append({field(item.data), ++col, item.checked});
        return positions;
    });
    // Whatever was stored (all of it or, after a failure, nothing) is what the list
    // shows: the columns are set up again from the store and the rows reloaded.
    leaveConfirmed_ = true;
    IgnoreErrors([&] {
        WaitCursor wait(ui_);
        parts_->SetupListGrid();
        parts_->RefreshWorkBillList();
    });
    leaveConfirmed_ = false;
}

void frmProc::SetupReportColumnsCommand() {
    if (barProc_.Enabled(Tool::FileSave()) && !AskYesNo(ui_, T::ReportLayoutQuestion()))
        return;
    frmSetCol dialog;
    QVector<Position> hidden;  // coded columns not offered keep their place after the others
    for (int col = kReportFixedCols + 1; col <= vlgProc_.Cols(); ++col) {
        const QString field = vlgProc_.CellKey(1, col);
        if (field.isEmpty())
            continue;
        if (OfferedReportField(field))
            dialog.AddItem(vlgProc_.CellText(1, col), col, vlgProc_.ColumnVisible(col));
        else
            hidden.append({field, 0, false});
    }
    if (!Confirmed(ui_, dialog))
        return;
    StoreChoice(host_, ColumnLayout::ReportType(), state_.userId, dialog, [&] {
        QVector<Position> positions;
        int order = 0;
        for (const frmSetCol::Item& item : dialog.Items())
            positions.append({vlgProc_.CellKey(1, item.data), ++order, item.checked});
        for (Position p : hidden) {
            p.order = ++order;
            positions.append(p);
        }
        return positions;
    });
    ReloadReportColumns();
}

void frmProc::ReloadReportColumns() {
    // Every task goes with the rows and the history (SetupReportColumns lets the rows'
    // tasks go, the history load its own); unsaved rows are lost, as the clerk agreed.
    IgnoreErrors([&] {
        WaitCursor wait(ui_);
        parts_->SetupReportColumns();
        state_.modified = false;
        parts_->LoadReportHistory(0);
    });
    UpdateCommandStates();
}

bool frmProc::ReportColumnMoving(int /*from*/, int /*to*/) {
    // Unsaved rows would go with the reload that a stored order needs: asked first.
    reloadAfterMove_ = barProc_.Enabled(Tool::FileSave());
    return !reloadAfterMove_ || AskYesNo(ui_, T::ReportLayoutQuestion());
}

void frmProc::ReportColumnMoved(int /*from*/, int /*to*/) {
    const bool stored =
        ColumnLayout::StoreOrder(host_, ColumnLayout::ReportType(), state_.userId, ReportPositions(vlgProc_));
    // Stored with nothing unsaved: the cells moved with their column, so only the
    // column of each code changes. Otherwise the grid is set up again from the store.
    if (stored && !reloadAfterMove_)
        IgnoreErrors([&] { parts_->ReportColumnsMoved(); });
    else
        ReloadReportColumns();
    reloadAfterMove_ = false;
}

}  // namespace sp
