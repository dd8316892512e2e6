#include "app/host/ScreenshotDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "app/host/Texts.h"
#include "platform/db/Database.h"
#include "src/common/ErrorLog.h"

namespace sp::host {

namespace {
// Long enough for the window's first layout and paint after it is shown.
constexpr int SettleMs = 400;

// A message box may quote a database address: its password never shows.
void Say(const QString& text) {
    std::fprintf(stderr, "%s\n", platform::DatabaseUrl::Masked(text).toLocal8Bit().constData());
}

}  // namespace

ScreenshotDriver::ScreenshotDriver(QString pngPath, int timeoutMs, QElapsedTimer started, QObject* parent)
    : QObject(parent), path_(std::move(pngPath)), started_(started) {
    QTimer::singleShot(timeoutMs, this, [this] {
        if (saved_)
            return;
        timedOut_ = true;
        CloseEverything();
    });
}

bool ScreenshotDriver::eventFilter(QObject* watched, QEvent* event) {
    const bool activation =
        event->type() == QEvent::WindowActivate || event->type() == QEvent::ActivationChange;
    if ((event->type() != QEvent::Show && !activation) || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (!widget->isWindow())
        return false;
    const QString name = widget->objectName();
    if (activation) {
        if (name == QLatin1String("frmProc") && readyMs_ < 0) {
            readyMs_ = 0;
            // Queued: it runs once the workbench has handled its first activation, which
            // loads the list.
            QTimer::singleShot(0, this, [this] {
                readyMs_ = started_.elapsed();
                std::printf("Workbench ready %lld ms after the program started.\n",
                            static_cast<long long>(readyMs_));
                std::fflush(stdout);
            });
        }
        return false;
    }
    if (name == QLatin1String("frmWageFilter"))
        ConfirmFilter(widget);
    else if (name == QLatin1String("frmProc"))
        Capture(widget);
    else if (qobject_cast<QMessageBox*>(widget))
        AnswerMessage(widget);
    return false;
}

void ScreenshotDriver::ConfirmFilter(QWidget* dialog) {
    QPointer<QWidget> guard(dialog);
    // Queued: the dialog's own loop must be running when the button is pressed.
    QTimer::singleShot(0, this, [guard] {
        if (!guard)
            return;
        if (auto* ok = guard->findChild<QAbstractButton*>(QStringLiteral("cmdOK")))
            ok->click();
        else if (auto* d = qobject_cast<QDialog*>(guard.data()))
            d->accept();
    });
}

void ScreenshotDriver::Capture(QWidget* workbench) {
    if (capturing_)
        return;
    capturing_ = true;
    QPointer<QWidget> guard(workbench);
    QTimer::singleShot(SettleMs, this, [this, guard] {
        if (!guard)
            return;
        QApplication::processEvents();
        const QPixmap picture = guard->grab();
        saved_ = !picture.isNull() && picture.save(path_, "PNG");
        if (!saved_)
            Say(Texts::ScreenshotNotWritten(path_));
        guard->close();
        // A window that refuses to close is ended the hard way.
        QTimer::singleShot(SettleMs, this, [this] { CloseEverything(); });
    });
}

void ScreenshotDriver::AnswerMessage(QWidget* widget) {
    auto* box = static_cast<QMessageBox*>(widget);
    Say(Texts::MessageShown(box->text()));
    ErrorLog::Write(QStringLiteral("erp-host --screenshot"),
                    QStringLiteral("answered message: %1").arg(box->text()));
    QPointer<QMessageBox> guard(box);
    QTimer::singleShot(0, this, [guard] {
        if (!guard)
            return;
        if (QAbstractButton* button = guard->defaultButton())
            button->click();
        else
            guard->done(0);
    });
}

void ScreenshotDriver::CloseEverything() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible())
            continue;
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
        else
            w->close();
    }
}

}  // namespace sp::host
