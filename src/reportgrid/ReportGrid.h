#pragma once

#include <QColor>
#include <QString>
#include <functional>

#include "src/reportgrid/ReportColumns.h"

class QFont;

namespace sp {

struct WorkbenchState;

// The record grid vlgProc's columns: built from the user's stored layout, their fixed
// attributes, the quantity format of a work bill, the background colours, and the
// reverse lookup from a column to its code.
class ReportGrid {
  public:
    // Width in twips of a text in the form's font.
    using TextWidth = std::function<double(const QString&)>;

    explicit ReportGrid(WorkbenchState& state);

    // Rebuilds the columns and ReportColumnPos from GetReportTitle. Discards the rows.
    // Middle-tier and grid errors reach the caller; the grid keeps what was set up.
    void SetupReportColumns(const TextWidth& textWidth);
    void PaintReportGrid();
    // "" for column 1 and for a column that holds no code.
    QString GetReportColumnCode(int col) const;
    // Columns moved with their cells (a header dragged): ReportColumnPos is read again
    // from the codes the header cells hold.
    void ReportColumnsMoved();
    // The user dragged a column's edge: its width goes into the layout of its code.
    // Failures end it quietly.
    void SaveReportColumnWidth(int col);
    // "0", or "0." and one "0" per decimal of the work bill's quantities. Raises when the
    // middle tier fails.
    QString QuantityFormat(qint32 interId);

    // The background of audited rows and read-only columns.
    static QColor ReadOnlyColor() { return QColor(255, 255, 225); }
    // A text's width in a font (needs a QGuiApplication).
    static double TextWidthTwips(const QFont& font, const QString& text);

  private:
    void ApplyColumnAttributes();

    WorkbenchState& state_;
};

}  // namespace sp
