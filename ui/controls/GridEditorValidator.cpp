#include "ui/controls/GridEditorValidator.h"

#include <QLocale>
#include <QRegularExpression>

namespace sp {

void GridEditorValidator::SetColumn(const GridModel* grid, int col) {
    grid_ = grid;
    col_ = col;
}

QValidator::State GridEditorValidator::validate(QString& input, int& /*pos*/) const {
    if (!grid_ || col_ < 1 || col_ > grid_->Cols())
        return Acceptable;
    const CellKind kind = grid_->ColumnKind(col_);
    if (kind == CellKind::Text || grid_->AcceptsText(col_, input))
        return Acceptable;
    const QString text = input.trimmed();
    if (kind == CellKind::Date) {
        static const QRegularExpression partialDate(QStringLiteral("^\\d{0,4}(-\\d{0,2}(-\\d{0,2})?)?$"));
        return partialDate.match(text).hasMatch() ? Intermediate : Invalid;
    }
    static const QRegularExpression partialNumber(QStringLiteral("^[+-]?\\d*\\.?\\d*([eE][+-]?\\d*)?$"));
    if (!partialNumber.match(text).hasMatch())
        return Invalid;
    const bool hasRange = grid_->ColumnHasRange(col_);
    const double min = grid_->ColumnMin(col_);
    const double max = grid_->ColumnMax(col_);
    if (hasRange && text.startsWith(u'-') && min >= 0)
        return Invalid;
    bool ok = false;
    const double v = QLocale::c().toDouble(text, &ok);
    if (!ok || !hasRange)
        return Intermediate;  // "", "-", "1." and "2e" are on their way to a number
    // More digits move a number away from zero: past the bound on that side there is
    // no way back, short of it there still is.
    if ((v > max && v >= 0) || (v < min && v <= 0))
        return Invalid;
    return Intermediate;
}

}  // namespace sp
