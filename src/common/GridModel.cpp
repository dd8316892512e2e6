#include "common/GridModel.h"

#include <QList>
#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "common/Basic.h"
#include "common/ComError.h"

namespace sp::gridcells {

enum class LockState : quint8 { Inherit, Locked, Unlocked };

// One cell, kept small: a list of 20,000 rows of 30 columns holds 600,000 of them.
// Rare attributes are packed; formats are indexes into the grid's table of formats.
struct Cell {
    QString text;
    QString key;
    QVariant value;
    QRgb background = 0;
    quint16 format = 0;  // 0: the column's format, else the index + 1
    bool hasBackground = false;
    bool alignSet = false;  // false: the column's alignment
    CellAlign align = CellAlign::Left;
    LockState lock = LockState::Inherit;
};

}  // namespace sp::gridcells

// Cells move by memmove when rows come and go.
Q_DECLARE_TYPEINFO(sp::gridcells::Cell, Q_RELOCATABLE_TYPE);

namespace sp {

namespace {

using gridcells::Cell;
using gridcells::LockState;

// The grid control's own error for a cell or column outside the grid.
constexpr int kBadIndex = 381;

constexpr double kDefaultColumnWidth = 1200.0;  // twips
constexpr double kDefaultRowHeight = 300.0;

struct Column {
    bool visible = true;
    double width = -1.0;  // below 0: the default width
    bool readOnly = false;
    bool locked = false;
    CellKind kind = CellKind::Text;
    bool hasRange = false;
    double min = 0.0;
    double max = 0.0;
    QString format;
    CellAlign align = CellAlign::Left;
};

// "0" gives 0 decimals, "0.00" two; the digits after the point count.
int DecimalsOf(const QString& format) {
    const qsizetype dot = format.indexOf(u'.');
    if (dot < 0)
        return 0;
    int n = 0;
    for (qsizetype i = dot + 1; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'0' || c == u'#')
            ++n;
        else
            break;
    }
    return n;
}

QString FormatNumber(double v, const QString& format) {
    QString s = QString::number(v, 'f', DecimalsOf(format));
    // Rounding a small negative number to zero must not show "-0.00".
    if (s.startsWith(u'-')) {
        bool allZero = true;
        for (qsizetype i = 1; i < s.size(); ++i) {
            if (s[i] != u'0' && s[i] != u'.') {
                allZero = false;
                break;
            }
        }
        if (allZero)
            s.remove(0, 1);
    }
    return s;
}

bool IsNumber(const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return false;
    switch (v.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return true;
        default:
            return false;
    }
}

bool ParseNumber(const QString& text, double* out) {
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    if (ok && std::isfinite(v)) {
        *out = v;
        return true;
    }
    return false;
}

bool IsDateValue(const QVariant& v) {
    return v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime;
}

}  // namespace

GridEventSink::~GridEventSink() = default;

struct GridModel::Impl {
    int rows = 0;
    int cols = 0;
    int fixedRows = 1;
    int frozenCols = 0;
    QList<Cell> cells;  // row-major, rows * cols
    QStringList formats;
    std::vector<Column> columns;
    std::vector<float> rowHeights;  // below 0: the default height

    int curRow = 0;
    int curCol = 0;
    int selStart = 0;
    int selCount = 0;
    int selAnchor = 0;

    bool editorOpen = false;
    int editorRow = 0;
    int editorCol = 0;
    QString editorText;
    bool lastCommitRefused = false;
    bool hasTypedText = false;  // the editor opens with typed text, not the cell's
    QString typedText;
    quint64 moveSerial = 0;  // tells a move whether a handler moved the cursor again

    std::function<bool(int, int)> editRule;

    bool redraw = true;
    bool pendingRepaint = false;

    int topRow = 0;
    int leftCol = 0;
    double clientWidth = 0;
    double clientHeight = 0;

    Cell& At(int r, int c) { return cells[static_cast<qsizetype>(r - 1) * cols + (c - 1)]; }
    const Cell& At(int r, int c) const { return cells[static_cast<qsizetype>(r - 1) * cols + (c - 1)]; }

    QString CellFormat(const Cell& cell) const {
        return cell.format == 0 ? QString() : formats.at(cell.format - 1);
    }
    quint16 FormatIndex(const QString& format) {
        if (format.isEmpty())
            return 0;
        qsizetype i = formats.indexOf(format);
        if (i < 0) {
            formats.append(format);
            i = formats.size() - 1;
        }
        return static_cast<quint16>(i + 1);
    }
    Column& Col(int c) { return columns[static_cast<size_t>(c - 1)]; }
    const Column& Col(int c) const { return columns[static_cast<size_t>(c - 1)]; }

    QString FormatOf(int r, int c) const {
        const Cell& cell = At(r, c);
        return cell.format == 0 ? Col(c).format : CellFormat(cell);
    }

    QString ValueText(int r, int c, const QVariant& v) const {
        if (!v.isValid() || v.isNull())
            return QString();
        const QString fmt = FormatOf(r, c);
        if (IsNumber(v) && !fmt.isEmpty())
            return FormatNumber(v.toDouble(), fmt);
        return Basic::Text(v);
    }

    // The current cell after a change of shape: inside the grid, on a data row when
    // there is one. Not a user's move, so no events.
    void ClampCursor() {
        if (rows <= fixedRows || cols == 0) {
            curRow = curCol = 0;
            selStart = selCount = selAnchor = 0;
            return;
        }
        if (curRow <= fixedRows)
            curRow = fixedRows + 1;
        curRow = std::min(curRow, rows);
        curCol = std::clamp(curCol, 1, cols);
        if (selCount < 1 || selStart <= fixedRows || selStart + selCount - 1 > rows) {
            selStart = selAnchor = curRow;
            selCount = 1;
        }
    }
};

GridModel::GridModel(QObject* parent) : QObject(parent), d(new Impl) {}

GridModel::~GridModel() {
    delete d;
}

// ---------------------------------------------------------------- helpers

namespace {

[[noreturn]] void ThrowBadIndex(const QString& what) {
    throw ComError(kBadIndex, QStringLiteral("GridModel"),
                   QStringLiteral("Subscript out of range: %1").arg(what));
}

}  // namespace

#define SP_CHECK_CELL(r, c)                                                                               \
    do {                                                                                                  \
        if ((r) < 1 || (r) > d->rows || (c) < 1 || (c) > d->cols)                                         \
            ThrowBadIndex(QStringLiteral("cell %1,%2 of %3x%4").arg(r).arg(c).arg(d->rows).arg(d->cols)); \
    } while (false)

#define SP_CHECK_COL(c)                                                           \
    do {                                                                          \
        if ((c) < 1 || (c) > d->cols)                                             \
            ThrowBadIndex(QStringLiteral("column %1 of %2").arg(c).arg(d->cols)); \
    } while (false)

#define SP_CHECK_ROW(r)                                                        \
    do {                                                                       \
        if ((r) < 1 || (r) > d->rows)                                          \
            ThrowBadIndex(QStringLiteral("row %1 of %2").arg(r).arg(d->rows)); \
    } while (false)

// ---------------------------------------------------------------- shape

int GridModel::Rows() const {
    return d->rows;
}
int GridModel::Cols() const {
    return d->cols;
}
int GridModel::FixedRows() const {
    return d->fixedRows;
}
int GridModel::FrozenCols() const {
    return d->frozenCols;
}

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
    if (d->redraw)
        emit layoutReset();
    else
        d->pendingRepaint = true;
}

void GridModel::SetFrozenCols(int cols) {
    // Kept as set: columns may still be added after the frozen part is designed.
    d->frozenCols = std::max(cols, 0);
    if (d->redraw)
        emit layoutReset();
    else
        d->pendingRepaint = true;
}

void GridModel::AddRow() {
    InsertRow(d->rows + 1);
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

double GridModel::DefaultColumnWidth() const {
    return kDefaultColumnWidth;
}

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

double GridModel::DefaultRowHeight() const {
    return kDefaultRowHeight;
}

// ---------------------------------------------------------------- scrolling

int GridModel::TopRow() const {
    return d->topRow > 0 ? d->topRow : std::min(d->fixedRows + 1, d->rows);
}

void GridModel::SetTopRow(int row) {
    SP_CHECK_ROW(row);
    d->topRow = std::max(row, d->fixedRows + 1);
    emit scrollRequested(TopRow(), LeftCol());
}

int GridModel::LeftCol() const {
    return d->leftCol > 0 ? d->leftCol : std::min(d->frozenCols + 1, d->cols);
}

void GridModel::SetLeftCol(int col) {
    SP_CHECK_COL(col);
    d->leftCol = std::min(std::max(col, d->frozenCols + 1), d->cols);
    emit scrollRequested(TopRow(), LeftCol());
}

double GridModel::ClientWidth() const {
    return d->clientWidth;
}
double GridModel::ClientHeight() const {
    return d->clientHeight;
}

void GridModel::ReportScrollPosition(int topRow, int leftCol) {
    d->topRow = topRow;
    d->leftCol = leftCol;
}

void GridModel::ReportClientSize(double widthTwips, double heightTwips) {
    d->clientWidth = widthTwips;
    d->clientHeight = heightTwips;
}

// ---------------------------------------------------------------- drawing

bool GridModel::Redraw() const {
    return d->redraw;
}

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

// ---------------------------------------------------------------- cursor and selection

int GridModel::CurrentRow() const {
    return d->curRow;
}
int GridModel::CurrentCol() const {
    return d->curCol;
}
int GridModel::SelStartRow() const {
    return d->selStart;
}
int GridModel::SelRowCount() const {
    return d->selCount;
}

void GridModel::MoveCursor(int row, int col, int selStart, int selCount) {
    SP_CHECK_CELL(row, col);
    if (d->editorOpen)
        CloseEditor(true);
    const quint64 serial = ++d->moveSerial;
    const int oldRow = d->curRow;
    const int oldCol = d->curCol;
    const int oldSelStart = d->selStart;
    const int oldSelCount = d->selCount;
    d->curRow = row;
    d->curCol = col;
    d->selStart = selStart;
    d->selCount = selCount;
    if (d->redraw) {
        emit currentCellMoved(row, col);
        emit selectionMoved(selStart, selCount);
    } else {
        d->pendingRepaint = true;
    }
    if ((oldRow != row || oldCol != col) && sink_)
        sink_->OnCurrentCellChanged(row, col, oldRow, oldCol);
    // A handler that moved the cursor has raised the events of its own move.
    if (serial != d->moveSerial)
        return;
    if ((oldSelStart != selStart || oldSelCount != selCount) && sink_)
        sink_->OnSelectionChanged(selStart, selCount);
}

void GridModel::SetCurrentCell(int row, int col) {
    MoveCursor(row, col, row, 1);
    d->selAnchor = row;
}

void GridModel::SelectRows(int row1, int row2, int col) {
    SP_CHECK_CELL(row2, col);
    MoveCursor(row1, col, std::min(row1, row2), std::abs(row2 - row1) + 1);
    d->selAnchor = row2;
}

void GridModel::MoveBy(int dRow, int dCol, bool extend) {
    if (d->rows <= d->fixedRows || d->cols == 0)
        return;
    if (d->curRow < 1) {
        SetCurrentCell(d->fixedRows + 1, 1);
        return;
    }
    const int row = std::clamp(d->curRow + dRow, d->fixedRows + 1, d->rows);
    int col = d->curCol;
    if (dCol != 0) {
        int c = d->curCol + dCol;
        while (c >= 1 && c <= d->cols && !d->Col(c).visible) c += dCol;
        if (c >= 1 && c <= d->cols)
            col = c;
    }
    if (extend) {
        const int anchor = d->selAnchor > d->fixedRows ? d->selAnchor : d->curRow;
        MoveCursor(row, col, std::min(anchor, row), std::abs(anchor - row) + 1);
        d->selAnchor = anchor;
    } else {
        SetCurrentCell(row, col);
    }
}

// ---------------------------------------------------------------- editability

void GridModel::SetEditRule(std::function<bool(int row, int col)> rule) {
    d->editRule = std::move(rule);
}

bool GridModel::CanEdit(int row, int col) const {
    if (row <= d->fixedRows || row > d->rows || col < 1 || col > d->cols)
        return false;
    if (CellLocked(row, col) || d->Col(col).readOnly)
        return false;
    return !d->editRule || d->editRule(row, col);
}

// ---------------------------------------------------------------- in-cell editor

bool GridModel::EditorOpen() const {
    return d->editorOpen;
}
int GridModel::EditorRow() const {
    return d->editorOpen ? d->editorRow : 0;
}
int GridModel::EditorCol() const {
    return d->editorOpen ? d->editorCol : 0;
}
QString GridModel::EditorText() const {
    return d->editorOpen ? d->editorText : QString();
}

void GridModel::SetEditorText(const QString& text) {
    if (d->editorOpen)
        d->editorText = text;
}

bool GridModel::LastCommitRefused() const {
    return d->lastCommitRefused;
}

bool GridModel::AcceptsText(int col, const QString& text) const {
    SP_CHECK_COL(col);
    if (text.trimmed().isEmpty())
        return true;
    const Column& c = d->Col(col);
    switch (c.kind) {
        case CellKind::Number: {
            double v = 0;
            return ParseNumber(text, &v) && (!c.hasRange || (v >= c.min && v <= c.max));
        }
        case CellKind::Date:
            return Basic::ToDate(text.trimmed()).isValid();
        case CellKind::Text:
            break;
    }
    return true;
}

bool GridModel::OpenEditor() {
    if (d->editorOpen)
        return true;
    const bool typed = std::exchange(d->hasTypedText, false);
    if (d->curRow < 1 || !CanEdit(d->curRow, d->curCol))
        return false;
    d->editorOpen = true;
    d->editorRow = d->curRow;
    d->editorCol = d->curCol;
    d->editorText = typed ? d->typedText : d->At(d->curRow, d->curCol).text;
    d->lastCommitRefused = false;
    emit editorStateChanged(true);
    if (sink_)
        sink_->OnEditorOpens(d->editorRow, d->editorCol);
    return d->editorOpen;
}

void GridModel::CloseEditor(bool commit) {
    if (!d->editorOpen)
        return;
    const int row = d->editorRow;
    const int col = d->editorCol;
    const QString text = d->editorText;
    d->editorOpen = false;
    d->lastCommitRefused = false;
    if (commit) {
        Cell& cell = d->At(row, col);
        const bool blank = text.trimmed().isEmpty();
        switch (d->Col(col).kind) {
            case CellKind::Number:
            case CellKind::Date:
                // The cell keeps its old content when the text does not fit the column.
                if (blank) {
                    cell.text.clear();
                    cell.value = QVariant();
                } else if (!AcceptsText(col, text)) {
                    d->lastCommitRefused = true;
                } else if (d->Col(col).kind == CellKind::Number) {
                    double v = 0;
                    ParseNumber(text, &v);
                    cell.value = v;
                    cell.text = d->ValueText(row, col, cell.value);
                } else {
                    const QDate date = Basic::ToDate(text.trimmed());
                    cell.value = date;
                    cell.text = Basic::DateText(date);
                }
                break;
            case CellKind::Text:
                cell.text = text;
                break;
        }
        NotifyCells(row, col, row, col);
    }
    emit editorStateChanged(false);
    if (sink_)
        sink_->OnEditorCloses(row, col);
}

// ---------------------------------------------------------------- user input

void GridModel::KeyDown(int keyCode, int shift) {
    int key = keyCode;
    if (sink_)
        sink_->OnKeyDown(key, shift);
    const bool extend = (shift & ShiftState::Shift) != 0;
    switch (key) {
        case KeyCode::Enter:
            if (d->editorOpen)
                CloseEditor(true);
            else
                OpenEditor();
            break;
        case KeyCode::F2:
            OpenEditor();
            break;
        case KeyCode::Escape:
            CloseEditor(false);
            break;
        case KeyCode::Up:
            MoveBy(-1, 0, extend);
            break;
        case KeyCode::Down:
            MoveBy(1, 0, extend);
            break;
        case KeyCode::Left:
            MoveBy(0, -1, false);
            break;
        case KeyCode::Right:
            MoveBy(0, 1, false);
            break;
        default:  // 0: swallowed by a handler; anything else is not the grid's
            break;
    }
}

bool GridModel::TypeText(const QString& text) {
    if (d->editorOpen) {
        d->editorText += text;
        return true;
    }
    d->hasTypedText = true;
    d->typedText = text;
    return OpenEditor();
}

void GridModel::DoubleClick(int row, int col) {
    SP_CHECK_CELL(row, col);
    if (row > d->fixedRows && (row != d->curRow || col != d->curCol))
        SetCurrentCell(row, col);
    if (sink_)
        sink_->OnDoubleClick(row, col);
    if (row > d->fixedRows && d->curRow == row && d->curCol == col && !d->editorOpen)
        OpenEditor();
}

void GridModel::ResizeColumnByUser(int col, double twips) {
    SetColumnWidth(col, twips);
    if (sink_)
        sink_->OnColumnResized(col);
}

}  // namespace sp
