#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

#include "src/common/Export.h"

// Conversions the rules depend on, in the forms the system has always used.
// Nobody re-implements these inline.
namespace sp::Basic {

// Number from the leading digits of a text: leading blanks skipped, an optional sign,
// digits with at most one decimal point; reading stops at the first other character.
// "12ab" -> 12, "ab" -> 0, "  -3.5x" -> -3.5, "" -> 0.
SPCOMMON_EXPORT double Val(const QString& text);
SPCOMMON_EXPORT double Val(const QVariant& value);

// Default text of a double: no thousands separator, no trailing zeros (120, 37.5,
// 0.001), up to 15 significant digits.
SPCOMMON_EXPORT QString NumberText(double value);

// A number as decimal text with one leading blank when it is not negative
// (" 3", "-3", " 0"), the way the history filter and cumulative cells write numbers.
SPCOMMON_EXPORT QString BlankNumber(double value);

// "YYYY-mm-DD".
SPCOMMON_EXPORT QString DateText(const QDate& date);

// Rounds to the nearest whole number, halves to even (2.5 -> 2, 3.5 -> 4).
SPCOMMON_EXPORT qint32 RoundWhole(double value);

// A value as text; Null and empty give "". Doubles use NumberText, dates DateText.
SPCOMMON_EXPORT QString Text(const QVariant& value);
// A value as whole number: numbers rounded, text by Val, Null 0.
SPCOMMON_EXPORT qint32 Long(const QVariant& value);
// A value as double: text by Val, Null 0.
SPCOMMON_EXPORT double Dbl(const QVariant& value);
// Boolean value: numbers not 0, "True"/"False" (any case), "-1"/"1" true; Null false.
SPCOMMON_EXPORT bool Bool(const QVariant& value);
// Whether Bool reads value as a Boolean or a number rather than taking it for 0 for want of
// either: a Boolean or number, "True" or "False" in any case, or a text Val finds digits at
// the start of ("yes" and "on" are neither).
SPCOMMON_EXPORT bool ReadsAsBoolean(const QVariant& value);

// A date from a value: a QDate/QDateTime, "YYYY-mm-DD" (with or without time), or
// the server's "mm/dd/yyyy". Invalid QDate when it cannot be read.
SPCOMMON_EXPORT QDate ToDate(const QVariant& value);

// Text placed inside a quoted SQL literal: every "'" doubled.
SPCOMMON_EXPORT QString SqlQuote(const QString& text);
// The reverse, for names that arrive as SQL literal text.
SPCOMMON_EXPORT QString SqlUnquote(const QString& text);

}  // namespace sp::Basic
