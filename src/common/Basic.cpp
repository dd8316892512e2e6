#include "src/common/Basic.h"

#include <QDateTime>
#include <charconv>
#include <cmath>
#include <optional>

namespace sp::Basic {

namespace {

// The number at the start of text as Val reads it: leading blanks and tabs skipped, an
// optional sign, digits with at most one point. Empty when there are no digits.
QStringView LeadingNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t')) ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    bool dot = false;
    bool digits = false;
    while (i < n) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            digits = true;
        } else if (c == u'.' && !dot) {
            dot = true;
        } else {
            break;
        }
        ++i;
    }
    return digits ? QStringView(text).mid(start, i - start) : QStringView();
}

}  // namespace

double Val(const QString& text) {
    const QStringView number = LeadingNumber(text);
    bool ok = false;
    const double v = number.isEmpty() ? 0.0 : number.toDouble(&ok);
    return ok ? v : 0.0;
}

double Val(const QVariant& value) {
    if (value.isNull())
        return 0.0;
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return value.toDouble();
        case QMetaType::Bool:
            return value.toBool() ? -1.0 : 0.0;
        default:
            return Val(value.toString());
    }
}

QString NumberText(double value) {
    if (value == 0.0)
        return QStringLiteral("0");
    // Whole numbers below 10^15 print as their digits under %.15g; quantities mostly are.
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return QString::number(static_cast<qint64>(value));
    QString s;
    if (std::isfinite(value)) {
        // The same digits as %.15g, without going through the locale machinery.
        char buffer[32];
        const auto [end, error] =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
        s = error == std::errc() ? QString::fromLatin1(buffer, end - buffer)
                                 : QString::number(value, 'g', 15);
    } else {
        s = QString::number(value, 'g', 15);
    }
    if (s.contains(u'e')) {
        s.replace(QStringLiteral("e+0"), QStringLiteral("E+"));
        s.replace(QStringLiteral("e-0"), QStringLiteral("E-"));
        s.replace(QStringLiteral("e+"), QStringLiteral("E+"));
        s.replace(QStringLiteral("e-"), QStringLiteral("E-"));
    }
    return s;
}

QString BlankNumber(double value) {
    const QString s = NumberText(value);
    return value < 0 ? s : QStringLiteral(" ") + s;
}

QString DateText(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

qint32 RoundWhole(double value) {
    const double r = std::nearbyint(value);  // default rounding mode: halves to even
    if (r >= 2147483647.0)
        return 2147483647;
    if (r <= -2147483648.0)
        return static_cast<qint32>(-2147483647 - 1);
    return static_cast<qint32>(r);
}

QString Text(const QVariant& value) {
    if (value.isNull() || !value.isValid())
        return QString();
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            return NumberText(value.toDouble());
        case QMetaType::QDate:
            return DateText(value.toDate());
        case QMetaType::QDateTime: {
            const QDateTime dt = value.toDateTime();
            return dt.time() == QTime(0, 0) ? DateText(dt.date())
                                            : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        default:
            return value.toString();
    }
}

qint32 Long(const QVariant& value) { return RoundWhole(Dbl(value)); }

double Dbl(const QVariant& value) { return Val(value); }

bool ReadsAsBoolean(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return true;
        case QMetaType::QString: {
            const QString text = value.toString();
            const QString trimmed = text.trimmed();
            return trimmed.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0 ||
                   trimmed.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0 ||
                   !LeadingNumber(text).isEmpty();
        }
        default:
            return !LeadingNumber(value.toString()).isEmpty();
    }
}

bool Bool(const QVariant& value) {
    if (value.isNull())
        return false;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString s = value.toString().trimmed();
        if (s.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return Val(value) != 0.0;
}

namespace {

// yyyy-MM-dd at the start of text, followed by nothing, a blank or a T; nullopt when
// the text has another shape. An impossible day (2024-02-30) gives an invalid date,
// as parsing the format would.
std::optional<QDate> IsoDateHead(const QString& text) {
    if (text.size() < 10 || text[4] != u'-' || text[7] != u'-')
        return std::nullopt;
    if (text.size() > 10 && text[10] != u' ' && text[10] != u'T')
        return std::nullopt;
    int parts[3] = {0, 0, 0};
    const int starts[3] = {0, 5, 8};
    const int lengths[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p) {
        for (int i = starts[p]; i < starts[p] + lengths[p]; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return std::nullopt;
            parts[p] = parts[p] * 10 + (c - u'0');
        }
    }
    return QDate(parts[0], parts[1], parts[2]);
}

}  // namespace

QDate ToDate(const QVariant& value) {
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    const QString s = value.toString().trimmed();
    if (s.isEmpty())
        return {};
    // The databases hand dates over as yyyy-MM-dd, with or without a time after a blank
    // or a T: read those digits straight away, since history loads convert every date cell.
    if (const auto iso = IsoDateHead(s))
        return *iso;
    const QString head = s.section(u' ', 0, 0).section(u'T', 0, 0);
    QDate d = QDate::fromString(head, QStringLiteral("yyyy-MM-dd"));
    if (d.isValid())
        return d;
    d = QDate::fromString(head, QStringLiteral("MM/dd/yyyy"));
    if (d.isValid())
        return d;
    d = QDate::fromString(head, QStringLiteral("M/d/yyyy"));
    if (d.isValid())
        return d;
    return QDate::fromString(head, QStringLiteral("yyyy/M/d"));
}

QString SqlQuote(const QString& text) {
    QString s = text;
    s.replace(u'\'', QStringLiteral("''"));
    return s;
}

QString SqlUnquote(const QString& text) {
    QString s = text;
    s.replace(QStringLiteral("''"), QStringLiteral("'"));
    return s;
}

}  // namespace sp::Basic
