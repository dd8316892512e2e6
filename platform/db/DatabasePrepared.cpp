#include "platform/db/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <memory>

#include "platform/db/DatabaseInternals.h"
#include "platform/db/ValueNormaliser.h"

// SQLite: the statements each thread's connection keeps prepared, by their text.

namespace sp::platform {
using namespace detail;
namespace {

constexpr size_t kCachedStatements = 256;

}  // namespace

QSqlQuery* Database::PreparedStatement(const QString& sql) {
    if (url_.dialect != Dialect::SQLite)
        return nullptr;
    QSqlDatabase connection = Connection();
    ThreadConnection& mine = ThisThread().byPool[poolName_];
    if (!mine.statements)
        mine.statements = std::make_shared<StatementCache>();
    StatementCache& cache = *mine.statements;
    if (const auto found = cache.find(sql); found != cache.end())
        // In use further up this thread's stack: that caller keeps it.
        return found->second->isActive() ? nullptr : found->second.get();
    if (cache.size() >= kCachedStatements) {
        // Full, mostly of one-off statements with their values written in: those not
        // in use go, and the ones run again come back as they are used.
        std::erase_if(cache, [](const auto& entry) { return !entry.second->isActive(); });
        if (cache.size() >= kCachedStatements)
            return nullptr;
    }
    auto query = std::make_unique<QSqlQuery>(connection);
    query->setForwardOnly(true);
    // A statement that does not prepare takes the plain way, which reports why.
    if (!query->prepare(sql))
        return nullptr;
    return cache.emplace(sql, std::move(query)).first->second.get();
}

void Database::RunPrepared(QSqlQuery& query, const QString& sql, const QVariantList& params) {
    InjectedFault(sql);
    for (int i = 0; i < params.size(); ++i) query.bindValue(i, ValueNormaliser::Bindable(params[i]));
    if (!query.exec())
        Failed(query.lastError(), sql);
}

}  // namespace sp::platform
