#include "src/controls/GridModel.h"

#include <algorithm>
#include <utility>

#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/controls/GridModelImpl.h"

namespace sp {

namespace gridcells {

void ThrowBadIndex(const QString& what) {
    throw ComError(kBadIndex, QStringLiteral("GridModel"),
                   QStringLiteral("Subscript out of range: %1").arg(what));
}

}  // namespace gridcells

using gridcells::IsDateValue;
using gridcells::kDefaultColumnWidth;
using gridcells::kDefaultRowHeight;
using gridcells::ParseNumber;
using gridcells::ThrowBadIndex;

GridEventSink::~GridEventSink() = default;

GridModel::GridModel(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {}

// Defined here, where Impl is complete.
GridModel::~GridModel() = default;

// ---------------------------------------------------------------- shape

int GridModel::Rows() const { return d->rows; }
int GridModel::Cols() const { return d->cols; }
int GridModel::FixedRows() const { return d->fixedRows; }
int GridModel::FrozenCols() const { return d->frozenCols; }

void GridModel::SetRows(int rows) {
    rows = std::max(rows, 0);
    if (rows == d->rows)
        return;
    const int old = d->rows;
    if (d->editorOpen && d->editorRow > rows)
        DropEditor();
    d->cells.resize(static_cast<qsizetype>(rows) * d->cols);
    d->rowHeights.resize(static_cast<size_t>(rows), -1.0f);
    d->rows = rows;
    d->ClampCursor();
    if (!d->redraw) {
        d->pendingRepaint = true;
    } else if (rows > old) {
        emit rowsInserted(old + 1, rows - old);
    } else {
        emit rowsRemoved(rows + 1, old - rows);
    }
}

void GridModel::SetCols(int cols) {
    cols = std::max(cols, 0);
    if (cols == d->cols)
        return;
    QList<Cell> cells(static_cast<qsizetype>(d->rows) * cols);
    const int keep = std::min(cols, d->cols);
    for (int r = 1; r <= d->rows; ++r)
        for (int c = 1; c <= keep; ++c)
            cells[static_cast<qsizetype>(r - 1) * cols + (c - 1)] = std::move(d->At(r, c));
    d->cells = std::move(cells);
    d->columns.resize(static_cast<size_t>(cols));
    d->cols = cols;
    if (d->editorOpen && d->editorCol > cols)
        DropEditor();
    d->ClampCursor();
    LayoutChanged();
}

// A change of shape or columns: views reset now, or once drawing is switched on again.
void GridModel::LayoutChanged() {
    if (d->redraw)
        emit layoutReset();
    else
        d->pendingRepaint = true;
}

void GridModel::SetFixedRows(int rows) {
    d->fixedRows = std::max(rows, 0);
    if (d->editorOpen && d->editorRow <= d->fixedRows)
        DropEditor();
    d->ClampCursor();
    LayoutChanged();
}

void GridModel::SetFrozenCols(int cols) {
    // Kept as set: columns may still be added after the frozen part is designed.
    d->frozenCols = std::max(cols, 0);
    LayoutChanged();
}

void GridModel::AddRow() { InsertRow(d->rows + 1); }

void GridModel::ReserveRows(int rows) {
    if (rows <= d->rows)
        return;
    d->cells.reserve(static_cast<qsizetype>(rows) * d->cols);
    d->rowHeights.reserve(static_cast<size_t>(rows));
}

void GridModel::InsertRow(int beforeRow) {
    if (beforeRow < 1 || beforeRow > d->rows + 1)
        ThrowBadIndex(QStringLiteral("row %1 of %2").arg(beforeRow).arg(d->rows));
    if (beforeRow == d->rows + 1) {
        // Appending is how lists are filled: no cell moves.
        d->cells.resize(d->cells.size() + d->cols);
        d->rowHeights.push_back(-1.0f);
    } else {
        d->cells.insert(static_cast<qsizetype>(beforeRow - 1) * d->cols, d->cols, Cell{});
        d->rowHeights.insert(d->rowHeights.begin() + (beforeRow - 1), -1.0f);
    }
    ++d->rows;
    if (d->editorOpen && d->editorRow >= beforeRow)
        ++d->editorRow;
    if (d->curRow >= beforeRow && d->curRow > 0)
        ++d->curRow;
    if (d->selAnchor >= beforeRow && d->selAnchor > 0)
        ++d->selAnchor;
    if (d->selCount > 0 && d->selStart >= beforeRow)
        ++d->selStart;
    else if (d->selCount > 0 && beforeRow < d->selStart + d->selCount)
        ++d->selCount;  // a row inserted inside the block belongs to it
    d->ClampCursor();
    if (d->redraw)
        emit rowsInserted(beforeRow, 1);
    else
        d->pendingRepaint = true;
}

void GridModel::RemoveRow(int row) {
    SP_CHECK_ROW(row);
    if (d->editorOpen && d->editorRow == row)
        DropEditor();
    else if (d->editorOpen && d->editorRow > row)
        --d->editorRow;
    d->cells.remove(static_cast<qsizetype>(row - 1) * d->cols, d->cols);
    d->rowHeights.erase(d->rowHeights.begin() + (row - 1));
    --d->rows;
    if (d->curRow > row)
        --d->curRow;
    if (d->selAnchor > row)
        --d->selAnchor;
    if (d->selCount > 0) {
        if (d->selStart > row)
            --d->selStart;
        else if (row < d->selStart + d->selCount)
            --d->selCount;
    }
    d->ClampCursor();
    if (d->redraw)
        emit rowsRemoved(row, 1);
    else
        d->pendingRepaint = true;
}

// The editor's cell is gone: nothing to commit and no rule to tell, but the view
// must take its editor away.
void GridModel::DropEditor() {
    d->editorOpen = false;
    emit editorStateChanged(false);
}

// ---------------------------------------------------------------- cells

void GridModel::NotifyCells(int row1, int col1, int row2, int col2) {
    if (d->redraw)
        emit cellsChanged(row1, col1, row2, col2);
    else
        d->pendingRepaint = true;
}

QString GridModel::CellText(int row, int col) const {
    SP_CHECK_CELL(row, col);
    return d->At(row, col).text;
}

void GridModel::SetCellText(int row, int col, const QString& text) {
    SP_CHECK_CELL(row, col);
    Cell& cell = d->At(row, col);
    cell.text = text;
    // A number or date column keeps its value in step with the text, so a rule that
    // empties a cell never leaves a stale value behind.
    switch (d->Col(col).kind) {
        case CellKind::Number: {
            double v = 0;
            cell.value = ParseNumber(text, &v) ? QVariant(v) : QVariant();
            break;
        }
        case CellKind::Date: {
            const QDate date = text.trimmed().isEmpty() ? QDate() : Basic::ToDate(text);
            cell.value = date.isValid() ? QVariant(date) : QVariant();
            break;
        }
        case CellKind::Text:
            break;
    }
    NotifyCells(row, col, row, col);
}

QString GridModel::CellKey(int row, int col) const {
    SP_CHECK_CELL(row, col);
    return d->At(row, col).key;
}

void GridModel::SetCellKey(int row, int col, const QString& key) {
    SP_CHECK_CELL(row, col);
    d->At(row, col).key = key;
}

QVariant GridModel::CellValue(int row, int col) const {
    SP_CHECK_CELL(row, col);
    return d->At(row, col).value;
}

void GridModel::SetCellValue(int row, int col, const QVariant& value) {
    SP_CHECK_CELL(row, col);
    Cell& cell = d->At(row, col);
    cell.value = value.isNull() ? QVariant() : value;
    cell.text = d->ValueText(row, col, cell.value);
    NotifyCells(row, col, row, col);
}

void GridModel::SetCellData(int row, int col, const QVariant& value) {
    SP_CHECK_CELL(row, col);
    d->At(row, col).value = value.isNull() ? QVariant() : value;
}

bool GridModel::CellLocked(int row, int col) const {
    SP_CHECK_CELL(row, col);
    switch (d->At(row, col).lock) {
        case LockState::Locked:
            return true;
        case LockState::Unlocked:
            return false;
        case LockState::Inherit:
            break;
    }
    return d->Col(col).locked;
}

void GridModel::SetCellLocked(int row, int col, bool locked) {
    SP_CHECK_CELL(row, col);
    d->At(row, col).lock = locked ? LockState::Locked : LockState::Unlocked;
    NotifyCells(row, col, row, col);
}

void GridModel::SetRangeLocked(int row1, int col1, int row2, int col2, bool locked) {
    if (row1 > row2)
        std::swap(row1, row2);
    if (col1 > col2)
        std::swap(col1, col2);
    SP_CHECK_CELL(row1, col1);
    SP_CHECK_CELL(row2, col2);
    for (int r = row1; r <= row2; ++r)
        for (int c = col1; c <= col2; ++c)
            d->At(r, c).lock = locked ? LockState::Locked : LockState::Unlocked;
    NotifyCells(row1, col1, row2, col2);
}

QColor GridModel::CellBackground(int row, int col) const {
    SP_CHECK_CELL(row, col);
    const Cell& cell = d->At(row, col);
    return cell.hasBackground ? QColor::fromRgba(cell.background) : QColor();
}

void GridModel::SetCellBackground(int row, int col, const QColor& color) {
    SP_CHECK_CELL(row, col);
    Cell& cell = d->At(row, col);
    cell.hasBackground = color.isValid();
    cell.background = color.rgba();
    NotifyCells(row, col, row, col);
}

void GridModel::SetRangeBackground(int row1, int col1, int row2, int col2, const QColor& color) {
    if (row1 > row2)
        std::swap(row1, row2);
    if (col1 > col2)
        std::swap(col1, col2);
    SP_CHECK_CELL(row1, col1);
    SP_CHECK_CELL(row2, col2);
    for (int r = row1; r <= row2; ++r) {
        for (int c = col1; c <= col2; ++c) {
            Cell& cell = d->At(r, c);
            cell.hasBackground = color.isValid();
            cell.background = color.rgba();
        }
    }
    NotifyCells(row1, col1, row2, col2);
}

CellAlign GridModel::CellAlignment(int row, int col) const {
    SP_CHECK_CELL(row, col);
    const Cell& cell = d->At(row, col);
    return cell.alignSet ? cell.align : d->Col(col).align;
}

void GridModel::SetCellAlignment(int row, int col, CellAlign align) {
    SP_CHECK_CELL(row, col);
    Cell& cell = d->At(row, col);
    cell.align = align;
    cell.alignSet = true;
    NotifyCells(row, col, row, col);
}

QString GridModel::CellFormat(int row, int col) const {
    SP_CHECK_CELL(row, col);
    return d->CellFormat(d->At(row, col));
}

void GridModel::SetCellFormat(int row, int col, const QString& format) {
    SP_CHECK_CELL(row, col);
    d->At(row, col).format = d->FormatIndex(format);
    NotifyCells(row, col, row, col);
}

QString GridModel::DisplayText(int row, int col) const {
    SP_CHECK_CELL(row, col);
    const Cell& cell = d->At(row, col);
    if (IsNumber(cell.value)) {
        const QString fmt = d->FormatOf(row, col);
        if (!fmt.isEmpty() || d->Col(col).kind == CellKind::Number)
            return fmt.isEmpty() ? cell.text : FormatNumber(cell.value.toDouble(), fmt);
    }
    if (d->Col(col).kind == CellKind::Date && IsDateValue(cell.value))
        return Basic::DateText(Basic::ToDate(cell.value));
    return cell.text;
}

// ---------------------------------------------------------------- columns

bool GridModel::ColumnVisible(int col) const {
    SP_CHECK_COL(col);
    return d->Col(col).visible;
}

void GridModel::SetColumnVisible(int col, bool visible) {
    SP_CHECK_COL(col);
    d->Col(col).visible = visible;
    if (d->redraw)
        emit columnChanged(col);
    else
        d->pendingRepaint = true;
}

double GridModel::ColumnWidth(int col) const {
    SP_CHECK_COL(col);
    const double w = d->Col(col).width;
    return w < 0 ? kDefaultColumnWidth : w;
}

void GridModel::SetColumnWidth(int col, double twips) {
    SP_CHECK_COL(col);
    d->Col(col).width = std::max(twips, 0.0);
    if (d->redraw)
        emit columnChanged(col);
    else
        d->pendingRepaint = true;
}

double GridModel::DefaultColumnWidth() const { return kDefaultColumnWidth; }

bool GridModel::ColumnReadOnly(int col) const {
    SP_CHECK_COL(col);
    return d->Col(col).readOnly;
}

void GridModel::SetColumnReadOnly(int col, bool readOnly) {
    SP_CHECK_COL(col);
    d->Col(col).readOnly = readOnly;
}

CellKind GridModel::ColumnKind(int col) const {
    SP_CHECK_COL(col);
    return d->Col(col).kind;
}

void GridModel::SetColumnKind(int col, CellKind kind) {
    SP_CHECK_COL(col);
    d->Col(col).kind = kind;
    if (d->rows > 0)
        NotifyCells(1, col, d->rows, col);
}

void GridModel::SetColumnRange(int col, double min, double max) {
    SP_CHECK_COL(col);
    Column& c = d->Col(col);
    c.hasRange = true;
    c.min = std::min(min, max);
    c.max = std::max(min, max);
}

bool GridModel::ColumnHasRange(int col) const {
    SP_CHECK_COL(col);
    return d->Col(col).hasRange;
}

double GridModel::ColumnMin(int col) const {
    SP_CHECK_COL(col);
    return d->Col(col).min;
}

double GridModel::ColumnMax(int col) const {
    SP_CHECK_COL(col);
    return d->Col(col).max;
}

QString GridModel::ColumnFormat(int col) const {
    SP_CHECK_COL(col);
    return d->Col(col).format;
}

void GridModel::SetColumnFormat(int col, const QString& format) {
    SP_CHECK_COL(col);
    d->Col(col).format = format;
    if (d->rows > 0)
        NotifyCells(1, col, d->rows, col);
}

void GridModel::SetColumnAlignment(int col, CellAlign align) {
    SP_CHECK_COL(col);
    d->Col(col).align = align;
    for (int r = 1; r <= d->rows; ++r) d->At(r, col).alignSet = false;
    if (d->rows > 0)
        NotifyCells(1, col, d->rows, col);
}

CellAlign GridModel::ColumnAlignment(int col) const {
    SP_CHECK_COL(col);
    return d->Col(col).align;
}

void GridModel::SetColumnLocked(int col, bool locked) {
    SP_CHECK_COL(col);
    d->Col(col).locked = locked;
    for (int r = 1; r <= d->rows; ++r) d->At(r, col).lock = LockState::Inherit;
    if (d->rows > 0)
        NotifyCells(1, col, d->rows, col);
}

bool GridModel::ColumnLocked(int col) const {
    SP_CHECK_COL(col);
    return d->Col(col).locked;
}

void GridModel::MoveColumn(int from, int to) {
    SP_CHECK_COL(from);
    SP_CHECK_COL(to);
    if (from == to)
        return;
    if (d->editorOpen) {
        CloseEditor(true);
        // The EditorCloses handler may have reshaped the grid.
        SP_CHECK_COL(from);
        SP_CHECK_COL(to);
    }
    // One rotation of the range between the two places, for each row of cells and for
    // the columns' own settings.
    const auto rotate = [from, to](auto first) {
        if (from < to)
            std::rotate(first + (from - 1), first + from, first + to);
        else
            std::rotate(first + (to - 1), first + (from - 1), first + from);
    };
    const auto rowBegin = d->cells.begin();
    for (int r = 0; r < d->rows; ++r) rotate(rowBegin + static_cast<qsizetype>(r) * d->cols);
    rotate(d->columns.begin());
    // Where a column stands after the move; 0 (no cursor) stays 0.
    const auto placeOf = [from, to](int col) {
        if (col == from)
            return to;
        if (from < to && col > from && col <= to)
            return col - 1;
        if (from > to && col >= to && col < from)
            return col + 1;
        return col;
    };
    d->curCol = placeOf(d->curCol);
    d->editorCol = placeOf(d->editorCol);
    LayoutChanged();
}

void GridModel::SetFirstMovableCol(int col) {
    firstMovableCol_ = std::max(col, 0);
    LayoutChanged();
}

int GridModel::FirstMovableCol() const { return firstMovableCol_; }

// ---------------------------------------------------------------- rows

double GridModel::RowHeight(int row) const {
    SP_CHECK_ROW(row);
    const float h = d->rowHeights[static_cast<size_t>(row - 1)];
    return h < 0 ? kDefaultRowHeight : h;
}

void GridModel::SetRowHeight(int row, double twips) {
    SP_CHECK_ROW(row);
    d->rowHeights[static_cast<size_t>(row - 1)] = static_cast<float>(std::max(twips, 0.0));
    if (d->redraw)
        emit rowHeightChanged(row);
    else
        d->pendingRepaint = true;
}

double GridModel::DefaultRowHeight() const { return kDefaultRowHeight; }

// ---------------------------------------------------------------- scrolling

int GridModel::TopRow() const { return d->topRow > 0 ? d->topRow : std::min(d->fixedRows + 1, d->rows); }

void GridModel::SetTopRow(int row) {
    SP_CHECK_ROW(row);
    d->topRow = std::max(row, d->fixedRows + 1);
    emit scrollRequested(TopRow(), LeftCol());
}

int GridModel::LeftCol() const { return d->leftCol > 0 ? d->leftCol : std::min(d->frozenCols + 1, d->cols); }

void GridModel::SetLeftCol(int col) {
    SP_CHECK_COL(col);
    d->leftCol = std::min(std::max(col, d->frozenCols + 1), d->cols);
    emit scrollRequested(TopRow(), LeftCol());
}

double GridModel::ClientWidth() const { return d->clientWidth; }
double GridModel::ClientHeight() const { return d->clientHeight; }

void GridModel::ReportScrollPosition(int topRow, int leftCol) {
    d->topRow = topRow;
    d->leftCol = leftCol;
}

void GridModel::ReportClientSize(double widthTwips, double heightTwips) {
    d->clientWidth = widthTwips;
    d->clientHeight = heightTwips;
}

// ---------------------------------------------------------------- drawing

bool GridModel::Redraw() const { return d->redraw; }

void GridModel::SetRedraw(bool on) {
    if (on == d->redraw)
        return;
    d->redraw = on;
    emit redrawChanged(on);
    if (on && d->pendingRepaint) {
        d->pendingRepaint = false;
        emit layoutReset();
        emit currentCellMoved(d->curRow, d->curCol);
        emit selectionMoved(d->selStart, d->selCount);
        emit editorStateChanged(d->editorOpen);
    }
}

}  // namespace sp
