#pragma once

#include <QString>

namespace sp {

class HostServices;

// Stores a column width the user dragged into the user's layout row of that grid:
// "List" (any case) is the work bill list ('WorkBill'), anything else the record grid
// ('ProcRpt'). One Update through a new connection; a failure leaves the table as it
// was and is not reported.
void SaveColumnWidth(HostServices& host, qint32 userId, const QString& gridName, const QString& fieldCode,
                     double width);

// The statement it runs, for the record.
QString ColumnWidthStatement(qint32 userId, const QString& gridName, const QString& fieldCode, double width);

}  // namespace sp
