#pragma once

#include <QString>
#include <memory>

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

  private:
    bool PostingChange(qint32 wbInterId, qint32 serial, int sign, QString& message);
    bool PostOnServer(qint32 wbInterId, qint32 serial, int sign, QString& message);
    QString Prefix(qint32 wbInterId, qint64 serial);
    std::shared_ptr<Database> db_;
    qint32 userId_ = 0;
};

}  // namespace sp::platform
