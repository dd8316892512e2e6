#include "platform/db/Database.h"

#include <poll.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QThread>
#include <QUuid>
#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <utility>

#include "platform/db/Migrations.h"
#include "platform/db/PgInline.h"
#include "platform/db/ValueNormaliser.h"
#include "src/common/ComError.h"

// libpq, which the Qt driver uses: the table of a result column, and a session's socket.
extern "C" {
struct pg_result;
struct pg_conn;
unsigned int PQftable(const pg_result* res, int column);
int PQsocket(const pg_conn* conn);
}

namespace sp::platform {
namespace {

constexpr int kBusyTimeoutMs = 10000;

QString Source() { return QStringLiteral("Database"); }

[[noreturn]] void Fail(const QString& message) { throw ComError(ErrorNumber::Database, Source(), message); }

[[noreturn]] void FailStatement(const QSqlError& error, const QString& sql) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    Fail(QStringLiteral("%1 [%2]").arg(text, sql.simplified().left(300)));
}

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

// SQLite statements prepared on one connection, by their text: preparing (parsing and
// planning) costs more than running the short statements the workbench sends, again and
// again with other values.
using StatementCache = std::map<QString, std::unique_ptr<QSqlQuery>>;
constexpr size_t kCachedStatements = 256;

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

struct ThreadConnection {
    QString name;
    int depth = 0;
    bool doomed = false;  // an inner guard gave up: the outer one may not commit
    // The server went away. Outside a transaction the next use opens a new session; inside
    // one the transaction went with it, and nothing runs until its outermost guard ends.
    bool lost = false;
    // SQLite: the file this connection opened, so a write can tell when it was deleted
    // or replaced under it (a write would then go to a file nobody sees again).
    std::optional<FileIdentity> file;
    // Goes before the connection does: a prepared statement must not outlive it.
    std::shared_ptr<StatementCache> statements;
};

// The statements still to run before an injected fault; 0: none is injected.
std::atomic<int> statementsBeforeFault{0};

void InjectedFault(const QString& sql) {
    int left = statementsBeforeFault.load();
    while (left > 0 && !statementsBeforeFault.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 1)
        Fail(QStringLiteral("Injected fault [%1]").arg(sql.simplified().left(120)));
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

// Resets a reused statement once its caller is done, whatever happened: a SQLite
// statement that is not reset keeps its read snapshot.
struct FinishStatement {
    QSqlQuery* query;
    ~FinishStatement() {
        if (query)
            query->finish();
    }
};

// Set when this thread's connection table is gone (the thread is ending): a
// Database that dies later, e.g. during static destruction, must not touch it.
thread_local bool threadTableGone = false;

// This thread's connections, by pool.
struct ThreadConnections {
    std::map<QString, ThreadConnection> byPool;
    ~ThreadConnections() {
        threadTableGone = true;
        for (auto& [pool, connection] : byPool) {
            connection.statements.reset();
            if (PoolRegistry::Instance().Take(pool, connection.name))
                QSqlDatabase::removeDatabase(connection.name);
        }
    }
};

ThreadConnections& ThisThread() {
    if (threadTableGone)
        Fail(QStringLiteral("No database connection while the thread ends."));
    thread_local ThreadConnections connections;
    return connections;
}

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

// The table oid of each field of a PostgreSQL result (0 for an expression).
QList<quint32> FieldTableOids(const QSqlQuery& query, int count) {
    QList<quint32> oids(count, 0);
    const QVariant handle = query.result() ? query.result()->handle() : QVariant();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_result*") != 0 && qstrcmp(handle.typeName(), "PGresult*") != 0))
        return oids;
    const pg_result* result = *static_cast<pg_result* const*>(handle.constData());
    if (!result)
        return oids;
    for (int i = 0; i < count; ++i) oids[i] = PQftable(result, i);
    return oids;
}

QString LostText(const QSqlError& error, const QString& sql, bool inTransaction) {
    return QStringLiteral("The connection to the database server was lost (%1); %2 [%3]")
        .arg(error.text().trimmed(),
             inTransaction ? QStringLiteral("the transaction was rolled back with it.")
                           : QStringLiteral("the next call connects again."),
             sql.simplified().left(300));
}

[[noreturn]] void FailLostTransaction() {
    Fail(
        QStringLiteral("The connection to the database server was lost during the transaction, which "
                       "was rolled back with it; nothing more runs in it."));
}

// True when the server has ended this idle session (an administrator, a restart, a
// timeout), or is ending it: it says why and closes the socket. An idle session of ours is
// otherwise told nothing, so anything waiting in its socket means it is gone; asking the
// socket costs no round trip, and a statement not yet sent on it never reached a server.
bool EndedByServer(const QSqlDatabase& session) {
    if (!session.isOpen())
        return true;
    // Qt names the driver's handle by the struct or by libpq's typedef, as it was built.
    const QVariant handle = session.driver()->handle();
    if (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0)
        return false;
    const pg_conn* connection = *static_cast<pg_conn* const*>(handle.constData());
    pollfd socket{connection ? PQsocket(connection) : -1, POLLIN, 0};
    return socket.fd < 0 || ::poll(&socket, 1, 0) != 0;
}

}  // namespace

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
        db.setConnectOptions(
            QStringLiteral("connect_timeout=5;application_name=shopproc;client_encoding=UTF8;"
                           "options='-c standard_conforming_strings=on'"));
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

int Database::FailStatementAfter(int n) { return statementsBeforeFault.exchange(std::max(n, 0)); }

void Database::Run(QSqlQuery& query, const QString& sql, const QVariantList& params) {
    InjectedFault(sql);
    bool ok;
    if (params.isEmpty()) {
        ok = query.exec(sql);
    } else if (url_.dialect == Dialect::PostgreSQL) {
        ok = query.exec(PgInline(sql, params, *query.driver()));
    } else {
        ok = query.prepare(sql);
        if (ok) {
            for (const QVariant& param : params) query.addBindValue(ValueNormaliser::Bindable(param));
            ok = query.exec();
        }
    }
    if (!ok)
        Failed(query.lastError(), sql);
}

void Database::Failed(const QSqlError& error, const QString& sql) {
    if (url_.dialect == Dialect::PostgreSQL && DropIfDead(error))
        Fail(LostText(error, sql, TransactionDepth() > 0));
    FailStatement(error, sql);
}

bool Database::DropIfDead(const QSqlError& error) {
    // A statement the server itself refused (a duplicate key, a syntax error) carries
    // the server's SQLSTATE: the session is alive, and inside a transaction every
    // probe would fail until the rollback, so it must not be taken for a lost one.
    const QString state = error.nativeErrorCode();
    if (!state.isEmpty() && !state.startsWith(QStringLiteral("08")) &&
        !state.startsWith(QStringLiteral("57P")))
        return false;
    auto& mine = ThisThread().byPool;
    const auto found = mine.find(poolName_);
    if (found == mine.end())
        return false;
    const QString name = found->second.name;
    {
        QSqlDatabase session = QSqlDatabase::database(name, false);
        QSqlQuery probe(session);
        if (session.isOpen() && probe.exec(QStringLiteral("SELECT 1")))
            return false;
        // "current transaction is aborted": the server answered, so the session lives.
        if (session.isOpen() && probe.lastError().nativeErrorCode() == QStringLiteral("25P02"))
            return false;
    }
    // A server restart or a network failure: the session and its transaction are
    // gone. A new session is opened on next use (not now: the failed statement's query
    // still refers to this one), once no transaction guard of this thread is open.
    found->second.lost = true;
    return true;
}

void Database::ReplaceEndedSession() {
    auto& mine = ThisThread().byPool;
    const auto found = mine.find(poolName_);
    if (found != mine.end() && !found->second.lost &&
        EndedByServer(QSqlDatabase::database(found->second.name, false)))
        found->second.lost = true;
}

bool Database::LostOutsideTransaction() {
    auto& mine = ThisThread().byPool;
    const auto found = mine.find(poolName_);
    return found != mine.end() && found->second.lost && found->second.depth == 0;
}

// What runs again after a lost session, and why only that:
// - Nothing inside a transaction: the transaction went with the session, and its
//   remaining statements must not run on a new one (Connection refuses them).
// - Outside a transaction, a session the server had already ended before the statement
//   was sent is replaced first: the statement never reached a server, so any statement,
//   a write too, runs once on the new session.
// - A loss that shows only once the statement was sent (the server went while it ran,
//   or before a word of it reached us) leaves unknown whether the statement took effect.
//   Query and Scalar, which read (and the component's idempotent updates through
//   AppConnection::Execute), and the BEGIN of an outermost transaction, which does nothing
//   a lost session keeps, run once more on a new session. Exec does not: it may be a write
//   that was done, and running it twice could store it twice; its caller gets the error.
// If the new session cannot be opened, that error is the caller's.
template <class Attempt>
auto Database::Reconnecting(bool repeatable, Attempt&& attempt) {
    if (url_.dialect != Dialect::PostgreSQL || TransactionDepth() > 0)
        return attempt();
    ReplaceEndedSession();
    if (!repeatable)
        return attempt();
    try {
        return attempt();
    } catch (const ComError&) {
        if (!LostOutsideTransaction())
            throw;
    }
    return attempt();
}

QSqlQuery* Database::PreparedStatement(const QString& sql) {
    if (url_.dialect != Dialect::SQLite)
        return nullptr;
    QSqlDatabase connection = Connection();
    ThreadConnection& mine = ThisThread().byPool[poolName_];
    if (!mine.statements)
        mine.statements = std::make_shared<StatementCache>();
    StatementCache& cache = *mine.statements;
    if (const auto found = cache.find(sql); found != cache.end())
        // In use further up this thread's stack: that caller keeps it.
        return found->second->isActive() ? nullptr : found->second.get();
    if (cache.size() >= kCachedStatements) {
        // Full, mostly of one-off statements with their values written in: those not
        // in use go, and the ones run again come back as they are used.
        std::erase_if(cache, [](const auto& entry) { return !entry.second->isActive(); });
        if (cache.size() >= kCachedStatements)
            return nullptr;
    }
    auto query = std::make_unique<QSqlQuery>(connection);
    query->setForwardOnly(true);
    // A statement that does not prepare takes the plain way, which reports why.
    if (!query->prepare(sql))
        return nullptr;
    return cache.emplace(sql, std::move(query)).first->second.get();
}

void Database::RunPrepared(QSqlQuery& query, const QString& sql, const QVariantList& params) {
    InjectedFault(sql);
    for (int i = 0; i < params.size(); ++i) query.bindValue(i, ValueNormaliser::Bindable(params[i]));
    if (!query.exec())
        Failed(query.lastError(), sql);
}

RecordsetPtr Database::Query(const QString& sql, const QVariantList& params) {
    return Reconnecting(true, [&] { return QueryOnce(sql, params); });
}

RecordsetPtr Database::QueryOnce(const QString& sql, const QVariantList& params) {
    QSqlQuery* prepared = PreparedStatement(sql);
    const FinishStatement finish{prepared};
    std::optional<QSqlQuery> own;
    if (!prepared)
        own.emplace(Connection());
    QSqlQuery& query = prepared ? *prepared : *own;
    // Forward only on PostgreSQL too: a scrollable query has the driver ask the
    // catalogue for the table of each field of a result, statement after statement.
    // The field names need the tables (the schema's spelling), so their oids are read
    // from the result and named from a cache of our own once the rows are in (nothing
    // else may use the connection while a forward-only result is being read).
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (prepared)
        RunPrepared(query, sql, params);
    else
        Run(query, sql, params);
    if (!query.isSelect()) {
        auto empty = std::make_shared<Recordset>();
        empty->Close();
        return empty;
    }
    const ValueNormaliser normaliser(url_.dialect, sql, query);
    QList<quint32> oids;
    if (url_.dialect == Dialect::PostgreSQL)
        oids = FieldTableOids(query, query.record().count());
    QVector<QVariantList> rows;
    while (query.next()) rows << normaliser.Row(query);
    if (query.lastError().isValid())
        Failed(query.lastError(), sql);
    query.finish();
    return std::make_shared<Recordset>(normaliser.FieldNames(TableNames(oids)), std::move(rows));
}

QStringList Database::TableNames(const QList<quint32>& oids) {
    if (oids.isEmpty())
        return {};
    QStringList missing;
    {
        std::lock_guard lock(tablesMutex_);
        for (const quint32 oid : oids)
            if (oid != 0 && !tableByOid_.contains(oid) && !missing.contains(QString::number(oid)))
                missing << QString::number(oid);
    }
    if (!missing.isEmpty()) {
        QHash<quint32, QString> found;
        for (const QString& oid : std::as_const(missing)) found.insert(oid.toUInt(), QString());
        QSqlQuery query(Connection());
        query.setForwardOnly(true);
        // Every table of the schema at once: the first few statements name most of them.
        const QString sql = QStringLiteral(
                                "SELECT oid, relname FROM pg_class WHERE oid IN (%1) OR "
                                "(relkind = 'r' AND relnamespace = current_schema()::regnamespace)")
                                .arg(missing.join(QStringLiteral(", ")));
        if (!query.exec(sql))
            Failed(query.lastError(), sql);
        while (query.next()) found.insert(query.value(0).toUInt(), query.value(1).toString());
        std::lock_guard lock(tablesMutex_);
        tableByOid_.insert(found);
    }
    QStringList tables;
    tables.reserve(oids.size());
    std::lock_guard lock(tablesMutex_);
    for (const quint32 oid : oids) tables << tableByOid_.value(oid);
    return tables;
}

int Database::Exec(const QString& sql, const QVariantList& params) {
    // A write outside a transaction is a writing unit of its own.
    if (url_.dialect == Dialect::SQLite) {
        auto& mine = ThisThread().byPool;
        if (const auto found = mine.find(poolName_); found != mine.end() && found->second.depth == 0)
            CheckFileUnchanged(url_, found->second);
    }
    return Reconnecting(false, [&] {
        QSqlQuery* prepared = PreparedStatement(sql);
        const FinishStatement finish{prepared};
        if (prepared) {
            RunPrepared(*prepared, sql, params);
            return prepared->isSelect() ? 0 : prepared->numRowsAffected();
        }
        QSqlQuery query(Connection());
        query.setForwardOnly(true);
        Run(query, sql, params);
        return query.isSelect() ? 0 : query.numRowsAffected();
    });
}

QVariant Database::Scalar(const QString& sql, const QVariantList& params) {
    const RecordsetPtr result = Query(sql, params);
    if (!result->IsOpen() || result->Eof() || result->FieldCount() == 0)
        return {};
    return result->Field(0);
}

QString Database::Dialected(const QString& sql) const { return DialectedFor(sql, url_.dialect); }

QString Database::DialectedFor(const QString& sql, Dialect dialect) {
    QString text = sql;
    if (dialect == Dialect::SQLite) {
        // BINARY collation: byte order of the UTF-8 text.
        text.replace(QStringLiteral("{TEXT}"), QStringLiteral("TEXT"));
        text.replace(QStringLiteral("{AUTOID}"), QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"));
        text.replace(QStringLiteral("{REAL}"), QStringLiteral("REAL"));
    } else {
        // "C": byte order too, whatever the server's locale.
        text.replace(QStringLiteral("{TEXT}"), QStringLiteral("TEXT COLLATE \"C\""));
        text.replace(QStringLiteral("{AUTOID}"),
                     QStringLiteral("INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
        text.replace(QStringLiteral("{REAL}"), QStringLiteral("DOUBLE PRECISION"));
    }
    // Declared as DATE/TIMESTAMP on SQLite too: the declared type is how results
    // tell dates from other text there.
    text.replace(QStringLiteral("{DATE}"), QStringLiteral("DATE"));
    text.replace(QStringLiteral("{STAMP}"), QStringLiteral("TIMESTAMP"));
    return text;
}

int Database::TransactionDepth() {
    auto& mine = ThisThread().byPool;
    const auto found = mine.find(poolName_);
    return found == mine.end() ? 0 : found->second.depth;
}

void Database::Begin() {
    if (TransactionDepth() == 0) {
        Reconnecting(true, [&] {
            QSqlDatabase db = Connection();
            ThreadConnection& state = ThisThread().byPool[poolName_];
            CheckFileUnchanged(url_, state);
            InjectedFault(QStringLiteral("BEGIN"));
            QSqlQuery query(db);
            const QString begin =
                url_.dialect == Dialect::SQLite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN");
            if (!query.exec(begin))
                Failed(query.lastError(), begin);
            state.doomed = false;
        });
    } else {
        Connection();  // refuses an inner unit of a transaction whose session was lost
    }
    ++ThisThread().byPool[poolName_].depth;
}

void Database::Commit() {
    ThreadConnection& state = ThisThread().byPool[poolName_];
    if (state.depth == 0)
        Fail(QStringLiteral("Commit without an open transaction."));
    if (state.depth > 1) {
        --state.depth;
        return;
    }
    if (state.lost) {
        state.depth = 0;
        state.doomed = false;
        FailLostTransaction();
    }
    if (state.doomed) {
        Rollback();
        Fail(QStringLiteral("The transaction was rolled back: an inner step did not complete."));
    }
    try {
        InjectedFault(QStringLiteral("COMMIT"));
    } catch (...) {
        Rollback();
        throw;
    }
    QSqlQuery query(QSqlDatabase::database(state.name, false));
    if (!query.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = query.lastError();
        Rollback();
        FailStatement(error, QStringLiteral("COMMIT"));
    }
    state.depth = 0;
}

void Database::Rollback() {
    auto& mine = ThisThread().byPool;
    const auto found = mine.find(poolName_);
    if (found == mine.end() || found->second.depth == 0)
        return;
    ThreadConnection& state = found->second;
    if (state.depth > 1) {
        --state.depth;
        state.doomed = true;
        return;
    }
    state.depth = 0;
    state.doomed = false;
    if (state.lost)
        return;  // the server rolled it back when the session went
    QSqlQuery query(QSqlDatabase::database(state.name, false));
    query.exec(QStringLiteral("ROLLBACK"));  // nothing more to do when even this fails
}

Transaction::Transaction(Database& db) : db_(db) { db_.Begin(); }

Transaction::~Transaction() {
    if (!done_)
        db_.Rollback();
}

void Transaction::Commit() {
    done_ = true;
    db_.Commit();
}

}  // namespace sp::platform
