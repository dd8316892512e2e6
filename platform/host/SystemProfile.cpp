#include "platform/host/SystemProfile.h"

namespace sp::platform {

SystemProfile::SystemProfile(std::shared_ptr<Database> db) : db_(std::move(db)) {}

QVariant SystemProfile::GetProfile(const QString& /*propsString*/, const QString& category,
                                   const QString& key) {
    const QVariant value =
        db_->Scalar(QStringLiteral("SELECT FValue FROM t_SystemProfile WHERE FCategory = ? AND FKey = ?"),
                    {category, key});
    return value.isNull() ? QVariant() : value;
}

}  // namespace sp::platform
