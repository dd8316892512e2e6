#pragma once

#include <QFrame>
#include <functional>

namespace sp {

// A splitter bar of the workbench (imgSpliterH, imgSpliterV): it reports the left
// button's press, moves and release with the pointer position in its parent's pixels;
// the workbench decides where the bar may go.
class SplitterBar : public QFrame {
    Q_OBJECT
  public:
    SplitterBar(Qt::Orientation movesAlong, QWidget* parent);

    std::function<void(QPoint)> pressed;
    std::function<void(QPoint)> dragged;
    std::function<void()> released;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool dragging_ = false;
};

}  // namespace sp
