#include "src/reportgrid/ReportRowLocks.h"

#include <QHash>
#include <QSet>

#include "src/common/IgnoreErrors.h"
#include "src/controls/GridModel.h"
#include "src/entry/HostServices.h"
#include "src/reportgrid/ReportCells.h"
#include "src/reportgrid/Texts.h"
#include "src/state/WorkbenchState.h"

namespace sp {

std::function<QString()> WorkBillStamp(HostServices& host, qint32 interId) {
    return [&host, interId] { return host.NewMShopProc()->GetWorkBillStamp(host.PropsString(), interId); };
}

ReportRowLocks::ReportRowLocks(WorkbenchState& state) : state_(state) {}

void ReportRowLocks::AcquireRowLock(int row, qint32 interId) {
    QVector<qint32>& locks = state_.rowLocks;
    if (row < 2)
        return;
    if (locks.size() <= row)
        locks.resize(row + 1);

    // Only rows that hold a task can share it; asking about the others could only
    // ever copy a 0 and leave this row unguarded.
    const ReportCells cells(state_);
    QHash<QString, qint32> idByNumber;
    for (int i = 2; i < locks.size(); ++i) {
        if (i == row || locks[i] == 0)
            continue;
        const QString number = cells.Text(i, ReportCode::GPH);
        if (number.isEmpty())
            continue;
        auto known = idByNumber.constFind(number);
        if (known == idByNumber.cend()) {
            qint32 id = 0;
            const bool asked = IgnoreErrors([&] {
                const QString props = state_.host->PropsString();
                id = state_.host->NewMShopProc()->GetWorkBillInterID(props, number);
            });
            if (!asked)
                continue;
            known = idByNumber.insert(number, id);
        }
        if (*known == interId) {
            locks[row] = locks[i];
            return;
        }
    }
    locks[row] = state_.host->ExecFunc(ReportTexts::ConflictSubsystem, ReportTexts::ConflictFunction(), 0, 0,
                                       QVariant(interId), WorkBillStamp(*state_.host, interId));
}

void ReportRowLocks::ReleaseRowLock(int row) {
    QVector<qint32>& locks = state_.rowLocks;
    if (row < 2 || row >= locks.size() || locks[row] == 0)
        return;
    qint32 task = locks[row];
    locks[row] = 0;
    for (int i = 2; i < locks.size(); ++i)
        if (locks[i] == task)
            return;  // another row still needs the task
    state_.heldWorkBills.remove(task);
    state_.host->EndFunc(task);
}

void ReportRowLocks::SwitchRowLock(int row, qint32 interId) {
    QVector<qint32>& locks = state_.rowLocks;
    if (row < 2)
        return;
    if (locks.size() <= row)
        locks.resize(row + 1);
    qint32 old = locks[row];
    // Out of the way while the new task is found, so the row cannot share its own old
    // task with itself; a process may take a task it holds again.
    locks[row] = 0;
    try {
        AcquireRowLock(row, interId);
    } catch (...) {
        locks[row] = old;
        throw;
    }
    if (old == 0 || old == locks[row])
        return;
    for (int i = 2; i < locks.size(); ++i)
        if (locks[i] == old)
            return;  // another row still needs it
    state_.host->EndFunc(old);
}

void ReportRowLocks::ReleaseAllRowLocks() {
    state_.heldWorkBills.clear();
    for (int r = 2; r < state_.rowLocks.size(); ++r)
        if (state_.rowLocks[r] != 0)
            IgnoreErrors([&] { ReleaseRowLock(r); });
}

void ReportRowLocks::RestampAll() {
    // The held work bills' settings stay: a report written, audited or deleted changes
    // none of them.
    QSet<qint32> tasks(state_.rowLocks.cbegin(), state_.rowLocks.cend());
    tasks.insert(state_.historyTaskId);
    tasks.remove(0);
    for (const qint32 task : tasks) state_.host->RestampTask(task);
}

}  // namespace sp
