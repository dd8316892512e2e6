#include "platform/middletier/ReportWriter.h"

#include <QDate>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/middletier/CallerRights.h"
#include "platform/middletier/OperationLedger.h"
#include "platform/middletier/ServerDate.h"
#include "platform/middletier/Texts.h"
#include "platform/middletier/WorkBillQuery.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/entry/HostServices.h"
#include "src/middletier/ReportRecordFields.h"

namespace sp::platform {
namespace {

namespace K = ReportRecord;

constexpr double kAbsurd = 1e12;

// The report column and the title for messages of each quantity, hour and fee field,
// in the record's order.
struct QuantityColumn {
    QLatin1StringView key;
    const char* column;
    const char* title;
};
constexpr QuantityColumn kQuantityColumns[] = {
    {K::Finished, "FAuxQtyFinish", "实作数"},
    {K::Passed, "FAuxQtyPass", "合格数"},
    {K::Lost, "FAuxQtyLost", "遗失数"},
    {K::Reworked, "FAuxQtyBack", "返修数"},
    {K::ReworkPassed, "FAuxQtyBackPass", "返修合格数"},
    {K::ScrapByWork, "FAuxQtyScrap", "因工报废数"},
    {K::ScrapByMaterial, "FAuxQtyForItem", "因料报废数"},
    {K::WorkHours, "FfinishTime", "实作工时"},
    {K::ReadyHours, "FreadyTime", "准备工时"},
    {K::PowerCutHours, "FpowercutTime", "停电工时"},
    {K::RepairHours, "FfixTime", "检修工时"},
    {K::WaitMaterialHours, "FwaitItemTime", "待料工时"},
    {K::WaitToolHours, "FwaitToolTime", "待工具工时"},
    {K::Received, "FAuxQtyReceive", "接收数"},
    {K::HandedOver, "FAuxQtyHandOver", "移交数"},
    {K::Fee, "FtotalFee", "费用"},
};

struct DateField {
    QLatin1StringView key;
    const char* title;
};
constexpr DateField kDates[] = {
    {K::MakingDate, "制单日期"}, {K::StartDate, "实际开工日期"}, {K::EndDate, "实际完工日期"}};

// True when `table` names the record's fields of one sort (`which`), all of them and in
// the record's order: a field the service has no column for would never be stored.
template <typename Row, size_t N>
constexpr bool FollowsTheRecord(const Row (&table)[N], bool (*which)(const K::Field&)) {
    size_t i = 0;
    for (const K::Field& f : K::kFields)
        if (which(f) && (i >= N || !K::SameKey(f.key, table[i++].key)))
            return false;
    return i == N;
}
static_assert(FollowsTheRecord(kQuantityColumns, K::IsQuantity));
static_assert(FollowsTheRecord(kDates, [](const K::Field& f) { return f.kind == K::Kind::Date; }));

// Record key, report column, title for messages, whether a negative value is allowed
// (received and handed over carry corrections).
struct QuantityField {
    QLatin1StringView key;
    const char* column;
    const char* title;
    bool signedValue;
};

const std::vector<QuantityField>& QuantityFields() {
    static const std::vector<QuantityField> fields = [] {
        std::vector<QuantityField> fields;
        for (const K::Field& f : K::kFields)
            if (K::IsQuantity(f)) {
                const QuantityColumn& c = kQuantityColumns[fields.size()];
                fields.push_back({f.key, c.column, c.title, f.kind == K::Kind::Correction});
            }
        return fields;
    }();
    return fields;
}

// A record's value by key, in whatever letter case the record spells it (RecordKeysRefusal
// let no key through twice).
QVariant Value(const Dictionary& d, QLatin1StringView key) {
    if (d.Exists(key))
        return d.Item(key);
    for (const QString& have : d.Keys())
        if (have.compare(key, Qt::CaseInsensitive) == 0)
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

// A whole number of at least `min` within the 32-bit range: a number must be whole, a
// text a whole number as written (blanks around it allowed); blank is 0. False for
// anything else, so a value is never rounded or clamped into something else.
bool ToWhole(const QVariant& v, qint64 min, qint32& out) {
    out = 0;
    if (IsBlank(v))
        return min <= 0;
    bool ok = false;
    qint64 n = 0;
    switch (v.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = v.toDouble();
            ok = std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 1e18;
            n = ok ? static_cast<qint64>(d) : 0;
            break;
        }
        case QMetaType::QString:
            n = v.toString().trimmed().toLongLong(&ok);
            break;
        case QMetaType::ULongLong:
        case QMetaType::ULong:
            ok = v.toULongLong() <= static_cast<quint64>(std::numeric_limits<qint32>::max());
            n = ok ? static_cast<qint64>(v.toULongLong()) : 0;
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::LongLong:
            n = v.toLongLong(&ok);
            break;
        default:  // Booleans, dates and the like are no ids
            break;
    }
    if (!ok || n < min || n > std::numeric_limits<qint32>::max())
        return false;
    out = static_cast<qint32>(n);
    return true;
}

// CR, LF, tab, NUL and the other control characters break the history text (records by
// CR, fields by tab) and are not stored alike by both databases, so no text holds one.
bool HasControlCharacter(const QString& text) {
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

// The title under which a record key is named in a refusal: the clerk's column title,
// else the key itself.
QString FieldTitle(const QString& key) {
    static const std::pair<QLatin1StringView, const char*> others[] = {
        {K::WorkBillId, "工序计划单内码"}, {K::Serial, "汇报序号"}, {K::WorkerId, "操作工"},
        {K::DeviceId, "使用设备"},         {K::TeamId, "班组"},     {K::Memo, "备注"},
        {K::BillerId, "制单人"},
    };
    for (const QuantityField& f : QuantityFields())
        if (key.compare(f.key, Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(f.title);
    for (const DateField& f : kDates)
        if (key.compare(f.key, Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(f.title);
    for (const auto& [k, title] : others)
        if (key.compare(k, Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(title);
    return key;
}

// The refusal for a record that is not a whole report record: a key that is none of its
// fields (misspelt, it would be read as blank and stored as 0), a key given twice in
// different letter case (which of them counts?) or a needed field missing. Empty when
// the keys are right.
QString RecordKeysRefusal(const Dictionary& d) {
    std::array<bool, K::kFields.size()> given{};
    for (const QString& key : d.Keys()) {
        const auto field = std::find_if(K::kFields.cbegin(), K::kFields.cend(), [&](const K::Field& f) {
            return key.compare(f.key, Qt::CaseInsensitive) == 0;
        });
        if (field == K::kFields.cend())
            return MiddleTierTexts::UnknownField(key);
        bool& seen = given.at(static_cast<size_t>(field - K::kFields.cbegin()));
        if (seen)
            return MiddleTierTexts::FieldTwice(field->key);
        seen = true;
    }
    for (size_t i = 0; i < K::kFields.size(); ++i)
        if (K::kFields.at(i).required && !given.at(i))
            return MiddleTierTexts::MissingField(K::kFields.at(i).key, FieldTitle(K::kFields.at(i).key));
    return {};
}

// A whole-number field of the record (id or serial), or the refusal naming the field.
QString ReadWhole(const Dictionary& d, QLatin1StringView key, qint64 min, qint32& out) {
    const QVariant v = Value(d, key);
    const QString title = FieldTitle(key);
    if (v.typeId() == QMetaType::QString && HasControlCharacter(v.toString()))
        return MiddleTierTexts::ControlCharacter(title);
    if (ToWhole(v, min, out))
        return {};
    return key == K::Serial ? MiddleTierTexts::SerialNotNumeric(Basic::Text(v))
                            : MiddleTierTexts::NotWholeNumber(title, Basic::Text(v));
}

// The refusal for the first text value of the record holding a control character, the
// memo aside (see SaveBatch::Classify); empty when there is none.
QString ControlCharacterRefusal(const Dictionary& d) {
    for (const QString& key : d.Keys()) {
        if (key.compare(K::Memo, Qt::CaseInsensitive) == 0)
            continue;
        const QVariant v = d.Item(key);
        if (v.typeId() == QMetaType::QString && HasControlCharacter(v.toString()))
            return MiddleTierTexts::ControlCharacter(FieldTitle(key));
    }
    return {};
}

// The stored memo as the history shows it: CR, LF and tab as blanks.
QString ShownMemo(QString memo) {
    memo.replace(QLatin1Char('\t'), QLatin1Char(' '));
    memo.replace(QLatin1Char('\r'), QLatin1Char(' '));
    memo.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return memo;
}

// Numbers as the history shows them (15 significant digits): a value sent back from the
// grid is the stored value even when the stored double carries more digits.
bool SameNumber(double a, double b) { return a == b || Basic::NumberText(a) == Basic::NumberText(b); }

struct WorkBillFacts {
    QString number;
    bool reportable = false;
};

struct Report {
    qint32 wbInterId = 0;
    qint32 serial = 0;
    QString prefix;  // "工序计划单 <number> 汇报序号 <serial>：", leads every refusal of this report
    qint32 workerId = 0;
    qint32 deviceId = 0;
    qint32 teamId = 0;
    QVariant dates[3];  // invalid when the record leaves the date blank
    std::vector<double> quantities;
    QString sentMemo;       // as the record carries it
    QString memo;           // what is stored: the sent memo trimmed
    bool keepMemo = false;  // the stored memo stays as it is (see Classify)
    bool forceNew = false;
    bool insert = false;
    bool changed = true;  // a stored draft whose values differ from the record's
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
    const std::pair<QLatin1StringView, qint32*> ids[] = {
        {K::WorkerId, &r.workerId}, {K::DeviceId, &r.deviceId}, {K::TeamId, &r.teamId}};
    for (const auto& [key, id] : ids)
        if (const QString refusal = ReadWhole(d, key, std::numeric_limits<qint32>::min(), *id);
            !refusal.isEmpty())
            return refusal;
    r.sentMemo = Basic::Text(Value(d, K::Memo));
    r.memo = r.sentMemo.trimmed();
    if (r.memo.isNull())
        r.memo = QStringLiteral("");  // the column holds text, never NULL
    r.forceNew = Basic::Bool(Value(d, K::IsNew));
    return {};
}

QVariant DateParam(const QVariant& date) {
    return date.isValid() ? date : QVariant(QMetaType::fromType<QDate>());
}

// 1 when the work bill wbe of the task mo takes new reports, else 0.
QString ReportableCase() {
    return QStringLiteral("CASE WHEN ") + WorkBillQuery::ReportableCondition() +
           QStringLiteral(" THEN 1 ELSE 0 END");
}

// The statements name the quantity columns of QuantityFields, in their order; built once.
// InsertHead is followed by one InsertValues per report.
const QString& InsertHead() {
    static const QString sql = [] {
        QStringList columns;
        for (const QuantityField& f : QuantityFields()) columns << QLatin1String(f.column);
        return QStringLiteral(
                   "INSERT INTO SHProcRpt (FWBInterID, Fserial, FbillerID, Fdate, FworkerID, FdeviceID, "
                   "FteamID, FstartWorkDate, FendWorkDate, Fmemo, Fstatus, FcheckerID, ") +
               columns.join(QStringLiteral(", ")) + QStringLiteral(") VALUES ");
    }();
    return sql;
}

// The values of one report; `date` stands for the making date (a placeholder or the
// server's date).
QString InsertValues(const QString& date) {
    return QStringLiteral("(?, ?, ?, ") + date + QStringLiteral(", ?, ?, ?, ?, ?, ?, 0, 0") +
           QStringLiteral(", ?").repeated(QuantityFields().size()) + QStringLiteral(")");
}

const QString& InsertSql() {
    static const QString sql = InsertHead() + InsertValues(QStringLiteral("?"));
    return sql;
}

// The values of InsertValues for the report; the making date only when `date` is valid
// (else the statement names the server's date).
void InsertParams(const Report& r, qint32 billerId, const QVariant& date, QVariantList& params) {
    params << r.wbInterId << r.serial << billerId;
    if (date.isValid())
        params << date;
    params << r.workerId << r.deviceId << r.teamId << DateParam(r.dates[1]) << DateParam(r.dates[2])
           << r.memo;
    for (double q : r.quantities) params << q;
}

// Only a draft is changed: a report audited or deleted since it was classified is
// left as it is and the statement changes no row. The biller stays who made the
// report; a NULL memo keeps the stored one.
const QString& UpdateSql() {
    static const QString sql = [] {
        QStringList assignments;
        for (const QuantityField& f : QuantityFields())
            assignments << QLatin1String(f.column) + QStringLiteral(" = ?");
        return QStringLiteral(
                   "UPDATE SHProcRpt SET Fdate = COALESCE(?, Fdate), FworkerID = ?, FdeviceID = ?, "
                   "FteamID = ?, FstartWorkDate = ?, FendWorkDate = ?, Fmemo = COALESCE(?, Fmemo), ") +
               assignments.join(QStringLiteral(", ")) +
               QStringLiteral(" WHERE FWBInterID = ? AND Fserial = ? AND Fstatus = 0");
    }();
    return sql;
}

// The columns of a stored report a record is compared with: status, people, dates,
// memo, then the quantity columns in the order of QuantityFields.
QString StoredColumns(const QString& table) {
    QStringList columns;
    for (const char* c :
         {"Fstatus", "FworkerID", "FdeviceID", "FteamID", "Fdate", "FstartWorkDate", "FendWorkDate", "Fmemo"})
        columns << table + QLatin1String(c);
    for (const QuantityField& f : QuantityFields()) columns << table + QLatin1String(f.column);
    return columns.join(QStringLiteral(", "));
}

// The stored report of a serial.
const QString& StoredSql() {
    static const QString sql = QStringLiteral("SELECT ") + StoredColumns(QString()) +
                               QStringLiteral(" FROM SHProcRpt WHERE FWBInterID = ? AND Fserial = ?");
    return sql;
}

// The reports of one save: every record is read and checked before anything is
// written, and the writes are one transaction. Each work bill is read once per save.
class SaveBatch {
  public:
    explicit SaveBatch(Database& db) : db_(db) {}

    // Reads in one statement what Add and RightsRefusal would ask for record by record:
    // the records' work bills, their stored reports and the caller's rights.
    void ReadAhead(const ReportRecords& records, CallerRights* rights);
    // Takes the record at (1-based) `position`; the refusal, or empty when it is taken.
    QString Add(const Dictionary& d, int position);
    // The refusal when the caller may not store new reports or change stored ones.
    QString RightsRefusal(CallerRights* rights) const;
    // Stores every report or none, new ones with `billerId`; the refusal, or empty when
    // all are stored.
    QString Write(qint32 billerId) const;
    bool Empty() const { return reports_.empty(); }

  private:
    bool FindWorkBill(qint32 wbInterId, WorkBillFacts& facts);
    QString Classify(const WorkBillFacts& bill, Report& r) const;
    QString Insert(const Report& r, qint32 billerId, const QDate& today) const;
    bool InsertAllAtOnce(qint32 billerId) const;
    QString Update(const Report& r) const;
    QString StillDraft(const Report& r) const;

    Database& db_;
    QHash<qint32, WorkBillFacts> bills_;
    bool readAhead_ = false;  // bills_ and stored_ hold every work bill and report asked for
    QHash<QPair<qint32, qint32>, QVariantList> stored_;
    QSet<QPair<qint32, qint32>> seen_;
    std::vector<Report> reports_;
};

QString SaveBatch::Add(const Dictionary& d, int position) {
    Report r;
    const QString record = MiddleTierTexts::RecordPrefix(position);
    if (const QString refusal = RecordKeysRefusal(d); !refusal.isEmpty())
        return record + refusal;
    if (const QString refusal = ReadWhole(d, K::WorkBillId, std::numeric_limits<qint32>::min(), r.wbInterId);
        !refusal.isEmpty())
        return record + refusal;
    WorkBillFacts bill;
    if (!FindWorkBill(r.wbInterId, bill))
        return record + MiddleTierTexts::UnknownWorkBill(r.wbInterId);
    if (const QString refusal = ReadWhole(d, K::Serial, 1, r.serial); !refusal.isEmpty())
        return record + MiddleTierTexts::WorkBillPrefix(bill.number) + refusal;
    r.prefix = MiddleTierTexts::ReportPrefix(bill.number, r.serial);
    if (seen_.contains({r.wbInterId, r.serial}))
        return r.prefix + MiddleTierTexts::DuplicateInSave();
    seen_.insert({r.wbInterId, r.serial});
    if (const QString refusal = ControlCharacterRefusal(d); !refusal.isEmpty())
        return r.prefix + refusal;
    if (const QString refusal = ReadValues(d, r); !refusal.isEmpty())
        return r.prefix + refusal;
    if (const QString refusal = Classify(bill, r); !refusal.isEmpty())
        return r.prefix + refusal;
    reports_.push_back(std::move(r));
    return {};
}

void SaveBatch::ReadAhead(const ReportRecords& records, CallerRights* rights) {
    QSet<qint32> bills;
    QSet<QPair<qint32, qint32>> reports;
    for (const DictionaryPtr& d : records) {
        qint32 wb = 0, serial = 0;
        if (!d || !ReadWhole(*d, K::WorkBillId, std::numeric_limits<qint32>::min(), wb).isEmpty())
            continue;
        bills.insert(wb);
        if (ReadWhole(*d, K::Serial, 1, serial).isEmpty())
            reports.insert({wb, serial});
    }
    // A save of thousands of rows asks record by record rather than run into the
    // databases' limits on a statement's values.
    if (bills.isEmpty() || bills.size() + reports.size() > 2000)
        return;
    QVariantList params;
    const bool askRights = rights && rights->UserId() > 0;
    if (askRights)
        params << rights->UserId();
    QStringList pairs, ids;
    for (const auto& [wb, serial] : reports) {
        pairs << QStringLiteral("(?, ?)");
        params << wb << serial;
    }
    for (const qint32 wb : bills) {
        ids << QStringLiteral("?");
        params << wb;
    }
    const RecordsetPtr rs = db_.Query(
        QStringLiteral("SELECT wbe.FWBInterID, wbe.FWorkBillNO, %1, %2, r.Fserial, ")
                .arg(ReportableCase(),
                     askRights ? QStringLiteral("(SELECT FRights FROM t_UserRight WHERE FUserID = ? AND "
                                                "FSubSys = 1024 AND FFunction = 30)")
                               : QStringLiteral("NULL")) +
            StoredColumns(QStringLiteral("r.")) +
            QStringLiteral(
                " FROM SHWorkBillEntry wbe JOIN ICMO mo ON mo.FInterID = wbe.FInterID "
                "LEFT JOIN SHProcRpt r ON r.FWBInterID = wbe.FWBInterID AND (r.FWBInterID, r.Fserial) "
                "IN (%1) WHERE wbe.FWBInterID IN (%2)")
                .arg(pairs.isEmpty() ? QStringLiteral("(0, 0)") : pairs.join(QStringLiteral(", ")),
                     ids.join(QStringLiteral(", "))),
        params);
    bool rightsRead = false;
    for (const QVariantList& row : rs->Rows()) {
        const qint32 wb = Basic::Long(row.value(0));
        bills_.insert(wb, {Basic::Text(row.value(1)), Basic::Long(row.value(2)) == 1});
        if (askRights && !rightsRead) {
            rights->Know(row.value(3));
            rightsRead = true;
        }
        if (!row.value(4).isNull())
            stored_.insert({wb, Basic::Long(row.value(4))}, row.mid(5));
    }
    readAhead_ = true;
}

// The work bill's number and whether it takes new reports; false when there is no
// such work bill.
bool SaveBatch::FindWorkBill(qint32 wbInterId, WorkBillFacts& facts) {
    if (const auto known = bills_.constFind(wbInterId); known != bills_.cend()) {
        facts = *known;
        return true;
    }
    if (readAhead_)
        return false;
    RecordsetPtr rs =
        db_.Query(QStringLiteral("SELECT wbe.FWorkBillNO, ") + ReportableCase() +
                      QStringLiteral(" FROM SHWorkBillEntry wbe JOIN ICMO mo ON mo.FInterID = wbe.FInterID "
                                     "WHERE wbe.FWBInterID = ?"),
                  {wbInterId});
    if (rs->Eof())
        return false;
    facts.number = Basic::Text(rs->Field(0));
    facts.reportable = Basic::Long(rs->Field(1)) == 1;
    bills_.insert(wbInterId, facts);
    return true;
}

// A serial not stored yet is new; a record flagged FIsNew must be. The classification
// is read before the write transaction on purpose: a serial that another workstation
// stores in between then fails on the primary key when it is written instead of being
// taken for an edit.
//
// A stored draft counts as changed only when the record's values differ from the
// stored ones, so re-sending a grid unchanged needs no right to change reports. A memo
// that is the stored one as the history showed it (CR, LF and tab as blanks: a report
// stored before such memos were refused) is no change and leaves the stored memo as it
// is; any other memo holding a control character is refused.
QString SaveBatch::Classify(const WorkBillFacts& bill, Report& r) const {
    QVariantList stored;
    if (readAhead_)
        stored = stored_.value({r.wbInterId, r.serial});
    else
        stored = db_.Query(StoredSql(), {r.wbInterId, r.serial})->Rows().value(0);
    const QString memoTitle = FieldTitle(K::Memo);
    if (stored.isEmpty()) {
        if (HasControlCharacter(r.sentMemo))
            return MiddleTierTexts::ControlCharacter(memoTitle);
        if (!bill.reportable)
            return MiddleTierTexts::WorkBillNotReportable();
        r.insert = true;
        return {};
    }
    if (Basic::Long(stored.value(0)) != 0)
        return MiddleTierTexts::AlreadyAudited();
    if (r.forceNew)
        return MiddleTierTexts::SerialTaken();
    const QString shown = ShownMemo(Basic::Text(stored.value(7)));
    r.keepMemo =
        r.sentMemo == shown || (!HasControlCharacter(r.sentMemo) && r.sentMemo.trimmed() == shown.trimmed());
    if (!r.keepMemo && HasControlCharacter(r.sentMemo))
        return MiddleTierTexts::ControlCharacter(memoTitle);

    bool same = r.keepMemo && r.workerId == Basic::Long(stored.value(1)) &&
                r.deviceId == Basic::Long(stored.value(2)) && r.teamId == Basic::Long(stored.value(3)) &&
                (!r.dates[0].isValid() || r.dates[0].toDate() == Basic::ToDate(stored.value(4)));
    for (int i = 1; same && i < 3; ++i)
        same = (r.dates[i].isValid() ? r.dates[i].toDate() : QDate()) == Basic::ToDate(stored.value(4 + i));
    for (size_t i = 0; same && i < r.quantities.size(); ++i)
        same = SameNumber(r.quantities[i], Basic::Dbl(stored.value(8 + static_cast<int>(i))));
    r.changed = !same;
    return {};
}

QString SaveBatch::RightsRefusal(CallerRights* rights) const {
    if (!rights)
        return {};
    bool anyNew = false, anyEdit = false;
    for (const Report& r : reports_) {
        anyNew |= r.insert;
        anyEdit |= !r.insert && r.changed;
    }
    if (anyNew && !rights->Has(CallerRights::SaveNew))
        return MiddleTierTexts::NoRightSaveNew();
    if (anyEdit && !rights->Has(CallerRights::SaveChanges))
        return MiddleTierTexts::NoRightSaveEdit();
    return {};
}

// PostgreSQL, new reports only: one statement stores them all, atomic on its own, the
// server's date standing where a report leaves its making date blank. False when a serial
// is taken meanwhile: nothing was stored, and Write's own path finds which and says so.
bool SaveBatch::InsertAllAtOnce(qint32 billerId) const {
    QStringList rows;
    QVariantList params;
    for (const Report& r : reports_) {
        rows << InsertValues(r.dates[0].isValid() ? QStringLiteral("?") : ServerDateSql(db_));
        InsertParams(r, billerId, r.dates[0], params);
    }
    try {
        db_.Exec(InsertHead() + rows.join(QStringLiteral(", ")), params);
    } catch (const ComError& e) {
        if (!IsUniqueViolation(e))
            throw;
        return false;  // a serial taken meanwhile
    }
    OperationLedger::ReportsWritten();
    return true;
}

QString SaveBatch::Write(qint32 billerId) const {
    if (db_.dialect() == Dialect::PostgreSQL &&
        std::all_of(reports_.cbegin(), reports_.cend(), [](const Report& r) { return r.insert; }) &&
        InsertAllAtOnce(billerId))
        return {};
    const QDate today = ServerDate(db_);
    Transaction transaction(db_);
    for (const Report& r : reports_) {
        const QString refusal = r.insert ? Insert(r, billerId, today) : r.changed ? Update(r) : StillDraft(r);
        if (!refusal.isEmpty())
            return r.prefix + refusal;  // the guard rolls back what this save wrote so far
    }
    transaction.Commit();
    OperationLedger::ReportsWritten();
    return {};
}

QString SaveBatch::Insert(const Report& r, qint32 billerId, const QDate& today) const {
    QVariantList params;
    InsertParams(r, billerId, r.dates[0].isValid() ? r.dates[0] : QVariant(today), params);
    try {
        db_.Exec(InsertSql(), params);
    } catch (const ComError& e) {
        // A key violation means another workstation stored the serial meanwhile (see
        // Classify); any other failure is a technical one and goes on as raised.
        if (IsUniqueViolation(e))
            return MiddleTierTexts::SerialTaken();
        throw;
    }
    return {};
}

QString SaveBatch::Update(const Report& r) const {
    QVariantList params;
    params << DateParam(r.dates[0]) << r.workerId << r.deviceId << r.teamId << DateParam(r.dates[1])
           << DateParam(r.dates[2]) << (r.keepMemo ? QVariant() : QVariant(r.memo));
    for (double q : r.quantities) params << q;
    params << r.wbInterId << r.serial;
    if (db_.Exec(UpdateSql(), params) != 1)
        return MiddleTierTexts::ChangedMeanwhile();
    return {};
}

// An unchanged draft is not written; the save still holds only while it is a draft.
QString SaveBatch::StillDraft(const Report& r) const {
    const QVariant status =
        db_.Scalar(QStringLiteral("SELECT Fstatus FROM SHProcRpt WHERE FWBInterID = ? AND Fserial = ?"),
                   {r.wbInterId, r.serial});
    return !status.isNull() && Basic::Long(status) == 0 ? QString() : MiddleTierTexts::ChangedMeanwhile();
}

}  // namespace

QString ReportWriter::Prefix(qint32 wbInterId, qint64 serial) {
    const QString no = Basic::Text(db_->Scalar(
        QStringLiteral("SELECT FWorkBillNO FROM SHWorkBillEntry WHERE FWBInterID = ?"), {wbInterId}));
    return MiddleTierTexts::ReportPrefix(no.isEmpty() ? QString::number(wbInterId) : no, serial);
}

// Reads and checks every record, then the caller's rights, then writes all reports in
// one transaction. The first refusal ends the save with nothing stored; a record that
// is missing is a refusal too, never skipped.
bool ReportWriter::Save(const ReportRecords& records, CallerRights* rights, QString& message) {
    SaveBatch batch(*db_);
    batch.ReadAhead(records, rights);
    int position = 0;
    for (const DictionaryPtr& record : records) {
        ++position;
        const QString refusal = record
                                    ? batch.Add(*record, position)
                                    : MiddleTierTexts::RecordPrefix(position) + MiddleTierTexts::NullRecord();
        if (Refused(refusal, message))
            return false;
    }
    if (Refused(batch.RightsRefusal(rights), message))
        return false;
    if (batch.Empty())
        return true;
    return !Refused(batch.Write(userId_), message);
}

// The message of sp_post_report's answer (a row of code, work bill, amount, setting);
// empty for 0, done. The database read the receive switch as the service does; a value
// it cannot read is logged.
QString ReportWriter::PostingMessage(const QVariantList& answer, qint32 wbInterId, qint32 serial, int sign) {
    if (const QVariant setting = answer.value(3); !setting.isNull())
        HostServices::ControlReceiveOf(setting, QStringLiteral("Q8MShopProc.MShopProcSet"));
    const QString prefix = MiddleTierTexts::ReportPrefix(Basic::Text(answer.value(1)), serial);
    const QString amount = Basic::NumberText(Basic::Dbl(answer.value(2)));
    switch (Basic::Long(answer.value(0))) {
        case 0:
            return {};
        case 1:
            return MiddleTierTexts::UnknownWorkBill(wbInterId);
        case 2:
            return prefix + MiddleTierTexts::ReportNotFound();
        case 3:
            return prefix + MiddleTierTexts::AlreadyAudited();
        case 4:
            return prefix + MiddleTierTexts::NotAudited();
        case 5:
            return prefix + (sign > 0 ? MiddleTierTexts::ReceiveOverLimit(amount)
                                      : MiddleTierTexts::AfterUnauditReceive(amount));
        case 6:
            return prefix + (sign > 0 ? MiddleTierTexts::HandOverUnderLimit(amount)
                                      : MiddleTierTexts::AfterUnauditHandOver(amount));
        default:
            return prefix + MiddleTierTexts::ChangedMeanwhile();
    }
}

// PostgreSQL: the database audits and posts (sp_post_report), under the lock of the task's
// work bills and with the same rules as below: a clerk's role may write neither a report's
// status nor a work bill's quantities itself. The function changes nothing unless it
// answers 0, so its one statement is the transaction: one round trip.
bool ReportWriter::PostOnServer(qint32 wbInterId, qint32 serial, int sign, QString& message) {
    const RecordsetPtr rs =
        db_->Query(QStringLiteral("SELECT code, work_bill, amount, setting FROM sp_post_report(?, ?, ?, ?)"),
                   {wbInterId, serial, sign, userId_});
    message = PostingMessage(rs->Rows().value(0), wbInterId, serial, sign);
    if (!message.isEmpty())
        return false;
    OperationLedger::ReportsWritten();
    return true;
}

std::vector<ReportWriter::Outcome> ReportWriter::PostMany(const std::vector<Key>& reports, int sign,
                                                          CallerRights* rights) {
    std::vector<Outcome> outcomes;
    if (rights && !rights->Has(CallerRights::AuditUnaudit)) {
        outcomes.assign(reports.size(), Outcome{false, MiddleTierTexts::NoRightAudit(), false});
        return outcomes;
    }
    const auto leaveTheRest = [&] {
        outcomes.resize(reports.size(), Outcome{false, {}, true});
        return outcomes;
    };
    if (db_->dialect() != Dialect::PostgreSQL || reports.empty())
        return leaveTheRest();
    QStringList wbs, serials;
    for (const Key& k : reports) {
        wbs << QString::number(k.wbInterId);
        serials << QString::number(k.serial);
    }
    const auto array = [](const QStringList& items) { return u'{' + items.join(u',') + u'}'; };
    RecordsetPtr rs;
    try {
        rs = db_->Query(QStringLiteral("SELECT ord, code, work_bill, amount, setting FROM "
                                       "sp_post_reports(CAST(? AS integer[]), CAST(? AS integer[]), ?, ?) "
                                       "ORDER BY ord"),
                        {array(wbs), array(serials), sign, userId_});
    } catch (const ComError& e) {
        // A database whose functions predate the batch (42883: no such function) is
        // answered one report at a time; so is any other failure of the batch as a whole.
        if (e.NativeCode() == QLatin1String("42883"))
            return leaveTheRest();
        throw;
    }
    bool posted = false;
    for (const QVariantList& row : rs->Rows()) {
        const size_t i = static_cast<size_t>(Basic::Long(row.value(0))) - 1;
        if (i != outcomes.size() || i >= reports.size())
            break;
        Outcome o;
        o.message = PostingMessage(row.mid(1), reports[i].wbInterId, reports[i].serial, sign);
        o.done = o.message.isEmpty();
        posted |= o.done;
        outcomes.push_back(o);
    }
    if (posted)
        OperationLedger::ReportsWritten();
    return leaveTheRest();
}

// Every listed draft goes in one statement; what it did not delete (not found, audited
// meanwhile) is left to Delete, which says why.
std::vector<ReportWriter::Outcome> ReportWriter::DeleteMany(const std::vector<Key>& reports,
                                                            CallerRights* rights) {
    std::vector<Outcome> outcomes;
    if (rights && !rights->Has(CallerRights::Delete)) {
        outcomes.assign(reports.size(), Outcome{false, MiddleTierTexts::NoRightDelete(), false});
        return outcomes;
    }
    if (reports.empty())
        return outcomes;
    QStringList pairs;
    QVariantList params;
    for (const Key& k : reports) {
        pairs << QStringLiteral("(?, ?)");
        params << k.wbInterId << k.serial;
    }
    const RecordsetPtr deleted =
        db_->Query(QStringLiteral("DELETE FROM SHProcRpt WHERE Fstatus = 0 AND (FWBInterID, Fserial) IN (") +
                       pairs.join(QStringLiteral(", ")) + QStringLiteral(") RETURNING FWBInterID, Fserial"),
                   params);
    QSet<QPair<qint32, qint32>> gone;
    for (const QVariantList& row : deleted->Rows())
        gone.insert({Basic::Long(row.value(0)), Basic::Long(row.value(1))});
    if (!gone.isEmpty())
        OperationLedger::ReportsWritten();
    for (const Key& k : reports) {
        Outcome o;
        o.done = gone.contains({k.wbInterId, k.serial});
        o.pending = !o.done;
        outcomes.push_back(o);
    }
    return outcomes;
}

bool ReportWriter::PostingChange(qint32 wbInterId, qint32 serial, int sign, QString& message) {
    if (db_->dialect() == Dialect::PostgreSQL)
        return PostOnServer(wbInterId, serial, sign, message);
    Database& db = *db_;
    Transaction transaction(db);
    OperationLedger ledger(db);
    OperationState state;
    ledger.LockTaskOfWorkBill(wbInterId);
    if (!ledger.LoadByWorkBill(wbInterId, state)) {
        message = MiddleTierTexts::UnknownWorkBill(wbInterId);
        return false;
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
    // With the receive control switched off the shop posts whatever it reports.
    const QString refusal =
        state.controlReceive
            ? OperationLedger::CheckPosting(state, Basic::Dbl(rs->Field(1)), Basic::Dbl(rs->Field(2)), sign)
            : QString();
    if (!refusal.isEmpty()) {
        message = prefix + refusal;
        return false;
    }
    const int changed =
        sign > 0
            ? db.Exec(QStringLiteral("UPDATE SHProcRpt SET Fstatus = 1, FcheckerID = ?, FcheckDate = %1 "
                                     "WHERE FWBInterID = ? AND Fserial = ? AND Fstatus = 0")
                          .arg(ServerDateSql(db)),
                      {userId_, wbInterId, serial})
            : db.Exec(QStringLiteral("UPDATE SHProcRpt SET Fstatus = 0, FcheckerID = 0, FcheckDate = NULL "
                                     "WHERE FWBInterID = ? AND Fserial = ? AND Fstatus <> 0"),
                      {wbInterId, serial});
    if (changed != 1) {
        message = prefix + MiddleTierTexts::ChangedMeanwhile();
        return false;
    }
    ledger.Post(wbInterId, serial, sign);
    transaction.Commit();
    OperationLedger::ReportsWritten();
    return true;
}

bool ReportWriter::Audit(qint32 wbInterId, qint32 serial, CallerRights* rights, QString& message) {
    if (rights && !rights->Has(CallerRights::AuditUnaudit)) {
        message = MiddleTierTexts::NoRightAudit();
        return false;
    }
    return PostingChange(wbInterId, serial, +1, message);
}

bool ReportWriter::UnAudit(qint32 wbInterId, qint32 serial, CallerRights* rights, QString& message) {
    if (rights && !rights->Has(CallerRights::AuditUnaudit)) {
        message = MiddleTierTexts::NoRightAudit();
        return false;
    }
    return PostingChange(wbInterId, serial, -1, message);
}

bool ReportWriter::Delete(qint32 wbInterId, qint32 serial, CallerRights* rights, QString& message) {
    if (rights && !rights->Has(CallerRights::Delete)) {
        message = MiddleTierTexts::NoRightDelete();
        return false;
    }
    Database& db = *db_;
    // Only drafts go: an audited report is posted and must be unaudited first. The delete
    // is one statement, atomic on its own; only when it finds nothing to delete is the
    // report looked at again, to say why.
    if (db.Exec(QStringLiteral("DELETE FROM SHProcRpt WHERE FWBInterID = ? AND Fserial = ? AND Fstatus = 0"),
                {wbInterId, serial}) == 1) {
        OperationLedger::ReportsWritten();
        return true;
    }
    const QVariant status =
        db.Scalar(QStringLiteral("SELECT Fstatus FROM SHProcRpt WHERE FWBInterID = ? AND Fserial = ?"),
                  {wbInterId, serial});
    message = Prefix(wbInterId, serial) +
              (status.isNull() ? MiddleTierTexts::ReportNotFound() : MiddleTierTexts::AuditedCannotDelete());
    return false;
}

}  // namespace sp::platform
