#include "src/workbench/ReportGridEvents.h"

#include "src/common/IgnoreErrors.h"
#include "src/workbench/frmProc.h"

namespace sp {

void ReportGridEvents::OnEditorOpens(int row, int col) {
    textBeforeEditing_ = ValueOrEmpty<QString>([&] { return form_.vlgProc().CellText(row, col); });
    // No record is audited or deleted while one of its cells is being edited.
    IgnoreErrors([&] { form_.UpdateCommandStates(); });
}

void ReportGridEvents::OnEditorCloses(int row, int col) {
    IgnoreErrors([&] {
        const QString text = form_.vlgProc().CellText(row, col);
        if (text.compare(textBeforeEditing_, Qt::CaseInsensitive) == 0)
            return;
        WorkbenchState& state = form_.State();
        if (!state.modified)
            state.modified = true;
    });
    IgnoreErrors([&] { form_.UpdateCommandStates(); });
}

void ReportGridEvents::OnCurrentCellChanged(int newRow, int newCol, int oldRow, int oldCol) {
    form_.CurrentCellChange(newRow, newCol, oldRow, oldCol);
}

void ReportGridEvents::OnSelectionChanged(int /*firstRow*/, int /*rowCount*/) {
    IgnoreErrors([&] { form_.UpdateCommandStates(); });
}

void ReportGridEvents::OnColumnResized(int col) {
    if (col > 1)
        IgnoreErrors([&] { form_.Parts().SaveReportColumnWidth(col); });
}

}  // namespace sp
