#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QWidget>

#include "src/controls/ToolbarModel.h"

class QAction;
class QLabel;
class QMainWindow;
class QMenuBar;
class QStatusBar;
class QToolBar;

namespace sp {

// The toolbar control on screen: a menu bar for the menu bands, one tool bar per
// toolbar band and a status bar for the status band, all over one ToolbarModel. A tool
// that stands in a menu and in a band is one QAction, so both show the same state.
// Clicks go to ToolbarModel::Click; the model decides what they change.
class ToolbarView : public QObject {
    Q_OBJECT
  public:
    // The widgets belong to window from the start; its layout (or InstallInto) places
    // them. The view itself is a child of window too.
    ToolbarView(ToolbarModel* model, QWidget* window);

    void InstallInto(QMainWindow* window);

    QMenuBar* MenuBar() const { return menuBar_; }
    const QList<QToolBar*>& ToolBars() const { return toolBars_; }
    QStatusBar* StatusBar() const { return statusBar_; }
    QAction* Action(const QString& toolName) const;
    // The label showing a tool in the status band or a label in a toolbar band.
    QLabel* Label(const QString& toolName) const;

  private:
    void Build(QWidget* window);
    QAction* ActionFor(const ToolState& tool);
    QLabel* NewLabel(const ToolState& tool, QWidget* parent);
    void SyncTool(const QString& name);
    void Repaint();

    ToolbarModel* model_;
    QMenuBar* menuBar_ = nullptr;
    QList<QToolBar*> toolBars_;
    QStatusBar* statusBar_ = nullptr;
    QHash<QString, QAction*> actions_;       // by lower-case tool name
    QHash<QString, QList<QLabel*>> labels_;  // by lower-case tool name
    QList<QWidget*> created_;                // children of the window, repainted on request
};

}  // namespace sp
