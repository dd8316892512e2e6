#include "platform/host/GLData.h"

#include <QDateTime>
#include <QElapsedTimer>

#include "platform/db/KeptAnswers.h"
#include "src/common/Basic.h"

namespace sp::platform {

GLData::GLData(std::shared_ptr<Database> db, qint32 userId, QString computerName,
               std::function<qint64()> clock, std::shared_ptr<UsageLog> usageLog)
    : db_(std::move(db)),
      userId_(userId),
      computerName_(std::move(computerName)),
      clock_(std::move(clock)),
      usageLog_(std::move(usageLog)) {
    if (!usageLog_)
        usageLog_ = std::make_shared<UsageLog>(db_, userId_, computerName_);
    if (!clock_) {
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        clock_ = [started] { return started->elapsed(); };
    }
}

bool GLData::AccessCheck(qint32 subsystem, qint16 function, qint32 rightMask) {
    const qint64 now = clock_();
    KeptRights& kept = rights_[{subsystem, static_cast<qint32>(function)}];
    if (!kept.readAt || now - *kept.readAt >= RightsKeptMs || now < *kept.readAt) {
        const QVariant rights = db_->Scalar(
            QStringLiteral(
                "SELECT FRights FROM t_UserRight WHERE FUserID = ? AND FSubSys = ? AND FFunction = ?"),
            {userId_, subsystem, static_cast<qint32>(function)});
        KeptRightsMasks().Keep(RightsMaskKey(db_->url().ToString(), userId_, subsystem, function), rights);
        // Masks are 32-bit: -1 grants everything.
        kept.granted =
            rights.isNull() ? std::nullopt : std::optional(static_cast<quint32>(rights.toLongLong()));
        kept.readAt = now;
    }
    if (!kept.granted)
        return false;
    const quint32 asked = static_cast<quint32>(rightMask);
    return (*kept.granted & asked) == asked;
}

void GLData::WriteLog(const QString& functionCode, qint16 action) { usageLog_->Write(functionCode, action); }

BaseItemPtr GLData::GetItem(qint32 itemClass, const QVariant& /*optional*/, const QString& number) {
    if (itemClass != EmployeeClass)
        return nullptr;
    // Long or short number ignoring letter case, as the middle tier's GetEmpInfo matches
    // them: the long number as written first, then in another case, then the short one.
    const QString no = number.trimmed();
    RecordsetPtr rs = db_->Query(
        QStringLiteral(
            "SELECT FItemID, FNumber, FName, FShortNumber, FDeptID, FprofessionalGroup FROM t_Emp "
            "WHERE FDetail = 1 AND (LOWER(FNumber) = LOWER(?) OR LOWER(FShortNumber) = LOWER(?)) "
            "ORDER BY CASE WHEN FNumber = ? THEN 0 WHEN LOWER(FNumber) = LOWER(?) THEN 1 ELSE 2 END, "
            "FItemID LIMIT 1"),
        {no, no, no, no});
    if (!rs || rs->Eof())
        return nullptr;
    auto item = std::make_shared<BaseItem>();
    item->itemId = Basic::Long(rs->Field(QStringLiteral("FItemID")));
    item->number = Basic::Text(rs->Field(QStringLiteral("FNumber")));
    item->name = Basic::Text(rs->Field(QStringLiteral("FName")));
    for (const QString& f :
         {QStringLiteral("FShortNumber"), QStringLiteral("FDeptID"), QStringLiteral("FprofessionalGroup")})
        item->properties.insert(f, rs->Field(f));
    return item;
}

}  // namespace sp::platform
