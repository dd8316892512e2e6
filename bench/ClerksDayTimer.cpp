// The clerk's day, timed: the program a clerk runs (build/bin/erp-host) on a virtual
// display of its own, driven from outside with real keys and clicks (the window tests'
// Desktop), its demo database made fresh for each run. The program writes when each
// input reached it and when each window was painted (SHOPPROC_TIMING_LOG, described in
// app/host/TimingLog.h); this tool sends one input at a time, waits until the window
// probe shows the result and the program has been quiet for a while, and reads the step's
// time from that log. It prints per step the median, the fastest and the slowest of
// every run beside its target, and the keys and clicks one typical report took; it
// asserts nothing.
//
// A step runs from its trigger reaching the program (a key's press; a click's release,
// which is when a button acts; the second press of a double click) to the end of the
// last paint of the burst the trigger set off: paints that follow one another with the
// program waiting for events no longer than BurstGapMs between them, and ending at the
// next input (a key's release repaints the editor's cursor). Time the program
// spends busy (a save, a database query) never ends a burst; only waiting does. A step
// that opens a window lasts at least until the new window's first paint: the program
// waits for the display server to map it in between.
//
// With --pg the program works on a PostgreSQL database instead, made fresh for each run
// on that server (db init, seed-demo and a clerk with every right, as the administrator
// would), and with --rtt through a relay that delays each direction by half of MS: a
// server across a network.
//
//   clerks_day_timer [--runs N] [--log-folder DIR] [--pg URL [--rtt MS]]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "bench/PgConnection.h"
#include "tests/support/DelayProxy.h"
#include "tests/window/Desktop.h"

namespace {

using namespace Qt::StringLiterals;
using sp::test::Desktop;
using sp::test::Probe;
using sp::test::Program;

const QString kList = u"vlgList"_s;
const QString kGrid = u"vlgProc"_s;
// The program counts as done with a step once its log has been quiet this long (a text
// cursor blinks every 500 ms, so an open editor never keeps it busier).
constexpr int QuietMs = 300;

// Paints that follow each other with the program waiting no longer than this between
// them belong to one step (a text cursor blinks every 500 ms, a tooltip waits 700 ms).
constexpr double BurstGapMs = 50;

enum class Rule { InWindow, NewWindow };

// Where the triggers' way in from the X server to the program is gathered.
const QString kWayIn = u"way in"_s;

struct Target {
    const char* step;
    double ms;
};

// The steps in the order they are printed, with what a clerk should wait at most.
const Target kSteps[] = {
    {"key typed in a cell, opening its editor", 50},
    {"key typed in a cell's editor", 50},
    {"cursor move (arrow key) in the record grid", 50},
    {"Enter in a cell, opening its editor", 50},
    {"Enter in a cell's editor, on to the next cell", 50},
    {"work bill number + Enter to its prepared row", 150},
    {"F7 to the worker lookup shown", 200},
    {"Enter in the lookup to the pick in its cell", 200},
    {"save of one row (click)", 300},
    {"audit of one row (click)", 300},
    {"unaudit of one row (click)", 300},
    {"delete: the question shown (click)", 300},
    {"delete: Yes to the row gone (click)", 300},
    {"double click on a work bill to its new row", 300},
};

struct Line {
    QString kind;
    double at = 0, end = 0;  // ms
    QString what, name, window;
    qint64 sent = 0;  // the X server's time stamp of an input, ms
};

QString LoadAverage() {
    QFile file(u"/proc/loadavg"_s);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(u' ', 0, 2) : u"?"_s;
}

// The record grid's current column: where the cursor is, or the column of the cell whose
// editor is open (the grid then lists no current cell: the editor has the focus).
int CursorColumn(const Probe& p) {
    if (const int col = p.Current(kGrid).second; col > 0)
        return col;
    const std::optional<QPoint> editor = p.Centre(u"cellEditor"_s);
    if (!editor)
        return 0;
    for (const QString& line : p.Raw().split(u'\n')) {
        const QStringList f = line.split(u'\t');
        if (f[0] == u"column" && f.value(1) == kGrid && f.value(4).toInt() <= editor->x() &&
            editor->x() < f.value(4).toInt() + f.value(6).toInt())
            return f.value(2).toInt();
    }
    return 0;
}

// The first value of a statement on the PostgreSQL database at `url`.
QVariant Sql(const QUrl& url, const QString& sql) {
    QVariant value;
    {
        QSqlDatabase db = sp::bench::OpenPostgres(url, u"clerks-day-pg"_s);
        if (!db.isOpen())
            throw std::runtime_error("cannot reach the PostgreSQL server: " + url.toString().toStdString());
        QSqlQuery q(db);
        if (q.exec(sql) && q.next())
            value = q.value(0);
    }
    QSqlDatabase::removeDatabase(u"clerks-day-pg"_s);
    return value;
}

// The PostgreSQL server of a run with --pg: the superuser's address and the relay's delay.
struct Server {
    QUrl admin;
    int rttMs = 0;
};

// Runs erp-host's administrator command on `db`; throws when it fails.
void Admin(const QStringList& command, const QUrl& db, const QByteArray& input = {}) {
    QProcess p;
    p.start(QStringLiteral(ERP_HOST_PATH), QStringList(command) << u"--db"_s << db.toString());
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        throw std::runtime_error("erp-host " + command.join(u' ').toStdString() + ": " +
                                 p.readAllStandardError().toStdString());
}

class Day {
  public:
    Day(Desktop& desk, const QString& logFolder, int run, const std::optional<Server>& server)
        : desk_(desk), run_(run) {
        if (!home_.isValid())
            throw std::runtime_error("no temporary folder");
        log_ = QDir(logFolder).filePath(u"run-%1.log"_s.arg(run));
        qputenv("SHOPPROC_TIMING_LOG", QFile::encodeName(log_));
        QStringList args;
        if (server) {
            pg_ = server->admin;
            pg_.setPath(u"/clerksday%1"_s.arg(run));
            Sql(server->admin, u"DROP DATABASE IF EXISTS clerksday%1"_s.arg(run));
            Sql(server->admin, u"CREATE DATABASE clerksday%1"_s.arg(run));
            Admin({u"db"_s, u"init"_s}, pg_);
            Admin({u"db"_s, u"seed-demo"_s}, pg_);
            Admin({u"user"_s, u"add"_s, u"timer"_s, u"--password-stdin"_s}, pg_, "timer-secret\n");
            proxy_ = std::make_unique<sp::test::DelayProxy>(pg_.host(), pg_.port(), server->rttMs);
            QUrl clerk = pg_;
            clerk.setHost(u"127.0.0.1"_s);
            clerk.setPort(proxy_->Port());
            clerk.setUserName(u"timer"_s);
            clerk.setPassword(u"timer-secret"_s);
            args << u"--db"_s << clerk.toString();
        }
        program_ = std::make_unique<Program>(desk_.Display(), home_.path(), ProbePath(), args);
    }

    void Run(QMap<QString, QVector<double>>& samples, int* keys, int* clicks);

  private:
    QString ProbePath() const { return home_.filePath(u"probe.txt"_s); }
    Probe Read() const {
        QFile file(ProbePath());
        return Probe(file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString());
    }
    Probe WaitFor(const char* what, const std::function<bool(const Probe&)>& holds, int ms = 30000) {
        QElapsedTimer timer;
        timer.start();
        Probe p = Read();
        while (!holds(p)) {
            if (timer.elapsed() > ms) {
                QFile::copy(ProbePath(), log_ + u".probe"_s);
                const int exit = program_->Finished(1000);  // reads what the program wrote
                throw std::runtime_error("timed out waiting until " + std::string(what) +
                                         " (the program, exit code " + std::to_string(exit) +
                                         ", said: " + program_->Output().right(2000).toStdString() + ")" +
                                         " (the screen as the "
                                         "probe saw it: " +
                                         log_.toStdString() + ".probe)");
            }
            QThread::msleep(20);
            p = Read();
        }
        return p;
    }
    // Until the log has not grown for QuietMs.
    void Settle() {
        qint64 size = QFileInfo(log_).size();
        QElapsedTimer quiet;
        quiet.start();
        while (quiet.elapsed() < QuietMs) {
            QThread::msleep(20);
            const qint64 now = QFileInfo(log_).size();
            if (now != size) {
                size = now;
                quiet.restart();
            }
        }
    }
    QPoint At(std::optional<QPoint> point, const char* what) {
        if (!point)
            throw std::runtime_error(std::string(what) + " is not on the screen");
        return *point;
    }
    void ClickWidget(const QString& name) { desk_.Click(At(Read().Centre(name), qPrintable(name))); }
    void ClickCell(const QString& grid, int row, int col, int times = 1) {
        desk_.Click(At(Read().CellCentre(grid, row, col), "the cell"), times);
    }
    // The pointer rests where it hovers nothing, so no tooltip comes up in a later step.
    void Rest() { desk_.Move({1270, 890}); }
    QVariant Db(const QString& sql) const;

    // Runs the input, waits for its result and the program's quiet, and records the
    // step's time from the log lines it wrote meanwhile.
    Probe Step(const char* step, Rule rule, const char* trigger, const std::function<void()>& input,
               const std::function<bool(const Probe&)>& result = {});
    std::optional<double> Measure(const QVector<Line>& lines, Rule rule, const QString& trigger) const;
    QVector<Line> LinesFrom(qint64 offset) const;

    Desktop& desk_;
    int run_;
    QTemporaryDir home_;
    QString log_;
    QUrl pg_;  // the run's PostgreSQL database; empty: the demo's SQLite file
    std::unique_ptr<sp::test::DelayProxy> proxy_;
    std::unique_ptr<Program> program_;
    QMap<QString, QVector<double>>* samples_ = nullptr;
    double origin_ = 0;  // the log's start on the monotonic clock, ms
};

QVariant Day::Db(const QString& sql) const {
    if (!pg_.isEmpty())
        return Sql(pg_, sql);
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"clerks-day"_s);
        db.setDatabaseName(home_.filePath(u".local/share/ShopProc/erp-host/demo.db"_s));
        db.setConnectOptions(u"QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"_s);
        QSqlQuery q(db);
        if (db.open() && q.exec(sql) && q.next())
            value = q.value(0);
    }
    QSqlDatabase::removeDatabase(u"clerks-day"_s);
    return value;
}

QVector<Line> Day::LinesFrom(qint64 offset) const {
    QVector<Line> lines;
    QFile file(log_);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset))
        return lines;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QStringList f = QString::fromUtf8(raw).split(u'\t');
        Line l;
        l.kind = f[0];
        l.at = f.value(1).toDouble() / 1000;
        if (l.kind == u"input") {
            l.what = f.value(2);
            l.name = f.value(3);
            l.window = f.value(4);
            l.sent = f.value(5).toLongLong();
        } else if (l.kind == u"origin") {
            l.at = f.value(1).toDouble();
        } else if (l.kind == u"paint") {
            l.end = f.value(2).toDouble() / 1000;
            l.window = f.value(3);
        } else if (l.kind != u"idle") {
            continue;
        }
        lines << l;
    }
    return lines;
}

std::optional<double> Day::Measure(const QVector<Line>& lines, Rule rule, const QString& trigger) const {
    int from = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].kind == u"input" && lines[i].what == trigger)
            from = i;
    if (from < 0)
        return std::nullopt;
    const Line& start = lines[from];
    // The burst of paints the trigger set off: it ends where the program has waited for
    // events longer than BurstGapMs without painting again.
    double end = -1, waitingSince = -1;
    bool shown = rule == Rule::InWindow;
    for (int i = from + 1; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (l.kind == u"idle") {
            if (end >= 0 && waitingSince < 0)
                waitingSince = l.at;
            continue;
        }
        // What a later input repaints (the key's release, the button's) is its own.
        if (l.kind == u"input" && end >= 0)
            break;
        if (l.kind != u"paint")
            continue;
        if (waitingSince >= 0 && l.at - waitingSince > BurstGapMs)
            break;
        waitingSince = -1;
        shown = shown || l.window != start.window;
        if (shown)
            end = l.end;
    }
    if (end < 0)
        return std::nullopt;
    return end - start.at;
}

Probe Day::Step(const char* step, Rule rule, const char* trigger, const std::function<void()>& input,
                const std::function<bool(const Probe&)>& result) {
    Settle();
    const qint64 offset = QFileInfo(log_).size();
    input();
    Probe p = result ? WaitFor(step, result) : Read();
    Settle();
    const QVector<Line> lines = LinesFrom(offset);
    if (const auto ms = Measure(lines, rule, QString::fromLatin1(trigger))) {
        (*samples_)[QString::fromLatin1(step)] << *ms;
        // The trigger's way in: from the X server stamping it to the program receiving it,
        // both on the monotonic clock (the server's stamp is 32 bits of milliseconds).
        for (qsizetype i = lines.size() - 1; i >= 0; --i)
            if (lines[i].kind == u"input" && lines[i].what == QLatin1String(trigger)) {
                const auto received = static_cast<qint64>(origin_ + lines[i].at);
                const auto late =
                    static_cast<qint32>(static_cast<quint32>(received) - static_cast<quint32>(lines[i].sent));
                (*samples_)[kWayIn] << static_cast<double>(late);
                break;
            }
    } else
        std::fprintf(stderr, "run %d: %s: no %s and paint after it in the log\n", run_, step, trigger);
    return result ? Read() : p;
}

void Day::Run(QMap<QString, QVector<double>>& samples, int* keys, int* clicks) {
    samples_ = &samples;
    WaitFor("the filter dialog", [](const Probe& p) { return p.Active() == u"frmWageFilter"; });
    for (const Line& l : LinesFrom(0))
        if (l.kind == u"origin")
            origin_ = l.at;
    ClickWidget(u"cmdOK"_s);
    Probe p = WaitFor("the workbench shows its list", [](const Probe& p) {
        return p.Active() == u"frmProc" && !p.Cell(kList, 3, 1).isEmpty();
    });
    const int number = p.Column(kList, u"工序计划单号"_s);
    const int gph = p.Column(kGrid, u"GPH"_s), hbxh = p.Column(kGrid, u"HBXH"_s);
    const int worker = p.Column(kGrid, u"CZG"_s), received = p.Column(kGrid, u"JSS"_s);
    if (number <= 0 || gph <= 0 || worker <= 0 || received <= 0)
        throw std::runtime_error("the list's number or the grid's columns are not shown");
    // The first work bill of the demo's list names no worker: the clerk picks one.
    const QString bill = p.Cell(kList, 2, number);

    // One typical report by the keyboard alone: the number, the worker, three quantities,
    // the hours, then the save.
    int typed = 0;
    ClickCell(kGrid, 2, gph);
    *clicks = 1;
    WaitFor("the empty row's number is current",
            [&](const Probe& p) { return p.Current(kGrid) == std::pair(2, gph); });
    Rest();
    // One key typed: into the editor when one is open, else it opens the cell's editor.
    const auto type = [&](const QString& key) {
        const bool open = p.Centre(u"cellEditor"_s).has_value();
        ++typed;
        Step(open ? "key typed in a cell's editor" : "key typed in a cell, opening its editor",
             Rule::InWindow, "key", [&] { desk_.Type(key); });
        p = Read();
    };
    for (int i = 0; i < bill.size(); ++i) type(bill.mid(i, 1));
    ++typed;
    p = Step(
        "work bill number + Enter to its prepared row", Rule::InWindow, "key",
        [&] { desk_.Key(u"Return"_s); },
        [&](const Probe& p) { return p.Cell(kGrid, 2, gph) == bill && !p.Cell(kGrid, 2, hbxh).isEmpty(); });
    // Enter in a cell opens its editor; in an open editor it takes the text and moves on
    // to the row's next cell the clerk may edit.
    const auto enter = [&] {
        const bool open = p.Centre(u"cellEditor"_s).has_value();
        const int was = CursorColumn(p);
        ++typed;
        p = Step(
            open ? "Enter in a cell's editor, on to the next cell" : "Enter in a cell, opening its editor",
            Rule::InWindow, "key", [&] { desk_.Key(u"Return"_s); },
            [&](const Probe& p) {
                return CursorColumn(p) != was || p.Centre(u"cellEditor"_s).has_value() != open;
            });
    };
    // Enter until the cursor is in the column of the key; the grid scrolls as it goes, so a
    // column further right is found once it is shown.
    const auto enterTo = [&](const QString& key) {
        for (int guard = 0; guard < 60; ++guard) {
            const int col = p.Column(kGrid, key);
            if (col > 0 && CursorColumn(p) >= col)
                return col;
            enter();
        }
        throw std::runtime_error("Enter never reached the column " + key.toStdString());
    };
    enterTo(u"CZG"_s);
    if (CursorColumn(p) != worker)
        throw std::runtime_error("the worker's cell was passed: the work bill names its worker");
    WaitFor("the worker's cell offers its lookup", [](const Probe& p) {
        return p.Enabled(u"btnEditView"_s) && p.Text(u"btnSttInfo"_s) == u"按F7查找相关信息";
    });
    typed += 2;
    Step(
        "F7 to the worker lookup shown", Rule::NewWindow, "key", [&] { desk_.Key(u"F7"_s); },
        [](const Probe& p) { return p.Modal() != u"frmProc" && p.Active() == p.Modal(); });
    p = Step(
        "Enter in the lookup to the pick in its cell", Rule::InWindow, "key", [&] { desk_.Key(u"Return"_s); },
        [&](const Probe& p) {
            return p.Active() == u"frmProc" && !p.Cell(kGrid, 2, worker).isEmpty() && CursorColumn(p) > 0;
        });
    enterTo(u"JSS"_s);
    for (int quantity = 0; quantity < 3; ++quantity) {
        type(u"3"_s);
        enter();
    }
    enterTo(u"SZGS"_s);
    type(u"2"_s);
    enter();
    *keys = typed;

    ++*clicks;
    Step(
        "save of one row (click)", Rule::InWindow, "release", [&] { ClickWidget(u"btnFileSave"_s); },
        [](const Probe& p) { return !p.Enabled(u"btnFileSave"_s); });
    Rest();
    const QString serial = Db(u"SELECT MAX(PR.Fserial) FROM SHProcRpt PR JOIN SHWorkBillEntry WBE ON "
                              "WBE.FWBInterID = PR.FWBInterID WHERE WBE.FWorkBillNO = '%1'"_s.arg(bill))
                               .toString();
    if (Db(u"SELECT PR.FAuxQtyReceive FROM SHProcRpt PR JOIN SHWorkBillEntry WBE ON WBE.FWBInterID = "
           "PR.FWBInterID WHERE WBE.FWorkBillNO = '%1' AND PR.Fserial = %2"_s.arg(bill, serial))
            .toDouble() != 3.0)
        throw std::runtime_error("the report was not stored as typed");

    // Edit mode on the work bill, its new report alone: audit, unaudit, delete.
    ClickCell(kList, 2, number);
    ClickWidget(u"btnModeEdit"_s);
    WaitFor("the record filter", [](const Probe& p) { return p.Active() == u"frmInfoFilter"; });
    desk_.Type(serial);
    desk_.Key(u"Return"_s);
    p = WaitFor("the history shows the saved report alone", [&](const Probe& p) {
        return p.Active() == u"frmProc" && p.Cell(kGrid, 2, received) == u"3" &&
               p.Cell(kGrid, 3, received).isEmpty();
    });
    ClickCell(kGrid, 2, received);
    p = WaitFor("the report is current", [&](const Probe& p) { return p.Current(kGrid).first == 2; });
    // The cursor back and forth along the row (no editor is open: the arrows move the cursor).
    for (const QString& key : {u"Left"_s, u"Left"_s, u"Left"_s, u"Right"_s, u"Right"_s, u"Right"_s}) {
        const auto was = p.Current(kGrid);
        p = Step(
            "cursor move (arrow key) in the record grid", Rule::InWindow, "key", [&] { desk_.Key(key); },
            [&](const Probe& p) { return p.Current(kGrid) != was; });
    }

    const auto audited = [](const Probe& p) {
        return !p.Enabled(u"btnAudit"_s) && p.Enabled(u"btnUnAudit"_s);
    };
    Step(
        "audit of one row (click)", Rule::InWindow, "release", [&] { ClickWidget(u"btnAudit"_s); }, audited);
    Rest();
    Step(
        "unaudit of one row (click)", Rule::InWindow, "release", [&] { ClickWidget(u"btnUnAudit"_s); },
        [&](const Probe& p) { return !audited(p) && p.Enabled(u"btnAudit"_s); });
    Rest();
    p = Step(
        "delete: the question shown (click)", Rule::NewWindow, "release",
        [&] { ClickWidget(u"btnEditDel"_s); }, [](const Probe& p) { return p.Modal() == u"QMessageBox"; });
    QString yes;
    for (const QString& line : p.Raw().split(u'\n'))
        if (line.startsWith(u"widget\tQMessageBox\t@是"_s) || line.startsWith(u"widget\tQMessageBox\t@Yes"_s))
            yes = line.section(u'\t', 2, 2);
    Step(
        "delete: Yes to the row gone (click)", Rule::InWindow, "release", [&] { ClickWidget(yes); },
        [&](const Probe& p) { return p.Active() == u"frmProc" && p.Cell(kGrid, 2, received).isEmpty(); });
    Rest();

    // New mode again: a double click on the work bill starts its report.
    ClickWidget(u"btnModeNew"_s);
    WaitFor("new mode", [](const Probe& p) { return p.Checked(u"btnModeNew"_s); });
    Step(
        "double click on a work bill to its new row", Rule::InWindow, "dblclick",
        [&] { ClickCell(kList, 2, number, 2); },
        [&](const Probe& p) { return p.Cell(kGrid, 2, gph) == bill && !p.Cell(kGrid, 2, hbxh).isEmpty(); });
    Rest();

    ClickWidget(u"btnFileExit"_s);
    WaitFor("the exit question", [](const Probe& p) { return p.Modal() == u"QMessageBox"; });
    for (const QString& line : Read().Raw().split(u'\n'))
        if (line.startsWith(u"widget\tQMessageBox\t@是"_s) || line.startsWith(u"widget\tQMessageBox\t@Yes"_s))
            ClickWidget(line.section(u'\t', 2, 2));
    if (program_->Finished(30000) != 0)
        throw std::runtime_error("the program did not end well: " + program_->Output().toStdString());
}

double Median(QVector<double> v) {
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int runs = 5;
    QString logFolder = QString::fromUtf8(CLERKS_DAY_FOLDER);
    std::optional<Server> server;
    int rttMs = 0;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--runs" && i + 1 < args.size())
            runs = args[++i].toInt();
        else if (args[i] == u"--log-folder" && i + 1 < args.size())
            logFolder = args[++i];
        else if (args[i] == u"--pg" && i + 1 < args.size())
            server = Server{QUrl(args[++i]), 0};
        else if (args[i] == u"--rtt" && i + 1 < args.size())
            rttMs = args[++i].toInt();
        else {
            std::fprintf(stderr,
                         "usage: clerks_day_timer [--runs N] [--log-folder DIR] [--pg URL [--rtt MS]]\n");
            return 64;
        }
    }
    if (server)
        server->rttMs = rttMs;
    QDir().mkpath(logFolder);
    QString why;
    auto desk = Desktop::Start(&why);
    if (!desk) {
        std::fprintf(stderr, "%s (the timer needs Xvfb and xdotool)\n", qPrintable(why));
        return 1;
    }
    if (server)
        std::printf("database: PostgreSQL, %d ms round trip\n", server->rttMs);
    std::printf("load average before: %s\n", qPrintable(LoadAverage()));
    QMap<QString, QVector<double>> samples;
    int keys = 0, clicks = 0, failed = 0;
    for (int run = 1; run <= runs; ++run) {
        try {
            Day day(*desk, logFolder, run, server);
            day.Run(samples, &keys, &clicks);
            std::fprintf(stderr, "run %d done\n", run);
        } catch (const std::exception& e) {
            ++failed;
            std::fprintf(stderr, "run %d failed: %s\n", run, e.what());
        }
    }
    std::printf("load average after: %s\n\n", qPrintable(LoadAverage()));
    std::printf("| step | samples | median | min | max | target | met? |\n|---|---|---|---|---|---|---|\n");
    for (const Target& t : kSteps) {
        const QVector<double> v = samples.value(QString::fromLatin1(t.step));
        if (v.isEmpty()) {
            std::printf("| %s | 0 | | | | < %.0f ms | |\n", t.step, t.ms);
            continue;
        }
        const double median = Median(v);
        std::printf("| %s | %lld | %.1f ms | %.1f ms | %.1f ms | < %.0f ms | %s |\n", t.step,
                    static_cast<long long>(v.size()), median, *std::min_element(v.begin(), v.end()),
                    *std::max_element(v.begin(), v.end()), t.ms, median < t.ms ? "yes" : "no");
    }
    if (const QVector<double> in = samples.value(kWayIn); !in.isEmpty())
        std::printf(
            "\nNot counted above: from the X server stamping a trigger to the program receiving it, "
            "median %.0f ms, at most %.0f ms (%lld triggers; the server stamps whole milliseconds).\n",
            Median(in), *std::max_element(in.begin(), in.end()), static_cast<long long>(in.size()));
    std::printf(
        "\nOne typical report (work bill number, worker, three quantities, hours): %d keys and "
        "%d clicks (into the grid's empty row, and the save).\n",
        keys, clicks);
    std::printf("The program's logs: %s/run-N.log\n", qPrintable(logFolder));
    return failed ? 1 : 0;
}
