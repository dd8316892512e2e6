#pragma once

#include <QString>
#include <functional>

namespace sp::platform {

// Backup and restore of a SQLite database that workstations may have open, through
// SQLite's online backup: pages are copied under SQLite's own locks, so a backup is one
// consistent snapshot of the file and its -wal, and a restore is one write transaction
// of the live file like any other, through its -wal, which every connection then sees.
// Copying the files instead breaks both: a -wal beside the file a copy lands on is
// replayed into that copy by the next program that opens it.
// Both raise ComError with a message for the administrator; a refusal changes nothing.
class SqliteBackup {
  public:
    // Writes a copy of the database file `database` to `file`: a database of its own
    // (rollback journal, nothing left in a -wal) holding this program's tables, written
    // under a temporary name beside `file`, synced, and only then renamed over it, so a
    // failure leaves an older `file` as it was. Refused when `file` is the database or
    // one of the files SQLite keeps beside it, and when the database is damaged or does
    // not hold this program's tables in a schema version it knows.
    static void Backup(const QString& database, const QString& file);

    // Replaces the content of the database file `database` with that of `file`: refused
    // when `file` is not a SQLite database, is damaged, does not hold this program's
    // tables, or holds a newer schema version than this program knows. `beforeWriting`
    // runs once `file` has passed those checks and before anything is written; it refuses
    // by throwing. Answers the schema version of `file`: an older one is brought up to
    // date by opening the database as the program does, which is the caller's to do.
    static int Restore(const QString& file, const QString& database,
                       const std::function<void()>& beforeWriting = {});
};

}  // namespace sp::platform
