#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

namespace sp {

class HostServices;

// The per-user column layouts of the two grids as stored in SHRptDef: 'WorkBill' for
// the work bill list, 'ProcRpt' for the record grid.
namespace ColumnLayout {

QString WorkBillType();
QString ReportType();

// One stored column: its field code, its position and whether it is shown.
struct Position {
    QString field;
    int order = 0;
    bool shown = true;
};

// Stored values taken with sense: a width below 0, above 30,000 twips or no number at
// all is the grid's default (0); a Null shown flag is shown.
double StoredWidth(const QVariant& stored);
bool StoredShown(const QVariant& stored);

QString RestoreStatement(const QString& type, qint32 userId);
QString OrderStatement(const QString& type, qint32 userId, const Position& position);

// Deletes the user's rows of the grid: the next setup gets the default layout. False
// when the statement failed (the clerk is told why); the table is then as it was.
bool Restore(HostServices& host, const QString& type, qint32 userId);

// Stores every column's position and shown flag in one transaction: all of them or,
// when one statement fails, none (the clerk is told why and false returned).
bool StoreOrder(HostServices& host, const QString& type, qint32 userId, const QVector<Position>& columns);

}  // namespace ColumnLayout
}  // namespace sp
