#include <QRegularExpression>
#include <QSet>

#include "BackendTest.h"
#include "common/ComError.h"
#include "platform/db/DemoData.h"

namespace sp::testing {
namespace {

namespace Rights = platform::Rights;

class DemoDataTest : public BackendTest {
  protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (tdb_)
            platform::SeedDemo(db());
    }
    int Count(const QString& sql) { return db().Scalar(sql).toInt(); }
    qint64 RightsOf(const QString& name) {
        return db()
            .Scalar(
                QStringLiteral("SELECT r.FRights FROM t_UserRight r JOIN t_User u ON u.FUserID = r.FUserID "
                               "WHERE u.FName = ? AND r.FSubSys = 1024 AND r.FFunction = 30"),
                {name})
            .toLongLong();
    }
};

TEST_P(DemoDataTest, EveryOpenTaskHasARoutingOfThreeToSixNumberedOperations) {
    const RecordsetPtr tasks =
        db().Query(QStringLiteral("SELECT mo.FInterID, COUNT(*) AS Ops, MIN(wbe.FEntryID) AS First, "
                                  "MAX(wbe.FEntryID) AS Last FROM ICMO mo "
                                  "JOIN SHWorkBillEntry wbe ON wbe.FInterID = mo.FInterID WHERE mo.FTranType "
                                  "= 85 AND mo.FStatus IN (1, 2) "
                                  "AND mo.FRoutingID > 0 GROUP BY mo.FInterID"));
    EXPECT_GE(tasks->RecordCount(), 6);
    for (; !tasks->Eof(); tasks->MoveNext()) {
        SCOPED_TRACE(tasks->Field(0).toInt());
        EXPECT_GE(tasks->Field(1).toInt(), 3);
        EXPECT_LE(tasks->Field(1).toInt(), 6);
        EXPECT_EQ(tasks->Field(2).toInt(), 1);
        EXPECT_EQ(tasks->Field(3).toInt(), tasks->Field(1).toInt());
    }
    const QRegularExpression number(QStringLiteral("^WB\\d{6}$"));
    for (const RecordsetPtr wb = db().Query(QStringLiteral("SELECT FWorkBillNO FROM SHWorkBillEntry"));
         !wb->Eof(); wb->MoveNext())
        EXPECT_TRUE(number.match(wb->Field(0).toString()).hasMatch());
    // Every operation names a process, a work center of a production department and a time unit.
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM SHWorkBillEntry wbe JOIN t_SubMessage p ON "
                                   "p.FInterID = wbe.FOperID AND p.FTypeID = 61 "
                                   "JOIN t_WorkCenter wc ON wc.FInterID = wbe.FWorkCenterID JOIN "
                                   "t_Department d ON d.FItemID = wc.FDeptID "
                                   "JOIN t_SubMessage u ON u.FInterID = wbe.FTimeUnitID AND u.FTypeID = 282 "
                                   "WHERE d.FDProperty = 1070")),
              Count(QStringLiteral("SELECT COUNT(*) FROM SHWorkBillEntry")));
}

TEST_P(DemoDataTest, HoldsTheCasesTheWorkbenchHasRulesFor) {
    const struct {
        const char* what;
        const char* sql;
        int min;
        int max;
    } cases[] = {
        {"one outsourced operation with a supplier",
         "SELECT COUNT(*) FROM SHWorkBillEntry WHERE FisOut = 1058 AND FsupplyID > 0", 1, 99},
        {"outsourced without supplier",
         "SELECT COUNT(*) FROM SHWorkBillEntry WHERE FisOut = 1058 AND FsupplyID = 0", 0, 0},
        {"exactly one without fee", "SELECT COUNT(*) FROM SHWorkBillEntry WHERE Ffare = 1059", 1, 1},
        {"full inspection", "SELECT COUNT(*) FROM SHWorkBillEntry WHERE FQualityChkID = 351", 1, 99},
        {"sampling inspection", "SELECT COUNT(*) FROM SHWorkBillEntry WHERE FQualityChkID = 353", 1, 99},
        {"fixed team", "SELECT COUNT(*) FROM SHWorkBillEntry WHERE FteamID > 0", 1, 99},
        {"fixed worker", "SELECT COUNT(*) FROM SHWorkBillEntry WHERE FworkerID > 0", 1, 99},
        {"fixed device", "SELECT COUNT(*) FROM SHWorkBillEntry WHERE FdeviceID > 0", 1, 99},
        {"started work bills", "SELECT COUNT(*) FROM SHWorkBillEntry WHERE FStatus = 2", 1, 99},
        {"released work bills", "SELECT COUNT(*) FROM SHWorkBillEntry WHERE FStatus = 1", 1, 99},
        {"one default device type", "SELECT COUNT(*) FROM t_SubMessage WHERE FTypeID = 281 AND FID = '0'", 1,
         1},
        {"group-level department", "SELECT COUNT(*) FROM t_Department WHERE FDetail = 0", 1, 9},
        {"non-production department", "SELECT COUNT(*) FROM t_Department WHERE FDProperty <> 1070", 1, 9},
        {"group-level work center", "SELECT COUNT(*) FROM t_WorkCenter WHERE FDetail = 0", 1, 9},
        {"group-level employee", "SELECT COUNT(*) FROM t_Emp WHERE FDetail = 0", 1, 9},
        {"employees outside any team",
         "SELECT COUNT(*) FROM t_Emp e LEFT JOIN t_SubMessage t ON t.FInterID = "
         "e.FprofessionalGroup AND t.FTypeID = 62 WHERE e.FDetail = 1 AND t.FInterID IS NULL",
         0, 0},
        {"devices outside work centers",
         "SELECT COUNT(*) FROM t_Device d LEFT JOIN t_WorkCenter w ON w.FInterID = "
         "d.FWorkCenterID WHERE w.FInterID IS NULL",
         0, 0},
        {"items with whole quantities", "SELECT COUNT(*) FROM t_ICItem WHERE FQtyDecimal = 0", 1, 3},
        {"items with three decimals", "SELECT COUNT(*) FROM t_ICItem WHERE FQtyDecimal = 3", 1, 1},
        {"control of received quantities on",
         "SELECT COUNT(*) FROM t_SystemProfile WHERE FCategory = 'SH' AND "
         "FKey = 'SHOPPROC_CONTROLRECEIVE' AND FValue = '1'",
         1, 1},
        {"no reports (another seed adds them)", "SELECT COUNT(*) FROM SHProcRpt", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int n = Count(QString::fromUtf8(c.sql));
        EXPECT_GE(n, c.min);
        EXPECT_LE(n, c.max);
    }
    EXPECT_EQ(db().Scalar(QStringLiteral("SELECT FName FROM t_SubMessage WHERE FTypeID = 282")).toString(),
              QStringLiteral("小时"));
    QSet<QString> processes;
    for (auto rs = db().Query(QStringLiteral("SELECT FName FROM t_SubMessage WHERE FTypeID = 61"));
         !rs->Eof(); rs->MoveNext())
        processes << rs->Field(0).toString();
    for (const char* name : {"下料", "车削", "铣削", "钻孔", "热处理", "磨削", "检验", "装配"})
        EXPECT_TRUE(processes.contains(QString::fromUtf8(name))) << name;
}

TEST_P(DemoDataTest, UsersAndRights) {
    EXPECT_EQ(db().Scalar(QStringLiteral("SELECT FName FROM t_User WHERE FUserID = 1")).toString(),
              QStringLiteral("demo"));
    EXPECT_EQ(db().Scalar(QStringLiteral("SELECT FName FROM t_User WHERE FUserID = 2")).toString(),
              QStringLiteral("clerk"));
    EXPECT_EQ(RightsOf(QStringLiteral("demo")), Rights::All);
    EXPECT_EQ(RightsOf(QStringLiteral("clerk")) & Rights::NewReports, 0);
    EXPECT_EQ(RightsOf(QStringLiteral("clerk")) & Rights::Open, Rights::Open);

    platform::AddUser(db(), QStringLiteral("auditor"), Rights::Open);
    EXPECT_EQ(RightsOf(QStringLiteral("auditor")), Rights::Open);
    platform::GrantRights(db(), QStringLiteral("auditor"), Rights::Audit);
    platform::GrantRights(db(), QStringLiteral("auditor"), Rights::Audit);
    EXPECT_EQ(RightsOf(QStringLiteral("auditor")), Rights::Open | Rights::Audit);
    EXPECT_EQ(db().Scalar(QStringLiteral("SELECT FUserID FROM t_User WHERE FName = 'auditor'")).toInt(), 3);

    const struct {
        std::function<void()> call;
        const char* what;
    } refused[] = {
        {[&] { platform::AddUser(db(), QStringLiteral("demo"), 0); }, "taken name"},
        {[&] { platform::AddUser(db(), QStringLiteral("  "), 0); }, "empty name"},
        {[&] { platform::GrantRights(db(), QStringLiteral("nobody"), 1); }, "unknown user"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.what);
        try {
            r.call();
            ADD_FAILURE() << "accepted";
        } catch (const ComError& e) {
            EXPECT_EQ(e.Number(), ErrorNumber::Refused);
        }
    }
    EXPECT_EQ(db().TransactionDepth(), 0);
}

TEST_P(DemoDataTest, SeedingAgainChangesNothing) {
    const QString sql = QStringLiteral(
        "SELECT (SELECT COUNT(*) FROM SHWorkBillEntry) + (SELECT COUNT(*) FROM t_Emp) + "
        "(SELECT COUNT(*) FROM t_User) + (SELECT COUNT(*) FROM t_SubMessage)");
    const int before = Count(sql);
    platform::SeedDemo(db());
    EXPECT_EQ(Count(sql), before);
    EXPECT_EQ(db().TransactionDepth(), 0);
}

SP_INSTANTIATE_BACKENDS(DemoDataTest);

}  // namespace
}  // namespace sp::testing
