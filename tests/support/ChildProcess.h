#pragma once

#include <signal.h>

#include <QElapsedTimer>
#include <QProcess>
#include <ctime>

namespace sp::test {

// The wall clock in microseconds, as a test and the processes it starts compare it.
inline qint64 NowMicros() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<qint64>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

// Another process of a test, talked to line by line. When it still runs at the end it is
// told `farewell` (when given) and then killed, woken first should it be stopped.
class ChildProcess {
  public:
    ChildProcess(const QString& program, const QStringList& args, const QByteArray& farewell = {})
        : farewell_(farewell) {
        process_.start(program, args);
    }
    ~ChildProcess() {
        if (process_.state() == QProcess::NotRunning)
            return;
        if (!farewell_.isEmpty()) {
            Say(farewell_);
            if (process_.waitForFinished(5000))
                return;
        }
        Signal(SIGCONT);
        KillHard();
    }

    // The next line it says; empty when it says none within the time.
    QString Line(int seconds) {
        QElapsedTimer timer;
        timer.start();
        while (!process_.canReadLine() && timer.elapsed() < seconds * 1000)
            if (!process_.waitForReadyRead(500) && process_.state() == QProcess::NotRunning)
                break;
        return QString::fromUtf8(process_.readLine()).trimmed();
    }
    void Say(const QByteArray& line) { process_.write(line + '\n'); }
    void Signal(int signal) { ::kill(static_cast<pid_t>(process_.processId()), signal); }
    // SIGKILL, no chance to clean up; reaped, so no zombie keeps its process id alive.
    void KillHard() {
        process_.kill();
        process_.waitForFinished(10000);
    }
    bool Finish(int seconds) { return process_.waitForFinished(seconds * 1000) && process_.exitCode() == 0; }
    QString Errors() { return QString::fromLocal8Bit(process_.readAllStandardError()).right(4000); }

  private:
    QByteArray farewell_;
    QProcess process_;
};

}  // namespace sp::test
