#include <QSet>
#include <QTemporaryDir>
#include <atomic>
#include <mutex>
#include <thread>
#include <tuple>

#include "platform/db/DemoData.h"
#include "platform/db/Migrations.h"
#include "platform/middletier/MShopProc.h"
#include "platform/middletier/MiddleTierRegistration.h"
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
        columns << (rs->Field(0).toString() + u'.' + rs->Field(1).toString()).toLower();
    return columns;
}

class MigrationTest : public BackendTest {};

TEST_P(MigrationTest, FreshDatabaseIsAtTheLatestVersionAndRerunsChangeNothing) {
    EXPECT_EQ(Migrations::CurrentVersion(db()), Migrations::LatestVersion());
    const QSet<QString> before = Columns(db());
    EXPECT_TRUE(before.contains(u"shworkbillentry.fauxqtyplan"_s) &&
                before.contains(u"t_functask.fheartbeat"_s));
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
    EXPECT_EQ(std::tuple(Columns(*again), again->Scalar(u"SELECT COUNT(*) FROM t_SchemaVersion"_s).toInt(),
                         again->Scalar(u"SELECT COUNT(*) FROM t_UsageLog"_s).toInt()),
              std::tuple(before, Migrations::LatestVersion(), 3));
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
        {5, u"DROP INDEX ix_ProcRpt_EndDate; DROP INDEX ix_ProcRpt_CheckDate; DROP INDEX ix_ProcRpt_Worker"_s,
            "ix_procrpt_worker"},
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
        EXPECT_EQ(Scalar("SELECT rolcanlogin FROM pg_roles WHERE rolname = 'migrated'").toString(), u"0"_s);
    }
}

// A schema newer than the program is refused however it is opened, with both versions
// named. A database without the schema gets it only where the opener may make it: not
// when it must be there already, not beside another program's tables unless told so.
// A refusal changes nothing.
TEST_P(MigrationTest, OpensOnlyItsOwnSchema) {
    using platform::SchemaPolicy;
    const auto open = [&](SchemaPolicy policy) {
        return Raised([&] { Database::Open(DatabaseUrl::Parse(tdb_->url()), policy); });
    };
    const SchemaPolicy policies[] = {SchemaPolicy::Require, SchemaPolicy::CreateIfEmpty,
                                     SchemaPolicy::CreateBeside};
    Exec("INSERT INTO t_SchemaVersion (FVersion, FApplied) VALUES (99, ?)",
         {QDateTime::currentDateTimeUtc()});
    for (const SchemaPolicy policy : policies)
        EXPECT_TRUE(
            open(policy).contains(u"has schema version 99; this program knows versions up to %1"_s.arg(
                Migrations::LatestVersion())))
            << open(policy).toStdString();

    // Everything of ours gone: an empty database.
    if (GetParam() == Backend::PostgreSQL) {
        Exec("DROP SCHEMA public CASCADE");
        Exec("CREATE SCHEMA public");
    } else {
        for (const QString& table :
             Values(Query("SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                          "NOT LIKE 'sqlite%'")))
            db().Exec(u"DROP TABLE "_s + table);
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
    EXPECT_EQ(Columns(*lite->db()), Columns(*pg->db()));
}

// Two openers of one fresh file, each with a connection of its own as a process has: the
// first to read the file's tables waits there, before the migration lock, until the other
// has made the schema, so what it read is out of date every time.
TEST(MigrationBothTest, ProcessesOpeningAFreshFileAtOnceMigrateItOnce) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"race.db"_s);
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
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    auto db = Database::Open(DatabaseUrl::Parse(path));
    EXPECT_EQ(db->Scalar(u"SELECT COUNT(*) FROM t_SchemaVersion"_s).toInt(), Migrations::LatestVersion());
}

// ---- the demo shop and the users ---------------------------------------------------

class DemoDataTest : public BackendTest {
  protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (tdb_)
            SeedDemo();
    }
    qint64 RightsOf(const char* name) {
        return Scalar(
                   "SELECT r.FRights FROM t_UserRight r JOIN t_User u ON u.FUserID = r.FUserID "
                   "WHERE u.FName = ? AND r.FSubSys = 1024 AND r.FFunction = 30",
                   {QString::fromLatin1(name)})
            .toLongLong();
    }
};

// Each rule of the workbench finds a case to act on in the demo plant.
TEST_P(DemoDataTest, HoldsTheCasesTheWorkbenchHasRulesFor) {
    const std::tuple<const char*, int, int> cases[] = {
        // clang-format off
        // Open tasks with a routing of three to six operations numbered from 1.
        {"ICMO WHERE FTranType = 85 AND FStatus IN (1, 2) AND FRoutingID > 0", 6, 99},
        {"(SELECT FInterID FROM SHWorkBillEntry WHERE FInterID IN (SELECT FInterID FROM ICMO WHERE FStatus IN (1, 2) "
         "AND FRoutingID > 0) GROUP BY FInterID HAVING COUNT(*) NOT BETWEEN 3 AND 6 OR MIN(FEntryID) <> 1 "
         "OR MAX(FEntryID) <> COUNT(*)) t", 0, 0},
        // Every operation names a process, a work center of a production department and a time unit.
        {"SHWorkBillEntry wbe LEFT JOIN t_SubMessage p ON p.FInterID = wbe.FOperID AND p.FTypeID = 61 "
         "LEFT JOIN t_WorkCenter wc ON wc.FInterID = wbe.FWorkCenterID LEFT JOIN t_Department d ON d.FItemID = "
         "wc.FDeptID LEFT JOIN t_SubMessage u ON u.FInterID = wbe.FTimeUnitID AND u.FTypeID = 282 "
         "WHERE p.FInterID IS NULL OR u.FInterID IS NULL OR d.FDProperty IS NULL OR d.FDProperty <> 1070", 0, 0},
        {"SHWorkBillEntry WHERE FisOut = 1058 AND FsupplyID > 0", 1, 99},
        {"SHWorkBillEntry WHERE FisOut = 1058 AND FsupplyID = 0", 0, 0},
        {"SHWorkBillEntry WHERE Ffare = 1059", 1, 1}, {"SHWorkBillEntry WHERE FQualityChkID = 351", 1, 99},
        {"SHWorkBillEntry WHERE FQualityChkID = 353", 1, 99},
        {"SHWorkBillEntry WHERE FteamID > 0 AND FworkerID > 0 AND FdeviceID > 0", 1, 99},
        {"SHWorkBillEntry WHERE FStatus = 2", 1, 99}, {"SHWorkBillEntry WHERE FStatus = 1", 1, 99},
        {"t_SubMessage WHERE FTypeID = 281 AND FID = '0'", 1, 1}, {"t_Department WHERE FDetail = 0", 1, 9},
        {"t_Department WHERE FDProperty <> 1070", 1, 9}, {"t_WorkCenter WHERE FDetail = 0", 1, 9},
        {"t_Emp WHERE FDetail = 0", 1, 9},
        {"t_Emp e LEFT JOIN t_SubMessage t ON t.FInterID = e.FprofessionalGroup AND t.FTypeID = 62 "
         "WHERE e.FDetail = 1 AND t.FInterID IS NULL", 0, 0},
        {"t_Device d LEFT JOIN t_WorkCenter w ON w.FInterID = d.FWorkCenterID WHERE w.FInterID IS NULL", 0, 0},
        {"t_ICItem WHERE FQtyDecimal = 0", 1, 3},
        {"t_ICItem WHERE FQtyDecimal = 3", 1, 1},
        {"t_SystemProfile WHERE FCategory = 'SH' AND FKey = 'SHOPPROC_CONTROLRECEIVE' AND FValue = '1'", 1, 1},
        // clang-format on
    };
    for (const auto& [from, min, max] : cases) {
        const int n = Count(from);
        EXPECT_TRUE(n >= min && n <= max) << from << ": " << n;
    }
}

// The seeded users; adding users and granting rights are driven through the host's
// commands elsewhere, here only what shows at this level.
TEST_P(DemoDataTest, UsersAndRights) {
    EXPECT_EQ(RightsOf("demo"), Rights::All);
    EXPECT_EQ(RightsOf("clerk") & (Rights::NewReports | Rights::Open), Rights::Open);
    platform::AddUser(db(), u"auditor"_s, Rights::Open);
    EXPECT_EQ(Scalar("SELECT FUserID FROM t_User WHERE FName = 'auditor'").toInt(), 3) << "the next free id";
    // Names the login properties cannot carry, that look like another name or that are
    // too long are refused, and nobody is added. Length counts characters, not UTF-16 units.
    const std::string longest = std::string(63, 'a') + "\U0002000B";  // 𠀋: two QChars, one character
    const std::pair<std::string, const char*> names[] = {
        // clang-format off
        {"  ", "needs a name"}, {"a;b", "holds \";\""}, {"a=b", "holds \"=\""}, {"a|b", "holds \"|\""},
        {"a\tb", "control character"}, {"anna\n", "control character"}, {"a\u2028b", "control character"},
        {"adm\u202Enimda", "format character U+202E"}, {"an\u200Bna", "format character U+200B"},
        {longest + "工", "65 characters long; at most 64"},
        // clang-format on
    };
    const int users = Count("t_User");
    for (const auto& [name, why] : names) {
        const QString error = Raised([&] { platform::AddUser(db(), QString::fromStdString(name), 0); });
        EXPECT_TRUE(error.startsWith(u"3001 AddUser: "_s) && error.contains(QString::fromUtf8(why)))
            << name << ": " << error.toStdString();
    }
    EXPECT_EQ(Count("t_User"), users);
    EXPECT_EQ(platform::UserNameProblem(QString::fromStdString(" " + longest + " ")), QString());
    // A PostgreSQL role's name holds at most 63 bytes: 22 Chinese characters are too many there.
    const QString refusal = Raised([&] { platform::AddUser(db(), QString(22, QChar(0x5DE5)), 0); });
    EXPECT_EQ(refusal.contains(u"63 bytes"_s), GetParam() == Backend::PostgreSQL) << refusal.toStdString();
    // Masks are 32 bits on both databases: every bit set is kept as -1.
    platform::AddUser(db(), u"everything"_s, 0xFFFFFFFF);
    platform::GrantRights(db(), u"auditor"_s, 0x80000000);
    EXPECT_EQ(std::tuple(RightsOf("everything"), static_cast<quint32>(RightsOf("auditor")),
                         db().TransactionDepth()),
              std::tuple(-1, 0x80000000 | Rights::Open, 0));
}

// The host's "db seed-demo": the demo plant, then its reports through the service;
// running it again changes nothing. A benchmark load on top keeps the books in line too.
TEST_P(DemoDataTest, SeededReportsAreConsistentAndSeedingAgainChangesNothing) {
    const auto consistent = [&] {
        return platform::MShopProc(shared()).GetWorkBillByFilter(u"UserID=1;"_s, true, {})->Eof();
    };
    EXPECT_EQ(Count("SHProcRpt"), 0);
    platform::SeedDemoReports(db());
    EXPECT_GT(Count("SHProcRpt WHERE Fstatus = 1"), 0);
    EXPECT_GT(Count("SHProcRpt WHERE Fstatus = 0"), 0);
    EXPECT_TRUE(consistent()) << "posted totals match audited reports and every routing is in line";
    const char* total =
        "SELECT (SELECT COUNT(*) FROM SHWorkBillEntry) + (SELECT COUNT(*) FROM t_Emp) + "
        "(SELECT COUNT(*) FROM t_User) + (SELECT COUNT(*) FROM t_SubMessage) + (SELECT COUNT(*) FROM "
        "SHProcRpt)";
    const int before = Scalar(total).toInt();
    SeedDemo();
    platform::SeedDemoReports(db());
    EXPECT_EQ(Scalar(total).toInt(), before);
    EXPECT_EQ(db().TransactionDepth(), 0);

    const int reports = Count("SHProcRpt");
    platform::SeedBench(db(), 23, 1400);
    EXPECT_EQ(Count("SHProcRpt"), reports + 1400);
    EXPECT_TRUE(consistent());
    platform::SeedBench(db(), 5, 10);  // seeding twice does not collide
}

// The demo's reports are by the shop's people, as a clerk would have entered them: a
// work bill's fixed team, worker and device as they are; otherwise a worker of the
// process's team (some reports by another one of it) and a device of the default type at
// the work bill's work center; nobody on work sent out.
TEST_P(DemoDataTest, SeededReportsAreByTheWorkBillsPeople) {
    platform::SeedDemoReports(db());
    const char* reports = "SHProcRpt r JOIN SHWorkBillEntry w ON w.FWBInterID = r.FWBInterID ";
    const std::tuple<const char*, int, int> cases[] = {
        // clang-format off
        {"WHERE w.FisOut <> 1058 AND (r.FworkerID = 0 OR r.FteamID = 0)", 0, 0},
        {"WHERE w.FisOut = 1058 AND r.FworkerID + r.FteamID + r.FdeviceID <> 0", 0, 0},
        {"WHERE w.FisOut = 1058", 1, 99},
        {"WHERE w.FworkerID <> 0 AND r.FworkerID <> w.FworkerID OR w.FteamID <> 0 AND r.FteamID <> w.FteamID "
         "OR w.FdeviceID <> 0 AND r.FdeviceID <> w.FdeviceID", 0, 0},
        {"WHERE w.FworkerID <> 0", 1, 99}, {"WHERE w.FteamID <> 0 AND w.FworkerID = 0", 1, 99},
        {"LEFT JOIN t_Emp e ON e.FItemID = r.FworkerID WHERE r.FworkerID <> 0 "
         "AND (e.FItemID IS NULL OR e.FprofessionalGroup <> r.FteamID)", 0, 0},
        {"LEFT JOIN t_Device d ON d.FInterID = r.FdeviceID WHERE r.FdeviceID <> 0 "
         "AND (d.FInterID IS NULL OR d.FWorkCenterID <> w.FWorkCenterID)", 0, 0},
        {"WHERE r.FdeviceID <> 0 AND w.FdeviceID = 0", 1, 99},
        {"WHERE r.FworkerID <> (SELECT MIN(o.FworkerID) FROM SHProcRpt o WHERE o.FWBInterID = r.FWBInterID)", 1, 99},
        // clang-format on
    };
    EXPECT_GT(Count("SHProcRpt"), 0);
    for (const auto& [where, min, max] : cases) {
        const int n = Count((std::string(reports) + where).c_str());
        EXPECT_TRUE(n >= min && n <= max) << where << ": " << n;
    }
    EXPECT_GE(Count("(SELECT DISTINCT FworkerID FROM SHProcRpt) t"), 8) << "many hands";
}

SP_INSTANTIATE_BACKENDS(DemoDataTest);

}  // namespace
}  // namespace sp::test
