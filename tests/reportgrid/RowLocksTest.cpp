#include "reportgrid/ReportCells.h"
#include "reportgrid/ReportGridFixture.h"
#include "reportgrid/ReportRowLocks.h"

namespace sp {
namespace {

using testing::ReportGridFixture;

class RowLocksTest : public ReportGridFixture {
protected:
    void SetUp() override {
        UseFullLayout();
        SetupColumns();
        fake.script->workBillInterID = [](const QString& no) { return no == QStringLiteral("WB1") ? 1001 : 1002; };
    }
    void PutWorkBill(int row, const QString& no) { ReportCells(state).SetText(row, ReportCode::GPH, no); }
};

TEST_F(RowLocksTest, RowsOfOneWorkBillShareOneTaskCommittedByTheLast) {
    ReportRowLocks locks(state);
    PutWorkBill(2, QStringLiteral("WB1"));
    locks.AcquireRowLock(2, 1001);
    PutWorkBill(3, QStringLiteral("WB1"));
    locks.AcquireRowLock(3, 1001);
    PutWorkBill(4, QStringLiteral("WB2"));
    locks.AcquireRowLock(4, 1002);

    EXPECT_EQ(state.rowLocks[2], 100);
    EXPECT_EQ(state.rowLocks[3], 100);
    EXPECT_EQ(state.rowLocks[4], 101);
    EXPECT_EQ(fake.login->takenKeys, (QVector<qint64>{1001, 1002}));

    locks.ReleaseRowLock(2);
    EXPECT_EQ(state.rowLocks[2], 0);
    EXPECT_TRUE(fake.login->committed.isEmpty()) << "row 3 still needs the task";
    locks.ReleaseRowLock(3);
    EXPECT_EQ(fake.login->committed, QVector<qint32>{100});
    locks.ReleaseRowLock(3);  // nothing held any more
    EXPECT_EQ(fake.login->committed, QVector<qint32>{100});

    locks.ReleaseAllRowLocks();
    EXPECT_EQ(fake.login->committed, (QVector<qint32>{100, 101}));
    EXPECT_EQ(state.rowLocks, QVector<qint32>(11, 0));
}

TEST_F(RowLocksTest, ConflictRaisesAndLeavesTheRowAsItWas) {
    fake.login->busyKeys = {1002};
    ReportRowLocks locks(state);
    PutWorkBill(2, QStringLiteral("WB1"));
    locks.AcquireRowLock(2, 1001);
    try {
        locks.AcquireRowLock(2, 1002);
        FAIL() << "no conflict raised";
    } catch (const ComError& e) {
        EXPECT_EQ(e.Number(), ErrorNumber::FunctionConflict);
    }
    EXPECT_EQ(state.rowLocks[2], 100);
}

TEST_F(RowLocksTest, RowBeyondTheTableGrowsIt) {
    grid.SetRows(14);
    PutWorkBill(14, QStringLiteral("WB1"));
    ReportRowLocks(state).AcquireRowLock(14, 1001);
    ASSERT_EQ(state.rowLocks.size(), 15);
    EXPECT_EQ(state.rowLocks[14], 100);
}

}  // namespace
}  // namespace sp
