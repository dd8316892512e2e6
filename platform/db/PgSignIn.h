#pragma once

#include <QSqlDatabase>
#include <QString>

#include "platform/db/Database.h"

namespace sp::platform {

// Signing in to PostgreSQL as the server's administrator set it up (pg_hba.conf): the
// server authenticates, the program only supplies a password when libpq has none of its
// own (PGPASSWORD, ~/.pgpass) and the server asks for one.
class PgSignIn {
  public:
    enum class Outcome {
        SignedIn,         // the server let the session in
        PasswordNeeded,   // the server asks for a password and libpq has none
        PasswordRefused,  // a password was given and the server refused the sign-in
        Failed,           // anything else: unreachable, no such database, ...
    };
    // Connects once as the address says (with its password, if any) and tells what
    // happened; `why` gets the server's or libpq's reason, never a password.
    static Outcome Try(const DatabaseUrl& url, QString* why = nullptr);

    // Who the program signs in as when the address names nobody: PGUSER, else the
    // operating system's user, as libpq itself would.
    static QString DefaultUser(const DatabaseUrl& url);

    // A SCRAM-SHA-256 verifier of the password for the role, made here so that the server
    // never receives the password itself (libpq's PQencryptPasswordConn on the
    // connection's session). Raises ComError when it cannot be made.
    static QString Verifier(QSqlDatabase connection, const QString& role, const QString& password);

    // The server process of the connection's session as libpq knows it (no statement);
    // 0 when it is not an open PostgreSQL connection.
    static qint64 BackendPid(QSqlDatabase connection);
};

}  // namespace sp::platform
