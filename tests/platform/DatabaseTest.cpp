#include <QDate>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QThread>
#include <thread>

#include "BackendTest.h"
#include "common/ComError.h"

namespace sp::testing {
namespace {

using platform::Database;
using platform::DatabaseUrl;
using platform::Dialect;
using platform::Transaction;

class DatabaseTest : public BackendTest {
  protected:
    void AddSubMessage(int id, int type, const QString& code, const QString& name = QStringLiteral("x")) {
        db().Exec(
            QStringLiteral("INSERT INTO t_SubMessage (FInterID, FTypeID, FID, FName) VALUES (?, ?, ?, ?)"),
            {id, type, code, name});
    }
    QStringList Codes(const QString& where) {
        QStringList codes;
        const RecordsetPtr rs = db().Query(
            QStringLiteral("SELECT FID FROM t_SubMessage WHERE FTypeID=62 AND %1 ORDER BY FID").arg(where));
        for (; !rs->Eof(); rs->MoveNext()) codes << rs->Field(0).toString();
        return codes;
    }
};

TEST_P(DatabaseTest, ValuesComeBackInTheSameShapesOnBothDatabases) {
    db().Exec(QStringLiteral(
                  "INSERT INTO ICMO (FInterID, FBillNo, FItemID, FQty, FPlanCommitDate, FPlanFinishDate) "
                  "VALUES (?, ?, ?, ?, ?, ?)"),
              {7, QStringLiteral("WORK-车间-1"), 12, 2.5, QDate(2026, 3, 9), QVariant()});
    const RecordsetPtr rs = db().Query(QStringLiteral(
        "SELECT FInterID, FBillNo, FQty, FPlanCommitDate, FPlanFinishDate, FStatus FROM ICMO"));
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->FieldNames(), (QStringList{QStringLiteral("FInterID"), QStringLiteral("FBillNo"),
                                             QStringLiteral("FQty"), QStringLiteral("FPlanCommitDate"),
                                             QStringLiteral("FPlanFinishDate"), QStringLiteral("FStatus")}));
    EXPECT_EQ(rs->Field(0).typeId(), QMetaType::Int);
    EXPECT_EQ(rs->Field(0).toInt(), 7);
    EXPECT_EQ(rs->Field(1).typeId(), QMetaType::QString);
    EXPECT_EQ(rs->Field(1).toString(), QStringLiteral("WORK-车间-1"));
    EXPECT_EQ(rs->Field(2).typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(rs->Field(2).toDouble(), 2.5);
    EXPECT_EQ(rs->Field(3).typeId(), QMetaType::QDate);
    EXPECT_EQ(rs->Field(3).toDate(), QDate(2026, 3, 9));
    EXPECT_FALSE(rs->Field(4).isValid());  // NULL is a null QVariant, not an empty date
    EXPECT_EQ(rs->Field(5).toInt(), 1);    // column default

    // Expressions: a date from MAX, a count, a big number, a comparison.
    const RecordsetPtr agg =
        db().Query(QStringLiteral("SELECT MAX(FPlanCommitDate) AS LastDay, COUNT(*) AS Cnt, 5000000000 AS "
                                  "Big, (FQty > 1) AS IsBig FROM ICMO "
                                  "GROUP BY FQty"));
    EXPECT_EQ(agg->FieldNames(), (QStringList{QStringLiteral("LastDay"), QStringLiteral("Cnt"),
                                              QStringLiteral("Big"), QStringLiteral("IsBig")}));
    EXPECT_EQ(agg->Field(0).typeId(), QMetaType::QDate);
    EXPECT_EQ(agg->Field(1).typeId(), QMetaType::Int);
    EXPECT_EQ(agg->Field(2).typeId(), QMetaType::LongLong);
    EXPECT_EQ(agg->Field(2).toLongLong(), 5000000000LL);
    EXPECT_EQ(agg->Field(3), QVariant(1));
}

TEST_P(DatabaseTest, BoundParametersCarryQuotesAndNullsSafely) {
    const QString nasty = QStringLiteral("O'Brien'); DROP TABLE t_User; --");
    db().Exec(QStringLiteral("INSERT INTO t_User (FUserID, FName) VALUES (?, ?)"), {5, nasty});
    EXPECT_EQ(db().Scalar(QStringLiteral("SELECT FName FROM t_User WHERE FName = ?"), {nasty}).toString(),
              nasty);
    EXPECT_EQ(db().Scalar(QStringLiteral("SELECT COUNT(*) FROM t_User")).toInt(), 1);
    EXPECT_FALSE(db().Scalar(QStringLiteral("SELECT FValue FROM t_SystemProfile WHERE FKey = ?"),
                             {QStringLiteral("none")})
                     .isValid());
    // A null QString is empty text (the column refuses NULL); only an invalid QVariant is NULL.
    db().Exec(QStringLiteral("INSERT INTO t_User (FUserID, FName, FDescription) VALUES (6, 'six', ?)"),
              {QString()});
    EXPECT_EQ(db().Scalar(QStringLiteral("SELECT FDescription FROM t_User WHERE FUserID = 6")),
              QVariant(QString()));
    EXPECT_THROW(
        db().Exec(QStringLiteral("INSERT INTO t_User (FUserID, FName, FDescription) VALUES (7, 'seven', ?)"),
                  {QVariant()}),
        ComError);
    EXPECT_EQ(db().Exec(QStringLiteral("UPDATE t_User SET FDescription = ? WHERE FUserID = ?"), {true, 5}),
              1);
    EXPECT_EQ(db().Scalar(QStringLiteral("SELECT FDescription FROM t_User WHERE FUserID = 5")).toString(),
              QStringLiteral("1"));
}

TEST_P(DatabaseTest, PlaceholdersAreFoundOnlyOutsideQuotesAndComments) {
    const RecordsetPtr rs =
        db().Query(QStringLiteral("SELECT '?' AS q, \"fname\" AS n, 1-? AS m, ? AS s /* ? */ "
                                  "FROM t_User -- ?\nWHERE FUserID = ? OR FName = 'it''s ?'"),
                   {-5, QStringLiteral("a?b\\'c"), 0});
    EXPECT_TRUE(rs->Eof());  // no users: the statement ran with its three values
    db().Exec(QStringLiteral("INSERT INTO t_User (FUserID, FName) VALUES (?, ?)"), {1, QStringLiteral("x")});
    const RecordsetPtr one =
        db().Query(QStringLiteral("SELECT '?' AS q, 1-? AS m, ? AS s, ? AS d, ? AS n FROM t_User"),
                   {-5, QStringLiteral("a?b\\'c--"), 2.25, QVariant()});
    ASSERT_FALSE(one->Eof());
    EXPECT_EQ(one->Field(0).toString(), QStringLiteral("?"));
    EXPECT_EQ(one->Field(1).toInt(), 6);
    EXPECT_EQ(one->Field(2).toString(), QStringLiteral("a?b\\'c--"));
    EXPECT_DOUBLE_EQ(one->Field(3).toDouble(), 2.25);
    EXPECT_FALSE(one->Field(4).isValid());
    EXPECT_THROW(db().Query(QStringLiteral("SELECT ? AS a, ? AS b"), {1}), ComError);
}

TEST_P(DatabaseTest, TextComparesInByteOrder) {
    const QStringList codes{QStringLiteral("a"), QStringLiteral("B"),    QStringLiteral("10"),
                            QStringLiteral("2"), QStringLiteral("01"),   QStringLiteral("车间"),
                            QStringLiteral("Z"), QStringLiteral("下料"), QStringLiteral("é"),
                            QStringLiteral("_")};
    int id = 1;
    for (const QString& code : codes) AddSubMessage(id++, 62, code);
    // UTF-8 byte order: digits < upper case < "_" < lower case < accented < CJK (by code point).
    const QStringList sorted{QStringLiteral("01"),  QStringLiteral("10"), QStringLiteral("2"),
                             QStringLiteral("B"),   QStringLiteral("Z"),  QStringLiteral("_"),
                             QStringLiteral("a"),   QStringLiteral("é"),  QStringLiteral("下料"),
                             QStringLiteral("车间")};
    EXPECT_EQ(Codes(QStringLiteral("1=1")), sorted);
    EXPECT_EQ(
        Codes(QStringLiteral("FID >= 'B' AND FID <= 'a'")),
        (QStringList{QStringLiteral("B"), QStringLiteral("Z"), QStringLiteral("_"), QStringLiteral("a")}));
    EXPECT_EQ(Codes(QStringLiteral("FID > '2'")).first(), QStringLiteral("B"));
    EXPECT_EQ(Codes(QStringLiteral("FID >= '下'")),
              (QStringList{QStringLiteral("下料"), QStringLiteral("车间")}));
}

// The component compares the text code column with a bare number ("Fid=0"); every
// ordinary text comparison must keep working beside it.
TEST_P(DatabaseTest, CodeColumnsCompareWithNumbersAsText) {
    AddSubMessage(1, 281, QStringLiteral("0"), QStringLiteral("通用设备"));
    AddSubMessage(2, 281, QStringLiteral("00"));
    AddSubMessage(3, 281, QStringLiteral("1"));
    AddSubMessage(4, 62, QStringLiteral("01"));
    AddSubMessage(5, 62, QStringLiteral("02"));
    AddSubMessage(6, 62, QStringLiteral("1"));
    AddSubMessage(7, 62, QStringLiteral("x"));

    const RecordsetPtr rs =
        db().Query(QStringLiteral("Select FinterID From t_SubMessage Where FtypeID=281 And Fid=0"));
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->FieldNames(), QStringList{QStringLiteral("FInterID")});
    EXPECT_EQ(rs->Field(0).toInt(), 1);
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof()) << "'00' is not the text of 0";

    const struct {
        const char* where;
        QStringList expected;
    } cases[] = {
        {"FID = 1", {QStringLiteral("1")}},  // as text: '01' is not '1'
        {"FID <> 1", {QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("x")}},
        {"FID = '01'", {QStringLiteral("01")}},
        {"FID = 'x'", {QStringLiteral("x")}},
        {"FID >= '01' AND FID <= '02'", {QStringLiteral("01"), QStringLiteral("02")}},
        {"FID > '1'", {QStringLiteral("x")}},
        {"FID LIKE '0%'", {QStringLiteral("01"), QStringLiteral("02")}},
        {"FID IN ('02', 'x')", {QStringLiteral("02"), QStringLiteral("x")}},
        {"FID <> 'x'", {QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("1")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        EXPECT_EQ(Codes(QString::fromUtf8(c.where)), c.expected);
    }
    // Bound parameters are text or numbers alike.
    EXPECT_EQ(db().Scalar(QStringLiteral("SELECT FInterID FROM t_SubMessage WHERE FTypeID=62 AND FID = ?"),
                          {QStringLiteral("01")})
                  .toInt(),
              4);
}

TEST_P(DatabaseTest, FailuresAreDatabaseErrorsWithTheDatabasesMessage) {
    try {
        db().Query(QStringLiteral("SELECT NoSuchColumn FROM t_User"));
        FAIL() << "no error";
    } catch (const ComError& e) {
        EXPECT_EQ(e.Number(), ErrorNumber::Database);
        EXPECT_EQ(e.Source(), QStringLiteral("Database"));
        EXPECT_TRUE(e.Description().contains(QStringLiteral("nosuchcolumn"), Qt::CaseInsensitive))
            << e.Description().toStdString();
    }
    db().Exec(QStringLiteral("INSERT INTO t_User (FUserID, FName) VALUES (1, 'a')"));
    EXPECT_THROW(db().Exec(QStringLiteral("INSERT INTO t_User (FUserID, FName) VALUES (?, ?)"),
                           {1, QStringLiteral("b")}),
                 ComError);
    // The connection is still usable after a failed statement.
    EXPECT_EQ(db().Scalar(QStringLiteral("SELECT COUNT(*) FROM t_User")).toInt(), 1);
}

TEST_P(DatabaseTest, TransactionsCommitRollBackAndNest) {
    const auto count = [&] { return db().Scalar(QStringLiteral("SELECT COUNT(*) FROM t_User")).toInt(); };
    const auto add = [&](int id) {
        db().Exec(QStringLiteral("INSERT INTO t_User (FUserID, FName) VALUES (?, ?)"),
                  {id, QString::number(id)});
    };
    {
        Transaction outer(db());
        add(1);
        {
            Transaction inner(db());
            EXPECT_EQ(db().TransactionDepth(), 2);
            add(2);
            inner.Commit();
        }
        outer.Commit();
    }
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(db().TransactionDepth(), 0);

    try {
        Transaction guard(db());
        add(3);
        add(1);  // duplicate: the whole unit goes
        guard.Commit();
    } catch (const ComError&) {
    }
    EXPECT_EQ(count(), 2);

    // An inner unit that gave up may not be committed by the outer one.
    {
        Transaction outer(db());
        add(4);
        { Transaction inner(db()); }
        EXPECT_THROW(outer.Commit(), ComError);
    }
    EXPECT_EQ(count(), 2);
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
                    const int next =
                        db().Scalar(QStringLiteral("SELECT COALESCE(MAX(FUserID), 0) + 1 FROM t_User"))
                            .toInt();
                    QThread::usleep(300);  // let the others read in between
                    db().Exec(QStringLiteral("INSERT INTO t_User (FUserID, FName) VALUES (?, ?)"),
                              {next, QString::number(next)});
                    unit.Commit();
                } catch (const ComError&) {
                    ++failures;
                }
            }
        });
    for (auto& thread : threads) thread.join();
    if (GetParam() == Backend::SQLite) {
        EXPECT_EQ(failures.load(), 0);
        EXPECT_EQ(db().Scalar(QStringLiteral("SELECT COUNT(*) FROM t_User")).toInt(), 100);
    } else {
        // PostgreSQL reads without waiting; a clash on the key is refused, never stored twice.
        EXPECT_EQ(db().Scalar(QStringLiteral("SELECT COUNT(*) FROM t_User")).toInt(), 100 - failures.load());
    }
}

TEST_P(DatabaseTest, OneConnectionPerThreadAndNoneLeftBehind) {
    const int before = db().ConnectionsOpened();
    EXPECT_EQ(before, 1);
    for (int i = 0; i < 50; ++i) db().Scalar(QStringLiteral("SELECT COUNT(*) FROM t_User"));
    EXPECT_EQ(db().ConnectionsOpened(), 1);

    const int namesBefore = QSqlDatabase::connectionNames().size();
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i) db().Scalar(QStringLiteral("SELECT COUNT(*) FROM t_User"));
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
        EXPECT_THROW(db().Scalar(QStringLiteral("SELECT pg_terminate_backend(pg_backend_pid())")), ComError);
        EXPECT_EQ(db().TransactionDepth(), 0) << "the transaction died with the session";
    }
    EXPECT_EQ(db().Scalar(QStringLiteral("SELECT COUNT(*) FROM t_User")).toInt(), 0);
    EXPECT_EQ(db().ConnectionsOpened(), 2);
}

TEST(DatabaseOpenTest, ExplainsWhyADatabaseCannotBeOpened) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.db"));
    try {
        Database::Open(DatabaseUrl::Parse(missing), false);
        FAIL();
    } catch (const ComError& e) {
        EXPECT_TRUE(e.Description().contains(QStringLiteral("does not exist")))
            << e.Description().toStdString();
    }
    QFile junk(dir.filePath(QStringLiteral("junk.db")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    EXPECT_THROW(Database::Open(DatabaseUrl::Parse(junk.fileName())), ComError);
    try {
        Database::Open(DatabaseUrl::Parse(QStringLiteral("postgresql://nobody@127.0.0.1:1/none")));
        FAIL();
    } catch (const ComError& e) {
        EXPECT_TRUE(e.Description().contains(
            QStringLiteral("Cannot connect to the PostgreSQL database \"none\" on 127.0.0.1:1")))
            << e.Description().toStdString();
    }
}

TEST(DatabaseOpenTest, SqliteRunsInWalModeAndReleasesConnectionsWhenGone) {
    QTemporaryDir dir;
    const QString prefixBefore = QSqlDatabase::connectionNames().join(QLatin1Char(','));
    {
        auto db = Database::Open(DatabaseUrl::Parse(dir.filePath(QStringLiteral("sub/dir/w.db"))));
        EXPECT_EQ(db->Scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
        EXPECT_EQ(db->Scalar(QStringLiteral("PRAGMA busy_timeout")).toInt(), 10000);
    }
    EXPECT_EQ(QSqlDatabase::connectionNames().join(QLatin1Char(',')), prefixBefore);
}

SP_INSTANTIATE_BACKENDS(DatabaseTest);

}  // namespace
}  // namespace sp::testing
