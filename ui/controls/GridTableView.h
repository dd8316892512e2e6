#pragma once

#include <QTableView>

class QInputMethodEvent;

namespace sp {

// Where a grid's table views send the user's input; the grid widget turns it into
// GridModel calls.
class GridInputHandler {
  public:
    virtual ~GridInputHandler() = default;
    virtual void GridKeyPressed(QKeyEvent* event) = 0;
    virtual void GridTextTyped(const QString& text) = 0;
    virtual void GridMousePressed(QTableView* view, QMouseEvent* event) = 0;
    virtual void GridMouseDragged(QTableView* view, QMouseEvent* event) = 0;
    virtual void GridDoubleClicked(QTableView* view, QMouseEvent* event) = 0;
};

// A table view that leaves keys, clicks and editing to its handler: it never moves the
// cursor, selects or opens an editor on its own.
class GridTableView : public QTableView {
    Q_OBJECT
  public:
    GridTableView(GridInputHandler* handler, QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

  private:
    GridInputHandler* handler_;
};

}  // namespace sp
