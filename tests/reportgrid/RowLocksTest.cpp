#include "src/reportgrid/ReportRowLocks.h"
#include "tests/reportgrid/ReportGridFixture.h"

namespace sp::test {
namespace {

class RowLocksTest : public ReportGridFixture {
  protected:
    void SetUp() override {
        SetupColumns();
        fake.workBillInterID = [](const QString& no) { return no == u"WB1"_s ? 1001 : 1002; };
    }
    void Acquire(int row, const QString& no, qint32 id) {
        ReportCells(state).SetText(row, ReportCode::GPH, no);
        locks.AcquireRowLock(row, id);
    }
    ReportRowLocks locks{state};
};

TEST_F(RowLocksTest, RowsOfOneWorkBillShareOneTaskCommittedByTheLast) {
    grid.SetRows(14);
    Acquire(2, u"WB1"_s, 1001);
    Acquire(3, u"WB1"_s, 1001);
    Acquire(14, u"WB2"_s, 1002);  // beyond the table: it grows
    ASSERT_EQ(state.rowLocks.size(), 15);
    EXPECT_EQ(std::tuple(state.rowLocks[2], state.rowLocks[3], state.rowLocks[14]),
              std::tuple(100, 100, 101));
    EXPECT_EQ(fake.takenKeys, (QVector<qint64>{1001, 1002}));

    locks.ReleaseRowLock(2);
    EXPECT_EQ(std::pair(state.rowLocks[2], fake.committed), std::pair(0, QVector<qint32>()))
        << "row 3 still needs the task";
    locks.ReleaseRowLock(3);
    locks.ReleaseRowLock(3);  // nothing held any more
    EXPECT_EQ(fake.committed, QVector<qint32>{100});
    locks.ReleaseAllRowLocks();
    EXPECT_EQ(fake.committed, (QVector<qint32>{100, 101}));
    EXPECT_EQ(state.rowLocks, QVector<qint32>(15, 0));
}

TEST_F(RowLocksTest, ConflictRaisesAndLeavesTheRowAsItWas) {
    fake.busyKeys = {1002};
    Acquire(2, u"WB1"_s, 1001);
    EXPECT_TRUE(Raised([&] { locks.AcquireRowLock(2, 1002); }).startsWith(u"16390 "_s));
    EXPECT_EQ(state.rowLocks[2], 100);
}

}  // namespace
}  // namespace sp::test
