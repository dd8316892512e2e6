#pragma once

#include <QAbstractTableModel>
#include <QPointer>

#include "src/controls/GridModel.h"

namespace sp {

// Shows a GridModel to Qt's item views: the grid's fixed rows become the horizontal
// header, its data rows the table's rows (table row 0 is grid row FixedRows() + 1).
// Editing is the grid's business, so no item is editable here.
class GridTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // Horizontal header role: the column's key (its code), for tools that find columns
    // by name rather than by title.
    static constexpr int KeyRole = Qt::UserRole + 1;

    explicit GridTableModel(GridModel* grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    GridModel* Grid() const { return grid_; }
    // Grid row and column of a table index, and back.
    int GridRow(const QModelIndex& index) const { return index.row() + grid_->FixedRows() + 1; }
    int GridCol(const QModelIndex& index) const { return index.column() + 1; }
    QModelIndex IndexOf(int gridRow, int gridCol) const;

  private:
    void Reset();
    void OnRowsInserted(int row, int count);
    void OnRowsRemoved(int row, int count);
    void OnCellsChanged(int row1, int col1, int row2, int col2);
    int DataRows() const;
    bool InGrid(int gridRow, int gridCol) const;

    GridModel* grid_;
    // What the views were last told; the grid may be ahead while its redraw is off.
    int rows_ = 0;
    int cols_ = 0;
};

}  // namespace sp
