#include "platform/host/SystemProfile.h"

#include "platform/db/KeptAnswers.h"

namespace sp::platform {

SystemProfile::SystemProfile(std::shared_ptr<Database> db) : db_(std::move(db)) {}

QVariant SystemProfile::GetProfile(const QString& /*propsString*/, const QString& category,
                                   const QString& key) {
    // A switch is read before every save and audit; an administrator sets it once in a long
    // while, so it is kept a minute. The service reads it again with what it posts.
    const QVariant value = KeptSwitches().Get(SwitchKey(db_->url().ToString(), category, key), [&] {
        return db_->Scalar(
            QStringLiteral("SELECT FValue FROM t_SystemProfile WHERE FCategory = ? AND FKey = ?"),
            {category, key});
    });
    return value.isNull() ? QVariant() : value;
}

}  // namespace sp::platform
