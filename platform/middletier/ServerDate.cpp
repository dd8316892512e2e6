#include "platform/middletier/ServerDate.h"

#include "src/common/Basic.h"

namespace sp::platform {

QDate ServerDate(Database& db) {
    const QVariant v = db.dialect() == Dialect::PostgreSQL
                           ? db.Scalar(QStringLiteral("SELECT CURRENT_DATE"))
                           : db.Scalar(QStringLiteral("SELECT date('now', 'localtime')"));
    const QDate date = Basic::ToDate(v);
    return date.isValid() ? date : QDate::currentDate();
}

}  // namespace sp::platform
