#include <QSet>
#include <QTemporaryDir>
#include <atomic>
#include <mutex>
#include <thread>
#include <tuple>

#include "platform/db/Migrations.h"
#include "src/common/ComError.h"
#include "tests/support/BackendTest.h"

namespace sp::test {
namespace {

using namespace Qt::StringLiterals;

using platform::Database;
using platform::DatabaseUrl;
using platform::Dialect;
using platform::Migrations;

// "table.column" of every table the schema made, lower case.
QSet<QString> Columns(Database& db) {
    QSet<QString> columns;
    for (const RecordsetPtr rs = db.Query(QString::fromLatin1(
             db.dialect() == Dialect::SQLite
                 ? "SELECT m.name, p.name FROM sqlite_master m JOIN pragma_table_info(m.name) p "
                   "WHERE m.type='table' AND m.name NOT LIKE 'sqlite%'"
                 : "SELECT table_name, column_name FROM information_schema.columns "
                   "WHERE table_schema = current_schema()"));
         !rs->Eof(); rs->MoveNext())
        columns << (rs->Field(0).toString() + QLatin1Char('.') + rs->Field(1).toString()).toLower();
    return columns;
}

class MigrationTest : public BackendTest {};

TEST_P(MigrationTest, FreshDatabaseIsAtTheLatestVersionAndRerunsChangeNothing) {
    EXPECT_EQ(Migrations::CurrentVersion(db()), Migrations::LatestVersion());
    const QSet<QString> before = Columns(db());
    EXPECT_TRUE(before.contains(QStringLiteral("shworkbillentry.fauxqtyplan")));
    EXPECT_TRUE(before.contains(QStringLiteral("t_functask.fheartbeat")));
    // Auto-numbered keys count up from 1 and times come back as times.
    for (int i = 0; i < 3; ++i)
        Exec(
            "INSERT INTO t_UsageLog (FUserID, FFunctionCode, FAction, FTime, FComputer) "
            "VALUES (1, 'CJ1000', 1, ?, 'pc')",
            {QDateTime::currentDateTime()});
    EXPECT_EQ(Scalar("SELECT MAX(FLogID) FROM t_UsageLog").toInt(), 3);
    EXPECT_EQ(Scalar("SELECT FTime FROM t_UsageLog").typeId(), QMetaType::QDateTime);

    Migrations::Apply(db());
    auto again = Database::Open(DatabaseUrl::Parse(tdb_->url()));
    EXPECT_EQ(Columns(*again), before);
    EXPECT_EQ(again->Scalar(QStringLiteral("SELECT COUNT(*) FROM t_SchemaVersion")).toInt(),
              Migrations::LatestVersion());
    EXPECT_EQ(again->Scalar(QStringLiteral("SELECT COUNT(*) FROM t_UsageLog")).toInt(), 3);
}

// A database made by an earlier version of the system migrates forward on open: each
// step, with the steps after it, is taken back out of a current database (its objects
// dropped, its version rows deleted), then the database is opened again. On PostgreSQL the
// users of a database made before they were roles become roles without login; a name no
// role can carry is told to the administrator.
TEST_P(MigrationTest, ADatabaseOfAnEarlierVersionMigratesForwardOnOpen) {
    const bool postgres = db().dialect() == Dialect::PostgreSQL;
    const QString longName(64, u'm');
    // clang-format off
    const std::tuple<int, QString, const char*> steps[] = {
        // version, undoing statements, an index or "table.column" the step makes (lower case)
        {2, u"DROP INDEX ix_WBE_Dept"_s, "ix_wbe_dept"},
        {3, u"DROP TABLE t_FuncTaskRelease; ALTER TABLE t_FuncTask DROP COLUMN FSince; "
            "ALTER TABLE t_FuncTask DROP COLUMN FBackendPID"_s, "t_functask.fbackendpid"},
        // PostgreSQL: the policies that name the session's user go with the function
        {4, postgres ? u"DROP TRIGGER IF EXISTS tr_User_Role ON t_User; DROP TABLE t_DbRole; "
                       "DROP FUNCTION sp_user_id() CASCADE; INSERT INTO t_User (FUserID, FName) VALUES "
                       "(901, 'migrated'), (902, '%1') ON CONFLICT DO NOTHING"_s.arg(longName)
                     : u"DROP TABLE t_DbRole"_s, "t_dbrole.frole"},
    };
    // clang-format on
    const auto made = [](Database& db) {
        QSet<QString> names = Columns(db);
        for (const RecordsetPtr rs = db.Query(QString::fromLatin1(
                 db.dialect() == Dialect::SQLite
                     ? "SELECT name FROM sqlite_master WHERE type = 'index'"
                     : "SELECT indexname FROM pg_indexes WHERE schemaname = current_schema()"));
             !rs->Eof(); rs->MoveNext())
            names << rs->Field(0).toString().toLower();
        return names;
    };
    const QSet<QString> latest = made(db());
    for (const auto& [version, undo, object] : steps) {
        for (auto step = std::rbegin(steps); step != std::rend(steps) && std::get<0>(*step) >= version;
             ++step)
            for (const QString& statement : std::get<1>(*step).split(u';')) db().Exec(statement.trimmed());
        Exec("DELETE FROM t_SchemaVersion WHERE FVersion >= ?", {version});
        ASSERT_EQ(Migrations::CurrentVersion(db()), version - 1);
        ASSERT_FALSE(made(db()).contains(QString::fromLatin1(object)));
        auto reopened = Database::Open(DatabaseUrl::Parse(tdb_->url()));
        EXPECT_EQ(Migrations::CurrentVersion(*reopened), Migrations::LatestVersion()) << version;
        EXPECT_EQ(made(*reopened), latest) << version;
        EXPECT_EQ(reopened->MigrationNotes().join(u'\n').contains(longName), postgres)
            << reopened->MigrationNotes().join(u'\n').toStdString();
    }
    if (postgres) {
        EXPECT_EQ(Scalar("SELECT rolcanlogin FROM pg_roles WHERE rolname = 'migrated'").toString(),
                  QStringLiteral("0"));
    }
}

// A schema newer than the program is refused however it is opened, with both versions
// named. A database without the schema gets it only where the opener may make it: not
// when it must be there already, not beside another program's tables unless told so.
// A refusal changes nothing.
TEST_P(MigrationTest, OpensOnlyItsOwnSchema) {
    using platform::SchemaPolicy;
    const auto open = [&](SchemaPolicy policy) {
        return ErrorOf([&] { Database::Open(DatabaseUrl::Parse(tdb_->url()), policy); });
    };
    const SchemaPolicy policies[] = {SchemaPolicy::Require, SchemaPolicy::CreateIfEmpty,
                                     SchemaPolicy::CreateBeside};
    Exec("INSERT INTO t_SchemaVersion (FVersion, FApplied) VALUES (99, ?)",
         {QDateTime::currentDateTimeUtc()});
    for (const SchemaPolicy policy : policies)
        EXPECT_TRUE(open(policy).contains(
            QStringLiteral("has schema version 99; this program knows versions up to %1")
                .arg(Migrations::LatestVersion())))
            << open(policy).toStdString();

    // Everything of ours gone: an empty database.
    if (GetParam() == Backend::PostgreSQL) {
        Exec("DROP SCHEMA public CASCADE");
        Exec("CREATE SCHEMA public");
    } else {
        for (const QString& table :
             Values(Query("SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                          "NOT LIKE 'sqlite%'")))
            db().Exec(QStringLiteral("DROP TABLE ") + table);
    }
    // clang-format off
    const std::tuple<const char*, SchemaPolicy, const char*> steps[] = {
        // statement first, policy, what the refusal says ("": opened)
        {nullptr, SchemaPolicy::Require, "does not hold the process report tables (it is empty). Prepare it with erp-host db init."},
        {"CREATE TABLE other_program (x INTEGER)", SchemaPolicy::Require, "(it holds other tables)"},
        {nullptr, SchemaPolicy::CreateIfEmpty, "holds tables of another program (other_program); the process report tables are not added beside them unless told so (erp-host db init --force)."},
        {nullptr, SchemaPolicy::CreateBeside, ""},
    };
    // clang-format on
    for (const auto& [statement, policy, says] : steps) {
        if (statement)
            Exec(statement);
        const QSet<QString> before = Columns(db());
        const QString error = open(policy);
        EXPECT_TRUE(says[0] ? error.contains(QString::fromUtf8(says)) : error.isEmpty())
            << error.toStdString();
        if (says[0]) {
            EXPECT_EQ(Columns(db()), before) << says;
        }
    }
    EXPECT_EQ(Migrations::CurrentVersion(db()), Migrations::LatestVersion());
    EXPECT_EQ(Count("other_program"), 0);
}

SP_INSTANTIATE_BACKENDS(MigrationTest);

TEST(MigrationBothTest, BothDatabasesGetTheSameTablesAndColumns) {
    auto lite = TestDatabase::Create(Backend::SQLite);
    auto pg = TestDatabase::Create(Backend::PostgreSQL);
    if (!lite || !pg)
        return;
    const QSet<QString> a = Columns(*lite->db());
    const QSet<QString> b = Columns(*pg->db());
    EXPECT_EQ(QSet<QString>(a).subtract(b), QSet<QString>());
    EXPECT_EQ(QSet<QString>(b).subtract(a), QSet<QString>());
}

// Two openers of one fresh file, each with a connection of its own as a process has: the
// first to read the file's tables waits there, before the migration lock, until the other
// has made the schema, so what it read is out of date every time.
TEST(MigrationBothTest, ProcessesOpeningAFreshFileAtOnceMigrateItOnce) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("race.db"));
    std::atomic<int> arrived = 0;
    std::atomic<int> opened = 0;
    Migrations::PauseBeforeLock([&] {
        if (arrived++ == 0)
            opened.wait(0);
    });
    std::mutex mutex;
    QStringList failures;
    const auto open = [&] {
        try {
            Database::Open(DatabaseUrl::Parse(path));
        } catch (const ComError& e) {
            std::lock_guard lock(mutex);
            failures << e.Description();
        }
        ++opened;
        opened.notify_all();
    };
    std::thread other(open);
    open();
    other.join();
    Migrations::PauseBeforeLock({});
    EXPECT_EQ(arrived, 2);
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString();
    auto db = Database::Open(DatabaseUrl::Parse(path));
    EXPECT_EQ(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM t_SchemaVersion")).toInt(),
              Migrations::LatestVersion());
}

}  // namespace
}  // namespace sp::test
