#pragma once

#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <QVector>
#include <utility>

class QFontMetricsF;
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
    // Columns printed again at the left of every page band, in this order, when the
    // table is too wide for one page: the ones that tell the rows apart.
    QVector<int> repeated;
};

// The width a column needs on paper: least below which a number would wrap or an
// unbreakable piece of its title or texts would not fit, wanted with its title on up
// to three lines and its short texts whole.
struct ColumnNeed {
    double least = 0;
    double wanted = 0;
};

// Columns that are printed side by side on one page, and their widths.
struct PrintBand {
    QVector<int> columns;
    QVector<double> widths;
};

struct Printout {
    QString title;  // the document's name
    QVector<PrintTable> tables;
};

// A column title or a cell's text in lines no wider than width where it can be: broken
// at spaces, and inside a word only next to an ideograph (Chinese), keeping at least
// two characters of the word on each line, so no character stands alone. A piece that
// cannot be broken stays whole however wide it is; at width 0 the lines are the
// narrowest pieces.
QStringList BreakText(const QString& text, const QFontMetricsF& metrics, double width);

// What each column needs, measured with the cells' font (plain) and the titles' and
// totals' font (bold); padding is a cell's margin on both sides together.
QVector<ColumnNeed> MeasureColumns(const PrintTable& table, const QFontMetricsF& plain,
                                   const QFontMetricsF& bold, double padding);

// The columns in bands as wide as the page, as spreadsheets print wide sheets: one
// band of every column in its place when they fit at their least widths, else bands
// filled in order, each led by the repeated columns (unless those alone would take
// more than half the page). A band's columns grow from least towards wanted alike;
// a single band then stretches to the page's width. A column wider than the page is
// cut to it.
QVector<PrintBand> PlanBands(const QVector<ColumnNeed>& needs, const QVector<int>& repeated,
                             double pageWidth);

// A4 landscape with 10 mm margins: the grids are wide.
QPageLayout WideTablePageLayout();

// Paints the printout on the device: each table from a new page, its rows broken across
// pages with the column titles repeated at the top of each, every page numbered at its
// foot ("第 1 页，共 8 页"). Columns share the width by what they hold: numbers and
// dates on one line, titles and texts broken as BreakText does. A table too
// wide for the page is printed once per band of PlanBands, each band from a new page
// with the table's title and head.
void PaintPrintout(const Printout& printout, QPagedPaintDevice& device);

// The printout as a PDF file on that page layout, complete or not at all; the answer is
// empty on success, else the reason.
QString WritePdf(const Printout& printout, const QPageLayout& layout, const QString& path);

}  // namespace sp
