#pragma once

#include <QString>
#include <QVariantList>
#include <memory>
#include <vector>

#include "platform/db/Database.h"
#include "src/middletier/MiddleTierInterfaces.h"

namespace sp::platform {

class CallerRights;

// Stores, audits, unaudits and deletes process reports. Every call is one
// transaction: all of it happens or none. A refusal returns false with a message
// naming the work bill number and serial; a technical failure raises ComError (the
// transaction is rolled back). Rights are checked when a CallerRights is given (the
// service always gives one; the demo seed writes as the system). `userId` is who
// writes: the biller of new reports and the checker of audits.
class ReportWriter {
  public:
    ReportWriter(std::shared_ptr<Database> db, qint32 userId) : db_(std::move(db)), userId_(userId) {}

    bool Save(const ReportRecords& records, CallerRights* rights, QString& message);
    bool Audit(qint32 wbInterId, qint32 serial, CallerRights* rights, QString& message);
    bool UnAudit(qint32 wbInterId, qint32 serial, CallerRights* rights, QString& message);
    bool Delete(qint32 wbInterId, qint32 serial, CallerRights* rights, QString& message);

    // Several reports in as few round trips as the database allows, each on its own:
    // an outcome per report in their order; one left pending is to be done with the
    // single-report method (the database cannot take the batch, or the report's turn
    // raised an error or needs the reason it was not done).
    using Key = IMShopProcSet::Report;
    struct Outcome {
        bool done = false;
        QString message;
        bool pending = false;
    };
    // Audit (sign 1) or unaudit (-1); PostgreSQL only, SQLite leaves every report pending.
    std::vector<Outcome> PostMany(const std::vector<Key>& reports, int sign, CallerRights* rights);
    std::vector<Outcome> DeleteMany(const std::vector<Key>& reports, CallerRights* rights);

  private:
    bool PostingChange(qint32 wbInterId, qint32 serial, int sign, QString& message);
    bool PostOnServer(qint32 wbInterId, qint32 serial, int sign, QString& message);
    static QString PostingMessage(const QVariantList& answer, qint32 wbInterId, qint32 serial, int sign);
    QString Prefix(qint32 wbInterId, qint64 serial);
    std::shared_ptr<Database> db_;
    qint32 userId_ = 0;
};

}  // namespace sp::platform
