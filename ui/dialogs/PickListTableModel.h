#pragma once

#include <QAbstractTableModel>

namespace sp {

class ListSelPickList;

// Shows a pick list's rows; the list owns them, this adapter only reads.
class PickListTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit PickListTableModel(ListSelPickList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The list's rows were replaced (a new search).
    void Reset();

  private:
    ListSelPickList& list_;
};

}  // namespace sp
