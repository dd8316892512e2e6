#include "platform/middletier/ServerDate.h"

#include "src/common/Basic.h"

namespace sp::platform {

QDate ServerDate(Database& db) {
    // SQLite runs inside this process: its local date is this process's clock, read
    // without a statement.
    if (db.dialect() != Dialect::PostgreSQL)
        return QDate::currentDate();
    const QDate date = Basic::ToDate(db.Scalar(QStringLiteral("SELECT CURRENT_DATE")));
    return date.isValid() ? date : QDate::currentDate();
}

QString ServerDateSql(const Database& db) {
    return db.dialect() == Dialect::PostgreSQL ? QStringLiteral("CURRENT_DATE")
                                               : QStringLiteral("date('now', 'localtime')");
}

}  // namespace sp::platform
