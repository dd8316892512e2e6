#include "platform/middletier/ReportWriter.h"

#include <QDate>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/middletier/CallerRights.h"
#include "platform/middletier/CumulativeCache.h"
#include "platform/middletier/OperationLedger.h"
#include "platform/middletier/ServerDate.h"
#include "platform/middletier/Texts.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"

namespace sp::platform {
namespace {

constexpr double kAbsurd = 1e12;

// Record key (as the client spells it), report column, title for messages, whether a
// negative value is allowed (received and handed over carry corrections).
struct QuantityField {
    const char* key;
    const char* column;
    const char* title;
    bool signedValue;
};

const std::vector<QuantityField>& QuantityFields() {
    static const std::vector<QuantityField> fields = {
        {"FAuxQtyfinish", "FAuxQtyFinish", "实作数", false},
        {"FAuxQtyPass", "FAuxQtyPass", "合格数", false},
        {"FAuxQtylost", "FAuxQtyLost", "遗失数", false},
        {"FAuxQtyBack", "FAuxQtyBack", "返修数", false},
        {"FAuxQtyBackPass", "FAuxQtyBackPass", "返修合格数", false},
        {"FAuxQtyscrap", "FAuxQtyScrap", "因工报废数", false},
        {"FAuxQtyForItem", "FAuxQtyForItem", "因料报废数", false},
        {"FfinishTime", "FfinishTime", "实作工时", false},
        {"FreadyTime", "FreadyTime", "准备工时", false},
        {"FPowerCutTime", "FpowercutTime", "停电工时", false},
        {"FfixTime", "FfixTime", "检修工时", false},
        {"FwaitItemTime", "FwaitItemTime", "待料工时", false},
        {"FwaitTooltime", "FwaitToolTime", "待工具工时", false},
        {"FauxQtyReceive", "FAuxQtyReceive", "接收数", true},
        {"FauxQtyHandOver", "FAuxQtyHandOver", "移交数", true},
        {"FtotalFee", "FtotalFee", "费用", false},
    };
    return fields;
}

struct DateField {
    const char* key;
    const char* title;
};
const DateField kDates[] = {
    {"Fdate", "制单日期"}, {"FstartWorkDate", "实际开工日期"}, {"FEndWorkDate", "实际完工日期"}};

// A record's value by key; the client's spelling first, then without regard to case.
QVariant Value(const Dictionary& d, const char* key) {
    const QString k = QLatin1String(key);
    if (d.Exists(k))
        return d.Item(k);
    for (const QString& have : d.Keys())
        if (have.compare(k, Qt::CaseInsensitive) == 0)
            return d.Item(have);
    return {};
}

bool IsBlank(const QVariant& v) {
    return !v.isValid() || v.isNull() ||
           (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty());
}

// A cell value as a number: empty is 0; text must be a number as a whole.
bool ToNumber(const QVariant& v, double& out) {
    out = 0;
    if (IsBlank(v))
        return true;
    bool ok = false;
    switch (v.typeId()) {
        case QMetaType::QString:
            out = QLocale::c().toDouble(v.toString().trimmed(), &ok);
            break;
        case QMetaType::Bool:
        case QMetaType::QDate:
        case QMetaType::QDateTime:
            return false;
        default:
            out = v.toDouble(&ok);
            break;
    }
    return ok && std::isfinite(out);
}

bool ToSerial(const QVariant& v, qint32& out) {
    bool ok = false;
    qlonglong n = 0;
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        ok = std::isfinite(d) && d == std::floor(d);
        n = ok ? static_cast<qlonglong>(d) : 0;
    } else {
        n = v.toString().trimmed().toLongLong(&ok);
    }
    if (!ok || n < 1 || n > std::numeric_limits<qint32>::max())
        return false;
    out = static_cast<qint32>(n);
    return true;
}

struct WorkBillFacts {
    QString number;
    bool reportable = false;
};

struct Report {
    qint32 wbInterId = 0;
    qint32 serial = 0;
    QString prefix;  // "工序计划单 <number> 汇报序号 <serial>：", leads every refusal of this report
    qint32 billerId = 0;
    qint32 workerId = 0;
    qint32 deviceId = 0;
    qint32 teamId = 0;
    QVariant dates[3];  // invalid when the record leaves the date blank
    std::vector<double> quantities;
    QString memo;
    bool forceNew = false;
    bool insert = false;
};

// Passes a refusal on to the caller's message; true when there was one. The message
// is left alone otherwise.
bool Refused(const QString& refusal, QString& message) {
    if (refusal.isEmpty())
        return false;
    message = refusal;
    return true;
}

// A quantity field of the record as a number, or the refusal that names the field.
QString ReadQuantity(const Dictionary& d, const QuantityField& f, double& value) {
    const QString title = QString::fromUtf8(f.title);
    if (!ToNumber(Value(d, f.key), value))
        return MiddleTierTexts::NotANumber(title);
    if (std::fabs(value) > kAbsurd)
        return MiddleTierTexts::Absurd(title);
    if (value < 0 && !f.signedValue)
        return MiddleTierTexts::Negative(title);
    return {};
}

// A date field of the record, or the refusal that names the field. A blank field
// leaves `date` invalid, so the write fills or keeps the column.
QString ReadDate(const Dictionary& d, const DateField& f, QVariant& date) {
    const QVariant v = Value(d, f.key);
    if (IsBlank(v))
        return {};
    const QDate parsed = Basic::ToDate(v);
    if (!parsed.isValid() || parsed < QDate(1900, 1, 1) || parsed > QDate(2099, 12, 31))
        return MiddleTierTexts::BadDate(QString::fromUtf8(f.title));
    date = parsed;
    return {};
}

// The record's quantities, dates, people and memo into the report; the refusal of the
// first field that cannot be stored, without the report's prefix.
QString ReadValues(const Dictionary& d, Report& r) {
    for (const QuantityField& f : QuantityFields()) {
        double value = 0;
        if (const QString refusal = ReadQuantity(d, f, value); !refusal.isEmpty())
            return refusal;
        r.quantities.push_back(value);
    }
    for (int i = 0; i < 3; ++i)
        if (const QString refusal = ReadDate(d, kDates[i], r.dates[i]); !refusal.isEmpty())
            return refusal;
    if (r.dates[1].isValid() && r.dates[2].isValid() && r.dates[1].toDate() > r.dates[2].toDate())
        return MiddleTierTexts::StartAfterEnd();
    r.billerId = Basic::Long(Value(d, "FbillerID"));
    r.workerId = Basic::Long(Value(d, "FworkerID"));
    r.deviceId = Basic::Long(Value(d, "FdeviceID"));
    r.teamId = Basic::Long(Value(d, "FteamID"));
    r.memo = Basic::Text(Value(d, "Fmemo")).trimmed();
    if (r.memo.isNull())
        r.memo = QStringLiteral("");  // the column holds text, never NULL
    r.forceNew = Basic::Bool(Value(d, "FIsNew"));
    return {};
}

QVariant DateParam(const QVariant& date) {
    return date.isValid() ? date : QVariant(QMetaType::fromType<QDate>());
}

// The statements name the quantity columns of QuantityFields, in their order; built once.
const QString& InsertSql() {
    static const QString sql = [] {
        QStringList columns;
        for (const QuantityField& f : QuantityFields()) columns << QLatin1String(f.column);
        return QStringLiteral(
                   "INSERT INTO SHProcRpt (FWBInterID, Fserial, FbillerID, Fdate, FworkerID, FdeviceID, "
                   "FteamID, FstartWorkDate, FendWorkDate, Fmemo, Fstatus, FcheckerID, ") +
               columns.join(QStringLiteral(", ")) +
               QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, 0") +
               QStringLiteral(", ?").repeated(columns.size()) + QStringLiteral(")");
    }();
    return sql;
}

// Only a draft is changed: a report audited or deleted since it was classified is
// left as it is and the statement changes no row.
const QString& UpdateSql() {
    static const QString sql = [] {
        QStringList assignments;
        for (const QuantityField& f : QuantityFields())
            assignments << QLatin1String(f.column) + QStringLiteral(" = ?");
        return QStringLiteral(
                   "UPDATE SHProcRpt SET FbillerID = ?, Fdate = COALESCE(?, Fdate), FworkerID = ?, "
                   "FdeviceID = ?, FteamID = ?, FstartWorkDate = ?, FendWorkDate = ?, Fmemo = ?, ") +
               assignments.join(QStringLiteral(", ")) +
               QStringLiteral(" WHERE FWBInterID = ? AND Fserial = ? AND Fstatus = 0");
    }();
    return sql;
}

// The reports of one save: every record is read and checked before anything is
// written, and the writes are one transaction. Each work bill is read once per save.
class SaveBatch {
  public:
    explicit SaveBatch(Database& db) : db_(db) {}

    // Takes the record at (1-based) `position`; the refusal, or empty when it is taken.
    QString Add(const Dictionary& d, int position);
    // The refusal when the caller may not store new reports or change stored ones.
    QString RightsRefusal(CallerRights* rights) const;
    // Stores every report or none; the refusal, or empty when all are stored.
    QString Write() const;
    bool Empty() const { return reports_.empty(); }

  private:
    bool FindWorkBill(qint32 wbInterId, WorkBillFacts& facts);
    QString Classify(const WorkBillFacts& bill, Report& r) const;
    QString Insert(const Report& r, const QDate& today) const;
    QString Update(const Report& r) const;

    Database& db_;
    QHash<qint32, WorkBillFacts> bills_;
    QSet<QPair<qint32, qint32>> seen_;
    std::vector<Report> reports_;
};

QString SaveBatch::Add(const Dictionary& d, int position) {
    Report r;
    r.wbInterId = Basic::Long(Value(d, "FWBinterID"));
    WorkBillFacts bill;
    if (!FindWorkBill(r.wbInterId, bill))
        return MiddleTierTexts::RecordPrefix(position) + MiddleTierTexts::UnknownWorkBill(r.wbInterId);
    const QVariant serial = Value(d, "Fserial");
    if (!ToSerial(serial, r.serial))
        return MiddleTierTexts::RecordPrefix(position) + MiddleTierTexts::WorkBillPrefix(bill.number) +
               MiddleTierTexts::SerialNotNumeric(Basic::Text(serial));
    r.prefix = MiddleTierTexts::ReportPrefix(bill.number, r.serial);
    if (seen_.contains({r.wbInterId, r.serial}))
        return r.prefix + MiddleTierTexts::DuplicateInSave();
    seen_.insert({r.wbInterId, r.serial});
    if (const QString refusal = ReadValues(d, r); !refusal.isEmpty())
        return r.prefix + refusal;
    if (const QString refusal = Classify(bill, r); !refusal.isEmpty())
        return r.prefix + refusal;
    reports_.push_back(std::move(r));
    return {};
}

// The work bill's number and whether it takes new reports; false when there is no
// such work bill.
bool SaveBatch::FindWorkBill(qint32 wbInterId, WorkBillFacts& facts) {
    if (const auto known = bills_.constFind(wbInterId); known != bills_.cend()) {
        facts = *known;
        return true;
    }
    RecordsetPtr rs = db_.Query(
        QStringLiteral("SELECT wbe.FWorkBillNO, CASE WHEN wbe.FStatus IN (1, 2) AND wbe.FSuspend = 0 "
                       "AND mo.FCancellation = 0 AND mo.FStatus IN (1, 2) THEN 1 ELSE 0 END "
                       "FROM SHWorkBillEntry wbe JOIN ICMO mo ON mo.FInterID = wbe.FInterID "
                       "WHERE wbe.FWBInterID = ?"),
        {wbInterId});
    if (rs->Eof())
        return false;
    facts.number = Basic::Text(rs->Field(0));
    facts.reportable = Basic::Long(rs->Field(1)) == 1;
    bills_.insert(wbInterId, facts);
    return true;
}

// The records carry no new/edit flag: a serial not stored yet is new. The
// classification is read before the write transaction on purpose: a serial that
// another workstation stores in between then fails on the primary key when it is
// written instead of being taken for an edit.
QString SaveBatch::Classify(const WorkBillFacts& bill, Report& r) const {
    const QVariant status =
        db_.Scalar(QStringLiteral("SELECT Fstatus FROM SHProcRpt WHERE FWBInterID = ? AND Fserial = ?"),
                   {r.wbInterId, r.serial});
    if (status.isNull()) {
        if (!bill.reportable)
            return MiddleTierTexts::WorkBillNotReportable();
        r.insert = true;
        return {};
    }
    if (Basic::Long(status) != 0)
        return MiddleTierTexts::AlreadyAudited();
    if (r.forceNew)
        return MiddleTierTexts::SerialTaken();
    return {};
}

QString SaveBatch::RightsRefusal(CallerRights* rights) const {
    if (!rights)
        return {};
    bool anyNew = false, anyEdit = false;
    for (const Report& r : reports_) (r.insert ? anyNew : anyEdit) = true;
    if (anyNew && !rights->Has(CallerRights::SaveNew))
        return MiddleTierTexts::NoRightSaveNew();
    if (anyEdit && !rights->Has(CallerRights::SaveChanges))
        return MiddleTierTexts::NoRightSaveEdit();
    return {};
}

QString SaveBatch::Write() const {
    const QDate today = ServerDate(db_);
    Transaction transaction(db_);
    for (const Report& r : reports_)
        if (const QString refusal = r.insert ? Insert(r, today) : Update(r); !refusal.isEmpty())
            return r.prefix + refusal;  // the guard rolls back what this save wrote so far
    transaction.Commit();
    CumulativeCache::Invalidate();
    return {};
}

QString SaveBatch::Insert(const Report& r, const QDate& today) const {
    QVariantList params;
    params << r.wbInterId << r.serial << r.billerId << (r.dates[0].isValid() ? r.dates[0] : QVariant(today))
           << r.workerId << r.deviceId << r.teamId << DateParam(r.dates[1]) << DateParam(r.dates[2])
           << r.memo;
    for (double q : r.quantities) params << q;
    try {
        db_.Exec(InsertSql(), params);
    } catch (const ComError& e) {
        // A key violation means another workstation stored the serial meanwhile (see
        // Classify); any other failure is passed on as the database gave it.
        const QString text = e.Description().toLower();
        return text.contains(QStringLiteral("unique")) || text.contains(QStringLiteral("duplicate"))
                   ? MiddleTierTexts::SerialTaken()
                   : MiddleTierTexts::SaveFailed(e.Description());
    }
    return {};
}

QString SaveBatch::Update(const Report& r) const {
    QVariantList params;
    params << r.billerId << DateParam(r.dates[0]) << r.workerId << r.deviceId << r.teamId
           << DateParam(r.dates[1]) << DateParam(r.dates[2]) << r.memo;
    for (double q : r.quantities) params << q;
    params << r.wbInterId << r.serial;
    if (db_.Exec(UpdateSql(), params) != 1)
        return MiddleTierTexts::ChangedMeanwhile();
    return {};
}

}  // namespace

QString ReportWriter::Prefix(qint32 wbInterId, qint64 serial) {
    const QString no = Basic::Text(db_->Scalar(
        QStringLiteral("SELECT FWorkBillNO FROM SHWorkBillEntry WHERE FWBInterID = ?"), {wbInterId}));
    return MiddleTierTexts::ReportPrefix(no.isEmpty() ? QString::number(wbInterId) : no, serial);
}

// Reads and checks every record, then the caller's rights, then writes all reports in
// one transaction. The first refusal ends the save with nothing stored.
bool ReportWriter::Save(const ReportRecords& records, CallerRights* rights, QString& message) {
    SaveBatch batch(*db_);
    int position = 0;
    for (const DictionaryPtr& record : records) {
        ++position;
        if (record && Refused(batch.Add(*record, position), message))
            return false;
    }
    if (Refused(batch.RightsRefusal(rights), message))
        return false;
    if (batch.Empty())
        return true;
    return !Refused(batch.Write(), message);
}

bool ReportWriter::PostingChange(qint32 wbInterId, qint32 serial, int sign, qint32 checkerId,
                                 QString& message) {
    Database& db = *db_;
    Transaction transaction(db);
    OperationLedger ledger(db);
    OperationState state;
    if (!ledger.LoadByWorkBill(wbInterId, state)) {
        message = MiddleTierTexts::UnknownWorkBill(wbInterId);
        return false;
    }
    if (db.dialect() == Dialect::PostgreSQL) {
        ledger.LockTask(state.interId);
        ledger.LoadByWorkBill(wbInterId, state);
    }
    const QString prefix = MiddleTierTexts::ReportPrefix(state.workBillNo, serial);
    RecordsetPtr rs =
        db.Query(QStringLiteral("SELECT Fstatus, FAuxQtyReceive, FAuxQtyHandOver FROM SHProcRpt "
                                "WHERE FWBInterID = ? AND Fserial = ?"),
                 {wbInterId, serial});
    if (rs->Eof()) {
        message = prefix + MiddleTierTexts::ReportNotFound();
        return false;
    }
    const bool audited = Basic::Long(rs->Field(0)) != 0;
    if (sign > 0 && audited) {
        message = prefix + MiddleTierTexts::AlreadyAudited();
        return false;
    }
    if (sign < 0 && !audited) {
        message = prefix + MiddleTierTexts::NotAudited();
        return false;
    }
    const QString refusal =
        OperationLedger::CheckPosting(state, Basic::Dbl(rs->Field(1)), Basic::Dbl(rs->Field(2)), sign);
    if (!refusal.isEmpty()) {
        message = prefix + refusal;
        return false;
    }
    const int changed =
        sign > 0
            ? db.Exec(QStringLiteral("UPDATE SHProcRpt SET Fstatus = 1, FcheckerID = ?, FcheckDate = ? "
                                     "WHERE FWBInterID = ? AND Fserial = ? AND Fstatus = 0"),
                      {checkerId, ServerDate(db), wbInterId, serial})
            : db.Exec(QStringLiteral("UPDATE SHProcRpt SET Fstatus = 0, FcheckerID = 0, FcheckDate = NULL "
                                     "WHERE FWBInterID = ? AND Fserial = ? AND Fstatus <> 0"),
                      {wbInterId, serial});
    if (changed != 1) {
        message = prefix + MiddleTierTexts::ChangedMeanwhile();
        return false;
    }
    ledger.Post(wbInterId, serial, sign);
    transaction.Commit();
    CumulativeCache::Invalidate();
    return true;
}

bool ReportWriter::Audit(qint32 wbInterId, qint32 serial, qint32 checkerId, CallerRights* rights,
                         QString& message) {
    if (rights && !rights->Has(CallerRights::AuditUnaudit)) {
        message = MiddleTierTexts::NoRightAudit();
        return false;
    }
    return PostingChange(wbInterId, serial, +1, checkerId, message);
}

bool ReportWriter::UnAudit(qint32 wbInterId, qint32 serial, CallerRights* rights, QString& message) {
    if (rights && !rights->Has(CallerRights::AuditUnaudit)) {
        message = MiddleTierTexts::NoRightAudit();
        return false;
    }
    return PostingChange(wbInterId, serial, -1, 0, message);
}

bool ReportWriter::Delete(qint32 wbInterId, qint32 serial, CallerRights* rights, QString& message) {
    if (rights && !rights->Has(CallerRights::Delete)) {
        message = MiddleTierTexts::NoRightDelete();
        return false;
    }
    Database& db = *db_;
    Transaction transaction(db);
    const QVariant status =
        db.Scalar(QStringLiteral("SELECT Fstatus FROM SHProcRpt WHERE FWBInterID = ? AND Fserial = ?"),
                  {wbInterId, serial});
    if (status.isNull()) {
        message = Prefix(wbInterId, serial) + MiddleTierTexts::ReportNotFound();
        return false;
    }
    // Only drafts go: an audited report is posted and must be unaudited first.
    if (Basic::Long(status) != 0 ||
        db.Exec(QStringLiteral("DELETE FROM SHProcRpt WHERE FWBInterID = ? AND Fserial = ? AND Fstatus = 0"),
                {wbInterId, serial}) != 1) {
        message = Prefix(wbInterId, serial) + MiddleTierTexts::AuditedCannotDelete();
        return false;
    }
    transaction.Commit();
    CumulativeCache::Invalidate();
    return true;
}

}  // namespace sp::platform
