#include "platform/middletier/MShopProcSet.h"

#include <exception>

#include "platform/middletier/CallerRights.h"
#include "platform/middletier/ReportWriter.h"
#include "platform/middletier/Texts.h"
#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"

namespace sp::platform {
namespace {

// The update methods answer a refusal with False and a message. A technical failure
// (the database refused a statement, the connection was lost) is answered with the
// fixed text `failed`: the transaction was rolled back, so nothing happened, and the
// database's own text and statement go to the application log, never to the clerk.
template <class F>
bool Guarded(const char* command, const QString& failed, QString& message, F&& work) {
    QString detail;
    try {
        return work();
    } catch (const ComError& e) {
        detail = e.Description();
    } catch (const std::exception& e) {
        detail = QString::fromLocal8Bit(e.what());
    }
    ErrorLog::Write(QStringLiteral("Q8MShopProc.MShopProcSet"),
                    QLatin1String(command) + QStringLiteral(": ") + detail);
    message = failed;
    return false;
}

}  // namespace

// The caller (the login's UserID) is the biller of new reports and the checker of
// audits, whatever a record or the checker argument says.
bool MShopProcSet::SaveWorkProcRpt(const QString& props, ReportRecords& records, QString& message) {
    message.clear();
    return Guarded("SaveWorkProcRpt", MiddleTierTexts::SaveFailedTechnically(), message, [&] {
        CallerRights rights(*db_, props);
        return ReportWriter(db_, rights.UserId()).Save(records, &rights, message);
    });
}

bool MShopProcSet::AuditWorkProcRpt(const QString& props, const qint32& wbInterId, const qint32& serial,
                                    const qint32& /*checkerId*/, QString& message) {
    message.clear();
    return Guarded("AuditWorkProcRpt", MiddleTierTexts::CommandFailedTechnically(), message, [&] {
        CallerRights rights(*db_, props);
        return ReportWriter(db_, rights.UserId()).Audit(wbInterId, serial, &rights, message);
    });
}

bool MShopProcSet::UnAuditWorkProcRpt(const QString& props, const qint32& wbInterId, const qint32& serial,
                                      QString& message) {
    message.clear();
    return Guarded("UnAuditWorkProcRpt", MiddleTierTexts::CommandFailedTechnically(), message, [&] {
        CallerRights rights(*db_, props);
        return ReportWriter(db_, rights.UserId()).UnAudit(wbInterId, serial, &rights, message);
    });
}

bool MShopProcSet::DelWorkProcRpt(const QString& props, const qint32& wbInterId, const qint32& serial,
                                  QString& message) {
    message.clear();
    return Guarded("DelWorkProcRpt", MiddleTierTexts::CommandFailedTechnically(), message, [&] {
        CallerRights rights(*db_, props);
        return ReportWriter(db_, rights.UserId()).Delete(wbInterId, serial, &rights, message);
    });
}

// Audits and unaudits on PostgreSQL go in one statement, deletes on either database; a
// report the batch leaves pending goes through the single-report method, so every
// refusal and technical failure reads as it would there.
std::vector<IMShopProcSet::Outcome> MShopProcSet::ActOnWorkProcRpts(const QString& props, Action action,
                                                                    const std::vector<Report>& reports,
                                                                    qint32 checkerId) {
    std::vector<ReportWriter::Outcome> batch;
    QString failed;
    const bool answered =
        Guarded("ActOnWorkProcRpts", MiddleTierTexts::CommandFailedTechnically(), failed, [&] {
            CallerRights rights(*db_, props);
            ReportWriter writer(db_, rights.UserId());
            batch = action == Action::Delete
                        ? writer.DeleteMany(reports, &rights)
                        : writer.PostMany(reports, action == Action::Audit ? 1 : -1, &rights);
            return true;
        });
    std::vector<Outcome> outcomes;
    for (size_t i = 0; i < reports.size(); ++i) {
        // A batch that failed as a whole did nothing: each report is tried on its own.
        if (!answered || i >= batch.size() || batch[i].pending)
            outcomes.push_back(ActOnOne(props, action, reports[i], checkerId));
        else
            outcomes.push_back(Outcome{batch[i].done, batch[i].message, {}});
    }
    return outcomes;
}

}  // namespace sp::platform
