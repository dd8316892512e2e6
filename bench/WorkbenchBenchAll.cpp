// The whole benchmark run: databases generated or reused, each scenario in a process of
// its own, one table and one JSON file.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/PgConnection.h"

namespace {

struct Size {
    int workBills;
    int reports;
    int longHistory;
};

struct Options {
    QString host;
    QString data;
    QString pg;
    QString json;
    bool quick = false;
    int reps = 7;
    // Round-trip times the PostgreSQL scenarios run at, each through the delaying relay.
    QList<int> rtts{0, 20};
};

void Say(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
}

[[noreturn]] void Fail(const QString& text) {
    Say(QStringLiteral("benchmark: ") + text);
    std::exit(1);
}

// Runs a program to its end; its standard output, or a failure with what it said.
QString Run(const QString& program, const QStringList& args, const QProcessEnvironment& env = {},
            int timeoutMs = 30 * 60 * 1000) {
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(program, args);
    if (!p.waitForStarted())
        Fail(QStringLiteral("cannot start %1").arg(program));
    p.waitForFinished(timeoutMs);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const QString err = QString::fromUtf8(p.readAllStandardError());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        Fail(QStringLiteral("%1 %2 failed:\n%3%4").arg(program, args.join(u' '), out, err));
    return out;
}

// A database of the server named by the URL, created empty when it is not there.
QString PgDatabase(const QString& serverUrl, const QString& name) {
    const QUrl server(serverUrl);
    {
        QSqlDatabase admin = sp::bench::OpenPostgres(server, QStringLiteral("bench-admin"));
        if (!admin.isOpen())
            Fail(QStringLiteral("PostgreSQL: ") + admin.lastError().text());
        QSqlQuery q(admin);
        q.exec(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = '%1'").arg(name));
        if (!q.next() &&
            !q.exec(QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(name)))
            Fail(QStringLiteral("PostgreSQL: ") + q.lastError().text());
        admin.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-admin"));
    QUrl url(server);
    url.setPath(QLatin1Char('/') + name);
    return url.toString();
}

// The database of one size: generated through the host's own command, reused when a
// finished one is there (a marker is written only once the generation succeeded).
QString Database(const Options& o, bool postgres, const Size& size) {
    const QString tag =
        QStringLiteral("bench2_%1x%2x%3").arg(size.workBills).arg(size.reports).arg(size.longHistory);
    QString url;
    QString marker =
        QDir(o.data).filePath(tag + (postgres ? QStringLiteral(".pg.done") : QStringLiteral(".done")));
    if (postgres) {
        url = PgDatabase(o.pg, tag);
        marker.clear();  // the server is a throwaway one
    } else {
        url = QStringLiteral("sqlite:") + QDir(o.data).filePath(tag + QStringLiteral(".db"));
        if (QFileInfo::exists(marker))
            return url;
        QFile::remove(QDir(o.data).filePath(tag + QStringLiteral(".db")));
    }
    QElapsedTimer t;
    t.start();
    Run(o.host, {QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--db"), url});
    Run(o.host,
        {QStringLiteral("db"), QStringLiteral("seed-bench"), QStringLiteral("--work-bills"),
         QString::number(size.workBills), QStringLiteral("--reports"), QString::number(size.reports),
         QStringLiteral("--long-history"), QString::number(size.longHistory), QStringLiteral("--db"), url});
    Say(QStringLiteral("generated %1 (%2): %3 s")
            .arg(tag, postgres ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite"))
            .arg(t.elapsed() / 1000.0, 0, 'f', 1));
    if (!marker.isEmpty()) {
        QFile done(marker);
        if (!done.open(QIODevice::WriteOnly))
            Fail(QStringLiteral("cannot write ") + marker);
    }
    return url;
}

QJsonObject Parse(const QString& line) {
    const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8());
    if (!doc.isObject())
        Fail(QStringLiteral("a scenario printed something else than its figures: ") + line);
    return doc.object();
}

QString Figure(double v) {
    if (v >= 100)
        return QString::number(v, 'f', 0);
    if (v >= 10)
        return QString::number(v, 'f', 1);
    return QString::number(v, 'f', 2);
}

}  // namespace

int BenchAll(const QStringList& args) {
    Options o;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const QString value = args.value(i + 1);
        if (a == QLatin1String("--host"))
            o.host = value, ++i;
        else if (a == QLatin1String("--data"))
            o.data = value, ++i;
        else if (a == QLatin1String("--pg"))
            o.pg = value, ++i;
        else if (a == QLatin1String("--json"))
            o.json = value, ++i;
        else if (a == QLatin1String("--reps"))
            o.reps = value.toInt(), ++i;
        else if (a == QLatin1String("--quick"))
            o.quick = true;
        else if (a == QLatin1String("--rtt")) {
            o.rtts.clear();
            for (const QString& ms : value.split(u',', Qt::SkipEmptyParts)) {
                bool ok = false;
                o.rtts << ms.trimmed().toInt(&ok);
                if (!ok || o.rtts.last() < 0)
                    Fail(QStringLiteral("--rtt takes round-trip times in ms, e.g. 0,2,20"));
            }
            ++i;
        } else
            Fail(QStringLiteral("unknown argument ") + a);
    }
    if (o.host.isEmpty() || o.data.isEmpty())
        Fail(QStringLiteral("--host and --data are needed"));
    QDir().mkpath(o.data);

    // List and history sizes grow together: 1,000 work bills with a 100-report work bill,
    // 10,000 with 1,000, 20,000 with 5,000; ten reports per work bill otherwise.
    std::vector<Size> sizes{{1000, 10000, 100}};
    if (!o.quick) {
        sizes.push_back({10000, 100000, 1000});
        sizes.push_back({20000, 200000, 5000});
    }
    const QString self = QCoreApplication::applicationFilePath();
    QJsonArray results;
    std::vector<bool> backends{false};
    if (!o.pg.isEmpty())
        backends.push_back(true);

    for (bool postgres : backends) {
        const QString dbName = postgres ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite");
        for (size_t i = 0; i < sizes.size(); ++i) {
            const QString url = Database(o, postgres, sizes[i]);
            QStringList scenarios{QStringLiteral("list"), QStringLiteral("history"),
                                  QStringLiteral("summary")};
            if (i == 0)  // the rest depends little on the size: measured on the smallest
                scenarios << QStringLiteral("cursor") << QStringLiteral("write");
            if (i == 0 || i + 1 == sizes.size())
                scenarios << QStringLiteral("start");
            const QList<int> rtts = postgres ? o.rtts : QList<int>{-1};
            for (const QString& scenario : scenarios)
                for (const int rtt : rtts) {
                    Say(QStringLiteral("%1, %2 work bills: %3%4")
                            .arg(dbName)
                            .arg(sizes[i].workBills)
                            .arg(scenario, rtt < 0 ? QString() : QStringLiteral(" at %1 ms").arg(rtt)));
                    QStringList runArgs{QStringLiteral("run"),    scenario,
                                        QStringLiteral("--db"),   url,
                                        QStringLiteral("--reps"), QString::number(o.reps)};
                    if (scenario == QLatin1String("start"))
                        runArgs << QStringLiteral("--host") << o.host;
                    if (rtt >= 0)
                        runArgs << QStringLiteral("--rtt") << QString::number(rtt);
                    const QString out = Run(self, runArgs);
                    for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts)) {
                        QJsonObject r = Parse(line);
                        r.insert(QStringLiteral("database"), dbName);
                        r.insert(QStringLiteral("work_bills"), sizes[i].workBills);
                        results.append(r);
                    }
                }
        }
    }

    // Growth: the time when the data grows tenfold, as a ratio.
    const auto find = [&](const QString& db, const QString& scenario, int workBills) -> QJsonObject {
        for (const QJsonValue& v : results) {
            const QJsonObject r = v.toObject();
            if (r[QStringLiteral("database")].toString() == db &&
                r[QStringLiteral("scenario")].toString() == scenario &&
                r[QStringLiteral("work_bills")].toInt() == workBills &&
                r[QStringLiteral("rtt_ms")].toInt() == 0)
                return r;
        }
        return {};
    };
    QJsonArray growth;
    for (const QString& db : {QStringLiteral("SQLite"), QStringLiteral("PostgreSQL")})
        for (const QString& scenario : {QStringLiteral("list"), QStringLiteral("history")}) {
            const QJsonObject small = find(db, scenario, 1000), big = find(db, scenario, 10000);
            if (small.isEmpty() || big.isEmpty())
                continue;
            growth.append(QJsonObject{
                {QStringLiteral("database"), db},
                {QStringLiteral("scenario"), scenario},
                {QStringLiteral("from"), small[QStringLiteral("size")]},
                {QStringLiteral("to"), big[QStringLiteral("size")]},
                {QStringLiteral("ratio"),
                 big[QStringLiteral("ours")].toDouble() / small[QStringLiteral("ours")].toDouble()},
                // The floor's own growth in the same run: what the machine and the data
                // account for.
                {QStringLiteral("floor_ratio"),
                 big[QStringLiteral("floor")].toDouble() / small[QStringLiteral("floor")].toDouble()}});
        }

    std::printf("%-10s %-12s %8s %4s %12s %12s %8s %7s %10s\n", "database", "scenario", "size", "rtt", "ours",
                "floor", "ratio", "trips", "peak MiB");
    for (const QJsonValue& v : results) {
        const QJsonObject r = v.toObject();
        const double ours = r[QStringLiteral("ours")].toDouble(),
                     floor = r[QStringLiteral("floor")].toDouble();
        const QString unit = r[QStringLiteral("unit")].toString();
        const QJsonValue trips = r[QStringLiteral("round_trips")];
        std::printf("%-10s %-12s %8lld %4d %9s %-2s %9s %-2s %8s %7s %10.0f\n",
                    qPrintable(r[QStringLiteral("database")].toString()),
                    qPrintable(r[QStringLiteral("scenario")].toString()),
                    static_cast<long long>(r[QStringLiteral("size")].toDouble()),
                    r[QStringLiteral("rtt_ms")].toInt(), qPrintable(Figure(ours)),
                    qPrintable(unit == QLatin1String("ms") ? QStringLiteral("ms") : QStringLiteral("µs")),
                    floor > 0 ? qPrintable(Figure(floor)) : "-", floor > 0 ? "ms" : "",
                    floor > 0 ? qPrintable(QString::number(ours / floor, 'f', 1) + u'x') : "-",
                    trips.isDouble() ? qPrintable(Figure(trips.toDouble())) : "-",
                    r[QStringLiteral("peak_mib")].toDouble());
        if (!r[QStringLiteral("note")].toString().isEmpty())
            std::printf("%35s %s\n", "", qPrintable(r[QStringLiteral("note")].toString()));
    }
    for (const QJsonValue& v : growth) {
        const QJsonObject g = v.toObject();
        std::printf("growth %-10s %-8s %lld -> %lld: %.1fx time (the floor's %.1fx)\n",
                    qPrintable(g[QStringLiteral("database")].toString()),
                    qPrintable(g[QStringLiteral("scenario")].toString()),
                    static_cast<long long>(g[QStringLiteral("from")].toDouble()),
                    static_cast<long long>(g[QStringLiteral("to")].toDouble()),
                    g[QStringLiteral("ratio")].toDouble(), g[QStringLiteral("floor_ratio")].toDouble());
    }

    if (!o.json.isEmpty()) {
        QFile out(o.json);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            Fail(QStringLiteral("cannot write ") + o.json);
        const QJsonObject all{{QStringLiteral("machine"),
                               QSysInfo::prettyProductName() + QStringLiteral(", ") +
                                   QString::number(QThread::idealThreadCount()) + QStringLiteral(" cores")},
                              {QStringLiteral("quick"), o.quick},
                              {QStringLiteral("results"), results},
                              {QStringLiteral("growth"), growth}};
        out.write(QJsonDocument(all).toJson());
        Say(QStringLiteral("written: ") + o.json);
    }
    return 0;
}
