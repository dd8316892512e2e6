#pragma once

#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "src/common/Ui.h"

class QWidget;

namespace sp {

// The Ui port on Qt Widgets: message and input boxes, the wait cursor, dialogs shown
// through their registered views (DialogViews.h) and documents in the desktop viewer.
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
    bool OpenDocument(const QString& path) override;
    bool ShowLoadProgress(LoadPane pane, int rowsRead, int total) override;
    void EndLoadProgress(LoadPane pane) override;
    std::optional<QString> ChooseSaveFile(const SaveFileRequest& request) override;
    void PreviewPrint(const PrintPreviewRequest& request) override;

    // Where a pane's load progress shows: over this widget, in its place (the workbench
    // gives its list and record grid labels, which cover the grids). Without a place on
    // screen the progress shows in a small window of its own.
    void SetLoadProgressPlace(LoadPane pane, QWidget* place);

    // Called with every message box, input box and dialog once it is on screen and its
    // modal loop runs (screenshots, tests). The window is still open when it returns.
    using ShownHook = std::function<void(QWidget* window)>;
    void SetShownHook(ShownHook hook) { shownHook_ = std::move(hook); }

    int WaitDepth() const { return waitDepth_; }

    // Texts join their lines with CR LF, some with a bare CR; Qt breaks lines at LF only.
    static QString DisplayText(const QString& text);

  private:
    // Arms the hook for a window about to enter its modal loop.
    void ArmShownHook(QWidget* window);

    // The progress of a pane's load: the row with the count and its cancel button.
    struct Progress {
        QPointer<QWidget> place;
        QPointer<QWidget> row;
        bool cancelled = false;
    };
    QWidget* ProgressRow(LoadPane pane);
    void CloseProgress(Progress& progress);

    ShownHook shownHook_;
    int waitDepth_ = 0;
    std::array<Progress, 2> progress_;
    // While a progress shows: drops the clerk's input to everything but its cancel buttons.
    std::unique_ptr<QObject> inputGate_;
};

}  // namespace sp
