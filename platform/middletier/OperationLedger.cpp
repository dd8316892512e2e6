#include "platform/middletier/OperationLedger.h"

#include "platform/db/FuncTaskStore.h"
#include "platform/db/KeptAnswers.h"
#include "platform/middletier/CumulativeCache.h"
#include "platform/middletier/Texts.h"
#include "platform/middletier/WorkBillQuery.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/entry/HostServices.h"

namespace sp::platform {
namespace {

// Quantities are decimals stored as doubles; differences below this are rounding.
constexpr double kEpsilon = 1e-7;

// extra: further columns after the state's twelve.
QString OperationSelect(const QString& extra = QString()) {
    static const QString columns = QStringLiteral(
        "SELECT w.FWBInterID, w.FInterID, w.FOperID, w.FWorkBillNO, w.FAuxQtyPlan, w.FAuxQtyRecive, "
        "w.FauxQtyHandOver, "
        "(SELECT p.FauxQtyHandOver FROM SHWorkBillEntry p WHERE p.FInterID = w.FInterID "
        " AND p.FEntryID < w.FEntryID ORDER BY p.FEntryID DESC LIMIT 1) AS PrevHandOver, "
        "(SELECT n.FAuxQtyRecive FROM SHWorkBillEntry n WHERE n.FInterID = w.FInterID "
        " AND n.FEntryID > w.FEntryID ORDER BY n.FEntryID LIMIT 1) AS NextReceive, "
        "(SELECT SUM(CASE WHEN r.FAuxQtyReceive < 0 THEN -r.FAuxQtyReceive ELSE 0 END) FROM SHProcRpt r "
        " WHERE r.FWBInterID = w.FWBInterID AND r.Fstatus = 0) AS DraftNegReceive, "
        "(SELECT SUM(CASE WHEN r.FAuxQtyHandOver > 0 THEN r.FAuxQtyHandOver ELSE 0 END) FROM SHProcRpt r "
        " WHERE r.FWBInterID = w.FWBInterID AND r.Fstatus = 0) AS DraftPosHandOver, "
        "(SELECT FValue FROM t_SystemProfile WHERE FCategory = 'SH' AND FKey = 'SHOPPROC_CONTROLRECEIVE') "
        " AS ControlReceive");
    return columns + extra + QStringLiteral(" FROM SHWorkBillEntry w WHERE ");
}

KeptAnswers<std::optional<OperationState>>& KeptStates() {
    static KeptAnswers<std::optional<OperationState>> kept;
    return kept;
}

}  // namespace

QString OperationLedger::AvailableSql(const QString& alias) {
    return QStringLiteral(
               "COALESCE((SELECT p.FauxQtyHandOver FROM SHWorkBillEntry p WHERE p.FInterID = %1.FInterID "
               "AND p.FEntryID < %1.FEntryID ORDER BY p.FEntryID DESC LIMIT 1), %1.FAuxQtyPlan)")
        .arg(alias);
}

bool OperationLedger::LoadKept(qint32 interId, qint32 operId, OperationState& state) {
    const QString key = db_.url().ToString() + QLatin1Char('\t') + QString::number(interId) +
                        QLatin1Char('\t') + QString::number(operId);
    const std::optional<OperationState> kept = KeptStates().Get(key, [&]() -> std::optional<OperationState> {
        OperationState s;
        if (Load(QStringLiteral("w.FInterID = ? AND w.FOperID = ?"), {interId, operId}, s, true))
            return s;
        return std::nullopt;
    });
    if (kept)
        state = *kept;
    return kept.has_value();
}

void OperationLedger::ReportsWritten() {
    KeptStates().Forget();
    CumulativeCache::Invalidate();
}

const std::vector<PostedColumn>& PostedColumns() {
    static const std::vector<PostedColumn> columns = {
        {"FAuxQtyReceive", "FAuxQtyRecive"},    {"FAuxQtyFinish", "FauxQtyFinish"},
        {"FAuxQtyPass", "FauxQtyPass"},         {"FAuxQtyLost", "FauxQtyLost"},
        {"FAuxQtyBack", "FauxQtyBack"},         {"FAuxQtyBackPass", "FauxQtybackpass"},
        {"FAuxQtyScrap", "FauxQtyScrap"},       {"FAuxQtyForItem", "FAuxQtyForItem"},
        {"FAuxQtyHandOver", "FauxQtyHandOver"}, {"FtotalFee", "FtotalFee"},
        {"FfinishTime", "Ffinishtime"},         {"FreadyTime", "freadytime"},
        {"FpowercutTime", "fpowercuttime"},     {"FfixTime", "ffixtime"},
        {"FwaitItemTime", "fwaititemtime"},     {"FwaitToolTime", "fwaittooltime"},
    };
    return columns;
}

bool OperationLedger::Load(const QString& where, const QVariantList& params, OperationState& s,
                           bool aheadOfCommand) {
    // Ahead of a save or an audit on PostgreSQL the read also tells whether the work bill
    // still takes reports and proves the holds of this process: the save asks both next.
    const bool ahead = aheadOfCommand && db_.dialect() == Dialect::PostgreSQL;
    const std::optional<FuncTaskStore::HoldProof> proof = ahead ? FuncTaskStore::ProofFor(db_) : std::nullopt;
    RecordsetPtr rs =
        ahead ? db_.Query(
                    OperationSelect(QStringLiteral(", ") + WorkBillQuery::ReportableSql(QStringLiteral("w")) +
                                    QStringLiteral(", ") + (proof ? proof->column : QStringLiteral("NULL"))) +
                        where,
                    (proof ? proof->params : QVariantList()) + params)
              : db_.Query(OperationSelect() + where, params);
    if (rs->Eof())
        return false;
    if (ahead)
        WorkBillQuery::JustRead().Keep(WorkBillQuery::NumberKey(db_, Basic::Text(rs->Field(3))),
                                       Basic::Long(rs->Field(12)) == 1);
    if (proof)
        proof->Answered(rs->Field(13));
    s.wbInterId = Basic::Long(rs->Field(0));
    s.interId = Basic::Long(rs->Field(1));
    s.operId = Basic::Long(rs->Field(2));
    s.workBillNo = Basic::Text(rs->Field(3));
    const QVariant prev = rs->Field(7);
    s.available = prev.isNull() ? Basic::Dbl(rs->Field(4)) : Basic::Dbl(prev);
    s.received = Basic::Dbl(rs->Field(5));
    s.handedOver = Basic::Dbl(rs->Field(6));
    s.nextReceived = Basic::Dbl(rs->Field(8));
    s.draftNegativeReceive = Basic::Dbl(rs->Field(9));
    s.draftPositiveHandOver = Basic::Dbl(rs->Field(10));
    s.controlReceive = HostServices::ControlReceiveOf(rs->Field(11), QStringLiteral("Q8MShopProc.MShopProc"));
    return true;
}

bool OperationLedger::LoadByWorkBill(qint32 wbInterId, OperationState& state) {
    return Load(QStringLiteral("w.FWBInterID = ?"), {wbInterId}, state);
}

bool OperationLedger::LoadByOperation(qint32 interId, qint32 operId, OperationState& state) {
    return Load(QStringLiteral("w.FInterID = ? AND w.FOperID = ?"), {interId, operId}, state);
}

void OperationLedger::LockTaskOfWorkBill(qint32 wbInterId) {
    if (db_.dialect() == Dialect::PostgreSQL)
        db_.Query(QStringLiteral("SELECT FWBInterID FROM SHWorkBillEntry WHERE FInterID = "
                                 "(SELECT FInterID FROM SHWorkBillEntry WHERE FWBInterID = ?) FOR UPDATE"),
                  {wbInterId});
}

double OperationLedger::ReceiveMaximum(const OperationState& s) {
    return s.available - s.received + s.draftNegativeReceive;
}

double OperationLedger::HandOverMinimum(const OperationState& s) {
    return s.nextReceived - s.handedOver - s.draftPositiveHandOver;
}

QString OperationLedger::CheckPosting(const OperationState& s, double receive, double handOver, int sign) {
    const double dr = sign * receive;
    const double dh = sign * handOver;
    if (dr > kEpsilon && s.received + dr > s.available + kEpsilon) {
        const QString room = Basic::NumberText(s.available - s.received);
        return sign > 0 ? MiddleTierTexts::ReceiveOverLimit(room)
                        : MiddleTierTexts::AfterUnauditReceive(room);
    }
    if (dh < -kEpsilon && s.handedOver + dh < s.nextReceived - kEpsilon) {
        const QString need = Basic::NumberText(s.nextReceived - s.handedOver);
        return sign > 0
                   ? MiddleTierTexts::HandOverUnderLimit(need)
                   : MiddleTierTexts::AfterUnauditHandOver(Basic::NumberText(s.handedOver - s.nextReceived));
    }
    return QString();
}

void OperationLedger::Post(qint32 wbInterId, qint32 serial, int sign) {
    // One statement: the work bill's totals move by the report's values, read from the
    // report row itself, so nothing travels through doubles in between.
    QStringList sets;
    const QString op = sign > 0 ? QStringLiteral("+") : QStringLiteral("-");
    for (const PostedColumn& c : PostedColumns()) {
        sets << QStringLiteral(
                    "%1 = %1 %2 (SELECT r.%3 FROM SHProcRpt r WHERE r.FWBInterID = ? AND r.Fserial = ?)")
                    .arg(QLatin1String(c.workBill), op, QLatin1String(c.report));
    }
    QVariantList params;
    for (size_t i = 0; i < PostedColumns().size(); ++i) params << wbInterId << serial;
    params << wbInterId;
    const int changed =
        db_.Exec(QStringLiteral("UPDATE SHWorkBillEntry SET ") + sets.join(QStringLiteral(", ")) +
                     QStringLiteral(" WHERE FWBInterID = ?"),
                 params);
    if (changed != 1)
        throw ComError(ErrorNumber::NotFound, QStringLiteral("MShopProcSet"),
                       MiddleTierTexts::UnknownWorkBill(wbInterId));
}

}  // namespace sp::platform
