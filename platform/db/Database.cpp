#include "platform/db/Database.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <utility>

#include "platform/db/DatabaseInternals.h"
#include "platform/db/Migrations.h"

// Opening a database, the pool of connections per thread, and what every connection is
// set up with.

namespace sp::platform {
using namespace detail;
namespace {

constexpr int kBusyTimeoutMs = 10000;

// Which physical connections exist, per pool. A connection is removed either when
// its Database dies or when the thread that opened it ends, whichever comes first.
struct PoolRegistry {
    std::mutex mutex;
    std::map<QString, std::set<QString>> pools;

    static PoolRegistry& Instance() {
        static PoolRegistry registry;
        return registry;
    }

    // Takes the name out of the registry; true when it was still there.
    bool Take(const QString& pool, const QString& name) {
        std::lock_guard lock(mutex);
        auto it = pools.find(pool);
        return it != pools.end() && it->second.erase(name) > 0;
    }
};

std::optional<FileIdentity> IdentityOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

// Set when this thread's connection table is gone (the thread is ending): a
// Database that dies later, e.g. during static destruction, must not touch it.
thread_local bool threadTableGone = false;

QString NewPoolName() {
    return QStringLiteral("sp-db-%1").arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
}

void ExecPragma(QSqlDatabase& db, const QString& pragma) {
    QSqlQuery query(db);
    if (!query.exec(pragma))
        Fail(QStringLiteral("Cannot prepare the SQLite database %1: %2")
                 .arg(db.databaseName(), query.lastError().text()));
}

// WAL is a property of the file, set once. Switching needs the file to itself, and
// SQLite refuses at once rather than wait when another connection is switching or
// reading it at that moment (processes opening a new file together), so ask again
// within the busy timeout.
void UseWal(QSqlDatabase& db) {
    QElapsedTimer waited;
    waited.start();
    QString why;
    for (;;) {
        QSqlQuery query(db);
        if (query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) && query.next() &&
            query.value(0).toString().compare(QStringLiteral("wal"), Qt::CaseInsensitive) == 0)
            return;
        why = query.lastError().isValid() ? query.lastError().text()
                                          : QStringLiteral("the file stays in another mode");
        // Only a busy or locked file is worth asking again.
        const QString code = query.lastError().nativeErrorCode();
        if (waited.elapsed() > kBusyTimeoutMs ||
            (query.lastError().isValid() && code != QLatin1String("5") && code != QLatin1String("6")))
            break;
        QThread::msleep(20);
    }
    Fail(QStringLiteral("Cannot switch the SQLite database %1 to WAL mode: %2").arg(db.databaseName(), why));
}

// The workbench writes to every database it opens, and SQLite keeps its journal (the WAL
// and its index) beside the file: a folder or a file the user cannot write would only
// fail later, as "attempt to write a readonly database" at the first read of a WAL file
// or the first save. Both are named at once, by their full paths. (access() also tells a
// read-only mount; root writes anyway and passes.)
void CheckWritable(const QFileInfo& file) {
    const QString folder = file.absolutePath();
    const bool folderWritable = ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
    const bool fileWritable =
        !file.exists() || ::access(QFile::encodeName(file.absoluteFilePath()).constData(), W_OK) == 0;
    if (!folderWritable && !fileWritable)
        Fail(QStringLiteral("Neither the folder %1 nor the database file %2 in it can be written by this "
                            "user: the database cannot be used. SQLite writes its journal beside the file.")
                 .arg(QDir::toNativeSeparators(folder), QDir::toNativeSeparators(file.absoluteFilePath())));
    if (!folderWritable)
        Fail(QStringLiteral("The folder %1 cannot be written by this user, so the database %2 in it cannot "
                            "be used: SQLite writes its journal beside the file. Make the folder writable or "
                            "move the database to a folder that is.")
                 .arg(QDir::toNativeSeparators(folder), file.fileName()));
    if (!fileWritable)
        Fail(QStringLiteral("The database file %1 cannot be written by this user (it is read-only), so the "
                            "database cannot be used.")
                 .arg(QDir::toNativeSeparators(file.absoluteFilePath())));
}

// Reading the catalogue touches the file: one that is not a database fails here, at
// once, rather than at the first statement (or after the busy timeout).
void CheckIsDatabase(QSqlDatabase& db, const QString& path) {
    QSqlQuery probe(db);
    if (probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")))
        return;
    const QSqlError error = probe.lastError();
    if (error.nativeErrorCode() == QLatin1String("26"))  // SQLITE_NOTADB
        Fail(QStringLiteral("%1 is not a SQLite database.").arg(QFileInfo(path).absoluteFilePath()));
    Fail(QStringLiteral("Cannot read the SQLite database %1: %2").arg(path, error.text()));
}

}  // namespace

namespace detail {

ThreadConnections::~ThreadConnections() {
    threadTableGone = true;
    for (auto& [pool, connection] : byPool) {
        connection.statements.reset();
        if (PoolRegistry::Instance().Take(pool, connection.name))
            QSqlDatabase::removeDatabase(connection.name);
    }
}

ThreadConnections& ThisThread() {
    if (threadTableGone)
        Fail(QStringLiteral("No database connection while the thread ends."));
    thread_local ThreadConnections connections;
    return connections;
}

// A SQLite writing unit goes only to the file the connection opened.
void CheckFileUnchanged(const DatabaseUrl& url, const ThreadConnection& connection) {
    if (url.dialect != Dialect::SQLite || !connection.file)
        return;
    if (IdentityOf(url.path) != connection.file)
        Fail(QStringLiteral("The database file %1 was deleted or replaced while the program had it open; "
                            "nothing was written. Close the program and open it again on the right file.")
                 .arg(QFileInfo(url.path).absoluteFilePath()));
}

}  // namespace detail

Database::Database(DatabaseUrl url) : url_(std::move(url)), poolName_(NewPoolName()) {
    std::lock_guard lock(PoolRegistry::Instance().mutex);
    PoolRegistry::Instance().pools[poolName_];
}

Database::~Database() {
    std::set<QString> names;
    {
        auto& registry = PoolRegistry::Instance();
        std::lock_guard lock(registry.mutex);
        names = std::move(registry.pools[poolName_]);
        registry.pools.erase(poolName_);
    }
    if (!threadTableGone)
        ThisThread().byPool.erase(poolName_);
    for (const QString& name : names) QSqlDatabase::removeDatabase(name);
}

std::shared_ptr<Database> Database::Open(const DatabaseUrl& url, bool create) {
    return Open(url, create ? SchemaPolicy::CreateIfEmpty : SchemaPolicy::Require);
}

std::shared_ptr<Database> Database::Open(const DatabaseUrl& url, SchemaPolicy policy) {
    if (url.dialect == Dialect::SQLite) {
        const QFileInfo file(url.path);
        if (!file.exists()) {
            if (policy == SchemaPolicy::Require)
                Fail(QStringLiteral("The database file %1 does not exist.").arg(file.absoluteFilePath()));
            if (!QDir().mkpath(file.absolutePath()))
                Fail(
                    QStringLiteral("Cannot create the folder %1 for the database.").arg(file.absolutePath()));
        } else if (file.isDir()) {
            Fail(QStringLiteral("%1 is a folder, not a database file.").arg(file.absoluteFilePath()));
        } else if (!file.isFile()) {
            // A device or a pipe: SQLite would put its journal beside it.
            Fail(QStringLiteral("%1 is not a regular file and cannot hold a database.")
                     .arg(file.absoluteFilePath()));
        }
        CheckWritable(file);
    }
    std::shared_ptr<Database> db(new Database(url));
    QSqlDatabase connection = db->Connection();  // reachable, and a database
    db->migrationNotes_ = Migrations::Apply(*db, policy);
    if (url.dialect == Dialect::SQLite) {
        db->useWal_ = true;
        UseWal(connection);
        ExecPragma(connection, QStringLiteral("PRAGMA synchronous=NORMAL"));
    }
    return db;
}

void Database::OpenPhysical(QSqlDatabase& db) {
    if (url_.dialect == Dialect::SQLite) {
        db.setDatabaseName(url_.path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    } else {
        db.setHostName(url_.host);
        db.setPort(url_.port);
        db.setDatabaseName(url_.name);
        db.setUserName(url_.user);
        db.setPassword(url_.password);
        // Settings of the session go with its start, as libpq's connection parameters (the
        // driver passes them on as written, a ";" read as a blank), not as statements after
        // it. Quoted text is read the standard way whatever the server's, the database's or
        // the role's default (a setting the client gives wins over those): a backslash is a
        // character and only a doubled quote stands for a quote. The conditions the component
        // builds as text quote their values by doubling quotes only, and the platform's statements
        // write ESCAPE '\': under a default that took a backslash as an escape, a value
        // ending in one would end its literal early and the rest of it would run as SQL.
        // A link that dies (a VPN that drops, a server that vanishes) is noticed within a
        // minute: keepalives probe an idle link after 20 s, three times 10 s apart, and data
        // the server does not acknowledge for 60 s ends the connection; the statement then
        // fails with the driver's message instead of waiting for ever. The address's own
        // parameters (sslmode and the like) go after these, so theirs win.
        QString options = QStringLiteral(
            "connect_timeout=5;application_name=shopproc;client_encoding=UTF8;"
            "options='-c standard_conforming_strings=on';keepalives=1;keepalives_idle=20;"
            "keepalives_interval=10;keepalives_count=3;tcp_user_timeout=60000");
        for (const auto& [key, value] : url_.options) options += u';' + key + u'=' + value;
        db.setConnectOptions(options);
    }
    if (!db.open()) {
        const QString why = db.lastError().text().trimmed();
        if (url_.dialect == Dialect::SQLite)
            Fail(QStringLiteral("Cannot open the SQLite database %1: %2").arg(url_.path, why));
        Fail(QStringLiteral("Cannot connect to the PostgreSQL database \"%1\" on %2:%3 as %4: %5")
                 .arg(url_.name, url_.host)
                 .arg(url_.port)
                 .arg(url_.user, why));
    }
    if (url_.dialect == Dialect::SQLite) {
        // Every connection: the busy timeout and sync level are per connection; WAL is
        // kept in the file, set once Open knows the file holds the schema.
        ExecPragma(db, QStringLiteral("PRAGMA busy_timeout=%1").arg(kBusyTimeoutMs));
        CheckIsDatabase(db, url_.path);
        if (useWal_) {
            UseWal(db);
            ExecPragma(db, QStringLiteral("PRAGMA synchronous=NORMAL"));
        }
    }
}

QSqlDatabase Database::Connection() {
    auto& mine = ThisThread().byPool;
    auto found = mine.find(poolName_);
    if (found != mine.end()) {
        if (!found->second.lost)
            return QSqlDatabase::database(found->second.name, false);
        // The rest of a transaction never runs on a new session, where it would be
        // committed piece by piece.
        if (found->second.depth > 0)
            FailLostTransaction();
        const QString lost = found->second.name;
        mine.erase(found);
        if (PoolRegistry::Instance().Take(poolName_, lost))
            QSqlDatabase::removeDatabase(lost);
    }

    const QString name =
        QStringLiteral("%1/%2").arg(poolName_).arg(reinterpret_cast<quintptr>(QThread::currentThreadId()));
    const QString driver =
        url_.dialect == Dialect::SQLite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, name);
        try {
            OpenPhysical(db);
        } catch (...) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw;
        }
        opened_.fetch_add(1);
    }
    {
        auto& registry = PoolRegistry::Instance();
        std::lock_guard lock(registry.mutex);
        registry.pools[poolName_].insert(name);
    }
    mine[poolName_] = ThreadConnection{
        name,   0, false, false, url_.dialect == Dialect::SQLite ? IdentityOf(url_.path) : std::nullopt,
        nullptr};
    return QSqlDatabase::database(name, false);
}

QSqlDatabase Database::OpenDedicated(const QString& name) {
    const QString driver =
        url_.dialect == Dialect::SQLite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, name);
    try {
        OpenPhysical(db);
    } catch (...) {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        throw;
    }
    return db;
}

}  // namespace sp::platform
