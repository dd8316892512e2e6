#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <cstdio>

class QEvent;

namespace sp::host {

// Times what a clerk waits for: each input event as the program receives it and each
// paint of a window to the screen, on the monotonic clock, so that a driver outside the
// program can tell how long each step took from the key to the screen showing its
// result. Switched on by the environment variable SHOPPROC_TIMING_LOG naming a file
// (replaced at the start); without it nothing is installed. One line per record, fields
// separated by tabs, times in microseconds since the log was opened:
//   origin <ms>                                    the log's start on the system's monotonic clock
//   input  <µs> <kind> <key or button> <window> <sent>
//          kind: key, keyrelease, modifier (a modifier key alone), press, dblclick, release;
//          sent: the window system's time stamp of the event (an X server's: milliseconds
//          on the same monotonic clock, so <sent> against <origin> + <µs> is its way in)
//   paint  <µs begin> <µs end> <window> <widgets>  a window's pending paints done and flushed
//   idle   <µs>                                    the event loop about to wait for events
// An input line is written when the application first sees the window system's event,
// before any widget handles it (once, though Qt offers it to the window, the focus widget
// and each parent in turn). A paint line covers one window's backing store sync: every
// widget painted (<widgets> counts them; 0 when an exposure only flushes what was painted
// before) and the flush to the display server; <end> is when the display server has been
// sent the result. An idle line is written only when something was logged since the last.
class TimingLog : public QObject {
    Q_OBJECT
  public:
    // Null when the variable is not set.
    static TimingLog* StartFromEnvironment(QObject* parent);
    ~TimingLog() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TimingLog(std::FILE* file, QObject* parent);
    qint64 Now() const { return clock_.nsecsElapsed() / 1000; }
    void Input(QObject* watched, QEvent* event);
    void Paint(QObject* watched, QEvent* event);
    void Idle();

    std::FILE* file_;
    QElapsedTimer clock_;
    // The last input logged (its time stamp with its key or kind): Qt offers an event to
    // the window, then to the focus widget and each parent in turn.
    quint64 lastStamp_ = 0;
    bool lastWasKey_ = false;
    int paintDepth_ = 0;
    int painted_ = 0;
    bool busy_ = false;
};

}  // namespace sp::host
