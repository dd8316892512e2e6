#include <QDate>

#include "platform/host/AppConnection.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "tests/support/BackendTest.h"

namespace sp::test {
namespace {

using platform::AppConnection;

class AppConnectionTest : public BackendTest {
  protected:
    RecordsetPtr Run(const char* sql) { return AppConnection(shared()).Execute(QString::fromUtf8(sql)); }
};

TEST_P(AppConnectionTest, StatementsWithoutResultGiveAClosedEmptyRecordsetOnOneSharedConnection) {
    const RecordsetPtr done = Run("INSERT INTO t_User (FUserID, FName) VALUES (7, 'x')");
    ASSERT_TRUE(done);
    EXPECT_FALSE(done->IsOpen());
    EXPECT_TRUE(done->Eof());
    const RecordsetPtr rows = Run("SELECT FName FROM t_User WHERE FUserID=7");
    EXPECT_TRUE(rows->IsOpen());
    EXPECT_EQ(rows->Field(0).toString(), QStringLiteral("x"));
    EXPECT_THROW(Run("SELEC nonsense"), ComError);
    for (int i = 0; i < 200; ++i) Run("SELECT COUNT(*) FROM t_User");
    EXPECT_EQ(db().ConnectionsOpened(), 1);
}

TEST_P(AppConnectionTest, AnswersTheHostsServerDateQueryInEitherDialect) {
    for (const char* sql :
         {"Select Convert(varchar,GetDate(),101)", "select convert(varchar, getdate(), 101);",
          "  SELECT CONVERT( VARCHAR , GETDATE() , 101 )"}) {
        const QString text = Run(sql)->Field(0).toString();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d{4}$")).match(text).hasMatch())
            << sql << " gave " << text.toStdString();
        // The database runs on this machine: its date is ours (give or take midnight).
        EXPECT_LE(std::abs(Basic::ToDate(text).daysTo(QDate::currentDate())), 1) << sql;
    }
    EXPECT_FALSE(AppConnection::IsServerDateQuery(QStringLiteral("Select Convert(varchar,GetDate(),102)")));
}

TEST_P(AppConnectionTest, TransactionsCommitRollBackAndDieRolledBack) {
    {
        AppConnection cnn(shared());
        cnn.BeginTrans();
        cnn.Execute(QStringLiteral("INSERT INTO t_User (FUserID, FName) VALUES (1, 'a')"));
        cnn.CommitTrans();
        cnn.BeginTrans();
        cnn.Execute(QStringLiteral("INSERT INTO t_User (FUserID, FName) VALUES (2, 'b')"));
        cnn.RollbackTrans();
        EXPECT_THROW(cnn.CommitTrans(), ComError);
        cnn.BeginTrans();
        cnn.Execute(QStringLiteral("INSERT INTO t_User (FUserID, FName) VALUES (3, 'c')"));
    }
    EXPECT_EQ(Count("t_User"), 1);
    EXPECT_EQ(db().TransactionDepth(), 0);
}

SP_INSTANTIATE_BACKENDS(AppConnectionTest);

}  // namespace
}  // namespace sp::test
