#include "platform/db/Migrations.h"

#include <QDateTime>
#include <QRegularExpression>

#include "platform/db/PgGuard.h"
#include "platform/db/SchemaV1Sql.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"

namespace sp::platform {
namespace {

// Any fixed number shared by every process of the system; it names the advisory
// lock that serialises migrations on PostgreSQL.
constexpr qlonglong kMigrationLock = 0x5350'4D49'4752'0001LL;

std::function<void()> pauseBeforeLock;

QString VersionTable() {
    return QStringLiteral(
        "CREATE TABLE IF NOT EXISTS t_SchemaVersion (FVersion INTEGER PRIMARY KEY, "
        "FApplied {STAMP} NOT NULL)");
}

QStringList SplitScript(const QString& script) {
    QString code;
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        const qsizetype comment = line.indexOf(QStringLiteral("--"));
        code += (comment >= 0 ? line.left(comment) : line) + QLatin1Char('\n');
    }
    QStringList statements;
    for (const QString& part : code.split(QLatin1Char(';'))) {
        const QString statement = part.trimmed();
        if (!statement.isEmpty())
            statements << statement;
    }
    return statements;
}

// The component compares text code columns with bare numbers ("Fid=0"). SQLite
// gives the number the column's text affinity and compares text; PostgreSQL knows
// no text = integer. These operators compare as text too. Text columns are of type
// text (not varchar) so that a quoted literal still resolves exactly to text = text
// and keeps using the indexes: with varchar columns PostgreSQL would prefer the
// varchar/integer operator for FID = '01' and read the literal as the number 1.
QStringList PostgresTextNumberOperators() {
    return {
        QStringLiteral("CREATE FUNCTION sp_text_eq_int(text, integer) RETURNS boolean LANGUAGE sql "
                       "IMMUTABLE STRICT AS 'SELECT $1 = $2::text'"),
        QStringLiteral("CREATE FUNCTION sp_text_ne_int(text, integer) RETURNS boolean LANGUAGE sql "
                       "IMMUTABLE STRICT AS 'SELECT $1 <> $2::text'"),
        QStringLiteral("CREATE OPERATOR = (LEFTARG = text, RIGHTARG = integer, FUNCTION = sp_text_eq_int, "
                       "NEGATOR = <>)"),
        QStringLiteral("CREATE OPERATOR <> (LEFTARG = text, RIGHTARG = integer, FUNCTION = sp_text_ne_int, "
                       "NEGATOR = =)"),
    };
}

// The tables and views of the database (of the current schema on PostgreSQL), SQLite's
// own left out.
QStringList TableNames(Database& db) {
    const QString sql = db.dialect() == Dialect::SQLite
                            ? QStringLiteral(
                                  "SELECT name FROM sqlite_master WHERE type IN ('table', 'view') AND "
                                  "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name")
                            : QStringLiteral(
                                  "SELECT table_name FROM information_schema.tables WHERE "
                                  "table_schema = current_schema() ORDER BY table_name");
    QStringList names;
    for (const RecordsetPtr rs = db.Query(sql); !rs->Eof(); rs->MoveNext()) names << rs->Field(0).toString();
    return names;
}

[[noreturn]] void Refuse(const QString& message) {
    throw ComError(ErrorNumber::Refused, QStringLiteral("Database"), message);
}

// The version of the schema whose tables are these; 0 for a database never migrated.
int VersionOf(Database& db, const QStringList& tables) {
    if (!tables.contains(QStringLiteral("t_SchemaVersion"), Qt::CaseInsensitive))
        return 0;
    return db.Scalar(QStringLiteral("SELECT MAX(FVersion) FROM t_SchemaVersion")).toInt();
}

// Whether the schema may be made in a database without it, holding these tables;
// refuses otherwise.
void CheckMayCreate(Database& db, SchemaPolicy policy, const QStringList& tables) {
    const QString name = db.url().ToString();
    if (policy == SchemaPolicy::Require)
        Refuse(QStringLiteral("The database %1 does not hold the process report tables%2. Prepare it with "
                              "erp-host db init.")
                   .arg(name, tables.isEmpty() ? QStringLiteral(" (it is empty)")
                                               : QStringLiteral(" (it holds other tables)")));
    if (policy == SchemaPolicy::CreateIfEmpty && !tables.isEmpty()) {
        constexpr int kNamed = 5;
        QString named = tables.mid(0, kNamed).join(QStringLiteral(", "));
        if (tables.size() > kNamed)
            named += QStringLiteral(", ... (%1 in all)").arg(tables.size());
        Refuse(QStringLiteral("The database %1 holds tables of another program (%2); the process report "
                              "tables are not added beside them unless told so (erp-host db init --force).")
                   .arg(name, named));
    }
}

}  // namespace

int Migrations::LatestVersion() { return 5; }

QStringList Migrations::Statements(int version, Dialect dialect) {
    QStringList statements;
    if (version == 1) {
        for (const QString& statement : SplitScript(QString::fromUtf8(schema::kSchemaV1)))
            statements << Database::DialectedFor(statement, dialect);
        if (dialect == Dialect::PostgreSQL)
            statements << PostgresTextNumberOperators();
    } else if (version == 2) {
        // The list's department bound joins the departments to the work bills by
        // FDeptID: without this index one department's list read every work bill.
        statements << QStringLiteral("CREATE INDEX ix_WBE_Dept ON SHWorkBillEntry (FDeptID)");
    } else if (version == 3) {
        // Held tasks name when they were taken (FHeartbeat moves on SQLite) and, on
        // PostgreSQL, the server process whose advisory lock holds them; an administrator's
        // release of a task is recorded, so the holder does not take it back.
        const QString step[] = {
            QStringLiteral("ALTER TABLE t_FuncTask ADD COLUMN FSince {STAMP}"),
            QStringLiteral("ALTER TABLE t_FuncTask ADD COLUMN FBackendPID INTEGER NOT NULL DEFAULT 0"),
            QStringLiteral("CREATE TABLE t_FuncTaskRelease (FReleaseID {AUTOID}, FSubSys INTEGER NOT NULL, "
                           "FFunction {TEXT} NOT NULL, FKey {TEXT} NOT NULL, FHolder {TEXT} NOT NULL, "
                           "FUserID INTEGER NOT NULL DEFAULT 0, FComputer {TEXT} NOT NULL, "
                           "FProcessID INTEGER NOT NULL DEFAULT 0, FReleased {STAMP} NOT NULL, "
                           "FReleasedBy {TEXT} NOT NULL, FForced INTEGER NOT NULL DEFAULT 0)"),
            QStringLiteral(
                "CREATE INDEX ix_FuncTaskRelease_Key ON t_FuncTaskRelease (FSubSys, FFunction, FKey, "
                "FHolder)"),
        };
        for (const QString& statement : step) statements << Database::DialectedFor(statement, dialect);
    } else if (version == 4) {
        // The group roles of the database and the rights they carry; on PostgreSQL the
        // guard (PgGuard) fills it and puts the roles to work, on SQLite it stays empty.
        statements << Database::DialectedFor(
            QStringLiteral("CREATE TABLE t_DbRole (FKind {TEXT} PRIMARY KEY, FRole {TEXT} NOT NULL, "
                           "FRights INTEGER NOT NULL DEFAULT 0)"),
            dialect);
    } else if (version == 5) {
        // The summary of reports reads a period by completion or audit date, and one
        // worker's reports of it.
        statements << QStringLiteral("CREATE INDEX ix_ProcRpt_EndDate ON SHProcRpt (FendWorkDate)")
                   << QStringLiteral("CREATE INDEX ix_ProcRpt_CheckDate ON SHProcRpt (FcheckDate)")
                   << QStringLiteral("CREATE INDEX ix_ProcRpt_Worker ON SHProcRpt (FworkerID)");
    }
    return statements;
}

int Migrations::CurrentVersion(Database& db) {
    if (db.dialect() == Dialect::SQLite)
        return VersionOf(db, TableNames(db));
    // One round trip for what every start asks: the version table of the current schema is
    // looked for and read by the same statement (its text runs only when the table is there).
    return db
        .Scalar(QStringLiteral(
            "SELECT CASE WHEN to_regclass(format('%I.t_schemaversion', current_schema())) IS NULL THEN 0 "
            "ELSE COALESCE((xpath('/row/v/text()', query_to_xml(format('SELECT MAX(FVersion) AS v FROM "
            "%I.t_schemaversion', current_schema()), false, true, '')))[1]::text::integer, 0) END"))
        .toInt();
}

void Migrations::PauseBeforeLock(std::function<void()> pause) { pauseBeforeLock = std::move(pause); }

QStringList Migrations::Apply(Database& db, SchemaPolicy policy) {
    const int latest = LatestVersion();
    const auto refuseNewer = [&](int current) {
        if (current > latest)
            Refuse(QStringLiteral("The database %1 has schema version %2; this program knows versions up to "
                                  "%3. Use the newer program that made it.")
                       .arg(db.url().ToString())
                       .arg(current)
                       .arg(latest));
    };
    // Unlocked, for the common case: a database that is up to date costs this read. A
    // newer version never becomes older, so it is refused at once.
    const int found = CurrentVersion(db);
    refuseNewer(found);
    if (found == latest)
        return {};
    if (pauseBeforeLock)
        pauseBeforeLock();
    Transaction transaction(db);  // SQLite: BEGIN IMMEDIATE holds off other writers
    if (db.dialect() == Dialect::PostgreSQL)
        db.Scalar(QStringLiteral("SELECT pg_advisory_xact_lock(?)"), {kMigrationLock});
    // Everything else is decided on what the database holds under the lock: another
    // process may have made or migrated the schema since the read above, and its tables
    // beside a version read before them would look like another program's.
    const QStringList tables = TableNames(db);
    const int current = VersionOf(db, tables);
    refuseNewer(current);
    if (current == latest)
        return {};
    if (current == 0)
        CheckMayCreate(db, policy, tables);
    // On PostgreSQL the clerks' roles may change data, never the schema: the owner brings it
    // up to date.
    if (current > 0 && db.dialect() == Dialect::PostgreSQL &&
        !Basic::Bool(db.Scalar(QStringLiteral(
            "SELECT COALESCE((SELECT pg_has_role(current_user, relowner, 'USAGE') FROM pg_class "
            "WHERE oid = to_regclass('t_schemaversion')), false)"))))
        Refuse(
            QStringLiteral("The database %1 has schema version %2 and this program needs version %3; its "
                           "administrator brings it up to date with erp-host db init, as the tables' owner.")
                .arg(db.url().ToString())
                .arg(current)
                .arg(latest));
    db.Exec(db.Dialected(VersionTable()));
    QStringList notes;
    for (int version = current + 1; version <= latest; ++version) {
        for (const QString& statement : Statements(version, db.dialect())) db.Exec(statement);
        // The guard again on a database that had it: the summary's group role and function.
        if (db.dialect() == Dialect::PostgreSQL && (version == 4 || (version == 5 && current >= 4)))
            notes << PgGuard::Install(db);
        db.Exec(QStringLiteral("INSERT INTO t_SchemaVersion (FVersion, FApplied) VALUES (?, ?)"),
                {version, QDateTime::currentDateTimeUtc()});
    }
    transaction.Commit();
    return notes;
}

const QHash<QString, QString>& Migrations::ColumnSpellings() {
    static const QHash<QString, QString> spellings = [] {
        QHash<QString, QString> map;
        const QString script = QString::fromUtf8(schema::kSchemaV1);
        static const QRegularExpression table(QStringLiteral("CREATE TABLE (\\w+)"));
        static const QRegularExpression column(QStringLiteral("^\\s+(\\w+)\\s+(?:INTEGER|\\{)"),
                                               QRegularExpression::MultilineOption);
        // Table names, "table.column" and, for a bare name, the first table's spelling.
        const QStringList statements = script.split(QLatin1Char(';'));
        for (const QString& statement : statements) {
            const QRegularExpressionMatch tableMatch = table.match(statement);
            if (!tableMatch.hasMatch())
                continue;
            const QString tableName = tableMatch.captured(1);
            map.insert(tableName.toLower(), tableName);
            auto it = column.globalMatch(statement);
            while (it.hasNext()) {
                const QString name = it.next().captured(1);
                map.insert(tableName.toLower() + QLatin1Char('.') + name.toLower(), name);
                if (!map.contains(name.toLower()))
                    map.insert(name.toLower(), name);
            }
        }
        return map;
    }();
    return spellings;
}

}  // namespace sp::platform
