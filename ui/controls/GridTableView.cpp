#include "ui/controls/GridTableView.h"

#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace sp {

GridTableView::GridTableView(GridInputHandler* handler, QWidget* parent)
    : QTableView(parent), handler_(handler) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::NoSelection);  // the grid model selects
    setTabKeyNavigation(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setAttribute(Qt::WA_InputMethodEnabled);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(0);
}

void GridTableView::keyPressEvent(QKeyEvent* event) { handler_->GridKeyPressed(event); }

void GridTableView::mousePressEvent(QMouseEvent* event) { handler_->GridMousePressed(this, event); }

void GridTableView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        handler_->GridMouseDragged(this, event);
}

void GridTableView::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

void GridTableView::mouseDoubleClickEvent(QMouseEvent* event) { handler_->GridDoubleClicked(this, event); }

void GridTableView::inputMethodEvent(QInputMethodEvent* event) {
    // Text composed with an input method arrives here, not as key presses.
    if (!event->commitString().isEmpty())
        handler_->GridTextTyped(event->commitString());
    event->accept();
}

}  // namespace sp
