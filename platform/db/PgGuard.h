#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "platform/db/Database.h"

namespace sp::platform {

// The database's own guard on PostgreSQL: group roles named after the database, table and
// column privileges, row security keyed on the session's user, and functions for what a
// user may do but not write directly (posting quantities with an audit, ending a holder's
// session, passwords). The workbench's checks stay in front of it, to give the clerk the
// proper message first; the guard holds whatever program a user connects with. What
// holds which rule: docs/security.md.
class PgGuard {
  public:
    // A group role of the database: "users" (every user: connect and read), "admins"
    // (users, rights, held work bills), and one per right of the workbench's mask.
    struct GroupRole {
        const char* kind;
        quint32 rights;  // the mask bit the role carries; 0 for users and admins
    };
    static const std::vector<GroupRole>& GroupRoles();
    // "<database>_<kind>", e.g. shopfloor_audit: roles are the server's, shared by all its
    // databases, so each database has its own.
    static QString RoleName(const QString& database, const char* kind);

    // Creates the group roles, the privileges, the policies and the functions, and makes the
    // users of t_User login roles (without login until an administrator sets a password).
    // Runs inside the migration's transaction; safe to run again. Raises ComError
    // (Refused) when the session may not make roles or does not own the tables. Answers
    // what the administrator should know: the users that cannot become roles.
    static QStringList Install(Database& db);

    // Why a user name cannot be a PostgreSQL role's (empty when it can): 1 to 63 bytes of
    // UTF-8, not beginning with "pg_".
    static QString RoleNameProblem(const QString& name);
    // name as an SQL identifier: in double quotes, inner ones doubled.
    static QString QuoteIdent(const QString& name);
    // The statements of a script: split at ";" outside quotes, dollar-quoted bodies and
    // comments.
    static QStringList SplitStatements(const QString& script);
};

}  // namespace sp::platform
