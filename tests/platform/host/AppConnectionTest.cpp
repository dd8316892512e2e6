#include <QDate>

#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "platform/db/DemoData.h"
#include "platform/host/AppConnection.h"
#include "tests/support/BackendTest.h"

namespace sp::test {
namespace {

using platform::AppConnection;

class AppConnectionTest : public BackendTest {
  protected:
    RecordsetPtr Run(const QString& sql) { return AppConnection(tdb_->db()).Execute(sql); }
};

TEST_P(AppConnectionTest, StatementsWithoutResultGiveAClosedEmptyRecordsetOnOneSharedConnection) {
    const RecordsetPtr done = Run(QStringLiteral("INSERT INTO t_User (FUserID, FName) VALUES (7, 'x')"));
    ASSERT_TRUE(done);
    EXPECT_FALSE(done->IsOpen());
    EXPECT_TRUE(done->Eof());
    const RecordsetPtr rows = Run(QStringLiteral("SELECT FName FROM t_User WHERE FUserID=7"));
    EXPECT_TRUE(rows->IsOpen());
    EXPECT_EQ(rows->Field(0).toString(), QStringLiteral("x"));
    EXPECT_THROW(Run(QStringLiteral("SELEC nonsense")), ComError);
    for (int i = 0; i < 200; ++i) Run(QStringLiteral("SELECT COUNT(*) FROM t_User"));
    EXPECT_EQ(db().ConnectionsOpened(), 1);
}

TEST_P(AppConnectionTest, AnswersTheHostsServerDateQueryInEitherDialect) {
    for (const char* sql :
         {"Select Convert(varchar,GetDate(),101)", "select convert(varchar, getdate(), 101);",
          "  SELECT CONVERT( VARCHAR , GETDATE() , 101 )"}) {
        const QString text = Run(QString::fromUtf8(sql))->Field(0).toString();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d{4}$")).match(text).hasMatch())
            << sql << " gave " << text.toStdString();
        // The database runs on this machine: its date is ours (give or take midnight).
        EXPECT_LE(std::abs(Basic::ToDate(text).daysTo(QDate::currentDate())), 1) << sql;
    }
    EXPECT_FALSE(AppConnection::IsServerDateQuery(QStringLiteral("Select Convert(varchar,GetDate(),102)")));
}

TEST_P(AppConnectionTest, TransactionsCommitRollBackAndDieRolledBack) {
    {
        AppConnection cnn(tdb_->db());
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

// The component's own statements run as written on both databases, on the demo plant.
class ComponentStatementTest : public AppConnectionTest {
  protected:
    void SetUp() override {
        AppConnectionTest::SetUp();
        if (tdb_)
            platform::SeedDemo(db());
    }
    int Status(int wbId) {
        return Scalar("SELECT FStatus FROM SHWorkBillEntry WHERE FWBInterID=?", {wbId}).toInt();
    }
};

TEST_P(ComponentStatementTest, ReadsTheDefaultDeviceTypeAndTheQualityCheck) {
    EXPECT_EQ(Run(QStringLiteral("Select FinterID From t_SubMessage Where FtypeID=281 And Fid=0"))
                  ->Field(0)
                  .toInt(),
              501);
    const QString check = QStringLiteral("SELECT FQualityChkID From SHWorkBillEntry Where FWorkbillNO='%1'");
    EXPECT_EQ(Run(check.arg(Basic::SqlQuote(QStringLiteral("WB000127"))))->Field(0).toInt(), 351);
    EXPECT_TRUE(Run(check.arg(Basic::SqlQuote(QStringLiteral("x' OR '1'='1"))))->Eof());
    EXPECT_EQ(Run(QStringLiteral("Select FWorkBillNo From shworkbillentry Where FWBInterID=1001"))
                  ->Field(0)
                  .toString(),
              QStringLiteral("WB000123"));
}

TEST_P(ComponentStatementTest, UnloadClosesOnlyPassedWorkBillsWithoutUnauditedReports) {
    const QString unload = QStringLiteral(
        "Update SHWorkBillEntry Set Fstatus = 3 Where Fstatus < 3 And Fstatus > 0 And "
        "FAuxQtyPass>=FauxQtyPlan And "
        "(SELECT Count(*) FROM SHProcRpt Where SHProcRpt.FWBInterID = SHWorkBillEntry.FWBInterID And "
        "SHProcRpt.Fstatus = 0) = 0");
    const int closedBefore = Count("SHWorkBillEntry WHERE FStatus = 3");
    Run(unload);
    EXPECT_EQ(Count("SHWorkBillEntry WHERE FStatus = 3"), closedBefore) << "nothing passed yet";

    Exec("UPDATE SHWorkBillEntry SET FAuxQtyPass = FAuxQtyPlan WHERE FWBInterID IN (1001, 1002, 1003)");
    Exec(
        "INSERT INTO SHProcRpt (FWBInterID, Fserial, Fstatus) VALUES (1001, 1, 1), "
        "(1002, 1, 0)");  // audited, still unaudited
    Run(unload);
    EXPECT_EQ(Status(1001), 3);
    EXPECT_NE(Status(1002), 3);
    EXPECT_EQ(Status(1003), 3);
}

TEST_P(ComponentStatementTest, LayoutStatementsRunAsWritten) {
    Exec(
        "INSERT INTO SHRptDef (Ftype, FuserID, Ffield, Fname, Forder) VALUES "
        "('ProcRpt', 1, 'JSS', ?, 4)",
        {QStringLiteral("接收数")});
    Run(QStringLiteral(
        "Update SHRptDef Set Forder=2,Fshow=0 Where Ftype='ProcRpt' And FuserID=1 And Ffield='JSS'"));
    Run(QStringLiteral(
        "Update SHRptDef Set Fwidth=1234.5 Where Ftype='ProcRpt' And FuserID=1 And Ffield='JSS'"));
    const RecordsetPtr rs = Run(QStringLiteral("Select * From SHRptDef"));
    ExpectFields(rs, "Forder=2;Fshow=0;Fwidth=1234.5");
    EXPECT_EQ(rs->FieldNames().first(), QStringLiteral("Ftype"));
    Run(QStringLiteral("Delete From SHRptDef Where Ftype='ProcRpt' And FuserID=1"));
    EXPECT_EQ(Count("SHRptDef"), 0);
}

SP_INSTANTIATE_BACKENDS(AppConnectionTest);
SP_INSTANTIATE_BACKENDS(ComponentStatementTest);

}  // namespace
}  // namespace sp::test
