#pragma once

#include <QDialog>
#include <QPointer>

class QLabel;
class QWidget;

namespace sp {

class frmProc;
class GridView;
class SplitterBar;
class ToolbarView;
class WorkBillTreeView;
struct TwipRect;

// The workbench window: menus, the toolbar bands and the status band around the frame
// fraBar, which holds the tree tvw, the work bill list vlgList, the record grid vlgProc,
// their labels and the two splitter bars, placed by the workbench's layout at 15 twips
// per pixel. Every event that enters the workbench is a catch boundary.
class frmProcWindow : public QDialog {
    Q_OBJECT
  public:
    frmProcWindow(frmProc& form, QWidget* parent = nullptr);
    ~frmProcWindow() override;

    void setVisible(bool visible) override;

    static constexpr int TwipsPerPixel = 15;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void ApplyLayout();
    void ResizeForm();
    void SyncPanes();
    void ScheduleSync();
    void TrackFocus(QWidget* now);
    int ReportGridMinHeight() const;
    void Place(QWidget* widget, const TwipRect& rect);
    int Twips(int pixels) const { return pixels * TwipsPerPixel; }

    frmProc& form_;
    ToolbarView* toolbar_ = nullptr;
    QWidget* fraBar_ = nullptr;
    WorkBillTreeView* tvw_ = nullptr;
    SplitterBar* spliterH_ = nullptr;
    SplitterBar* spliterV_ = nullptr;
    GridView* vlgList_ = nullptr;
    GridView* vlgProc_ = nullptr;
    QLabel* lblList_ = nullptr;
    QLabel* lblProc_ = nullptr;
    bool syncPending_ = false;
    bool onScreen_ = false;  // shown once: the frame's sizes reach the workbench
    QMetaObject::Connection focusTracking_;
};

// Registers the window as the view of the dialog "frmProc".
void RegisterWorkbenchView();

}  // namespace sp
