#include "platform/host/AppConnection.h"

#include "src/common/ComError.h"

namespace sp::platform {
namespace {

QString ServerDateSql(Dialect dialect) {
    // The date of the machine that keeps the data, as mm/dd/yyyy text.
    return dialect == Dialect::SQLite
               ? QStringLiteral("SELECT strftime('%m/%d/%Y', 'now', 'localtime') AS ServerDate")
               : QStringLiteral("SELECT to_char(CURRENT_DATE, 'MM/DD/YYYY') AS ServerDate");
}

}  // namespace

AppConnection::AppConnection(std::shared_ptr<Database> db) : db_(std::move(db)) {
    if (!db_)
        throw ComError(ErrorNumber::Refused, ProgId::AppConnection(),
                       QStringLiteral("No database to connect to."));
}

AppConnection::~AppConnection() {
    // Innermost first, as if each had been rolled back by its owner.
    while (!transactions_.empty()) transactions_.pop_back();
}

bool AppConnection::IsServerDateQuery(const QString& sql) {
    QString compact = sql.simplified().toLower();
    compact.remove(QLatin1Char(' '));
    if (compact.endsWith(QLatin1Char(';')))
        compact.chop(1);
    return compact == QStringLiteral("selectconvert(varchar,getdate(),101)");
}

RecordsetPtr AppConnection::Execute(const QString& sql) {
    return db_->Query(IsServerDateQuery(sql) ? ServerDateSql(db_->dialect()) : sql);
}

void AppConnection::BeginTrans() { transactions_.push_back(std::make_unique<Transaction>(*db_)); }

void AppConnection::CommitTrans() {
    if (transactions_.empty())
        throw ComError(ErrorNumber::Refused, ProgId::AppConnection(),
                       QStringLiteral("CommitTrans without BeginTrans."));
    std::unique_ptr<Transaction> transaction = std::move(transactions_.back());
    transactions_.pop_back();
    transaction->Commit();
}

void AppConnection::RollbackTrans() {
    if (transactions_.empty())
        throw ComError(ErrorNumber::Refused, ProgId::AppConnection(),
                       QStringLiteral("RollbackTrans without BeginTrans."));
    transactions_.pop_back();
}

}  // namespace sp::platform
