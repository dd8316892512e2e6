#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <tuple>

#include "platform/db/Database.h"

namespace sp::platform {

// The process's share of the function-conflict control on one database: which
// (subsystem, function, key) triples this process holds, and how many task ids it
// has handed out for each. Across processes a triple is held
// - on PostgreSQL by a session-level advisory lock of a dedicated session, which the
//   server drops the moment the session dies; a t_FuncTask row beside each lock names
//   the holder and the server process of the session, for the administrator;
// - on SQLite by a row of t_FuncTask naming the holder (computer, process id, random
//   token) with a heartbeat; a row whose heartbeat is older than kStaleSeconds, or
//   whose process is gone on this computer, is taken over.
// All database work runs on one background thread that owns its own connection and
// refreshes the heartbeats every kHeartbeatSeconds; on PostgreSQL it checks the
// session as often, so a lost one is noticed within seconds, not at the next call.
class FuncTaskStore {
  public:
    static constexpr int kHeartbeatSeconds = 3;
    static constexpr int kStaleSeconds = 15;

    // The one store of this process for db.
    static std::shared_ptr<FuncTaskStore> For(const std::shared_ptr<Database>& db);
    ~FuncTaskStore();

    // A new task id (>= 1), or 0 when another process holds the triple.
    qint32 Acquire(qint32 subsystem, const QString& function, const QString& key, qint32 userId);
    // Ends a task; the triple is released with its last task. False for an unknown id.
    bool Release(qint32 taskId);
    // True while the task's triple is still this process's, asked of the database: false
    // once the PostgreSQL session that held it was lost (a server restart) or, on SQLite,
    // once its row was taken over or removed (this process was frozen past kStaleSeconds).
    // A lost task stays lost, even when the triple is free again: someone may have
    // worked on it meanwhile. Its id is still released by Release.
    // provenSince: a statement sent on another session since then that carried a HoldProof
    // and proved the triple held is the answer (given once), with no round trip of its own.
    bool StillHeld(qint32 taskId, std::optional<std::chrono::steady_clock::time_point> provenSince = {});
    // Takes a lost task's triple again when no other process holds it; the task guards
    // its triple again under the same id. True when the task is held afterwards. Whether
    // the guarded data may still be trusted is the caller's to judge.
    bool Retake(qint32 taskId, qint32 userId);

    // True when an administrator released the triple of this lost task from this
    // process (t_FuncTaskRelease) after the task was taken: Retake refuses it for good.
    bool TaskReleased(qint32 taskId);

    // This process's identity in t_FuncTask.FHolder.
    const QString& Holder() const { return holder_; }

    // SQLite: whether the holder a t_FuncTask row names still counts at `now`: its
    // heartbeat is fresh, and, when it is on this computer, its process exists. A row
    // that does not count is taken over by the next who asks.
    static bool RowHolderAlive(const QString& computer, qint64 processId, const QDateTime& heartbeat,
                               const QDateTime& now);
    // PostgreSQL: the advisory lock number of a triple, the same in every process.
    static qint64 LockKey(qint32 subsystem, const QString& function, const QString& key);

    // Runs the statement on the store's session after whatever was asked of it before, with
    // nobody waiting for it; failed(reason) runs on the store's thread when the server
    // refuses it (after one more try on a new session when the session was lost).
    void WriteLater(const QString& sql, const QVariantList& params,
                    std::function<void(const QString&)> failed);
    // Waits until everything asked of the store so far has run.
    void Settle();

    // PostgreSQL: a column for a statement the program sends on another session anyway,
    // that tells as the statement runs which triples this process's task session still
    // holds: those whose row names this process and that session while the session holds
    // the row's advisory lock. The same server process holding the lock before and as the
    // statement ran means the hold was never broken in between (a session's advisory
    // lock ends only with the session or Drop). StillHeld(provenSince) takes the answer of
    // the latest such statement when it was sent since then. Empty on SQLite, and when this
    // process holds nothing on db.
    struct HoldProof {
        QString column;  // an SQL expression: the lock numbers held, comma-separated
        QVariantList params;
        std::shared_ptr<FuncTaskStore> store;
        qint64 sessionPid = 0;
        std::chrono::steady_clock::time_point sent;  // as the proof was made for its statement
        // Takes the column's value as the statement answered it.
        void Answered(const QVariant& value) const { store->Proven(sessionPid, sent, value); }
    };
    static std::optional<HoldProof> ProofFor(Database& db);

    FuncTaskStore(const FuncTaskStore&) = delete;
    FuncTaskStore& operator=(const FuncTaskStore&) = delete;

  private:
    using Triple = std::tuple<qint32, QString, QString>;
    struct Held {
        int refs = 0;
        qint64 lockKey = 0;      // PostgreSQL
        qint64 releaseMark = 0;  // the newest release of the triple from this process when taken
    };
    struct Task {
        Triple triple;
        qint64 releaseMark = 0;  // releases up to this one were before the task: they do not count
    };

    explicit FuncTaskStore(std::shared_ptr<Database> db);
    void Run();
    // Runs job on the worker thread and waits; exceptions come back to the caller.
    void Call(const std::function<void()>& job);
    // Counts one more task on the triple, taking it first when this process does not
    // hold it; null when another does.
    Held* Join(const Triple& triple, qint32 userId);
    // Counts one task less on the triple; the last one releases it.
    void Leave(const Triple& triple);
    bool Take(const Triple& triple, qint32 userId, Held& held);
    void Drop(const Triple& triple, const Held& held);
    // The newest release of the triple from this process (0: none).
    qint64 ReleaseMark(const Triple& triple);
    void Beat();
    QVariant Single(const QString& sql, const QVariantList& params);
    // PostgreSQL: true (and a new session, every task lost) when the session is gone.
    bool SessionLost();
    void Proven(qint64 sessionPid, std::chrono::steady_clock::time_point sent, const QVariant& lockKeys);
    // True, once, when the latest proof named the lock and was sent at `since` or later.
    bool TakeProof(qint64 lockKey, std::chrono::steady_clock::time_point since);
    // Every task of the triple becomes lost; the triple is no longer held.
    void LoseTriple(Triple triple);  // a copy: the caller may pass one of tasks_

    std::shared_ptr<Database> db_;
    QString holder_;
    QString connectionName_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stop_ = false;
    std::thread worker_;

    // Worker thread only.
    std::map<Triple, Held> held_;
    std::map<qint32, Task> tasks_;
    std::map<qint32, Task> lost_;  // tasks whose triple was lost, until released or retaken
    bool replaced_ = false;        // PostgreSQL: the session was replaced since the last statement

    // PostgreSQL: the task session's server process, and the locks the latest proof named
    // with when its statement was sent (any thread).
    std::atomic<qint64> sessionPid_{0};
    std::atomic<std::size_t> holding_{0};  // triples held, as the worker last left them
    std::mutex proofMutex_;
    std::map<qint64, std::chrono::steady_clock::time_point> provenAt_;
    qint32 nextTask_ = 1;
};

}  // namespace sp::platform
