#include "platform/middletier/MShopProcSet.h"

#include "platform/middletier/CallerRights.h"
#include "platform/middletier/ReportWriter.h"
#include "platform/middletier/Texts.h"
#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"

namespace sp::platform {
namespace {

// The update methods answer a refusal with False and a message; a database failure
// is one more reason, written to the log with its source.
template <class F>
bool Guarded(QString& message, F&& work) {
    try {
        return work();
    } catch (const ComError& e) {
        ErrorLog::Write(QStringLiteral("Q8MShopProc.MShopProcSet"), e.Description());
        message = MiddleTierTexts::CommandFailed(e.Description());
        return false;
    }
}

}  // namespace

bool MShopProcSet::SaveWorkProcRpt(const QString& props, ReportRecords& records, QString& message) {
    message.clear();
    return Guarded(message, [&] {
        CallerRights rights(*db_, props);
        return ReportWriter(db_).Save(records, &rights, message);
    });
}

bool MShopProcSet::AuditWorkProcRpt(const QString& props, const qint32& wbInterId, const qint32& serial,
                                    const qint32& checkerId, QString& message) {
    message.clear();
    return Guarded(message, [&] {
        CallerRights rights(*db_, props);
        return ReportWriter(db_).Audit(wbInterId, serial, checkerId, &rights, message);
    });
}

bool MShopProcSet::UnAuditWorkProcRpt(const QString& props, const qint32& wbInterId, const qint32& serial,
                                      QString& message) {
    message.clear();
    return Guarded(message, [&] {
        CallerRights rights(*db_, props);
        return ReportWriter(db_).UnAudit(wbInterId, serial, &rights, message);
    });
}

bool MShopProcSet::DelWorkProcRpt(const QString& props, const qint32& wbInterId, const qint32& serial,
                                  QString& message) {
    message.clear();
    return Guarded(message, [&] {
        CallerRights rights(*db_, props);
        return ReportWriter(db_).Delete(wbInterId, serial, &rights, message);
    });
}

}  // namespace sp::platform
