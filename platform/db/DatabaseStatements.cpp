#include "platform/db/Database.h"

#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/db/DatabaseInternals.h"
#include "platform/db/PgInline.h"
#include "platform/db/ValueNormaliser.h"

// Running statements and reading their results.

// libpq, which the Qt driver uses: the table of a result column.
extern "C" {
struct pg_result;
unsigned int PQftable(const pg_result* res, int column);
}

namespace sp::platform {
using namespace detail;
namespace {

// Resets a reused statement once its caller is done, whatever happened: a SQLite
// statement that is not reset keeps its read snapshot.
struct FinishStatement {
    QSqlQuery* query;
    ~FinishStatement() {
        if (query)
            query->finish();
    }
};

// The table oid of each field of a PostgreSQL result (0 for an expression).
QList<quint32> FieldTableOids(const QSqlQuery& query, int count) {
    QList<quint32> oids(count, 0);
    const QVariant handle = query.result() ? query.result()->handle() : QVariant();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_result*") != 0 && qstrcmp(handle.typeName(), "PGresult*") != 0))
        return oids;
    const pg_result* result = *static_cast<pg_result* const*>(handle.constData());
    if (!result)
        return oids;
    for (int i = 0; i < count; ++i) oids[i] = PQftable(result, i);
    return oids;
}

}  // namespace

void Database::Run(QSqlQuery& query, const QString& sql, const QVariantList& params) {
    InjectedFault(sql);
    bool ok;
    if (params.isEmpty()) {
        ok = query.exec(sql);
    } else if (url_.dialect == Dialect::PostgreSQL) {
        ok = query.exec(PgInline(sql, params, *query.driver()));
    } else {
        ok = query.prepare(sql);
        if (ok) {
            for (const QVariant& param : params) query.addBindValue(ValueNormaliser::Bindable(param));
            ok = query.exec();
        }
    }
    if (!ok)
        Failed(query.lastError(), sql);
}

RecordsetPtr Database::Query(const QString& sql, const QVariantList& params) {
    return Reconnecting(true, [&] { return QueryOnce(sql, params); });
}

RecordsetPtr Database::QueryOnce(const QString& sql, const QVariantList& params) {
    QSqlQuery* prepared = PreparedStatement(sql);
    const FinishStatement finish{prepared};
    std::optional<QSqlQuery> own;
    if (!prepared)
        own.emplace(Connection());
    QSqlQuery& query = prepared ? *prepared : *own;
    // Forward only on PostgreSQL too: a scrollable query has the driver ask the
    // catalogue for the table of each field of a result, statement after statement.
    // The field names need the tables (the schema's spelling), so their oids are read
    // from the result and named from a cache of our own once the rows are in (nothing
    // else may use the connection while a forward-only result is being read).
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (prepared)
        RunPrepared(query, sql, params);
    else
        Run(query, sql, params);
    if (!query.isSelect()) {
        auto empty = std::make_shared<Recordset>();
        empty->Close();
        return empty;
    }
    const ValueNormaliser normaliser(url_.dialect, sql, query);
    QList<quint32> oids;
    if (url_.dialect == Dialect::PostgreSQL)
        oids = FieldTableOids(query, query.record().count());
    QVector<QVariantList> rows;
    while (query.next()) rows << normaliser.Row(query);
    if (query.lastError().isValid())
        Failed(query.lastError(), sql);
    query.finish();
    return std::make_shared<Recordset>(normaliser.FieldNames(TableNames(oids)), std::move(rows));
}

QStringList Database::TableNames(const QList<quint32>& oids) {
    if (oids.isEmpty())
        return {};
    QStringList missing;
    {
        std::lock_guard lock(tablesMutex_);
        for (const quint32 oid : oids)
            if (oid != 0 && !tableByOid_.contains(oid) && !missing.contains(QString::number(oid)))
                missing << QString::number(oid);
    }
    if (!missing.isEmpty()) {
        QHash<quint32, QString> found;
        for (const QString& oid : std::as_const(missing)) found.insert(oid.toUInt(), QString());
        QSqlQuery query(Connection());
        query.setForwardOnly(true);
        // Every table of the schema at once: the first few statements name most of them.
        const QString sql = QStringLiteral(
                                "SELECT oid, relname FROM pg_class WHERE oid IN (%1) OR "
                                "(relkind = 'r' AND relnamespace = current_schema()::regnamespace)")
                                .arg(missing.join(QStringLiteral(", ")));
        if (!query.exec(sql))
            Failed(query.lastError(), sql);
        while (query.next()) found.insert(query.value(0).toUInt(), query.value(1).toString());
        std::lock_guard lock(tablesMutex_);
        tableByOid_.insert(found);
    }
    QStringList tables;
    tables.reserve(oids.size());
    std::lock_guard lock(tablesMutex_);
    for (const quint32 oid : oids) tables << tableByOid_.value(oid);
    return tables;
}

int Database::Exec(const QString& sql, const QVariantList& params) {
    // A write outside a transaction is a writing unit of its own.
    if (url_.dialect == Dialect::SQLite) {
        auto& mine = ThisThread().byPool;
        if (const auto found = mine.find(poolName_); found != mine.end() && found->second.depth == 0)
            CheckFileUnchanged(url_, found->second);
    }
    return Reconnecting(false, [&] {
        QSqlQuery* prepared = PreparedStatement(sql);
        const FinishStatement finish{prepared};
        if (prepared) {
            RunPrepared(*prepared, sql, params);
            return prepared->isSelect() ? 0 : prepared->numRowsAffected();
        }
        QSqlQuery query(Connection());
        query.setForwardOnly(true);
        Run(query, sql, params);
        return query.isSelect() ? 0 : query.numRowsAffected();
    });
}

QVariant Database::Scalar(const QString& sql, const QVariantList& params) {
    const RecordsetPtr result = Query(sql, params);
    if (!result->IsOpen() || result->Eof() || result->FieldCount() == 0)
        return {};
    return result->Field(0);
}

}  // namespace sp::platform
