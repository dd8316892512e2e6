#pragma once

#include <QString>
#include <memory>
#include <mutex>

#include "platform/db/Database.h"
#include "platform/db/FuncTaskStore.h"

namespace sp::platform {

// The usage log (t_UsageLog): one line per command a user ran. On PostgreSQL the lines
// are written in the order given on the session of this process's held work bills
// (FuncTaskStore), which a workstation keeps open anyway, by that session's own thread, so
// that no command waits for a round trip for its line; a line the server refuses goes to
// the application log. On SQLite, which runs in this process, a line is written at once.
// Lines still to be written when the log goes are written before the store closes.
class UsageLog {
  public:
    UsageLog(std::shared_ptr<Database> db, qint32 userId, QString computerName);
    UsageLog(const UsageLog&) = delete;
    UsageLog& operator=(const UsageLog&) = delete;

    void Write(const QString& functionCode, qint16 action);
    // Until every line given so far is written (or refused).
    void Flush();

  private:
    std::shared_ptr<Database> db_;
    qint32 userId_;
    QString computerName_;
    std::mutex mutex_;
    std::shared_ptr<FuncTaskStore> store_;  // PostgreSQL, from the first line on
};

}  // namespace sp::platform
