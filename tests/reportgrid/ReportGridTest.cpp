#include <QFont>

#include "reportgrid/ReportCells.h"
#include "reportgrid/ReportGridFixture.h"
#include "reportgrid/Texts.h"

namespace sp {
namespace {

using testing::ReportGridFixture;

class ReportGridTest : public ReportGridFixture {};

TEST_F(ReportGridTest, LayoutInItsOwnOrderAndCaseBuildsTheColumns) {
    UseLayout({
        {QStringLiteral("接收数"), QStringLiteral("jss"), 1, 0},
        {QStringLiteral("工票号"), QStringLiteral("GPH"), 1, 1500},
        {QStringLiteral("开工"), QStringLiteral("sjkgrq"), 1, 0},
        {QStringLiteral("内码"), QStringLiteral("gpzh"), 1, 900},
        {QStringLiteral("工序"), QStringLiteral("GXH"), 1, 900},
        {QStringLiteral("未知"), QStringLiteral("BOGUS"), 1, 900},
        {QStringLiteral("备注"), QStringLiteral("Memo"), 0, 1200},
    });
    grid.SetRows(30);
    SetupColumns();

    EXPECT_EQ(grid.Rows(), 10);
    EXPECT_EQ(grid.Cols(), 37);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(grid.FrozenCols(), 1);
    EXPECT_EQ(grid.RowHeight(1), grid.DefaultRowHeight() * 2);
    EXPECT_EQ(grid.CellText(1, 1), QStringLiteral("选择"));
    EXPECT_EQ(state.rowLocks, QVector<qint32>(11, 0));

    EXPECT_EQ(Col(u"JSS"), 2);
    EXPECT_EQ(Col(u"GPH"), 3);
    EXPECT_EQ(Col(u"SJKGRQ"), 4);
    EXPECT_EQ(Col(u"MEMO"), 8);
    EXPECT_EQ(grid.CellText(1, 2), QStringLiteral("接收数"));
    EXPECT_EQ(grid.CellKey(1, 2), QStringLiteral("jss"));

    EXPECT_EQ(grid.ColumnWidth(2), grid.DefaultColumnWidth());
    EXPECT_EQ(grid.ColumnWidth(3), 1500);
    // The actual date column fits a date: the text's width plus room around it.
    EXPECT_EQ(grid.ColumnWidth(4), 10 * 100.0 + 360);
    EXPECT_TRUE(grid.ColumnVisible(3));
    EXPECT_FALSE(grid.ColumnVisible(5)) << "GPZH is always hidden";
    EXPECT_FALSE(grid.ColumnVisible(6)) << "GXH is always hidden";
    EXPECT_FALSE(grid.ColumnVisible(8)) << "Fshow 0";
    EXPECT_EQ(grid.ColumnWidth(8), 1200);

    // An unknown field keeps its place but gets no header and no code.
    EXPECT_TRUE(grid.CellText(1, 7).isEmpty());
    EXPECT_TRUE(ReportGrid(state).GetReportColumnCode(7).isEmpty());
    EXPECT_EQ(Col(u"ZDR"), 0);
}

TEST_F(ReportGridTest, ColumnAttributesFollowTheCode) {
    UseFullLayout();
    SetupColumns();
    struct Expect {
        const char16_t* code;
        bool readOnly;
        CellKind kind;
        double min, max;
        const char16_t* format;
    };
    const Expect table[] = {
        {u"HBXH", true, CellKind::Text, 0, 0, u""},
        {u"ZDRQ", true, CellKind::Date, 0, 0, u""},
        {u"LJJSSL", true, CellKind::Number, 0, 0, u""},
        {u"DWCB", true, CellKind::Number, 0, 1E+28, u"0.00"},
        {u"SJWGRQ", false, CellKind::Date, 0, 0, u""},
        {u"SZS", false, CellKind::Number, 0, 1E+28, u""},
        {u"JSS", false, CellKind::Number, -1E+28, 1E+28, u""},
        {u"YJS", false, CellKind::Number, -1E+28, 1E+28, u""},
        {u"FY", false, CellKind::Number, 0, 1E+28, u"0.00"},
        {u"CZG", false, CellKind::Text, 0, 0, u""},
        {u"GXH", true, CellKind::Text, 0, 0, u""},
    };
    for (const Expect& e : table) {
        const int col = Col(e.code);
        SCOPED_TRACE(QString::fromUtf16(e.code).toStdString());
        ASSERT_GT(col, 1);
        EXPECT_EQ(grid.ColumnReadOnly(col), e.readOnly);
        EXPECT_EQ(grid.ColumnKind(col), e.kind);
        EXPECT_EQ(grid.ColumnHasRange(col), e.max != 0);
        if (e.max != 0) {
            EXPECT_EQ(grid.ColumnMin(col), e.min);
            EXPECT_EQ(grid.ColumnMax(col), e.max);
        }
        EXPECT_EQ(grid.ColumnFormat(col), QString::fromUtf16(e.format));
    }
}

TEST_F(ReportGridTest, CodeWithoutColumnIsNeitherReadNorWritten) {
    UseLayout({{QStringLiteral("工票号"), QStringLiteral("GPH"), 1, 0}, {QStringLiteral("审核人"), QStringLiteral("SHR"), 1, 0}});
    SetupColumns();
    grid.SetCellText(2, 1, QStringLiteral("sel"));
    const ReportCells cells(state);
    cells.SetText(2, ReportCode::JSS, QStringLiteral("5"));
    cells.SetValue(2, ReportCode::ZDR, 9);
    cells.SetKey(2, ReportCode::BZ, QStringLiteral("T"));
    cells.SetFormat(2, ReportCode::SZS, QStringLiteral("0.0"));
    EXPECT_EQ(grid.CellText(2, 1), QStringLiteral("sel"));
    for (int col = 2; col <= grid.Cols(); ++col)
        EXPECT_TRUE(grid.CellText(2, col).isEmpty()) << col;
    EXPECT_TRUE(cells.Text(2, ReportCode::JSS).isEmpty());
    EXPECT_FALSE(cells.Value(2, ReportCode::ZDR).isValid());
    EXPECT_TRUE(cells.Key(2, ReportCode::BZ).isEmpty());
    EXPECT_TRUE(ReportGrid(state).GetReportColumnCode(0).isEmpty());
    EXPECT_TRUE(ReportGrid(state).GetReportColumnCode(1).isEmpty());
    EXPECT_EQ(ReportGrid(state).GetReportColumnCode(3), QStringLiteral("SHR"));
    // A stale position beyond the grid counts as no column either.
    state.reportColumnPos[Index(ReportCode::MEMO)] = 99;
    EXPECT_EQ(cells.Column(ReportCode::MEMO), 0);
}

TEST_F(ReportGridTest, MovedColumnIsStillFoundByItsCode) {
    UseFullLayout();
    SetupColumns();
    const int before = Col(u"JSS");
    QVector<QVariantList> rows;
    rows.append({QStringLiteral("接收数"), QStringLiteral("JSS"), 1, 0});
    for (ReportCode code : AllReportCodes())
        if (code != ReportCode::JSS)
            rows.append({ReportCodeName(code), ReportCodeName(code), 1, 0});
    UseLayout(rows);
    SetupColumns();
    EXPECT_NE(before, 2);
    EXPECT_EQ(Col(u"JSS"), 2);
    ReportCells(state).SetValue(3, ReportCode::JSS, 12.5);
    EXPECT_EQ(grid.CellValue(3, 2).toDouble(), 12.5);
}

TEST_F(ReportGridTest, PaintShowsAuditedRowsAndReadOnlyColumns) {
    UseFullLayout();
    SetupColumns();
    const QColor cream(255, 255, 225);
    ReportCells(state).SetText(3, ReportCode::SHR, QStringLiteral("王审核"));
    ReportGrid(state).PaintReportGrid();
    for (int col = 1; col <= grid.Cols(); ++col)
        EXPECT_EQ(grid.CellBackground(3, col), cream) << col;
    EXPECT_EQ(grid.CellBackground(2, 1), QColor(Qt::white));
    EXPECT_EQ(grid.CellBackground(2, Col(u"JSS")), QColor(Qt::white));
    EXPECT_EQ(grid.CellBackground(2, Col(u"MEMO")), QColor(Qt::white));
    for (const char16_t* ro : {u"HBXH", u"LJJSSL", u"LJHBSL", u"LJYJSL", u"SHBZ", u"SHR", u"SHRQ", u"SJDW", u"DWCB", u"ZDR",
                               u"ZDRQ"})
        EXPECT_EQ(grid.CellBackground(2, Col(ro)), cream) << QString::fromUtf16(ro).toStdString();
}

TEST_F(ReportGridTest, QuantityFormatFollowsTheWorkBillsDecimals) {
    const QVector<std::pair<qint32, QString>> cases{
        {0, QStringLiteral("0")}, {3, QStringLiteral("0.000")}, {1, QStringLiteral("0.0")}};
    for (const auto& [decimals, format] : cases) {
        fake.script->qtyDecimal = [d = decimals](qint32 id) { return id == 55 ? d : -1; };
        EXPECT_EQ(ReportGrid(state).QuantityFormat(55), format);
    }
    fake.script->qtyDecimal = nullptr;
    EXPECT_THROW(ReportGrid(state).QuantityFormat(55), ComError);
}

TEST_F(ReportGridTest, DateTextWidthComesFromTheFont) {
    QFont font(QStringLiteral("SimSun"), 9);
    const double date = ReportGrid::TextWidthTwips(font, ReportTexts::SampleDate());
    EXPECT_GT(date, ReportGrid::TextWidthTwips(font, QStringLiteral("2001")));
    UseFullLayout();
    ReportGrid(state).SetupReportColumns([&](const QString& t) { return ReportGrid::TextWidthTwips(font, t); });
    EXPECT_EQ(grid.ColumnWidth(Col(u"SJWGRQ")), date + 360);
}

TEST_F(ReportGridTest, NewLayoutLetsHeldRowTasksGo) {
    UseFullLayout();
    SetupColumns();
    state.rowLocks[2] = 40;
    state.rowLocks[5] = 41;
    SetupColumns();
    EXPECT_EQ(fake.login->committed, (QVector<qint32>{40, 41}));
    EXPECT_EQ(state.rowLocks, QVector<qint32>(11, 0));
}

TEST_F(ReportGridTest, DraggedWidthIsStoredForTheColumnsCode) {
    UseFullLayout();
    SetupColumns();
    grid.SetColumnWidth(Col(u"JSS"), 1800);
    ReportGrid(state).SaveReportColumnWidth(Col(u"JSS"));
    ReportGrid(state).SaveReportColumnWidth(1);  // the selection column has no code
    ASSERT_EQ(fake.statements.size(), 1);
    EXPECT_EQ(fake.statements[0],
              QStringLiteral("Update SHRptDef Set Fwidth=1800 Where Ftype='ProcRpt' And FuserID=7 And Ffield='JSS'"));
}

}  // namespace
}  // namespace sp
