#pragma once

#include <QString>
#include <functional>

namespace sp {

struct WorkbenchState;
class HostServices;

// Reads the stamp of the work bill a task guards (IMShopProc::GetWorkBillStamp).
std::function<QString()> WorkBillStamp(HostServices& host, qint32 interId);

// The function-conflict tasks that new report rows hold for their work bills
// (WorkbenchState::rowLocks, by grid row). Rows of one work bill share one task; the
// task is committed when its last row lets it go.
class ReportRowLocks {
  public:
    explicit ReportRowLocks(WorkbenchState& state);

    // Gives the row the task of its work bill: another row's task for the same work
    // bill, or a new one. A conflict with another user raises (ComError 16390) and
    // leaves the row's entry as it was.
    void AcquireRowLock(int row, qint32 interId);
    // Lets the row's task go; commits it when no other row holds it.
    void ReleaseRowLock(int row);
    // Moves the row to the work bill with that internal id: the new task is taken before
    // the old one is let go, so the row is never without the task of the work bill it
    // shows. A conflict raises and leaves the row with its old task.
    void SwitchRowLock(int row, qint32 interId);
    // Every row lets go (a reload, a new layout, unload). Failures are skipped.
    void ReleaseAllRowLocks();
    // After a write: every task the workbench holds takes its work bill's state as it is.
    void RestampAll();

  private:
    WorkbenchState& state_;
};

}  // namespace sp
