#include "platform/db/ReportSummarySql.h"

#include <QRegularExpression>
#include <array>

namespace sp::platform {
namespace {

// The report's columns the summary adds up, in their order in the results.
constexpr std::array<const char*, 16> kSums{
    "FAuxQtyReceive", "FAuxQtyFinish",  "FAuxQtyPass",     "FAuxQtyLost", "FAuxQtyBack", "FAuxQtyBackPass",
    "FAuxQtyScrap",   "FAuxQtyForItem", "FAuxQtyHandOver", "FfinishTime", "FreadyTime",  "FpowercutTime",
    "FfixTime",       "FwaitItemTime",  "FwaitToolTime",   "FtotalFee"};

// The report's key of a grouping level, by the code of SummaryBy in the parameter.
QString KeyOf(const QString& by) {
    return QStringLiteral(
               "CASE %1 WHEN 1 THEN PR.FworkerID WHEN 2 THEN PR.FteamID WHEN 3 THEN PR.FdeviceID "
               "WHEN 4 THEN WBE.FWorkCenterID WHEN 5 THEN WBE.FWBInterID WHEN 6 THEN WBE.FItemID ELSE 0 END")
        .arg(by);
}

// A group's number (field 0) or name (field 1) from its key, '' for a key that names nothing.
QString NameOf(const QString& by, const QString& key, bool name) {
    const char* emp = name ? "FName" : "FShortNumber";
    const char* team = name ? "FName" : "FID";
    const char* plain = name ? "FName" : "FNumber";
    const char* wc = name ? "FName" : "FShortNumber";
    const QString bill =
        name ? QStringLiteral(
                   "(SELECT p.FName FROM SHWorkBillEntry b JOIN t_SubMessage p ON p.FInterID = "
                   "b.FOperID WHERE b.FWBInterID = %1)")
                   .arg(key)
             : QStringLiteral("(SELECT b.FWorkBillNO FROM SHWorkBillEntry b WHERE b.FWBInterID = %1)")
                   .arg(key);
    return QStringLiteral(
               "COALESCE(CASE %1 WHEN 1 THEN (SELECT x.%3 FROM t_Emp x WHERE x.FItemID = %2) "
               "WHEN 2 THEN (SELECT x.%4 FROM t_SubMessage x WHERE x.FInterID = %2) "
               "WHEN 3 THEN (SELECT x.%5 FROM t_Device x WHERE x.FInterID = %2) "
               "WHEN 4 THEN (SELECT x.%6 FROM t_WorkCenter x WHERE x.FInterID = %2) "
               "WHEN 5 THEN %7 WHEN 6 THEN (SELECT x.%5 FROM t_ICItem x WHERE x.FItemID = %2) END, '')")
        .arg(by, key, QLatin1String(emp), QLatin1String(team), QLatin1String(plain), QLatin1String(wc), bill);
}

// The report's key of a grouping level written out, so that an index on it serves.
QString KeyColumn(SummaryBy by) {
    switch (by) {
        case SummaryBy::Worker:
            return QStringLiteral("PR.FworkerID");
        case SummaryBy::Team:
            return QStringLiteral("PR.FteamID");
        case SummaryBy::Device:
            return QStringLiteral("PR.FdeviceID");
        case SummaryBy::WorkCenter:
            return QStringLiteral("WBE.FWorkCenterID");
        case SummaryBy::WorkBill:
            return QStringLiteral("WBE.FWBInterID");
        case SummaryBy::Item:
            return QStringLiteral("WBE.FItemID");
        case SummaryBy::None:
            break;
    }
    return QStringLiteral("0");
}

// The reports of the request: the period by the chosen date (the parameter's, or the
// column given), audited ones only when asked, and the filter's bounds (each a pair of
// @bN parameters, '' for none).
QString ReportsOfRequest(const QString& dateColumn = {}) {
    // clang-format off
    const std::array<const char*, 8> bounded{
        "(SELECT x.FShortNumber FROM t_Department x WHERE x.FItemID = WBE.FDeptID)",
        "(SELECT x.FShortNumber FROM t_WorkCenter x WHERE x.FInterID = WBE.FWorkCenterID)",
        "(SELECT x.FBillNo FROM ICMO x WHERE x.FInterID = WBE.FInterID)",
        "WBE.FWorkBillNO",
        "(SELECT x.FID FROM t_SubMessage x WHERE x.FInterID = PR.FteamID)",
        "(SELECT x.FShortNumber FROM t_Emp x WHERE x.FItemID = PR.FworkerID)",
        "(SELECT x.FID FROM t_SubMessage x WHERE x.FInterID = WBE.FOperID)",
        "(SELECT x.FNumber FROM t_Device x WHERE x.FInterID = PR.FdeviceID)"};
    // clang-format on
    QString sql =
        QStringLiteral(" FROM SHProcRpt PR JOIN SHWorkBillEntry WBE ON WBE.FWBInterID = PR.FWBInterID ");
    sql += dateColumn.isEmpty()
               ? QStringLiteral(
                     "WHERE ((@basis = 0 AND PR.FendWorkDate >= @from AND PR.FendWorkDate <= @to) "
                     "OR (@basis = 1 AND PR.FcheckDate >= @from AND PR.FcheckDate <= @to)) ")
               : QStringLiteral("WHERE %1 >= @from AND %1 <= @to ").arg(dateColumn);
    sql += QStringLiteral("AND (@audited = 0 OR PR.Fstatus = 1)");
    for (int i = 0; i < static_cast<int>(bounded.size()); ++i) {
        const QString value = QLatin1String(bounded[static_cast<size_t>(i)]);
        sql += QStringLiteral(" AND (@b%1 = '' OR %2 >= @b%1) AND (@b%3 = '' OR %2 <= @b%3)")
                   .arg(2 * i)
                   .arg(value)
                   .arg(2 * i + 1);
    }
    return sql;
}

// The grouped figures, with @ parameters.
QString SummaryBody() {
    QString sums;
    QString outer;
    for (const char* column : kSums) {
        sums += QStringLiteral(", SUM(PR.%1) AS %1").arg(QLatin1String(column));
        outer += QStringLiteral(", s.%1").arg(QLatin1String(column));
    }
    return QStringLiteral(
               "SELECT s.K1, %1 AS No1, %2 AS Name1, s.K2, %3 AS No2, %4 AS Name2, s.FTimeUnitID, "
               "COALESCE((SELECT u.FName FROM t_SubMessage u WHERE u.FInterID = s.FTimeUnitID), '') AS "
               "UnitName, "
               "s.Reports%5, COALESCE((SELECT MAX(i.FQtyDecimal) FROM t_ICItem i), 2) AS Decimals FROM ("
               "SELECT %6 AS K1, %7 AS K2, WBE.FTimeUnitID AS FTimeUnitID, COUNT(*) AS Reports%8%9 "
               "GROUP BY %6, %7, WBE.FTimeUnitID) s ORDER BY No1, K1, No2, K2, UnitName")
        .arg(NameOf(QStringLiteral("@by1"), QStringLiteral("s.K1"), false),
             NameOf(QStringLiteral("@by1"), QStringLiteral("s.K1"), true),
             NameOf(QStringLiteral("@by2"), QStringLiteral("s.K2"), false),
             NameOf(QStringLiteral("@by2"), QStringLiteral("s.K2"), true), outer,
             KeyOf(QStringLiteral("@by1")), KeyOf(QStringLiteral("@by2")), sums, ReportsOfRequest());
}

// The request's values by parameter name; further ones from more.
QVariant ValueOf(const QString& name, const SummaryRequest& r, const QVariantHash& more = {}) {
    if (more.contains(name))
        return more.value(name);
    if (name == u"from")
        return r.from;
    if (name == u"to")
        return r.to;
    if (name == u"basis")
        return static_cast<int>(r.basis);
    if (name == u"audited")
        return r.auditedOnly ? 1 : 0;
    if (name == u"by1")
        return static_cast<int>(r.by1);
    if (name == u"by2")
        return static_cast<int>(r.by2);
    const int bound = name.mid(1).toInt();
    return r.bounds.value(bound).trimmed();
}

const QRegularExpression& Parameter() {
    static const QRegularExpression parameter(QStringLiteral("@(\\w+)"));
    return parameter;
}

// The text with each @name a "?", and the values in the order they stand.
ReportSummarySql::Bound Positional(const QString& text, const SummaryRequest& request,
                                   const QVariantHash& more = {}) {
    ReportSummarySql::Bound bound;
    qsizetype last = 0;
    for (const QRegularExpressionMatch& m : Parameter().globalMatch(text)) {
        bound.sql += text.mid(last, m.capturedStart() - last) + u'?';
        bound.params << ValueOf(m.captured(1), request, more);
        last = m.capturedEnd();
    }
    bound.sql += text.mid(last);
    return bound;
}

QStringList ParameterNames() {
    QStringList names{QStringLiteral("from"),    QStringLiteral("to"),  QStringLiteral("basis"),
                      QStringLiteral("audited"), QStringLiteral("by1"), QStringLiteral("by2")};
    for (int i = 0; i < 16; ++i) names << QStringLiteral("b%1").arg(i);
    return names;
}

QString ParameterType(const QString& name) {
    if (name == u"from" || name == u"to")
        return QStringLiteral("date");
    // b0 ... b15: the bounds.
    return name.size() > 1 && name[0] == u'b' && name[1].isDigit() ? QStringLiteral("text")
                                                                   : QStringLiteral("integer");
}

QString ResultColumns(bool typed) {
    QStringList columns;
    const auto add = [&](const char* name, const char* type) {
        columns << (typed ? QStringLiteral("%1 %2").arg(QLatin1String(name), QLatin1String(type))
                          : QLatin1String(name));
    };
    add("K1", "integer");
    add("No1", "text");
    add("Name1", "text");
    add("K2", "integer");
    add("No2", "text");
    add("Name2", "text");
    add("FTimeUnitID", "integer");
    add("UnitName", "text");
    add("Reports", "bigint");
    for (const char* column : kSums) add(column, "double precision");
    add("Decimals", "integer");
    return columns.join(QStringLiteral(", "));
}

}  // namespace

ReportSummarySql::Bound ReportSummarySql::Summary(const SummaryRequest& request, Dialect dialect) {
    if (dialect == Dialect::SQLite)
        return Positional(SummaryBody(), request);
    Bound bound;
    QStringList marks;
    for (const QString& name : ParameterNames()) {
        marks << QStringLiteral("CAST(? AS %1)").arg(ParameterType(name));
        bound.params << ValueOf(name, request);
    }
    bound.sql = QStringLiteral("SELECT %1 FROM sp_report_summary(%2)")
                    .arg(ResultColumns(false), marks.join(QStringLiteral(", ")));
    return bound;
}

ReportSummarySql::Bound ReportSummarySql::Reports(const SummaryRequest& request, qint32 key1, qint32 key2) {
    QString sums;
    for (const char* column : kSums) sums += QStringLiteral(", PR.%1").arg(QLatin1String(column));
    const QString text =
        QStringLiteral(
            "SELECT PR.FWBInterID, WBE.FWorkBillNO, PR.Fserial, PR.FstartWorkDate, PR.FendWorkDate, "
            "COALESCE((SELECT x.FShortNumber FROM t_Emp x WHERE x.FItemID = PR.FworkerID), '') AS WorkerNo, "
            "COALESCE((SELECT x.FName FROM t_Emp x WHERE x.FItemID = PR.FworkerID), '') AS WorkerName, "
            "COALESCE((SELECT u.FName FROM t_SubMessage u WHERE u.FInterID = WBE.FTimeUnitID), '') AS "
            "UnitName%1, "
            "PR.Fstatus, PR.FcheckDate%2 AND %3 = @key1 AND %4 = @key2 "
            "ORDER BY PR.FendWorkDate, WBE.FWorkBillNO, PR.Fserial")
            .arg(sums,
                 ReportsOfRequest(request.basis == SummaryDate::Audited ? QStringLiteral("PR.FcheckDate")
                                                                        : QStringLiteral("PR.FendWorkDate")),
                 KeyColumn(request.by1), KeyColumn(request.by2));
    return Positional(text, request,
                      {{QStringLiteral("key1"), key1},
                       {QStringLiteral("key2"), request.by2 == SummaryBy::None ? 0 : key2}});
}

QStringList ReportSummarySql::FunctionStatements(const QString& schema, const QString& summaryRole) {
    QStringList parameters;
    QStringList types;
    for (const QString& name : ParameterNames()) {
        parameters << QStringLiteral("p_%1 %2").arg(name, ParameterType(name));
        types << ParameterType(name);
    }
    QString body = SummaryBody();
    body.replace(Parameter(), QStringLiteral("p_\\1"));
    QString ident = summaryRole;
    ident = u'"' + ident.replace(u'"', QStringLiteral("\"\"")) + u'"';
    const QString signature = QStringLiteral("sp_report_summary(%1)").arg(types.join(QStringLiteral(", ")));
    return {
        QStringLiteral("DROP FUNCTION IF EXISTS %1").arg(signature),
        QStringLiteral(
            "CREATE FUNCTION sp_report_summary(%1) RETURNS TABLE (%2) LANGUAGE plpgsql STABLE SECURITY "
            "DEFINER SET search_path = %3, pg_temp AS $sum$\n#variable_conflict use_column\nBEGIN\n"
            "  RETURN QUERY %4;\nEND\n$sum$")
            .arg(parameters.join(QStringLiteral(", ")), ResultColumns(true), schema, body),
        // As the posting function: only the members of the right's group role (and the
        // owner) may execute it.
        QStringLiteral("REVOKE ALL ON FUNCTION %1 FROM PUBLIC").arg(signature),
        QStringLiteral("GRANT EXECUTE ON FUNCTION %1 TO %2").arg(signature, ident),
    };
}

}  // namespace sp::platform
