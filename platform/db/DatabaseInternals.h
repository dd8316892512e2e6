#pragma once

// What the files of Database share; nothing outside them includes this. Database is one
// class over several files, each of one job: opening and the pool (Database.cpp), lost
// sessions (DatabaseSessions.cpp), statements (DatabaseStatements.cpp), the SQLite statement
// cache (DatabasePrepared.cpp), the schema's dialect (DatabaseDialect.cpp), transactions
// (DatabaseTransactions.cpp), errors (DatabaseErrors.cpp) and the tests' fault
// (DatabaseFaults.cpp).

#include <sys/types.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <map>
#include <memory>
#include <optional>

#include "platform/db/Database.h"
#include "src/common/ComError.h"

namespace sp::platform::detail {

// A failure of the database layer that is no statement's: ComError(ErrorNumber::Database).
[[noreturn]] void Fail(const QString& message);
// A statement the database refused: its message, the statement, and the database's code.
[[noreturn]] void FailStatement(const QSqlError& error, const QString& sql);
[[noreturn]] void FailLostTransaction();

// SQLite statements prepared on one connection, by their text: preparing (parsing and
// planning) costs more than running the short statements the workbench sends, again and
// again with other values.
using StatementCache = std::map<QString, std::unique_ptr<QSqlQuery>>;

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct ThreadConnection {
    QString name;
    int depth = 0;
    bool doomed = false;  // an inner guard gave up: the outer one may not commit
    // The server went away. Outside a transaction the next use opens a new session; inside
    // one the transaction went with it, and nothing runs until its outermost guard ends.
    bool lost = false;
    // SQLite: the file this connection opened, so a write can tell when it was deleted
    // or replaced under it (a write would then go to a file nobody sees again).
    std::optional<FileIdentity> file;
    // Goes before the connection does: a prepared statement must not outlive it.
    std::shared_ptr<StatementCache> statements;
};

// This thread's connections, by pool. When the thread ends they go, and a Database that
// dies later must not touch the table.
struct ThreadConnections {
    std::map<QString, ThreadConnection> byPool;
    ~ThreadConnections();
};

ThreadConnections& ThisThread();

// A SQLite writing unit goes only to the file the connection opened.
void CheckFileUnchanged(const DatabaseUrl& url, const ThreadConnection& connection);

// Counts a statement towards the fault a test asked for (FailStatementAfter) and raises it
// when its turn has come.
void InjectedFault(const QString& sql);

}  // namespace sp::platform::detail

namespace sp::platform {

// What runs again after a lost session, and why only that:
// - Nothing inside a transaction: the transaction went with the session, and its
//   remaining statements must not run on a new one (Connection refuses them).
// - Outside a transaction, a session the server had already ended before the statement
//   was sent is replaced first: the statement never reached a server, so any statement,
//   a write too, runs once on the new session.
// - A loss that shows only once the statement was sent (the server went while it ran,
//   or before a word of it reached us) leaves unknown whether the statement took effect.
//   Query and Scalar, which read (and the component's idempotent updates through
//   AppConnection::Execute), and the BEGIN of an outermost transaction, which does nothing
//   a lost session keeps, run once more on a new session. Exec does not: it may be a write
//   that was done, and running it twice could store it twice; its caller gets the error.
// If the new session cannot be opened, that error is the caller's.
template <class Attempt>
auto Database::Reconnecting(bool repeatable, Attempt&& attempt) {
    if (url_.dialect != Dialect::PostgreSQL || TransactionDepth() > 0)
        return attempt();
    ReplaceEndedSession();
    if (!repeatable)
        return attempt();
    try {
        return attempt();
    } catch (const ComError&) {
        if (!LostOutsideTransaction())
            throw;
    }
    return attempt();
}

}  // namespace sp::platform
