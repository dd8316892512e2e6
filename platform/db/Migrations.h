#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/db/Database.h"

namespace sp::platform {

// Brings a database to the newest schema. Runs on every open: a database that is up
// to date costs one read; otherwise the steps run in one transaction under a lock,
// so processes opening the same database at once apply each step exactly once.
class Migrations {
  public:
    // Refuses (ComError, ErrorNumber::Refused) a database whose schema is newer than
    // this program's, and one without the schema unless the policy lets it be made
    // there: in an empty database, or beside other tables. Answers what the administrator
    // should know of the steps it applied (users that cannot become PostgreSQL roles).
    static QStringList Apply(Database& db, SchemaPolicy policy = SchemaPolicy::CreateIfEmpty);
    // 0 for a database that has never been migrated.
    static int CurrentVersion(Database& db);
    static int LatestVersion();
    // Tests only: runs in every Apply that finds the database not up to date, between its
    // first read and taking the lock, so that a test can let another opener finish there.
    // Set while no database is being opened; empty for none.
    static void PauseBeforeLock(std::function<void()> pause);
    // The statements of one step for a dialect, tokens replaced.
    static QStringList Statements(int version, Dialect dialect);
    // The schema's spelling by lower-case name: tables, "table.column", and bare
    // column names (the first table's spelling).
    static const QHash<QString, QString>& ColumnSpellings();
};

}  // namespace sp::platform
