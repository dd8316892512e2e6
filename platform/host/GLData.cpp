#include "platform/host/GLData.h"

#include <QDateTime>

#include "src/common/Basic.h"

namespace sp::platform {

GLData::GLData(std::shared_ptr<Database> db, qint32 userId, QString computerName)
    : db_(std::move(db)), userId_(userId), computerName_(std::move(computerName)) {}

bool GLData::AccessCheck(qint32 subsystem, qint16 function, qint32 rightMask) {
    const QVariant rights = db_->Scalar(
        QStringLiteral("SELECT FRights FROM t_UserRight WHERE FUserID = ? AND FSubSys = ? AND FFunction = ?"),
        {userId_, subsystem, static_cast<qint32>(function)});
    if (rights.isNull())
        return false;
    // Masks are 32-bit: -1 grants everything.
    const quint32 granted = static_cast<quint32>(rights.toLongLong());
    const quint32 asked = static_cast<quint32>(rightMask);
    return (granted & asked) == asked;
}

void GLData::WriteLog(const QString& functionCode, qint16 action) {
    db_->Exec(
        QStringLiteral("INSERT INTO t_UsageLog (FUserID, FFunctionCode, FAction, FTime, FComputer) "
                       "VALUES (?, ?, ?, ?, ?)"),
        {userId_, functionCode, static_cast<qint32>(action), QDateTime::currentDateTime(), computerName_});
}

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
