#include "ui/controls/GridView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <cmath>

#include "ui/controls/CatchBoundary.h"
#include "ui/controls/GridEditorValidator.h"
#include "ui/controls/GridTableModel.h"

namespace sp {

namespace {

const QString kSource = QStringLiteral("GridView");

// The host's key codes of the keys a grid reports; 0 for keys that are typed text.
int HostKeyCode(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return KeyCode::Enter;
        case Qt::Key_Escape:
            return KeyCode::Escape;
        case Qt::Key_Left:
            return KeyCode::Left;
        case Qt::Key_Up:
            return KeyCode::Up;
        case Qt::Key_Right:
            return KeyCode::Right;
        case Qt::Key_Down:
            return KeyCode::Down;
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
            return 9;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return KeyCode::End;
        case Qt::Key_Home:
            return KeyCode::Home;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        default:
            break;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return KeyCode::F1 + (qtKey - Qt::Key_F1);
    return 0;
}

int HostShift(Qt::KeyboardModifiers modifiers) {
    int shift = ShiftState::None;
    if (modifiers & Qt::ShiftModifier)
        shift |= ShiftState::Shift;
    if (modifiers & Qt::ControlModifier)
        shift |= ShiftState::Ctrl;
    if (modifiers & Qt::AltModifier)
        shift |= ShiftState::Alt;
    return shift;
}

// Marks the grid's current cell with a frame, whether or not the grid has the focus.
class CurrentCellDelegate : public QStyledItemDelegate {
  public:
    CurrentCellDelegate(GridTableModel* adapter, QObject* parent)
        : QStyledItemDelegate(parent), adapter_(adapter) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        opt.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, opt, index);
        const GridModel* grid = adapter_->Grid();
        if (adapter_->GridRow(index) == grid->CurrentRow() &&
            adapter_->GridCol(index) == grid->CurrentCol()) {
            painter->save();
            painter->setPen(QPen(option.palette.color(QPalette::Text), 2));
            painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
            painter->restore();
        }
    }

  private:
    GridTableModel* adapter_;
};

}  // namespace

GridView::GridView(GridModel* model, QWidget* parent)
    : QWidget(parent), model_(model), adapter_(new GridTableModel(model, this)) {
    table_ = new GridTableView(this, this);
    frozen_ = new GridTableView(this, table_);
    for (GridTableView* view : {table_, frozen_}) {
        view->setModel(adapter_);
        view->setItemDelegate(new CurrentCellDelegate(adapter_, view));
        view->horizontalHeader()->viewport()->installEventFilter(this);
        connect(view->horizontalHeader(), &QHeaderView::sectionResized, this, &GridView::OnSectionResized);
    }
    // Only the scrolling table's columns move; the frozen ones stay where they are.
    connect(table_->horizontalHeader(), &QHeaderView::sectionMoved, this, &GridView::OnSectionMoved);
    frozen_->setSelectionModel(table_->selectionModel());
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->setFrameShape(QFrame::NoFrame);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setStyleSheet(QStringLiteral("QTableView { border-right: 1px solid palette(dark); }"));
    table_->viewport()->stackUnder(frozen_);
    // The frozen table's height and the reported client size follow the main viewport,
    // which the table sizes after this widget has had its own resize.
    table_->viewport()->installEventFilter(this);
    table_->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(table_);

    // The frozen table follows the main one up and down, and the other way round.
    connect(table_->verticalScrollBar(), &QScrollBar::valueChanged, frozen_->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(frozen_->verticalScrollBar(), &QScrollBar::valueChanged, table_->verticalScrollBar(),
            &QScrollBar::setValue);
    // The frozen columns never scroll sideways, not even to bring a current cell of a
    // column cut at half the grid's width into view.
    connect(frozen_->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value != 0)
            frozen_->horizontalScrollBar()->setValue(0);
    });
    for (QScrollBar* bar : {table_->verticalScrollBar(), table_->horizontalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            UpdateEditorGeometry();
            ReportScroll();
        });
    }

    editor_ = new QLineEdit(this);
    editor_->setObjectName(QStringLiteral("cellEditor"));
    editor_->setFrame(false);
    editor_->hide();
    editor_->installEventFilter(this);
    validator_ = new GridEditorValidator(editor_);
    editor_->setValidator(validator_);
    connect(editor_, &QLineEdit::textEdited, this,
            [this](const QString& text) { CatchBoundary(kSource, [&] { model_->SetEditorText(text); }); });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table_);

    // The adapter hears the model first (it was connected first), so the views already
    // know the new shape when these run.
    connect(model_, &GridModel::layoutReset, this, &GridView::ApplyLayout);
    connect(model_, &GridModel::rowsInserted, this, [this] { UpdateFrozenGeometry(); });
    connect(model_, &GridModel::rowsRemoved, this, [this] { UpdateFrozenGeometry(); });
    connect(model_, &GridModel::cellsChanged, this, [this](int row1, int, int, int) {
        if (row1 <= model_->FixedRows())
            ApplyHeaderHeight();
    });
    connect(model_, &GridModel::columnChanged, this, &GridView::ApplyColumn);
    connect(model_, &GridModel::rowHeightChanged, this, &GridView::ApplyRowHeight);
    connect(model_, &GridModel::currentCellMoved, this, &GridView::ApplyCurrent);
    connect(model_, &GridModel::selectionMoved, this, &GridView::ApplySelection);
    connect(model_, &GridModel::editorStateChanged, this, &GridView::ApplyEditor);
    connect(model_, &GridModel::scrollRequested, this, &GridView::ApplyScroll);
    connect(model_, &GridModel::redrawChanged, this, [this](bool on) { table_->setUpdatesEnabled(on); });
    ApplyLayout();
}

GridView::~GridView() = default;

QTableView* GridView::Table() const { return table_; }
QTableView* GridView::FrozenTable() const { return frozen_; }

int GridView::ToPixels(double twips) const {
    return static_cast<int>(std::lround(twips * logicalDpiX() / 1440.0));
}

double GridView::ToTwips(int pixels) const { return pixels * 1440.0 / logicalDpiX(); }

// ---------------------------------------------------------------- model -> views

void GridView::ApplyLayout() {
    const QSignalBlocker blockMain(table_->horizontalHeader());
    const QSignalBlocker blockFrozen(frozen_->horizontalHeader());
    syncing_ = true;
    const int defaultHeight = ToPixels(model_->DefaultRowHeight());
    for (QTableView* view : {static_cast<QTableView*>(table_), static_cast<QTableView*>(frozen_)})
        view->verticalHeader()->setDefaultSectionSize(defaultHeight);
    for (int col = 1; col <= model_->Cols(); ++col) ApplyColumn(col);
    // Only rows of their own height are touched: tens of thousands of rows stay cheap.
    for (int row = model_->FixedRows() + 1; row <= model_->Rows(); ++row) {
        const int px = ToPixels(model_->RowHeight(row));
        if (px != defaultHeight)
            ApplyRowHeight(row);
    }
    syncing_ = false;
    // A press on a header picks whether that section may move (see eventFilter).
    table_->horizontalHeader()->setSectionsMovable(model_->FirstMovableCol() > 0);
    ApplyHeaderHeight();
    frozen_->setVisible(model_->FrozenCols() > 0);
    UpdateFrozenGeometry();
    ApplySelection();
    ApplyCurrent();
    ApplyEditor(model_->EditorOpen());
    ReportClientSize();
}

void GridView::ApplyColumn(int col) {
    if (col < 1 || col > model_->Cols())
        return;
    const bool restore = std::exchange(syncing_, true);
    const bool visible = model_->ColumnVisible(col);
    const int width = ToPixels(model_->ColumnWidth(col));
    table_->setColumnHidden(col - 1, !visible);
    frozen_->setColumnHidden(col - 1, !visible || col > model_->FrozenCols());
    table_->setColumnWidth(col - 1, width);
    frozen_->setColumnWidth(col - 1, width);
    syncing_ = restore;
    UpdateFrozenGeometry();
    UpdateEditorGeometry();
}

void GridView::ApplyRowHeight(int row) {
    if (row <= model_->FixedRows()) {
        ApplyHeaderHeight();
        return;
    }
    const int px = ToPixels(model_->RowHeight(row));
    table_->setRowHeight(row - model_->FixedRows() - 1, px);
    frozen_->setRowHeight(row - model_->FixedRows() - 1, px);
}

void GridView::ApplyHeaderHeight() {
    const int fixed = std::min(model_->FixedRows(), model_->Rows());
    double twips = 0;
    for (int r = 1; r <= fixed; ++r) twips += model_->RowHeight(r);
    const int px = std::max(ToPixels(twips), fixed > 0 ? 1 : 0);
    for (QTableView* view : {static_cast<QTableView*>(table_), static_cast<QTableView*>(frozen_)}) {
        view->horizontalHeader()->setVisible(fixed > 0);
        view->horizontalHeader()->setFixedHeight(px);
    }
    UpdateFrozenGeometry();
}

void GridView::ApplyCurrent() {
    const int row = model_->CurrentRow();
    const int col = model_->CurrentCol();
    const QModelIndex index = row > model_->FixedRows() ? adapter_->IndexOf(row, col) : QModelIndex();
    table_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    if (index.isValid())
        EnsureVisible(row, col);
    table_->viewport()->update();
    frozen_->viewport()->update();
}

void GridView::ApplySelection() {
    QItemSelectionModel* selection = table_->selectionModel();
    const int first = model_->SelStartRow();
    const int count = model_->SelRowCount();
    if (count < 1 || first <= model_->FixedRows() || model_->Cols() < 1) {
        selection->clearSelection();
        return;
    }
    const QItemSelection block(adapter_->IndexOf(first, 1),
                               adapter_->IndexOf(first + count - 1, model_->Cols()));
    selection->select(block, QItemSelectionModel::ClearAndSelect);
}

void GridView::ApplyEditor(bool open) {
    if (!open || !model_->EditorOpen()) {
        const bool hadFocus = editor_->hasFocus();
        editor_->hide();
        if (hadFocus)
            table_->setFocus();
        return;
    }
    const int col = model_->EditorCol();
    validator_->SetColumn(model_, col);
    editor_->setText(model_->EditorText());
    const CellAlign align = model_->CellAlignment(model_->EditorRow(), col);
    editor_->setAlignment(align == CellAlign::Right    ? Qt::AlignRight | Qt::AlignVCenter
                          : align == CellAlign::Center ? Qt::AlignHCenter | Qt::AlignVCenter
                                                       : Qt::AlignLeft | Qt::AlignVCenter);
    UpdateEditorGeometry();
    editor_->show();
    editor_->raise();
    editor_->setFocus();
    editor_->end(false);
}

void GridView::ApplyScroll(int topRow, int leftCol) {
    const int fixed = model_->FixedRows();
    if (topRow > fixed && topRow <= model_->Rows())
        table_->verticalScrollBar()->setValue(table_->verticalHeader()->sectionPosition(topRow - fixed - 1));
    if (leftCol >= 1 && leftCol <= model_->Cols()) {
        const int x = table_->horizontalHeader()->sectionPosition(leftCol - 1) - FrozenWidth();
        table_->horizontalScrollBar()->setValue(std::max(x, 0));
    }
    ReportScroll();
}

void GridView::EnsureVisible(int row, int col) {
    const int r = row - model_->FixedRows() - 1;
    QScrollBar* vbar = table_->verticalScrollBar();
    const int y = table_->rowViewportPosition(r);
    const int h = table_->rowHeight(r);
    const int viewHeight = table_->viewport()->height();
    if (y < 0)
        vbar->setValue(vbar->value() + y);
    else if (y + h > viewHeight)
        vbar->setValue(vbar->value() + std::min(y + h - viewHeight, y));
    if (col <= model_->FrozenCols())
        return;  // always in sight
    QScrollBar* hbar = table_->horizontalScrollBar();
    const int x = table_->columnViewportPosition(col - 1);
    const int w = table_->columnWidth(col - 1);
    const int left = FrozenWidth();
    const int viewWidth = table_->viewport()->width();
    if (x < left)
        hbar->setValue(hbar->value() - (left - x));
    else if (x + w > viewWidth)
        hbar->setValue(hbar->value() + std::min(x + w - viewWidth, x - left));
}

int GridView::FrozenWidth() const {
    int width = 0;
    for (int col = 1; col <= std::min(model_->FrozenCols(), model_->Cols()); ++col) {
        if (!frozen_->isColumnHidden(col - 1))
            width += frozen_->columnWidth(col - 1);
    }
    // The columns that do not scroll never take more than half of the grid: the rest
    // stays reachable, and the last frozen column is cut instead (its hidden part
    // scrolls out under the frozen ones).
    return std::min(width, table_->viewport()->width() / 2);
}

void GridView::UpdateFrozenGeometry() {
    if (model_->FrozenCols() <= 0)
        return;
    const int frame = table_->frameWidth();
    frozen_->setGeometry(frame, frame, FrozenWidth(),
                         table_->viewport()->height() + table_->horizontalHeader()->height());
}

void GridView::UpdateEditorGeometry() {
    if (!model_->EditorOpen() || model_->EditorRow() <= model_->FixedRows())
        return;
    const int col = model_->EditorCol();
    QTableView* view = col <= model_->FrozenCols() ? frozen_ : table_;
    const QRect cell = view->visualRect(adapter_->IndexOf(model_->EditorRow(), col));
    editor_->setGeometry(
        QRect(view->viewport()->mapTo(this, cell.topLeft()), cell.size()).adjusted(1, 1, -1, -1));
}

void GridView::ReportScroll() {
    if (syncing_)
        return;
    const int fixed = model_->FixedRows();
    const int topRow = table_->rowAt(1);
    const int leftCol = table_->columnAt(FrozenWidth() + 1);
    model_->ReportScrollPosition(topRow >= 0 ? topRow + fixed + 1 : 0, leftCol >= 0 ? leftCol + 1 : 0);
}

void GridView::ReportClientSize() {
    model_->ReportClientSize(ToTwips(table_->viewport()->width()),
                             ToTwips(table_->viewport()->height() + table_->horizontalHeader()->height()));
}

void GridView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UpdateFrozenGeometry();
    UpdateEditorGeometry();
    ReportClientSize();
}

// ---------------------------------------------------------------- user -> model

bool GridView::CellAt(QTableView* view, const QPoint& pos, int* row, int* col) const {
    const QModelIndex index = view->indexAt(pos);
    if (!index.isValid())
        return false;
    *row = adapter_->GridRow(index);
    *col = adapter_->GridCol(index);
    return *row <= model_->Rows() && *col <= model_->Cols();
}

void GridView::GridKeyPressed(QKeyEvent* event) {
    event->accept();
    CatchBoundary(kSource, [&] {
        const int code = HostKeyCode(event->key());
        const QString text = event->text();
        const bool typed = code == 0 && !text.isEmpty() && text.at(0).isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (typed) {
            model_->TypeText(text);
        } else if (!PageKey(event->key()) && code != 0) {
            model_->KeyDown(code, HostShift(event->modifiers()));
        }
    });
}

// Page keys are the view's: only it knows how many rows fit on a page.
bool GridView::PageKey(int key) {
    const int fixed = model_->FixedRows();
    const int row = model_->CurrentRow();
    if (row <= fixed || (key != Qt::Key_PageUp && key != Qt::Key_PageDown))
        return false;
    const int page = std::max(
        1, table_->viewport()->height() / std::max(1, table_->verticalHeader()->defaultSectionSize()) - 1);
    const int target = key == Qt::Key_PageUp ? row - page : row + page;
    model_->SetCurrentCell(std::clamp(target, fixed + 1, model_->Rows()), model_->CurrentCol());
    return true;
}

void GridView::GridTextTyped(const QString& text) {
    CatchBoundary(kSource, [&] {
        const bool wasOpen = model_->EditorOpen();
        if (wasOpen)
            model_->SetEditorText(editor_->text());
        if (model_->TypeText(text) && wasOpen)
            editor_->setText(model_->EditorText());
    });
}

void GridView::GridMousePressed(QTableView* view, QMouseEvent* event) {
    event->accept();
    table_->setFocus();
    int row = 0;
    int col = 0;
    if (!CellAt(view, event->position().toPoint(), &row, &col))
        return;
    CatchBoundary(kSource, [&] {
        if (model_->EditorOpen())
            model_->SetEditorText(editor_->text());
        if ((event->modifiers() & Qt::ShiftModifier) && event->button() == Qt::LeftButton &&
            anchorRow_ > model_->FixedRows() && anchorRow_ <= model_->Rows()) {
            model_->SelectRows(row, anchorRow_, col);
        } else {
            anchorRow_ = row;
            model_->SetCurrentCell(row, col);
        }
    });
}

void GridView::GridMouseDragged(QTableView* view, QMouseEvent* event) {
    int row = 0;
    int col = 0;
    if (!CellAt(view, event->position().toPoint(), &row, &col) || row == model_->CurrentRow())
        return;
    if (anchorRow_ <= model_->FixedRows() || anchorRow_ > model_->Rows())
        return;
    CatchBoundary(kSource, [&] { model_->SelectRows(row, anchorRow_, col); });
}

void GridView::GridDoubleClicked(QTableView* view, QMouseEvent* event) {
    event->accept();
    int row = 0;
    int col = 0;
    if (!CellAt(view, event->position().toPoint(), &row, &col))
        return;
    CatchBoundary(kSource, [&] { model_->DoubleClick(row, col); });
}

void GridView::OnSectionResized(int logical, int /*oldSize*/, int newSize) {
    if (syncing_)
        return;
    const int col = logical + 1;
    // The two tables show the frozen columns at one width.
    syncing_ = true;
    table_->setColumnWidth(logical, newSize);
    frozen_->setColumnWidth(logical, newSize);
    syncing_ = false;
    UpdateFrozenGeometry();
    UpdateEditorGeometry();
    pendingResizes_.insert(col, newSize);
}

bool GridView::UserMayMove(int col) const {
    const int first = model_->FirstMovableCol();
    return first > 0 && col >= first && col > model_->FrozenCols() && col <= model_->Cols();
}

// The header only shows the model's order: a section Qt moved goes straight back, and
// the model moves the column if the grid and its rules allow it, whose reset then shows
// the new order. So a visual index is always the model's column - 1, hidden columns
// included.
void GridView::OnSectionMoved(int logical, int oldVisual, int newVisual) {
    if (syncing_)
        return;
    syncing_ = true;
    table_->horizontalHeader()->moveSection(newVisual, oldVisual);
    syncing_ = false;
    const int from = logical + 1;
    const int to = newVisual + 1;
    if (!UserMayMove(from) || !UserMayMove(to))
        return;
    // The move runs once the header has finished with the mouse release: the rules may
    // ask a question first, and a box opened inside the release leaves the header's drag
    // marker painted over the grid.
    QMetaObject::invokeMethod(
        this,
        [this, from, to] {
            if (UserMayMove(from) && UserMayMove(to))
                CatchBoundary(kSource, [&] { model_->MoveColumnByUser(from, to); });
        },
        Qt::QueuedConnection);
}

// A user's resize ends when the mouse lets go of the header: that is when the grid
// reports it, once per column.
void GridView::CommitUserResizes() {
    const QHash<int, int> resizes = std::exchange(pendingResizes_, {});
    for (auto it = resizes.cbegin(); it != resizes.cend(); ++it) {
        if (it.key() > model_->Cols())
            continue;
        CatchBoundary(kSource, [&] { model_->ResizeColumnByUser(it.key(), ToTwips(it.value())); });
    }
}

bool GridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_->viewport() && event->type() == QEvent::Resize) {
        UpdateFrozenGeometry();
        UpdateEditorGeometry();
        ReportClientSize();
        return false;
    }
    if (watched == editor_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Escape:
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                break;
            default:
                if (HostKeyCode(key->key()) < KeyCode::F1)
                    return false;  // editing keys stay in the editor
        }
        CatchBoundary(kSource, [&] { model_->SetEditorText(editor_->text()); });
        GridKeyPressed(key);
        return true;
    }
    if (watched == table_->horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress) {
        // Qt has no movable flag per section: the header lets the pressed section move or
        // not. A press on a section's edge resizes whichever way this is set.
        QHeaderView* header = table_->horizontalHeader();
        const int pos = static_cast<QMouseEvent*>(event)->position().toPoint().x();
        header->setSectionsMovable(UserMayMove(header->logicalIndexAt(pos) + 1));
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease && !pendingResizes_.isEmpty() &&
        (watched == table_->horizontalHeader()->viewport() ||
         watched == frozen_->horizontalHeader()->viewport())) {
        CommitUserResizes();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace sp
