#include "platform/db/TaskAdmin.h"

#include <QSet>
#include <QSysInfo>
#include <utility>

#include "platform/db/FuncTaskStore.h"
#include "src/common/ComError.h"

namespace sp::platform {
namespace {

// How long a forced release waits for the ended session to let go of its locks.
constexpr int kLockWaitSeconds = 10;

QDateTime Utc(const QVariant& value) {
    if (value.isNull())
        return {};
    QDateTime stamp = value.toDateTime();
    if (!stamp.isValid())
        stamp = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    return stamp.toUTC();
}

bool AllDigits(const QString& text) {
    if (text.isEmpty() || text.size() > 9)
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

}  // namespace

TaskAdmin::TaskAdmin(std::shared_ptr<Database> db) : db_(std::move(db)) {}

QList<HeldTask> TaskAdmin::List() { return Rows(QString(), {}); }

std::optional<HeldTask> TaskAdmin::Find(qint32 taskId) {
    const QList<HeldTask> rows = Rows(QStringLiteral("WHERE t.FTaskID = ?"), {taskId});
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first();
}

QList<HeldTask> TaskAdmin::Rows(const QString& where, const QVariantList& params) {
    const bool postgres = db_->dialect() == Dialect::PostgreSQL;
    // PostgreSQL: the advisory locks each server process holds in this database, as the
    // 64-bit numbers pg_try_advisory_lock(bigint) took them under.
    QSet<QPair<qint64, qint64>> locks;
    if (postgres)
        for (const RecordsetPtr rs = db_->Query(QStringLiteral(
                 "SELECT pid, (classid::bigint << 32) | objid::bigint FROM pg_locks WHERE locktype = "
                 "'advisory' AND granted AND objsubid = 1 AND database = (SELECT oid FROM pg_database "
                 "WHERE datname = current_database())"));
             !rs->Eof(); rs->MoveNext())
            locks.insert({rs->Field(0).toLongLong(), rs->Field(1).toLongLong()});

    QList<HeldTask> tasks;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const RecordsetPtr rs = db_->Query(
             QStringLiteral(
                 "SELECT t.FTaskID, t.FSubSys, t.FFunction, t.FKey, t.FComputer, t.FUserID, u.FName, "
                 "t.FProcessID, t.FHolder, t.FSince, t.FHeartbeat, t.FBackendPID FROM t_FuncTask t "
                 "LEFT JOIN t_User u ON u.FUserID = t.FUserID %1 ORDER BY t.FTaskID")
                 .arg(where),
             params);
         !rs->Eof(); rs->MoveNext()) {
        HeldTask task;
        task.taskId = rs->Field(0).toInt();
        task.subsystem = rs->Field(1).toInt();
        task.function = rs->Field(2).toString();
        task.key = rs->Field(3).toString();
        task.computer = rs->Field(4).toString();
        task.userId = rs->Field(5).toInt();
        task.userName = rs->Field(6).toString();
        task.processId = rs->Field(7).toLongLong();
        task.holder = rs->Field(8).toString();
        const QDateTime heartbeat = Utc(rs->Field(10));
        // Rows taken before the start time was kept have only the heartbeat.
        task.since = rs->Field(9).isNull() ? heartbeat : Utc(rs->Field(9));
        task.backendPid = rs->Field(11).toLongLong();
        task.alive = postgres
                         ? locks.contains({task.backendPid,
                                           FuncTaskStore::LockKey(task.subsystem, task.function, task.key)})
                         : FuncTaskStore::RowHolderAlive(task.computer, task.processId, heartbeat, now);
        tasks << task;
    }
    for (HeldTask& task : tasks)
        if (task.subsystem == kWorkBillSubsystem && task.function == WorkBillFunction() &&
            AllDigits(task.key))
            task.workBillNo = db_->Scalar(QStringLiteral("SELECT FWorkBillNO FROM SHWorkBillEntry WHERE "
                                                         "FWBInterID = ?"),
                                          {task.key.toInt()})
                                  .toString();
    return tasks;
}

ReleaseOutcome TaskAdmin::Release(const HeldTask& seen, bool force, const QString& releasedBy,
                                  qint32 byUserId) {
    if (db_->dialect() == Dialect::PostgreSQL)
        return ReleaseOnPostgres(seen, force, releasedBy, byUserId);
    ReleaseOutcome outcome;
    // SQLite: BEGIN IMMEDIATE, so the row cannot change between the look and the delete.
    Transaction transaction(*db_);
    const std::optional<HeldTask> now = Find(seen.taskId);
    if (!now)
        return outcome;
    outcome.task = *now;
    if (now->holder != seen.holder) {
        outcome.result = ReleaseResult::Changed;
        return outcome;
    }
    if (now->alive && !force) {
        outcome.result = ReleaseResult::HolderAlive;
        return outcome;
    }
    Record(*now, now->alive, releasedBy);
    db_->Exec(QStringLiteral("DELETE FROM t_FuncTask WHERE FTaskID = ? AND FHolder = ?"),
              {now->taskId, now->holder});
    Log(byUserId, now->alive ? kLogForced : kLogPlain);
    transaction.Commit();
    outcome.result = ReleaseResult::Released;
    return outcome;
}

ReleaseOutcome TaskAdmin::ReleaseOnPostgres(const HeldTask& seen, bool force, const QString& releasedBy,
                                            qint32 byUserId) {
    ReleaseOutcome outcome;
    const std::optional<HeldTask> now = Find(seen.taskId);
    if (!now)
        return outcome;
    outcome.task = *now;
    // The database lets only its administrators release (the function that ends a holder's
    // session is theirs); anyone else is told so before anything is tried.
    if (!db_->Scalar(
                QStringLiteral("SELECT has_function_privilege('sp_end_task_session(integer)', 'EXECUTE')"))
             .toBool()) {
        outcome.result = ReleaseResult::NotPermitted;
        outcome.reason = QStringLiteral("%1 is not an administrator of this database")
                             .arg(db_->Scalar(QStringLiteral("SELECT session_user")).toString());
        return outcome;
    }
    if (now->holder != seen.holder || now->backendPid != seen.backendPid) {
        outcome.result = ReleaseResult::Changed;
        return outcome;
    }
    if (!now->alive) {
        // The server dropped the lock with the session: only the row is left. Guarded by
        // the session, so a row a new holder has just written stays.
        Transaction transaction(*db_);
        if (db_->Exec(QStringLiteral(
                          "DELETE FROM t_FuncTask WHERE FTaskID = ? AND FHolder = ? AND FBackendPID = ?"),
                      {now->taskId, now->holder, now->backendPid}) == 0) {
            outcome.result = ReleaseResult::Changed;
            return outcome;
        }
        Record(*now, false, releasedBy);
        Log(byUserId, kLogPlain);
        transaction.Commit();
        outcome.result = ReleaseResult::StaleRemoved;
        return outcome;
    }
    if (!force) {
        outcome.result = ReleaseResult::HolderAlive;
        return outcome;
    }

    // The locks belong to the holder's session: ending it releases every task it holds.
    for (const HeldTask& task : List())
        if (task.alive && task.backendPid == now->backendPid)
            outcome.released << task;
    Transaction transaction(*db_);
    db_->Exec(QStringLiteral("SET LOCAL lock_timeout = '%1s'").arg(kLockWaitSeconds));
    for (const HeldTask& task : std::as_const(outcome.released)) {
        Record(task, true, releasedBy);
        db_->Exec(QStringLiteral("DELETE FROM t_FuncTask WHERE FTaskID = ? AND FHolder = ?"),
                  {task.taskId, task.holder});
    }
    Log(byUserId, kLogForced);
    bool ended = false;
    try {
        // Through the database's own function: it ends only a workstation's lock session of
        // this database, and only for an administrator.
        ended = db_->Scalar(QStringLiteral("SELECT sp_end_task_session(?)"), {now->backendPid}).toBool();
    } catch (const ComError& e) {
        outcome.reason = e.Description();
    }
    if (!ended) {
        if (outcome.reason.isEmpty())
            outcome.reason = QStringLiteral("the server did not end server process %1").arg(now->backendPid);
        outcome.result = ReleaseResult::NotPermitted;
        outcome.released.clear();
        return outcome;  // rolled back: nothing recorded, nothing removed
    }
    // Until the records are committed the keys stay locked, now by this transaction: the
    // holder cannot take one back before it can see that it was released.
    for (const HeldTask& task : std::as_const(outcome.released))
        db_->Scalar(QStringLiteral("SELECT pg_advisory_xact_lock(?)"),
                    {FuncTaskStore::LockKey(task.subsystem, task.function, task.key)});
    transaction.Commit();
    outcome.result = ReleaseResult::SessionEnded;
    return outcome;
}

void TaskAdmin::Record(const HeldTask& task, bool forced, const QString& releasedBy) {
    db_->Exec(QStringLiteral(
                  "INSERT INTO t_FuncTaskRelease (FSubSys, FFunction, FKey, FHolder, FUserID, FComputer, "
                  "FProcessID, FReleased, FReleasedBy, FForced) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
              {task.subsystem, task.function, task.key, task.holder, task.userId, task.computer,
               task.processId, QDateTime::currentDateTimeUtc(), releasedBy, forced ? 1 : 0});
}

void TaskAdmin::Log(qint32 byUserId, qint16 action) {
    const QString computer = QSysInfo::machineHostName().left(40).trimmed();
    db_->Exec(QStringLiteral("INSERT INTO t_UsageLog (FUserID, FFunctionCode, FAction, FTime, FComputer) "
                             "VALUES (?, ?, ?, ?, ?)"),
              {byUserId, LogCode(), static_cast<qint32>(action), QDateTime::currentDateTime(),
               computer.isEmpty() ? QStringLiteral("NoName") : computer});
}

}  // namespace sp::platform
