#pragma once

#include <QString>
#include <memory>
#include <mutex>
#include <set>

#include "platform/db/Database.h"
#include "platform/db/FuncTaskStore.h"
#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// The login object's function-conflict control ("VLLogin"), one per login session.
// taskexec takes a task for (subsystem, function, key = the extra argument as text):
// a task id >= 1, or 0 when another process or workstation holds the same triple.
// This process may take a triple it holds again; the triple is released when its
// last task id is committed, or when the session ends. How holders that die are
// released: docs/function-conflict.md.
class TaskControl : public ILoginObject {
  public:
    static std::shared_ptr<TaskControl> Create(std::shared_ptr<Database> db, qint32 userId);
    // Commits whatever the session still holds.
    ~TaskControl() override;

    qint32 taskexec(qint32& subsystemId, QString& functionId, const QString& computerName, qint16 mode,
                    qint16& arg1, qint16& arg2, const QVariant* extra) override;
    // True when the id was one of this session's open tasks.
    bool CommitTask(qint32 taskId) override;
    bool TaskStillHeld(qint32 taskId) override;
    // From the proof a read sent since then carried (FuncTaskStore::HoldProof).
    bool TaskHeldProvenSince(qint32 taskId, std::chrono::steady_clock::time_point since) override;
    bool RetakeTask(qint32 taskId) override;
    bool TaskReleased(qint32 taskId) override;

    // Task ids this session has not committed yet.
    int OpenTasks() const;

  private:
    TaskControl(std::shared_ptr<FuncTaskStore> store, qint32 userId);

    std::shared_ptr<FuncTaskStore> store_;
    qint32 userId_;
    mutable std::mutex mutex_;
    std::set<qint32> open_;
};

}  // namespace sp::platform
