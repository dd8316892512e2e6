#include "platform/middletier/WorkBillQuery.h"

#include <QSet>
#include <utility>
#include <vector>

#include "platform/middletier/OperationLedger.h"
#include "platform/middletier/Texts.h"
#include "src/common/Basic.h"

namespace sp::platform {
namespace {

// Field name of the record -> expression.
const std::vector<std::pair<const char*, const char*>>& Fields() {
    static const std::vector<std::pair<const char*, const char*>> fields = {
        {"FWBinterID", "wbe.FWBInterID"},
        {"FWorkBillNO", "wbe.FWorkBillNO"},
        {"FInterID", "wbe.FInterID"},
        {"FEntryID", "wbe.FEntryID"},
        {"FICMONO", "mo.FBillNo"},
        {"FDeptID", "wbe.FDeptID"},
        {"FDeptNO", "Dept.FShortNumber"},
        {"FDeptName", "Dept.FName"},
        {"FitemID", "wbe.FItemID"},
        {"FitemNumber", "itm.FNumber"},
        {"FitemName", "itm.FName"},
        {"FitemModel", "itm.FModel"},
        {"FWorkCenterID", "wbe.FWorkCenterID"},
        {"FWorkCenterNO", "wc.FShortNumber"},
        {"FWorkCenterName", "wc.FName"},
        {"FOperID", "wbe.FOperID"},
        {"FOperNO", "SMR.FID"},
        {"FOperName", "SMR.FName"},
        {"FStatus", "wbe.FStatus"},
        {"FQualityChkID", "wbe.FQualityChkID"},
        {"FQualityShcemeID", "wbe.FQualityShcemeID"},
        {"FschemeName", "qs.FName"},
        {"Ffare", "wbe.Ffare"},
        {"FisOut", "wbe.FisOut"},
        {"FteamID", "wbe.FteamID"},
        {"FworkerID", "wbe.FworkerID"},
        {"FfmanagerID", "wbe.FfmanagerID"},
        {"FdeviceID", "wbe.FdeviceID"},
        {"FsupplyID", "wbe.FsupplyID"},
        {"FsupplyName", "sup.FName"},
        {"FTimeUnitID", "wbe.FTimeUnitID"},
        {"Ffee", "wbe.Ffee"},
        {"FPlanStartDate", "wbe.FPlanStartDate"},
        {"FPlanEndDate", "wbe.FPlanEndDate"},
        {"FAuxQtyPlan", "wbe.FAuxQtyPlan"},
        {"FAuxQtyRecive", "wbe.FAuxQtyRecive"},
        {"FauxQtyPass", "wbe.FauxQtyPass"},
        {"FauxQtyFinish", "wbe.FauxQtyFinish"},
        {"FauxQty", "wbe.FauxQty"},
        {"FauxQtyLost", "wbe.FauxQtyLost"},
        {"FauxQtyBack", "wbe.FauxQtyBack"},
        {"FauxQtybackpass", "wbe.FauxQtybackpass"},
        {"FauxQtyScrap", "wbe.FauxQtyScrap"},
        {"FWorkQty", "wbe.FWorkQty"},
        {"FmoveQty", "wbe.FmoveQty"},
        {"FAuxQtyForItem", "wbe.FAuxQtyForItem"},
        {"FauxQtyHandOver", "wbe.FauxQtyHandOver"},
        {"FtotalFee", "wbe.FtotalFee"},
        {"Ffinishtime", "wbe.Ffinishtime"},
        {"freadytime", "wbe.freadytime"},
        {"fpowercuttime", "wbe.fpowercuttime"},
        {"ffixtime", "wbe.ffixtime"},
        {"fwaititemtime", "wbe.fwaititemtime"},
        {"fwaittooltime", "wbe.fwaittooltime"},
        {"Fleadtime", "wbe.Fleadtime"},
        {"Ftimesetup", "wbe.Ftimesetup"},
        {"Ftimerun", "wbe.Ftimerun"},
        {"Fmovetime", "wbe.Fmovetime"},
        {"FtotalWorkTime", "wbe.FtotalWorkTime"},
    };
    return fields;
}

QString Tab() { return QStringLiteral("\t"); }

}  // namespace

const QStringList& WorkBillQuery::FieldNames() {
    static const QStringList names = [] {
        QStringList n;
        for (const auto& f : Fields()) n << QLatin1String(f.first);
        return n;
    }();
    return names;
}

QString WorkBillQuery::FromClause() {
    return QStringLiteral(
        " FROM SHWorkBillEntry wbe"
        " JOIN ICMO mo ON mo.FInterID = wbe.FInterID"
        " LEFT JOIN t_Department Dept ON Dept.FItemID = wbe.FDeptID"
        " LEFT JOIN t_WorkCenter wc ON wc.FInterID = wbe.FWorkCenterID"
        " LEFT JOIN t_ICItem itm ON itm.FItemID = wbe.FItemID"
        " LEFT JOIN t_SubMessage SMR ON SMR.FInterID = wbe.FOperID"
        " LEFT JOIN t_SubMessage team ON team.FInterID = wbe.FteamID"
        " LEFT JOIN t_Emp emp ON emp.FItemID = wbe.FworkerID"
        " LEFT JOIN t_QualityScheme qs ON qs.FInterID = wbe.FQualityShcemeID"
        " LEFT JOIN t_Supplier sup ON sup.FItemID = wbe.FsupplyID");
}

QString WorkBillQuery::ReportableCondition(const QString& bill, const QString& task) {
    // The unary plus keeps SQLite from driving a query through the status index (nearly
    // every work bill is open); the number index then serves both a range condition and
    // the order.
    return QStringLiteral(
               "+%1.FStatus IN (1, 2) AND %1.FSuspend = 0 AND %2.FCancellation = 0 AND %2.FStatus IN (1, 2)")
        .arg(bill, task);
}

QString WorkBillQuery::ReportableSql(const QString& alias) {
    return QStringLiteral("CASE WHEN EXISTS (SELECT 1 FROM ICMO m WHERE m.FInterID = %1.FInterID AND ")
               .arg(alias) +
           ReportableCondition(alias, QStringLiteral("m")) + QStringLiteral(") THEN 1 ELSE 0 END");
}

KeptAnswers<bool>& WorkBillQuery::JustRead() {
    static KeptAnswers<bool> kept(1000);
    return kept;
}

QString WorkBillQuery::ReportableClause() { return QStringLiteral(" WHERE ") + ReportableCondition(); }

QString WorkBillQuery::InconsistentClause() {
    // Posted totals against the audited reports (one aggregate per work bill), then the
    // routing: an operation may not receive more than its predecessor handed over (the
    // plan for the first), nor hand over more than it passed (first time or after
    // rework), and its successor may not have received more than it handed over.
    QStringList differs;
    for (const PostedColumn& c : PostedColumns())
        differs << QStringLiteral("ABS(wbe.%1 - COALESCE(SUM(r.%2), 0)) > 0.000001")
                       .arg(QLatin1String(c.workBill), QLatin1String(c.report));
    // An aggregate without GROUP BY always yields one row, also for a work bill without
    // audited reports, whose totals must then be 0.
    return QStringLiteral(" AND ((SELECT CASE WHEN ") + differs.join(QStringLiteral(" OR ")) +
           QStringLiteral(
               " THEN 1 ELSE 0 END FROM SHProcRpt r WHERE r.FWBInterID = wbe.FWBInterID AND r.Fstatus <> 0) "
               "= 1"
               " OR wbe.FAuxQtyRecive > COALESCE((SELECT p.FauxQtyHandOver FROM SHWorkBillEntry p"
               " WHERE p.FInterID = wbe.FInterID AND p.FEntryID < wbe.FEntryID ORDER BY p.FEntryID DESC "
               "LIMIT 1),"
               " wbe.FAuxQtyPlan) + 0.000001"
               " OR wbe.FauxQtyHandOver > wbe.FauxQtyPass + wbe.FauxQtybackpass + 0.000001"
               " OR COALESCE((SELECT n.FAuxQtyRecive FROM SHWorkBillEntry n WHERE n.FInterID = wbe.FInterID"
               " AND n.FEntryID > wbe.FEntryID ORDER BY n.FEntryID LIMIT 1), 0) > wbe.FauxQtyHandOver + "
               "0.000001)");
}

RecordsetPtr WorkBillQuery::Records(bool check, const QString& condition, const QString& restriction,
                                    const QVariantList& params) {
    RecordsetPtr rs = db_.Query(RecordsSql(db_.dialect(), check, condition, restriction), params);
    // The names exactly as the database spells its columns, whatever case the driver
    // returns them in.
    return std::make_shared<Recordset>(FieldNames(), rs->Rows());
}

QString WorkBillQuery::RecordsSql(Dialect dialect, bool check, const QString& condition,
                                  const QString& restriction) {
    QStringList select;
    for (const auto& f : Fields())
        select << QStringLiteral("%1 AS %2").arg(QLatin1String(f.second), QLatin1String(f.first));
    QString sql = QStringLiteral("SELECT ") + select.join(QStringLiteral(", ")) + FromClause() +
                  ReportableClause() + restriction + condition;
    if (check) {
        // The check runs over the filtered work bills only: the filtered statement is
        // a derived table (its LIMIT/OFFSET keeps the databases from pushing the check
        // terms back inside, where they would run before the filter's joins), and
        // its columns carry the names the check uses.
        sql = QStringLiteral("SELECT * FROM (") + sql +
              (dialect == Dialect::SQLite ? QStringLiteral(" LIMIT -1") : QStringLiteral(" OFFSET 0")) +
              QStringLiteral(") wbe WHERE 1 = 1") + InconsistentClause();
    }
    return sql + QStringLiteral(" ORDER BY wbe.FWorkBillNO");
}

RecordsetPtr WorkBillQuery::Tree(bool wcArrangement, bool check, const QString& condition) {
    const QString node = wcArrangement ? QStringLiteral("wc.FInterID, wc.FShortNumber, wc.FName, ''")
                                       : QStringLiteral("mo.FInterID, mo.FBillNo, itm.FName, itm.FModel");
    const QString order = QStringLiteral(" ORDER BY 1, 4");
    const QString sql = QStringLiteral("SELECT DISTINCT Dept.FShortNumber, Dept.FName, ") + node +
                        FromClause() + ReportableClause() + condition +
                        (check ? InconsistentClause() : QString()) + order;
    RecordsetPtr rs = db_.Query(sql);
    QVector<QVariantList> rows;
    QString lastDept;
    bool first = true;
    QSet<QString> keys;  // a work center serving two departments is listed under the first
    for (const QVariantList& r : rs->Rows()) {
        const QString dept = Basic::Text(r.at(0));
        const QString deptKey = QStringLiteral("DEPT") + Tab() + dept;
        if (first || dept != lastDept) {
            rows.append({deptKey, QString(), Basic::Text(r.at(1)).isEmpty() ? dept : Basic::Text(r.at(1))});
            lastDept = dept;
            first = false;
        }
        const QString id = QString::number(Basic::Long(r.at(2)));
        const QString key =
            wcArrangement ? QStringLiteral("WC") + Tab() + id : dept + QStringLiteral("MO") + Tab() + id;
        if (keys.contains(key))
            continue;
        keys.insert(key);
        if (wcArrangement)
            rows.append({key, deptKey, Basic::Text(r.at(3)) + QLatin1Char(' ') + Basic::Text(r.at(4))});
        else
            rows.append({key, deptKey,
                         MiddleTierTexts::TreeTaskCaption(Basic::Text(r.at(3)), Basic::Text(r.at(4)),
                                                          Basic::Text(r.at(5)))});
    }
    return std::make_shared<Recordset>(
        QStringList{QStringLiteral("NodeKey"), QStringLiteral("ParentKey"), QStringLiteral("Caption")}, rows);
}

}  // namespace sp::platform
