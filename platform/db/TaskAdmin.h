#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

#include "platform/db/Database.h"

namespace sp::platform {

// A task some workstation holds (a row of t_FuncTask), as the administrator sees it.
struct HeldTask {
    qint32 taskId = 0;
    qint32 subsystem = 0;
    QString function;
    QString key;
    QString workBillNo;  // the work bill the key names; empty when it names none
    QString computer;
    qint32 userId = 0;
    QString userName;  // empty when the user is not in t_User
    qint64 processId = 0;
    QString holder;         // the holding process (FHolder)
    QDateTime since;        // when it was taken, UTC
    qint64 backendPid = 0;  // PostgreSQL: the server process of the holder's lock session
    bool alive = false;     // whether the holder still holds it, as the control judges it
};

enum class ReleaseResult {
    Released,      // the task's row is gone; a live holder's only when forced
    StaleRemoved,  // PostgreSQL: the holder's session had ended; only its leftover row was removed
    SessionEnded,  // PostgreSQL: the holder's session was ended; every task of it is released
    NotFound,      // no task is held under that id
    HolderAlive,   // the holder is alive and the release was not forced
    Changed,       // the task changed hands since it was looked at; nothing was done
    NotPermitted,  // PostgreSQL: the role is no administrator, or the owner may not end the session
};

struct ReleaseOutcome {
    ReleaseResult result = ReleaseResult::NotFound;
    HeldTask task;             // the task as it stood when released or refused
    QList<HeldTask> released;  // SessionEnded: every task of the ended session
    QString reason;            // NotPermitted: why
};

// The administrator's view of the function-conflict control: which tasks are held, by
// whom and whether the holder is still alive, and releasing one. A release removes the
// task's row (PostgreSQL: ends the holder's lock session when it is alive), records it in
// t_FuncTaskRelease so the holder does not take the task back, and writes the usage log,
// all in one transaction. How the control works: docs/function-conflict.md.
class TaskAdmin {
  public:
    // The workbench's task on a work bill: subsystem 47, function "cj0891", the key the
    // work bill's FWBInterID.
    static constexpr qint32 kWorkBillSubsystem = 47;
    static QString WorkBillFunction() { return QStringLiteral("cj0891"); }
    // The usage log's entry of a release: action 1 plain, 2 forced (a live holder's).
    static QString LogCode() { return QStringLiteral("CJ1091"); }
    static constexpr qint16 kLogPlain = 1;
    static constexpr qint16 kLogForced = 2;

    explicit TaskAdmin(std::shared_ptr<Database> db);

    // Every held task, by id.
    QList<HeldTask> List();
    std::optional<HeldTask> Find(qint32 taskId);

    // Releases the task the administrator was shown (`seen`): refused when the holder is
    // alive unless forced, and when the task changed hands meanwhile. releasedBy names the
    // administrator in the release record, byUserId in the usage log (0: not a user).
    ReleaseOutcome Release(const HeldTask& seen, bool force, const QString& releasedBy, qint32 byUserId);

  private:
    QList<HeldTask> Rows(const QString& where, const QVariantList& params);
    void Record(const HeldTask& task, bool forced, const QString& releasedBy);
    void Log(qint32 byUserId, qint16 action);
    ReleaseOutcome ReleaseOnPostgres(const HeldTask& seen, bool force, const QString& releasedBy,
                                     qint32 byUserId);

    std::shared_ptr<Database> db_;
};

}  // namespace sp::platform
