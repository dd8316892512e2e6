// Workstations as separate processes of the real workbench (tests/proof/WorkstationMain.cpp)
// over one database: many at once under load, and one that is killed or frozen while it
// holds work bills.
#include <QMap>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <limits>

#include "tests/support/BackendTest.h"
#include "tests/support/ChildProcess.h"

namespace sp::test {
namespace {

// One workstation process.
struct Workstation : ChildProcess {
    explicit Workstation(const QStringList& args) : ChildProcess(QString::fromUtf8(SP_WORKSTATION), args) {}
};

// A fresh database with the demo shop and the users ws1 .. wsN, every right each.
std::unique_ptr<TestDatabase> Shop(Backend backend, int users) {
    auto tdb = TestDatabase::Create(backend);
    QList<std::pair<QString, quint32>> names;
    for (int i = 1; i <= users; ++i) names.append({u"ws%1"_s.arg(i), Rights::All});
    if (tdb)
        SeedDemoShop(*tdb->db(), names);
    return tdb;
}

// Each workstation signs in as its user's own role on PostgreSQL, as a shop's clerks do.
QStringList Arguments(const char* mode, const TestDatabase& tdb, int user) {
    const QString name = u"ws%1"_s.arg(user);
    return {QString::fromLatin1(mode), u"--db"_s, tdb.UrlAs(name), u"--user"_s, name};
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
            QStringList{u"--bills"_s, bills.join(u','), u"--seconds"_s, QString::number(load.seconds),
                        u"--seed"_s, QString::number(i), u"--log"_s, logs.filePath(QString::number(i))}));
    for (auto& station : stations)
        ASSERT_TRUE(station->Finish(load.seconds + 120)) << station->Errors().toStdString();

    // What the logs say: reports saved and deleted (by memo, each unique), work bill tasks
    // held (from take to give back, per work bill), the counts of each process.
    struct Hold {
        qint64 from, to;
        int station;
    };
    QMap<QString, std::vector<Hold>> holds;
    QMap<QString, QString> saved, deleted;  // memo -> "work bill/serial"
    QMap<QString, int> figures;
    QStringList violations;
    for (int i = 1; i <= load.processes; ++i) {
        QFile file(logs.filePath(QString::number(i)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QMap<QString, qint64> open;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList f = line.split(u' ');
            if (f[0] == "take"_L1)
                open.insert(f[1], f[2].toLongLong());
            else if (f[0] == "give"_L1 && open.contains(f[1]))
                holds[f[1]].push_back({open.take(f[1]), f[2].toLongLong(), i});
            else if (f[0] == "save"_L1 || f[0] == "del"_L1) {
                QMap<QString, QString>& into = f[0] == "save"_L1 ? saved : deleted;
                if (into.contains(f[3]))
                    violations << u"%1 twice: "_s.arg(f[0]) + line;
                into.insert(f[3], f[1] + u'/' + f[2]);
            } else if (f[0] == "ops"_L1)
                for (const QString& figure : f.mid(1))
                    figures[figure.section(u'=', 0, 0)] += figure.section(u'=', 1).toInt();
        }
        for (auto it = open.cbegin(); it != open.cend(); ++it)
            holds[it.key()].push_back({it.value(), std::numeric_limits<qint64>::max(), i});
    }

    // The database holds exactly what was saved and not deleted, each report once.
    QMap<QString, QString> expected = saved;
    for (auto it = deleted.cbegin(); it != deleted.cend(); ++it)
        if (expected.take(it.key()) != it.value())
            violations << u"deleted but never saved as such: "_s + it.key();
    QStringList wanted;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) wanted << it.key() + u' ' + it.value();
    const QStringList stored =
        Values(db.Query(u"SELECT Fmemo || ' ' || FWBInterID || '/' || Fserial FROM SHProcRpt"_s));
    for (const QString& report : wanted)
        if (!stored.contains(report))
            violations << u"lost: "_s + report;
    for (const QString& report : stored)
        if (!wanted.contains(report) || stored.count(report) > 1)
            violations << u"stored twice, or never saved: "_s + report;

    // Every posted total is the sum of the audited reports.
    violations += PostedMismatches(db);

    // No two processes held one work bill's task at the same time.
    int held = 0;
    for (auto it = holds.begin(); it != holds.end(); ++it) {
        std::vector<Hold>& list = it.value();
        held += static_cast<int>(list.size());
        std::sort(list.begin(), list.end(), [](const Hold& a, const Hold& b) { return a.from < b.from; });
        Hold last{0, 0, 0};
        for (const Hold& h : list) {
            if (h.from < last.to && h.station != last.station)
                violations << u"work bill %1 held by %2 and %3 at %4"_s.arg(it.key())
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
        figures.value(u"saved"_s), figures.value(u"audited"_s), figures.value(u"unaudited"_s),
        figures.value(u"deleted"_s), figures.value(u"busy"_s), figures.value(u"refused"_s), held,
        static_cast<int>(violations.size()));
    EXPECT_TRUE(violations.isEmpty()) << violations.mid(0, 20).join(u'\n').toStdString();
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
    const QStringList which{u"--new"_s, bills[0], u"--edit"_s, bills[1]};
    Workstation holder(Arguments("hold", *tdb, 1) + which);
    ASSERT_EQ(holder.Line(120), u"held"_s) << holder.Errors().toStdString();
    Workstation other(Arguments("take", *tdb, 2) + which +
                      QStringList{u"--within"_s, QString::number(loss.tries)});
    ASSERT_EQ(other.Line(120), u"ready"_s) << other.Errors().toStdString();

    const qint64 fault = NowMicros();
    holder.Signal(loss.signal);
    if (loss.signal == SIGKILL)
        holder.KillHard();  // reaped: no zombie keeps its process id alive
    other.Say("go");
    QStringList after;
    for (const char* what : {"new", "edit"}) {
        const QString line = other.Line(loss.tries + 120);
        if (!loss.othersGet) {
            EXPECT_EQ(line, QLatin1String(what) + u" busy"_s);
            continue;
        }
        const double seconds = static_cast<double>(line.section(u' ', 1).toLongLong() - fault) / 1e6;
        EXPECT_TRUE(seconds >= loss.minS && seconds <= loss.maxS) << what << ": " << line.toStdString();
        EXPECT_EQ(other.Line(60), QLatin1String(what) + u" saved"_s);
        after << u"%1 after %2 s"_s.arg(QLatin1String(what)).arg(seconds, 0, 'f', 2);
    }
    ASSERT_TRUE(other.Finish(60)) << other.Errors().toStdString();
    std::printf(
        "[proof] %s, holder %s: the other process got %s\n", BackendName(loss.backend).c_str(),
        loss.signal == SIGKILL ? "killed" : "frozen",
        after.isEmpty() ? "nothing (refused while the holder was frozen)" : qPrintable(after.join(u", "_s)));
    if (loss.signal == SIGKILL)
        return;

    // The frozen holder wakes up and saves its new row and its changed memo.
    holder.Signal(SIGCONT);
    holder.Say("go");
    const QString newRow = holder.Line(60), edit = holder.Line(60);
    const QString memoOfB = db.Scalar(
                                  u"SELECT r.Fmemo FROM SHProcRpt r JOIN SHWorkBillEntry w ON "
                                  "w.FWBInterID = r.FWBInterID WHERE w.FWorkBillNO = ?"_s,
                                  {bills[1]})
                                .toString();
    std::printf("[proof] %s, frozen holder woken: \"%s\", \"%s\"; the stored report's memo: %s\n",
                BackendName(loss.backend).c_str(), qPrintable(newRow), qPrintable(edit), qPrintable(memoOfB));
    const int holderNew = db.Scalar(u"SELECT COUNT(*) FROM SHProcRpt WHERE Fmemo = 'holder-new'"_s).toInt();
    if (!loss.othersGet) {
        // Its session kept the tasks: its work is saved as it would have been.
        EXPECT_EQ(newRow, u"new saved"_s);
        EXPECT_EQ(edit, u"edit saved"_s);
        EXPECT_EQ(holderNew, 1);
        EXPECT_EQ(memoOfB, u"holder-edit"_s);
        return;
    }
    EXPECT_TRUE(newRow.startsWith(u"new refused"_s)) << newRow.toStdString();
    EXPECT_TRUE(edit.startsWith(u"edit refused"_s)) << edit.toStdString();
    EXPECT_EQ(holderNew, 0);
    EXPECT_EQ(memoOfB, u"taker-edit"_s);
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
