#include "platform/middletier/ReportWriter.h"

#include <QDate>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <cmath>
#include <limits>
#include <vector>

#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "platform/middletier/CallerRights.h"
#include "platform/middletier/CumulativeCache.h"
#include "platform/middletier/OperationLedger.h"
#include "platform/middletier/ServerDate.h"
#include "platform/middletier/Texts.h"

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

struct Report {
    qint32 wbInterId = 0;
    qint32 serial = 0;
    qint32 billerId = 0;
    qint32 workerId = 0;
    qint32 deviceId = 0;
    qint32 teamId = 0;
    QVariant dates[3];
    std::vector<double> quantities;
    QString memo;
    bool forceNew = false;
    bool insert = false;
};

struct WorkBillFacts {
    QString number;
    bool reportable = false;
};

}  // namespace

QString ReportWriter::Prefix(qint32 wbInterId, qint64 serial) {
    const QString no = Basic::Text(db_->Scalar(
        QStringLiteral("SELECT FWorkBillNO FROM SHWorkBillEntry WHERE FWBInterID = ?"), {wbInterId}));
    return MiddleTierTexts::ReportPrefix(no.isEmpty() ? QString::number(wbInterId) : no, serial);
}

bool ReportWriter::Save(const ReportRecords& records, CallerRights* rights, QString& message) {
    Database& db = *db_;
    QHash<qint32, WorkBillFacts> bills;
    QSet<QPair<qint32, qint32>> seen;
    std::vector<Report> reports;
    int position = 0;
    for (const DictionaryPtr& record : records) {
        ++position;
        if (!record)
            continue;
        const Dictionary& d = *record;
        Report r;
        r.wbInterId = Basic::Long(Value(d, "FWBinterID"));
        auto bill = bills.find(r.wbInterId);
        if (bill == bills.end()) {
            WorkBillFacts facts;
            RecordsetPtr rs = db.Query(
                QStringLiteral("SELECT wbe.FWorkBillNO, CASE WHEN wbe.FStatus IN (1, 2) AND wbe.FSuspend = 0 "
                               "AND mo.FCancellation = 0 AND mo.FStatus IN (1, 2) THEN 1 ELSE 0 END "
                               "FROM SHWorkBillEntry wbe JOIN ICMO mo ON mo.FInterID = wbe.FInterID "
                               "WHERE wbe.FWBInterID = ?"),
                {r.wbInterId});
            if (rs->Eof()) {
                message =
                    MiddleTierTexts::RecordPrefix(position) + MiddleTierTexts::UnknownWorkBill(r.wbInterId);
                return false;
            }
            facts.number = Basic::Text(rs->Field(0));
            facts.reportable = Basic::Long(rs->Field(1)) == 1;
            bill = bills.insert(r.wbInterId, facts);
        }
        const QVariant serialValue = Value(d, "Fserial");
        if (!ToSerial(serialValue, r.serial)) {
            message = MiddleTierTexts::RecordPrefix(position) +
                      MiddleTierTexts::WorkBillPrefix(bill->number) +
                      MiddleTierTexts::SerialNotNumeric(Basic::Text(serialValue));
            return false;
        }
        const QString prefix = MiddleTierTexts::ReportPrefix(bill->number, r.serial);
        if (seen.contains({r.wbInterId, r.serial})) {
            message = prefix + MiddleTierTexts::DuplicateInSave();
            return false;
        }
        seen.insert({r.wbInterId, r.serial});

        for (const QuantityField& f : QuantityFields()) {
            double value = 0;
            const QString title = QString::fromUtf8(f.title);
            if (!ToNumber(Value(d, f.key), value)) {
                message = prefix + MiddleTierTexts::NotANumber(title);
                return false;
            }
            if (std::fabs(value) > kAbsurd) {
                message = prefix + MiddleTierTexts::Absurd(title);
                return false;
            }
            if (value < 0 && !f.signedValue) {
                message = prefix + MiddleTierTexts::Negative(title);
                return false;
            }
            r.quantities.push_back(value);
        }
        for (int i = 0; i < 3; ++i) {
            const QVariant v = Value(d, kDates[i].key);
            if (IsBlank(v))
                continue;
            const QDate date = Basic::ToDate(v);
            if (!date.isValid() || date < QDate(1900, 1, 1) || date > QDate(2099, 12, 31)) {
                message = prefix + MiddleTierTexts::BadDate(QString::fromUtf8(kDates[i].title));
                return false;
            }
            r.dates[i] = date;
        }
        if (r.dates[1].isValid() && r.dates[2].isValid() && r.dates[1].toDate() > r.dates[2].toDate()) {
            message = prefix + MiddleTierTexts::StartAfterEnd();
            return false;
        }
        r.billerId = Basic::Long(Value(d, "FbillerID"));
        r.workerId = Basic::Long(Value(d, "FworkerID"));
        r.deviceId = Basic::Long(Value(d, "FdeviceID"));
        r.teamId = Basic::Long(Value(d, "FteamID"));
        r.memo = Basic::Text(Value(d, "Fmemo")).trimmed();
        if (r.memo.isNull())
            r.memo = QStringLiteral("");  // the column holds text, never NULL
        r.forceNew = Basic::Bool(Value(d, "FIsNew"));

        // The records carry no new/edit flag: a serial not stored yet is new. The
        // classification is read before the write transaction on purpose: a serial that
        // another workstation stores in between then fails on the primary key below
        // instead of being taken for an edit.
        const QVariant status =
            db.Scalar(QStringLiteral("SELECT Fstatus FROM SHProcRpt WHERE FWBInterID = ? AND Fserial = ?"),
                      {r.wbInterId, r.serial});
        if (status.isNull()) {
            if (!bill->reportable) {
                message = prefix + MiddleTierTexts::WorkBillNotReportable();
                return false;
            }
            r.insert = true;
        } else if (Basic::Long(status) != 0) {
            message = prefix + MiddleTierTexts::AlreadyAudited();
            return false;
        } else if (r.forceNew) {
            message = prefix + MiddleTierTexts::SerialTaken();
            return false;
        }
        reports.push_back(std::move(r));
    }

    if (rights) {
        bool anyNew = false, anyEdit = false;
        for (const Report& r : reports) (r.insert ? anyNew : anyEdit) = true;
        if (anyNew && !rights->Has(CallerRights::SaveNew)) {
            message = MiddleTierTexts::NoRightSaveNew();
            return false;
        }
        if (anyEdit && !rights->Has(CallerRights::SaveChanges)) {
            message = MiddleTierTexts::NoRightSaveEdit();
            return false;
        }
    }
    if (reports.empty())
        return true;

    QStringList columns;
    for (const QuantityField& f : QuantityFields()) columns << QLatin1String(f.column);
    QStringList assignments;
    for (const QString& c : columns) assignments << c + QStringLiteral(" = ?");
    const QString insertSql =
        QStringLiteral(
            "INSERT INTO SHProcRpt (FWBInterID, Fserial, FbillerID, Fdate, FworkerID, FdeviceID, FteamID, "
            "FstartWorkDate, FendWorkDate, Fmemo, Fstatus, FcheckerID, ") +
        columns.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, 0") +
        QStringLiteral(", ?").repeated(columns.size()) + QStringLiteral(")");
    const QString updateSql =
        QStringLiteral(
            "UPDATE SHProcRpt SET FbillerID = ?, Fdate = COALESCE(?, Fdate), FworkerID = ?, FdeviceID = ?, "
            "FteamID = ?, FstartWorkDate = ?, FendWorkDate = ?, Fmemo = ?, ") +
        assignments.join(QStringLiteral(", ")) +
        QStringLiteral(" WHERE FWBInterID = ? AND Fserial = ? AND Fstatus = 0");

    const QDate today = ServerDate(db);
    const auto dateParam = [](const QVariant& v) {
        return v.isValid() ? v : QVariant(QMetaType::fromType<QDate>());
    };
    Transaction transaction(db);
    for (const Report& r : reports) {
        QVariantList params;
        const QString prefix = MiddleTierTexts::ReportPrefix(bills.value(r.wbInterId).number, r.serial);
        if (r.insert) {
            params << r.wbInterId << r.serial << r.billerId
                   << (r.dates[0].isValid() ? r.dates[0] : QVariant(today)) << r.workerId << r.deviceId
                   << r.teamId << dateParam(r.dates[1]) << dateParam(r.dates[2]) << r.memo;
            for (double q : r.quantities) params << q;
            try {
                db.Exec(insertSql, params);
            } catch (const ComError& e) {
                const QString text = e.Description().toLower();
                message = prefix + (text.contains(QStringLiteral("unique")) ||
                                            text.contains(QStringLiteral("duplicate"))
                                        ? MiddleTierTexts::SerialTaken()
                                        : MiddleTierTexts::SaveFailed(e.Description()));
                return false;  // the guard rolls back what this save wrote so far
            }
        } else {
            params << r.billerId << dateParam(r.dates[0]) << r.workerId << r.deviceId << r.teamId
                   << dateParam(r.dates[1]) << dateParam(r.dates[2]) << r.memo;
            for (double q : r.quantities) params << q;
            params << r.wbInterId << r.serial;
            if (db.Exec(updateSql, params) != 1) {
                message = prefix + MiddleTierTexts::ChangedMeanwhile();
                return false;
            }
        }
    }
    transaction.Commit();
    CumulativeCache::Invalidate();
    return true;
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
