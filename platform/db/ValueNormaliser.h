#pragma once

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include "platform/db/Database.h"

namespace sp::platform {

// Turns driver results into the values callers see, the same on SQLite and
// PostgreSQL: whole numbers as int (qlonglong beyond 32 bits), doubles as double,
// DATE columns as QDate, TIMESTAMP columns as QDateTime, text as QString, booleans
// as 0/1, NULL as a null QVariant. Field names keep the spelling of the statement
// (PostgreSQL folds unquoted names to lower case).
class ValueNormaliser {
  public:
    enum class Kind { Plain, Date, Stamp, Expression };

    ValueNormaliser(Dialect dialect, const QString& sql, QSqlQuery& query);

    // The field names. A PostgreSQL query read forward only does not name the fields'
    // tables: `tables` does, by field (empty for an expression).
    QStringList FieldNames(const QStringList& tables = {}) const;
    QVariantList Row(const QSqlQuery& query) const;

    static QVariant Normalise(const QVariant& value, Kind kind);
    // A parameter as the drivers bind it alike on both databases: an invalid or
    // typed-null QVariant is NULL, a QVariant holding a null QString the empty text,
    // a bool 1 or 0.
    static QVariant Bindable(const QVariant& value);
    // The spelling of a lower-cased result name: the schema's for a column of a
    // table, else the statement's, else as returned.
    static QString Spelling(const QString& returned, const QString& table, const QString& sql);

  private:
    QString sql_;
    QStringList returned_;  // as the driver returned them
    QStringList tables_;    // as the driver named them
    QVector<Kind> kinds_;
};

}  // namespace sp::platform
