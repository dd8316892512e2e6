#pragma once

#include <QHash>
#include <QTreeView>

class QStandardItem;
class QStandardItemModel;

namespace sp {

class TreeModel;

// The tree pane tvw: a QTreeView mirroring the headless TreeModel node by node. The
// user's clicks go back to the model, which decides what a click lists.
class WorkBillTreeView : public QTreeView {
    Q_OBJECT
public:
    WorkBillTreeView(TreeModel* model, QWidget* parent);

private:
    void Rebuild();
    void AddNode(const QString& key);
    void ShowExpanded(const QString& key, bool expanded);
    void ShowSelected(const QString& key);
    void ScrollTo(const QString& key);
    void OnClicked(const QModelIndex& index);

    TreeModel* model_;
    QStandardItemModel* items_;
    QHash<QString, QStandardItem*> byKey_;
    bool syncing_ = false;
};

}  // namespace sp
