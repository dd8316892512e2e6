#pragma once

// The grid model's storage, shared by its two source files and nobody else.

#include <QColor>
#include <QList>
#include <QLocale>
#include <QStringList>
#include <QVariant>
#include <cmath>
#include <functional>
#include <vector>

#include "src/common/Basic.h"
#include "src/controls/GridModel.h"

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

namespace sp::gridcells {

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
inline int DecimalsOf(const QString& format) {
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

inline QString FormatNumber(double v, const QString& format) {
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

inline bool IsNumber(const QVariant& v) {
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

inline bool ParseNumber(const QString& text, double* out) {
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    if (ok && std::isfinite(v)) {
        *out = v;
        return true;
    }
    return false;
}

inline bool IsDateValue(const QVariant& v) {
    return v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime;
}

[[noreturn]] void ThrowBadIndex(const QString& what);

}  // namespace sp::gridcells

namespace sp {

using gridcells::Cell;
using gridcells::Column;
using gridcells::FormatNumber;
using gridcells::IsNumber;
using gridcells::LockState;

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
    QString editorOpenedWith;  // the cell's text when the editor opened
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

}  // namespace sp

// An address outside the grid raises ComError (the grid's "bad index" error), so a
// rule that addresses a missing cell fails the step it runs in instead of reading junk.
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
