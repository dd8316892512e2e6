#include "app/host/TimingLog.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace sp::host {
namespace {

QByteArray WindowOf(QObject* watched) {
    QString name;
    if (watched->isWidgetType()) {
        const QWidget* window = static_cast<QWidget*>(watched)->window();
        name = window->objectName().isEmpty() ? QString::fromLatin1(window->metaObject()->className())
                                              : window->objectName();
    } else if (watched->isWindowType()) {
        // A widget's window is named after its widget.
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->windowHandle() == watched)
                return WindowOf(top);
        name = QString::fromLatin1(watched->metaObject()->className());
    }
    return name.replace(u'\t', u' ').toUtf8();
}

QByteArray KeyName(const QKeyEvent* e) {
    return QKeySequence(e->keyCombination()).toString(QKeySequence::PortableText).toUtf8();
}

QByteArray ButtonName(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return "left";
        case Qt::RightButton:
            return "right";
        case Qt::MiddleButton:
            return "middle";
        default:
            return QByteArray::number(static_cast<int>(button));
    }
}

bool IsModifier(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
           key == Qt::Key_AltGr || key == Qt::Key_CapsLock;
}

}  // namespace

TimingLog* TimingLog::StartFromEnvironment(QObject* parent) {
    const QByteArray path = qgetenv("SHOPPROC_TIMING_LOG");
    if (path.isEmpty())
        return nullptr;
    std::FILE* file = std::fopen(path.constData(), "w");
    if (!file)
        return nullptr;
    return new TimingLog(file, parent);
}

TimingLog::TimingLog(std::FILE* file, QObject* parent) : QObject(parent), file_(file) {
    // Each line reaches the file as it is written: a driver reads it while the program runs.
    std::setvbuf(file_, nullptr, _IOLBF, 4096);
    clock_.start();
    // The origin on the system's monotonic clock, in milliseconds: an X server stamps its
    // events on the same clock, so a reader can tell how long an event took to arrive.
    std::fprintf(file_, "origin\t%lld\n", static_cast<long long>(clock_.msecsSinceReference()));
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TimingLog::Idle);
    if (parent)
        parent->installEventFilter(this);
}

TimingLog::~TimingLog() { std::fclose(file_); }

bool TimingLog::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
            Input(watched, event);
            return false;
        case QEvent::Paint:
            painted_ += paintDepth_ > 0 ? 1 : 0;
            return false;
        case QEvent::UpdateRequest:
            if (watched->isWindowType() ||
                (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow())) {
                Paint(watched, event);
                return true;
            }
            return false;
        case QEvent::Expose:
            if (watched->isWindowType()) {
                Paint(watched, event);
                return true;
            }
            return false;
        default:
            return false;
    }
}

// A key is offered first as a shortcut override, then as a press; the window, then the
// focus widget and its parents see it. One line for all of them: the first.
void TimingLog::Input(QObject* watched, QEvent* event) {
    const auto* input = static_cast<QInputEvent*>(event);
    const bool key = event->type() != QEvent::MouseButtonPress &&
                     event->type() != QEvent::MouseButtonDblClick &&
                     event->type() != QEvent::MouseButtonRelease;
    if (!key && !event->spontaneous())
        return;
    const qint64 now = Now();
    QByteArray kind, name;
    const quint64 sent = input->timestamp();
    quint64 stamp = sent;
    if (key) {
        const auto* k = static_cast<const QKeyEvent*>(event);
        if (k->isAutoRepeat())
            return;
        kind = event->type() == QEvent::KeyRelease ? "keyrelease" : IsModifier(k->key()) ? "modifier" : "key";
        name = KeyName(k);
        stamp = (stamp << 9) ^ (static_cast<quint64>(k->key()) << 1) ^ (event->type() == QEvent::KeyRelease);
    } else {
        const auto* m = static_cast<const QMouseEvent*>(event);
        kind = event->type() == QEvent::MouseButtonPress      ? "press"
               : event->type() == QEvent::MouseButtonDblClick ? "dblclick"
                                                              : "release";
        name = ButtonName(m->button());
        stamp = (stamp << 8) ^ static_cast<quint64>(event->type());
    }
    if (stamp == lastStamp_ && key == lastWasKey_)
        return;
    lastStamp_ = stamp;
    lastWasKey_ = key;
    std::fprintf(file_, "input\t%lld\t%s\t%s\t%s\t%llu\n", static_cast<long long>(now), kind.constData(),
                 name.constData(), WindowOf(watched).constData(), static_cast<unsigned long long>(sent));
    busy_ = true;
}

// The event is delivered from here and the filter then takes it, so that the end of the
// paint and flush can be timed: a filter sees an event only before its receiver does.
// (Filters installed on the window itself then miss its update requests and exposures;
// the program installs none, and the log is on only while measuring.)
void TimingLog::Paint(QObject* watched, QEvent* event) {
    const bool outer = paintDepth_++ == 0;
    const qint64 begin = Now();
    if (outer)
        painted_ = 0;
    watched->event(event);
    --paintDepth_;
    if (!outer || (painted_ == 0 && event->type() != QEvent::Expose))
        return;
    std::fprintf(file_, "paint\t%lld\t%lld\t%s\t%d\n", static_cast<long long>(begin),
                 static_cast<long long>(Now()), WindowOf(watched).constData(), painted_);
    busy_ = true;
}

void TimingLog::Idle() {
    if (!busy_)
        return;
    busy_ = false;
    std::fprintf(file_, "idle\t%lld\n", static_cast<long long>(Now()));
}

}  // namespace sp::host
