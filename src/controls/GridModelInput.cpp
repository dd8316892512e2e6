// The grid model's cursor, selection, in-cell editor and the user's input.
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "src/common/Basic.h"
#include "src/controls/GridModel.h"
#include "src/controls/GridModelImpl.h"

namespace sp {

using gridcells::ParseNumber;
using gridcells::ThrowBadIndex;

// ---------------------------------------------------------------- cursor and selection

int GridModel::CurrentRow() const { return d->curRow; }
int GridModel::CurrentCol() const { return d->curCol; }
int GridModel::SelStartRow() const { return d->selStart; }
int GridModel::SelRowCount() const { return d->selCount; }

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

void GridModel::MoveToEdge(bool first, bool byRow) {
    if (d->editorOpen || d->curRow <= d->fixedRows || d->curRow > d->rows)
        return;
    if (byRow) {
        SetCurrentCell(first ? d->fixedRows + 1 : d->rows, d->curCol);
        return;
    }
    // A column of no width is as hidden as one marked so.
    const auto shown = [this](int c) { return d->Col(c).visible && ColumnWidth(c) > 0; };
    int col = 0;
    if (first) {
        for (int c = d->frozenCols + 1; c <= d->cols && col == 0; ++c)
            if (shown(c))
                col = c;
        for (int c = 1; c <= d->cols && col == 0; ++c)  // nothing shown beyond the frozen ones
            if (shown(c))
                col = c;
    } else {
        for (int c = d->cols; c >= 1 && col == 0; --c)
            if (shown(c))
                col = c;
    }
    if (col != 0)
        SetCurrentCell(d->curRow, col);
}

// ---------------------------------------------------------------- editability

void GridModel::SetEditRule(std::function<bool(int row, int col)> rule) { d->editRule = std::move(rule); }

bool GridModel::CanEdit(int row, int col) const {
    if (row <= d->fixedRows || row > d->rows || col < 1 || col > d->cols)
        return false;
    if (CellLocked(row, col) || d->Col(col).readOnly)
        return false;
    return !d->editRule || d->editRule(row, col);
}

// ---------------------------------------------------------------- in-cell editor

bool GridModel::EditorOpen() const { return d->editorOpen; }
int GridModel::EditorRow() const { return d->editorOpen ? d->editorRow : 0; }
int GridModel::EditorCol() const { return d->editorOpen ? d->editorCol : 0; }
QString GridModel::EditorText() const { return d->editorOpen ? d->editorText : QString(); }

void GridModel::SetEditorText(const QString& text) {
    if (d->editorOpen)
        d->editorText = text;
}

bool GridModel::LastCommitRefused() const { return d->lastCommitRefused; }

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
    d->editorOpenedWith = d->At(d->curRow, d->curCol).text;
    d->editorText = typed ? d->typedText : d->editorOpenedWith;
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
    // Text left as it was changes nothing: a number keeps its full value behind its
    // rounded display.
    if (commit && text != d->editorOpenedWith) {
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
        case KeyCode::Home:
        case KeyCode::End:
            MoveToEdge(key == KeyCode::Home, (shift & ShiftState::Ctrl) != 0);
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

bool GridModel::UserMayMove(int from, int to) const {
    const int first = firstMovableCol_;
    return first > 0 && from != to && std::min(from, to) >= first && std::max(from, to) <= d->cols;
}

bool GridModel::MoveColumnByUser(int from, int to) {
    if (!UserMayMove(from, to))
        return false;
    if (sink_ && !sink_->OnColumnMoving(from, to))
        return false;
    if (d->editorOpen)
        CloseEditor(true);
    // The handlers may have changed the grid or what the user may move.
    if (!UserMayMove(from, to))
        return false;
    MoveColumn(from, to);
    // The handler may rebuild the grid or drop it: nothing of this grid is read after it.
    if (GridEventSink* sink = sink_)
        sink->OnColumnMoved(from, to);
    return true;
}

}  // namespace sp
