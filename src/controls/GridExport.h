#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

class QFile;

namespace sp {

class GridModel;

// What a grid shows, taken out for a file or a printout: the visible columns in the
// order they stand, the header titles, and every data row that holds any text.
//
// A cell keeps the text the grid displays and, where the column is one of numbers or
// dates, its typed value: a double, or a QDate / QDateTime. A number column is one the
// grid types as numbers, or a right-aligned text column whose every filled cell reads
// as a number (the work bill list shows numbers as text); a date column one the grid
// types as dates, or a text column whose every filled cell is a date as the workbench
// writes it (yyyy-MM-dd, with or without hh:mm:ss).
struct GridSnapshot {
    enum class Kind { Text, Number, Date, DateTime };
    struct Column {
        QString title;
        QString key;  // the header cell's key: the column's code where the grid has one
        Kind kind = Kind::Text;
        double widthTwips = 0;
        bool rightAligned = false;
    };
    struct Cell {
        QString text;
        QVariant value;  // null for text and for an empty cell
        QString format;  // a number's display format, the cell's own or its column's
    };
    QVector<Column> columns;
    QVector<QVector<Cell>> rows;
    QVector<int> gridRows;  // the grid row each row came from

    int ColumnOf(const QString& key) const;  // -1 when no visible column has that key
};

GridSnapshot SnapshotGrid(const GridModel& grid);

// The spreadsheet number format of a grid format: "0.00" -> "0.00", "" -> "General".
QString SpreadsheetNumberFormat(const QString& gridFormat);

// Writes the snapshot to path: the file appears complete or not at all (it is written
// beside its place under a temporary name, then renamed over it). The answer is empty
// on success, else the reason in the clerk's words.
//
// CSV: UTF-8 with a byte order mark, comma separated, CRLF, fields quoted as needed;
// cells show what the grid shows. A text cell starting with = + - @ gets a leading
// apostrophe, so a spreadsheet shows it and never runs it as a formula.
QString WriteCsv(const GridSnapshot& snapshot, const QString& path);
// XLSX: one sheet of that name; titles in a frozen bold first row, numbers stored as
// numbers in the grid's format, dates as dates, column widths as on the screen.
QString WriteXlsx(const GridSnapshot& snapshot, const QString& path, const QString& sheetName);

// Writes path through write, which answers a reason on failure: the file is made
// beside its place and renamed over it only once it is whole, keeping the permissions
// of the file it replaces (or those of a new file). Empty on success, else the reason.
QString WriteWhole(const QString& path, const std::function<QString(QFile&)>& write);

}  // namespace sp
