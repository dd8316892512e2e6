#include <QDate>
#include <algorithm>
#include <cmath>

#include "platform/db/DemoData.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "platform/middletier/ReportWriter.h"
#include "platform/middletier/ServerDate.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/middletier/ReportRecordFields.h"
#include "src/middletier/WorkBillCodes.h"

namespace sp::platform {
namespace {

constexpr int kDemoTasks = 8;

namespace R = ReportRecord;

double Round2(double v) { return std::round(v * 100.0) / 100.0; }

// Who reports on a work bill: its team, the worker who usually does the job, another
// worker of the team who takes a turn, and the device. A work bill that fixes any of
// them gives it (a fixed worker has no stand-in); the others are what a clerk could
// have typed: a worker of the process's team (the task picks who), a device of the
// default type at the work bill's work center. Work sent out has none.
struct DemoCrew {
    qint32 team = 0, worker = 0, standIn = 0, device = 0;
};

// op: FteamID, FworkerID, FdeviceID, FisOut, FWorkCenterID, FOperID of the work bill.
DemoCrew CrewOf(Database& db, const QVariantList& op, int turn) {
    DemoCrew crew;
    if (Basic::Long(op.at(3)) == WorkBillCode::Outsourced)
        return crew;
    const qint32 fixedWorker = Basic::Long(op.at(1));
    crew.team = Basic::Long(op.at(0));
    if (crew.team == 0 && fixedWorker != 0)
        crew.team = Basic::Long(db.Scalar(
            QStringLiteral("SELECT FprofessionalGroup FROM t_Emp WHERE FItemID = ?"), {fixedWorker}));
    if (crew.team == 0)
        crew.team = DemoTeamOfProcess(Basic::Long(op.at(5)));
    if (fixedWorker != 0) {
        crew.worker = crew.standIn = fixedWorker;
    } else if (crew.team != 0) {
        const QVector<QVariantList> members =
            db.Query(QStringLiteral("SELECT FItemID FROM t_Emp WHERE FprofessionalGroup = ? AND FDetail = 1 "
                                    "ORDER BY FItemID"),
                     {crew.team})
                ->Rows();
        if (!members.isEmpty()) {
            crew.worker = Basic::Long(members.at(turn % members.size()).at(0));
            crew.standIn = Basic::Long(members.at((turn + 1) % members.size()).at(0));
        }
    }
    crew.device = Basic::Long(op.at(2));
    if (crew.device == 0)
        crew.device = Basic::Long(db.Scalar(
            QStringLiteral(
                "SELECT MIN(d.FInterID) FROM t_Device d JOIN t_SubMessage t ON t.FInterID = d.FType "
                "WHERE t.FTypeID = 281 AND t.FID = '0' AND d.FWorkCenterID = ?"),
            {op.at(4)}));
    return crew;
}

DictionaryPtr Record(qint32 wbInterId, qint32 serial, qint32 biller, const QDate& day, double receive,
                     double fee, const QString& memo, const DemoCrew& crew, bool byStandIn) {
    const double finish = receive;
    const double scrap = finish >= 20 ? 1 : 0;
    const double pass = finish - scrap;
    auto d = NewDictionary();
    d->Set(R::WorkBillId, wbInterId);
    d->Set(R::Serial, QString::number(serial));
    d->Set(R::BillerId, biller);
    d->Set(R::MakingDate, day);
    d->Set(R::WorkerId, byStandIn ? crew.standIn : crew.worker);
    d->Set(R::DeviceId, crew.device);
    d->Set(R::TeamId, crew.team);
    d->Set(R::StartDate, day.addDays(-1));
    d->Set(R::EndDate, day);
    d->Set(R::Finished, finish);
    d->Set(R::Passed, pass);
    d->Set(R::Lost, 0.0);
    d->Set(R::Reworked, 0.0);
    d->Set(R::ReworkPassed, 0.0);
    d->Set(R::ScrapByWork, scrap);
    d->Set(R::ScrapByMaterial, 0.0);
    d->Set(R::WorkHours, Round2(finish * 0.05));
    d->Set(R::ReadyHours, 0.5);
    d->Set(R::PowerCutHours, 0.0);
    d->Set(R::RepairHours, 0.0);
    d->Set(R::WaitMaterialHours, 0.0);
    d->Set(R::WaitToolHours, 0.0);
    d->Set(R::Memo, memo);
    d->Set(R::Received, receive);
    d->Set(R::HandedOver, pass);
    d->Set(R::Fee, Round2(finish * fee));
    return d;
}

void Require(bool ok, const QString& message) {
    if (!ok)
        throw ComError(ErrorNumber::Refused, QStringLiteral("SeedDemoReports"), message);
}

}  // namespace

void SeedDemoReports(Database& db) {
    std::shared_ptr<Database> shared = db.shared_from_this();
    const qint32 biller = Basic::Long(db.Scalar(QStringLiteral("SELECT MIN(FUserID) FROM t_User")));
    ReportWriter writer(shared, biller);
    const QDate today = ServerDate(db);

    // Reportable tasks whose work bills carry no report yet, so a second run adds nothing.
    RecordsetPtr tasks = db.Query(QStringLiteral(
        "SELECT mo.FInterID FROM ICMO mo WHERE mo.FCancellation = 0 AND mo.FStatus IN (1, 2) "
        "AND EXISTS (SELECT 1 FROM SHWorkBillEntry w WHERE w.FInterID = mo.FInterID AND w.FStatus IN (1, 2)) "
        "AND NOT EXISTS (SELECT 1 FROM SHProcRpt r JOIN SHWorkBillEntry w ON w.FWBInterID = r.FWBInterID "
        "WHERE w.FInterID = mo.FInterID) ORDER BY mo.FBillNo"));
    int taskNo = 0;
    int reportNo = 0;
    for (const QVariantList& task : tasks->Rows()) {
        if (taskNo >= kDemoTasks)
            break;
        RecordsetPtr ops =
            db.Query(QStringLiteral(
                         "SELECT FWBInterID, FAuxQtyPlan, Ffee, CASE WHEN FStatus IN (1, 2) AND FSuspend = 0 "
                         "THEN 1 ELSE 0 END, FteamID, FworkerID, FdeviceID, FisOut, FWorkCenterID, FOperID "
                         "FROM SHWorkBillEntry WHERE FInterID = ? ORDER BY FEntryID"),
                     {task.at(0)});
        // Each task shows another stage of progress: the first operations are reported
        // and audited, the operation at the front has an audited report and a draft.
        const int reportedOps = std::min(static_cast<int>(ops->Rows().size()), 1 + taskNo % 4);
        double available = Basic::Dbl(ops->Rows().value(0).value(1));
        for (int i = 0; i < reportedOps; ++i) {
            const QVariantList& op = ops->Rows().at(i);
            if (Basic::Long(op.at(3)) != 1)
                break;  // a closed or suspended operation takes no reports, nor do those after it
            const qint32 wb = Basic::Long(op.at(0));
            const double fee = Basic::Dbl(op.at(2));
            const double first = std::floor(available * 0.6);
            const double second = std::floor(available - first);
            if (first <= 0)
                break;
            const DemoCrew crew = CrewOf(db, op.mid(4), taskNo);
            // Every fifth report is by the stand-in.
            const auto byStandIn = [&] { return ++reportNo % 5 == 0; };
            QString message;
            ReportRecords records;
            records.Add(Record(wb, 1, biller, today.addDays(-3 + i), first, fee, QStringLiteral("首件"), crew,
                               byStandIn()));
            if (second > 0)
                records.Add(
                    Record(wb, 2, biller, today.addDays(-2 + i), second, fee, QString(), crew, byStandIn()));
            Require(writer.Save(records, nullptr, message), message);
            Require(writer.Audit(wb, 1, nullptr, message), message);
            // The last reported operation keeps its second report as a draft.
            const bool lastOp = i + 1 == reportedOps;
            if (second > 0 && !lastOp)
                Require(writer.Audit(wb, 2, nullptr, message), message);
            available = Basic::Dbl(db.Scalar(
                QStringLiteral("SELECT FauxQtyHandOver FROM SHWorkBillEntry WHERE FWBInterID = ?"), {wb}));
        }
        ++taskNo;
    }
}

}  // namespace sp::platform
