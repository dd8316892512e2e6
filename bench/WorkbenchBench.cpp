// The workbench as a clerk waits for it, each figure beside its floor: the same rows
// read by a bare statement through the same driver into memory.
//
//   workbench_bench run SCENARIO --db URL [--reps N] [--rtt MS]
//       one scenario on one database; prints one JSON object per measured size. With
//       --rtt the PostgreSQL connections (the floor's and a started program's too) go
//       through a relay that delays each direction by half of MS and counts round trips.
//   workbench_bench all --host PATH --data DIR [--pg URL] [--quick] [--rtt MS,...] [--json FILE]
//       generates or reuses the databases (through `erp-host db seed-bench`), runs every
//       scenario in a process of its own (peak memory is that process's), prints the table
//       and writes it as JSON
//
// Scenarios: list (the list reload with an empty filter), history (the edit-mode history
// load of the long work bill), cursor (the editability rule per cell of 200 rows),
// write (a typed work bill number to its prepared row, F7 to the worker lookup shown, and
// the save of 1 and of 100 new rows, the audit of 1 and of 100 selected rows), start
// (erp-host --screenshot); with the list its export to XLSX and CSV, with the history its
// print to PDF.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "app/component/DefaultWorkbenchParts.h"
#include "bench/DefaultAnswers.h"
#include "platform/Platform.h"
#include "platform/db/Database.h"
#include "platform/db/PgGuard.h"
#include "platform/middletier/WorkBillQuery.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/common/ComponentRegistry.h"
#include "src/common/Dictionary.h"
#include "src/common/Recordset.h"
#include "src/common/Ui.h"
#include "src/controls/GridExport.h"
#include "src/controls/TablePrint.h"
#include "src/entry/HostServices.h"
#include "src/reportgrid/ReportHistory.h"
#include "src/workbench/WorkbenchToolbar.h"
#include "src/workbench/frmProc.h"
#include "tests/support/DelayProxy.h"

using namespace sp;

namespace {

[[noreturn]] void Die(const QString& text) {
    std::fprintf(stderr, "workbench_bench: %s\n", qPrintable(text));
    std::exit(1);
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The relay of this run (--rtt on PostgreSQL), or none.
std::unique_ptr<sp::test::DelayProxy> g_proxy;

long long RoundTrips() { return g_proxy ? g_proxy->RoundTrips() : 0; }

template <class F>
double TimeMs(F work) {
    QElapsedTimer t;
    t.start();
    work();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// TimeMs that also adds the round trips the work made to `trips`.
template <class F>
double TimeMs(F work, long long& trips) {
    const long long before = RoundTrips();
    const double ms = TimeMs(work);
    trips += RoundTrips() - before;
    return ms;
}

// A PostgreSQL address with its password, as a program is given it.
QString AddressWithPassword(const platform::DatabaseUrl& url) {
    QUrl text(url.ToString());
    text.setPassword(url.password);
    return text.toString();
}

// The bare reads and writes the figures are compared with, through the same driver.
class Floor {
  public:
    explicit Floor(platform::Database& db) : db_(db) {}

    // Every row of a statement into memory, as values.
    qint64 Fetch(const QString& sql, const QVariantList& params = {}) {
        QSqlQuery q(db_.Connection());
        q.setForwardOnly(true);
        if (!q.prepare(platform::Database::DialectedFor(sql, db_.dialect())))
            Die(q.lastError().text());
        for (const QVariant& p : params) q.addBindValue(p);
        if (!q.exec())
            Die(q.lastError().text() + QStringLiteral(" [") + sql.left(300) + QStringLiteral("]"));
        std::vector<QVariantList> rows;
        const int cols = q.record().count();
        while (q.next()) {
            QVariantList row;
            row.reserve(cols);
            for (int c = 0; c < cols; ++c) row.append(q.value(c));
            rows.push_back(std::move(row));
        }
        return static_cast<qint64>(rows.size());
    }

    // Statements run in one transaction each call of Unit.
    void Unit(const std::function<void(QSqlQuery&)>& work) {
        QSqlDatabase c = db_.Connection();
        if (!c.transaction())
            Die(c.lastError().text());
        QSqlQuery q(c);
        work(q);
        if (!c.commit())
            Die(c.lastError().text());
    }
    void Exec(QSqlQuery& q, const QString& sql, const QVariantList& params) {
        if (!q.prepare(platform::Database::DialectedFor(sql, db_.dialect())))
            Die(q.lastError().text());
        for (const QVariant& p : params) q.addBindValue(p);
        if (!q.exec())
            Die(q.lastError().text() + QStringLiteral(" [") + sql.left(300) + QStringLiteral("]"));
    }

  private:
    platform::Database& db_;
};

// The real workbench with its real parts over the real stand-ins, loaded headlessly.
struct Shop {
    QTemporaryDir folder;
    std::shared_ptr<platform::Database> db;
    DefaultAnswers ui;
    ComponentRegistry registry;
    std::unique_ptr<HostServices> host;
    std::unique_ptr<frmProc> form;
    qint32 user = 0;

    explicit Shop(const QString& url) {
        db = platform::Database::Open(platform::DatabaseUrl::Parse(url), false);
        user = Basic::Long(
            db->Scalar(QStringLiteral("SELECT MIN(FUserID) FROM t_UserRight WHERE FRights = 2147483647")));
        if (user == 0)
            Die(QStringLiteral("the database has no user with every right: seed it with db seed-bench"));
        platform::PlatformSession session;
        session.db = db;
        session.userId = user;
        session.userName =
            Basic::Text(db->Scalar(QStringLiteral("SELECT FName FROM t_User WHERE FUserID = ?"), {user}));
        session.language = QStringLiteral("chs");
        session.programFolder = folder.path();
        session.ui = &ui;
        platform::RegisterPlatform(registry, session);
        host = std::make_unique<HostServices>(ComponentContext{&registry, &ui, folder.path(),
                                                               QCoreApplication::applicationDirPath(),
                                                               QCoreApplication::applicationPid()});
        form = MakeWorkbench(*host);
        auto filter = NewDictionary();
        filter->Set(QStringLiteral("OK"), true);
        form->SetUserId(user);
        form->SetDicFilter(filter);
        form->SetListStyle(0);  // loads the window and its list, as ShowForm does
    }
    ~Shop() {
        IgnoreErrorsQuietly([&] { form->Unload(); });
    }
    static void IgnoreErrorsQuietly(const std::function<void()>& f) {
        try {
            f();
        } catch (const ComError&) {
        }
    }

    GridModel& grid() { return form->vlgProc(); }
    WorkbenchParts& parts() { return form->Parts(); }
    int Col(const char* code) { return parts().ReportColumn(QLatin1String(code)); }

    // Types into a cell as a clerk does: the editor opens, takes the text and closes.
    void Type(int row, int col, const QString& text) {
        grid().SetCurrentCell(row, col);
        if (!grid().OpenEditor())
            Die(QStringLiteral("cell %1,%2 does not open").arg(row).arg(col));
        grid().SetEditorText(text);
        grid().CloseEditor(true);
    }
};

struct Result {
    QString scenario;
    qint64 size = 0;
    double ours = 0;
    double floor = 0;
    QString unit = QStringLiteral("ms");
    QString note;
    double peakMiB = 0;      // 0: this process's peak
    double roundTrips = -1;  // per clerk action; < 0: not counted (no relay)
};

void Print(const Result& r) {
    QJsonObject o{{QStringLiteral("scenario"), r.scenario},
                  {QStringLiteral("size"), r.size},
                  {QStringLiteral("ours"), r.ours},
                  {QStringLiteral("floor"), r.floor},
                  {QStringLiteral("unit"), r.unit},
                  {QStringLiteral("note"), r.note},
                  {QStringLiteral("peak_mib"), r.peakMiB > 0 ? r.peakMiB : PeakMiB()},
                  {QStringLiteral("rtt_ms"), g_proxy ? g_proxy->RoundTripMs() : 0}};
    if (g_proxy && r.roundTrips >= 0)
        o.insert(QStringLiteral("round_trips"), r.roundTrips);
    std::printf("%s\n", QJsonDocument(o).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

// --------------------------------------------------------------- scenarios

// The shown grid to XLSX and CSV, as Ctrl+E writes it: taking the grid's cells and
// writing the whole file. No floor: there is no bare way to the same file.
void ExportScenarios(const GridModel& grid, qint64 rows, int reps) {
    QTemporaryDir dir;
    for (const bool xlsx : {true, false}) {
        std::vector<double> ours;
        for (int i = 0; i < reps; ++i)
            ours.push_back(TimeMs([&] {
                const GridSnapshot shown = SnapshotGrid(grid);
                const QString failure =
                    xlsx ? WriteXlsx(shown, dir.filePath(QStringLiteral("g.xlsx")), QStringLiteral("g"))
                         : WriteCsv(shown, dir.filePath(QStringLiteral("g.csv")));
                if (!failure.isEmpty())
                    Die(failure);
            }));
        Print({xlsx ? QStringLiteral("export-xlsx") : QStringLiteral("export-csv"), rows, Median(ours), 0,
               QStringLiteral("ms"), QString(), 0});
    }
}

void ListScenario(Shop& s, int reps) {
    Floor floor(*s.db);
    // The service's own list statement, read bare.
    const QString sql = platform::WorkBillQuery::RecordsSql(s.db->dialect(), false, QString());
    std::vector<double> ours, bare;
    qint64 rows = 0;
    long long trips = 0;
    s.parts().RefreshWorkBillList();  // warm: layouts, names, statements
    for (int i = 0; i < reps; ++i) {
        bare.push_back(TimeMs([&] { rows = floor.Fetch(sql); }));
        ours.push_back(TimeMs([&] { s.parts().RefreshWorkBillList(); }, trips));
    }
    const GridModel& list = s.form->vlgList();
    const qint64 shown = list.Rows() - list.FixedRows();
    if (shown != rows)
        Die(QStringLiteral("the list shows %1 work bills, the bare statement reads %2").arg(shown).arg(rows));
    Print({QStringLiteral("list"), rows, Median(ours), Median(bare), QStringLiteral("ms"), QString(), 0,
           static_cast<double>(trips) / reps});
    ExportScenarios(list, rows, reps);
}

// The work bill with the most reports, and its report count.
std::pair<QString, qint64> LongestHistory(platform::Database& db) {
    RecordsetPtr r =
        db.Query(QStringLiteral("SELECT w.FWorkBillNO, COUNT(*) FROM SHProcRpt r JOIN SHWorkBillEntry w ON "
                                "w.FWBInterID = r.FWBInterID "
                                "GROUP BY w.FWorkBillNO ORDER BY COUNT(*) DESC, w.FWorkBillNO LIMIT 1"));
    return {Basic::Text(r->Field(0)), Basic::Long(r->Field(1))};
}

void HistoryScenario(Shop& s, int reps) {
    const auto [number, reports] = LongestHistory(*s.db);
    s.form->Dispatch(Tool::ModeEdit());
    WorkbenchState& state = s.form->State();
    if (!state.editMode)
        Die(QStringLiteral("edit mode refused: ") + s.ui.last);
    state.currentWorkBillNo = number;
    // The floor: the history's own select list with the three running sums and the
    // biller's and checker's names, as one statement.
    const QString selectList = ReportHistory(state).SelectList();
    const QString sql =
        QStringLiteral("SELECT ") + selectList +
        QStringLiteral(
            ", SUM(PR.FAuxQtyReceive) OVER (ORDER BY PR.Fserial), SUM(PR.FAuxQtyPass) OVER (ORDER BY "
            "PR.Fserial), SUM(PR.FAuxQtyHandOver) OVER (ORDER BY PR.Fserial), UB.FName, UC.FName "
            "FROM SHProcRpt PR JOIN SHWorkBillEntry WBE ON WBE.FWBInterID = PR.FWBInterID "
            "LEFT JOIN t_SubMessage SMT ON SMT.FInterID = WBE.FTimeUnitID "
            "LEFT JOIN t_User UB ON UB.FUserID = PR.FbillerID LEFT JOIN t_User UC ON UC.FUserID = "
            "PR.FcheckerID "
            "WHERE WBE.FWorkBillNO = ? ORDER BY PR.Fserial");
    Floor floor(*s.db);
    std::vector<double> ours, bare;
    qint64 rows = 0;
    long long trips = 0;
    s.parts().LoadReportHistory(0);  // warm
    for (int i = 0; i < reps; ++i) {
        bare.push_back(TimeMs([&] { rows = floor.Fetch(sql, {number}); }));
        ours.push_back(TimeMs([&] { s.parts().LoadReportHistory(0); }, trips));
    }
    const qint64 shown = s.grid().Rows() - s.grid().FixedRows();
    if (shown != reports || rows != reports)
        Die(QStringLiteral("history of %1: %2 reports, grid %3, floor %4 (%5)")
                .arg(number)
                .arg(reports)
                .arg(shown)
                .arg(rows)
                .arg(state.lblProcText));
    Print({QStringLiteral("history"), reports, Median(ours), Median(bare), QStringLiteral("ms"), QString(), 0,
           static_cast<double>(trips) / reps});

    // The long work bill printed to a PDF, as its preview's button writes it.
    QTemporaryDir dir;
    std::vector<double> printed;
    for (int i = 0; i < reps; ++i)
        printed.push_back(TimeMs([&] {
            QString failure;
            const auto printout = s.parts().ReportPrintout(&failure);
            if (!printout || !failure.isEmpty())
                Die(QStringLiteral("nothing printed: ") + failure);
            failure = WritePdf(*printout, WideTablePageLayout(), dir.filePath(QStringLiteral("r.pdf")));
            if (!failure.isEmpty())
                Die(failure);
        }));
    Print({QStringLiteral("print-pdf"), reports, Median(printed), 0, QStringLiteral("ms"), QString(), 0});
}

// The reportable work bills in number order, at most n.
QStringList Reportable(Shop& s, int n) {
    QStringList numbers;
    RecordsetPtr r =
        s.db->Query(QStringLiteral("SELECT wbe.FWorkBillNO") + platform::WorkBillQuery::FromClause() +
                    platform::WorkBillQuery::ReportableClause() +
                    QStringLiteral(" ORDER BY wbe.FWorkBillNO LIMIT ") + QString::number(n));
    for (; !r->Eof(); r->MoveNext()) numbers << Basic::Text(r->Field(0));
    return numbers;
}

void CursorScenario(Shop& s, int reps) {
    constexpr int kRows = 200;
    const QStringList numbers = Reportable(s, 50);
    GridModel& grid = s.grid();
    const int gph = s.Col("GPH");
    const int first = grid.FixedRows() + 1;
    for (int i = 0; i < kRows; ++i) {
        if (first + i > grid.Rows())
            grid.AddRow();
        s.Type(first + i, gph, numbers.at(i % numbers.size()));
    }
    std::vector<int> cols;
    for (int c = 2; c <= grid.Cols(); ++c)
        if (grid.ColumnVisible(c))
            cols.push_back(c);
    std::vector<double> cells;
    long long trips = 0;
    for (int rep = 0; rep < reps; ++rep)
        for (int row = first; row < first + kRows; ++row)
            for (int col : cols) cells.push_back(TimeMs([&] { grid.SetCurrentCell(row, col); }, trips));
    Print({QStringLiteral("cursor"), static_cast<qint64>(kRows * cols.size()), Median(cells) * 1000.0, 0,
           QStringLiteral("µs/cell"), QString(), 0, static_cast<double>(trips) / cells.size()});
}

// A first operation with two decimals and room to receive, for the writes.
QString WriteTarget(Shop& s) {
    RecordsetPtr r = s.db->Query(
        QStringLiteral("SELECT wbe.FWorkBillNO") + platform::WorkBillQuery::FromClause() +
        platform::WorkBillQuery::ReportableClause() +
        QStringLiteral(
            " AND wbe.FEntryID = (SELECT MIN(f.FEntryID) FROM SHWorkBillEntry f WHERE f.FInterID = "
            "wbe.FInterID) AND wbe.FItemID IN (SELECT FItemID FROM t_ICItem WHERE FQtyDecimal = 2) "
            "AND wbe.FAuxQtyPlan - wbe.FAuxQtyRecive >= 20 ORDER BY wbe.FWorkBillNO LIMIT 1"));
    if (r->Eof())
        Die(QStringLiteral("no work bill with room for 100 reports"));
    return Basic::Text(r->Field(0));
}

// Saves kRows new rows of one work bill through the save command, then audits them in
// edit mode; each repetition removes what it wrote before the next.
void WriteScenarios(Shop& s, int reps, int kRows) {
    const QString number = WriteTarget(s);
    const qint32 wbId = Basic::Long(s.db->Scalar(
        QStringLiteral("SELECT FWBInterID FROM SHWorkBillEntry WHERE FWorkBillNO = ?"), {number}));
    const qint32 topSerial = Basic::Long(s.db->Scalar(
        QStringLiteral("SELECT COALESCE(MAX(Fserial), 0) FROM SHProcRpt WHERE FWBInterID = ?"), {wbId}));
    Floor floor(*s.db);
    GridModel& grid = s.grid();
    std::vector<double> save, saveFloor, audit, auditFloor, prepare, lookup;
    long long saveTrips = 0, auditTrips = 0, prepareTrips = 0, lookupTrips = 0;
    const QString qty = QStringLiteral("0.1");
    for (int rep = 0; rep < reps; ++rep) {
        // New mode, a fresh grid, 100 rows typed in.
        s.form->Dispatch(Tool::ModeNew());
        s.parts().SetupReportColumns();
        const int first = grid.FixedRows() + 1;
        for (int i = 0; i < kRows; ++i) {
            if (first + i > grid.Rows())
                grid.AddRow();
            // The first row: the typed number to its prepared row (task taken, settings
            // and proposals read), then F7 on its worker cell until the lookup is shown.
            if (i == 0 && kRows == 1) {
                prepare.push_back(TimeMs([&] { s.Type(first, s.Col("GPH"), number); }, prepareTrips));
                grid.SetCurrentCell(first, s.Col("CZG"));
                const int shown = s.ui.dialogs;
                lookup.push_back(TimeMs([&] { s.form->Dispatch(Tool::EditView()); }, lookupTrips));
                if (s.ui.dialogs != shown + 1)
                    Die(QStringLiteral("F7 on the worker cell showed no lookup"));
            } else {
                s.Type(first + i, s.Col("GPH"), number);
            }
            for (const char* code : {"JSS", "SZS", "HGS", "YJS"}) s.Type(first + i, s.Col(code), qty);
        }
        const int before = s.ui.messages;
        save.push_back(TimeMs([&] { s.form->Dispatch(Tool::FileSave()); }, saveTrips));
        const qint64 saved = Basic::Long(s.db->Scalar(
            QStringLiteral("SELECT COUNT(*) FROM SHProcRpt WHERE FWBInterID = ? AND Fserial > ?"),
            {wbId, topSerial}));
        if (saved != kRows)
            Die(QStringLiteral("save stored %1 of %2 rows (%3 messages, last: %4)")
                    .arg(saved)
                    .arg(kRows)
                    .arg(s.ui.messages - before)
                    .arg(s.ui.last));

        // Edit mode on that work bill, the new rows selected, audited.
        WorkbenchState& state = s.form->State();
        s.form->Dispatch(Tool::ModeEdit());
        state.currentWorkBillNo = number;
        s.parts().LoadReportHistory(0);
        const int last = grid.Rows();
        grid.SelectRows(last - kRows + 1, last, 2);
        audit.push_back(TimeMs([&] { s.form->Dispatch(Tool::Audit()); }, auditTrips));
        const qint64 audited =
            Basic::Long(s.db->Scalar(QStringLiteral("SELECT COUNT(*) FROM SHProcRpt WHERE FWBInterID = ? AND "
                                                    "Fserial > ? AND Fstatus = 1"),
                                     {wbId, topSerial}));
        if (audited != kRows)
            Die(QStringLiteral("audit passed %1 of %2 rows (last message: %3)")
                    .arg(audited)
                    .arg(kRows)
                    .arg(s.ui.last));
        grid.SelectRows(last - kRows + 1, last, 2);
        s.form->Dispatch(Tool::UnAudit());
        s.db->Query(QStringLiteral("DELETE FROM SHProcRpt WHERE FWBInterID = ? AND Fserial > ?"),
                    {wbId, topSerial});

        // The floors: one bare transaction inserting the same rows; 100 bare transactions
        // each setting one report's status and posting its quantities.
        const QDate today = QDate::currentDate();
        saveFloor.push_back(TimeMs([&] {
            floor.Unit([&](QSqlQuery& q) {
                for (int i = 1; i <= kRows; ++i)
                    floor.Exec(
                        q,
                        QStringLiteral(
                            "INSERT INTO SHProcRpt (FWBInterID, Fserial, FbillerID, Fdate, FworkerID, "
                            "FdeviceID, FteamID, FstartWorkDate, FendWorkDate, FAuxQtyReceive, "
                            "FAuxQtyFinish, "
                            "FAuxQtyPass, FAuxQtyScrap, FAuxQtyHandOver, FfinishTime, FtotalFee, Fmemo, "
                            "Fstatus, FcheckerID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                            "0, 0)"),
                        {wbId, topSerial + i, s.user, today, 0, 0, 0, today, today, 0.1, 0.1, 0.1, 0.0, 0.1,
                         0.0, 0.0, QStringLiteral("")});
            });
        }));
        auditFloor.push_back(TimeMs([&] {
            for (int i = 1; i <= kRows; ++i)
                floor.Unit([&](QSqlQuery& q) {
                    floor.Exec(q,
                               QStringLiteral(
                                   "UPDATE SHProcRpt SET Fstatus = 1, FcheckerID = ?, FcheckDate = ? WHERE "
                                   "FWBInterID = ? AND Fserial = ?"),
                               {s.user, today, wbId, topSerial + i});
                    floor.Exec(
                        q,
                        QStringLiteral("UPDATE SHWorkBillEntry SET FAuxQtyRecive = FAuxQtyRecive + ?, "
                                       "FauxQtyFinish = FauxQtyFinish + ?, FauxQtyPass = FauxQtyPass + ?, "
                                       "FauxQtyHandOver = FauxQtyHandOver + ? WHERE FWBInterID = ?"),
                        {0.1, 0.1, 0.1, 0.1, wbId});
                });
        }));
        floor.Unit([&](QSqlQuery& q) {
            floor.Exec(q,
                       QStringLiteral("UPDATE SHWorkBillEntry SET FAuxQtyRecive = FAuxQtyRecive - ?, "
                                      "FauxQtyFinish = FauxQtyFinish - ?, FauxQtyPass = FauxQtyPass - ?, "
                                      "FauxQtyHandOver = FauxQtyHandOver - ? WHERE FWBInterID = ?"),
                       {0.1 * kRows, 0.1 * kRows, 0.1 * kRows, 0.1 * kRows, wbId});
            floor.Exec(q, QStringLiteral("DELETE FROM SHProcRpt WHERE FWBInterID = ? AND Fserial > ?"),
                       {wbId, topSerial});
        });
    }
    if (kRows == 1) {
        // Their floors are the save's: one bare statement's round trip.
        Print({QStringLiteral("prepare"), 1, Median(prepare), Median(saveFloor), QStringLiteral("ms"),
               QString(), 0, static_cast<double>(prepareTrips) / reps});
        Print({QStringLiteral("lookup"), 1, Median(lookup), Median(saveFloor), QStringLiteral("ms"),
               QString(), 0, static_cast<double>(lookupTrips) / reps});
    }
    Print({QStringLiteral("save"), kRows, Median(save), Median(saveFloor), QStringLiteral("ms"), QString(), 0,
           static_cast<double>(saveTrips) / reps});
    Print({QStringLiteral("audit"), kRows, Median(audit), Median(auditFloor), QStringLiteral("ms"), QString(),
           0, static_cast<double>(auditTrips) / reps});
}

// The whole program: erp-host --screenshot from its start until the workbench has
// handled its first activation (the list loaded), as the program itself reports it; once
// with the default (empty) filter and once with a filter of one work center. The
// screenshot's fixed 400 ms wait after the window is shown is left out; the whole
// process time is given beside it. Peak memory is the largest of the started programs'.
void StartScenario(const QString& url, const QString& host, int reps) {
    auto db = platform::Database::Open(platform::DatabaseUrl::Parse(url), false);
    const QString user = Basic::Text(db->Scalar(QStringLiteral(
        "SELECT FName FROM t_User WHERE FUserID = (SELECT MIN(FUserID) FROM t_UserRight WHERE FRights = "
        "2147483647)")));
    const QString wc = Basic::Text(db->Scalar(
        QStringLiteral("SELECT MIN(FShortNumber) FROM t_WorkCenter WHERE FShortNumber LIKE 'B%'")));
    // On PostgreSQL the benchmark clerk signs in as its own role (the server of the benchmark
    // trusts local connections); on SQLite --user names it.
    QStringList who{QStringLiteral("--db"), url, QStringLiteral("--user"), user};
    if (db->dialect() == platform::Dialect::PostgreSQL) {
        db->Exec(QStringLiteral("ALTER ROLE %1 LOGIN").arg(platform::PgGuard::QuoteIdent(user)));
        platform::DatabaseUrl as = platform::DatabaseUrl::Parse(url);
        as.user = user;
        who = QStringList{QStringLiteral("--db"), AddressWithPassword(as)};
    }
    Floor floor(*db);
    const QString listSql = platform::WorkBillQuery::RecordsSql(db->dialect(), false, QString());
    const QString oneWcSql = platform::WorkBillQuery::RecordsSql(db->dialect(), false, QString(),
                                                                 QStringLiteral(" AND wc.FShortNumber = ?"));
    for (const bool oneWc : {true, false}) {
        QTemporaryDir home;
        const QString data = home.filePath(QStringLiteral(".local/share/ShopProc/erp-host"));
        QDir().mkpath(data);
        if (oneWc) {
            QFile ini(QDir(data).filePath(QStringLiteral("Q8SHProcRpt.ini")));
            if (!ini.open(QIODevice::WriteOnly))
                Die(QStringLiteral("cannot write the filter settings"));
            ini.write(QStringLiteral("[Q8SHProcRpt600]\nBWC=%1\nEWC=%1\n").arg(wc).toUtf8());
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral(".local/share")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        std::vector<double> ready, whole, bare;
        qint64 rows = 0;
        long long trips = 0;
        for (int i = 0; i < reps; ++i) {
            bare.push_back(
                TimeMs([&] { rows = oneWc ? floor.Fetch(oneWcSql, {wc}) : floor.Fetch(listSql); }));
            QProcess p;
            p.setProcessEnvironment(env);
            QElapsedTimer t;
            t.start();
            const long long before = RoundTrips();
            p.start(host, QStringList(who)
                              << QStringLiteral("--screenshot") << home.filePath(QStringLiteral("wb.png")));
            if (!p.waitForFinished(300000) || p.exitCode() != 0)
                Die(QStringLiteral("erp-host failed: ") + QString::fromUtf8(p.readAllStandardError()));
            whole.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
            trips += RoundTrips() - before;
            const QString out = QString::fromUtf8(p.readAllStandardOutput());
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("ready (\\d+) ms")).match(out);
            if (!m.hasMatch())
                Die(QStringLiteral("erp-host did not say when it was ready: ") + out);
            ready.push_back(m.captured(1).toDouble());
        }
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        Print({oneWc ? QStringLiteral("start 1 WC") : QStringLiteral("start"), rows, Median(ready),
               Median(bare), QStringLiteral("ms"),
               QStringLiteral("whole process %1 ms, the screenshot's 400 ms wait included")
                   .arg(Median(whole), 0, 'f', 0),
               static_cast<double>(usage.ru_maxrss) / 1024.0, static_cast<double>(trips) / reps});
    }
}

void SummaryScenario(Shop& s, int reps);

int RunOne(const QString& scenario, QString url, int reps, const QString& host, const QString& rtt) {
    platform::DatabaseUrl address = platform::DatabaseUrl::Parse(url);
    if (!rtt.isEmpty() && address.dialect == platform::Dialect::PostgreSQL) {
        g_proxy = std::make_unique<sp::test::DelayProxy>(address.host, address.port, rtt.toInt());
        address.host = QStringLiteral("127.0.0.1");
        address.port = g_proxy->Port();
        url = AddressWithPassword(address);
    }
    if (scenario == QLatin1String("start"))
        return StartScenario(url, host, reps), 0;
    Shop shop(url);
    if (scenario == QLatin1String("list"))
        ListScenario(shop, reps);
    else if (scenario == QLatin1String("history"))
        HistoryScenario(shop, reps);
    else if (scenario == QLatin1String("cursor"))
        CursorScenario(shop, 1);
    else if (scenario == QLatin1String("write"))
        for (const int rows : {1, 100}) WriteScenarios(shop, reps, rows);
    else if (scenario == QLatin1String("summary"))
        SummaryScenario(shop, reps);
    else
        Die(QStringLiteral("unknown scenario ") + scenario);
    return 0;
}

}  // namespace

int BenchAll(const QStringList& args);

int main(int argc, char** argv) {
    // Text widths are measured in the toolbar's font; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("run")) {
        const auto option = [&](const char* name) {
            const qsizetype at = args.indexOf(QLatin1String(name));
            return at > 0 ? args.value(at + 1) : QString();
        };
        const int reps = option("--reps").isEmpty() ? 7 : option("--reps").toInt();
        try {
            return RunOne(args.value(1), option("--db"), std::max(reps, 1), option("--host"),
                          option("--rtt"));
        } catch (const ComError& e) {
            Die(e.Description());
        }
    }
    if (args.value(0) == QLatin1String("all"))
        return BenchAll(args.mid(1));
    Die(
        QStringLiteral("usage: workbench_bench run SCENARIO --db URL [--reps N] [--rtt MS] | all --host PATH "
                       "--data DIR [--pg URL] [--quick] [--rtt MS,...] [--json FILE]"));
}

// ------------------------------------------------------------- the summary of reports
#include "src/controls/GridModel.h"
#include "src/middletier/SummaryInterfaces.h"
#include "src/summary/SummaryTable.h"

namespace {

// The month's audited reports by team then worker, as the summary window reads and shows
// them, beside the bare GROUP BY of the same reports; then the reports of the group with
// the most, as its drill-down lists them, beside the bare read of its rows.
void SummaryScenario(Shop& s, int reps) {
    Floor floor(*s.db);
    const RecordsetPtr range =
        s.db->Query(QStringLiteral("SELECT MIN(FendWorkDate), MAX(FendWorkDate) FROM SHProcRpt"));
    SummaryRequest request;
    request.from = Basic::ToDate(range->Field(0));
    request.to = Basic::ToDate(range->Field(1));
    request.by1 = SummaryBy::Team;
    request.by2 = SummaryBy::Worker;
    const QVariantList period{request.from, request.to};
    const QString bare = QStringLiteral(
        "SELECT FteamID, FworkerID, COUNT(*), SUM(FAuxQtyReceive), SUM(FAuxQtyFinish), SUM(FAuxQtyPass), "
        "SUM(FAuxQtyLost), SUM(FAuxQtyBack), SUM(FAuxQtyBackPass), SUM(FAuxQtyScrap), SUM(FAuxQtyForItem), "
        "SUM(FAuxQtyHandOver), SUM(FfinishTime), SUM(FreadyTime), SUM(FpowercutTime), SUM(FfixTime), "
        "SUM(FwaitItemTime), SUM(FwaitToolTime), SUM(FtotalFee) FROM SHProcRpt WHERE FendWorkDate >= ? AND "
        "FendWorkDate <= ? AND Fstatus = 1 GROUP BY FteamID, FworkerID");
    auto service = s.registry.Create<IMShopSummary>(ProgId::MShopSummary());
    const QString props = s.host->PropsString();
    const qint64 reports = Basic::Long(s.db->Scalar(
        QStringLiteral(
            "SELECT COUNT(*) FROM SHProcRpt WHERE FendWorkDate >= ? AND FendWorkDate <= ? AND Fstatus = 1"),
        period));
    GridModel grid;
    std::vector<double> ours, floors;
    long long trips = 0;
    qint64 groups = 0;
    for (int i = 0; i < reps; ++i) {
        floors.push_back(TimeMs([&] { groups = floor.Fetch(bare, period); }));
        ours.push_back(TimeMs(
            [&] {
                SummaryTable::FillSummary(grid, service->GetWorkProcRptSummary(props, request), request.by1,
                                          request.by2);
            },
            trips));
    }
    Print({QStringLiteral("summary"), reports, Median(ours), Median(floors), QStringLiteral("ms"),
           QStringLiteral("%1 groups by team then worker").arg(groups), 0,
           static_cast<double>(trips) / reps});

    // The group with the most reports: its first row.
    int row = 2;
    for (int r = 2; r < grid.Rows(); ++r)
        if (grid.CellValue(r, 6).toDouble() > grid.CellValue(row, 6).toDouble())
            row = r;
    const auto group = SummaryTable::GroupOf(grid, row);
    if (!group)
        Die(QStringLiteral("the summary shows no group"));
    const QString rowsSql = QStringLiteral(
        "SELECT * FROM SHProcRpt WHERE FendWorkDate >= ? AND FendWorkDate <= ? AND Fstatus = 1 AND FteamID = "
        "? AND "
        "FworkerID = ? ORDER BY FendWorkDate, FWBInterID, Fserial");
    GridModel list;
    std::vector<double> drill, drillFloor;
    qint64 listed = 0;
    trips = 0;
    for (int i = 0; i < reps; ++i) {
        drillFloor.push_back(TimeMs([&] {
            listed = floor.Fetch(rowsSql, {request.from, request.to, group->first, group->second});
        }));
        drill.push_back(TimeMs(
            [&] {
                SummaryTable::FillReports(
                    list, service->GetWorkProcRptSummaryList(props, request, group->first, group->second));
            },
            trips));
    }
    if (list.Rows() - list.FixedRows() != listed)
        Die(QStringLiteral("the drill-down lists %1 reports, the bare statement reads %2")
                .arg(list.Rows() - list.FixedRows())
                .arg(listed));
    Print({QStringLiteral("summary drill-down"), listed, Median(drill), Median(drillFloor),
           QStringLiteral("ms"), QStringLiteral("one worker's reports of the month"), 0,
           static_cast<double>(trips) / reps});
}

}  // namespace
