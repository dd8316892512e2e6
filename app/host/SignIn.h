#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "platform/db/Database.h"

namespace sp::host {

// Who signs in, with what password. The password lives in this process's memory only, to
// open further connections; it is never written, logged or shown.
struct Credentials {
    QString user;
    QString password;
};

// Asks the person at the program for a password when the server wants one.
class PasswordAsker {
  public:
    virtual ~PasswordAsker() = default;
    // user: who would sign in (it may be changed); where: "database (host:port)";
    // problem: why the last try was refused, empty on the first. nullopt: cancelled, or
    // nobody can be asked.
    virtual std::optional<Credentials> Ask(const QString& user, const QString& where,
                                           const QString& problem) = 0;
};

// On the terminal, without echo; nobody to ask when the program has no terminal.
class TerminalAsker : public PasswordAsker {
  public:
    std::optional<Credentials> Ask(const QString& user, const QString& where,
                                   const QString& problem) override;
};

// Opens the database as its address says; on PostgreSQL, when the server wants a password
// that libpq does not have (PGPASSWORD, ~/.pgpass) or refuses the one given, asks `asker`
// (three times at most) and tries again. Without an asker, or when it cannot ask, refuses
// with a message saying how to give the password. Raises ComError.
std::shared_ptr<platform::Database> OpenSignedIn(platform::DatabaseUrl url, platform::SchemaPolicy policy,
                                                 PasswordAsker* asker);

// A new password: typed twice on the terminal without echo, or the first line of the
// standard input (fromStdin, for scripts). Raises ComError when there is no terminal to
// ask on, the two differ, or it is empty.
QString NewPassword(const QString& forWhom, bool fromStdin);

}  // namespace sp::host
