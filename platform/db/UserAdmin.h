#pragma once

#include <QString>
#include <memory>

#include "platform/db/Database.h"

namespace sp::platform {

// The users of the workbench as an administrator manages them (the rows themselves:
// Users.h). On SQLite a user is a row of t_User with its rights in t_UserRight, and the
// file's permissions guard the rest. On PostgreSQL each user is also a login role of the
// server, authenticated by it; the database makes the roles and their group memberships
// follow the two tables (PgGuard), and passwords travel only as SCRAM verifiers made here.
// Every change is one transaction. Refusals raise ComError: NotFound for an unknown user,
// Refused otherwise, with a message for the administrator.
class UserAdmin {
  public:
    explicit UserAdmin(std::shared_ptr<Database> db) : db_(std::move(db)) {}

    struct Identity {
        qint32 userId = 0;
        QString name;
    };
    // PostgreSQL: the user the session signed in as (its role, session_user); NotFound,
    // naming the role, when it is no user of this database.
    Identity SessionUser();
    // PostgreSQL: the role the session signed in as (session_user), whether or not it is a
    // user.
    QString SessionRole();
    // PostgreSQL: whether the server has a role of that name that may sign in (a user of
    // another of its databases keeps its password).
    bool RoleSignsIn(const QString& name);
    // Whether this session may manage users and release held work bills: always on SQLite;
    // on PostgreSQL an administrator (member of the database's admins role), the tables'
    // owner or a superuser.
    bool MayAdminister();

    // A new user with the rights in mask; on PostgreSQL its role signs in with `password`,
    // or, when that is empty, keeps its login as it is (a new role gets none until a
    // password is set).
    void Add(const QString& name, quint32 mask, const QString& password);
    void Grant(const QString& name, quint32 mask);
    void Revoke(const QString& name, quint32 mask);
    // PostgreSQL only: administrators, passwords and leavers.
    void SetAdmin(const QString& name, bool admin);
    void SetPassword(const QString& name, const QString& password);
    // The role may no longer sign in and its sessions in this database end; its rows and
    // reports stay. Answers how many sessions ended.
    int Disable(const QString& name);
    // The session's own password.
    void ChangeOwnPassword(const QString& password);

  private:
    qint32 RequireUser(const QString& name);
    void RequirePostgres(const QString& what);
    std::shared_ptr<Database> db_;
};

}  // namespace sp::platform
