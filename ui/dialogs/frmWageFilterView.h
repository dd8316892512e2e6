#pragma once

#include <QDialog>
#include <array>

#include "src/filters/FilterBounds.h"

class QComboBox;
class QLineEdit;
class QListView;
class QStackedWidget;
class QStandardItemModel;
class QToolButton;
class QTreeView;

namespace sp {

class frmWageFilter;

// The filter dialog's window. Every key, edit and click goes to the model; the window
// shows what the model holds and closes when the model says so.
class frmWageFilterView : public QDialog {
    Q_OBJECT
  public:
    frmWageFilterView(frmWageFilter& model, QWidget* parent = nullptr);
    ~frmWageFilterView() override;

    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QWidget* BuildConditions();
    QWidget* BuildPlans();
    void Refresh();
    // The plan list's view: 0 large icons, 1 small icons, 2 list, 3 details.
    void ShowPlanView(int view);
    void BoxEdited(int index, const QString& text);
    void Call(const char* where, const std::function<void()>& call);

    frmWageFilter& model_;
    std::array<QLineEdit*, kFilterBoxCount> boxes_{};
    std::array<QToolButton*, kFilterBoxCount> lookupButtons_{};
    QComboBox* groupBy_ = nullptr;
    QStandardItemModel* planModel_ = nullptr;
    QListView* plans_ = nullptr;
    QTreeView* planDetails_ = nullptr;
    QStackedWidget* planViews_ = nullptr;
    bool closing_ = false;
    bool refreshing_ = false;
};

}  // namespace sp
