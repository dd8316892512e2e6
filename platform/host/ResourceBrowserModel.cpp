#include "platform/host/ResourceBrowserModel.h"

#include "platform/host/LookupTexts.h"
#include "src/common/Basic.h"

namespace sp::platform {

namespace {

QVector<LookupColumn> ColumnsOf(qint32 showType) {
    QVector<LookupColumn> columns{{QStringLiteral("FNumber"), LookupTexts::Number()},
                                  {QStringLiteral("FName"), LookupTexts::Name()}};
    if (showType == 1) {
        columns.append({QStringLiteral("FType"), LookupTexts::DeviceType()});
        columns.append({QStringLiteral("FWorkCenterID"), LookupTexts::WorkCenter()});
    }
    return columns;
}

}  // namespace

ResourceBrowserModel::ResourceBrowserModel(std::shared_ptr<Database> db, qint32 showType, QString filter)
    : LookupListModel(std::move(db), QStringLiteral("ResourceBrowser"), LookupTexts::DeviceCaption(),
                      ColumnsOf(showType)),
      filter_(std::move(filter)) {}

std::pair<QString, QVariantList> ResourceBrowserModel::Statement(const QString& search) const {
    QString sql =
        QStringLiteral("SELECT FInterID, FNumber, FName, FType, FWorkCenterID FROM t_Device WHERE 1=1");
    sql += AppendedFilter(filter_);
    QVariantList params;
    if (!search.trimmed().isEmpty()) {
        sql += QStringLiteral(
            " AND (LOWER(FNumber) LIKE LOWER(?) ESCAPE '\\' OR LOWER(FName) LIKE LOWER(?) ESCAPE '\\')");
        const QString pattern = LikePattern(search.trimmed());
        params = {pattern, pattern};
    }
    sql += QStringLiteral(" ORDER BY FNumber LIMIT %1").arg(kMaxRows);
    return {sql, params};
}

DictionaryPtr ResourceBrowserModel::Result() const {
    if (!Accepted())
        return nullptr;
    DictionaryPtr chosen = NewDictionary();
    chosen->Set(QStringLiteral("Fnumber"), Basic::Text(CurrentField(QStringLiteral("FNumber"))));
    chosen->Set(QStringLiteral("Fname"), Basic::Text(CurrentField(QStringLiteral("FName"))));
    chosen->Set(QStringLiteral("FinterID"), Basic::Long(CurrentField(QStringLiteral("FInterID"))));
    chosen->Set(QStringLiteral("Ftype"), Basic::Long(CurrentField(QStringLiteral("FType"))));
    chosen->Set(QStringLiteral("FworkCenterID"), Basic::Long(CurrentField(QStringLiteral("FWorkCenterID"))));
    return chosen;
}

}  // namespace sp::platform
