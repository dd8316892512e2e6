#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace sp::host {

// Plays a user who confirms the filter dialog as it stands, waits for the workbench,
// saves a picture of it and closes it. Once the workbench has handled its first
// activation (the list is loaded then) it prints how long the start took, counted on `started`
// (the program's own start). It watches the application's
// windows by their form names; message boxes that come up meanwhile are answered with their default button
// and echoed to stderr, so an unattended run never hangs.
class ScreenshotDriver : public QObject {
    Q_OBJECT
  public:
    ScreenshotDriver(QString pngPath, int timeoutMs, QElapsedTimer started, QObject* parent = nullptr);

    bool Saved() const { return saved_; }
    bool TimedOut() const { return timedOut_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ConfirmFilter(QWidget* dialog);
    void Capture(QWidget* workbench);
    void AnswerMessage(QWidget* box);
    void CloseEverything();

    QString path_;
    QElapsedTimer started_;
    bool saved_ = false;
    bool capturing_ = false;
    bool timedOut_ = false;
    qint64 readyMs_ = -1;
};

}  // namespace sp::host
