#include "platform/host/UsageLog.h"

#include <QDateTime>

#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"

namespace sp::platform {
namespace {

const QString kUsageLine = QStringLiteral(
    "INSERT INTO t_UsageLog (FUserID, FFunctionCode, FAction, FTime, FComputer) VALUES (?, ?, ?, ?, ?)");

}  // namespace

UsageLog::UsageLog(std::shared_ptr<Database> db, qint32 userId, QString computerName)
    : db_(std::move(db)), userId_(userId), computerName_(std::move(computerName)) {}

void UsageLog::Write(const QString& functionCode, qint16 action) {
    const QVariantList params{userId_, functionCode, action, QDateTime::currentDateTime(), computerName_};
    const auto refused = [functionCode, userId = userId_](const QString& reason) {
        ErrorLog::Write(QStringLiteral("GLData.WriteLog"),
                        QStringLiteral("The usage line %1 of user %2 was not written: %3")
                            .arg(functionCode)
                            .arg(userId)
                            .arg(reason));
    };
    try {
        if (db_->dialect() != Dialect::PostgreSQL) {
            db_->Exec(kUsageLine, params);
            return;
        }
        std::shared_ptr<FuncTaskStore> store;
        {
            std::lock_guard lock(mutex_);
            if (!store_)
                store_ = FuncTaskStore::For(db_);
            store = store_;
        }
        store->WriteLater(kUsageLine, params, refused);
    } catch (const ComError& e) {
        refused(e.Description());
    }
}

void UsageLog::Flush() {
    std::shared_ptr<FuncTaskStore> store;
    {
        std::lock_guard lock(mutex_);
        store = store_;
    }
    if (store)
        store->Settle();
}

}  // namespace sp::platform
