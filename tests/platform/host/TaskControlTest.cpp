#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <mutex>

#include "platform/db/FuncTaskStore.h"
#include "platform/host/TaskControl.h"
#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"
#include "tests/support/BackendTest.h"

namespace sp::test {
namespace {

using platform::FuncTaskStore;
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
