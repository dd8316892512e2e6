#include "platform/db/SqliteBackup.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/db/Migrations.h"
#include "src/common/ComError.h"

namespace sp::platform {
namespace {

// As long as the workbench's own connections wait for another writer.
constexpr int kBusyTimeoutMs = 10000;

// The files SQLite keeps beside a database while it is in use.
const char* const kSideFiles[] = {"-wal", "-shm", "-journal"};

QString Source() { return QStringLiteral("Database"); }
[[noreturn]] void Refuse(const QString& message) { throw ComError(ErrorNumber::Refused, Source(), message); }
[[noreturn]] void Fail(const QString& message) { throw ComError(ErrorNumber::Database, Source(), message); }

QString Shown(const QString& path) { return QFileInfo(path).absoluteFilePath(); }
QString SystemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

std::optional<std::pair<dev_t, ino_t>> IdentityOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return std::pair{info.st_dev, info.st_ino};
}

// Whether `file` is the database (under any name) or one of the files beside it: a
// copy renamed over either, or read back into the database, destroys it.
bool IsPartOf(const QString& file, const QString& database) {
    const std::optional<std::pair<dev_t, ino_t>> identity = IdentityOf(file);
    if (identity && identity == IdentityOf(database))
        return true;
    const QFileInfo f(file);
    const QFileInfo d(database);
    const QString fileName = QDir(f.absolutePath()).canonicalPath() + u'/' + f.fileName();
    const QString databaseName = QDir(d.absolutePath()).canonicalPath() + u'/' + d.fileName();
    for (const char* side : kSideFiles)
        if (fileName == databaseName + QLatin1String(side))
            return true;
    return false;
}

// The first column of each row of a statement, or the code and message it failed with.
struct Rows {
    int code = SQLITE_OK;
    QString error;
    QStringList values;
};

Rows Run(sqlite3* db, const char* sql) {
    Rows rows;
    sqlite3_stmt* statement = nullptr;
    rows.code = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    while (rows.code == SQLITE_OK || rows.code == SQLITE_ROW) {
        rows.code = sqlite3_step(statement);
        if (rows.code == SQLITE_ROW)
            rows.values << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    }
    if (rows.code == SQLITE_DONE)
        rows.code = SQLITE_OK;
    else
        rows.error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    return rows;
}

// A connection of our own to one file, closed however we leave.
class Connection {
  public:
    Connection(const QString& path, int flags) {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, flags, nullptr) != SQLITE_OK) {
            const QString why =
                db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory");
            sqlite3_close_v2(db_);
            Fail(QStringLiteral("Cannot open the SQLite database %1: %2").arg(Shown(path), why));
        }
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    }
    ~Connection() { sqlite3_close_v2(db_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const { return db_; }

  private:
    sqlite3* db_ = nullptr;
};

// What a database must be to be backed up or put back: a whole SQLite database holding
// this program's tables in a schema version it knows. Answers that version. Reads in the
// connection's open transaction, if any, so the copy that follows is what was checked.
int CheckContent(sqlite3* db, const QString& name) {
    const Rows tables = Run(db,
                            "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                            "'sqlite\\_%' ESCAPE '\\' ORDER BY name");
    const auto damaged = [&](const QString& why) {
        Refuse(QStringLiteral("%1 is damaged: %2").arg(name, why));
    };
    if (tables.code == SQLITE_NOTADB)
        Refuse(QStringLiteral("%1 is not a SQLite database.").arg(name));
    if (tables.code == SQLITE_CORRUPT)
        damaged(tables.error);
    if (tables.code != SQLITE_OK)
        Fail(QStringLiteral("Cannot read the SQLite database %1: %2").arg(name, tables.error));
    // A file cut short or written over in part may read well up to the first page it lost.
    const Rows check = Run(db, "PRAGMA quick_check");
    if (check.code != SQLITE_OK || check.values != QStringList{QStringLiteral("ok")})
        damaged(check.code != SQLITE_OK ? check.error : check.values.value(0));
    for (const char* table : {"t_SchemaVersion", "SHWorkBillEntry", "SHProcRpt", "t_User"})
        if (!tables.values.contains(QLatin1String(table), Qt::CaseInsensitive))
            Refuse(QStringLiteral("%1 does not hold the process report tables (%2).")
                       .arg(name, tables.values.isEmpty()
                                      ? QStringLiteral("it is empty")
                                      : QStringLiteral("it holds ") +
                                            tables.values.mid(0, 5).join(QStringLiteral(", "))));
    const int version = Run(db, "SELECT MAX(FVersion) FROM t_SchemaVersion").values.value(0).toInt();
    if (version > Migrations::LatestVersion())
        Refuse(QStringLiteral("%1 has schema version %2; this program knows versions up to %3. Use the newer "
                              "program that made it.")
                   .arg(name)
                   .arg(version)
                   .arg(Migrations::LatestVersion()));
    if (version < 1)
        Refuse(QStringLiteral("%1 does not hold the process report tables (no schema version).").arg(name));
    return version;
}

// Every page of `from` into `to` in one step: the source's snapshot under a read lock,
// the destination's pages in one write transaction, which is rolled back unless whole.
// Either lock is waited for up to the busy timeout.
void CopyPages(const Connection& from, const Connection& to, const QString& what) {
    sqlite3_backup* backup = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
    if (!backup)
        Fail(QStringLiteral("%1: %2").arg(what, QString::fromUtf8(sqlite3_errmsg(to.handle()))));
    const int step = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (step == SQLITE_BUSY || step == SQLITE_LOCKED)
        Fail(QStringLiteral("%1: another program kept the database busy for %2 s. Try again once it is done.")
                 .arg(what)
                 .arg(kBusyTimeoutMs / 1000));
    if (step != SQLITE_DONE)
        Fail(QStringLiteral("%1: %2").arg(what, QString::fromUtf8(sqlite3_errstr(step))));
}

void Sync(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const QString why = SystemError();
        if (fd >= 0)
            ::close(fd);
        Fail(QStringLiteral("Cannot write %1 to the disk: %2").arg(path, why));
    }
    ::close(fd);
}

// Removes a copy that did not reach its place, with whatever SQLite left beside it.
struct PartialCopy {
    QString path;
    bool placed = false;
    ~PartialCopy() {
        if (placed)
            return;
        QFile::remove(path);
        for (const char* side : kSideFiles) QFile::remove(path + QLatin1String(side));
    }
};

}  // namespace

void SqliteBackup::Backup(const QString& database, const QString& file) {
    const QFileInfo from(database);
    const QFileInfo target(file);
    if (!from.exists())
        Refuse(QStringLiteral("The database file %1 does not exist.").arg(Shown(database)));
    if (!from.isFile())
        Refuse(QStringLiteral("%1 is not a regular file and cannot hold a database.").arg(Shown(database)));
    if (IsPartOf(file, database))
        Refuse(QStringLiteral("%1 is the database itself or one of its files; a backup goes to another file.")
                   .arg(Shown(file)));
    if (target.exists() && !target.isFile())
        Refuse(QStringLiteral("%1 is not a regular file; a backup goes to a file.").arg(Shown(file)));
    if (!target.absoluteDir().exists())
        Refuse(QStringLiteral("The folder %1 does not exist.").arg(target.absolutePath()));

    QTemporaryFile reserved(
        target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    reserved.setAutoRemove(false);
    if (!reserved.open())
        Fail(QStringLiteral("Cannot write a file in %1: %2")
                 .arg(target.absolutePath(), reserved.errorString()));
    PartialCopy copy{reserved.fileName()};
    reserved.close();
    {
        const Connection source(database, SQLITE_OPEN_READONLY);
        const Connection destination(copy.path, SQLITE_OPEN_READWRITE);
        // One read transaction: the pages copied are the ones checked, whatever
        // workstations commit meanwhile.
        if (const Rows begin = Run(source.handle(), "BEGIN"); begin.code != SQLITE_OK)
            Fail(QStringLiteral("Cannot read the SQLite database %1: %2").arg(Shown(database), begin.error));
        CheckContent(source.handle(), Shown(database));
        CopyPages(source, destination, QStringLiteral("No backup of %1 was written").arg(Shown(database)));
        // The pages say WAL, as the database's do; a copy in rollback mode is one file,
        // whole without a -wal beside it.
        const Rows mode = Run(destination.handle(), "PRAGMA journal_mode=DELETE");
        if (mode.code != SQLITE_OK ||
            mode.values.value(0).compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
            Fail(QStringLiteral("No backup of %1 was written: the copy stays in WAL mode. %2")
                     .arg(Shown(database), mode.error));
    }
    Sync(copy.path, O_RDONLY);
    // What SQLite left beside an older copy (a -wal, a journal) would be replayed into
    // the new one the next time it is opened.
    for (const char* side : kSideFiles) {
        const QString stale = target.absoluteFilePath() + QLatin1String(side);
        if (QFileInfo::exists(stale) && !QFile::remove(stale))
            Fail(QStringLiteral("No backup was written: cannot remove %1, which would be read into it.")
                     .arg(stale));
    }
    // rename() replaces an existing file in one step; QFile::rename would refuse it.
    if (std::rename(QFile::encodeName(copy.path).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        Fail(QStringLiteral("Cannot put the backup in place as %1: %2").arg(Shown(file), SystemError()));
    copy.placed = true;
    Sync(target.absolutePath(), O_RDONLY | O_DIRECTORY);
}

int SqliteBackup::Restore(const QString& file, const QString& database,
                          const std::function<void()>& beforeWriting) {
    const QFileInfo source(file);
    if (!source.exists())
        Refuse(QStringLiteral("%1 does not exist.").arg(Shown(file)));
    if (!source.isFile())
        Refuse(QStringLiteral("%1 is not a regular file and cannot hold a database.").arg(Shown(file)));
    if (!QFileInfo(database).isFile())
        Refuse(QStringLiteral("The database file %1 does not exist.").arg(Shown(database)));
    if (IsPartOf(file, database))
        Refuse(QStringLiteral("%1 is the database itself or one of its files; there is nothing to restore "
                              "from it.")
                   .arg(Shown(file)));

    const Connection from(file, SQLITE_OPEN_READONLY);
    if (const Rows begin = Run(from.handle(), "BEGIN"); begin.code != SQLITE_OK)
        Fail(QStringLiteral("Cannot read %1: %2").arg(Shown(file), begin.error));
    const int version = CheckContent(from.handle(), Shown(file));
    if (beforeWriting)
        beforeWriting();
    const Connection into(database, SQLITE_OPEN_READWRITE);
    CopyPages(from, into, QStringLiteral("Nothing was restored into %1").arg(Shown(database)));
    return version;
}

}  // namespace sp::platform
