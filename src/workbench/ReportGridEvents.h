#pragma once

#include <QString>

#include "src/controls/GridModel.h"

namespace sp {

class frmProc;

// What the workbench hears from its record grid vlgProc: the cell rules of the parts
// (editor, cursor, keys), and the command and status rules after selection and cursor
// moves. Handlers ignore errors statement by statement, as every grid event of the
// workbench does.
class ReportGridEvents : public GridEventSink {
  public:
    explicit ReportGridEvents(frmProc& form) : form_(form) {}

    void OnEditorOpens(int row, int col) override;
    void OnEditorCloses(int row, int col) override;
    void OnCurrentCellChanged(int newRow, int newCol, int oldRow, int oldCol) override;
    void OnKeyDown(int& keyCode, int shift) override;
    void OnSelectionChanged(int firstRow, int rowCount) override;
    void OnColumnResized(int col) override;
    bool OnColumnMoving(int from, int to) override;
    void OnColumnMoved(int from, int to) override;

  private:
    frmProc& form_;
};

}  // namespace sp
