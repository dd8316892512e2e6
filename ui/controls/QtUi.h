#pragma once

#include <QPointer>
#include <QString>
#include <functional>

#include "src/common/Ui.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/LoadProgressPanel.h"

class QDialog;
class QWidget;

namespace sp {

// The Ui port on Qt Widgets: message and input boxes, the wait cursor, dialogs shown
// through their registered views (DialogViews.h), the help window (HelpWindow.h) and
// the progress of long loads (LoadProgressPanel.h).
class QtUi : public Ui {
  public:
    QtUi() = default;
    ~QtUi() override;

    MsgAnswer MessageBox(const MessageRequest& request) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    void SetWaitCursor(bool on) override;
    void ShowModal(DialogModel& model) override;
    void ProcessEvents() override;
    bool ShowHelp(const QString& htmlPath) override;
    bool ShowLoadProgress(LoadPane pane, int rowsRead, int total) override;
    void EndLoadProgress(LoadPane pane) override;
    std::optional<QString> ChooseSaveFile(const SaveFileRequest& request) override;
    void PreviewPrint(const PrintPreviewRequest& request) override;

    // Where a pane's load progress shows: over this widget, in its place (the workbench
    // gives its list and record grid labels, which cover the grids). Without a place on
    // screen the progress shows in a small window of its own.
    void SetLoadProgressPlace(LoadPane pane, QWidget* place);

    // The help window once it has been shown (it lives until its owner goes).
    HelpWindow* Help() const { return help_; }

    // Called with every message box, input box and dialog once it is on screen and its
    // modal loop runs (screenshots, tests). The window is still open when it returns.
    using ShownHook = std::function<void(QWidget* window)>;
    void SetShownHook(ShownHook hook) { shownHook_ = std::move(hook); }

    int WaitDepth() const { return waitDepth_; }

    // Texts join their lines with CR LF, some with a bare CR; Qt breaks lines at LF only.
    static QString DisplayText(const QString& text);

  private:
    // Shows a window built over its owner (ModalOwner.h) modally until it closes, and
    // returns what exec() returned.
    int RunModal(QDialog& dialog);

    ShownHook shownHook_;
    int waitDepth_ = 0;
    LoadProgressPanel loadProgress_;
    QPointer<HelpWindow> help_;
};

}  // namespace sp
