#include "src/workbench/ReportGridEvents.h"

#include "src/common/IgnoreErrors.h"
#include "src/workbench/frmProc.h"

namespace sp {

void ReportGridEvents::OnEditorOpens(int row, int col) {
    IgnoreErrors([&] { form_.Parts().ReportEditorOpens(row, col); });
    // No record is audited or deleted while one of its cells is being edited.
    IgnoreErrors([&] { form_.UpdateCommandStates(); });
}

void ReportGridEvents::OnEditorCloses(int row, int col) {
    IgnoreErrors([&] { form_.Parts().ReportEditorCloses(row, col); });
    IgnoreErrors([&] { form_.UpdateCommandStates(); });
}

void ReportGridEvents::OnCurrentCellChanged(int newRow, int newCol, int oldRow, int oldCol) {
    form_.CurrentCellChange(newRow, newCol, oldRow, oldCol);
}

void ReportGridEvents::OnKeyDown(int& keyCode, int shift) {
    IgnoreErrors([&] { form_.Parts().ReportKeyDown(keyCode, shift); });
}

void ReportGridEvents::OnSelectionChanged(int /*firstRow*/, int /*rowCount*/) {
    IgnoreErrors([&] { form_.UpdateCommandStates(); });
}

void ReportGridEvents::OnColumnResized(int col) {
    if (col > 1)
        IgnoreErrors([&] { form_.Parts().SaveReportColumnWidth(col); });
}

bool ReportGridEvents::OnColumnMoving(int from, int to) {
    return ValueOrEmpty<bool>([&] { return form_.ReportColumnMoving(from, to); });
}

void ReportGridEvents::OnColumnMoved(int from, int to) {
    IgnoreErrors([&] { form_.ReportColumnMoved(from, to); });
}

}  // namespace sp
