#pragma once

#include <QString>
#include <QVariantList>

class QSqlDriver;

namespace sp::platform {

// Puts the values of "?" placeholders into a PostgreSQL statement as literals
// escaped by the connection's driver. One round trip per statement instead of the
// driver's PREPARE, EXECUTE and DEALLOCATE, and no prepared statement left behind
// when a statement fails inside a transaction. Placeholders inside quoted text,
// quoted names and comments are not placeholders. Raises ComError
// (ErrorNumber::Database) when the counts of placeholders and values differ.
// Quoted text is read as a session with standard_conforming_strings on reads it (a
// backslash is a character, a doubled quote a quote), which every session Database
// opens is: both the statement's own literals and the driver's escaping, which follows
// the setting the driver found when it connected, rely on it.
QString PgInline(const QString& sql, const QVariantList& params, const QSqlDriver& driver);

}  // namespace sp::platform
