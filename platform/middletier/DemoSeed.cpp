#include <QDate>
#include <algorithm>
#include <cmath>

#include "platform/middletier/MiddleTierRegistration.h"
#include "platform/middletier/ReportWriter.h"
#include "platform/middletier/ServerDate.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/middletier/ReportRecordFields.h"

namespace sp::platform {
namespace {

constexpr int kDemoTasks = 8;

namespace R = ReportRecord;

double Round2(double v) { return std::round(v * 100.0) / 100.0; }

DictionaryPtr Record(qint32 wbInterId, qint32 serial, qint32 biller, const QDate& day, double receive,
                     double fee, const QString& memo) {
    const double finish = receive;
    const double scrap = finish >= 20 ? 1 : 0;
    const double pass = finish - scrap;
    auto d = NewDictionary();
    d->Set(R::WorkBillId, wbInterId);
    d->Set(R::Serial, QString::number(serial));
    d->Set(R::BillerId, biller);
    d->Set(R::MakingDate, day);
    d->Set(R::WorkerId, 0);
    d->Set(R::DeviceId, 0);
    d->Set(R::TeamId, 0);
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
    for (const QVariantList& task : tasks->Rows()) {
        if (taskNo >= kDemoTasks)
            break;
        RecordsetPtr ops =
            db.Query(QStringLiteral(
                         "SELECT FWBInterID, FAuxQtyPlan, Ffee, CASE WHEN FStatus IN (1, 2) AND FSuspend = 0 "
                         "THEN 1 ELSE 0 END FROM SHWorkBillEntry WHERE FInterID = ? ORDER BY FEntryID"),
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
            QString message;
            ReportRecords records;
            records.Add(Record(wb, 1, biller, today.addDays(-3 + i), first, fee, QStringLiteral("首件")));
            if (second > 0)
                records.Add(Record(wb, 2, biller, today.addDays(-2 + i), second, fee, QString()));
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
