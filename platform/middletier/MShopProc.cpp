#include "platform/middletier/MShopProc.h"

#include <QCryptographicHash>
#include <QDate>
#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <cmath>
#include <memory>
#include <optional>

#include "platform/db/FuncTaskStore.h"
#include "platform/db/KeptAnswers.h"
#include "platform/middletier/CumulativeCache.h"
#include "platform/middletier/LayoutStore.h"
#include "platform/middletier/OperationLedger.h"
#include "platform/middletier/ServerDate.h"
#include "platform/middletier/WorkBillQuery.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"

namespace sp::platform {
namespace {

QString Source() { return QStringLiteral("Q8MShopProc.MShopProc"); }

[[noreturn]] void Refuse(const QString& what) { throw ComError(ErrorNumber::Refused, Source(), what); }
[[noreturn]] void NotFound(const QString& what) { throw ComError(ErrorNumber::NotFound, Source(), what); }

// A field of the history text: tabs and line ends inside a memo would break the
// record shape, so they become blanks.
QString HistoryField(const QVariant& v) {
    QString s = Basic::Text(v);
    if (s.contains(QLatin1Char('\t')) || s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n'))) {
        s.replace(QLatin1Char('\t'), QLatin1Char(' '));
        s.replace(QLatin1Char('\r'), QLatin1Char(' '));
        s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    return s;
}

// The workbench joins its serial and memo conditions with "OR" and no blank after the
// number (" PR.FSerial =  3OR  PR.FMemo Like ..."); both databases refuse a number run
// into a word. Only that one join is separated, nothing else in the text is touched.
QString SeparateSerialFromOr(const QString& condition) {
    static const QRegularExpression joined(QStringLiteral("(PR\\.FSerial\\s*=\\s*-?[0-9.]+)OR\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString text = condition;
    text.replace(joined, QStringLiteral("\\1 OR"));
    return text;
}

// The memo filter finds text whatever its case, as LIKE does on SQLite; PostgreSQL's LIKE
// tells cases apart, so there it becomes ILIKE. Only the operator before the literal's
// opening quote is changed: quotes inside the literal come doubled, and a blank and one
// lone quote never stand there.
QString CaseBlindMemoFilter(const QString& condition, Dialect dialect) {
    if (dialect != Dialect::PostgreSQL)
        return condition;
    static const QRegularExpression like(QStringLiteral("(PR\\.FMemo\\s+)Like(\\s+'(?!'))"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString text = condition;
    text.replace(like, QStringLiteral("\\1ILIKE\\2"));
    return text;
}

// User names for the history's biller and checker columns: a history of n records
// asks up to 2n times for the same few users. Names are kept a few seconds; a renamed
// user shows under the new name on the next load.
QString CachedUserName(Database& db, qint32 userId) {
    struct Entry {
        QString name;
        QElapsedTimer age;
    };
    static QMutex mutex;
    static QHash<QString, Entry> names;
    const QString key = db.url().ToString() + QLatin1Char('\t') + QString::number(userId);
    {
        QMutexLocker lock(&mutex);
        auto it = names.constFind(key);
        if (it != names.constEnd() && it->age.elapsed() < 5000)
            return it->name;
    }
    Entry entry;
    entry.name =
        Basic::Text(db.Scalar(QStringLiteral("SELECT FName FROM t_User WHERE FUserID = ?"), {userId}));
    entry.age.start();
    QMutexLocker lock(&mutex);
    if (names.size() > 1000)
        names.clear();
    names.insert(key, entry);
    return entry.name;
}

// Workers, devices and teams by id for the lookups by id. The workbench's list asks
// once for every distinct worker, team and device of its rows, each a round trip of
// its own; so a whole table is read in one statement and kept a few seconds, as the
// user names are. An id it does not hold reads the table again: the record may have
// just been added. `sql` selects the id first.
std::optional<QVariantList> CachedRecordById(Database& db, const QString& sql, qint32 id) {
    struct Snapshot {
        QHash<qint32, QVariantList> rows;
        QElapsedTimer age;
    };
    static QMutex mutex;
    static QHash<QString, std::shared_ptr<const Snapshot>> snapshots;
    const QString key = db.url().ToString() + QLatin1Char('\t') + sql;
    std::shared_ptr<const Snapshot> snapshot;
    {
        QMutexLocker lock(&mutex);
        const auto it = snapshots.constFind(key);
        if (it != snapshots.constEnd() && it.value()->age.elapsed() < 5000)
            snapshot = it.value();
    }
    if (!snapshot || !snapshot->rows.contains(id)) {
        auto fresh = std::make_shared<Snapshot>();
        const RecordsetPtr rs = db.Query(sql);
        for (const QVariantList& row : rs->Rows()) fresh->rows.insert(Basic::Long(row.at(0)), row);
        fresh->age.start();
        QMutexLocker lock(&mutex);
        if (snapshots.size() > 100)
            snapshots.clear();
        snapshots.insert(key, fresh);
        snapshot = std::move(fresh);
    }
    const auto found = snapshot->rows.constFind(id);
    if (found == snapshot->rows.constEnd())
        return std::nullopt;
    return found.value();
}

qint64 SerialOf(const QString& serial) { return std::llround(Basic::Val(serial)); }

// Both limits come from one kept read of the operation (OperationLedger::LoadKept).
OperationState OperationOf(Database& db, qint32 interId, qint32 operId) {
    OperationState state;
    if (!OperationLedger(db).LoadKept(interId, operId, state))
        NotFound(QStringLiteral("No work bill has the operation %1 of task %2.").arg(operId).arg(interId));
    return state;
}

}  // namespace

RecordsetPtr MShopProc::GetWorkBillTitle(const QString&, const qint32& userId) {
    return LayoutStore(*db_).Title(LayoutStore::WorkBillType(), userId);
}

RecordsetPtr MShopProc::GetReportTitle(const QString&, const qint32& userId) {
    return LayoutStore(*db_).Title(LayoutStore::ReportType(), userId);
}

RecordsetPtr MShopProc::GetWorkBillByFilter(const QString&, const bool& check, const QString& condition) {
    return WorkBillQuery(*db_).Records(check, condition);
}

RecordsetPtr MShopProc::GetWorkBillByWCMO(const QString&, const bool& wcArrangement, const bool& check,
                                          const qint32& id, const QString& deptNo) {
    if (wcArrangement)
        return WorkBillQuery(*db_).Records(check, QString(), QStringLiteral(" AND wbe.FWorkCenterID = ?"),
                                           {id});
    if (deptNo.isEmpty())
        return WorkBillQuery(*db_).Records(check, QString(), QStringLiteral(" AND mo.FInterID = ?"), {id});
    return WorkBillQuery(*db_).Records(
        check, QString(), QStringLiteral(" AND mo.FInterID = ? AND Dept.FShortNumber = ?"), {id, deptNo});
}

namespace {

// The columns of a work bill's information and their names as GetWorkBillInfo gives them.
const QString kInfoColumns = QStringLiteral(
    "wbe.FWorkCenterID, COALESCE(Dept.FShortNumber, ''), wbe.FInterID, wbe.FWBInterID, wbe.FteamID, "
    "wbe.FworkerID, wbe.FdeviceID, wbe.FisOut, wbe.Ffare, wbe.FWorkBillNO, mo.FBillNo, itm.FNumber, "
    "itm.FName, "
    "itm.FModel, SMR.FName, wc.FName, wbe.FAuxQtyPlan");
const QString kInfoJoins = QStringLiteral(
    "LEFT JOIN t_Department Dept ON Dept.FItemID = wbe.FDeptID "
    "LEFT JOIN t_ICItem itm ON itm.FItemID = wbe.FItemID "
    "LEFT JOIN t_SubMessage SMR ON SMR.FInterID = wbe.FOperID "
    "LEFT JOIN t_WorkCenter wc ON wc.FInterID = wbe.FWorkCenterID ");
const QStringList& InfoNames() {
    static const QStringList names = {
        QStringLiteral("WorkCenterID"), QStringLiteral("DeptNO"), QStringLiteral("MOID"),
        QStringLiteral("FWBinterID"), QStringLiteral("FteamID"), QStringLiteral("FworkerID"),
        QStringLiteral("FdeviceID"), QStringLiteral("FisOut"), QStringLiteral("Ffare"),
        // The head of a printed work bill.
        QStringLiteral("FWorkBillNO"), QStringLiteral("FICMONO"), QStringLiteral("FitemNumber"),
        QStringLiteral("FitemName"), QStringLiteral("FitemModel"), QStringLiteral("FOperName"),
        QStringLiteral("FWorkCenterName"), QStringLiteral("FAuxQtyPlan")};
    return names;
}

// The receive-control switch as a column, and its key among the kept switches.
const QString kControlReceiveSql = QStringLiteral(
    "(SELECT FValue FROM t_SystemProfile WHERE FCategory = 'SH' AND FKey = 'SHOPPROC_CONTROLRECEIVE')");
QString ControlReceiveKey(const Database& db) {
    return SwitchKey(db.url().ToString(), QStringLiteral("SH"), QStringLiteral("SHOPPROC_CONTROLRECEIVE"));
}

// A reportable work bill's information as the reportability check read it: the workbench
// asks for it once the work bill is taken, a moment later.
KeptAnswers<QVector<QVariantList>>& KeptInfo() {
    static KeptAnswers<QVector<QVariantList>> kept;
    return kept;
}

}  // namespace

RecordsetPtr MShopProc::GetWorkBillInfo(const QString&, const QString& workBillNo) {
    const QString key = WorkBillQuery::NumberKey(*db_, workBillNo);
    if (std::optional<QVector<QVariantList>> kept = KeptInfo().Find(key))
        return std::make_shared<Recordset>(InfoNames(), std::move(*kept));
    RecordsetPtr rs =
        db_->Query(QStringLiteral("SELECT ") + kInfoColumns +
                       QStringLiteral(" FROM SHWorkBillEntry wbe LEFT JOIN ICMO mo ON mo.FInterID = "
                                      "wbe.FInterID ") +
                       kInfoJoins + QStringLiteral("WHERE wbe.FWorkBillNO = ?"),
                   {workBillNo});
    return std::make_shared<Recordset>(InfoNames(), rs->Rows());
}

namespace {

// Work bill ids by number (a work bill keeps its id): kept a minute, as the commands ask
// for every row and a clerk's save or audit comes more than a few seconds after the number
// was typed. A number not found is asked again: it may be one being created.
KeptAnswers<qint32>& KeptIds() {
    static KeptAnswers<qint32> kept(60000);
    return kept;
}

// Quantity decimals of a work bill's item (master data, set once in a long while), by work
// bill, kept a minute: the proposal and the stamp read them with the work bill, and the
// history's format asks for them at every load.
KeptAnswers<qint32>& KeptDecimals() {
    static KeptAnswers<qint32> kept(60000);
    return kept;
}

QString KeyOf(Database& db, qint32 interId) {
    return db.url().ToString() + QLatin1Char('\t') + QString::number(interId);
}

// The work bills (by id) whose number was just found reportable, with that number: the
// stamp read as the work bill is taken reads the new report's proposal too.
KeptAnswers<QString>& KeptProposalWanted() {
    static KeptAnswers<QString> kept;
    return kept;
}

// Proposals read with a stamp, by number, given once to the prepared row that follows at
// once (a second before they are dropped).
KeptAnswers<QVariantList>& KeptProposals() {
    static KeptAnswers<QVariantList> kept(1000);
    return kept;
}

// The proposal of a new report of the work bill that bill (over wbe) names, its reports
// those reports names: the work bill, the sums of its reports, what its operation may
// still receive, the server's date and the item's quantity decimals.
constexpr int kProposalColumns = 18;
QString ProposalSql(Database& db, const QString& bill, const QString& reports) {
    return QStringLiteral(
               "SELECT wbe.FWBInterID, wbe.FInterID, wbe.FOperID, wbe.FteamID, wbe.FworkerID, wbe.FdeviceID, "
               "wbe.Ffee, SMT.FName, wbe.FPlanStartDate, s.LastSerial, s.Received, s.Finished, s.HandedOver, "
               "s.LastEnd, s.DraftReceived, %1 - wbe.FAuxQtyRecive, %2, itm.FQtyDecimal "
               "FROM SHWorkBillEntry wbe LEFT JOIN t_SubMessage SMT ON SMT.FInterID = wbe.FTimeUnitID "
               "LEFT JOIN t_ICItem itm ON itm.FItemID = wbe.FItemID "
               "CROSS JOIN (SELECT MAX(Fserial) AS LastSerial, SUM(FAuxQtyReceive) AS Received, "
               "SUM(FAuxQtyFinish) AS Finished, SUM(FAuxQtyHandOver) AS HandedOver, MAX(FendWorkDate) AS "
               "LastEnd, SUM(CASE WHEN Fstatus = 0 THEN FAuxQtyReceive ELSE 0 END) AS DraftReceived FROM "
               "SHProcRpt WHERE %3) s WHERE %4")
        .arg(OperationLedger::AvailableSql(QStringLiteral("wbe")), ServerDateSql(db), reports, bill);
}

}  // namespace

// The id read with the answer is kept: the workbench asks for it right after.
bool MShopProc::IsExistWB(const QString&, const QString& workBillNo) {
    if (workBillNo.isEmpty())
        return false;
    const QString key = WorkBillQuery::NumberKey(*db_, workBillNo);
    // A save has just read it with the operation's limits.
    if (const std::optional<bool> known = WorkBillQuery::JustRead().Take(key))
        return *known;
    // The id and the information of a reportable work bill, both kept: a typed number that
    // takes reports is taken and its row prepared from them right after. The receive-control
    // switch comes along for the save of the row, which asks for it first.
    const RecordsetPtr rs = db_->Query(
        QStringLiteral("SELECT ") + kInfoColumns + QStringLiteral(", ") + kControlReceiveSql +
            QStringLiteral(" FROM SHWorkBillEntry wbe JOIN ICMO mo ON mo.FInterID = wbe.FInterID ") +
            kInfoJoins + WorkBillQuery::ReportableClause() + QStringLiteral(" AND wbe.FWorkBillNO = ?"),
        {workBillNo});
    if (rs->Eof())
        return false;
    QVector<QVariantList> rows = rs->Rows();
    KeptSwitches().Keep(ControlReceiveKey(*db_), rows.first().takeLast());
    const qint32 interId = Basic::Long(rows.first().value(3));
    KeptIds().Keep(key, interId);
    KeptInfo().Keep(key, rows);
    KeptProposalWanted().Keep(KeyOf(*db_, interId), workBillNo);
    return true;
}

qint32 MShopProc::GetWorkBillInterID(const QString&, const QString& workBillNo) {
    const QString key = WorkBillQuery::NumberKey(*db_, workBillNo);
    if (const std::optional<qint32> id = KeptIds().Find(key))
        return *id;
    const qint32 id = Basic::Long(db_->Scalar(
        QStringLiteral("SELECT FWBInterID FROM SHWorkBillEntry WHERE FWorkBillNO = ?"), {workBillNo}));
    if (id != 0)
        KeptIds().Keep(key, id);
    return id;
}

QString MShopProc::GetWorkBillNO(const QString&, const qint32& interId) {
    return Basic::Text(db_->Scalar(
        QStringLiteral("SELECT FWorkBillNO FROM SHWorkBillEntry WHERE FWBInterID = ?"), {interId}));
}

qint32 MShopProc::GetWCID(const QString&, const qint32& interId) {
    return Basic::Long(db_->Scalar(
        QStringLiteral("SELECT FWorkCenterID FROM SHWorkBillEntry WHERE FWBInterID = ?"), {interId}));
}

// The proposal of a new report reads the decimals with the work bill: the row it prepares
// asks for them next.
qint32 MShopProc::GetQtyDecimal(const QString&, const qint32& interId) {
    if (const std::optional<qint32> kept = KeptDecimals().Find(KeyOf(*db_, interId)))
        return *kept;
    RecordsetPtr rs =
        db_->Query(QStringLiteral("SELECT itm.FQtyDecimal FROM SHWorkBillEntry wbe LEFT JOIN t_ICItem itm "
                                  "ON itm.FItemID = wbe.FItemID WHERE wbe.FWBInterID = ?"),
                   {interId});
    if (rs->Eof())
        NotFound(QStringLiteral("No work bill has the internal id %1.").arg(interId));
    const qint32 decimals = Basic::Long(rs->Field(0));
    KeptDecimals().Keep(KeyOf(*db_, interId), decimals);
    return decimals;
}

QString MShopProc::GetWorkBillStamp(const QString&, const qint32& interId) {
    // Every column of the operation (its posted quantities) and of each of its reports,
    // in one read; a report written, changed, audited or deleted changes the digest. The
    // item's quantity decimals come along and are kept. When a typed number is being
    // taken, its new report's proposal comes in the same read, in the first columns, and is
    // kept for the prepared row. On PostgreSQL the read proves too which work bills this
    // process's task session holds, so that asking whether the stamp was read under the
    // hold costs no round trip of its own.
    const std::optional<QString> proposalOf = KeptProposalWanted().Take(KeyOf(*db_, interId));
    const std::optional<FuncTaskStore::HoldProof> proof = FuncTaskStore::ProofFor(*db_);
    // Both come on the first row only (the lowest serial, or the work bill without reports),
    // not on each of a long history's rows.
    const QString first = QStringLiteral(
        "COALESCE(pr.Fserial, 0) = COALESCE((SELECT MIN(f.Fserial) FROM SHProcRpt f WHERE f.FWBInterID = "
        "wbe.FWBInterID), 0)");
    QVariantList params = proof ? proof->params : QVariantList();
    QString sql = QStringLiteral("SELECT ");
    if (proposalOf)
        sql += QStringLiteral("prop.*, ");
    sql += (proof ? QStringLiteral("CASE WHEN ") + first + QStringLiteral(" THEN ") + proof->column +
                        QStringLiteral(" END")
                  : QStringLiteral("NULL")) +
           QStringLiteral(
               ", itm.FQtyDecimal, wbe.*, pr.* FROM SHWorkBillEntry wbe LEFT JOIN SHProcRpt pr ON "
               "pr.FWBInterID = wbe.FWBInterID LEFT JOIN t_ICItem itm ON itm.FItemID = wbe.FItemID ");
    if (proposalOf) {
        sql += QStringLiteral("LEFT JOIN (") +
               ProposalSql(*db_, QStringLiteral("wbe.FWBInterID = ?"), QStringLiteral("FWBInterID = ?")) +
               QStringLiteral(") prop ON ") + first + QLatin1Char(' ');
        params << interId << interId;
    }
    sql += QStringLiteral("WHERE wbe.FWBInterID = ? ORDER BY pr.Fserial");
    params << interId;
    RecordsetPtr rs = db_->Query(sql, params);
    if (rs->Eof())
        NotFound(QStringLiteral("No work bill has the internal id %1.").arg(interId));
    const qsizetype proofColumn = proposalOf ? kProposalColumns : 0;
    if (proof)
        proof->Answered(rs->Rows().first().value(proofColumn));
    if (proposalOf)
        KeptProposals().Keep(WorkBillQuery::NumberKey(*db_, *proposalOf),
                             rs->Rows().first().mid(0, kProposalColumns));
    // The item's quantity decimals, which the history's format asks for next.
    KeptDecimals().Keep(KeyOf(*db_, interId), Basic::Long(rs->Rows().first().value(proofColumn + 1)));
    const qsizetype skip = proofColumn + 2;
    QCryptographicHash digest(QCryptographicHash::Sha256);
    for (const QVariantList& row : rs->Rows()) {
        for (qsizetype i = skip; i < row.size(); ++i) {
            const QVariant& value = row[i];
            if (value.isNull())
                digest.addData(QByteArrayView("\x01", 1));
            else
                digest.addData(Basic::Text(value).toUtf8());
            digest.addData(QByteArrayView("\x00", 1));
        }
        digest.addData(QByteArrayView("\n"));
    }
    return QString::fromLatin1(digest.result().toHex());
}

QString MShopProc::GetWorkProcRptHis(const QString&, const QString& condition, const QString& selectList) {
    if (selectList.trimmed().isEmpty() || condition.trimmed().isEmpty())
        Refuse(QStringLiteral("The history needs a select list and a condition."));
    // The condition is the component's text, starting with the quoted work bill number
    // (quotes doubled by the component) and optionally a bracketed record filter.
    const QString sql = QStringLiteral("SELECT ") + selectList +
                        QStringLiteral(
                            " FROM SHProcRpt PR JOIN SHWorkBillEntry WBE ON WBE.FWBInterID = PR.FWBInterID"
                            " LEFT JOIN t_SubMessage SMT ON SMT.FInterID = WBE.FTimeUnitID"
                            " WHERE WBE.FWorkBillNO = ") +
                        CaseBlindMemoFilter(SeparateSerialFromOr(condition), db_->dialect()) +
                        QStringLiteral(" ORDER BY PR.Fserial");
    RecordsetPtr rs = db_->Query(sql);
    QStringList records;
    records.reserve(rs->RecordCount());
    for (const QVariantList& row : rs->Rows()) {
        QStringList fields;
        fields.reserve(row.size());
        for (const QVariant& v : row) fields << HistoryField(v);
        records << fields.join(QLatin1Char('\t'));
    }
    return records.join(QLatin1Char('\r'));
}

// One statement: the work bill, the sums of its reports, what its operation may still
// receive, the server's date and the item's quantity decimals, kept for the prepared row
// (a typed work bill number waits for all of it). The stamp read of a work bill being
// taken may have read it already.
QString MShopProc::GetWorkProcRptNew(const QString&, const QString& workBillNo) {
    QVariantList bill;
    if (std::optional<QVariantList> kept = KeptProposals().Take(WorkBillQuery::NumberKey(*db_, workBillNo)))
        bill = std::move(*kept);
    else {
        RecordsetPtr rs = db_->Query(
            ProposalSql(*db_, QStringLiteral("wbe.FWorkBillNO = ?"),
                        QStringLiteral(
                            "FWBInterID = (SELECT FWBInterID FROM SHWorkBillEntry WHERE FWorkBillNO = ?)")),
            {workBillNo, workBillNo});
        if (rs->Eof())
            NotFound(QStringLiteral("No work bill has the number %1.").arg(workBillNo));
        bill = rs->Rows().first();
    }
    const auto field = [&](int i) { return bill.value(i); };
    const auto sum = [&](int i) { return field(9 + i); };
    KeptDecimals().Keep(KeyOf(*db_, Basic::Long(field(0))), Basic::Long(field(17)));

    QDate today = Basic::ToDate(field(16));
    if (!today.isValid())
        today = QDate::currentDate();
    QDate start = Basic::ToDate(sum(4));
    if (!start.isValid())
        start = Basic::ToDate(field(8));
    if (!start.isValid() || start > today)
        start = today;
    // What still waits to be received: drafts count, so a second new report of the
    // same operation is not offered the same quantity again.
    const double receivable = std::max(0.0, Basic::Dbl(field(15)) - Basic::Dbl(sum(5)));

    const QStringList fields = {
        QString::number(Basic::Long(sum(0)) + 1),
        Basic::DateText(start),
        Basic::DateText(today),
        Basic::Text(field(7)),
        Basic::NumberText(Basic::Dbl(sum(1))),
        Basic::NumberText(Basic::Dbl(sum(2))),
        Basic::NumberText(Basic::Dbl(sum(3))),
        QString::number(Basic::Long(field(3))),
        QString::number(Basic::Long(field(4))),
        QString::number(Basic::Long(field(5))),
        Basic::NumberText(Basic::Dbl(field(6))),
        QString::number(Basic::Long(field(1))),
        QString::number(Basic::Long(field(2))),
        Basic::NumberText(receivable),
    };
    return fields.join(QLatin1Char('\t'));
}

double MShopProc::GetWorkProcRptQty(const QString&, const QString& workBillNo, const QString& serial) {
    return CumulativeCache::UpTo(*db_, workBillNo, SerialOf(serial)).reported;
}

double MShopProc::GetWorkProcReceiveQty(const QString&, const QString& workBillNo, const QString& serial) {
    return CumulativeCache::UpTo(*db_, workBillNo, SerialOf(serial)).received;
}

double MShopProc::GetWorkProcHandOverQty(const QString&, const QString& workBillNo, const QString& serial) {
    return CumulativeCache::UpTo(*db_, workBillNo, SerialOf(serial)).handedOver;
}

double MShopProc::GetControlReceiveQty(const QString&, const qint32& interId, const qint32& operId) {
    return OperationLedger::ReceiveMaximum(OperationOf(*db_, interId, operId));
}

double MShopProc::GetControlHandOverQty(const QString&, const qint32& interId, const qint32& operId) {
    return OperationLedger::HandOverMinimum(OperationOf(*db_, interId, operId));
}

QString MShopProc::GetUserName(const QString&, const QString& userId) {
    return CachedUserName(*db_, Basic::RoundWhole(Basic::Val(userId)));
}

// The reference lookups fill what they were not given from the id when it is not 0,
// else from the number. Numbers match ignoring letter case (LOWER folds the ASCII
// letters these codes are made of, alike on both databases); an exact match is
// preferred. A record found writes back its number as stored. Nothing found: the name
// is emptied and the id and number stay as given, so a caller still knows which id it
// asked for.
void MShopProc::GetEmpInfo(const QString&, QString& number, qint32& id, QString& name, qint32& group) {
    RecordsetPtr rs;
    const QString no = number.trimmed();
    if (id != 0) {
        const auto row = CachedRecordById(
            *db_, QStringLiteral("SELECT FItemID, FNumber, FName, FprofessionalGroup FROM t_Emp"), id);
        if (!row) {
            name.clear();
            return;
        }
        number = Basic::Text(row->at(1));
        name = Basic::Text(row->at(2));
        group = Basic::Long(row->at(3));
        return;
    }
    if (!no.isEmpty())
        // The long number first (as written, then in another case), then the short number.
        rs = db_->Query(QStringLiteral("SELECT FItemID, FNumber, FName, FprofessionalGroup FROM t_Emp "
                                       "WHERE LOWER(FNumber) = LOWER(?) OR LOWER(FShortNumber) = LOWER(?) "
                                       "ORDER BY CASE WHEN FNumber = ? THEN 0 "
                                       "WHEN LOWER(FNumber) = LOWER(?) THEN 1 ELSE 2 END, FItemID LIMIT 1"),
                        {no, no, no, no});
    if (!rs || rs->Eof()) {
        name.clear();
        return;
    }
    id = Basic::Long(rs->Field(0));
    number = Basic::Text(rs->Field(1));
    name = Basic::Text(rs->Field(2));
    group = Basic::Long(rs->Field(3));
}

void MShopProc::GetDevInfo(const QString&, QString& number, qint32& id, QString& name, qint32& type,
                           qint32& workCenter) {
    RecordsetPtr rs;
    const QString no = number.trimmed();
    if (id != 0) {
        const auto row = CachedRecordById(
            *db_, QStringLiteral("SELECT FInterID, FNumber, FName, FType, FWorkCenterID FROM t_Device"), id);
        if (!row) {
            name.clear();
            return;
        }
        number = Basic::Text(row->at(1));
        name = Basic::Text(row->at(2));
        type = Basic::Long(row->at(3));
        workCenter = Basic::Long(row->at(4));
        return;
    }
    if (!no.isEmpty())
        rs = db_->Query(QStringLiteral("SELECT FInterID, FNumber, FName, FType, FWorkCenterID FROM t_Device "
                                       "WHERE LOWER(FNumber) = LOWER(?) "
                                       "ORDER BY CASE WHEN FNumber = ? THEN 0 ELSE 1 END, FInterID LIMIT 1"),
                        {no, no});
    if (!rs || rs->Eof()) {
        name.clear();
        return;
    }
    id = Basic::Long(rs->Field(0));
    number = Basic::Text(rs->Field(1));
    name = Basic::Text(rs->Field(2));
    type = Basic::Long(rs->Field(3));
    workCenter = Basic::Long(rs->Field(4));
}

void MShopProc::GetTeamInfo(const QString&, QString& number, qint32& id, QString& name) {
    RecordsetPtr rs;
    const QString no = number.trimmed();
    if (id != 0) {
        const auto row = CachedRecordById(
            *db_, QStringLiteral("SELECT FInterID, FID, FName FROM t_SubMessage WHERE FTypeID = 62"), id);
        if (!row) {
            name.clear();
            return;
        }
        number = Basic::Text(row->at(1));
        name = Basic::Text(row->at(2));
        return;
    }
    if (!no.isEmpty())
        rs = db_->Query(QStringLiteral("SELECT FInterID, FID, FName FROM t_SubMessage "
                                       "WHERE FTypeID = 62 AND LOWER(FID) = LOWER(?) "
                                       "ORDER BY CASE WHEN FID = ? THEN 0 ELSE 1 END, FInterID LIMIT 1"),
                        {no, no});
    if (!rs || rs->Eof()) {
        name.clear();
        return;
    }
    id = Basic::Long(rs->Field(0));
    number = Basic::Text(rs->Field(1));
    name = Basic::Text(rs->Field(2));
}

RecordsetPtr MShopProc::GetWorkBillTree(const QString&, const bool& wcArrangement, const bool& check,
                                        const QString& condition) {
    return WorkBillQuery(*db_).Tree(wcArrangement, check, condition);
}

}  // namespace sp::platform
