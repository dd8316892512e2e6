#pragma once

#include <QDialog>

class QKeyEvent;
class QLineEdit;
class QTableView;
class QTimer;

namespace sp {

class ListSelPickList;
class PickListTableModel;

// One view for every searchable pick list (frmList, the host's lookups, the resource
// browser): a search box, the rows, OK and Cancel. The model decides everything.
class PickListView : public QDialog {
    Q_OBJECT
  public:
    PickListView(ListSelPickList& list, QWidget* parent = nullptr);
    ~PickListView() override;

    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ApplySearch();
    // Down or PageDown in the search box: the list takes the focus and the key.
    bool EnterList(QKeyEvent* key);
    void SyncCurrent();
    void ShowCurrent();
    void Confirm();

    ListSelPickList& list_;
    PickListTableModel* model_;
    QLineEdit* search_;
    QTableView* table_;
    QTimer* searchDelay_;
    bool closing_ = false;
};

}  // namespace sp
