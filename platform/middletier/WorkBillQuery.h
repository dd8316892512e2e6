#pragma once

#include <QString>
#include <QStringList>

#include "platform/db/Database.h"
#include "platform/db/KeptAnswers.h"
#include "src/common/Recordset.h"

namespace sp::platform {

// The work bill query behind the list, the tree and the consistency check. The
// FROM clause defines the aliases the client's filter condition uses: Dept, wc, mo,
// wbe, team, emp and SMR (the process); everything a work bill may lack is a LEFT
// JOIN so that such a work bill is still listed.
class WorkBillQuery {
  public:
    explicit WorkBillQuery(Database& db) : db_(db) {}

    // The work bill record, fields named as the database spells them, ordered by work
    // bill number. `condition` is SQL text appended to the WHERE clause (it begins
    // with " AND "); `restriction` is our own, with bound `params`.
    RecordsetPtr Records(bool check, const QString& condition, const QString& restriction = QString(),
                         const QVariantList& params = {});

    // The statement Records runs, for a database of the given dialect.
    static QString RecordsSql(Dialect dialect, bool check, const QString& condition,
                              const QString& restriction = QString());

    // Tree nodes: NodeKey, ParentKey, Caption; departments first, then their nodes.
    RecordsetPtr Tree(bool wcArrangement, bool check, const QString& condition);

    // The record's field names in select order.
    static const QStringList& FieldNames();
    // That the work bill row `bill` of the production task row `task` takes reports (open,
    // not suspended, live task), as a condition.
    static QString ReportableCondition(const QString& bill = QStringLiteral("wbe"),
                                       const QString& task = QStringLiteral("mo"));
    // WHERE text selecting reportable work bills, over wbe and mo.
    static QString ReportableClause();
    // The same as an expression on the work bill row `alias` alone: 1 when it takes
    // reports, else 0.
    static QString ReportableSql(const QString& alias);
    // The key of a work bill number among the answers kept for the database.
    static QString NumberKey(const Database& db, const QString& workBillNo) {
        return db.url().ToString() + QLatin1Char('\t') + workBillNo;
    }
    // Whether a work bill takes reports, as a statement of the same command read it along
    // with something else, by database and number: given once (Take) to the check that
    // follows, kept a second.
    static KeptAnswers<bool>& JustRead();
    // The consistency check as a condition on wbe (docs/consistency-check.md).
    static QString InconsistentClause();
    static QString FromClause();

  private:
    Database& db_;
};

}  // namespace sp::platform
