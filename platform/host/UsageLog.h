#pragma once

#include <QDateTime>
#include <QString>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/db/Database.h"

namespace sp::platform {

// The usage log (t_UsageLog): one line per command a user ran. On PostgreSQL the lines
// are written by a thread of its own on a session of its own, in the order given, so
// that no command waits for a round trip to the server for its line; a line the server
// refuses goes to the application log. On SQLite, which runs in this process, a line is
// written at once. The destructor writes what is still queued.
class UsageLog {
  public:
    UsageLog(std::shared_ptr<Database> db, qint32 userId, QString computerName);
    ~UsageLog();
    UsageLog(const UsageLog&) = delete;
    UsageLog& operator=(const UsageLog&) = delete;

    void Write(const QString& functionCode, qint16 action);
    // Until every line given so far is written (or refused).
    void Flush();

  private:
    struct Line {
        QString functionCode;
        qint32 action;
        QDateTime time;
    };
    void Store(const Line& line);
    void Run();

    std::shared_ptr<Database> db_;
    qint32 userId_;
    QString computerName_;
    QString connectionName_;  // the thread's session
    std::mutex mutex_;
    std::condition_variable wake_, written_;
    std::deque<Line> lines_;
    int writing_ = 0;  // lines taken from the queue and not written yet
    bool stop_ = false;
    std::thread worker_;
};

}  // namespace sp::platform
