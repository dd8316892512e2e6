#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

namespace sp {

// What a grid column holds and which in-cell editor it gets.
enum class CellKind { Text, Number, Date };

// The display format of a number with `decimals` places: "0", "0.00".
inline QString DecimalsFormat(int decimals) {
    return decimals <= 0 ? QStringLiteral("0") : QStringLiteral("0.") + QString(decimals, QLatin1Char('0'));
}
enum class CellAlign { Left, Center, Right };

// Key codes and shift states as the grid reports them (the host's codes).
namespace KeyCode {
constexpr int Enter = 13;
constexpr int Escape = 27;
constexpr int End = 35;
constexpr int Home = 36;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int E = 69;
constexpr int P = 80;
constexpr int F1 = 112;
constexpr int F2 = 113;
constexpr int F7 = 118;
constexpr int F8 = 119;
constexpr int F9 = 120;
}  // namespace KeyCode
namespace ShiftState {
constexpr int None = 0;
constexpr int Shift = 1;
constexpr int Ctrl = 2;
constexpr int Alt = 4;
}  // namespace ShiftState

// Notification codes of the grid control.
namespace GridNotify {
constexpr int EditorOpens = 257;
constexpr int EditorCloses = 513;
constexpr int SelectionChanged = 4608;
constexpr int ColumnResized = 514;
constexpr int DoubleClick = 4;
}  // namespace GridNotify

// What the rules hear from a grid. Every handler is optional.
class GridEventSink {
  public:
    virtual ~GridEventSink();
    virtual void OnEditorOpens(int /*row*/, int /*col*/) {}
    virtual void OnEditorCloses(int /*row*/, int /*col*/) {}
    virtual void OnCurrentCellChanged(int /*newRow*/, int /*newCol*/, int /*oldRow*/, int /*oldCol*/) {}
    // keyCode may be changed; set it to 0 to swallow the key.
    virtual void OnKeyDown(int& /*keyCode*/, int /*shift*/) {}
    virtual void OnSelectionChanged(int /*firstRow*/, int /*rowCount*/) {}
    virtual void OnColumnResized(int /*col*/) {}
    // The user drags column from to place to; false keeps it where it is.
    virtual bool OnColumnMoving(int /*from*/, int /*to*/) { return true; }
    // Column from now stands at place to (the grid has already moved it).
    virtual void OnColumnMoved(int /*from*/, int /*to*/) {}
    virtual void OnDoubleClick(int /*row*/, int /*col*/) {}
};

// The grid control, headless. Rows and columns count from 1; the first FixedRows()
// rows are the header. Widths and heights are twips (15 per pixel at 96 dpi).
// Every cell carries a text, a hidden key and a typed value, plus lock, background,
// alignment and display format. The view shows DisplayText() and asks CanEdit()
// before it opens an editor: it never decides editability itself.
class GridModel : public QObject {
    Q_OBJECT
  public:
    explicit GridModel(QObject* parent = nullptr);
    ~GridModel() override;

    void SetEventSink(GridEventSink* sink) { sink_ = sink; }

    // --- shape
    int Rows() const;
    void SetRows(int rows);  // keeps the cells of rows that stay
    int Cols() const;
    void SetCols(int cols);
    int FixedRows() const;
    void SetFixedRows(int rows);
    // Columns from the left that stay in place while scrolling.
    int FrozenCols() const;
    void SetFrozenCols(int cols);
    void AddRow();  // appends one empty row
    // Makes room for that many rows at once, so a fill that appends rows one by one
    // does not move the cells it has as it grows. Nothing shown changes.
    void ReserveRows(int rows);
    void InsertRow(int beforeRow);  // an empty row at that place
    void RemoveRow(int row);

    // --- cells (out-of-range access raises ComError)
    QString CellText(int row, int col) const;
    void SetCellText(int row, int col, const QString& text);
    QString CellKey(int row, int col) const;
    void SetCellKey(int row, int col, const QString& key);
    QVariant CellValue(int row, int col) const;
    // Sets the typed value; the text becomes the value's display form.
    void SetCellValue(int row, int col, const QVariant& value);
    // Sets the value alone and leaves the text as it is (a work bill number shown
    // as text with its internal id as the value).
    void SetCellData(int row, int col, const QVariant& value);
    bool CellLocked(int row, int col) const;
    void SetCellLocked(int row, int col, bool locked);
    void SetRangeLocked(int row1, int col1, int row2, int col2, bool locked);
    QColor CellBackground(int row, int col) const;
    void SetCellBackground(int row, int col, const QColor& color);
    void SetRangeBackground(int row1, int col1, int row2, int col2, const QColor& color);
    CellAlign CellAlignment(int row, int col) const;
    void SetCellAlignment(int row, int col, CellAlign align);
    // Display format of a number cell: "0", "0.00", "0.000"; empty uses the column's.
    QString CellFormat(int row, int col) const;
    void SetCellFormat(int row, int col, const QString& format);
    // What the view shows: numbers in the cell's (or column's) format, dates as
    // YYYY-mm-DD, anything else the text.
    QString DisplayText(int row, int col) const;

    // --- columns
    bool ColumnVisible(int col) const;
    void SetColumnVisible(int col, bool visible);
    double ColumnWidth(int col) const;
    void SetColumnWidth(int col, double twips);
    double DefaultColumnWidth() const;
    bool ColumnReadOnly(int col) const;
    void SetColumnReadOnly(int col, bool readOnly);
    CellKind ColumnKind(int col) const;
    void SetColumnKind(int col, CellKind kind);
    // Numeric range of a number column; without one any number passes.
    void SetColumnRange(int col, double min, double max);
    bool ColumnHasRange(int col) const;
    double ColumnMin(int col) const;
    double ColumnMax(int col) const;
    QString ColumnFormat(int col) const;
    void SetColumnFormat(int col, const QString& format);
    void SetColumnAlignment(int col, CellAlign align);  // every cell of the column
    CellAlign ColumnAlignment(int col) const;
    // Locks every cell of the column, rows added later included; a cell's own
    // SetCellLocked still overrides it.
    void SetColumnLocked(int col, bool locked);
    bool ColumnLocked(int col) const;
    // Moves column from to place to; the columns between shift by one toward from's
    // place. Everything of the column goes with it: its cells in every row, header
    // rows included, and its width, visibility, kind, range, format, alignment and
    // locks. An open editor is committed first; the current cell stays on its data.
    void MoveColumn(int from, int to);
    // The first column the user may move by its header; the columns before it can be
    // neither moved nor passed. 0 (the default): the user moves no column.
    void SetFirstMovableCol(int col);
    int FirstMovableCol() const;

    // --- rows
    double RowHeight(int row) const;
    void SetRowHeight(int row, double twips);
    double DefaultRowHeight() const;

    // --- current cell and selection (one contiguous block of rows)
    int CurrentRow() const;
    int CurrentCol() const;
    // Moves the cursor: closes an open editor first (EditorCloses), then raises
    // OnCurrentCellChanged(new, old). The selection becomes that one cell's row.
    void SetCurrentCell(int row, int col);
    int SelStartRow() const;
    int SelRowCount() const;
    // Selects rows row1..row2 (any order); the current cell moves to row1, col.
    void SelectRows(int row1, int row2, int col);
    // A one-cell selection.
    void SelectCell(int row, int col) { SetCurrentCell(row, col); }

    // --- editability: the rules' answer, asked by CanEdit().
    void SetEditRule(std::function<bool(int row, int col)> rule);
    // Not locked, column not read-only, and the rule agrees.
    bool CanEdit(int row, int col) const;

    // --- in-cell editor
    bool EditorOpen() const;
    int EditorRow() const;
    int EditorCol() const;
    QString EditorText() const;
    void SetEditorText(const QString& text);
    // Opens the editor on the current cell when CanEdit() allows (raises EditorOpens).
    bool OpenEditor();
    // Closes the editor; commit writes the editor's text (numbers: the value) into the
    // cell, then raises EditorCloses. Without commit the cell is unchanged.
    // A number column refuses text that is not a number inside its range, and a date
    // column text that is not a date: the editor closes and the cell keeps its old
    // text and value (LastCommitRefused() tells).
    void CloseEditor(bool commit = true);
    bool LastCommitRefused() const;
    // Whether text would be accepted by the cell's column (empty text always is).
    bool AcceptsText(int col, const QString& text) const;

    // --- input from the view (or a test playing the user)
    // A key press: raises OnKeyDown, then the grid's own handling of what is left
    // (arrows move, Enter and F2 open the editor, Escape cancels it). Home and End move
    // to the first data column (the first shown one after the frozen columns) and the
    // last shown column of the row; with Ctrl to the first and last data row. While the
    // editor is open they are the editor's and the grid does nothing with them.
    void KeyDown(int keyCode, int shift = ShiftState::None);
    // Typed text on the current cell: opens the editor when allowed and replaces its
    // text; with the editor already open the text is appended. False when the cell refuses.
    bool TypeText(const QString& text);
    void DoubleClick(int row, int col);
    // The user dragged a column edge.
    void ResizeColumnByUser(int col, double twips);
    // The user dragged column from's header to place to. Refused (false, nothing
    // changes) when the user may not move these columns (see SetFirstMovableCol) or
    // OnColumnMoving says no; else MoveColumn, then OnColumnMoved.
    bool MoveColumnByUser(int from, int to);

    // --- scrolling: the first scrolling row and column shown, and the inner size of
    // the grid's window in twips (the view reports both as the user scrolls and resizes).
    int TopRow() const;
    void SetTopRow(int row);
    int LeftCol() const;
    void SetLeftCol(int col);
    double ClientWidth() const;
    double ClientHeight() const;
    void ReportScrollPosition(int topRow, int leftCol);  // from the view: no signal
    void ReportClientSize(double widthTwips, double heightTwips);

    // --- drawing
    bool Redraw() const;
    void SetRedraw(bool on);  // on again repaints everything once

  signals:
    void layoutReset();                     // shape or columns changed
    void rowsInserted(int row, int count);  // rows row..row+count-1 are new
    void rowsRemoved(int row, int count);   // rows row..row+count-1 are gone
    void columnChanged(int col);            // width or visibility
    void rowHeightChanged(int row);
    void cellsChanged(int row1, int col1, int row2, int col2);
    void currentCellMoved(int row, int col);
    void selectionMoved(int firstRow, int rowCount);
    void editorStateChanged(bool open);
    void scrollRequested(int topRow, int leftCol);  // a rule moved the visible area
    void redrawChanged(bool on);

  private:
    void NotifyCells(int row1, int col1, int row2, int col2);
    void LayoutChanged();
    // Closes an open editor, moves the cursor and sets the selection, raising
    // EditorCloses, CurrentCellChanged and SelectionChanged in that order.
    void MoveCursor(int row, int col, int selStart, int selCount);
    void MoveBy(int dRow, int dCol, bool extend);
    void MoveToEdge(bool first, bool byRow);
    void DropEditor();
    bool UserMayMove(int from, int to) const;

    struct Impl;
    const std::unique_ptr<Impl> d;
    GridEventSink* sink_ = nullptr;
    int firstMovableCol_ = 0;
};

}  // namespace sp
