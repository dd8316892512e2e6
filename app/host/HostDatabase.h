#pragma once

#include <QString>
#include <memory>

#include "platform/db/Database.h"

namespace sp::host {
class PasswordAsker;
}

namespace sp::host {

// The databases erp-host works on: the demo file in the user's data folder unless a
// URL is given.
class HostDatabase {
  public:
    // The user's data folder (created): demo database, settings files, the log. Raises
    // ComError when it cannot be made.
    static QString DataFolder();
    static QString DemoDatabaseFile(const QString& dataFolder);

    // The database of --db, or (dbUrl empty) the demo database of dataFolder. Only the
    // demo database is created, with its schema and demo data, on first use; a database
    // named by --db must hold the schema already (`db init` makes it) and is brought to
    // the newest one. On PostgreSQL asker is asked for the password when the server wants
    // one that libpq does not have (see OpenSignedIn). Raises ComError with a message for
    // the user.
    static std::shared_ptr<platform::Database> OpenForWork(const QString& dbUrl, const QString& dataFolder,
                                                           PasswordAsker* asker = nullptr);
    // Creates (SQLite) and migrates; safe to repeat. A database with tables of another
    // program is refused unless force is set.
    static std::shared_ptr<platform::Database> OpenForInit(const QString& dbUrl, const QString& dataFolder,
                                                           bool force = false,
                                                           PasswordAsker* asker = nullptr);

    // Demo data: base data, users and reports; a second run adds nothing.
    static void SeedDemo(platform::Database& db);
};

}  // namespace sp::host
