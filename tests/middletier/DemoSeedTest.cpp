#include <gtest/gtest.h>

#include "common/ComError.h"
#include "platform/db/DemoData.h"
#include "platform/middletier/MShopProc.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "support/TestDatabase.h"

namespace sp::testing {
namespace {

class DemoSeedTest : public ::testing::TestWithParam<Backend> {};

// The host's "db seed-demo": the demo plant, then its reports through the service.
TEST_P(DemoSeedTest, DemoPlantGainsConsistentReports) {
    auto tdb = TestDatabase::Create(GetParam());
    if (!tdb)
        return;
    platform::Database& db = *tdb->db();
    platform::SeedDemo(db);
    try {
        platform::SeedDemoReports(db);
    } catch (const ComError& e) {
        FAIL() << e.Description().toStdString();
    }
    EXPECT_GT(db.Scalar(QStringLiteral("SELECT COUNT(*) FROM SHProcRpt WHERE Fstatus = 1")).toInt(), 0);
    EXPECT_GT(db.Scalar(QStringLiteral("SELECT COUNT(*) FROM SHProcRpt WHERE Fstatus = 0")).toInt(), 0);
    platform::MShopProc query(tdb->db());
    EXPECT_TRUE(query.GetWorkBillByFilter(QStringLiteral("UserID=1;"), true, QString())->Eof());
}

INSTANTIATE_TEST_SUITE_P(Backends, DemoSeedTest, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                             return BackendName(info.param);
                         });

}  // namespace
}  // namespace sp::testing
