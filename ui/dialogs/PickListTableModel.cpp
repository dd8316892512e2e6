#include "ui/dialogs/PickListTableModel.h"

#include "src/entry/ListSelPickList.h"

namespace sp {

PickListTableModel::PickListTableModel(ListSelPickList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {}

int PickListTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.RowCount();
}

int PickListTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.ColumnCount();
}

QVariant PickListTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return list_.Cell(index.row(), index.column());
}

QVariant PickListTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return list_.ColumnTitle(section);
    return section + 1;
}

void PickListTableModel::Reset() {
    beginResetModel();
    endResetModel();
}

}  // namespace sp
