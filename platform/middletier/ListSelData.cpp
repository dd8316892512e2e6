#include "platform/middletier/ListSelData.h"

#include <vector>

#include "platform/middletier/Texts.h"
#include "platform/middletier/WorkBillQuery.h"
#include "src/common/ComError.h"

namespace sp::platform {
namespace {

struct ListColumn {
    const char* field;
    const char* title;
    const char* expression;
    bool searchable;
    QString (*shown)() = nullptr;  // what the list shows when it is not the value itself
};

// A production task's status by its name; a code without one shows as it stands.
QString TaskStatusNames() {
    return QStringLiteral(
               "CASE v1.FStatus WHEN 1 THEN '%1' WHEN 2 THEN '%2' WHEN 3 THEN '%3'"
               " ELSE CAST(v1.FStatus AS VARCHAR(12)) END")
        .arg(MiddleTierTexts::TaskReleased(), MiddleTierTexts::TaskStarted(), MiddleTierTexts::TaskClosed());
}

const std::vector<ListColumn>& WorkBillColumns() {
    static const std::vector<ListColumn> columns = {
        {"FWorkBillNO", "工序计划单号", "t3.FWorkBillNO", true},
        {"FICMONO", "生产任务单号", "u1.FBillNo", true},
        {"FItemNumber", "物料代码", "itm.FNumber", true},
        {"FItemName", "物料名称", "itm.FName", true},
        {"FWorkCenterName", "工作中心", "wc.FName", true},
        {"FOperName", "工序", "smr.FName", true},
        {"FAuxQtyPlan", "计划数量", "t3.FAuxQtyPlan", false},
        {"FAuxQtyRecive", "接收数量", "t3.FAuxQtyRecive", false},
        {"FauxQtyHandOver", "移交数量", "t3.FauxQtyHandOver", false},
    };
    return columns;
}

const std::vector<ListColumn>& TaskColumns() {
    static const std::vector<ListColumn> columns = {
        {"FBillNo", "生产任务单号", "v1.FBillNo", true},
        {"FItemNumber", "物料代码", "itm.FNumber", true},
        {"FItemName", "物料名称", "itm.FName", true},
        {"FQty", "数量", "v1.FQty", false},
        {"FStatus", "状态", "v1.FStatus", false, &TaskStatusNames},
    };
    return columns;
}

const std::vector<ListColumn>& ColumnsOf(qint32 listId) {
    if (listId == ListSelData::WorkBills)
        return WorkBillColumns();
    if (listId == ListSelData::ProductionTasks)
        return TaskColumns();
    throw ComError(ErrorNumber::NotFound, QStringLiteral("Q8Host.ListSelData"),
                   QStringLiteral("No list has the id %1.").arg(listId));
}

// LIKE pattern for "contains", with the wildcards of the text itself taken literally.
QString ContainsPattern(const QString& text) {
    QString escaped = text.toLower();
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    escaped.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

}  // namespace

bool ListSelData::Open(const QString&, const QString&) {
    try {
        db_->Scalar(QStringLiteral("SELECT 1"));
        return true;
    } catch (const ComError&) {
        return false;
    }
}

QString ListSelData::ListName(qint32 listId) {
    if (listId == WorkBills)
        return MiddleTierTexts::ListWorkBills();
    if (listId == ProductionTasks)
        return MiddleTierTexts::ListProductionTasks();
    return QString();
}

Recordset ListSelData::Columns(qint32 listId) {
    QVector<QVariantList> rows;
    for (const ListColumn& c : ColumnsOf(listId))
        rows.append({QString::fromLatin1(c.field), QString::fromUtf8(c.title)});
    return Recordset({QStringLiteral("FField"), QStringLiteral("FTitle")}, rows);
}

RecordsetPtr ListSelData::Rows(qint32 listId, const QString& filter, const QString& searchText, int maxRows) {
    const auto& columns = ColumnsOf(listId);
    QStringList select, names, search;
    QVariantList params;
    const QString pattern = ContainsPattern(searchText.trimmed());
    for (const ListColumn& c : columns) {
        select << (c.shown ? c.shown() : QLatin1String(c.expression));
        names << QString::fromLatin1(c.field);
        if (c.searchable && !searchText.trimmed().isEmpty()) {
            search << QStringLiteral("LOWER(%1) LIKE ? ESCAPE '\\'").arg(QLatin1String(c.expression));
            params << pattern;
        }
    }
    QString from;
    if (listId == WorkBills) {
        select << QStringLiteral("t3.FWBInterID") << QStringLiteral("t3.FEntryID");
        names << QStringLiteral("FInterID") << QStringLiteral("FEntryID");
        // u1 and v1 both name the work bill's production task: the two callers of the
        // list wrote their filters with different aliases.
        from = QStringLiteral(
                   " FROM SHWorkBillEntry t3 JOIN ICMO u1 ON u1.FInterID = t3.FInterID"
                   " JOIN ICMO v1 ON v1.FInterID = t3.FInterID"
                   " LEFT JOIN t_ICItem itm ON itm.FItemID = t3.FItemID"
                   " LEFT JOIN t_WorkCenter wc ON wc.FInterID = t3.FWorkCenterID"
                   " LEFT JOIN t_SubMessage smr ON smr.FInterID = t3.FOperID WHERE ") +
               WorkBillQuery::ReportableCondition(QStringLiteral("t3"), QStringLiteral("u1"));
    } else {
        select << QStringLiteral("v1.FInterID");
        names << QStringLiteral("FInterID");
        from = QStringLiteral(" FROM ICMO v1 LEFT JOIN t_ICItem itm ON itm.FItemID = v1.FItemID WHERE 1 = 1");
    }
    QString sql = QStringLiteral("SELECT ") + select.join(QStringLiteral(", ")) + from;
    if (!filter.trimmed().isEmpty())
        sql += QStringLiteral(" AND (") + filter + QStringLiteral(")");
    if (!search.isEmpty())
        sql += QStringLiteral(" AND (") + search.join(QStringLiteral(" OR ")) + QStringLiteral(")");
    sql += listId == WorkBills ? QStringLiteral(" ORDER BY t3.FWorkBillNO")
                               : QStringLiteral(" ORDER BY v1.FBillNo");
    if (maxRows > 0) {
        sql += QStringLiteral(" LIMIT ?");
        params << maxRows;
    }
    RecordsetPtr rs = db_->Query(sql, params);
    return std::make_shared<Recordset>(names, rs->Rows());
}

}  // namespace sp::platform
