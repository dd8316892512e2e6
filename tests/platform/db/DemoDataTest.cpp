#include "platform/db/DemoData.h"
#include "platform/middletier/MShopProc.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "src/common/ComError.h"
#include "tests/support/BackendTest.h"

namespace sp::test {
namespace {

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
        {"SHWorkBillEntry WHERE Ffare = 1059", 1, 1},
        {"SHWorkBillEntry WHERE FQualityChkID = 351", 1, 99},
        {"SHWorkBillEntry WHERE FQualityChkID = 353", 1, 99},
        {"SHWorkBillEntry WHERE FteamID > 0 AND FworkerID > 0 AND FdeviceID > 0", 1, 99},
        {"SHWorkBillEntry WHERE FStatus = 2", 1, 99},
        {"SHWorkBillEntry WHERE FStatus = 1", 1, 99},
        {"t_SubMessage WHERE FTypeID = 281 AND FID = '0'", 1, 1},
        {"t_Department WHERE FDetail = 0", 1, 9},
        {"t_Department WHERE FDProperty <> 1070", 1, 9},
        {"t_WorkCenter WHERE FDetail = 0", 1, 9},
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
    platform::AddUser(db(), QStringLiteral("auditor"), Rights::Open);
    EXPECT_EQ(Scalar("SELECT FUserID FROM t_User WHERE FName = 'auditor'").toInt(), 3) << "the next free id";
    // Names the login properties cannot carry, that look like another name or that are
    // too long are refused, and nobody is added. Length counts characters, not UTF-16 units.
    const std::string longest = std::string(63, 'a') + "\U0002000B";  // 𠀋: two QChars, one character
    const std::pair<std::string, const char*> names[] = {
        {"  ", "needs a name"},
        {"a;b", "holds \";\""},
        {"a=b", "holds \"=\""},
        {"a|b", "holds \"|\""},
        {"a\tb", "control character"},
        {"anna\n", "control character"},
        {"a\u2028b", "control character"},
        {"adm\u202Enimda", "format character U+202E"},
        {"an\u200Bna", "format character U+200B"},
        {longest + "工", "65 characters long; at most 64"},
    };
    const int users = Count("t_User");
    for (const auto& [name, why] : names) {
        const QString error = ErrorOf([&] { platform::AddUser(db(), QString::fromStdString(name), 0); });
        EXPECT_TRUE(error.startsWith(QStringLiteral("3001 AddUser: ")) &&
                    error.contains(QString::fromUtf8(why)))
            << name << ": " << error.toStdString();
    }
    EXPECT_EQ(Count("t_User"), users);
    EXPECT_EQ(platform::UserNameProblem(QString::fromStdString(" " + longest + " ")), QString());
    // A PostgreSQL role's name holds at most 63 bytes: 22 Chinese characters are too many there.
    const QString refusal = ErrorOf([&] { platform::AddUser(db(), QString(22, QChar(0x5DE5)), 0); });
    EXPECT_EQ(refusal.contains(QStringLiteral("63 bytes")), GetParam() == Backend::PostgreSQL)
        << refusal.toStdString();
    // Masks are 32 bits on both databases: every bit set is kept as -1.
    platform::AddUser(db(), QStringLiteral("everything"), 0xFFFFFFFF);
    platform::GrantRights(db(), QStringLiteral("auditor"), 0x80000000);
    EXPECT_EQ(RightsOf("everything"), -1);
    EXPECT_EQ(static_cast<quint32>(RightsOf("auditor")), 0x80000000 | Rights::Open);
    EXPECT_EQ(db().TransactionDepth(), 0);
}

// The host's "db seed-demo": the demo plant, then its reports through the service;
// running it again changes nothing. A benchmark load on top keeps the books in line too.
TEST_P(DemoDataTest, SeededReportsAreConsistentAndSeedingAgainChangesNothing) {
    const auto consistent = [&] {
        return platform::MShopProc(shared())
            .GetWorkBillByFilter(QStringLiteral("UserID=1;"), true, {})
            ->Eof();
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

SP_INSTANTIATE_BACKENDS(DemoDataTest);

}  // namespace
}  // namespace sp::test
