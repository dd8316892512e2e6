#include "src/navigation/WorkBillListEvents.h"

#include "src/common/IgnoreErrors.h"
#include "src/navigation/WorkBillList.h"

namespace sp {

void WorkBillListEvents::OnSelectionChanged(int firstRow, int /*rowCount*/) {
    IgnoreErrors([&] { list_.OnGridNotify(GridNotify::SelectionChanged, firstRow); });
}

void WorkBillListEvents::OnColumnMoved(int from, int to) {
    IgnoreErrors([&] { list_.OnColumnMoved(from, to); });
}

void WorkBillListEvents::OnColumnResized(int col) {
    IgnoreErrors([&] { list_.OnGridNotify(GridNotify::ColumnResized, col); });
}

void WorkBillListEvents::OnDoubleClick(int row, int col) {
    IgnoreErrors([&] {
        if (onDoubleClick)
            onDoubleClick(row, col);
    });
}

}  // namespace sp
