#pragma once

#include <QDialog>
#include <array>

class QLineEdit;

namespace sp {

class frmInfoFilter;

// The record info filter's window: two boxes and the two buttons. The model decides
// what a confirm, a cancel and a plain close mean.
class frmInfoFilterView : public QDialog {
    Q_OBJECT
  public:
    frmInfoFilterView(frmInfoFilter& model, QWidget* parent = nullptr);

    void accept() override;
    void reject() override;

  private:
    void Confirm();
    void Cancel();

    frmInfoFilter& model_;
    std::array<QLineEdit*, 2> boxes_{};
};

}  // namespace sp
