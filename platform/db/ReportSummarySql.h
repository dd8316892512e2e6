#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

#include "platform/db/Database.h"
#include "src/middletier/SummaryInterfaces.h"

namespace sp::platform {

// The statements of the report summary. The grouped figures are one statement whose
// grouping follows its parameters (CASE on the codes of SummaryBy), so the very same
// text runs in-process on SQLite and as the body of sp_report_summary on PostgreSQL,
// where only the members of the summary right's group role (and the owner) may run it.
class ReportSummarySql {
  public:
    // A statement and its "?" parameters, for Database::Query.
    struct Bound {
        QString sql;
        QVariantList params;
    };
    // The grouped figures of the request: SQLite reads them directly, PostgreSQL through
    // the function.
    static Bound Summary(const SummaryRequest& request, Dialect dialect);
    // The reports of one group, on either database (the report rows are readable to
    // every user; the service checks the right before it asks).
    static Bound Reports(const SummaryRequest& request, qint32 key1, qint32 key2);
    // PostgreSQL: creates sp_report_summary (SECURITY DEFINER, as the posting function),
    // executable by the owner and the role summaryRole only. schema is the quoted schema of the tables.
    static QStringList FunctionStatements(const QString& schema, const QString& summaryRole);
};

}  // namespace sp::platform
