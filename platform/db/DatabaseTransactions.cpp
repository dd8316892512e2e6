#include "platform/db/Database.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "platform/db/DatabaseInternals.h"

// Transactions on this thread's connection, nested by depth, and their guard.

namespace sp::platform {
using namespace detail;

int Database::TransactionDepth() {
    auto& mine = ThisThread().byPool;
    const auto found = mine.find(poolName_);
    return found == mine.end() ? 0 : found->second.depth;
}

void Database::Begin() {
    if (TransactionDepth() == 0) {
        Reconnecting(true, [&] {
            QSqlDatabase db = Connection();
            ThreadConnection& state = ThisThread().byPool[poolName_];
            CheckFileUnchanged(url_, state);
            InjectedFault(QStringLiteral("BEGIN"));
            QSqlQuery query(db);
            const QString begin =
                url_.dialect == Dialect::SQLite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN");
            if (!query.exec(begin))
                Failed(query.lastError(), begin);
            state.doomed = false;
        });
    } else {
        Connection();  // refuses an inner unit of a transaction whose session was lost
    }
    ++ThisThread().byPool[poolName_].depth;
}

void Database::Commit() {
    ThreadConnection& state = ThisThread().byPool[poolName_];
    if (state.depth == 0)
        Fail(QStringLiteral("Commit without an open transaction."));
    if (state.depth > 1) {
        --state.depth;
        return;
    }
    if (state.lost) {
        state.depth = 0;
        state.doomed = false;
        FailLostTransaction();
    }
    if (state.doomed) {
        Rollback();
        Fail(QStringLiteral("The transaction was rolled back: an inner step did not complete."));
    }
    try {
        InjectedFault(QStringLiteral("COMMIT"));
    } catch (...) {
        Rollback();
        throw;
    }
    QSqlQuery query(QSqlDatabase::database(state.name, false));
    if (!query.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = query.lastError();
        Rollback();
        FailStatement(error, QStringLiteral("COMMIT"));
    }
    state.depth = 0;
}

void Database::Rollback() {
    auto& mine = ThisThread().byPool;
    const auto found = mine.find(poolName_);
    if (found == mine.end() || found->second.depth == 0)
        return;
    ThreadConnection& state = found->second;
    if (state.depth > 1) {
        --state.depth;
        state.doomed = true;
        return;
    }
    state.depth = 0;
    state.doomed = false;
    if (state.lost)
        return;  // the server rolled it back when the session went
    QSqlQuery query(QSqlDatabase::database(state.name, false));
    query.exec(QStringLiteral("ROLLBACK"));  // nothing more to do when even this fails
}

Transaction::Transaction(Database& db) : db_(db) { db_.Begin(); }

Transaction::~Transaction() {
    if (!done_)
        db_.Rollback();
}

void Transaction::Commit() {
    done_ = true;
    db_.Commit();
}

}  // namespace sp::platform
