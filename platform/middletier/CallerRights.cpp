#include "platform/middletier/CallerRights.h"

#include "platform/db/KeptAnswers.h"
#include "src/common/Basic.h"
#include "src/entry/HostServices.h"

namespace sp::platform {

CallerRights::CallerRights(Database& db, const QString& propsString) : db_(db) {
    const QString id = HostServices::PropsValueOf(propsString, QStringLiteral("UserID")).trimmed();
    userId_ = id.isEmpty() ? 0 : Basic::RoundWhole(Basic::Val(id));
}

QString CallerRights::Key() const { return RightsMaskKey(db_.url().ToString(), userId_, 1024, 30); }

void CallerRights::Know(const QVariant& storedMask) { KeptRightsMasks().Keep(Key(), storedMask); }

bool CallerRights::Has(qint32 rightMask) {
    if (userId_ <= 0)
        return false;
    const QVariant rights = KeptRightsMasks().Get(Key(), [&] {
        return db_.Scalar(
            QStringLiteral(
                "SELECT FRights FROM t_UserRight WHERE FUserID = ? AND FSubSys = 1024 AND FFunction = 30"),
            {userId_});
    });
    if (rights.isNull())
        return false;
    return (rights.toLongLong() & rightMask) == rightMask;
}

}  // namespace sp::platform
