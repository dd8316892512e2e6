#include "src/settings/SaveColumnWidth.h"

#include <QtNumeric>

#include "src/common/Basic.h"
#include "src/common/IgnoreErrors.h"
#include "src/entry/HostServices.h"

namespace sp {

QString ColumnWidthStatement(qint32 userId, const QString& gridName, const QString& fieldCode, double width) {
    const bool list = gridName.compare(QStringLiteral("List"), Qt::CaseInsensitive) == 0;
    return QStringLiteral("Update SHRptDef Set Fwidth=") + Basic::NumberText(width) +
           QStringLiteral(" Where Ftype=") +
           (list ? QStringLiteral("'WorkBill'") : QStringLiteral("'ProcRpt'")) +
           QStringLiteral(" And FuserID=") + QString::number(userId) + QStringLiteral(" And Ffield='") +
           Basic::SqlQuote(fieldCode) + QStringLiteral("'");
}

void SaveColumnWidth(HostServices& host, qint32 userId, const QString& gridName, const QString& fieldCode,
                     double width) {
    // A width that is not a number would make the statement invalid SQL.
    if (!qIsFinite(width))
        return;
    IgnoreErrors([&] {
        const auto connection = host.NewConnection();
        connection->Execute(ColumnWidthStatement(userId, gridName, fieldCode, width));
    });
}

}  // namespace sp
