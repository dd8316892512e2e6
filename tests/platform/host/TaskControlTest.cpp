#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <mutex>

#include "platform/db/FuncTaskStore.h"
#include "platform/db/TaskAdmin.h"
#include "platform/host/TaskControl.h"
#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"
#include "tests/support/BackendTest.h"

namespace sp::test {
namespace {

using platform::FuncTaskStore;
using platform::HeldTask;
using platform::ReleaseResult;
using platform::TaskAdmin;
using platform::TaskControl;

const QString kFunction = QStringLiteral("cj0891");

// Another process holding a task, as a second workstation would.
class Holder {
  public:
    Holder(const QString& url, const QString& key) {
        process_.start(QString::fromUtf8(SP_TASK_HOLDER), {url, QStringLiteral("47"), kFunction, key});
        if (!process_.waitForReadyRead(30000))
            return;
        const QString line = QString::fromUtf8(process_.readLine()).trimmed();
        if (line.startsWith(QStringLiteral("TASK ")))
            task_ = line.mid(5).toInt();
    }
    ~Holder() {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.write("exit\n");
        if (!process_.waitForFinished(5000))
            KillHard();
    }
    int task() const { return task_; }
    QString errors() { return QString::fromLocal8Bit(process_.readAllStandardError()); }
    bool Commit() {
        process_.write("commit\n");
        return process_.waitForReadyRead(10000) &&
               QString::fromUtf8(process_.readLine()).trimmed() == QStringLiteral("COMMITTED 1");
    }
    void KillHard() {
        process_.kill();                 // SIGKILL: no chance to clean up
        process_.waitForFinished(5000);  // reaped: no zombie keeps its process id alive
    }

  private:
    QProcess process_;
    int task_ = -1;
};

// Asks for the task (cj0891, key) as the workbench does; the id or 0 when held elsewhere.
qint32 Take(TaskControl& control, const QVariant& key, const QString& function = kFunction) {
    qint32 subsystem = 47;
    QString fn = function;
    qint16 a = 0, b = 0;
    return control.taskexec(subsystem, fn, QStringLiteral("PC"), 3, a, b, key.isValid() ? &key : nullptr);
}

class TaskControlTest : public BackendTest {
  protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (tdb_)
            control_ = TaskControl::Create(tdb_->db(), 1);
    }

    // Asks again until the task is free or the time is up; the id or 0.
    qint32 TakeWithin(int milliseconds, const QVariant& key) {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            const qint32 id = Take(*control_, key);
            if (id > 0 || timer.elapsed() > milliseconds)
                return id;
            QThread::msleep(50);
        }
    }

    std::shared_ptr<TaskControl> control_;
};

TEST_P(TaskControlTest, ThisProcessMayTakeATaskAgainAndCommitsEachIdOnce) {
    const qint32 first = Take(*control_, QStringLiteral("WB000123"));
    const qint32 again = Take(*control_, QStringLiteral("WB000123"));
    auto otherSession = TaskControl::Create(tdb_->db(), 2);
    const qint32 third = Take(*otherSession, QStringLiteral("WB000123"));
    EXPECT_TRUE(first >= 1 && again >= 1 && third >= 1 && first != again && again != third)
        << first << " " << again << " " << third;

    EXPECT_EQ(db().ConnectionsOpened(), 1) << "the lock session is not one of the pool's";
    EXPECT_FALSE(control_->CommitTask(999));
    EXPECT_FALSE(control_->CommitTask(third)) << "another session's task";
    EXPECT_TRUE(control_->CommitTask(first));
    EXPECT_FALSE(control_->CommitTask(first));
    EXPECT_EQ(control_->OpenTasks(), 1);
}

TEST_P(TaskControlTest, AnotherProcessIsRefusedUntilTheLastTaskIsCommitted) {
    const qint32 a = Take(*control_, QStringLiteral("WB000123"));
    const qint32 b = Take(*control_, QStringLiteral("WB000123"));
    ASSERT_GE(a, 1);
    {
        Holder other(tdb_->url(), QStringLiteral("WB000123"));
        EXPECT_EQ(other.task(), 0) << other.errors().toStdString();
    }
    EXPECT_TRUE(control_->CommitTask(a));
    {
        Holder other(tdb_->url(), QStringLiteral("WB000123"));
        EXPECT_EQ(other.task(), 0) << "one task id is still open";
    }
    EXPECT_TRUE(control_->CommitTask(b));
    Holder other(tdb_->url(), QStringLiteral("WB000123"));
    EXPECT_GE(other.task(), 1) << other.errors().toStdString();

    // Now the other process holds it; other keys and functions stay free.
    EXPECT_EQ(Take(*control_, QStringLiteral("WB000123")), 0);
    EXPECT_GE(Take(*control_, QStringLiteral("WB000124")), 1);
    EXPECT_GE(Take(*control_, QStringLiteral("WB000123"), QStringLiteral("cj0892")), 1);
    EXPECT_GE(Take(*control_, QVariant()), 1);

    EXPECT_TRUE(other.Commit());
    EXPECT_GE(TakeWithin(2000, QStringLiteral("WB000123")), 1);
}

TEST_P(TaskControlTest, AKilledHolderBlocksNobody) {
    Holder other(tdb_->url(), QStringLiteral("WB000200"));
    ASSERT_GE(other.task(), 1) << other.errors().toStdString();
    EXPECT_EQ(Take(*control_, QStringLiteral("WB000200")), 0);
    other.KillHard();
    // On this computer a dead process is noticed at once (SQLite) and the server drops
    // the dead session's locks within moments (PostgreSQL); never later than the stale limit.
    EXPECT_GE(TakeWithin(FuncTaskStore::kStaleSeconds * 1000, QStringLiteral("WB000200")), 1);
}

TEST_P(TaskControlTest, AnEndedSessionReleasesWhatItHeld) {
    ASSERT_GE(Take(*control_, 123), 1);
    control_ = TaskControl::Create(tdb_->db(), 1);  // the old session ends
    Holder other(tdb_->url(), QStringLiteral("123"));
    EXPECT_GE(other.task(), 1) << "a number key is its text" << other.errors().toStdString();
}

TEST_P(TaskControlTest, ALostLockSessionIsNoticedAndTakenBackOnlyWhenFree) {
    if (GetParam() != Backend::PostgreSQL)
        GTEST_SKIP() << "SQLite holds tasks in rows, not in a session";
    QStringList logged;
    std::mutex logMutex;
    ErrorLog::SetSink([&](const QString&, const QString& text) {
        std::lock_guard lock(logMutex);
        logged << text;
    });
    const qint32 first = Take(*control_, QStringLiteral("WB000300"));
    ASSERT_GE(first, 1);
    EXPECT_TRUE(control_->TaskStillHeld(first));
    // The server ends the session that holds the advisory locks (a restart, a cut cable).
    const QString others = QStringLiteral(
        "FROM pg_stat_activity WHERE datname = current_database() AND pid <> pg_backend_pid()");
    EXPECT_EQ(db().Scalar(QStringLiteral("SELECT COUNT(pg_terminate_backend(pid)) ") + others).toInt(), 1);
    // Noticed by the store itself within seconds, before anyone asks.
    QElapsedTimer noticed;
    noticed.start();
    const auto seen = [&] {
        std::lock_guard lock(logMutex);
        return logged.join(u'\n').contains(QStringLiteral("was lost"));
    };
    while (!seen() && noticed.elapsed() < 5000) QThread::msleep(50);
    ErrorLog::SetSink(nullptr);
    EXPECT_TRUE(seen()) << "not noticed within 5 s";
    EXPECT_FALSE(control_->TaskStillHeld(first)) << "someone may have worked on it meanwhile";
    {
        Holder other(tdb_->url(), QStringLiteral("WB000300"));
        ASSERT_GE(other.task(), 1) << "a lost key is free for others" << other.errors().toStdString();
        EXPECT_FALSE(control_->RetakeTask(first)) << "another holds it";
        EXPECT_FALSE(control_->TaskStillHeld(first));
    }
    // Free again: taken back under the same id, on a new session, without an error.
    QElapsedTimer freed;
    freed.start();
    bool retaken = false;
    while (!(retaken = control_->RetakeTask(first)) && freed.elapsed() < 5000) QThread::msleep(50);
    EXPECT_TRUE(retaken);
    EXPECT_TRUE(control_->TaskStillHeld(first));
    const qint32 again = Take(*control_, QStringLiteral("WB000300"));
    EXPECT_GE(again, 1) << "this process may take what it holds again";
    Holder other(tdb_->url(), QStringLiteral("WB000300"));
    EXPECT_EQ(other.task(), 0) << "the retaken key is really held";
    EXPECT_TRUE(control_->CommitTask(first));
    EXPECT_TRUE(control_->TaskStillHeld(again)) << "its other task still holds the key";
}

// The administrator's view: one row per held key, the work bill its key names, and
// whether the holder is alive. A killed holder's row stays until released (PostgreSQL) or
// taken over (SQLite); releasing it needs no force. A task that changed hands or is not
// held is not released.
TEST_P(TaskControlTest, TheAdministratorSeesHoldersAliveOrKilledAndReleasesAKilledOnesTask) {
    SeedDemo();
    const QString bill = LargestFirstOperations(db(), 1).value(0);
    const QString billId =
        Scalar("SELECT FWBInterID FROM SHWorkBillEntry WHERE FWorkBillNO = ?", {bill}).toString();
    ASSERT_GE(Take(*control_, billId), 1);
    Holder killed(tdb_->url(), QStringLiteral("not-a-bill"));
    ASSERT_GE(killed.task(), 1) << killed.errors().toStdString();
    killed.KillHard();
    TaskAdmin admin(shared());
    const auto byKey = [&](const QString& key) {
        for (const HeldTask& t : admin.List())
            if (t.key == key)
                return t;
        return HeldTask();
    };
    // The server drops a dead session's locks within moments.
    QElapsedTimer timer;
    timer.start();
    while (byKey(QStringLiteral("not-a-bill")).alive && timer.elapsed() < 5000) QThread::msleep(50);

    const HeldTask mine = byKey(billId);
    const HeldTask dead = byKey(QStringLiteral("not-a-bill"));
    EXPECT_EQ(admin.List().size(), 2);
    EXPECT_EQ(mine.workBillNo, bill);
    EXPECT_EQ(mine.processId, QCoreApplication::applicationPid());
    EXPECT_EQ(mine.userName, Scalar("SELECT FName FROM t_User WHERE FUserID = 1").toString());
    EXPECT_LE(qAbs(mine.since.secsTo(QDateTime::currentDateTimeUtc())), 60)
        << mine.since.toString().toStdString();
    EXPECT_TRUE(mine.alive);
    EXPECT_EQ(dead.workBillNo, QString()) << "the key names no work bill";
    EXPECT_FALSE(dead.alive) << "killed";

    HeldTask otherHolder = dead;
    otherHolder.holder = QStringLiteral("elsewhere/1/x");
    EXPECT_EQ(admin.Release(otherHolder, false, QStringLiteral("root"), 0).result, ReleaseResult::Changed);
    HeldTask unknown;
    unknown.taskId = 99999;
    EXPECT_EQ(admin.Release(unknown, true, QStringLiteral("root"), 0).result, ReleaseResult::NotFound);
    EXPECT_EQ(admin.Release(dead, false, QStringLiteral("root"), 0).result,
              GetParam() == Backend::PostgreSQL ? ReleaseResult::StaleRemoved : ReleaseResult::Released);
    EXPECT_EQ(Count("t_FuncTask WHERE FKey = 'not-a-bill'"), 0);
    EXPECT_EQ(Count("t_FuncTaskRelease WHERE FKey = 'not-a-bill' AND FForced = 0 AND FReleasedBy = 'root'"),
              1);
    EXPECT_EQ(Count("t_UsageLog WHERE FFunctionCode = 'CJ1091' AND FAction = 1"), 1);
}

// A live holder's task is released only when forced; the holder then finds its hold lost
// for good (its retake is refused, and it can tell why), while anyone, the holder too,
// may take the key anew. On PostgreSQL forcing ends the holder's lock session: every
// task of it goes. A role that may not end it changes nothing.
TEST_P(TaskControlTest, AForcedReleaseTakesALiveHoldersTaskForGood) {
    const bool postgres = GetParam() == Backend::PostgreSQL;
    const qint32 task = Take(*control_, QStringLiteral("WB-R"));
    const qint32 sameSession = Take(*control_, QStringLiteral("WB-S"));
    ASSERT_GE(task, 1);
    TaskAdmin admin(shared());
    const std::optional<HeldTask> seen =
        admin.Find(Scalar("SELECT FTaskID FROM t_FuncTask WHERE FKey = 'WB-R'").toInt());
    ASSERT_TRUE(seen && seen->alive);
    EXPECT_EQ(admin.Release(*seen, false, QStringLiteral("root"), 7).result, ReleaseResult::HolderAlive);
    if (postgres) {
        // A user who is no administrator may not end another's session: refused, and nothing
        // changes.
        platform::AddUser(db(), QStringLiteral("task_clerk"), Rights::All);
        const platform::ReleaseOutcome refused = TaskAdmin(tdb_->OpenAs(QStringLiteral("task_clerk")))
                                                     .Release(*seen, true, QStringLiteral("task_clerk"), 7);
        EXPECT_EQ(refused.result, ReleaseResult::NotPermitted);
        EXPECT_FALSE(refused.reason.isEmpty());
        EXPECT_EQ(Count("t_FuncTask"), 2);
        EXPECT_EQ(Count("t_FuncTaskRelease") + Count("t_UsageLog"), 0);
        EXPECT_TRUE(control_->TaskStillHeld(task));
    }
    EXPECT_TRUE(control_->TaskStillHeld(task));

    const platform::ReleaseOutcome forced = admin.Release(*seen, true, QStringLiteral("root"), 7);
    EXPECT_EQ(forced.result, postgres ? ReleaseResult::SessionEnded : ReleaseResult::Released);
    EXPECT_EQ(forced.released.size(), postgres ? 2 : 0);
    EXPECT_FALSE(control_->TaskStillHeld(task));
    EXPECT_FALSE(control_->RetakeTask(task));
    EXPECT_TRUE(control_->TaskReleased(task));
    EXPECT_EQ(control_->TaskStillHeld(sameSession), !postgres);
    EXPECT_EQ(Count("t_FuncTaskRelease WHERE FForced = 1"), postgres ? 2 : 1);
    EXPECT_EQ(Count("t_UsageLog WHERE FFunctionCode = 'CJ1091' AND FAction = 2 AND FUserID = 7"), 1);
    {
        Holder other(tdb_->url(), QStringLiteral("WB-R"));
        EXPECT_GE(other.task(), 1) << "free for others" << other.errors().toStdString();
    }
    // Taken anew, the old release does not count against the new task.
    const qint32 again = TakeWithin(5000, QStringLiteral("WB-R"));
    ASSERT_GE(again, 1);
    EXPECT_FALSE(control_->RetakeTask(task)) << "the released task stays refused";
    EXPECT_FALSE(control_->TaskReleased(again));
    if (postgres)
        Scalar("SELECT pg_terminate_backend(FBackendPID) FROM t_FuncTask WHERE FKey = 'WB-R'");
    else
        Exec("DELETE FROM t_FuncTask WHERE FKey = 'WB-R'");
    EXPECT_FALSE(control_->TaskStillHeld(again));
    EXPECT_FALSE(control_->TaskReleased(again));
    EXPECT_TRUE(control_->RetakeTask(again));
}

SP_INSTANTIATE_BACKENDS(TaskControlTest);

// SQLite keeps the holder in t_FuncTask; a workstation elsewhere is judged by its
// heartbeat only.
TEST(SqliteTaskRowTest, ARowFromElsewhereCountsWhileItsHeartbeatIsFreshAndOursIsKeptFresh) {
    auto tdb = TestDatabase::Create(Backend::SQLite);
    ASSERT_TRUE(tdb);
    platform::Database& db = *tdb->db();
    auto control = TaskControl::Create(tdb->db(), 1);
    for (const auto& [key, secondsAgo] :
         {std::pair{"fresh", 2}, std::pair{"stale", FuncTaskStore::kStaleSeconds + 5}})
        db.Exec(QStringLiteral(
                    "INSERT INTO t_FuncTask (FSubSys, FFunction, FKey, FUserID, FComputer, FProcessID, "
                    "FHolder, FHeartbeat) VALUES (47, 'cj0891', ?, 5, 'elsewhere', 1, 'elsewhere/1/x', ?)"),
                {QString::fromLatin1(key), QDateTime::currentDateTimeUtc().addSecs(-secondsAgo)});
    EXPECT_EQ(Take(*control, QStringLiteral("fresh")), 0);
    const qint32 id = Take(*control, QStringLiteral("stale"));
    EXPECT_GE(id, 1);
    const QString row = QStringLiteral("SELECT %1 FROM t_FuncTask WHERE FKey = 'stale'");
    EXPECT_EQ(db.Scalar(row.arg(QStringLiteral("FUserID"))).toInt(), 1) << "the stale row is ours now";
    const QDateTime beat = db.Scalar(row.arg(QStringLiteral("FHeartbeat"))).toDateTime();
    QThread::msleep((FuncTaskStore::kHeartbeatSeconds + 1) * 1000);
    EXPECT_GT(db.Scalar(row.arg(QStringLiteral("FHeartbeat"))).toDateTime(), beat)
        << "held tasks keep beating";
    EXPECT_TRUE(control->TaskStillHeld(id));
    // Frozen past the limit: another workstation took the row over.
    db.Exec(QStringLiteral("UPDATE t_FuncTask SET FHolder = 'elsewhere/2/y' WHERE FKey = 'stale'"));
    EXPECT_FALSE(control->TaskStillHeld(id));
    EXPECT_FALSE(control->RetakeTask(id)) << "the new holder beats";
    EXPECT_FALSE(control->TaskStillHeld(id)) << "a lost task stays lost";
    EXPECT_TRUE(control->CommitTask(id));
    EXPECT_EQ(db.Scalar(row.arg(QStringLiteral("FHolder"))).toString(), QStringLiteral("elsewhere/2/y"))
        << "the new holder's row stays";
    // A task the new holder gave back is free to be taken back.
    const qint32 lost = Take(*control, QStringLiteral("fresh2"));
    ASSERT_GE(lost, 1);
    db.Exec(QStringLiteral("UPDATE t_FuncTask SET FHolder = 'elsewhere/3/z' WHERE FKey = 'fresh2'"));
    EXPECT_FALSE(control->TaskStillHeld(lost));
    db.Exec(QStringLiteral("DELETE FROM t_FuncTask WHERE FKey = 'fresh2'"));
    EXPECT_TRUE(control->RetakeTask(lost));
    EXPECT_TRUE(control->TaskStillHeld(lost));
    EXPECT_FALSE(db.Scalar(QStringLiteral("SELECT FHolder FROM t_FuncTask WHERE FKey = 'fresh2'"))
                     .toString()
                     .startsWith(QStringLiteral("elsewhere")));
}

}  // namespace
}  // namespace sp::test
