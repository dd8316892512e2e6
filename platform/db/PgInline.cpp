#include "platform/db/PgInline.h"

#include <QDate>
#include <QLocale>
#include <QSqlDriver>
#include <QSqlField>

#include "platform/db/ValueNormaliser.h"
#include "src/common/ComError.h"

namespace sp::platform {
namespace {

QString Literal(const QVariant& raw, const QSqlDriver& driver) {
    const QVariant value = ValueNormaliser::Bindable(raw);
    if (value.isNull())
        return QStringLiteral("NULL");
    QString number;
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            number = value.toString();
            break;
        case QMetaType::Float:
        case QMetaType::Double: {
            const double d = value.toDouble();
            if (!qIsFinite(d))
                break;  // the driver writes 'NaN'/'Infinity'
            number = QString::number(d, 'g', QLocale::FloatingPointShortest);
            break;
        }
        case QMetaType::QDate:
            return QLatin1Char('\'') + value.toDate().toString(Qt::ISODate) + QLatin1Char('\'');
        default:
            break;
    }
    if (!number.isEmpty())
        // "a-?" with -5 must not become the comment "a--5".
        return number.startsWith(QLatin1Char('-')) ? QLatin1Char('(') + number + QLatin1Char(')') : number;
    QSqlField field(QString(), value.metaType());
    // PostgreSQL text cannot hold a NUL, and the statement's text would end at it.
    if (value.typeId() == QMetaType::QString)
        field.setValue(value.toString().remove(QChar(0)));
    else
        field.setValue(value);
    return driver.formatValue(field);
}

}  // namespace

QString PgInline(const QString& sql, const QVariantList& params, const QSqlDriver& driver) {
    QString out;
    out.reserve(sql.size() + params.size() * 8);
    qsizetype placeholders = 0;
    const qsizetype n = sql.size();
    // Copies sql[from..to] unchanged.
    const auto copy = [&](qsizetype from, qsizetype to) { out += QStringView(sql).mid(from, to - from + 1); };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Quoted text or name; a doubled quote stays inside.
            qsizetype j = i + 1;
            while (j < n && !(sql[j] == c && !(j + 1 < n && sql[j + 1] == c))) j += sql[j] == c ? 2 : 1;
            j = qMin(j, n - 1);
            copy(i, j);
            i = j;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            qsizetype j = sql.indexOf(QLatin1Char('\n'), i);
            j = j < 0 ? n - 1 : j;
            copy(i, j);
            i = j;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            qsizetype j = sql.indexOf(QStringLiteral("*/"), i + 2);
            j = j < 0 ? n - 1 : j + 1;
            copy(i, j);
            i = j;
        } else if (c == QLatin1Char('?')) {
            if (placeholders < params.size())
                out += Literal(params[placeholders], driver);
            ++placeholders;
        } else {
            out += c;
        }
    }
    if (placeholders != params.size())
        throw ComError(ErrorNumber::Database, QStringLiteral("Database"),
                       QStringLiteral("The statement has %1 placeholders but %2 values were given. [%3]")
                           .arg(placeholders)
                           .arg(params.size())
                           .arg(sql.simplified().left(300)));
    return out;
}

}  // namespace sp::platform
