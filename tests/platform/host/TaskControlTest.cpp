#include <QCoreApplication>
#include <QDateTime>
#include <QThread>
#include <chrono>
#include <mutex>

#include "platform/db/FuncTaskStore.h"
#include "platform/db/TaskAdmin.h"
#include "platform/host/TaskControl.h"
#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"
#include "tests/support/BackendTest.h"
#include "tests/support/ChildProcess.h"

namespace sp::test {
namespace {

using platform::FuncTaskStore;
using platform::HeldTask;
using platform::ReleaseResult;
using platform::TaskAdmin;
using platform::TaskControl;

const QString kFunction = u"cj0891"_s;

// Another process holding a task, as a second workstation would.
class Holder : public ChildProcess {
  public:
    Holder(const QString& url, const QString& key)
        : ChildProcess(QString::fromUtf8(SP_TASK_HOLDER), {url, u"47"_s, kFunction, key}, "exit") {
        if (const QString line = Line(30); line.startsWith(u"TASK "_s))
            task_ = line.mid(5).toInt();
    }
    int task() const { return task_; }
    bool Commit() {
        Say("commit");
        return Line(10) == u"COMMITTED 1"_s;
    }

  private:
    int task_ = -1;
};

// Asks for the task (cj0891, key) as the workbench does; the id or 0 when held elsewhere.
qint32 Take(TaskControl& control, const QVariant& key, const QString& function = kFunction) {
    qint32 subsystem = 47;
    QString fn = function;
    qint16 a = 0, b = 0;
    return control.taskexec(subsystem, fn, u"PC"_s, 3, a, b, key.isValid() ? &key : nullptr);
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
        qint32 id = 0;
        Eventually(milliseconds, [&] { return (id = Take(*control_, key)) > 0; });
        return id;
    }

    std::shared_ptr<TaskControl> control_;
};

// This process may take a task it holds again, from any session of it, each take under an
// id of its own that is committed once; another process is refused until the last of them
// is committed.
TEST_P(TaskControlTest, ATaskIsThisProcesssUntilItsLastIdIsCommitted) {
    const qint32 first = Take(*control_, u"WB000123"_s);
    const qint32 again = Take(*control_, u"WB000123"_s);
    auto otherSession = TaskControl::Create(tdb_->db(), 2);
    const qint32 third = Take(*otherSession, u"WB000123"_s);
    EXPECT_TRUE(first >= 1 && again >= 1 && third >= 1 && first != again && again != third)
        << first << " " << again << " " << third;
    EXPECT_EQ(db().ConnectionsOpened(), 1) << "the lock session is not one of the pool's";
    EXPECT_FALSE(control_->CommitTask(999));
    EXPECT_FALSE(control_->CommitTask(third)) << "another session's task";
    for (const auto& [session, id] :
         {std::pair{control_.get(), first}, {otherSession.get(), third}, {control_.get(), again}}) {
        Holder other(tdb_->url(), u"WB000123"_s);
        EXPECT_EQ(other.task(), 0) << "a task id is still open" << other.Errors().toStdString();
        EXPECT_TRUE(session->CommitTask(id));
        EXPECT_FALSE(session->CommitTask(id)) << "committed once";
    }
    EXPECT_EQ(control_->OpenTasks(), 0);
    Holder other(tdb_->url(), u"WB000123"_s);
    EXPECT_GE(other.task(), 1) << other.Errors().toStdString();

    // Now the other process holds it; other keys and functions stay free.
    EXPECT_EQ(Take(*control_, u"WB000123"_s), 0);
    EXPECT_GE(Take(*control_, u"WB000124"_s), 1);
    EXPECT_GE(Take(*control_, u"WB000123"_s, u"cj0892"_s), 1);
    EXPECT_GE(Take(*control_, QVariant()), 1);

    EXPECT_TRUE(other.Commit());
    EXPECT_GE(TakeWithin(2000, u"WB000123"_s), 1);
}

// A holder that is gone blocks nobody: on this computer a dead process is noticed at once
// (SQLite) and the server drops the dead session's locks within moments (PostgreSQL), never
// later than the stale limit; a session that ends gives back what it held.
TEST_P(TaskControlTest, AHolderThatIsGoneBlocksNobody) {
    {
        Holder other(tdb_->url(), u"WB000200"_s);
        ASSERT_GE(other.task(), 1) << other.Errors().toStdString();
        EXPECT_EQ(Take(*control_, u"WB000200"_s), 0);
        other.KillHard();
        EXPECT_GE(TakeWithin(FuncTaskStore::kStaleSeconds * 1000, u"WB000200"_s), 1);
    }
    ASSERT_GE(Take(*control_, 123), 1);
    control_ = TaskControl::Create(tdb_->db(), 1);  // the old session ends
    Holder other(tdb_->url(), u"123"_s);
    EXPECT_GE(other.task(), 1) << "a number key is its text" << other.Errors().toStdString();
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
    const qint32 first = Take(*control_, u"WB000300"_s);
    ASSERT_GE(first, 1);
    EXPECT_TRUE(control_->TaskStillHeld(first));
    // The server ends the session that holds the advisory locks (a restart, a cut cable).
    EXPECT_EQ(Scalar("SELECT COUNT(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE datname = "
                     "current_database() AND pid <> pg_backend_pid()")
                  .toInt(),
              1);
    // Noticed by the store itself within seconds, before anyone asks.
    EXPECT_TRUE(Eventually(5000, [&] {
        std::lock_guard lock(logMutex);
        return logged.join(u'\n').contains(u"was lost"_s);
    })) << "not noticed within 5 s";
    ErrorLog::SetSink(nullptr);
    EXPECT_FALSE(control_->TaskStillHeld(first)) << "someone may have worked on it meanwhile";
    {
        Holder other(tdb_->url(), u"WB000300"_s);
        ASSERT_GE(other.task(), 1) << "a lost key is free for others" << other.Errors().toStdString();
        EXPECT_FALSE(control_->RetakeTask(first)) << "another holds it";
        EXPECT_FALSE(control_->TaskStillHeld(first));
    }
    // Free again: taken back under the same id, on a new session, without an error.
    EXPECT_TRUE(Eventually(5000, [&] { return control_->RetakeTask(first); }));
    EXPECT_TRUE(control_->TaskStillHeld(first));
    const qint32 again = Take(*control_, u"WB000300"_s);
    EXPECT_GE(again, 1) << "this process may take what it holds again";
    Holder other(tdb_->url(), u"WB000300"_s);
    EXPECT_EQ(other.task(), 0) << "the retaken key is really held";
    EXPECT_TRUE(control_->CommitTask(first));
    EXPECT_TRUE(control_->TaskStillHeld(again)) << "its other task still holds the key";
}

// A statement the program sends on its main session anyway carries the proof of the holds:
// it names a held task's lock while the task session holds it, and nothing once that
// session has ended. A command's check takes a proof sent since the command began, and
// only the latest: an older one, or one a later read left out, makes it ask the session.
TEST_P(TaskControlTest, AReadOnTheMainSessionProvesAHoldOnlyWhileTheTaskSessionHasIt) {
    if (GetParam() != Backend::PostgreSQL)
        GTEST_SKIP() << "SQLite holds tasks in rows, not in a session";
    using Clock = std::chrono::steady_clock;
    EXPECT_FALSE(FuncTaskStore::ProofFor(db())) << "nothing held, nothing to prove";
    const auto read = [&] {
        const std::optional<FuncTaskStore::HoldProof> proof = FuncTaskStore::ProofFor(db());
        if (!proof)
            return QString();
        const QVariant answer = db().Scalar(u"SELECT "_s + proof->column, proof->params);
        proof->Answered(answer);
        return answer.toString();
    };
    const auto endTaskSession = [&] {
        ASSERT_EQ(Scalar("SELECT COUNT(pg_terminate_backend(FBackendPID)) FROM t_FuncTask").toInt(), 1);
    };

    const qint32 task = Take(*control_, u"WB000301"_s);
    ASSERT_GE(task, 1);
    auto began = Clock::now();
    EXPECT_EQ(read(), QString::number(FuncTaskStore::LockKey(47, kFunction, u"WB000301"_s)));
    EXPECT_TRUE(control_->TaskHeldProvenSince(task, began));
    EXPECT_FALSE(read().isEmpty()) << "still held";
    const auto later = Clock::now();
    endTaskSession();
    EXPECT_FALSE(control_->TaskHeldProvenSince(task, later)) << "proven before the command began";

    const qint32 next = Take(*control_, u"WB000302"_s);
    ASSERT_GE(next, 1) << "taken on a new session";
    began = Clock::now();
    EXPECT_FALSE(read().isEmpty());
    endTaskSession();
    EXPECT_TRUE(Eventually(5000, [&] { return read().isEmpty(); })) << "the ended session still proves it";
    EXPECT_FALSE(control_->TaskHeldProvenSince(next, began)) << "a later read left it out";
}

// The administrator's view: one row per held key, the work bill its key names, and
// whether the holder is alive. A killed holder's row stays until released (PostgreSQL) or
// taken over (SQLite); releasing it needs no force. A task that changed hands or is not
// held is not released.
TEST_P(TaskControlTest, TheAdministratorSeesHoldersAliveOrKilledAndReleasesAKilledOnesTask) {
    const DemoShop shop = SeedDemoShop(db(), {});
    const QString billId = QString::number(shop.wbId);
    ASSERT_GE(Take(*control_, billId), 1);
    Holder killed(tdb_->url(), u"not-a-bill"_s);
    ASSERT_GE(killed.task(), 1) << killed.Errors().toStdString();
    killed.KillHard();
    TaskAdmin admin(shared());
    const auto byKey = [&](const QString& key) {
        for (const HeldTask& t : admin.List())
            if (t.key == key)
                return t;
        return HeldTask();
    };
    // The server drops a dead session's locks within moments.
    Eventually(5000, [&] { return !byKey(u"not-a-bill"_s).alive; });

    const HeldTask mine = byKey(billId);
    const HeldTask dead = byKey(u"not-a-bill"_s);
    EXPECT_EQ(admin.List().size(), 2);
    EXPECT_EQ(std::tuple(mine.workBillNo, mine.processId, mine.userName, mine.alive),
              std::tuple(shop.bill, QCoreApplication::applicationPid(),
                         Scalar("SELECT FName FROM t_User WHERE FUserID = 1").toString(), true));
    EXPECT_LE(qAbs(mine.since.secsTo(QDateTime::currentDateTimeUtc())), 60)
        << mine.since.toString().toStdString();
    // The killed holder's key names no work bill.
    EXPECT_EQ(std::pair(dead.workBillNo, dead.alive), std::pair(QString(), false));

    HeldTask otherHolder = dead;
    otherHolder.holder = u"elsewhere/1/x"_s;
    EXPECT_EQ(admin.Release(otherHolder, false, u"root"_s, 0).result, ReleaseResult::Changed);
    HeldTask unknown;
    unknown.taskId = 99999;
    EXPECT_EQ(admin.Release(unknown, true, u"root"_s, 0).result, ReleaseResult::NotFound);
    EXPECT_EQ(admin.Release(dead, false, u"root"_s, 0).result,
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
    const qint32 task = Take(*control_, u"WB-R"_s);
    const qint32 sameSession = Take(*control_, u"WB-S"_s);
    ASSERT_GE(task, 1);
    TaskAdmin admin(shared());
    const std::optional<HeldTask> seen =
        admin.Find(Scalar("SELECT FTaskID FROM t_FuncTask WHERE FKey = 'WB-R'").toInt());
    ASSERT_TRUE(seen && seen->alive);
    EXPECT_EQ(admin.Release(*seen, false, u"root"_s, 7).result, ReleaseResult::HolderAlive);
    if (postgres) {
        // A user who is no administrator may not end another's session: refused, and nothing
        // changes.
        platform::AddUser(db(), u"task_clerk"_s, Rights::All);
        const platform::ReleaseOutcome refused =
            TaskAdmin(tdb_->OpenAs(u"task_clerk"_s)).Release(*seen, true, u"task_clerk"_s, 7);
        EXPECT_EQ(refused.result, ReleaseResult::NotPermitted);
        EXPECT_FALSE(refused.reason.isEmpty());
        EXPECT_EQ(std::pair(Count("t_FuncTask"), Count("t_FuncTaskRelease") + Count("t_UsageLog")),
                  std::pair(2, 0));
    }
    EXPECT_TRUE(control_->TaskStillHeld(task));

    const platform::ReleaseOutcome forced = admin.Release(*seen, true, u"root"_s, 7);
    EXPECT_EQ(forced.result, postgres ? ReleaseResult::SessionEnded : ReleaseResult::Released);
    EXPECT_EQ(forced.released.size(), postgres ? 2 : 0);
    // Lost for good, and it can tell why; on PostgreSQL the session's other task went too.
    EXPECT_FALSE(control_->TaskStillHeld(task));
    EXPECT_FALSE(control_->RetakeTask(task));
    EXPECT_EQ(std::pair(control_->TaskReleased(task), control_->TaskStillHeld(sameSession)),
              std::pair(true, !postgres));
    EXPECT_EQ(Count("t_FuncTaskRelease WHERE FForced = 1"), postgres ? 2 : 1);
    EXPECT_EQ(Count("t_UsageLog WHERE FFunctionCode = 'CJ1091' AND FAction = 2 AND FUserID = 7"), 1);
    {
        Holder other(tdb_->url(), u"WB-R"_s);
        EXPECT_GE(other.task(), 1) << "free for others" << other.Errors().toStdString();
    }
    // Taken anew, the old release does not count against the new task.
    const qint32 again = TakeWithin(5000, u"WB-R"_s);
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
        db.Exec(
            u"INSERT INTO t_FuncTask (FSubSys, FFunction, FKey, FUserID, FComputer, FProcessID, "
            "FHolder, FHeartbeat) VALUES (47, 'cj0891', ?, 5, 'elsewhere', 1, 'elsewhere/1/x', ?)"_s,
            {QString::fromLatin1(key), QDateTime::currentDateTimeUtc().addSecs(-secondsAgo)});
    EXPECT_EQ(Take(*control, u"fresh"_s), 0);
    const qint32 id = Take(*control, u"stale"_s);
    EXPECT_GE(id, 1);
    const QString row = u"SELECT %1 FROM t_FuncTask WHERE FKey = 'stale'"_s;
    EXPECT_EQ(db.Scalar(row.arg(u"FUserID"_s)).toInt(), 1) << "the stale row is ours now";
    const QDateTime beat = db.Scalar(row.arg(u"FHeartbeat"_s)).toDateTime();
    QThread::msleep((FuncTaskStore::kHeartbeatSeconds + 1) * 1000);
    EXPECT_GT(db.Scalar(row.arg(u"FHeartbeat"_s)).toDateTime(), beat) << "held tasks keep beating";
    EXPECT_TRUE(control->TaskStillHeld(id));
    // Frozen past the limit: another workstation took the row over.
    db.Exec(u"UPDATE t_FuncTask SET FHolder = 'elsewhere/2/y' WHERE FKey = 'stale'"_s);
    EXPECT_FALSE(control->TaskStillHeld(id));
    EXPECT_FALSE(control->RetakeTask(id)) << "the new holder beats";
    EXPECT_FALSE(control->TaskStillHeld(id)) << "a lost task stays lost";
    EXPECT_TRUE(control->CommitTask(id));
    EXPECT_EQ(db.Scalar(row.arg(u"FHolder"_s)).toString(), u"elsewhere/2/y"_s)
        << "the new holder's row stays";
    // A task the new holder gave back is free to be taken back.
    const qint32 lost = Take(*control, u"fresh2"_s);
    ASSERT_GE(lost, 1);
    db.Exec(u"UPDATE t_FuncTask SET FHolder = 'elsewhere/3/z' WHERE FKey = 'fresh2'"_s);
    EXPECT_FALSE(control->TaskStillHeld(lost));
    db.Exec(u"DELETE FROM t_FuncTask WHERE FKey = 'fresh2'"_s);
    EXPECT_TRUE(control->RetakeTask(lost));
    EXPECT_TRUE(control->TaskStillHeld(lost));
    EXPECT_FALSE(db.Scalar(u"SELECT FHolder FROM t_FuncTask WHERE FKey = 'fresh2'"_s)
                     .toString()
                     .startsWith(u"elsewhere"_s));
}

}  // namespace
}  // namespace sp::test
