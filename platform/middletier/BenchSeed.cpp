#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "platform/middletier/MiddleTierRegistration.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"

namespace sp::platform {
namespace {

constexpr int kOpsPerTask = 5;
constexpr int kDepartments = 10;
constexpr int kWorkCentersPerDept = 5;
constexpr int kProcesses = 20;
constexpr int kTeams = 20;
constexpr int kEmployees = 200;
constexpr int kDevices = 100;
constexpr int kItems = 500;

// Rows of one table. On PostgreSQL a few hundred go to a statement, which repeats the
// row's VALUES tuple: a round trip per row is what made a seed slow there. SQLite runs
// in the process and is fastest with one prepared statement executed row by row
// (binding hundreds of rows to one statement costs more than it saves). The rows go in
// the order given either way. Call Flush() before the transaction ends.
class Batch {
  public:
    Batch(Database& db, const QString& sql) : db_(db) {
        const qsizetype values = sql.lastIndexOf(QStringLiteral(" VALUES "));
        if (values < 0)
            Fail(sql, QStringLiteral("no VALUES"));
        head_ = sql.left(values + 8);
        tuple_ = sql.mid(values + 8).trimmed();
        const int params = std::max<int>(1, static_cast<int>(tuple_.count(QLatin1Char('?'))));
        // PostgreSQL's protocol allows 65535 parameters to a statement; the values are
        // written into the text here, but a statement stays within that anyway.
        if (db.dialect() == Dialect::PostgreSQL)
            rowsPerStatement_ = std::max(1, std::min(kRowsPerStatement, 65535 / params));
    }
    template <class... V>
    void Row(const V&... values) {
        (pending_.append(QVariant(values)), ...);
        if (++rows_ == rowsPerStatement_)
            Flush();
    }
    void Flush() {
        if (rows_ == 0)
            return;
        if (db_.dialect() == Dialect::PostgreSQL) {
            // Values written into the text (Database::Exec): one round trip, no PREPARE.
            db_.Exec(Statement(rows_), pending_);
        } else {
            if (!prepared_) {
                prepared_.emplace(db_.Connection());
                Prepare(*prepared_, Statement(1));
            }
            Run(*prepared_);
        }
        pending_.clear();
        rows_ = 0;
    }

  private:
    static constexpr int kRowsPerStatement = 500;

    QString Statement(int rows) const {
        QString sql = head_;
        sql.reserve(head_.size() + rows * (tuple_.size() + 2));
        for (int r = 0; r < rows; ++r) {
            if (r > 0)
                sql += QStringLiteral(", ");
            sql += tuple_;
        }
        return sql;
    }
    void Prepare(QSqlQuery& query, const QString& sql) {
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            Fail(sql, query.lastError().text());
    }
    void Run(QSqlQuery& query) {
        for (const QVariant& value : std::as_const(pending_)) query.addBindValue(value);
        if (!query.exec())
            Fail(head_, query.lastError().text());
    }
    [[noreturn]] static void Fail(const QString& sql, const QString& why) {
        throw ComError(ErrorNumber::Database, QStringLiteral("SeedBench"),
                       why + QStringLiteral(" [") + sql.left(200) + QStringLiteral("]"));
    }

    Database& db_;
    QString head_;   // "INSERT INTO t (...) VALUES "
    QString tuple_;  // "(?, ?, 85, ?)"
    int rowsPerStatement_ = 1;
    int rows_ = 0;
    QVariantList pending_;
    std::optional<QSqlQuery> prepared_;  // SQLite: one row's statement, prepared once
};

qint64 Next(Database& db, const QString& table, const QString& column) {
    return Basic::Long(db.Scalar(QStringLiteral("SELECT COALESCE(MAX(%1), 0) FROM %2").arg(column, table))) +
           1;
}

QString Code(const QString& prefix, qint64 n, int width) {
    return prefix + QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

struct ReportPlan {
    int total = 0;
    int audited = 0;
};

}  // namespace

void SeedBench(Database& db, int workBills, int reports, int longHistory) {
    if (workBills <= 0)
        return;
    reports = std::max(reports, 0);
    const QDate base(2026, 1, 5);
    const qint64 dept0 = Next(db, QStringLiteral("t_Department"), QStringLiteral("FItemID"));
    const qint64 wc0 = Next(db, QStringLiteral("t_WorkCenter"), QStringLiteral("FInterID"));
    const qint64 sub0 = Next(db, QStringLiteral("t_SubMessage"), QStringLiteral("FInterID"));
    const qint64 emp0 = Next(db, QStringLiteral("t_Emp"), QStringLiteral("FItemID"));
    const qint64 dev0 = Next(db, QStringLiteral("t_Device"), QStringLiteral("FInterID"));
    const qint64 item0 = Next(db, QStringLiteral("t_ICItem"), QStringLiteral("FItemID"));
    const qint64 mo0 = Next(db, QStringLiteral("ICMO"), QStringLiteral("FInterID"));
    const qint64 wb0 = Next(db, QStringLiteral("SHWorkBillEntry"), QStringLiteral("FWBInterID"));
    const qint64 user = Next(db, QStringLiteral("t_User"), QStringLiteral("FUserID"));
    // A run tag keeps numbers unique when a database is seeded twice.
    const QString tag = QStringLiteral("B%1").arg(wb0);

    const qint64 process0 = sub0, team0 = sub0 + kProcesses, unit = sub0 + kProcesses + kTeams,
                 devType = unit + 1;

    Transaction transaction(db);
    {
        Batch users(db, QStringLiteral("INSERT INTO t_User (FUserID, FName, FDescription) VALUES (?, ?, ?)"));
        users.Row(user, QStringLiteral("bench-%1").arg(tag), QStringLiteral("benchmark clerk"));
        Batch rights(
            db,
            QStringLiteral(
                "INSERT INTO t_UserRight (FUserID, FSubSys, FFunction, FRights) VALUES (?, 1024, 30, ?)"));
        rights.Row(user, 0x7FFFFFFF);

        Batch depts(
            db, QStringLiteral(
                    "INSERT INTO t_Department (FItemID, FNumber, FShortNumber, FName) VALUES (?, ?, ?, ?)"));
        for (int d = 0; d < kDepartments; ++d)
            depts.Row(dept0 + d, Code(tag + QStringLiteral(".D"), d, 2),
                      Code(tag + QStringLiteral("D"), d, 2), QStringLiteral("车间%1").arg(d + 1));
        Batch wcs(db, QStringLiteral("INSERT INTO t_WorkCenter (FInterID, FNumber, FShortNumber, FName, "
                                     "FDeptID) VALUES (?, ?, ?, ?, ?)"));
        for (int w = 0; w < kDepartments * kWorkCentersPerDept; ++w)
            wcs.Row(wc0 + w, Code(tag + QStringLiteral(".WC"), w, 3), Code(tag + QStringLiteral("WC"), w, 3),
                    QStringLiteral("工作中心%1").arg(w + 1), dept0 + w / kWorkCentersPerDept);
        Batch subs(db, QStringLiteral(
                           "INSERT INTO t_SubMessage (FInterID, FTypeID, FID, FName) VALUES (?, ?, ?, ?)"));
        for (int p = 0; p < kProcesses; ++p)
            subs.Row(process0 + p, 61, Code(tag + QStringLiteral("P"), p, 2),
                     QStringLiteral("工序%1").arg(p + 1));
        for (int t = 0; t < kTeams; ++t)
            subs.Row(team0 + t, 62, Code(tag + QStringLiteral("T"), t, 2),
                     QStringLiteral("班组%1").arg(t + 1));
        subs.Row(unit, 282, tag + QStringLiteral("H"), QStringLiteral("小时"));
        subs.Row(devType, 281, tag + QStringLiteral("M"), QStringLiteral("机床"));
        Batch emps(db, QStringLiteral("INSERT INTO t_Emp (FItemID, FNumber, FShortNumber, FName, FDeptID, "
                                      "FprofessionalGroup) VALUES (?, ?, ?, ?, ?, ?)"));
        for (int e = 0; e < kEmployees; ++e)
            emps.Row(emp0 + e, Code(tag + QStringLiteral(".E"), e, 4), Code(tag + QStringLiteral("E"), e, 4),
                     QStringLiteral("员工%1").arg(e + 1), dept0 + e % kDepartments, team0 + e % kTeams);
        Batch devs(db, QStringLiteral("INSERT INTO t_Device (FInterID, FNumber, FName, FType, FWorkCenterID) "
                                      "VALUES (?, ?, ?, ?, ?)"));
        for (int v = 0; v < kDevices; ++v)
            devs.Row(dev0 + v, Code(tag + QStringLiteral("M"), v, 4), QStringLiteral("设备%1").arg(v + 1),
                     devType, wc0 + v % (kDepartments * kWorkCentersPerDept));
        Batch items(db, QStringLiteral("INSERT INTO t_ICItem (FItemID, FNumber, FName, FModel, FQtyDecimal) "
                                       "VALUES (?, ?, ?, ?, ?)"));
        for (int i = 0; i < kItems; ++i)
            items.Row(item0 + i, Code(tag + QStringLiteral(".I"), i, 5), QStringLiteral("零件%1").arg(i + 1),
                      QStringLiteral("M%1").arg(i % 37), i % 3 == 0 ? 0 : 2);
        for (Batch* batch : {&users, &rights, &depts, &wcs, &subs, &emps, &devs, &items}) batch->Flush();
    }

    // How many reports each work bill gets: the first a long history, the rest spread
    // evenly; about nine in ten audited, the newest ones left as drafts.
    std::vector<ReportPlan> plans(static_cast<size_t>(workBills));
    int remaining = reports;
    plans[0].total = std::min(remaining, std::max(longHistory, 0));
    remaining -= plans[0].total;
    if (workBills > 1) {
        const int each = remaining / (workBills - 1);
        int extra = remaining % (workBills - 1);
        for (int w = 1; w < workBills; ++w)
            plans[static_cast<size_t>(w)].total = each + (extra-- > 0 ? 1 : 0);
    } else {
        plans[0].total += remaining;
    }
    for (ReportPlan& p : plans) p.audited = p.total - p.total / 10;

    Batch tasks(
        db,
        QStringLiteral(
            "INSERT INTO ICMO (FInterID, FBillNo, FTranType, FStatus, FCancellation, FItemID, FWorkShop, "
            "FQty, FRoutingID, FPlanCommitDate, FPlanFinishDate) VALUES (?, ?, 85, ?, 0, ?, ?, ?, 1, ?, ?)"));
    Batch bills(db, QStringLiteral("INSERT INTO SHWorkBillEntry (FWBInterID, FInterID, FEntryID, "
                                   "FWorkBillNO, FItemID, FDeptID, FWorkCenterID, "
                                   "FOperID, FStatus, FQualityChkID, Ffare, FisOut, FteamID, FworkerID, "
                                   "FdeviceID, FTimeUnitID, Ffee, "
                                   "FPlanStartDate, FPlanEndDate, FAuxQtyPlan, FAuxQtyRecive, FauxQtyFinish, "
                                   "FauxQtyPass, FauxQtyScrap, "
                                   "FauxQtyHandOver, FtotalFee, Ffinishtime) VALUES (?, ?, ?, ?, ?, ?, ?, ?, "
                                   "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                   "?, ?, ?, ?, ?, ?, ?)"));
    Batch rows(db, QStringLiteral("INSERT INTO SHProcRpt (FWBInterID, Fserial, FbillerID, Fdate, FworkerID, "
                                  "FdeviceID, FteamID, FstartWorkDate, "
                                  "FendWorkDate, FAuxQtyReceive, FAuxQtyFinish, FAuxQtyPass, FAuxQtyScrap, "
                                  "FAuxQtyHandOver, FfinishTime, "
                                  "FtotalFee, Fmemo, Fstatus, FcheckerID, FcheckDate) VALUES (?, ?, ?, ?, ?, "
                                  "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                  "?, ?, ?)"));

    const double plan = 1000;
    double available = plan;
    for (int w = 0; w < workBills; ++w) {
        const int op = w % kOpsPerTask;
        const qint64 task = mo0 + w / kOpsPerTask;
        const qint64 wb = wb0 + w;
        const int deptIndex = static_cast<int>((w / kOpsPerTask) % kDepartments);
        const qint64 wc = wc0 + deptIndex * kWorkCentersPerDept + op;
        const qint64 item = item0 + (w / kOpsPerTask) % kItems;
        // Every report falls into one month (the 5th to the 31st of January), for the summary.
        const QDate start = base.addDays((w / kOpsPerTask) % 20);
        if (op == 0) {
            available = plan;
            tasks.Row(task, Code(tag + QStringLiteral("MO"), w / kOpsPerTask, 6), 1 + (w / kOpsPerTask) % 2,
                      item, dept0 + deptIndex, plan, start, start.addDays(20));
        }
        // Each report of this operation receives an equal share of what the previous
        // operation handed over, passes 98% of it and hands the passed part on.
        const ReportPlan& p = plans[static_cast<size_t>(w)];
        const double share = p.total > 0 ? std::floor(available * 0.9 / p.total * 100.0) / 100.0 : 0;
        const double pass = std::floor(share * 98.0) / 100.0;
        const double scrap = share - pass;
        const double fee = 0.5 + (w % 7) * 0.25;
        const qint64 worker = emp0 + w % kEmployees;
        const qint64 wcIndex = deptIndex * kWorkCentersPerDept + op;
        double posted[6] = {0, 0, 0, 0, 0, 0};  // received, finished, passed, scrapped, handed over, fee
        double hours = 0;
        for (int s = 1; s <= p.total; ++s) {
            const bool audited = s <= p.audited;
            const QDate day = start.addDays(std::min(s / 50, 7));
            // The shop's people at work: each report by one of the workers in turn, in the
            // worker's own team, on one of the work center's two devices; about a thousand
            // reports per worker in 200,000.
            const int e = (w + s) % kEmployees;
            const qint64 device = dev0 + (wcIndex + (s % 2) * kDepartments * kWorkCentersPerDept) % kDevices;
            rows.Row(wb, s, user, day, emp0 + e, device, team0 + e % kTeams, day, day, share, share, pass,
                     scrap, pass, 1.5, share * fee, QStringLiteral(""), audited ? 1 : 0, audited ? user : 0,
                     audited ? QVariant(day) : QVariant(QMetaType::fromType<QDate>()));
            if (audited) {
                posted[0] += share;
                posted[1] += share;
                posted[2] += pass;
                posted[3] += scrap;
                posted[4] += pass;
                posted[5] += share * fee;
                hours += 1.5;
            }
        }
        bills.Row(wb, task, (op + 1) * 10, Code(tag + QStringLiteral("WB"), w, 7), item, dept0 + deptIndex,
                  wc, process0 + op, 1 + w % 2, w % 9 == 0 ? 351 : 352, 1058, 1059, 0,
                  w % 3 == 0 ? worker : 0, 0, unit, fee, start, start.addDays(3), plan, posted[0], posted[1],
                  posted[2], posted[3], posted[4], posted[5], hours);
        available = posted[4];
    }
    tasks.Flush();
    bills.Flush();
    rows.Flush();
    transaction.Commit();
}

}  // namespace sp::platform
