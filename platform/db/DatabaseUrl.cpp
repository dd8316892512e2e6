#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "platform/db/Database.h"
#include "src/common/ComError.h"

namespace sp::platform {
namespace {

[[noreturn]] void Refuse(const QString& url, const QString& why) {
    throw ComError(ErrorNumber::Refused, QStringLiteral("Database"),
                   QStringLiteral("Invalid database address \"%1\": %2").arg(DatabaseUrl::Masked(url), why));
}

DatabaseUrl ParsePostgres(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        Refuse(text, QStringLiteral("not a valid postgresql://user@host[:port]/database address (%1)")
                         .arg(DatabaseUrl::Masked(url.errorString())));
    if (url.hasQuery() || url.hasFragment())
        Refuse(text, QStringLiteral("options after '?' or '#' are not supported"));
    DatabaseUrl result;
    result.dialect = Dialect::PostgreSQL;
    result.host = url.host();
    if (result.host.isEmpty())
        Refuse(text, QStringLiteral("the server's host name is missing"));
    // QUrl refuses a non-numeric port already; out-of-range ones it lets through.
    const int port = url.port(5432);
    if (port < 1 || port > 65535)
        Refuse(text, QStringLiteral("the port must be a number from 1 to 65535"));
    result.port = port;
    result.user = url.userName(QUrl::FullyDecoded);
    if (result.user.isEmpty())
        Refuse(text, QStringLiteral("the user name is missing"));
    result.password = url.password(QUrl::FullyDecoded);
    QString name = url.path(QUrl::FullyDecoded);
    if (name.startsWith(QLatin1Char('/')))
        name.remove(0, 1);
    if (name.isEmpty())
        Refuse(text, QStringLiteral("the database name is missing"));
    if (name.contains(QLatin1Char('/')))
        Refuse(text, QStringLiteral("the database name must not contain '/'"));
    result.name = name;
    return result;
}

DatabaseUrl ParseSqlite(const QString& text, QString path) {
    if (path.startsWith(QStringLiteral("//"))) {
        // file:///abs/path, the URL form of a local file
        const QUrl url(QStringLiteral("file:") + path);
        if (!url.isValid() || !url.isLocalFile() || !url.host().isEmpty())
            Refuse(text, QStringLiteral("only local files can hold a SQLite database"));
        path = url.toLocalFile();
    }
    if (path.trimmed().isEmpty())
        Refuse(text, QStringLiteral("the SQLite file name is missing"));
    if (path.endsWith(QLatin1Char('/')))
        Refuse(text, QStringLiteral("the SQLite file name names a folder"));
    DatabaseUrl result;
    result.dialect = Dialect::SQLite;
    result.path = path;
    return result;
}

}  // namespace

DatabaseUrl DatabaseUrl::Parse(const QString& url) {
    const QString text = url.trimmed();
    if (text.isEmpty())
        Refuse(url, QStringLiteral("no database given"));
    if (text.startsWith(QStringLiteral("postgresql://"), Qt::CaseInsensitive) ||
        text.startsWith(QStringLiteral("postgres://"), Qt::CaseInsensitive))
        return ParsePostgres(text);
    if (text.startsWith(QStringLiteral("sqlite:"), Qt::CaseInsensitive))
        return ParseSqlite(url, text.mid(7));
    if (text.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive))
        return ParseSqlite(url, text.mid(5));
    const qsizetype scheme = text.indexOf(QStringLiteral("://"));
    // "C:/data/x.db" is a path, "mysql://..." a database we do not speak.
    if (scheme > 1)
        Refuse(url, QStringLiteral("unsupported kind of database \"%1\" (use a SQLite file or postgresql://)")
                        .arg(text.left(scheme)));
    return ParseSqlite(url, text);
}

QString DatabaseUrl::ConnectionText() const {
    QString text;
    if (dialect == Dialect::SQLite)
        text = QStringLiteral("Provider=SQLite;Data Source=%1").arg(QFileInfo(path).absoluteFilePath());
    else
        text = QStringLiteral("Provider=PostgreSQL;Server=%1;Port=%2;Database=%3;User ID=%4")
                   .arg(host)
                   .arg(port)
                   .arg(name, user);
    // The host cuts the connection text at the first "}".
    return text.replace(QLatin1Char('}'), QStringLiteral("%7D"));
}

QString DatabaseUrl::ToString() const {
    if (dialect == Dialect::SQLite)
        return QStringLiteral("sqlite:") + path;
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setUserName(user);
    if (!password.isEmpty())
        url.setPassword(QStringLiteral("***"));
    url.setHost(host);
    url.setPort(port);
    url.setPath(QLatin1Char('/') + name);
    return url.toString();
}

QString DatabaseUrl::Masked(const QString& text) {
    QString shown;
    qsizetype copied = 0;
    for (qsizetype scheme = text.indexOf(QStringLiteral("://")); scheme >= 0;) {
        const qsizetype from = scheme + 3;
        const qsizetype next = text.indexOf(QStringLiteral("://"), from);
        const qsizetype end = next < 0 ? text.size() : next;
        // The last "@" before the next address: a password that QUrl cannot read may hold
        // "@", "/" or "?" as typed. No authority ("file:///path"): nothing to hide.
        const qsizetype at = text.lastIndexOf(QLatin1Char('@'), end - 1);
        const qsizetype colon = text.indexOf(QLatin1Char(':'), from);
        if (from < end && text[from] != QLatin1Char('/') && at >= from && colon >= 0 && colon < at) {
            shown += text.mid(copied, colon + 1 - copied) + QStringLiteral("***");
            copied = at;
        }
        scheme = next;
    }
    return shown + text.mid(copied);
}

}  // namespace sp::platform
