#include "ui/controls/ModalOwner.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QWidget>
#include <QWindow>

namespace sp {

QWidget* ModalOwner() {
    if (QWidget* active = QApplication::activeModalWidget())
        return active;
    return QApplication::activeWindow();
}

QWidget* ModalOwnerOnScreen() {
    QWidget* owner = ModalOwner();
    QWindow* handle = owner ? owner->windowHandle() : nullptr;
    if (!handle || !handle->isVisible())
        return owner;
    QDeadlineTimer deadline(2000);
    while (!handle->isExposed() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
        if (!handle->isExposed())
            QThread::msleep(5);
    }
    if (handle->isExposed()) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        owner->repaint();
    }
    return owner;
}

}  // namespace sp
