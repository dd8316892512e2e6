#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QListWidget;
class QPushButton;

namespace sp {

class frmSetCol;

// The column settings dialog's window: the checkable column list, the restore box and
// the buttons. Every click, tick and key goes to the model; the window then shows the
// model's items, current item and enabled states again.
class frmSetColView : public QDialog {
    Q_OBJECT
  public:
    frmSetColView(frmSetCol& model, QWidget* parent = nullptr);

    // Escape, the close box and cmdCancel all cancel.
    void reject() override;

  private:
    // Runs a model call, then shows the model again; with showCurrent the list scrolls
    // to the current item, otherwise it keeps its scroll position.
    void Act(const char* where, const std::function<void()>& call, bool showCurrent = false);
    void Confirm();
    void Refresh(bool showCurrent);

    frmSetCol& model_;
    QListWidget* list_ = nullptr;
    QCheckBox* chkDefault_ = nullptr;
    QPushButton* moveUp_ = nullptr;
    QPushButton* moveDown_ = nullptr;
    QPushButton* all_ = nullptr;
    QPushButton* none_ = nullptr;
    QPushButton* ok_ = nullptr;
    bool refreshing_ = false;
};

}  // namespace sp
