#include "platform/db/Database.h"

#include <QStringList>

#include "platform/db/DatabaseInternals.h"
#include "src/common/ComError.h"

// How the database layer fails, and what a caller may read from a failure.

namespace sp::platform {
namespace {

QString Source() { return QStringLiteral("Database"); }

}  // namespace

namespace detail {

[[noreturn]] void Fail(const QString& message) { throw ComError(ErrorNumber::Database, Source(), message); }

// The code goes with the message: the message is the server's, in the server's language.
[[noreturn]] void FailStatement(const QSqlError& error, const QString& sql) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    throw ComError(ErrorNumber::Database, Source(),
                   QStringLiteral("%1 [%2]").arg(text, sql.simplified().left(300)), error.nativeErrorCode());
}

}  // namespace detail

bool IsUniqueViolation(const ComError& error) {
    // PostgreSQL's SQLSTATE unique_violation; SQLite's SQLITE_CONSTRAINT_UNIQUE and
    // SQLITE_CONSTRAINT_PRIMARYKEY. Neither database uses the other's codes.
    static const QStringList codes{QStringLiteral("23505"), QStringLiteral("2067"), QStringLiteral("1555")};
    return error.Number() == ErrorNumber::Database && codes.contains(error.NativeCode());
}

}  // namespace sp::platform
