#include "src/reportgrid/NewReportRows.h"
#include "src/reportgrid/ReportLookupCells.h"
#include "src/reportgrid/ReportRowLocks.h"
#include "tests/reportgrid/ReportGridFixture.h"

namespace sp::test {
namespace {

using C = ReportCode;

class NewRows : public RowRulesFixture {
  protected:
    void Put(int row, const QString& no) {
        ReportCells(state).SetText(row, C::GPH, no);
        rows.PrepareNewReportRow(row);
    }
    NewReportRows rows{state};
};

TEST_F(NewRows, APreparedRowTakesTheProposalTheServerDateAndTheBiller) {
    Put(2, u"WB1"_s);
    EXPECT_EQ(Cells(2, {u"HBXH", u"ZDR", u"SJDW", u"GPZH", u"GXH"}),
              u"HBXH=4 ZDR=Li[7] SJDW=小时 GPZH=1001 GXH=7"_s);
    const ReportCells cells(state);
    const auto number = [&](C code) { return cells.Value(2, code).toDouble(); };
    EXPECT_EQ(std::tuple(cells.Value(2, C::ZDRQ).toDate(), cells.Value(2, C::SJKGRQ).toDate()),
              std::tuple(QDate(2026, 12, 6), QDate(2026, 1, 2)))
        << "made on the server's date";
    EXPECT_EQ(std::tuple(number(C::JSS), number(C::DWCB), number(C::LJJSSL)), std::tuple(12.0, 1.5, 10.0));
    for (C zero : {C::SZS, C::HGS, C::YJS, C::SZGS, C::DJGS, C::FY})
        EXPECT_EQ(number(zero), 0.0) << ReportCodeName(zero).toStdString();
    EXPECT_EQ(grid.CellFormat(2, Col(u"JSS")), u"0.00"_s);
    EXPECT_TRUE(state.modified);
    // The work bill's team, worker and device ids of the proposal: 0 is none.
    const std::pair<QString, QString> cases[] = {
        {u"\t0\t10\t1\t"_s, u"BZ= CZG=张三[01.E001] SYSB=车床[D1]"_s},
        {u"\t55\t0\t1\t"_s, u"BZ=一组[T01] CZG= SYSB=车床[D1]"_s},
        {u"\t55\t10\t0\t"_s, u"BZ=一组[T01] CZG=张三[01.E001] SYSB="_s},
    };
    const QString proposed = proposal;
    for (const auto& [ids, shown] : cases) {
        proposal = QString(proposed).replace(u"\t55\t10\t0\t"_s, ids);
        Put(2, u"WB1"_s);
        EXPECT_EQ(Cells(2, {u"BZ", u"CZG", u"SYSB"}), shown);
    }
}

TEST_F(NewRows, SerialsStayAboveTheDatabaseAndTheGridForTheWorkBill) {
    Put(2, u"WB1"_s);
    Put(3, u"wb1"_s);  // the same work bill, other letter case
    ReportCells(state).SetText(4, C::HBXH, u"9"_s);
    Put(5, u"WB2"_s);
    EXPECT_EQ(Cells(3, {u"HBXH"}), u"HBXH=5"_s);
    EXPECT_EQ(Cells(5, {u"HBXH"}), u"HBXH=4"_s) << "another work bill's serials do not count";
    ReportCells(state).SetText(4, C::GPH, u"WB1"_s);
    Put(6, u"WB1"_s);
    EXPECT_EQ(Cells(6, {u"HBXH"}), u"HBXH=10"_s);
}

TEST_F(NewRows, AnIdNobodyAnswersToIsKeptThroughASaveShapedRoundTrip) {
    proposal.replace(u"\t10\t0\t1.5"_s, u"\t77\t0\t1.5"_s);  // worker 77 is gone
    Put(2, u"WB1"_s);
    ReportLookupCells lookups(state);
    EXPECT_EQ(std::pair(Cells(2, {u"CZG"}), lookups.StoredId(2, C::CZG)), std::pair(u"CZG=77"_s, 77));
    // The cursor passes through the cell: the id stays.
    grid.SetCurrentCell(2, Col(u"CZG"));
    grid.SetCurrentCell(2, Col(u"MEMO"));
    EXPECT_EQ(
        std::tuple(lookups.StoredId(2, C::CZG), lookups.StoredId(2, C::BZ), lookups.StoredId(2, C::SYSB)),
        std::tuple(77, 55, 0));
    // Only a changed text is resolved again.
    Type(2, u"CZG", u"01.E001"_s);
    grid.SetCurrentCell(2, Col(u"MEMO"));
    EXPECT_EQ(lookups.StoredId(2, C::CZG), 10);
}

TEST_F(NewRows, ARowMovesToAnotherWorkBillOnlyWithItsTask) {
    ReportRowLocks locks(state);
    ASSERT_TRUE(rows.PutWorkBill(2, u"WB1"_s));
    ASSERT_TRUE(rows.PutWorkBill(3, u"WB1"_s));
    ASSERT_TRUE(rows.PutWorkBill(2, u"WB2"_s));
    EXPECT_TRUE(fake.committed.isEmpty()) << "row 3 still holds WB1's task";
    // The work bill it already shows: a new task first, then the old one goes.
    const int before = TaskOf(2);
    ASSERT_TRUE(rows.PutWorkBill(2, u"WB2"_s));
    EXPECT_EQ(fake.committed, QVector<qint32>{before});

    fake.busyKeys = {1001};
    const int held = TaskOf(2);
    EXPECT_FALSE(rows.PutWorkBill(2, u"WB9"_s)) << "no internal id";
    ids[u"WB3"_s] = 1001;
    locks.ReleaseRowLock(3);
    EXPECT_FALSE(rows.PutWorkBill(2, u"WB3"_s));
    EXPECT_EQ(std::tuple(TaskOf(2), Cells(2, {u"GPH"}), h.ui.messages.size()),
              std::tuple(held, u"GPH=WB2"_s, 1))
        << "the row keeps its work bill and its task";
}

TEST_F(NewRows, ADoubleClickFillsTheFirstEmptyRowOrAppendsOne) {
    for (int r = 2; r <= 6; ++r) {
        ASSERT_TRUE(rows.StartReportForWorkBill(u"WB1"_s, 1001));
        EXPECT_EQ(Cells(r, {u"GPH"}), u"GPH=WB1"_s);
    }
    EXPECT_EQ(std::tuple(grid.Rows(), grid.CurrentRow(), grid.CurrentCol()), std::tuple(7, 6, Col(u"GPH")))
        << "on the last one, and an empty row always follows";

    // Held elsewhere: the message, nothing written, no task held.
    fake.busyKeys = {1002};
    EXPECT_FALSE(rows.StartReportForWorkBill(u"WB2"_s, 1002));
    EXPECT_EQ(std::tuple(Cells(7, {u"GPH"}), TaskOf(7), h.ui.messages.size()), std::tuple(u"GPH="_s, 0, 1));
    // Without the new-report right nothing happens, silently.
    fake.deniedRights = {0x20000};
    EXPECT_FALSE(rows.StartReportForWorkBill(u"WB1"_s, 1001));
    EXPECT_EQ(h.ui.messages.size(), 1);
}

}  // namespace
}  // namespace sp::test
