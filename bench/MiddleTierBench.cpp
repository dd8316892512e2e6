// Query methods of the middle tier on a large SQLite database, each through a new
// object from the registry as the workbench calls them.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>

#include "platform/db/Database.h"
#include "platform/middletier/CumulativeCache.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "src/common/Basic.h"
#include "src/common/ComponentRegistry.h"
#include "src/entry/HostInterfaces.h"
#include "src/middletier/MiddleTierInterfaces.h"
#include "src/middletier/ReportRecordFields.h"

using namespace sp;

namespace {

constexpr int kWorkBills = 20000;
constexpr int kReports = 200000;

struct Bench {
    std::shared_ptr<platform::Database> db;
    ComponentRegistry registry;
    QString props;
    QString bigBill;      // 1,000 reports
    QString typicalBill;  // about ten
    qint32 bigId = 0, typicalId = 0, bigInter = 0, bigOper = 0, typicalWc = 0, typicalTask = 0;
    QString typicalDept;
    qint32 user = 0;
};

Bench& B() {
    static Bench* bench = [] {
        auto* b = new Bench;
        QString path = qEnvironmentVariable("SHOPPROC_BENCH_DB");
        if (path.isEmpty())
            path = QDir::temp().filePath(
                QStringLiteral("shopproc-bench-%1x%2.db").arg(kWorkBills).arg(kReports));
        const bool fresh = !QFileInfo::exists(path);
        b->db = platform::Database::Open(platform::DatabaseUrl::Parse(QStringLiteral("sqlite:") + path));
        if (fresh) {
            QElapsedTimer t;
            t.start();
            platform::SeedBench(*b->db, kWorkBills, kReports);
            std::fprintf(stderr, "generated %d work bills, %d reports in %.1f s: %s\n", kWorkBills, kReports,
                         t.elapsed() / 1000.0, qPrintable(path));
        }
        platform::RegisterMiddleTier(b->registry, b->db);
        b->user = Basic::Long(
            b->db->Scalar(QStringLiteral("SELECT MIN(FUserID) FROM t_UserRight WHERE FRights <> 0")));
        b->props = QStringLiteral("UserID=%1;UserName=bench;").arg(b->user);
        RecordsetPtr big = b->db->Query(QStringLiteral(
            "SELECT w.FWBInterID, w.FWorkBillNO, w.FInterID, w.FOperID FROM SHWorkBillEntry w WHERE "
            "w.FWBInterID = "
            "(SELECT FWBInterID FROM SHProcRpt GROUP BY FWBInterID ORDER BY COUNT(*) DESC LIMIT 1)"));
        b->bigId = big->Field(0).toInt();
        b->bigBill = big->Field(1).toString();
        b->bigInter = big->Field(2).toInt();
        b->bigOper = big->Field(3).toInt();
        RecordsetPtr typical = b->db->Query(QStringLiteral(
            "SELECT w.FWBInterID, w.FWorkBillNO, w.FWorkCenterID, w.FInterID, d.FShortNumber FROM "
            "SHWorkBillEntry w "
            "JOIN t_Department d ON d.FItemID = w.FDeptID WHERE w.FStatus IN (1, 2) ORDER BY w.FWBInterID "
            "LIMIT 1 OFFSET 12345"));
        b->typicalId = typical->Field(0).toInt();
        b->typicalBill = typical->Field(1).toString();
        b->typicalWc = typical->Field(2).toInt();
        b->typicalTask = typical->Field(3).toInt();
        b->typicalDept = typical->Field(4).toString();
        return b;
    }();
    return *bench;
}

std::shared_ptr<IMShopProc> Query() { return B().registry.Create<IMShopProc>(ProgId::MShopProc()); }

// The workbench's select list for the default layout (grid columns 2 to 37).
QString SelectList() {
    return QStringLiteral(
        "WBE.FWorkBillNO,PR.Fserial,PR.Fstatus,PR.Fdate,PR.FbillerID,PR.FteamID,PR.FworkerID,PR.FdeviceID,"
        "PR.FstartWorkDate,PR.FendWorkDate,PR.FAuxQtyReceive,PR.FAuxQtyFinish,PR.FAuxQtyPass,PR.FAuxQtyLost,"
        "PR.FAuxQtyBack,PR.FAuxQtyBackPass,PR.FAuxQtyScrap,PR.FAuxQtyForItem,PR.FAuxQtyHandOver,WBE."
        "FauxQtyRecive,"
        "0 As LJHBSL,WBE.FauxQtyHandOver,SMT.Fname,PR.FfinishTime,PR.FreadyTime,PR.FpowercutTime,PR.FfixTime,"
        "PR.FwaitItemTime,PR.FwaitToolTime,WBE.Ffee,PR.FtotalFee,PR.Fmemo,PR.FcheckerID,PR.FcheckDate,WBE."
        "FInterID,"
        "WBE.FOperID");
}

QString Quoted(const QString& no) { return QLatin1Char('\'') + Basic::SqlQuote(no) + QLatin1Char('\''); }

#define SP_BENCH(name) BENCHMARK(name)->Unit(benchmark::kMillisecond)

void BM_GetReportTitle(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Query()->GetReportTitle(B().props, B().user));
}
SP_BENCH(BM_GetReportTitle);

void BM_GetWorkBillTitle(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Query()->GetWorkBillTitle(B().props, B().user));
}
SP_BENCH(BM_GetWorkBillTitle);

void ByFilter(benchmark::State& state, bool check, const QString& condition) {
    int rows = 0;
    for (auto _ : state) rows = Query()->GetWorkBillByFilter(B().props, check, condition)->RecordCount();
    state.counters["rows"] = rows;
}
void BM_GetWorkBillByFilter_OneWorkBillRange(benchmark::State& state) {
    ByFilter(state, false,
             QStringLiteral(" AND wbe.FWorkBillNo >='%1' AND wbe.FWorkBillNo <='%1'").arg(B().typicalBill));
}
SP_BENCH(BM_GetWorkBillByFilter_OneWorkBillRange);
void BM_GetWorkBillByFilter_OneTask(benchmark::State& state) {
    const QString mo =
        B().db->Scalar(QStringLiteral("SELECT FBillNo FROM ICMO WHERE FInterID = ?"), {B().typicalTask})
            .toString();
    ByFilter(state, false, QStringLiteral(" AND mo.FBillNo >='%1' AND mo.FBillNo <='%1'").arg(mo));
}
SP_BENCH(BM_GetWorkBillByFilter_OneTask);
void BM_GetWorkBillByFilter_OneDepartment(benchmark::State& state) {
    ByFilter(
        state, false,
        QStringLiteral(" AND Dept.FShortNumber >='%1' AND Dept.FShortNumber <='%1'").arg(B().typicalDept));
}
SP_BENCH(BM_GetWorkBillByFilter_OneDepartment);
void BM_GetWorkBillByFilter_All(benchmark::State& state) { ByFilter(state, false, QString()); }
SP_BENCH(BM_GetWorkBillByFilter_All);
void BM_GetWorkBillByFilter_CheckOneDepartment(benchmark::State& state) {
    ByFilter(
        state, true,
        QStringLiteral(" AND Dept.FShortNumber >='%1' AND Dept.FShortNumber <='%1'").arg(B().typicalDept));
}
SP_BENCH(BM_GetWorkBillByFilter_CheckOneDepartment);
void BM_GetWorkBillByFilter_CheckAll(benchmark::State& state) { ByFilter(state, true, QString()); }
SP_BENCH(BM_GetWorkBillByFilter_CheckAll);

void BM_GetWorkBillByWCMO_Task(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            Query()->GetWorkBillByWCMO(B().props, false, false, B().typicalTask, B().typicalDept));
}
SP_BENCH(BM_GetWorkBillByWCMO_Task);
void BM_GetWorkBillByWCMO_WorkCenter(benchmark::State& state) {
    int rows = 0;
    for (auto _ : state)
        rows = Query()->GetWorkBillByWCMO(B().props, true, false, B().typicalWc, QString())->RecordCount();
    state.counters["rows"] = rows;
}
SP_BENCH(BM_GetWorkBillByWCMO_WorkCenter);

void BM_GetWorkBillTree_Tasks(benchmark::State& state) {
    int rows = 0;
    for (auto _ : state) rows = Query()->GetWorkBillTree(B().props, false, false, QString())->RecordCount();
    state.counters["rows"] = rows;
}
SP_BENCH(BM_GetWorkBillTree_Tasks);

void BM_WorkBillIdentity(benchmark::State& state) {
    // The small lookups a cell edit makes: info, existence, ids, work center, decimals.
    for (auto _ : state) {
        benchmark::DoNotOptimize(Query()->GetWorkBillInfo(B().props, B().typicalBill));
        benchmark::DoNotOptimize(Query()->IsExistWB(B().props, B().typicalBill));
        benchmark::DoNotOptimize(Query()->GetWorkBillInterID(B().props, B().typicalBill));
        benchmark::DoNotOptimize(Query()->GetWorkBillNO(B().props, B().typicalId));
        benchmark::DoNotOptimize(Query()->GetWCID(B().props, B().typicalId));
        benchmark::DoNotOptimize(Query()->GetQtyDecimal(B().props, B().typicalId));
    }
    state.counters["calls"] = 6;
}
SP_BENCH(BM_WorkBillIdentity);

void BM_GetWorkProcRptNew(benchmark::State& state) {
    const QString no = state.range(0) ? B().bigBill : B().typicalBill;
    for (auto _ : state) benchmark::DoNotOptimize(Query()->GetWorkProcRptNew(B().props, no));
}
SP_BENCH(BM_GetWorkProcRptNew)->Arg(0)->Arg(1);

void BM_ControlLimits(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(Query()->GetControlReceiveQty(B().props, B().bigInter, B().bigOper));
        benchmark::DoNotOptimize(Query()->GetControlHandOverQty(B().props, B().bigInter, B().bigOper));
    }
}
SP_BENCH(BM_ControlLimits);

void BM_GetWorkProcRptHis(benchmark::State& state) {
    const QString no = state.range(0) ? B().bigBill : B().typicalBill;
    for (auto _ : state)
        benchmark::DoNotOptimize(Query()->GetWorkProcRptHis(B().props, Quoted(no), SelectList()));
}
SP_BENCH(BM_GetWorkProcRptHis)->Arg(0)->Arg(1);

void BM_CumulativeCold(benchmark::State& state) {
    for (auto _ : state) {
        platform::CumulativeCache::Invalidate();
        benchmark::DoNotOptimize(
            Query()->GetWorkProcReceiveQty(B().props, B().bigBill, QStringLiteral("500")));
    }
}
SP_BENCH(BM_CumulativeCold);

void BM_Lookups(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(Query()->GetUserName(B().props, QString::number(B().user)));
        QString no, name;
        qint32 id = 0, group = 0, type = 0, wc = 0;
        no = QStringLiteral("x"),
        id = Basic::Long(B().db->Scalar(QStringLiteral("SELECT MIN(FItemID) FROM t_Emp")));
        Query()->GetEmpInfo(B().props, no, id, name, group);
        no.clear(), name.clear(), id = 0;
        Query()->GetDevInfo(B().props, no, id, name, type, wc);
        no.clear(), name.clear(), id = 0;
        Query()->GetTeamInfo(B().props, no, id, name);
    }
}
SP_BENCH(BM_Lookups);

// What the workbench does to show a history: the text, then per record the three
// cumulative figures and the biller's and checker's names. Arg 0: a typical work bill
// (about ten reports), 1: the one with 1,000.
void BM_HistoryLoadAsTheClientDoes(benchmark::State& state) {
    const QString no = state.range(0) ? B().bigBill : B().typicalBill;
    int records = 0;
    for (auto _ : state) {
        platform::CumulativeCache::Invalidate();  // a fresh load, as after any write
        const QString text = Query()->GetWorkProcRptHis(B().props, Quoted(no), SelectList());
        const QStringList rows = text.split(QLatin1Char('\r'), Qt::SkipEmptyParts);
        records = rows.size();
        for (const QString& row : rows) {
            const QStringList f = row.split(QLatin1Char('\t'));
            const QString serial = f.at(1);
            benchmark::DoNotOptimize(Query()->GetWorkProcRptQty(B().props, no, serial));
            benchmark::DoNotOptimize(Query()->GetWorkProcReceiveQty(B().props, no, serial));
            benchmark::DoNotOptimize(Query()->GetWorkProcHandOverQty(B().props, no, serial));
            benchmark::DoNotOptimize(Query()->GetUserName(B().props, f.at(4)));
            if (Basic::Val(f.at(32)) != 0)
                benchmark::DoNotOptimize(Query()->GetUserName(B().props, f.at(32)));
        }
    }
    state.counters["records"] = records;
    state.counters["us_per_record"] = benchmark::Counter(
        records, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
SP_BENCH(BM_HistoryLoadAsTheClientDoes)->Arg(0)->Arg(1);

void BM_List601(benchmark::State& state) {
    auto lists = B().registry.Create<IListSelData>(ProgId::ListSelData());
    const QString filter = QStringLiteral(
        " (u1.FCancellation = 0 and u1.FStatus=1 And t3.Fstatus in (1,2) and t3.Fsuspend=0 ) ");
    const QString search = state.range(0) ? QStringLiteral("WB00123") : QString();
    int rows = 0;
    for (auto _ : state)
        rows = lists->Rows(601, filter, search, static_cast<int>(state.range(1)))->RecordCount();
    state.counters["rows"] = rows;
}
SP_BENCH(BM_List601)->Args({0, 1000})->Args({0, 20000})->Args({1, 1000});

void BM_SaveAndDeleteDraft(benchmark::State& state) {
    auto set = [] { return B().registry.Create<IMShopProcSet>(ProgId::MShopProcSet()); };
    for (auto _ : state) {
        ReportRecords records;
        auto r = NewDictionary();
        // A whole record as the workbench sends one: every field, blank or 0 but these.
        for (const ReportRecord::Field& f : ReportRecord::kFields)
            if (f.kind == ReportRecord::Kind::Id)
                r->Set(f.key, 0);
            else if (f.kind == ReportRecord::Kind::Date)
                r->Set(f.key, QVariant());
            else if (f.kind == ReportRecord::Kind::Text)
                r->Set(f.key, QString());
            else if (f.kind != ReportRecord::Kind::Flag)
                r->Set(f.key, 0.0);
        r->Set(ReportRecord::WorkBillId, B().typicalId);
        r->Set(ReportRecord::Serial, QStringLiteral("9999"));
        records.Add(r);
        QString message;
        if (!set()->SaveWorkProcRpt(B().props, records, message) ||
            !set()->DelWorkProcRpt(B().props, B().typicalId, 9999, message))
            state.SkipWithError(qPrintable(message));
    }
}
SP_BENCH(BM_SaveAndDeleteDraft);

void BM_AuditAndUnaudit(benchmark::State& state) {
    auto set = [] { return B().registry.Create<IMShopProcSet>(ProgId::MShopProcSet()); };
    const qint32 serial =
        B().db
            ->Scalar(QStringLiteral("SELECT MAX(Fserial) FROM SHProcRpt WHERE FWBInterID = ? AND "
                                    "Fstatus = 1"),
                     {B().typicalId})
            .toInt();
    for (auto _ : state) {
        QString message;
        if (!set()->UnAuditWorkProcRpt(B().props, B().typicalId, serial, message) ||
            !set()->AuditWorkProcRpt(B().props, B().typicalId, serial, B().user, message))
            state.SkipWithError(qPrintable(message));
    }
}
SP_BENCH(BM_AuditAndUnaudit);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    B();  // generate before timing
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
