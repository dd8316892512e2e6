#include "ui/workbench/SplitterBar.h"

#include <QMouseEvent>

namespace sp {

SplitterBar::SplitterBar(Qt::Orientation movesAlong, QWidget* parent) : QFrame(parent) {
    setCursor(movesAlong == Qt::Vertical ? Qt::SplitVCursor : Qt::SplitHCursor);
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);
}

void SplitterBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QFrame::mousePressEvent(event);
    dragging_ = true;
    if (pressed)
        pressed(mapToParent(event->position().toPoint()));
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && dragged)
        dragged(mapToParent(event->position().toPoint()));
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_)
        return QFrame::mouseReleaseEvent(event);
    dragging_ = false;
    if (released)
        released();
}

}  // namespace sp
