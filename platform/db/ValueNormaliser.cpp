#include "platform/db/ValueNormaliser.h"

#include <sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlResult>
#include <limits>

#include "platform/db/Migrations.h"

namespace sp::platform {
namespace {

bool IsDateShaped(const QString& text) {
    static const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    return text.size() == 10 && shape.match(text).hasMatch();
}

// SQLite keeps dates as text; the declared type of the result column says which
// texts are dates. Expressions have no declared type.
QVector<ValueNormaliser::Kind> SqliteKinds(QSqlQuery& query, int count) {
    QVector<ValueNormaliser::Kind> kinds(count, ValueNormaliser::Kind::Expression);
    const QVariant handle = query.result() ? query.result()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3_stmt*") != 0)
        return kinds;
    sqlite3_stmt* stmt = *static_cast<sqlite3_stmt* const*>(handle.constData());
    if (!stmt)
        return kinds;
    for (int i = 0; i < count && i < sqlite3_column_count(stmt); ++i) {
        const char* declared = sqlite3_column_decltype(stmt, i);
        if (!declared)
            continue;
        const QString type = QString::fromUtf8(declared).toUpper();
        if (type == QStringLiteral("DATE"))
            kinds[i] = ValueNormaliser::Kind::Date;
        else if (type == QStringLiteral("TIMESTAMP"))
            kinds[i] = ValueNormaliser::Kind::Stamp;
        else
            kinds[i] = ValueNormaliser::Kind::Plain;
    }
    return kinds;
}

}  // namespace

ValueNormaliser::ValueNormaliser(Dialect dialect, const QString& sql, QSqlQuery& query) : sql_(sql) {
    const QSqlRecord record = query.record();
    const int count = record.count();
    for (int i = 0; i < count; ++i) {
        returned_ << record.fieldName(i);
        tables_ << record.field(i).tableName();
    }
    if (dialect == Dialect::SQLite)
        kinds_ = SqliteKinds(query, count);
    else
        kinds_ = QVector<Kind>(count, Kind::Plain);  // the driver types dates itself
}

QStringList ValueNormaliser::FieldNames(const QStringList& tables) const {
    QStringList names;
    names.reserve(returned_.size());
    for (qsizetype i = 0; i < returned_.size(); ++i) {
        const QString& table = tables_[i].isEmpty() && i < tables.size() ? tables[i] : tables_[i];
        names << Spelling(returned_[i], table, sql_);
    }
    return names;
}

QVariantList ValueNormaliser::Row(const QSqlQuery& query) const {
    QVariantList row;
    row.reserve(kinds_.size());
    for (int i = 0; i < kinds_.size(); ++i) row << Normalise(query.value(i), kinds_[i]);
    return row;
}

QVariant ValueNormaliser::Normalise(const QVariant& value, Kind kind) {
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
        case QMetaType::Bool:
            return value.toBool() ? 1 : 0;
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::ULong:
        case QMetaType::ULongLong: {
            const qlonglong number = value.toLongLong();
            if (number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max())
                return static_cast<int>(number);
            return number;
        }
        case QMetaType::Float:
        case QMetaType::Double:
            return value.toDouble();
        case QMetaType::QDate:
        case QMetaType::QDateTime:
        case QMetaType::QByteArray:
            return value;
        default:
            break;
    }
    const QString text = value.toString();
    switch (kind) {
        case Kind::Date: {
            const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
            return date.isValid() ? QVariant(date) : QVariant(text);
        }
        case Kind::Stamp: {
            QDateTime stamp = QDateTime::fromString(text, Qt::ISODateWithMs);
            if (!stamp.isValid())
                stamp = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            return stamp.isValid() ? QVariant(stamp) : QVariant(text);
        }
        case Kind::Expression:
            // MAX(Fdate) and the like: PostgreSQL answers a date, so must we.
            if (IsDateShaped(text)) {
                const QDate date = QDate::fromString(text, Qt::ISODate);
                if (date.isValid())
                    return date;
            }
            return text;
        case Kind::Plain:
            break;
    }
    return text;
}

QVariant ValueNormaliser::Bindable(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QVariant(QMetaType::fromType<QString>());  // NULL
    // A null QString is the empty text in Qt code; only an invalid QVariant is NULL.
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        return QVariant(QString(QLatin1String("")));
    // PostgreSQL refuses true/false for INTEGER columns; SQLite stores 1/0 anyway.
    if (value.typeId() == QMetaType::Bool)
        return QVariant(value.toBool() ? 1 : 0);
    return value;
}

QString ValueNormaliser::Spelling(const QString& returned, const QString& table, const QString& sql) {
    if (returned != returned.toLower())
        return returned;  // the database kept the spelling
    // A table's column: spelled as SQLite would, the way the schema declares it.
    const auto& schema = Migrations::ColumnSpellings();
    if (!table.isEmpty()) {
        const auto found = schema.constFind(table.toLower() + QLatin1Char('.') + returned);
        if (found != schema.constEnd())
            return found.value();
    }
    // An alias or expression: as the statement spells it.
    const QRegularExpression word(
        QStringLiteral("(?<![\\w.])(?:\\w+\\.)?(%1)(?!\\w)").arg(QRegularExpression::escape(returned)),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = word.match(sql);
    if (match.hasMatch())
        return match.captured(1);
    const auto found = schema.constFind(returned);
    return found != schema.constEnd() ? found.value() : returned;
}

}  // namespace sp::platform
