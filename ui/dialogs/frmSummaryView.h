#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace sp {

class frmSummary;
class GridView;

// The summary window: the choices above, the summary grid or a group's reports below,
// the buttons at the foot. Resizable; its size and choices go back to the model when it
// closes, which keeps them.
class frmSummaryView : public QDialog {
    Q_OBJECT
  public:
    frmSummaryView(frmSummary& model, QWidget* parent = nullptr);

    void done(int result) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void PullChoices();
    void ShowPage();
    void Query();

    frmSummary& model_;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QComboBox* basis_ = nullptr;
    QComboBox* by1_ = nullptr;
    QComboBox* by2_ = nullptr;
    QCheckBox* audited_ = nullptr;
    QCheckBox* filter_ = nullptr;
    std::array<QLineEdit*, 6> bounds_{};
    QPushButton* back_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    GridView* summary_ = nullptr;
    GridView* reports_ = nullptr;
    bool queried_ = false;
};

// Registers the view of the dialog "frmSummary".
void RegisterSummaryView();

}  // namespace sp
