#pragma once

#include <functional>

#include "src/controls/GridModel.h"

namespace sp {

class WorkBillList;

// What vlgList tells the workbench: row changes and column widths go to the list; a
// double click goes to whoever starts new report rows. A catch boundary: nothing
// thrown by a handler leaves the grid's event.
class WorkBillListEvents : public GridEventSink {
  public:
    explicit WorkBillListEvents(WorkBillList& list) : list_(list) {}

    std::function<void(int row, int col)> onDoubleClick;

    void OnSelectionChanged(int firstRow, int rowCount) override;
    void OnColumnResized(int col) override;
    void OnColumnMoved(int from, int to) override;
    void OnDoubleClick(int row, int col) override;

  private:
    WorkBillList& list_;
};

}  // namespace sp
