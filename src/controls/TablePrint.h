#pragma once

#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <QVector>
#include <utility>

class QPagedPaintDevice;

namespace sp {

// Tables for the printer, each with a title, a head of labelled values, column titles,
// rows, a total line and a foot line.
struct PrintTable {
    QString title;
    QVector<std::pair<QString, QString>> head;  // label and value, three to a line
    QStringList titles;
    QVector<bool> rightAligned;  // per column
    QVector<bool> oneLine;       // per column: numbers and dates are never wrapped
    QVector<QStringList> rows;
    QStringList totals;  // empty: no total line
    QString foot;
};

struct Printout {
    QString title;  // the document's name
    QVector<PrintTable> tables;
};

// A4 landscape with 10 mm margins: the grids are wide.
QPageLayout WideTablePageLayout();

// Paints the printout on the device: each table from a new page, its rows broken across
// pages with the column titles repeated at the top of each, every page numbered at its
// foot ("第 1 页，共 8 页"). Columns share the width by what they hold: numbers, dates
// and short texts on one line, titles on up to three; a long text wraps.
void PaintPrintout(const Printout& printout, QPagedPaintDevice& device);

// The printout as a PDF file on that page layout, complete or not at all; the answer is
// empty on success, else the reason.
QString WritePdf(const Printout& printout, const QPageLayout& layout, const QString& path);

}  // namespace sp
