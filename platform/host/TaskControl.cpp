#include "platform/host/TaskControl.h"

#include "src/common/Basic.h"
#include "src/common/IgnoreErrors.h"

namespace sp::platform {

std::shared_ptr<TaskControl> TaskControl::Create(std::shared_ptr<Database> db, qint32 userId) {
    return std::shared_ptr<TaskControl>(new TaskControl(FuncTaskStore::For(db), userId));
}

TaskControl::TaskControl(std::shared_ptr<FuncTaskStore> store, qint32 userId)
    : store_(std::move(store)), userId_(userId) {}

TaskControl::~TaskControl() {
    for (const qint32 id : open_) IgnoreErrors([&] { store_->Release(id); });
}

qint32 TaskControl::taskexec(qint32& subsystemId, QString& functionId, const QString& computerName,
                             qint16 mode, qint16& arg1, qint16& arg2, const QVariant* extra) {
    // The holder is this process on this machine; the host's computer name, the mode
    // and the two integers do not change what is held.
    Q_UNUSED(computerName);
    Q_UNUSED(mode);
    Q_UNUSED(arg1);
    Q_UNUSED(arg2);
    const QString key = extra ? Basic::Text(*extra) : QString();
    const qint32 id = store_->Acquire(subsystemId, functionId, key, userId_);
    if (id > 0) {
        std::lock_guard lock(mutex_);
        open_.insert(id);
    }
    return id;
}

bool TaskControl::CommitTask(qint32 taskId) {
    {
        std::lock_guard lock(mutex_);
        if (open_.erase(taskId) == 0)
            return false;
    }
    return store_->Release(taskId);
}

bool TaskControl::TaskStillHeld(qint32 taskId) {
    {
        std::lock_guard lock(mutex_);
        if (!open_.count(taskId))
            return false;
    }
    return store_->StillHeld(taskId);
}

bool TaskControl::TaskHeldProvenSince(qint32 taskId, std::chrono::steady_clock::time_point since) {
    {
        std::lock_guard lock(mutex_);
        if (!open_.count(taskId))
            return false;
    }
    return store_->StillHeld(taskId, since);
}

bool TaskControl::RetakeTask(qint32 taskId) {
    {
        std::lock_guard lock(mutex_);
        if (!open_.count(taskId))
            return false;
    }
    return store_->Retake(taskId, userId_);
}

bool TaskControl::TaskReleased(qint32 taskId) {
    {
        std::lock_guard lock(mutex_);
        if (!open_.count(taskId))
            return false;
    }
    return store_->TaskReleased(taskId);
}

int TaskControl::OpenTasks() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(open_.size());
}

}  // namespace sp::platform
