#include "platform/middletier/MShopSummary.h"

#include "platform/db/ReportSummarySql.h"
#include "platform/middletier/CallerRights.h"
#include "platform/middletier/Texts.h"
#include "src/common/ComError.h"

namespace sp::platform {

namespace {
const QString kSource = QStringLiteral("MShopSummary");
}  // namespace

void MShopSummary::Check(const QString& props, const SummaryRequest& request) {
    if (!CallerRights(*db_, props).Has(Rights::Summary))
        Refuse(kSource, MiddleTierTexts::NoRightSummary());
    if (!request.from.isValid() || !request.to.isValid() || request.from > request.to)
        Refuse(kSource, MiddleTierTexts::SummaryPeriodBackwards());
    if (request.by1 == SummaryBy::None || request.by1 == request.by2)
        Refuse(kSource, MiddleTierTexts::SummaryNoGrouping());
}

RecordsetPtr MShopSummary::GetWorkProcRptSummary(const QString& props, const SummaryRequest& request) {
    Check(props, request);
    const ReportSummarySql::Bound bound = ReportSummarySql::Summary(request, db_->dialect());
    return db_->Query(bound.sql, bound.params);
}

RecordsetPtr MShopSummary::GetWorkProcRptSummaryList(const QString& props, const SummaryRequest& request,
                                                     const qint32& key1, const qint32& key2) {
    Check(props, request);
    const ReportSummarySql::Bound bound = ReportSummarySql::Reports(request, key1, key2);
    return db_->Query(bound.sql, bound.params);
}

}  // namespace sp::platform
