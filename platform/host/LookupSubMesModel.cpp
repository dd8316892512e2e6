#include "platform/host/LookupSubMesModel.h"

#include "platform/host/LookupTexts.h"
#include "src/common/Basic.h"

namespace sp::platform {

namespace {

QString CaptionOf(qint32 type) {
    if (type == 61)
        return LookupTexts::ProcessCaption();
    if (type == 62)
        return LookupTexts::TeamCaption();
    return LookupTexts::SubMessageCaption();
}

}  // namespace

LookupSubMesModel::LookupSubMesModel(std::shared_ptr<Database> db, qint32 type)
    : LookupListModel(
          std::move(db), QStringLiteral("SubMesLookup"), CaptionOf(type),
          {{QStringLiteral("FID"), LookupTexts::Number()}, {QStringLiteral("FName"), LookupTexts::Name()}}),
      type_(type) {}

std::pair<QString, QVariantList> LookupSubMesModel::Statement(const QString& search) const {
    QString sql = QStringLiteral("SELECT FInterID, FID, FName, FDetail FROM t_SubMessage WHERE FTypeID = ?");
    QVariantList params{type_};
    if (!search.trimmed().isEmpty()) {
        sql += QStringLiteral(
            " AND (LOWER(FID) LIKE LOWER(?) ESCAPE '\\' OR LOWER(FName) LIKE LOWER(?) ESCAPE '\\')");
        const QString pattern = LikePattern(search.trimmed());
        params << pattern << pattern;
    }
    sql += QStringLiteral(" ORDER BY FID LIMIT %1").arg(kMaxRows);
    return {sql, params};
}

LookupResultPtr LookupSubMesModel::Result() const {
    if (!Accepted())
        return nullptr;
    auto entry = std::make_shared<LookupEntry>();
    entry->Number = Basic::Text(CurrentField(QStringLiteral("FID")));
    entry->Name = Basic::Text(CurrentField(QStringLiteral("FName")));
    entry->ItemID = Basic::Long(CurrentField(QStringLiteral("FInterID")));
    entry->Detail = Basic::Long(CurrentField(QStringLiteral("FDetail"))) != 0;
    entry->Properties.insert(QStringLiteral("FShortNumber"), entry->Number);
    auto result = std::make_shared<LookupResult>();
    result->ReturnOK = true;
    result->ReturnObject = entry;
    return result;
}

}  // namespace sp::platform
