#include "platform/db/PgSignIn.h"

#include <libpq-fe.h>
#include <pwd.h>
#include <unistd.h>

#include <QByteArrayList>
#include <QSqlDriver>
#include <vector>

#include "src/common/ComError.h"

namespace sp::platform {

PgSignIn::Outcome PgSignIn::Try(const DatabaseUrl& url, QString* why) {
    // Only what the address names: libpq fills in the rest (PGUSER, PGPASSWORD,
    // ~/.pgpass, the operating system's user) as for every connection of the program.
    const QByteArray host = url.host.toUtf8(), port = QByteArray::number(url.port), name = url.name.toUtf8(),
                     user = url.user.toUtf8(), password = url.password.toUtf8();
    std::vector<const char*> keys{"host", "port", "dbname", "connect_timeout"};
    std::vector<const char*> values{host.constData(), port.constData(), name.constData(), "5"};
    if (!user.isEmpty()) {
        keys.push_back("user");
        values.push_back(user.constData());
    }
    if (!password.isEmpty()) {
        keys.push_back("password");
        values.push_back(password.constData());
    }
    // The address's link parameters (sslmode and the like), as the program's own sessions use them.
    std::vector<QByteArray> held;
    for (const auto& [key, value] : url.options) {
        held.push_back(key.toUtf8());
        held.push_back(value.toUtf8());
    }
    for (size_t i = 0; i < held.size(); i += 2) {
        keys.push_back(held[i].constData());
        values.push_back(held[i + 1].constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    PGconn* conn = PQconnectdbParams(keys.data(), values.data(), 0);
    Outcome outcome = Outcome::SignedIn;
    if (PQstatus(conn) != CONNECTION_OK) {
        if (why)
            *why = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
        if (PQconnectionNeedsPassword(conn))
            outcome = Outcome::PasswordNeeded;
        else if (PQconnectionUsedPassword(conn))
            outcome = Outcome::PasswordRefused;
        else
            outcome = Outcome::Failed;
    }
    PQfinish(conn);
    return outcome;
}

QString PgSignIn::DefaultUser(const DatabaseUrl& url) {
    if (!url.user.isEmpty())
        return url.user;
    if (const QString fromEnvironment = qEnvironmentVariable("PGUSER"); !fromEnvironment.isEmpty())
        return fromEnvironment;
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

namespace {

// The driver's libpq connection, named by the struct or by its typedef depending on the Qt build.
PGconn* HandleOf(const QSqlDatabase& connection) {
    const QVariant handle = connection.driver() ? connection.driver()->handle() : QVariant();
    return handle.isValid() &&
                   (qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0)
               ? *static_cast<PGconn* const*>(handle.constData())
               : nullptr;
}

}  // namespace

qint64 PgSignIn::BackendPid(QSqlDatabase connection) {
    PGconn* conn = connection.isOpen() ? HandleOf(connection) : nullptr;
    return conn ? PQbackendPID(conn) : 0;
}

QString PgSignIn::Verifier(QSqlDatabase connection, const QString& role, const QString& password) {
    PGconn* conn = HandleOf(connection);
    if (!conn)
        throw ComError(ErrorNumber::Refused, QStringLiteral("Database"),
                       QStringLiteral("A password verifier needs a PostgreSQL connection."));
    char* verifier = PQencryptPasswordConn(conn, password.toUtf8().constData(), role.toUtf8().constData(),
                                           "scram-sha-256");
    if (!verifier)
        throw ComError(ErrorNumber::Refused, QStringLiteral("Database"),
                       QStringLiteral("Cannot make a password verifier: %1")
                           .arg(QString::fromUtf8(PQerrorMessage(conn)).trimmed()));
    const QString text = QString::fromLatin1(verifier);
    PQfreemem(verifier);
    return text;
}

}  // namespace sp::platform
