#pragma once

#include <QString>
#include <memory>

#include "platform/db/Database.h"

namespace sp::host {

// The databases erp-host works on: the demo file in the user's data folder unless a
// URL is given.
class HostDatabase {
  public:
    // The user's data folder (created): demo database, settings files, the log.
    static QString DataFolder();
    static QString DefaultDatabaseFile();

    // The database of --db, or the demo database. The demo database is created and
    // seeded on first use; a database named by --db must exist already (SQLite file or
    // PostgreSQL database) — `db init` creates one. Both are brought to the newest
    // schema. Raises ComError with a message for the user.
    static std::shared_ptr<platform::Database> OpenForWork(const QString& dbUrl);
    // Creates (SQLite) and migrates; safe to repeat.
    static std::shared_ptr<platform::Database> OpenForInit(const QString& dbUrl);

    // Demo data: base data, users and reports; a second run adds nothing.
    static void SeedDemo(platform::Database& db);
};

}  // namespace sp::host
