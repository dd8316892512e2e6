#include "tests/reportgrid/ReportGridFixture.h"

namespace sp::test {
namespace {

using ReportGridTest = ReportGridFixture;

TEST_F(ReportGridTest, LayoutInItsOwnOrderAndCaseBuildsTheColumns) {
    grid.SetRows(30);
    SetupColumns({
        // clang-format off
        {u"接收数"_s, u"jss"_s, 1, 0}, {u"工票号"_s, u"GPH"_s, 1, 1500}, {u"开工"_s, u"sjkgrq"_s, 1, 0},
        {u"内码"_s, u"gpzh"_s, 1, 900}, {u"工序"_s, u"GXH"_s, 1, 900}, {u"未知"_s, u"BOGUS"_s, 1, 900},
        {u"备注"_s, u"Memo"_s, 0, 1200},
        // clang-format on
    });
    EXPECT_EQ(std::tuple(grid.Rows(), grid.Cols(), grid.FrozenCols(), state.rowLocks),
              std::tuple(10, 37, 1, QVector<qint32>(11, 0)));
    EXPECT_EQ(std::tuple(Col(u"JSS"), Col(u"GPH"), Col(u"MEMO"), Col(u"ZDR")), std::tuple(2, 3, 8, 0));
    EXPECT_EQ(std::pair(grid.CellText(1, 2), grid.CellKey(1, 2)), std::pair(u"接收数"_s, u"jss"_s));
    // The actual date column fits a date: the text's width plus room around it.
    EXPECT_EQ(std::tuple(grid.ColumnWidth(2), grid.ColumnWidth(3), grid.ColumnWidth(4)),
              std::tuple(grid.DefaultColumnWidth(), 1500.0, 10 * 100.0 + 360));
    // GPZH and GXH are always hidden, MEMO by Fshow 0.
    for (const auto& [col, shown] : {std::pair{3, true}, {5, false}, {6, false}, {8, false}})
        EXPECT_EQ(grid.ColumnVisible(col), shown) << col;
    // An unknown field keeps its place but gets no header and no code.
    EXPECT_EQ(std::pair(grid.CellText(1, 7), ReportGrid(state).GetReportColumnCode(7)),
              std::pair(QString(), QString()));
}

TEST_F(ReportGridTest, CodeWithoutColumnIsNeitherReadNorWritten) {
    SetupColumns({{u"工票号"_s, u"GPH"_s, 1, 0}, {u"审核人"_s, u"SHR"_s, 1, 0}});
    const ReportCells cells(state);
    cells.SetText(2, ReportCode::JSS, u"5"_s);
    cells.SetValue(2, ReportCode::ZDR, 9);
    cells.SetKey(2, ReportCode::BZ, u"T"_s);
    for (int col = 1; col <= grid.Cols(); ++col) EXPECT_TRUE(grid.CellText(2, col).isEmpty()) << col;
    EXPECT_EQ(std::tuple(cells.Text(2, ReportCode::JSS).isEmpty(), cells.Value(2, ReportCode::ZDR).isValid(),
                         ReportGrid(state).GetReportColumnCode(1).isEmpty(),
                         ReportGrid(state).GetReportColumnCode(3)),
              std::tuple(true, false, true, u"SHR"_s));
    // A stale position beyond the grid counts as no column either.
    state.reportColumnPos[Index(ReportCode::MEMO)] = 99;
    EXPECT_EQ(cells.Column(ReportCode::MEMO), 0);
}

TEST_F(ReportGridTest, QuantityFormatFollowsTheWorkBillsDecimals) {
    for (const auto& [decimals, format] : {std::pair{0, "0"}, {3, "0.000"}, {1, "0.0"}}) {
        fake.qtyDecimal = [d = decimals](qint32 id) { return id == 55 ? d : -1; };
        EXPECT_EQ(ReportGrid(state).QuantityFormat(55), QString::fromLatin1(format));
    }
    fake.qtyDecimal = nullptr;
    EXPECT_THROW(ReportGrid(state).QuantityFormat(55), ComError);
}

TEST_F(ReportGridTest, NewLayoutLetsHeldRowTasksGo) {
    SetupColumns();
    state.rowLocks[2] = 40;
    state.rowLocks[5] = 41;
    SetupColumns();
    EXPECT_EQ(fake.committed, (QVector<qint32>{40, 41}));
    EXPECT_EQ(state.rowLocks, QVector<qint32>(11, 0));
}

// A dragged width is stored under its column's code; the selection column has none.
TEST_F(ReportGridTest, DraggedWidthIsStoredForTheColumnsCode) {
    SetupColumns();
    grid.SetColumnWidth(Col(u"JSS"), 1800);
    ReportGrid(state).SaveReportColumnWidth(Col(u"JSS"));
    ReportGrid(state).SaveReportColumnWidth(1);
    EXPECT_EQ(fake.statements,
              QStringList{
                  u"Update SHRptDef Set Fwidth=1800 Where Ftype='ProcRpt' And FuserID=7 And Ffield='JSS'"_s});
}

}  // namespace
}  // namespace sp::test
