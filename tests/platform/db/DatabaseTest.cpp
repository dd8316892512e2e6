#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>
#include <functional>
#include <thread>

#include "src/common/ComError.h"
#include "tests/support/BackendTest.h"

namespace sp::test {
namespace {

using platform::Database;
using platform::DatabaseUrl;
using platform::Transaction;

class DatabaseTest : public BackendTest {
  protected:
    void AddCodes(int type, const QStringList& codes) {
        for (const QString& code : codes)
            Exec(
                "INSERT INTO t_SubMessage (FInterID, FTypeID, FID, FName) VALUES "
                "((SELECT COALESCE(MAX(FInterID), 0) + 1 FROM t_SubMessage), ?, ?, 'x')",
                {type, code});
    }
    QStringList Codes(const QString& where) {
        return Values(db().Query(
            QStringLiteral("SELECT FID FROM t_SubMessage WHERE FTypeID=62 AND %1 ORDER BY FID").arg(where)));
    }
    void AddUser(int id) {
        Exec("INSERT INTO t_User (FUserID, FName) VALUES (?, ?)", {id, QString::number(id)});
    }
};

// The current row as "type:value|...", NULL as "null".
QString TypedRow(const RecordsetPtr& rs) {
    QStringList fields;
    for (int i = 0; i < rs->FieldNames().size(); ++i) {
        const QVariant v = rs->Field(i);
        fields << (v.isValid() ? QString::fromLatin1(v.typeName()) + u':' + v.toString()
                               : QStringLiteral("null"));
    }
    return fields.join(u'|');
}

// Names keep their case and values their types on both databases, expressions included.
TEST_P(DatabaseTest, ValuesComeBackInTheSameShapesOnBothDatabases) {
    Exec(
        "INSERT INTO ICMO (FInterID, FBillNo, FItemID, FQty, FPlanCommitDate, FPlanFinishDate) "
        "VALUES (?, ?, ?, ?, ?, ?)",
        {7, QStringLiteral("WORK-车间-1"), 12, 2.5, QDate(2026, 3, 9), QVariant()});
    const RecordsetPtr rs =
        Query("SELECT FInterID, FBillNo, FQty, FPlanCommitDate, FPlanFinishDate, FStatus FROM ICMO");
    EXPECT_EQ(rs->FieldNames(), Words("FInterID,FBillNo,FQty,FPlanCommitDate,FPlanFinishDate,FStatus"));
    // NULL is a null QVariant, not an empty date; FStatus is the column's default.
    EXPECT_EQ(TypedRow(rs),
              QStringLiteral("int:7|QString:WORK-车间-1|double:2.5|QDate:2026-03-09|null|int:1"));

    const RecordsetPtr agg = Query(
        "SELECT MAX(FPlanCommitDate) AS LastDay, COUNT(*) AS Cnt, 5000000000 AS Big, (FQty > 1) AS IsBig "
        "FROM ICMO GROUP BY FQty");
    EXPECT_EQ(agg->FieldNames(), Words("LastDay,Cnt,Big,IsBig"));
    EXPECT_EQ(TypedRow(agg), QStringLiteral("QDate:2026-03-09|int:1|qlonglong:5000000000|int:1"));

    // A column spelled otherwise in the statement comes back as its table declares it,
    // also where two tables spell the same name differently.
    // clang-format off
    const std::pair<const char*, const char*> spellings[] = {
        {"SELECT fstatus, fauxqtypass FROM SHProcRpt", "Fstatus,FAuxQtyPass"},
        {"SELECT fstatus, fauxqtypass FROM SHWorkBillEntry", "FStatus,FauxQtyPass"},
        {"SELECT r.fstatus, w.fauxqtypass, w.FSTATUS FROM SHProcRpt r "
         "JOIN SHWorkBillEntry w ON w.FWBInterID = r.FWBInterID", "Fstatus,FauxQtyPass,FStatus"},
    };
    // clang-format on
    for (const auto& [sql, names] : spellings) EXPECT_EQ(Query(sql)->FieldNames(), Words(names)) << sql;
}

// Values are bound, never spliced: quotes and comment marks are data, a placeholder
// counts only outside quotes and comments, and too few values is an error.
TEST_P(DatabaseTest, BoundParametersCarryQuotesAndNullsSafely) {
    const QString nasty = QStringLiteral("O'Brien'); DROP TABLE t_User; --");
    Exec("INSERT INTO t_User (FUserID, FName) VALUES (?, ?)", {5, nasty});
    EXPECT_EQ(Scalar("SELECT FName FROM t_User WHERE FName = ?", {nasty}).toString(), nasty);
    EXPECT_EQ(Count("t_User"), 1);
    EXPECT_FALSE(Scalar("SELECT FUserID FROM t_User WHERE FName = ?", {QStringLiteral("x")}).isValid());
    // A null QString is empty text (the column refuses NULL); only an invalid QVariant is NULL.
    const QString insert =
        QStringLiteral("INSERT INTO t_User (FUserID, FName, FDescription) VALUES (?, ?, ?)");
    db().Exec(insert, {6, QStringLiteral("six"), QString()});
    EXPECT_EQ(Scalar("SELECT FDescription FROM t_User WHERE FUserID = 6"), QVariant(QString()));
    EXPECT_THROW(db().Exec(insert, {7, QStringLiteral("seven"), QVariant()}), ComError);
    EXPECT_EQ(Exec("UPDATE t_User SET FDescription = ? WHERE FUserID = ?", {true, 5}), 1);
    EXPECT_EQ(Scalar("SELECT FDescription FROM t_User WHERE FUserID = 5").toString(), QStringLiteral("1"));

    const RecordsetPtr rs = Query(
        "SELECT '?' AS q, 1-? AS m, ? AS s /* ? */, ? AS d, ? AS n "
        "FROM t_User -- ?\nWHERE FUserID = ? OR FName = 'it''s ?'",
        {-5, QStringLiteral("a?b\\'c--"), 2.25, QVariant(), 5});
    EXPECT_EQ(TypedRow(rs), QStringLiteral("QString:?|int:6|QString:a?b\\'c--|double:2.25|null"));
    EXPECT_THROW(Query("SELECT ? AS a, ? AS b", {1}), ComError);
}

// UTF-8 byte order on both databases: digits < upper case < "_" < lower case < accented < CJK.
// The component compares the text code column with a bare number ("Fid=0"): that compares
// as text, and every ordinary text comparison keeps working beside it.
TEST_P(DatabaseTest, TextComparesInByteOrderAndWithBareNumbersAsText) {
    AddCodes(62, Words("a,B,10,2,01,02,1,车间,Z,下料,é,_"));
    const std::pair<const char*, const char*> cases[] = {
        {"1=1", "01,02,1,10,2,B,Z,_,a,é,下料,车间"},
        {"FID >= 'B' AND FID <= 'a'", "B,Z,_,a"},
        {"FID >= '下'", "下料,车间"},
        {"FID = 1", "1"},  // as text: '01' is not '1'
        {"FID <> 1 AND FID < 'B'", "01,02,10,2"},
        {"FID = '01'", "01"},
        {"FID >= '01' AND FID <= '02'", "01,02"},
        {"FID > '1' AND FID < 'B'", "10,2"},
        {"FID LIKE '0%'", "01,02"},
        {"FID IN ('02', 'a')", "02,a"},
        {"FID <> '1' AND FID < '2'", "01,02,10"},
    };
    for (const auto& [where, expected] : cases)
        EXPECT_EQ(Codes(QString::fromUtf8(where)), Words(expected)) << where;

    AddCodes(281, Words("0,00,1"));
    const RecordsetPtr rs = Query("Select FinterID From t_SubMessage Where FtypeID=281 And Fid=0");
    EXPECT_EQ(rs->FieldNames(), Words("FInterID"));
    EXPECT_EQ(Values(rs), Words("13")) << "'00' is not the text of 0";
}

TEST_P(DatabaseTest, FailuresAreDatabaseErrorsWithTheDatabasesMessage) {
    const QString error = ErrorOf([&] { Query("SELECT NoSuchColumn FROM t_User"); });
    EXPECT_TRUE(error.startsWith(QStringLiteral("3000 Database: ")) &&
                error.contains(QStringLiteral("nosuchcolumn"), Qt::CaseInsensitive))
        << error.toStdString();
    AddUser(1);
    // A duplicate key is told by the database's code, whatever language its messages are in.
    const std::pair<const char*, bool> refused[] = {
        {"INSERT INTO t_User (FUserID, FName) VALUES (1, 'one')", true},  // the primary key
        {"INSERT INTO t_User (FUserID, FName) VALUES (2, '1')", true},    // a unique index
        {"INSERT INTO t_User (FUserID, FName) VALUES (2, NULL)", false},  // another constraint
    };
    for (const auto& [sql, duplicate] : refused) {
        try {
            Exec(sql);
            ADD_FAILURE() << sql;
        } catch (const ComError& e) {
            EXPECT_EQ(platform::IsUniqueViolation(e), duplicate)
                << sql << " " << e.NativeCode().toStdString();
        }
    }
    EXPECT_EQ(Count("t_User"), 1) << "the connection is still usable after a failed statement";
    // Inside a transaction the server refuses every probe until the rollback: a refused
    // statement there must still read as the database's message, not as a lost session.
    const int opened = db().ConnectionsOpened();
    const QString inside = ErrorOf([&] {
        Transaction guard(db());
        AddUser(1);
    });
    EXPECT_FALSE(inside.contains(QStringLiteral("lost"))) << inside.toStdString();
    EXPECT_EQ(Count("t_User"), 1);
    EXPECT_EQ(db().ConnectionsOpened(), opened) << "no reconnect after a refused statement";
}

// The same statement runs again and again with other values (SQLite keeps it prepared):
// each run takes its own values, sees what was written since by another connection, and
// a run the database refuses leaves the statement usable.
TEST_P(DatabaseTest, AStatementRunAgainTakesItsValuesAndSeesNewRows) {
    using namespace Qt::StringLiterals;
    AddUser(1);
    const QString names = QStringLiteral("SELECT FName FROM t_User WHERE FUserID >= ? ORDER BY FUserID");
    EXPECT_EQ(Values(db().Query(names, {1})), QStringList{u"1"_s});
    std::thread([&] { AddUser(2); }).join();
    EXPECT_EQ(Values(db().Query(names, {1})), (QStringList{u"1"_s, u"2"_s}));
    EXPECT_EQ(Values(db().Query(names, {2})), QStringList{u"2"_s});
    EXPECT_THROW(AddUser(2), ComError);
    AddUser(3);
    EXPECT_EQ(Values(db().Query(names, {2})), (QStringList{u"2"_s, u"3"_s}));
    // Hundreds of one-off statements fill what is kept prepared; everything still answers.
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(Values(db().Query(
                      QStringLiteral("SELECT FName || '%1' FROM t_User WHERE FUserID = ?").arg(i), {3})),
                  QStringList{u"3%1"_s.arg(i)});
    EXPECT_EQ(Values(db().Query(names, {3})), QStringList{u"3"_s});
}

TEST_P(DatabaseTest, TransactionsCommitRollBackAndNest) {
    {
        Transaction outer(db());
        AddUser(1);
        Transaction inner(db());
        EXPECT_EQ(db().TransactionDepth(), 2);
        AddUser(2);
        inner.Commit();
        outer.Commit();
    }
    EXPECT_EQ(Count("t_User"), 2);
    EXPECT_FALSE(ErrorOf([&] {
                     Transaction guard(db());
                     AddUser(3);
                     AddUser(1);  // duplicate: the whole unit goes
                     guard.Commit();
                 }).isEmpty());
    EXPECT_EQ(Count("t_User"), 2);
    {
        Transaction outer(db());
        AddUser(4);
        { Transaction inner(db()); }
        EXPECT_THROW(outer.Commit(), ComError) << "an inner unit that gave up";
    }
    EXPECT_EQ(Count("t_User"), 2);
    EXPECT_EQ(db().TransactionDepth(), 0);
}

// Read-then-write units from several threads at once: each must wait for the others
// instead of failing with "database is locked" when it upgrades to a writer. Every
// thread has its own connection, closed when the thread ends.
TEST_P(DatabaseTest, ConcurrentWriteUnitsWaitForEachOtherOnAConnectionPerThread) {
    const int namesBefore = QSqlDatabase::connectionNames().size();
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 25; ++i) {
                try {
                    Transaction unit(db());
                    const int next = Scalar("SELECT COALESCE(MAX(FUserID), 0) + 1 FROM t_User").toInt();
                    QThread::usleep(300);  // let the others read in between
                    AddUser(next);
                    unit.Commit();
                } catch (const ComError&) {
                    ++failures;
                }
            }
        });
    for (auto& thread : threads) thread.join();
    // PostgreSQL reads without waiting; a clash on the key is refused, never stored twice.
    EXPECT_EQ(Count("t_User"), 100 - failures.load());
    EXPECT_EQ(GetParam() == Backend::SQLite ? failures.load() : 0, 0) << "SQLite writers wait";
    EXPECT_EQ(db().ConnectionsOpened(), 5) << "this thread's and one per thread";
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), namesBefore)
        << "a finished thread's connection is open";
}

// A session of the test database that is none of the layer's, as an administrator's tool
// opens it: the server's defaults, and the right to end other sessions.
class OutsideSession {
  public:
    explicit OutsideSession(const QString& url) {
        const DatabaseUrl at = DatabaseUrl::Parse(url);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
        db.setHostName(at.host);
        db.setPort(at.port);
        db.setDatabaseName(at.name);
        db.setUserName(at.user);
        db.setPassword(at.password);
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
    }
    ~OutsideSession() { QSqlDatabase::removeDatabase(name_); }
    QVariant Value(const QString& sql) {
        QSqlQuery query(QSqlDatabase::database(name_, false));
        return query.exec(sql) && query.next() ? query.value(0) : QVariant();
    }

  private:
    const QString name_ = QStringLiteral("outside-%1").arg(QUuid::createUuid().toString(QUuid::Id128));
};

// A server, database or role default that reads a backslash in quoted text as an escape
// would let a value quoted by doubling its quotes end its literal early.
TEST_P(DatabaseTest, EverySessionReadsQuotedTextTheStandardWayWhateverTheDefault) {
    if (GetParam() != Backend::PostgreSQL)
        GTEST_SKIP() << "SQLite has no such setting";
    db().Exec(QStringLiteral("ALTER DATABASE %1 SET standard_conforming_strings = off")
                  .arg(DatabaseUrl::Parse(tdb_->url()).name));
    const QString setting = QStringLiteral("SELECT current_setting('standard_conforming_strings')");
    OutsideSession outside(tdb_->url());
    ASSERT_EQ(outside.Value(setting).toString(), QStringLiteral("off")) << "the default sessions start from";
    QString pooled;
    std::thread([&] { pooled = db().Scalar(setting).toString(); }).join();
    EXPECT_EQ(pooled, QStringLiteral("on"));
    {
        QSqlQuery query(db().OpenDedicated(QStringLiteral("own-session")));
        EXPECT_TRUE(query.exec(setting) && query.next());
        EXPECT_EQ(query.value(0).toString(), QStringLiteral("on"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("own-session"));
}

// Outside a transaction the first statement after a lost session works: the session is
// replaced, and a read that met the loss runs again. A write runs again only when the loss
// showed before it was sent. Inside a transaction nothing runs on the new session.
TEST_P(DatabaseTest, AStatementAfterALostSessionRunsAgainOnlyWhereThatIsSafe) {
    if (GetParam() != Backend::PostgreSQL)
        GTEST_SKIP() << "a SQLite file has no session to lose";
    OutsideSession outside(tdb_->url());
    const auto endFromOutside = [&](bool waitUntilGone) {
        const QString pid = Scalar("SELECT pg_backend_pid()").toString();
        ASSERT_TRUE(outside.Value(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid)).toBool());
        const QString alive = QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE pid = %1").arg(pid);
        QElapsedTimer waited;
        waited.start();
        while (waitUntilGone && outside.Value(alive).toInt() > 0 && waited.elapsed() < 5000)
            QThread::msleep(10);
    };
    // Ends its own session the first time it runs, as a server that goes while a statement
    // runs; `runs` counts the times it ran.
    Exec("CREATE SEQUENCE runs");
    const char* const read =
        "SELECT 'answer', CASE WHEN nextval('runs') = 1 THEN pg_terminate_backend(pg_backend_pid()) END";
    const char* const write =
        "INSERT INTO t_User (FUserID, FName) SELECT 9, 'nine' WHERE "
        "CASE WHEN nextval('runs') = 1 THEN pg_terminate_backend(pg_backend_pid()) ELSE true END";
    const auto runs = [&] { return Scalar("SELECT last_value FROM runs").toInt(); };
    const auto fromOne = [&] { Scalar("SELECT setval('runs', 1, false)"); };
    AddUser(1);
    int opened = db().ConnectionsOpened();

    endFromOutside(false);
    EXPECT_EQ(Count("t_User"), 1) << "the very next read answers";
    EXPECT_EQ(db().ConnectionsOpened(), ++opened);

    endFromOutside(true);
    EXPECT_NO_THROW(AddUser(2)) << "a write after a loss that showed before it was sent";
    EXPECT_EQ(db().ConnectionsOpened(), ++opened);

    fromOne();
    EXPECT_EQ(Scalar(read).toString(), QStringLiteral("answer"));
    EXPECT_EQ(runs(), 2);
    EXPECT_EQ(db().ConnectionsOpened(), ++opened);

    fromOne();
    EXPECT_TRUE(
        ErrorOf([&] { Exec(write); }).contains(QStringLiteral("connection to the database server was lost")));
    EXPECT_EQ(runs(), 1) << "a write that may have been done is not run again";
    EXPECT_EQ(db().ConnectionsOpened(), ++opened);

    fromOne();
    {
        Transaction unit(db());
        AddUser(3);
        EXPECT_THROW(Scalar(read), ComError);
        EXPECT_THROW(AddUser(4), ComError) << "the rest of the unit does not run on a new session";
        EXPECT_THROW(unit.Commit(), ComError);
    }
    EXPECT_EQ(db().TransactionDepth(), 0);
    EXPECT_EQ(runs(), 1);
    EXPECT_EQ(Values(Query("SELECT FUserID FROM t_User ORDER BY FUserID")), Words("1,2"));
    EXPECT_EQ(db().ConnectionsOpened(), ++opened);
}

SP_INSTANTIATE_BACKENDS(DatabaseTest);

// A file that is no database is refused at once, without waiting for a lock, and a
// file without the schema is left as it was: no journal, no WAL, no tables.
TEST(DatabaseOpenTest, ExplainsWhyADatabaseCannotBeOpened) {
    using platform::SchemaPolicy;
    QTemporaryDir dir;
    QFile junk(dir.filePath(QStringLiteral("junk.db")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    QFile empty(dir.filePath(QStringLiteral("empty.db")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    const bool deviceJournal = QFile::exists(QStringLiteral("/dev/null-journal"));
    const std::tuple<QString, SchemaPolicy, const char*> cases[] = {
        {junk.fileName(), SchemaPolicy::CreateIfEmpty, "3000 Database: %1/junk.db is not a SQLite database."},
        {dir.filePath(QStringLiteral("missing.db")), SchemaPolicy::Require, "does not exist"},
        {QStringLiteral("/dev/null"), SchemaPolicy::CreateIfEmpty,
         "/dev/null is not a regular file and cannot hold a database."},
        {empty.fileName(), SchemaPolicy::Require,
         "3001 Database: The database sqlite:%1/empty.db does not hold "
         "the process report tables (it is empty). Prepare it with "
         "erp-host db init."},
        {QStringLiteral("postgresql://nobody@127.0.0.1:1/none"), SchemaPolicy::CreateIfEmpty,
         "3000 Database: Cannot connect to the PostgreSQL database \"none\" on 127.0.0.1:1"},
    };
    for (const auto& [url, policy, reason] : cases) {
        QElapsedTimer took;
        took.start();
        const QString error = ErrorOf([&] { Database::Open(DatabaseUrl::Parse(url), policy); });
        EXPECT_TRUE(error.contains(QString::fromUtf8(reason).replace(QStringLiteral("%1"), dir.path())))
            << error.toStdString();
        EXPECT_LT(took.elapsed(), 5000) << "no busy wait: " << url.toStdString();
    }
    EXPECT_EQ(QFile::exists(QStringLiteral("/dev/null-journal")), deviceJournal);
    EXPECT_EQ(QFileInfo(empty.fileName()).size(), 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), Words("empty.db,junk.db"));
}

TEST(DatabaseOpenTest, AWriteAfterTheFileVanishedOrWasReplacedIsRefused) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shop.db"));
    const auto db = Database::Open(DatabaseUrl::Parse(path), platform::SchemaPolicy::CreateIfEmpty);
    db->Exec(QStringLiteral("CREATE TABLE t (v INTEGER)"));
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"deleted", [&] { ASSERT_TRUE(QFile::remove(path)); }},
        {"replaced", [&] { ASSERT_TRUE(QFile::copy(path + QStringLiteral(".old"), path)); }},
    };
    ASSERT_TRUE(QFile::copy(path, path + QStringLiteral(".old")));
    for (const auto& [name, change] : cases) {
        SCOPED_TRACE(name);
        change();
        for (const bool inTransaction : {true, false}) {
            const QString error = ErrorOf([&] {
                if (!inTransaction)
                    return void(db->Exec(QStringLiteral("INSERT INTO t VALUES (1)")));
                platform::Transaction transaction(*db);
                db->Exec(QStringLiteral("INSERT INTO t VALUES (1)"));
                transaction.Commit();
            });
            EXPECT_TRUE(error.contains(QStringLiteral("was deleted or replaced"))) << error.toStdString();
        }
    }
}

}  // namespace
}  // namespace sp::test
