#pragma once

#include <QString>
#include <optional>

#include "platform/db/Database.h"

namespace sp::platform {

// The users of the workbench as rows: t_User, and the rights mask of the process report
// function in t_UserRight (the bits: src/entry/Rights.h). What an administrator does with
// them, and on PostgreSQL the roles that follow them: UserAdmin.

// Why name cannot be a user's name, or empty when it can: the login properties cannot
// carry ";", "=", "{", "}", "|" or a control character (tab, line break, ...); an invisible
// format character (a direction override, a zero-width space) would make it look like
// another name; at most 64 characters.
QString UserNameProblem(const QString& name);
// The id of the user named exactly name, if there is one.
std::optional<qint32> FindUser(Database& db, const QString& name);
// A new user with the workbench rights in rightsMask. Raises ComError
// (ErrorNumber::Refused) when the name is empty, taken or one UserNameProblem refuses, and
// on PostgreSQL one no role can carry (PgGuard::RoleNameProblem: over 63 bytes, "pg_...").
void AddUser(Database& db, const QString& name, quint32 rightsMask);
// A user under an id of the caller's choosing, unchecked: the demo's users, whose ids are
// fixed.
void InsertUser(Database& db, qint32 id, const QString& name, const QString& description, quint32 mask);
// Adds the rights in mask to what the user has. Raises ComError (Refused) for an
// unknown user.
void GrantRights(Database& db, const QString& name, quint32 mask);

}  // namespace sp::platform
