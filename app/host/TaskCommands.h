#pragma once

#include <QString>
#include <cstdio>
#include <functional>
#include <memory>

#include "app/host/HostOptions.h"
#include "platform/db/Database.h"

namespace sp::host {

// erp-host task list and task release: the administrator's look at the work bills
// workstations hold, and releasing one (platform::TaskAdmin does the work).
class TaskCommands {
  public:
    using Print = std::function<void(FILE* to, const QString& text)>;
    TaskCommands(std::shared_ptr<platform::Database> db, Print print);

    // Both answer the exit code.
    int List();
    // Asks on the terminal unless o.yes; refuses without one.
    int Release(const HostOptions& o);

  private:
    // Who releases: on PostgreSQL the role signed in; on SQLite --user (a user of the
    // database) or the login name; false (and told) for an unknown --user.
    bool Releaser(const HostOptions& o, QString& name, qint32& userId);
    bool Confirm(const HostOptions& o, const QString& question);

    std::shared_ptr<platform::Database> db_;
    Print print_;
};

}  // namespace sp::host
