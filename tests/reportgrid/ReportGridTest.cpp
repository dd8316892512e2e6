#include <QFont>

#include "src/reportgrid/Texts.h"
#include "tests/reportgrid/ReportGridFixture.h"

namespace sp::test {
namespace {

using ReportGridTest = ReportGridFixture;

TEST_F(ReportGridTest, LayoutInItsOwnOrderAndCaseBuildsTheColumns) {
    grid.SetRows(30);
    SetupColumns({
        {u"接收数"_s, u"jss"_s, 1, 0},
        {u"工票号"_s, u"GPH"_s, 1, 1500},
        {u"开工"_s, u"sjkgrq"_s, 1, 0},
        {u"内码"_s, u"gpzh"_s, 1, 900},
        {u"工序"_s, u"GXH"_s, 1, 900},
        {u"未知"_s, u"BOGUS"_s, 1, 900},
        {u"备注"_s, u"Memo"_s, 0, 1200},
    });
    EXPECT_EQ(grid.Rows(), 10);
    EXPECT_EQ(grid.Cols(), 37);
    EXPECT_EQ(grid.FrozenCols(), 1);
    EXPECT_EQ(state.rowLocks, QVector<qint32>(11, 0));
    EXPECT_EQ(Col(u"JSS"), 2);
    EXPECT_EQ(Col(u"GPH"), 3);
    EXPECT_EQ(Col(u"MEMO"), 8);
    EXPECT_EQ(grid.CellText(1, 2), u"接收数"_s);
    EXPECT_EQ(grid.CellKey(1, 2), u"jss"_s);
    EXPECT_EQ(grid.ColumnWidth(2), grid.DefaultColumnWidth());
    EXPECT_EQ(grid.ColumnWidth(3), 1500);
    // The actual date column fits a date: the text's width plus room around it.
    EXPECT_EQ(grid.ColumnWidth(4), 10 * 100.0 + 360);
    EXPECT_TRUE(grid.ColumnVisible(3));
    EXPECT_FALSE(grid.ColumnVisible(5)) << "GPZH is always hidden";
    EXPECT_FALSE(grid.ColumnVisible(6)) << "GXH is always hidden";
    EXPECT_FALSE(grid.ColumnVisible(8)) << "Fshow 0";
    // An unknown field keeps its place but gets no header and no code.
    EXPECT_TRUE(grid.CellText(1, 7).isEmpty());
    EXPECT_TRUE(ReportGrid(state).GetReportColumnCode(7).isEmpty());
    EXPECT_EQ(Col(u"ZDR"), 0);
}

TEST_F(ReportGridTest, ColumnAttributesFollowTheCode) {
    SetupColumns();
    // Figures the system derives are read-only; JSS takes negative quantities, SZS does not.
    for (const char16_t* code : {u"HBXH", u"ZDRQ", u"LJJSSL", u"DWCB"})
        EXPECT_TRUE(grid.ColumnReadOnly(Col(code))) << QString::fromUtf16(code).toStdString();
    EXPECT_FALSE(grid.ColumnReadOnly(Col(u"JSS")));
    EXPECT_EQ(grid.ColumnKind(Col(u"SJWGRQ")), CellKind::Date);
    EXPECT_EQ(grid.ColumnKind(Col(u"CZG")), CellKind::Text);
    EXPECT_EQ(std::pair(grid.ColumnMin(Col(u"JSS")), grid.ColumnMax(Col(u"JSS"))), std::pair(-1E+28, 1E+28));
    EXPECT_EQ(std::pair(grid.ColumnMin(Col(u"SZS")), grid.ColumnMax(Col(u"SZS"))), std::pair(0.0, 1E+28));
    EXPECT_FALSE(grid.ColumnHasRange(Col(u"LJJSSL")));
    EXPECT_EQ(grid.ColumnFormat(Col(u"FY")), u"0.00"_s);
    EXPECT_EQ(grid.ColumnFormat(Col(u"DWCB")), u"0.00"_s);
    EXPECT_TRUE(grid.ColumnFormat(Col(u"JSS")).isEmpty());
}

TEST_F(ReportGridTest, CodeWithoutColumnIsNeitherReadNorWritten) {
    SetupColumns({{u"工票号"_s, u"GPH"_s, 1, 0}, {u"审核人"_s, u"SHR"_s, 1, 0}});
    const ReportCells cells(state);
    cells.SetText(2, ReportCode::JSS, u"5"_s);
    cells.SetValue(2, ReportCode::ZDR, 9);
    cells.SetKey(2, ReportCode::BZ, u"T"_s);
    for (int col = 1; col <= grid.Cols(); ++col) EXPECT_TRUE(grid.CellText(2, col).isEmpty()) << col;
    EXPECT_TRUE(cells.Text(2, ReportCode::JSS).isEmpty());
    EXPECT_FALSE(cells.Value(2, ReportCode::ZDR).isValid());
    EXPECT_TRUE(ReportGrid(state).GetReportColumnCode(1).isEmpty());
    EXPECT_EQ(ReportGrid(state).GetReportColumnCode(3), u"SHR"_s);
    // A stale position beyond the grid counts as no column either.
    state.reportColumnPos[Index(ReportCode::MEMO)] = 99;
    EXPECT_EQ(cells.Column(ReportCode::MEMO), 0);
}

TEST_F(ReportGridTest, PaintShowsAuditedRowsAndReadOnlyColumns) {
    SetupColumns();
    const QColor cream(255, 255, 225);
    ReportCells(state).SetText(3, ReportCode::SHR, u"王审核"_s);
    ReportGrid(state).PaintReportGrid();
    for (int col = 1; col <= grid.Cols(); ++col) EXPECT_EQ(grid.CellBackground(3, col), cream) << col;
    for (const char16_t* rw : {u"HBXH", u"LJJSSL", u"ZDR", u"JSS", u"MEMO"})
        EXPECT_EQ(grid.CellBackground(2, Col(rw)) == cream, grid.ColumnReadOnly(Col(rw))) << Col(rw);
    EXPECT_EQ(grid.CellBackground(2, 1), QColor(Qt::white));
}

TEST_F(ReportGridTest, QuantityFormatFollowsTheWorkBillsDecimals) {
    for (const auto& [decimals, format] : {std::pair{0, "0"}, {3, "0.000"}, {1, "0.0"}}) {
        fake.qtyDecimal = [d = decimals](qint32 id) { return id == 55 ? d : -1; };
        EXPECT_EQ(ReportGrid(state).QuantityFormat(55), QString::fromLatin1(format));
    }
    fake.qtyDecimal = nullptr;
    EXPECT_THROW(ReportGrid(state).QuantityFormat(55), ComError);
}

TEST_F(ReportGridTest, DateTextWidthComesFromTheFont) {
    QFont font(u"SimSun"_s, 9);
    const double date = ReportGrid::TextWidthTwips(font, ReportTexts::SampleDate());
    EXPECT_GT(date, ReportGrid::TextWidthTwips(font, u"2001"_s));
    UseLayout();
    ReportGrid(state).SetupReportColumns(
        [&](const QString& t) { return ReportGrid::TextWidthTwips(font, t); });
    EXPECT_EQ(grid.ColumnWidth(Col(u"SJWGRQ")), date + 360);
}

TEST_F(ReportGridTest, NewLayoutLetsHeldRowTasksGo) {
    SetupColumns();
    state.rowLocks[2] = 40;
    state.rowLocks[5] = 41;
    SetupColumns();
    EXPECT_EQ(fake.committed, (QVector<qint32>{40, 41}));
    EXPECT_EQ(state.rowLocks, QVector<qint32>(11, 0));
}

TEST_F(ReportGridTest, DraggedWidthIsStoredForTheColumnsCode) {
    SetupColumns();
    grid.SetColumnWidth(Col(u"JSS"), 1800);
    ReportGrid(state).SaveReportColumnWidth(Col(u"JSS"));
    ReportGrid(state).SaveReportColumnWidth(1);  // the selection column has no code
    EXPECT_EQ(fake.statements,
              QStringList{
                  u"Update SHRptDef Set Fwidth=1800 Where Ftype='ProcRpt' And FuserID=7 And Ffield='JSS'"_s});
}

}  // namespace
}  // namespace sp::test
