#pragma once

#include <QString>
#include <QVariant>

#include "platform/db/Database.h"
#include "src/entry/Rights.h"

namespace sp::platform {

// The caller of a middle-tier method, as its login property string names it, and the
// rights it holds on the process report function (subsystem 1024, function 30).
class CallerRights {
  public:
    // The rights each of the service's writing methods asks for.
    static constexpr qint32 SaveNew = Rights::NewReports;
    static constexpr qint32 SaveChanges = Rights::ChangeReports;
    static constexpr qint32 AuditUnaudit = Rights::Audit;
    static constexpr qint32 Delete = Rights::Delete;

    CallerRights(Database& db, const QString& propsString);

    // The UserID of the property string; 0 when it names none.
    qint32 UserId() const { return userId_; }
    // True when the user's stored mask holds every bit of rightMask. The mask is kept a
    // few seconds (KeptAnswers), as the workbench's own access check keeps it: a right
    // withdrawn counts no more after that. On PostgreSQL the database's roles refuse the
    // write itself at once.
    bool Has(qint32 rightMask);
    // The user's stored mask (FRights, NULL when none), read by a statement that asked
    // for more: kept as Has would keep it.
    void Know(const QVariant& storedMask);

  private:
    QString Key() const;
    Database& db_;
    qint32 userId_ = 0;
};

}  // namespace sp::platform
