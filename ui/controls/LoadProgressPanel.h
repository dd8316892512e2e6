#pragma once

#include <QObject>
#include <QPointer>
#include <array>
#include <memory>

#include "src/common/Ui.h"

class QWidget;

namespace sp {

// The progress of a long list or history load (LoadProgress) on the screen: per pane a
// panel with the count and a button that cancels the load. While a panel shows, nothing
// else the clerk does reaches the component.
class LoadProgressPanel {
  public:
    LoadProgressPanel() = default;
    ~LoadProgressPanel();
    LoadProgressPanel(const LoadProgressPanel&) = delete;
    LoadProgressPanel& operator=(const LoadProgressPanel&) = delete;

    // Where a pane's panel shows: over this widget, in its place. Without a place on
    // screen the panel shows in a small window of its own.
    void SetPlace(LoadPane pane, QWidget* place);
    // Shows rowsRead of total rows (total -1 when not known) and lets the screen run;
    // false once the clerk has cancelled. waitCursor: the wait cursor is on, and turns
    // into the busy one while the clerk may click.
    bool Show(LoadPane pane, int rowsRead, int total, bool waitCursor);
    // The pane's panel goes; after the last one the clerk's input and the wait cursor
    // come back.
    void End(LoadPane pane, bool waitCursor);

  private:
    struct Pane {
        QPointer<QWidget> place;
        QPointer<QWidget> row;
        bool cancelled = false;
    };
    Pane& At(LoadPane pane) { return panes_[static_cast<size_t>(pane)]; }
    QWidget* Row(LoadPane pane, bool waitCursor);
    void Close(Pane& pane, bool waitCursor);

    std::array<Pane, 2> panes_;
    // While a panel shows: drops the clerk's input to everything but its cancel buttons.
    std::unique_ptr<QObject> inputGate_;
};

}  // namespace sp
