#include <QSet>
#include <QTemporaryDir>
#include <mutex>
#include <thread>
#include <tuple>

#include "platform/db/Migrations.h"
#include "src/common/ComError.h"
#include "tests/support/BackendTest.h"

namespace sp::test {
namespace {

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
// step is taken back out of a current database (its objects dropped, its version row
// deleted), then the database is opened again.
TEST_P(MigrationTest, ADatabaseOfAnEarlierVersionMigratesForwardOnOpen) {
    // clang-format off
    const std::tuple<int, const char*, const char*> steps[] = {
        // version, undoing statement, the index the step makes (lower case)
        {2, "DROP INDEX ix_WBE_Dept", "ix_wbe_dept"},
    };
    // clang-format on
    const auto indexes = [](Database& db) {
        QSet<QString> names;
        for (const RecordsetPtr rs = db.Query(QString::fromLatin1(
                 db.dialect() == Dialect::SQLite
                     ? "SELECT name FROM sqlite_master WHERE type = 'index'"
                     : "SELECT indexname FROM pg_indexes WHERE schemaname = current_schema()"));
             !rs->Eof(); rs->MoveNext())
            names << rs->Field(0).toString().toLower();
        return names;
    };
    for (const auto& [version, undo, index] : steps) {
        Exec(undo);
        Exec("DELETE FROM t_SchemaVersion WHERE FVersion >= ?", {version});
        ASSERT_EQ(Migrations::CurrentVersion(db()), version - 1);
        ASSERT_FALSE(indexes(db()).contains(QString::fromLatin1(index)));
        auto reopened = Database::Open(DatabaseUrl::Parse(tdb_->url()));
        EXPECT_EQ(Migrations::CurrentVersion(*reopened), Migrations::LatestVersion()) << version;
        EXPECT_TRUE(indexes(*reopened).contains(QString::fromLatin1(index))) << version;
    }
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

TEST(MigrationBothTest, ProcessesOpeningAFreshFileAtOnceMigrateItOnce) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("race.db"));
    std::vector<std::thread> threads;
    std::mutex mutex;
    QStringList failures;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&] {
            try {
                Database::Open(DatabaseUrl::Parse(path));
            } catch (const ComError& e) {
                std::lock_guard lock(mutex);
                failures << e.Description();
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString();
    auto db = Database::Open(DatabaseUrl::Parse(path));
    EXPECT_EQ(db->Scalar(QStringLiteral("SELECT COUNT(*) FROM t_SchemaVersion")).toInt(),
              Migrations::LatestVersion());
}

}  // namespace
}  // namespace sp::test
