#pragma once

#include <QString>

#include "platform/db/Database.h"

namespace sp::platform {

// Rights masks of the workbench (subsystem 1024, function 30 in t_UserRight).
namespace Rights {
constexpr quint32 Open = 0x200000;
constexpr quint32 Audit = 0x1;  // audit and unaudit
constexpr quint32 Delete = 0x10000;
constexpr quint32 NewReports = 0x20000;
constexpr quint32 ChangeReports = 0x400000;
constexpr quint32 All = Open | Audit | Delete | NewReports | ChangeReports;
}  // namespace Rights

// A small machining shop to try the workbench on: departments, work centers,
// processes, teams and workers, devices, items, production tasks with their work
// bills, the users "demo" (id 1, every right) and "clerk" (id 2, no new reports),
// and the system profile. Does nothing when the database already holds work bills,
// so it is safe to call on every start. All or nothing.
void SeedDemo(Database& db);

// Why name cannot be a user's name, or empty when it can: the login properties cannot
// carry ";", "=", "{", "}", "|" or a control character (tab, line break, ...); an invisible
// format character (a direction override, a zero-width space) would make it look like
// another name; at most 64 characters.
QString UserNameProblem(const QString& name);
// A new user with the workbench rights in rightsMask. Raises ComError
// (ErrorNumber::Refused) when the name is empty, taken or one UserNameProblem refuses, and
// on PostgreSQL one no role can carry (PgGuard::RoleNameProblem: over 63 bytes, "pg_...").
void AddUser(Database& db, const QString& name, quint32 rightsMask);
// Adds the rights in mask to what the user has. Raises ComError (Refused) for an
// unknown user.
void GrantRights(Database& db, const QString& name, quint32 mask);

}  // namespace sp::platform
