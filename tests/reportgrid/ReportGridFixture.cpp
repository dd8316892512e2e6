#include "reportgrid/ReportGridFixture.h"

#include "reportgrid/ReportCells.h"

namespace sp::testing {

void ReportGridFixture::UseFullLayout() {
    QVector<QVariantList> rows;
    for (ReportCode code : AllReportCodes())
        rows.append({ReportCodeName(code) + QStringLiteral("标题"), ReportCodeName(code), 1, 0});
    UseLayout(rows);
}

int ReportGridFixture::Col(const char16_t* code) const {
    return ReportCells(state).Column(*ReportCodeFromName(QString::fromUtf16(code)));
}

}  // namespace sp::testing
