#include "platform/host/LookupItemModel.h"

#include "platform/host/LookupTexts.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"

namespace sp::platform {

namespace {

QString CaptionOf(qint32 itemClass) {
    switch (itemClass) {
        case 2:
            return LookupTexts::DepartmentCaption();
        case 3:
            return LookupTexts::EmployeeCaption();
        default:
            return LookupTexts::WorkCenterCaption();
    }
}

QVector<LookupColumn> ColumnsOf(bool shortNumbers) {
    QVector<LookupColumn> columns;
    if (shortNumbers)
        columns.append({QStringLiteral("FShortNumber"), LookupTexts::ShortNumber()});
    columns.append({QStringLiteral("FNumber"), LookupTexts::Number()});
    columns.append({QStringLiteral("FName"), LookupTexts::Name()});
    return columns;
}

}  // namespace

bool LookupItemModel::Serves(qint32 itemClass) { return itemClass == 2 || itemClass == 3 || itemClass == 14; }

LookupItemModel::LookupItemModel(std::shared_ptr<Database> db, qint32 itemClass, QString filter,
                                 bool shortNumbers)
    : LookupListModel(std::move(db), QStringLiteral("ItemLookUp"), CaptionOf(itemClass),
                      ColumnsOf(shortNumbers)),
      itemClass_(itemClass),
      filter_(std::move(filter)) {
    if (!Serves(itemClass))
        throw ComError(ErrorNumber::Refused, QStringLiteral("NXCGLView.GLView"),
                       QStringLiteral("Item class %1 has no lookup.").arg(itemClass));
}

std::pair<QString, QVariantList> LookupItemModel::Statement(const QString& search) const {
    QString sql;
    switch (itemClass_) {
        case 2:
            sql = QStringLiteral(
                "SELECT FItemID AS FItemID, FNumber, FShortNumber, FName, FDetail, 0 AS FprofessionalGroup "
                "FROM t_Department WHERE 1=1");
            break;
        case 3:
            sql = QStringLiteral(
                "SELECT FItemID AS FItemID, FNumber, FShortNumber, FName, FDetail, FprofessionalGroup "
                "FROM t_Emp WHERE 1=1");
            break;
        default:
            sql = QStringLiteral(
                "SELECT FInterID AS FItemID, FNumber, FShortNumber, FName, FDetail, 0 AS FprofessionalGroup "
                "FROM t_WorkCenter WHERE 1=1");
            break;
    }
    sql += AppendedFilter(filter_);
    QVariantList params;
    if (!search.trimmed().isEmpty()) {
        sql += QStringLiteral(
            " AND (LOWER(FNumber) LIKE LOWER(?) ESCAPE '\\' OR LOWER(FShortNumber) LIKE LOWER(?) ESCAPE '\\'"
            " OR LOWER(FName) LIKE LOWER(?) ESCAPE '\\')");
        const QString pattern = LikePattern(search.trimmed());
        params = {pattern, pattern, pattern};
    }
    sql += QStringLiteral(" ORDER BY FNumber LIMIT %1").arg(kMaxRows);
    return {sql, params};
}

LookupResultPtr LookupItemModel::Result() const {
    if (!Accepted())
        return nullptr;
    auto entry = std::make_shared<LookupEntry>();
    entry->Number = Basic::Text(CurrentField(QStringLiteral("FNumber")));
    entry->Name = Basic::Text(CurrentField(QStringLiteral("FName")));
    entry->ItemID = Basic::Long(CurrentField(QStringLiteral("FItemID")));
    entry->Detail = Basic::Long(CurrentField(QStringLiteral("FDetail"))) != 0;
    entry->Properties.insert(QStringLiteral("FShortNumber"),
                             Basic::Text(CurrentField(QStringLiteral("FShortNumber"))));
    entry->Properties.insert(QStringLiteral("FprofessionalGroup"),
                             Basic::Long(CurrentField(QStringLiteral("FprofessionalGroup"))));
    auto result = std::make_shared<LookupResult>();
    result->ReturnOK = true;
    result->ReturnObject = entry;
    return result;
}

}  // namespace sp::platform
