#include "ui/controls/GridTableModel.h"

#include <QBrush>
#include <algorithm>

namespace sp {

namespace {

Qt::Alignment ToQt(CellAlign align) {
    switch (align) {
        case CellAlign::Left:
            return Qt::AlignLeft | Qt::AlignVCenter;
        case CellAlign::Center:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case CellAlign::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

GridTableModel::GridTableModel(GridModel* grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
    rows_ = DataRows();
    cols_ = grid_->Cols();
    connect(grid_, &GridModel::layoutReset, this, &GridTableModel::Reset);
    connect(grid_, &GridModel::rowsInserted, this, &GridTableModel::OnRowsInserted);
    connect(grid_, &GridModel::rowsRemoved, this, &GridTableModel::OnRowsRemoved);
    connect(grid_, &GridModel::cellsChanged, this, &GridTableModel::OnCellsChanged);
}

int GridTableModel::DataRows() const { return std::max(grid_->Rows() - grid_->FixedRows(), 0); }

bool GridTableModel::InGrid(int gridRow, int gridCol) const {
    return gridRow >= 1 && gridRow <= grid_->Rows() && gridCol >= 1 && gridCol <= grid_->Cols();
}

int GridTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int GridTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QModelIndex GridTableModel::IndexOf(int gridRow, int gridCol) const {
    return index(gridRow - grid_->FixedRows() - 1, gridCol - 1);
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int row = GridRow(index);
    const int col = GridCol(index);
    // A view may paint while the grid's redraw is off and its shape already changed.
    if (!InGrid(row, col))
        return {};
    switch (role) {
        case Qt::DisplayRole:
            return grid_->DisplayText(row, col);
        case Qt::EditRole:
            return grid_->CellText(row, col);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(ToQt(grid_->CellAlignment(row, col)));
        case Qt::BackgroundRole: {
            const QColor color = grid_->CellBackground(row, col);
            return color.isValid() ? QVariant(QBrush(color)) : QVariant();
        }
        default:
            return {};
    }
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section + grid_->FixedRows() + 1;
        return {};
    }
    const int col = section + 1;
    if (col < 1 || col > grid_->Cols())
        return {};
    const int fixed = std::min(grid_->FixedRows(), grid_->Rows());
    switch (role) {
        case Qt::DisplayRole: {
            QStringList lines;
            for (int r = 1; r <= fixed; ++r) lines << grid_->DisplayText(r, col);
            return lines.join(u'\n');
        }
        case Qt::TextAlignmentRole:
            return fixed >= 1 ? QVariant::fromValue(ToQt(grid_->CellAlignment(fixed, col))) : QVariant();
        case KeyRole:
            return grid_->CellKey(1, col);
        default:
            return {};
    }
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void GridTableModel::Reset() {
    beginResetModel();
    rows_ = DataRows();
    cols_ = grid_->Cols();
    endResetModel();
}

void GridTableModel::OnRowsInserted(int row, int count) {
    const int first = row - grid_->FixedRows() - 1;
    if (first < 0 || first > rows_ || rows_ + count != DataRows()) {
        Reset();  // the header grew, or the views are behind: start over
        return;
    }
    beginInsertRows(QModelIndex(), first, first + count - 1);
    rows_ += count;
    endInsertRows();
}

void GridTableModel::OnRowsRemoved(int row, int count) {
    const int first = row - grid_->FixedRows() - 1;
    if (first < 0 || first + count > rows_ || rows_ - count != DataRows()) {
        Reset();
        return;
    }
    beginRemoveRows(QModelIndex(), first, first + count - 1);
    rows_ -= count;
    endRemoveRows();
}

void GridTableModel::OnCellsChanged(int row1, int col1, int row2, int col2) {
    const int fixed = grid_->FixedRows();
    col1 = std::max(col1, 1);
    col2 = std::min(col2, cols_);
    if (col1 > col2)
        return;
    if (row1 <= fixed)
        emit headerDataChanged(Qt::Horizontal, col1 - 1, col2 - 1);
    const int first = std::max(row1, fixed + 1) - fixed - 1;
    const int last = std::min(row2 - fixed - 1, rows_ - 1);
    if (first <= last)
        emit dataChanged(index(first, col1 - 1), index(last, col2 - 1));
}

}  // namespace sp
