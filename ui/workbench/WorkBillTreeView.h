#pragma once

#include <QHash>
#include <QTreeView>

class QStandardItem;
class QStandardItemModel;

namespace sp {

class TreeModel;

// The tree pane tvw: a QTreeView mirroring the headless TreeModel node by node. The
// user's clicks, Enter and Space go back to the model as clicks, the keyboard's moves
// of the current node as cursor moves; the model's owner decides what either lists.
class WorkBillTreeView : public QTreeView {
    Q_OBJECT
  public:
    WorkBillTreeView(TreeModel* model, QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

  private:
    void Rebuild();
    void AddNode(const QString& key);
    void ShowExpanded(const QString& key, bool expanded);
    void ShowSelected(const QString& key);
    void ScrollTo(const QString& key);
    void OnClicked(const QModelIndex& index);
    static QString KeyOf(const QModelIndex& index);

    TreeModel* model_;
    QStandardItemModel* items_;
    QHash<QString, QStandardItem*> byKey_;
    // Set while the view shows the model's state, so that it is not reported back.
    bool syncing_ = false;
    // Set while a key press is handled: only then is a new current node a cursor move
    // (a mouse press moves Qt's current index too, and its click reports it).
    bool keying_ = false;
};

}  // namespace sp
