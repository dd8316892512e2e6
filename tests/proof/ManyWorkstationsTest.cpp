// Workstations as separate processes of the real workbench (tests/proof/WorkstationMain.cpp)
// over one database: many at once under load, and one that is killed or frozen while it
// holds work bills.
#include <signal.h>

#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <limits>

#include "platform/db/DemoData.h"
#include "platform/middletier/OperationLedger.h"
#include "tests/support/BackendTest.h"

namespace sp::test {
namespace {

qint64 NowMicros() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<qint64>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

// One workstation process; killed (woken first) if it still runs when the test ends.
class Workstation {
  public:
    explicit Workstation(const QStringList& args) { process_.start(QString::fromUtf8(SP_WORKSTATION), args); }
    ~Workstation() {
        if (process_.state() == QProcess::NotRunning)
            return;
        Signal(SIGCONT);
        process_.kill();
        process_.waitForFinished(10000);
    }
    // The next line it says; empty when it says none within the time.
    QString Line(int seconds) {
        QElapsedTimer timer;
        timer.start();
        while (!process_.canReadLine() && timer.elapsed() < seconds * 1000)
            if (!process_.waitForReadyRead(500) && process_.state() == QProcess::NotRunning)
                break;
        return QString::fromUtf8(process_.readLine()).trimmed();
    }
    void Go() { process_.write("go\n"); }
    void Signal(int signal) { ::kill(static_cast<pid_t>(process_.processId()), signal); }
    bool Finish(int seconds) { return process_.waitForFinished(seconds * 1000) && process_.exitCode() == 0; }
    QString Errors() { return QString::fromLocal8Bit(process_.readAllStandardError()).right(4000); }

  private:
    QProcess process_;
};

// A fresh database with the demo shop and the users ws1 .. wsN, every right each.
std::unique_ptr<TestDatabase> Shop(Backend backend, int users) {
    auto tdb = TestDatabase::Create(backend);
    if (!tdb)
        return nullptr;
    platform::SeedDemo(*tdb->db());
    for (int i = 1; i <= users; ++i)
        platform::AddUser(*tdb->db(), QStringLiteral("ws%1").arg(i), Rights::All);
    return tdb;
}

// Each workstation signs in as its user's own role on PostgreSQL, as a shop's clerks do.
QStringList Arguments(const char* mode, const TestDatabase& tdb, int user) {
    const QString name = QStringLiteral("ws%1").arg(user);
    return {QString::fromLatin1(mode), QStringLiteral("--db"), tdb.UrlAs(name), QStringLiteral("--user"),
            name};
}

// ---------------------------------------------------------------- many workstations

struct Load {
    Backend backend;
    int processes;
    int seconds;
};

void PrintTo(const Load& load, std::ostream* os) {
    *os << BackendName(load.backend) << ", " << load.processes << " processes, " << load.seconds << " s";
}

class ManyWorkstationsTest : public ::testing::TestWithParam<Load> {};

TEST_P(ManyWorkstationsTest, NoReportLostOrDoubledAndNoWorkBillHeldTwice) {
    const Load load = GetParam();
    const auto tdb = Shop(load.backend, load.processes);
    if (!tdb)
        return;
    platform::Database& db = *tdb->db();
    const QStringList bills = LargestFirstOperations(db, 6);
    QTemporaryDir logs;
    std::vector<std::unique_ptr<Workstation>> stations;
    for (int i = 1; i <= load.processes; ++i)
        stations.push_back(std::make_unique<Workstation>(
            Arguments("run", *tdb, i) +
            QStringList{QStringLiteral("--bills"), bills.join(QLatin1Char(',')), QStringLiteral("--seconds"),
                        QString::number(load.seconds), QStringLiteral("--seed"), QString::number(i),
                        QStringLiteral("--log"), logs.filePath(QString::number(i))}));
    for (auto& station : stations)
        ASSERT_TRUE(station->Finish(load.seconds + 120)) << station->Errors().toStdString();

    // What the logs say: reports saved and deleted (by memo, each unique), work bill tasks
    // held (from take to give back, per work bill), the counts of each process.
    struct Hold {
        qint64 from, to;
        int station;
    };
    QMap<QString, std::vector<Hold>> holds;
    QMap<QString, QString> saved, deleted, stored;  // memo -> "work bill/serial"
    QMap<QString, int> figures;
    QStringList violations;
    for (int i = 1; i <= load.processes; ++i) {
        QFile file(logs.filePath(QString::number(i)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QMap<QString, qint64> open;
        for (const QString& line :
             QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList f = line.split(QLatin1Char(' '));
            if (f[0] == QLatin1String("take"))
                open.insert(f[1], f[2].toLongLong());
            else if (f[0] == QLatin1String("give") && open.contains(f[1]))
                holds[f[1]].push_back({open.take(f[1]), f[2].toLongLong(), i});
            else if (f[0] == QLatin1String("save") || f[0] == QLatin1String("del")) {
                QMap<QString, QString>& into = f[0] == QLatin1String("save") ? saved : deleted;
                if (into.contains(f[3]))
                    violations << QStringLiteral("%1 twice: ").arg(f[0]) + line;
                into.insert(f[3], f[1] + QLatin1Char('/') + f[2]);
            } else if (f[0] == QLatin1String("ops"))
                for (const QString& figure : f.mid(1))
                    figures[figure.section(QLatin1Char('='), 0, 0)] +=
                        figure.section(QLatin1Char('='), 1).toInt();
        }
        for (auto it = open.cbegin(); it != open.cend(); ++it)
            holds[it.key()].push_back({it.value(), std::numeric_limits<qint64>::max(), i});
    }

    // The database holds exactly what was saved and not deleted, each report once.
    for (auto it = deleted.cbegin(); it != deleted.cend(); ++it)
        if (saved.value(it.key()) != it.value())
            violations << QStringLiteral("deleted but never saved as such: ") + it.key();
    for (RecordsetPtr r = db.Query(QStringLiteral("SELECT FWBInterID, Fserial, Fmemo FROM SHProcRpt"));
         !r->Eof(); r->MoveNext()) {
        const QString memo = r->Field(2).toString();
        if (stored.contains(memo))
            violations << QStringLiteral("stored twice: ") + memo;
        stored.insert(memo, r->Field(0).toString() + QLatin1Char('/') + r->Field(1).toString());
    }
    QMap<QString, QString> expected = saved;
    for (const QString& memo : deleted.keys()) expected.remove(memo);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        if (stored.value(it.key()) != it.value())
            violations << QStringLiteral("lost: %1 %2 (stored: %3)")
                              .arg(it.key(), it.value(), stored.value(it.key()));
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        if (!expected.contains(it.key()))
            violations << QStringLiteral("stored, never saved or deleted: %1 %2").arg(it.key(), it.value());
    violations +=
        Values(db.Query(QStringLiteral("SELECT FWBInterID || '/' || Fserial FROM SHProcRpt GROUP BY "
                                       "FWBInterID, Fserial HAVING COUNT(*) > 1")));

    // Every posted total is the sum of the audited reports.
    for (const platform::PostedColumn& c : platform::PostedColumns())
        for (const QString& bill : Values(
                 db.Query(QStringLiteral(
                              "SELECT w.FWorkBillNO FROM SHWorkBillEntry w WHERE ABS(COALESCE(w.%1, 0) - "
                              "COALESCE((SELECT SUM(r.%2) FROM SHProcRpt r WHERE r.FWBInterID = w.FWBInterID "
                              "AND r.Fstatus = 1), 0)) > 0.000001")
                              .arg(QLatin1String(c.workBill), QLatin1String(c.report)))))
            violations << QStringLiteral("%1 of %2 is not the sum of its audited reports")
                              .arg(QLatin1String(c.workBill), bill);

    // No two processes held one work bill's task at the same time.
    int held = 0;
    for (auto it = holds.begin(); it != holds.end(); ++it) {
        std::vector<Hold>& list = it.value();
        held += static_cast<int>(list.size());
        std::sort(list.begin(), list.end(), [](const Hold& a, const Hold& b) { return a.from < b.from; });
        Hold last{0, 0, 0};
        for (const Hold& h : list) {
            if (h.from < last.to && h.station != last.station)
                violations << QStringLiteral("work bill %1 held by %2 and %3 at %4")
                                  .arg(it.key())
                                  .arg(last.station)
                                  .arg(h.station)
                                  .arg(h.from);
            if (h.to > last.to)
                last = h;
        }
    }

    std::printf(
        "[proof] %s: %d processes, %d s, %d work bills: %d reports saved, %d audited, %d unaudited, "
        "%d deleted, %d refused as busy, %d saves refused, %d task holds; violations: %d\n",
        BackendName(load.backend).c_str(), load.processes, load.seconds, static_cast<int>(bills.size()),
        figures.value(QStringLiteral("saved")), figures.value(QStringLiteral("audited")),
        figures.value(QStringLiteral("unaudited")), figures.value(QStringLiteral("deleted")),
        figures.value(QStringLiteral("busy")), figures.value(QStringLiteral("refused")), held,
        static_cast<int>(violations.size()));
    EXPECT_TRUE(violations.isEmpty()) << violations.mid(0, 20).join(QLatin1Char('\n')).toStdString();
    // Each kind of work was done, and the work bills were contended for.
    for (const char* kind : {"saved", "audited", "unaudited", "deleted", "busy"})
        EXPECT_GT(figures.value(QLatin1String(kind)), 0) << kind;
}

INSTANTIATE_TEST_SUITE_P(Loads, ManyWorkstationsTest,
                         ::testing::Values(Load{Backend::SQLite, 2, 15}, Load{Backend::PostgreSQL, 4, 60}),
                         [](const auto& info) { return BackendName(info.param.backend); });

// ---------------------------------------------------------------- a lost workstation

struct Loss {
    Backend backend;
    int signal;         // SIGKILL or SIGSTOP, sent to the holder
    bool othersGet;     // another process gets its work bills while it is gone
    double minS, maxS;  // ... this many seconds after the signal
    int tries;          // seconds the other process keeps trying
};

void PrintTo(const Loss& loss, std::ostream* os) {
    *os << BackendName(loss.backend) << (loss.signal == SIGKILL ? ", killed" : ", frozen");
}

class LostWorkstationTest : public ::testing::TestWithParam<Loss> {};

TEST_P(LostWorkstationTest, AnotherGetsItsWorkBillsInTimeAndTheHolderSavesNothingOverThem) {
    const Loss loss = GetParam();
    const auto tdb = Shop(loss.backend, 2);
    if (!tdb)
        return;
    platform::Database& db = *tdb->db();
    const QStringList bills = LargestFirstOperations(db, 2);
    const QStringList which{QStringLiteral("--new"), bills[0], QStringLiteral("--edit"), bills[1]};
    Workstation holder(Arguments("hold", *tdb, 1) + which);
    ASSERT_EQ(holder.Line(120), QStringLiteral("held")) << holder.Errors().toStdString();
    Workstation other(Arguments("take", *tdb, 2) + which +
                      QStringList{QStringLiteral("--within"), QString::number(loss.tries)});
    ASSERT_EQ(other.Line(120), QStringLiteral("ready")) << other.Errors().toStdString();

    const qint64 fault = NowMicros();
    holder.Signal(loss.signal);
    if (loss.signal == SIGKILL)
        holder.Finish(10);  // reaped: no zombie keeps its process id alive
    other.Go();
    QStringList after;
    for (const char* what : {"new", "edit"}) {
        const QString line = other.Line(loss.tries + 120);
        if (!loss.othersGet) {
            EXPECT_EQ(line, QLatin1String(what) + QStringLiteral(" busy"));
            continue;
        }
        const double seconds =
            static_cast<double>(line.section(QLatin1Char(' '), 1).toLongLong() - fault) / 1e6;
        EXPECT_TRUE(seconds >= loss.minS && seconds <= loss.maxS) << what << ": " << line.toStdString();
        EXPECT_EQ(other.Line(60), QLatin1String(what) + QStringLiteral(" saved"));
        after << QStringLiteral("%1 after %2 s").arg(QLatin1String(what)).arg(seconds, 0, 'f', 2);
    }
    ASSERT_TRUE(other.Finish(60)) << other.Errors().toStdString();
    std::printf("[proof] %s, holder %s: the other process got %s\n", BackendName(loss.backend).c_str(),
                loss.signal == SIGKILL ? "killed" : "frozen",
                after.isEmpty() ? "nothing (refused while the holder was frozen)"
                                : qPrintable(after.join(QStringLiteral(", "))));
    if (loss.signal == SIGKILL)
        return;

    // The frozen holder wakes up and saves its new row and its changed memo.
    holder.Signal(SIGCONT);
    holder.Go();
    const QString newRow = holder.Line(60), edit = holder.Line(60);
    const QString memoOfB =
        db.Scalar(QStringLiteral("SELECT r.Fmemo FROM SHProcRpt r JOIN SHWorkBillEntry w ON "
                                 "w.FWBInterID = r.FWBInterID WHERE w.FWorkBillNO = ?"),
                  {bills[1]})
            .toString();
    std::printf("[proof] %s, frozen holder woken: \"%s\", \"%s\"; the stored report's memo: %s\n",
                BackendName(loss.backend).c_str(), qPrintable(newRow), qPrintable(edit), qPrintable(memoOfB));
    const int holderNew =
        db.Scalar(QStringLiteral("SELECT COUNT(*) FROM SHProcRpt WHERE Fmemo = 'holder-new'")).toInt();
    if (!loss.othersGet) {
        // Its session kept the tasks: its work is saved as it would have been.
        EXPECT_EQ(newRow, QStringLiteral("new saved"));
        EXPECT_EQ(edit, QStringLiteral("edit saved"));
        EXPECT_EQ(holderNew, 1);
        EXPECT_EQ(memoOfB, QStringLiteral("holder-edit"));
        return;
    }
    EXPECT_TRUE(newRow.startsWith(QStringLiteral("new refused"))) << newRow.toStdString();
    EXPECT_TRUE(edit.startsWith(QStringLiteral("edit refused"))) << edit.toStdString();
    EXPECT_EQ(holderNew, 0);
    EXPECT_EQ(memoOfB, QStringLiteral("taker-edit"));
}

// The documented times (docs/function-conflict.md): at once when the process is gone (the
// server ends its session; on SQLite the same computer sees it is gone), and after the
// 15 s heartbeat staleness for a frozen holder on SQLite; a frozen holder on PostgreSQL
// keeps its session and so its tasks.
INSTANTIATE_TEST_SUITE_P(Faults, LostWorkstationTest,
                         ::testing::Values(Loss{Backend::SQLite, SIGKILL, true, 0, 3, 10},
                                           Loss{Backend::PostgreSQL, SIGKILL, true, 0, 3, 10},
                                           Loss{Backend::SQLite, SIGSTOP, true, 10, 20, 40},
                                           Loss{Backend::PostgreSQL, SIGSTOP, false, 0, 0, 5}),
                         [](const auto& info) {
                             return BackendName(info.param.backend) +
                                    (info.param.signal == SIGKILL ? "_Killed" : "_Frozen");
                         });

}  // namespace
}  // namespace sp::test
