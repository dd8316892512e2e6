#include "platform/db/Database.h"

#include <poll.h>

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include "platform/db/DatabaseInternals.h"

// A PostgreSQL session the server lost under the program: telling a lost session from a
// refused statement, and replacing it where that is safe (see Reconnecting).

// libpq, which the Qt driver uses: a session's socket.
extern "C" {
struct pg_conn;
int PQsocket(const pg_conn* conn);
}

namespace sp::platform {
using namespace detail;
namespace {

QString LostText(const QSqlError& error, const QString& sql, bool inTransaction) {
    return QStringLiteral("The connection to the database server was lost (%1); %2 [%3]")
        .arg(error.text().trimmed(),
             inTransaction ? QStringLiteral("the transaction was rolled back with it.")
                           : QStringLiteral("the next call connects again."),
             sql.simplified().left(300));
}

// True when the server has ended this idle session (an administrator, a restart, a
// timeout), or is ending it: it says why and closes the socket. An idle session of ours is
// otherwise told nothing, so anything waiting in its socket means it is gone; asking the
// socket costs no round trip, and a statement not yet sent on it never reached a server.
bool EndedByServer(const QSqlDatabase& session) {
    if (!session.isOpen())
        return true;
    // Qt names the driver's handle by the struct or by libpq's typedef, as it was built.
    const QVariant handle = session.driver()->handle();
    if (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0)
        return false;
    const pg_conn* connection = *static_cast<pg_conn* const*>(handle.constData());
    pollfd socket{connection ? PQsocket(connection) : -1, POLLIN, 0};
    return socket.fd < 0 || ::poll(&socket, 1, 0) != 0;
}

}  // namespace

namespace detail {

[[noreturn]] void FailLostTransaction() {
    Fail(
        QStringLiteral("The connection to the database server was lost during the transaction, which "
                       "was rolled back with it; nothing more runs in it."));
}

}  // namespace detail

void Database::Failed(const QSqlError& error, const QString& sql) {
    if (url_.dialect == Dialect::PostgreSQL && DropIfDead(error))
        Fail(LostText(error, sql, TransactionDepth() > 0));
    FailStatement(error, sql);
}

bool Database::DropIfDead(const QSqlError& error) {
    // A statement the server itself refused (a duplicate key, a syntax error) carries
    // the server's SQLSTATE: the session is alive, and inside a transaction every
    // probe would fail until the rollback, so it must not be taken for a lost one.
    const QString state = error.nativeErrorCode();
    if (!state.isEmpty() && !state.startsWith(QStringLiteral("08")) &&
        !state.startsWith(QStringLiteral("57P")))
        return false;
    auto& mine = ThisThread().byPool;
    const auto found = mine.find(poolName_);
    if (found == mine.end())
        return false;
    const QString name = found->second.name;
    {
        QSqlDatabase session = QSqlDatabase::database(name, false);
        QSqlQuery probe(session);
        if (session.isOpen() && probe.exec(QStringLiteral("SELECT 1")))
            return false;
        // "current transaction is aborted": the server answered, so the session lives.
        if (session.isOpen() && probe.lastError().nativeErrorCode() == QStringLiteral("25P02"))
            return false;
    }
    // A server restart or a network failure: the session and its transaction are
    // gone. A new session is opened on next use (not now: the failed statement's query
    // still refers to this one), once no transaction guard of this thread is open.
    found->second.lost = true;
    return true;
}

void Database::ReplaceEndedSession() {
    auto& mine = ThisThread().byPool;
    const auto found = mine.find(poolName_);
    if (found != mine.end() && !found->second.lost &&
        EndedByServer(QSqlDatabase::database(found->second.name, false)))
        found->second.lost = true;
}

bool Database::LostOutsideTransaction() {
    auto& mine = ThisThread().byPool;
    const auto found = mine.find(poolName_);
    return found != mine.end() && found->second.lost && found->second.depth == 0;
}

}  // namespace sp::platform
