#include <QDate>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QThread>
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
        QStringList codes;
        const RecordsetPtr rs = db().Query(
            QStringLiteral("SELECT FID FROM t_SubMessage WHERE FTypeID=62 AND %1 ORDER BY FID").arg(where));
        for (; !rs->Eof(); rs->MoveNext()) codes << rs->Field(0).toString();
        return codes;
    }
    void AddUser(int id) {
        Exec("INSERT INTO t_User (FUserID, FName) VALUES (?, ?)", {id, QString::number(id)});
    }
};

// Names keep their case and values their types on both databases, expressions included.
TEST_P(DatabaseTest, ValuesComeBackInTheSameShapesOnBothDatabases) {
    Exec(
        "INSERT INTO ICMO (FInterID, FBillNo, FItemID, FQty, FPlanCommitDate, FPlanFinishDate) "
        "VALUES (?, ?, ?, ?, ?, ?)",
        {7, QStringLiteral("WORK-车间-1"), 12, 2.5, QDate(2026, 3, 9), QVariant()});
    const RecordsetPtr rs =
        Query("SELECT FInterID, FBillNo, FQty, FPlanCommitDate, FPlanFinishDate, FStatus FROM ICMO");
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->FieldNames(), Words("FInterID,FBillNo,FQty,FPlanCommitDate,FPlanFinishDate,FStatus"));
    const QList<QVariant> row{7, QStringLiteral("WORK-车间-1"), 2.5, QDate(2026, 3, 9)};
    for (int i = 0; i < row.size(); ++i) {
        EXPECT_EQ(rs->Field(i).typeId(), row[i].typeId()) << i;
        EXPECT_EQ(rs->Field(i), row[i]) << i;
    }
    EXPECT_FALSE(rs->Field(4).isValid());  // NULL is a null QVariant, not an empty date
    EXPECT_EQ(rs->Field(5).toInt(), 1);    // column default

    const RecordsetPtr agg = Query(
        "SELECT MAX(FPlanCommitDate) AS LastDay, COUNT(*) AS Cnt, 5000000000 AS "
        "Big, (FQty > 1) AS IsBig FROM ICMO GROUP BY FQty");
    EXPECT_EQ(agg->FieldNames(), Words("LastDay,Cnt,Big,IsBig"));
    EXPECT_EQ(agg->Field(0).typeId(), QMetaType::QDate);
    EXPECT_EQ(agg->Field(1).typeId(), QMetaType::Int);
    EXPECT_EQ(agg->Field(2), QVariant(5000000000LL));
    EXPECT_EQ(agg->Field(2).typeId(), QMetaType::LongLong);
    EXPECT_EQ(agg->Field(3), QVariant(1));
}

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
}

TEST_P(DatabaseTest, PlaceholdersAreFoundOnlyOutsideQuotesAndComments) {
    AddUser(1);
    const RecordsetPtr rs = Query(
        "SELECT '?' AS q, 1-? AS m, ? AS s /* ? */, ? AS d, ? AS n "
        "FROM t_User -- ?\nWHERE FUserID = ? OR FName = 'it''s ?'",
        {-5, QStringLiteral("a?b\\'c--"), 2.25, QVariant(), 1});
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(RowText(rs), QStringLiteral("?|6|a?b\\'c--|2.25|"));
    EXPECT_FALSE(rs->Field(4).isValid());
    EXPECT_THROW(Query("SELECT ? AS a, ? AS b", {1}), ComError);
}

// UTF-8 byte order: digits < upper case < "_" < lower case < accented < CJK (by code point).
TEST_P(DatabaseTest, TextComparesInByteOrder) {
    AddCodes(62, Words("a,B,10,2,01,车间,Z,下料,é,_"));
    EXPECT_EQ(Codes(QStringLiteral("1=1")), Words("01,10,2,B,Z,_,a,é,下料,车间"));
    EXPECT_EQ(Codes(QStringLiteral("FID >= 'B' AND FID <= 'a'")), Words("B,Z,_,a"));
    EXPECT_EQ(Codes(QStringLiteral("FID > '2'")).first(), QStringLiteral("B"));
    EXPECT_EQ(Codes(QStringLiteral("FID >= '下'")), Words("下料,车间"));
}

// The component compares the text code column with a bare number ("Fid=0"); every
// ordinary text comparison must keep working beside it.
TEST_P(DatabaseTest, CodeColumnsCompareWithNumbersAsText) {
    AddCodes(281, Words("0,00,1"));
    AddCodes(62, Words("01,02,1,x"));
    const RecordsetPtr rs = Query("Select FinterID From t_SubMessage Where FtypeID=281 And Fid=0");
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->FieldNames(), Words("FInterID"));
    EXPECT_EQ(rs->Field(0).toInt(), 1);
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof()) << "'00' is not the text of 0";

    const struct {
        const char* where;
        const char* expected;
    } cases[] = {
        {"FID = 1", "1"},  // as text: '01' is not '1'
        {"FID <> 1", "01,02,x"},   {"FID = '01'", "01"},       {"FID >= '01' AND FID <= '02'", "01,02"},
        {"FID > '1'", "x"},        {"FID LIKE '0%'", "01,02"}, {"FID IN ('02', 'x')", "02,x"},
        {"FID <> 'x'", "01,02,1"},
    };
    for (const auto& c : cases) EXPECT_EQ(Codes(QString::fromUtf8(c.where)), Words(c.expected)) << c.where;
    EXPECT_EQ(Scalar("SELECT FInterID FROM t_SubMessage WHERE FTypeID=62 AND FID = ?", {QStringLiteral("01")})
                  .toInt(),
              4);
}

TEST_P(DatabaseTest, FailuresAreDatabaseErrorsWithTheDatabasesMessage) {
    const QString error = ErrorOf([&] { Query("SELECT NoSuchColumn FROM t_User"); });
    EXPECT_TRUE(error.startsWith(QStringLiteral("3000 Database: ")) &&
                error.contains(QStringLiteral("nosuchcolumn"), Qt::CaseInsensitive))
        << error.toStdString();
    AddUser(1);
    EXPECT_THROW(AddUser(1), ComError);
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
    try {
        Transaction guard(db());
        AddUser(3);
        AddUser(1);  // duplicate: the whole unit goes
        guard.Commit();
    } catch (const ComError&) {
    }
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

// Read-then-write units from several connections at once: each must wait for the
// other instead of failing with "database is locked" when it upgrades to a writer.
TEST_P(DatabaseTest, ConcurrentWriteUnitsWaitForEachOther) {
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
    if (GetParam() == Backend::SQLite) {
        EXPECT_EQ(failures.load(), 0);
    }
}

TEST_P(DatabaseTest, OneConnectionPerThreadAndNoneLeftBehind) {
    const int namesBefore = QSqlDatabase::connectionNames().size();
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i) Count("t_User");
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(db().ConnectionsOpened(), 4);
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), namesBefore)
        << "a finished thread's connection stays open";
}

TEST_P(DatabaseTest, ALostServerSessionIsReplacedOnNextUse) {
    if (GetParam() != Backend::PostgreSQL)
        GTEST_SKIP() << "a SQLite file has no session to lose";
    {
        Transaction open(db());
        EXPECT_THROW(Scalar("SELECT pg_terminate_backend(pg_backend_pid())"), ComError);
        EXPECT_EQ(db().TransactionDepth(), 0) << "the transaction died with the session";
    }
    EXPECT_EQ(Count("t_User"), 0);
    EXPECT_EQ(db().ConnectionsOpened(), 2);
}

SP_INSTANTIATE_BACKENDS(DatabaseTest);

TEST(DatabaseOpenTest, ExplainsWhyADatabaseCannotBeOpened) {
    QTemporaryDir dir;
    QFile junk(dir.filePath(QStringLiteral("junk.db")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    EXPECT_THROW(Database::Open(DatabaseUrl::Parse(junk.fileName())), ComError);
    const struct {
        QString url;
        bool create;
        const char* reason;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing.db")), false, "does not exist"},
        {QStringLiteral("postgresql://nobody@127.0.0.1:1/none"), true,
         "Cannot connect to the PostgreSQL database \"none\" on 127.0.0.1:1"},
    };
    for (const auto& c : cases) {
        const QString error = ErrorOf([&] { Database::Open(DatabaseUrl::Parse(c.url), c.create); });
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
    }
}

}  // namespace
}  // namespace sp::test
