#include "platform/db/FuncTaskStore.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUuid>
#include <future>
#include <set>
#include <utility>
#include <vector>

#include "platform/db/PgInline.h"
#include "platform/db/PgSignIn.h"
#include "platform/db/ValueNormaliser.h"
#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

namespace sp::platform {
namespace {

QString Source() { return QStringLiteral("MNetControl.ExecFunc"); }

QString ThisComputer() {
    const QString name = QSysInfo::machineHostName();
    return name.isEmpty() ? QStringLiteral("NoName") : name;
}

bool ProcessAlive(qint64 pid) {
#ifdef Q_OS_UNIX
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#else
    Q_UNUSED(pid);
    return true;  // no cheap check: the heartbeat decides
#endif
}

QDateTime Now() { return QDateTime::currentDateTimeUtc(); }

struct Registry {
    std::mutex mutex;
    std::map<const Database*, std::weak_ptr<FuncTaskStore>> stores;
    static Registry& Instance() {
        static Registry registry;
        return registry;
    }
};

}  // namespace

qint64 FuncTaskStore::LockKey(qint32 subsystem, const QString& function, const QString& key) {
    const QByteArray text = QStringLiteral("%1\x1f%2\x1f%3").arg(subsystem).arg(function, key).toUtf8();
    const QByteArray digest = QCryptographicHash::hash(text, QCryptographicHash::Sha256);
    quint64 value = 0;
    for (int i = 0; i < 8; ++i) value = (value << 8) | static_cast<unsigned char>(digest[i]);
    return static_cast<qint64>(value);
}

bool FuncTaskStore::RowHolderAlive(const QString& computer, qint64 processId, const QDateTime& heartbeat,
                                   const QDateTime& now) {
    const bool stale = !heartbeat.isValid() || heartbeat.secsTo(now) > kStaleSeconds;
    const bool gone = computer == ThisComputer() && !ProcessAlive(processId);
    return !stale && !gone;
}

std::shared_ptr<FuncTaskStore> FuncTaskStore::For(const std::shared_ptr<Database>& db) {
    auto& registry = Registry::Instance();
    std::lock_guard lock(registry.mutex);
    auto& slot = registry.stores[db.get()];
    if (auto store = slot.lock())
        return store;
    std::shared_ptr<FuncTaskStore> store(new FuncTaskStore(db));
    slot = store;
    return store;
}

FuncTaskStore::FuncTaskStore(std::shared_ptr<Database> db)
    : db_(std::move(db)),
      holder_(QStringLiteral("%1/%2/%3")
                  .arg(ThisComputer())
                  .arg(QCoreApplication::applicationPid())
                  .arg(QUuid::createUuid().toString(QUuid::WithoutBraces))),
      connectionName_(
          QStringLiteral("sp-functask-%1").arg(QUuid::createUuid().toString(QUuid::WithoutBraces))) {
    std::promise<void> ready;
    auto started = ready.get_future();
    worker_ = std::thread([this, &ready] {
        try {
            sessionPid_ = PgSignIn::BackendPid(db_->OpenDedicated(connectionName_));
            ready.set_value();
        } catch (...) {
            ready.set_exception(std::current_exception());
            return;
        }
        Run();
    });
    try {
        started.get();
    } catch (...) {
        worker_.join();
        throw;
    }
}

FuncTaskStore::~FuncTaskStore() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
    {
        auto& registry = Registry::Instance();
        std::lock_guard lock(registry.mutex);
        auto it = registry.stores.find(db_.get());
        if (it != registry.stores.end() && it->second.expired())
            registry.stores.erase(it);
    }
}

void FuncTaskStore::Run() {
    auto nextBeat = std::chrono::steady_clock::now() + std::chrono::seconds(kHeartbeatSeconds);
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait_until(lock, nextBeat, [this] { return stop_ || !jobs_.empty(); });
            if (!jobs_.empty()) {
                job = std::move(jobs_.front());
                jobs_.pop_front();
            } else if (stop_) {
                break;
            }
        }
        if (job) {
            job();
            continue;
        }
        if (std::chrono::steady_clock::now() >= nextBeat) {
            Beat();
            nextBeat = std::chrono::steady_clock::now() + std::chrono::seconds(kHeartbeatSeconds);
        }
    }
    // Leaving: what this process still holds is free for others at once. A copy: a
    // session lost on the way clears held_.
    const std::map<Triple, Held> leaving = std::exchange(held_, {});
    tasks_.clear();
    for (const auto& [triple, held] : leaving) {
        try {
            Drop(triple, held);
        } catch (const ComError& e) {
            ErrorLog::Write(Source(), e.Description());
        }
    }
    QSqlDatabase::database(connectionName_, false).close();
    QSqlDatabase::removeDatabase(connectionName_);
}

void FuncTaskStore::Call(const std::function<void()>& job) {
    std::promise<void> done;
    auto finished = done.get_future();
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back([&] {
            try {
                job();
                holding_ = held_.size();
                done.set_value();
            } catch (...) {
                done.set_exception(std::current_exception());
            }
        });
    }
    wake_.notify_all();
    finished.get();
}

void FuncTaskStore::WriteLater(const QString& sql, const QVariantList& params,
                               std::function<void(const QString&)> failed) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back([this, sql, params, failed = std::move(failed)] {
            QString error;
            replaced_ = false;
            try {
                Single(sql, params);
                return;
            } catch (const ComError& e) {
                error = e.Description();
            }
            // A session lost before this statement was replaced by a new one: once more there.
            if (std::exchange(replaced_, false)) {
                try {
                    Single(sql, params);
                    return;
                } catch (const ComError& e) {
                    error = e.Description();
                }
            }
            failed(error);
        });
    }
    wake_.notify_all();
}

void FuncTaskStore::Settle() {
    Call([] {});
}

QVariant FuncTaskStore::Single(const QString& sql, const QVariantList& params) {
    QString error;
    {
        QSqlQuery query(QSqlDatabase::database(connectionName_, false));
        // On PostgreSQL the values go into the statement as literals: one round trip
        // instead of the driver's PREPARE, EXECUTE and DEALLOCATE, which a server across
        // a network makes the clerk feel at every work bill taken and released.
        bool ok = false;
        if (db_->dialect() == Dialect::PostgreSQL) {
            ok = query.exec(PgInline(sql, params, *query.driver()));
        } else {
            query.prepare(sql);
            for (const QVariant& param : params) query.addBindValue(ValueNormaliser::Bindable(param));
            ok = query.exec();
        }
        if (ok)
            return query.next() ? query.value(0) : QVariant();
        error = query.lastError().text();
    }
    if (db_->dialect() == Dialect::PostgreSQL && SessionLost())
        throw ComError(
            ErrorNumber::Database, Source(),
            QStringLiteral("The connection to the database server was interrupted (%1).").arg(error));
    throw ComError(ErrorNumber::Database, Source(), QStringLiteral("%1 [%2]").arg(error, sql.simplified()));
}

bool FuncTaskStore::SessionLost() {
    {
        QSqlDatabase session = QSqlDatabase::database(connectionName_, false);
        QSqlQuery probe(session);
        if (session.isOpen() && probe.exec(QStringLiteral("SELECT 1")))
            return false;
    }
    // The server dropped the session and every advisory lock with it: what this
    // process believed it held is gone, and another process may have worked on it since.
    // Start over with a new session; the old tasks stay lost until they are released.
    if (!tasks_.empty())
        ErrorLog::Write(Source(), QStringLiteral("The database session holding %1 function task(s) of this "
                                                 "process was lost; they cannot be used to save any more.")
                                      .arg(tasks_.size()));
    lost_.insert(tasks_.begin(), tasks_.end());
    held_.clear();
    tasks_.clear();
    replaced_ = true;
    QSqlDatabase::database(connectionName_, false).close();
    QSqlDatabase::removeDatabase(connectionName_);
    {
        std::lock_guard lock(proofMutex_);
        provenAt_.clear();
    }
    sessionPid_ = 0;
    holding_ = 0;
    try {
        sessionPid_ = PgSignIn::BackendPid(db_->OpenDedicated(connectionName_));
        // The rows that named the old session hold nothing now; the new one holds nothing yet.
        QSqlQuery stale(QSqlDatabase::database(connectionName_, false));
        stale.prepare(QStringLiteral("DELETE FROM t_FuncTask WHERE FHolder = ?"));
        stale.addBindValue(holder_);
        if (!stale.exec())
            ErrorLog::Write(Source(), stale.lastError().text());
    } catch (const ComError& e) {
        ErrorLog::Write(Source(), e.Description());
    }
    return true;
}

qint32 FuncTaskStore::Acquire(qint32 subsystem, const QString& function, const QString& key, qint32 userId) {
    qint32 result = 0;
    Call([&] {
        const Triple triple{subsystem, function, key};
        const Held* held = Join(triple, userId);
        if (!held)
            return;
        result = nextTask_++;
        tasks_.emplace(result, Task{triple, held->releaseMark});
    });
    return result;
}

FuncTaskStore::Held* FuncTaskStore::Join(const Triple& triple, qint32 userId) {
    auto found = held_.find(triple);
    // The session may have died since the triple was taken: its lock with it.
    if (found != held_.end() && db_->dialect() == Dialect::PostgreSQL && SessionLost())
        found = held_.end();
    if (found == held_.end()) {
        Held held;
        replaced_ = false;
        bool taken = false;
        try {
            taken = Take(triple, userId, held);
        } catch (const ComError&) {
            // A session lost before this call was replaced by a new one: ask there.
            if (!std::exchange(replaced_, false))
                throw;
            taken = Take(triple, userId, held);
        }
        if (!taken)
            return nullptr;
        found = held_.emplace(triple, held).first;
    }
    ++found->second.refs;
    return &found->second;
}

void FuncTaskStore::Leave(const Triple& triple) {
    auto held = held_.find(triple);
    if (held == held_.end() || --held->second.refs > 0)
        return;
    const Held last = held->second;
    held_.erase(held);
    Drop(triple, last);
}

bool FuncTaskStore::Release(qint32 taskId) {
    bool known = false;
    Call([&] {
        if (lost_.erase(taskId) > 0) {
            known = true;
            return;
        }
        const auto task = tasks_.find(taskId);
        if (task == tasks_.end())
            return;
        known = true;
        const Triple triple = task->second.triple;
        tasks_.erase(task);
        Leave(triple);
    });
    return known;
}

std::optional<FuncTaskStore::HoldProof> FuncTaskStore::ProofFor(Database& db) {
    if (db.dialect() != Dialect::PostgreSQL)
        return std::nullopt;
    std::shared_ptr<FuncTaskStore> store;
    {
        auto& registry = Registry::Instance();
        std::lock_guard lock(registry.mutex);
        const auto it = registry.stores.find(&db);
        if (it != registry.stores.end())
            store = it->second.lock();
    }
    const qint64 pid = store ? store->sessionPid_.load() : 0;
    if (!store || pid == 0 || store->holding_ == 0)
        return std::nullopt;
    // The lock number of a row computed as LockKey does: the first 8 bytes of the SHA-256
    // of "subsystem\x1ffunction\x1fkey", as a signed 64-bit number.
    return HoldProof{
        QStringLiteral(
            "(SELECT string_agg(r.k::text, ',') FROM (SELECT ('x' || left(encode(sha256(convert_to("
            "ft.FSubSys::text || chr(31) || ft.FFunction || chr(31) || ft.FKey, 'UTF8')), 'hex'), 16))"
            "::bit(64)::bigint AS k FROM t_FuncTask ft WHERE ft.FHolder = ? AND ft.FBackendPID = ?) r WHERE "
            "EXISTS (SELECT 1 FROM pg_locks l WHERE l.pid = ? AND l.locktype = 'advisory' AND l.granted AND "
            "l.objsubid = 1 AND l.database = (SELECT oid FROM pg_database WHERE datname = "
            "current_database()) "
            "AND ((l.classid::bigint << 32) | l.objid::bigint) = r.k))"),
        {store->holder_, pid, pid},
        store,
        pid,
        std::chrono::steady_clock::now()};
}

void FuncTaskStore::Proven(qint64 sessionPid, std::chrono::steady_clock::time_point sent,
                           const QVariant& lockKeys) {
    std::lock_guard lock(proofMutex_);
    provenAt_.clear();  // the answer is the whole of what is held now: the rest is not proven
    if (sessionPid != sessionPid_.load())
        return;  // a session replaced since: what it held is lost
    for (const QString& key : lockKeys.toString().split(QLatin1Char(','), Qt::SkipEmptyParts))
        provenAt_[key.toLongLong()] = sent;
}

bool FuncTaskStore::TakeProof(qint64 lockKey, std::chrono::steady_clock::time_point since) {
    std::lock_guard lock(proofMutex_);
    const auto it = provenAt_.find(lockKey);
    if (it == provenAt_.end())
        return false;
    const bool fresh = it->second >= since;
    provenAt_.erase(it);
    return fresh;
}

bool FuncTaskStore::StillHeld(qint32 taskId,
                              std::optional<std::chrono::steady_clock::time_point> provenSince) {
    bool held = false;
    Call([&] {
        const auto task = tasks_.find(taskId);
        if (task == tasks_.end())
            return;
        if (db_->dialect() == Dialect::PostgreSQL) {
            // Proven by a statement sent since the caller's command began; else asked: a live
            // session keeps its advisory locks, only its loss loses them.
            const auto triple = held_.find(task->second.triple);
            held =
                (provenSince && triple != held_.end() && TakeProof(triple->second.lockKey, *provenSince)) ||
                !SessionLost();
            return;
        }
        const auto& [subsystem, function, key] = task->second.triple;
        const QVariant holder = Single(
            QStringLiteral("SELECT FHolder FROM t_FuncTask WHERE FSubSys = ? AND FFunction = ? AND FKey = ?"),
            {subsystem, function, key});
        held = holder.toString() == holder_;
        if (!held)
            LoseTriple(task->second.triple);
    });
    return held;
}

bool FuncTaskStore::Retake(qint32 taskId, qint32 userId) {
    bool held = false;
    Call([&] {
        if (tasks_.count(taskId)) {
            held = true;
            return;
        }
        const auto lost = lost_.find(taskId);
        if (lost == lost_.end())
            return;
        const Task task = lost->second;
        if (!Join(task.triple, userId))
            return;
        // Asked with the triple held: an administrator's release is recorded before the
        // holder's hold ends, so one that happened cannot be missed here.
        if (ReleaseMark(task.triple) > task.releaseMark) {
            Leave(task.triple);
            return;
        }
        tasks_.emplace(taskId, task);
        lost_.erase(lost);
        held = true;
    });
    return held;
}

bool FuncTaskStore::TaskReleased(qint32 taskId) {
    bool released = false;
    Call([&] {
        const auto lost = lost_.find(taskId);
        if (lost != lost_.end())
            released = ReleaseMark(lost->second.triple) > lost->second.releaseMark;
    });
    return released;
}

qint64 FuncTaskStore::ReleaseMark(const Triple& triple) {
    const auto& [subsystem, function, key] = triple;
    return Single(QStringLiteral("SELECT MAX(FReleaseID) FROM t_FuncTaskRelease WHERE FSubSys = ? AND "
                                 "FFunction = ? AND FKey = ? AND FHolder = ?"),
                  {subsystem, function, key, holder_})
        .toLongLong();
}

void FuncTaskStore::LoseTriple(Triple triple) {
    for (auto task = tasks_.begin(); task != tasks_.end();) {
        if (task->second.triple == triple) {
            lost_.insert(*task);
            task = tasks_.erase(task);
        } else {
            ++task;
        }
    }
    held_.erase(triple);
}

bool FuncTaskStore::Take(const Triple& triple, qint32 userId, Held& held) {
    const auto& [subsystem, function, key] = triple;
    const QDateTime now = Now();
    const QVariantList mine{userId, ThisComputer(), QCoreApplication::applicationPid(), holder_, now, now};
    if (db_->dialect() == Dialect::PostgreSQL) {
        held.lockKey = LockKey(subsystem, function, key);
        // The lock is the hold; the row names its holder and session for the administrator.
        // A row left by a session that died is this one's now. Lock, row and the release
        // mark in one statement, one round trip: no row comes back when another session
        // holds the lock.
        QVariant mark;
        try {
            mark = Single(
                QStringLiteral(
                    "INSERT INTO t_FuncTask (FSubSys, FFunction, FKey, FUserID, FComputer, FProcessID, "
                    "FHolder, FHeartbeat, FSince, FBackendPID) SELECT ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                    "pg_backend_pid() WHERE pg_try_advisory_lock(?) "
                    "ON CONFLICT (FSubSys, FFunction, FKey) DO UPDATE SET "
                    "FUserID = EXCLUDED.FUserID, FComputer = EXCLUDED.FComputer, "
                    "FProcessID = EXCLUDED.FProcessID, FHolder = EXCLUDED.FHolder, "
                    "FHeartbeat = EXCLUDED.FHeartbeat, FSince = EXCLUDED.FSince, "
                    "FBackendPID = EXCLUDED.FBackendPID RETURNING (SELECT COALESCE(MAX(FReleaseID), 0) FROM "
                    "t_FuncTaskRelease WHERE FSubSys = ? AND FFunction = ? AND FKey = ? AND FHolder = ?)"),
                QVariantList{subsystem, function, key} + mine +
                    QVariantList{held.lockKey, subsystem, function, key, holder_});
        } catch (const ComError&) {
            // Not held without its row: nobody could see or release it. (Unlocking a lock
            // the statement never took only says so.)
            QSqlQuery(QSqlDatabase::database(connectionName_, false))
                .exec(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(held.lockKey));
            throw;
        }
        if (!mark.isValid())
            return false;
        held.releaseMark = mark.toLongLong();
        return true;
    }

    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    // IMMEDIATE: look and take under one write lock, so two processes cannot both
    // find the row free.
    Single(QStringLiteral("BEGIN IMMEDIATE"), {});
    try {
        QSqlQuery query(db);
        query.prepare(
            QStringLiteral("SELECT FHolder, FComputer, FProcessID, FHeartbeat FROM t_FuncTask "
                           "WHERE FSubSys = ? AND FFunction = ? AND FKey = ?"));
        for (const QVariant& param : QVariantList{subsystem, function, key})
            query.addBindValue(ValueNormaliser::Bindable(param));
        if (!query.exec())
            throw ComError(ErrorNumber::Database, Source(), query.lastError().text());
        bool taken = true;
        if (!query.next()) {
            query.finish();
            Single(QStringLiteral(
                       "INSERT INTO t_FuncTask (FSubSys, FFunction, FKey, FUserID, FComputer, FProcessID, "
                       "FHolder, FHeartbeat, FSince) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                   QVariantList{subsystem, function, key} + mine);
        } else {
            const QString holder = query.value(0).toString();
            const QString computer = query.value(1).toString();
            const qint64 pid = query.value(2).toLongLong();
            const QDateTime beat = QDateTime::fromString(query.value(3).toString(), Qt::ISODateWithMs);
            query.finish();
            // Our own row keeps the time it was first taken.
            if (holder == holder_)
                Single(QStringLiteral("UPDATE t_FuncTask SET FUserID = ?, FHeartbeat = ? WHERE FSubSys = ? "
                                      "AND FFunction = ? AND FKey = ?"),
                       {userId, now, subsystem, function, key});
            else if (!RowHolderAlive(computer, pid, beat, now))
                Single(QStringLiteral(
                           "UPDATE t_FuncTask SET FUserID = ?, FComputer = ?, FProcessID = ?, FHolder = ?, "
                           "FHeartbeat = ?, FSince = ? WHERE FSubSys = ? AND FFunction = ? AND FKey = ?"),
                       mine + QVariantList{subsystem, function, key});
            else
                taken = false;
        }
        if (taken)
            held.releaseMark = ReleaseMark(triple);
        Single(taken ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK"), {});
        return taken;
    } catch (...) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

void FuncTaskStore::Drop(const Triple& triple, const Held& held) {
    const auto& [subsystem, function, key] = triple;
    if (db_->dialect() == Dialect::PostgreSQL) {
        // The row before the lock (the unlock reads what the delete returns, so it runs
        // after it): once unlocked, the key and its row may be another's. One round trip;
        // a delete that fails is logged and the lock still given up.
        try {
            Single(QStringLiteral("WITH gone AS (DELETE FROM t_FuncTask WHERE FSubSys = ? AND FFunction = ? "
                                  "AND FKey = ? AND FHolder = ? RETURNING 1) "
                                  "SELECT pg_advisory_unlock(?) FROM (SELECT COUNT(*) FROM gone) AS deleted"),
                   {subsystem, function, key, holder_, held.lockKey});
            return;
        } catch (const ComError& e) {
            ErrorLog::Write(Source(), e.Description());
        }
        Single(QStringLiteral("SELECT pg_advisory_unlock(?)"), {held.lockKey});
        return;
    }
    // Only our own row: after a takeover the row is someone else's.
    Single(QStringLiteral(
               "DELETE FROM t_FuncTask WHERE FSubSys = ? AND FFunction = ? AND FKey = ? AND FHolder = ?"),
           {subsystem, function, key, holder_});
}

void FuncTaskStore::Beat() {
    if (held_.empty())
        return;
    if (db_->dialect() == Dialect::PostgreSQL) {
        SessionLost();
        return;
    }
    try {
        QSqlQuery query(QSqlDatabase::database(connectionName_, false));
        query.prepare(QStringLiteral("UPDATE t_FuncTask SET FHeartbeat = ? WHERE FHolder = ?"));
        query.addBindValue(Now());
        query.addBindValue(holder_);
        if (!query.exec())
            throw ComError(ErrorNumber::Database, Source(), query.lastError().text());
        if (query.numRowsAffected() < static_cast<int>(held_.size())) {
            ErrorLog::Write(Source(),
                            QStringLiteral("Some function tasks of this process were taken over after a "
                                           "missed heartbeat, or released by an administrator; they "
                                           "cannot be used to save any more."));
            std::set<Triple> mine;
            QSqlQuery rows(QSqlDatabase::database(connectionName_, false));
            rows.prepare(QStringLiteral("SELECT FSubSys, FFunction, FKey FROM t_FuncTask WHERE FHolder = ?"));
            rows.addBindValue(holder_);
            if (!rows.exec())
                throw ComError(ErrorNumber::Database, Source(), rows.lastError().text());
            while (rows.next())
                mine.emplace(rows.value(0).toInt(), rows.value(1).toString(), rows.value(2).toString());
            std::vector<Triple> gone;
            for (const auto& [triple, held] : held_)
                if (!mine.count(triple))
                    gone.push_back(triple);
            for (const Triple& triple : gone) LoseTriple(triple);
        }
    } catch (const ComError& e) {
        ErrorLog::Write(Source(), e.Description());
    }
}

}  // namespace sp::platform
