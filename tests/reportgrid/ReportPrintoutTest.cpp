#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "src/reportgrid/ReportPrintout.h"
#include "tests/reportgrid/ReportGridFixture.h"

namespace sp::test {
namespace {

using C = ReportCode;

class Printout : public RowRulesFixture {
  protected:
    Printout() {
        fake.workBillInfo = [](const QString& no) {
            return Records(
                {u"FWorkBillNO"_s, u"FICMONO"_s, u"FitemNumber"_s, u"FitemName"_s, u"FitemModel"_s,
                 u"FOperName"_s, u"FWorkCenterName"_s, u"FAuxQtyPlan"_s},
                {{no, u"MO-"_s + no, u"1.01"_s, u"齿轮"_s, u"M2"_s, u"精车"_s, u"车间一"_s, 500.0}});
        };
    }
    // A report row of a work bill: serial, worked and passed quantities, hours.
    void Row(int row, const QString& no, int serial, double worked, double passed, double hours) {
        const ReportCells cells(state);
        cells.SetText(row, C::GPH, no);
        cells.SetText(row, C::HBXH, QString::number(serial));
        cells.SetValue(row, C::SZS, worked);
        cells.SetValue(row, C::HGS, passed);
        cells.SetValue(row, C::SZGS, hours);
        cells.SetValue(row, C::LJJSSL, 900.0);  // cumulative: no total
        for (const char16_t* code : {u"SZS", u"HGS"}) grid.SetCellFormat(row, Col(code), u"0.00"_s);
    }
    // Text of each page of a PDF.
    static QStringList Pages(const QString& pdf) {
        QProcess text;
        text.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
        text.waitForFinished(60000);
        EXPECT_EQ(text.exitCode(), 0) << text.readAllStandardError().toStdString();
        QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(u'\f');
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
            pages.removeLast();
        return pages;
    }
    QTemporaryDir dir;
};

TEST_F(Printout, NewModeGivesEachWorkBillItsHeadRowsAndTotals) {
    Row(2, u"WB1"_s, 4, 10, 9, 1.5);
    Row(3, u"WB2"_s, 1, 3, 3, 0.25);
    Row(4, u"WB1"_s, 5, 2.5, 2, 1);
    grid.SetColumnVisible(Col(u"GPH"), false);  // the work bills are still told apart
    const ReportPrintout p = BuildReportPrintout(state);
    ASSERT_EQ(p.sections.size(), 2);
    EXPECT_EQ(std::tuple(p.sections[0].head.number, p.sections[0].rows, p.sections[1].rows),
              std::tuple(u"WB1"_s, QVector<int>{0, 2}, QVector<int>{1}));
    EXPECT_EQ(p.sections[1].head.item, u"1.01 齿轮 [M2]"_s);
    EXPECT_EQ(std::tuple(p.sections[1].head.task, p.sections[1].head.operation, p.sections[1].head.workCenter,
                         p.sections[1].head.planned),
              std::tuple(u"MO-WB2"_s, u"精车"_s, u"车间一"_s, u"500"_s));
    EXPECT_EQ(p.user, u"Li"_s);
    const auto total = [&](int section, const char16_t* code) {
        return TotalText(p.grid, p.sections[section], p.grid.ColumnOf(QString::fromUtf16(code)));
    };
    EXPECT_EQ(std::tuple(total(0, u"SZS"), total(0, u"SZGS"), total(1, u"HGS")),
              std::tuple(u"12.50"_s, u"2.50"_s, u"3.00"_s));
    // Quantities and hours are totalled; cumulative columns and fees are not.
    const auto totalled = [&](const QString& code) { return p.totalled.contains(p.grid.ColumnOf(code)); };
    EXPECT_EQ(std::tuple(totalled(u"SZS"_s), totalled(u"LJJSSL"_s), totalled(u"DWCB"_s)),
              std::tuple(true, false, false));
    // The selection column stays on the screen; the serial leads every band (GPH is hidden).
    const PrintTable printed = ToPrintout(p).tables[0];
    EXPECT_EQ(std::pair(printed.titles.contains(u"选择"_s), printed.repeated),
              std::pair(false, QVector<int>{p.grid.ColumnOf(u"HBXH"_s)}));

    // A head the service cannot give keeps the number and names the reason.
    fake.workBillInfo = [](const QString&) -> RecordsetPtr { throw ComError(5, u"MShopProc"_s, u"断开"_s); };
    QString failure;
    const ReportPrintout broken = BuildReportPrintout(state, &failure);
    EXPECT_EQ(std::pair(broken.sections[1].head.number, failure), std::pair(u"WB2"_s, u"断开"_s));
}

TEST_F(Printout, ALongGridBreaksAcrossPagesWithTheTitlesOnEach) {
    // Few columns, as a clerk's layout might show them.
    for (int c = 1; c <= grid.Cols(); ++c) grid.SetColumnVisible(c, false);
    for (const char16_t* code : {u"GPH", u"HBXH", u"SZS", u"HGS", u"SZGS", u"MEMO"})
        grid.SetColumnVisible(Col(code), true);
    grid.SetRows(201);
    for (int r = 2; r <= 201; ++r) Row(r, u"WB1"_s, r - 1, 1, 1, 0.5);
    const ReportPrintout p = BuildReportPrintout(state);
    const QString pdf = dir.filePath(u"wb1.pdf"_s);
    ASSERT_EQ(WritePdf(ToPrintout(p), WideTablePageLayout(), pdf), QString());

    const QStringList pages = Pages(pdf);
    if (qEnvironmentVariableIsSet("SHOPPROC_KEEP_PDF"))
        QFile::copy(pdf, qEnvironmentVariable("SHOPPROC_KEEP_PDF"));
    ASSERT_GE(pages.size(), 3) << "200 rows do not fit two landscape pages";
    ASSERT_LE(pages.size(), 12);
    for (const QString& head : {u"工序计划单号：WB1"_s, u"生产任务单号：MO-WB1"_s, u"计划数量：500"_s})
        EXPECT_TRUE(pages.first().contains(head)) << head.toStdString();
    // Every page repeats the titles and is numbered; the serials run 1..200 across the pages, each once.
    QVector<int> serials;
    static const QRegularExpression rowLine(u"^\\s*WB1\\s+(\\d+)\\s"_s);
    for (int i = 0; i < pages.size(); ++i) {
        EXPECT_TRUE(pages[i].contains(u"HBXH标题"_s)) << "page " << i + 1;
        EXPECT_TRUE(pages[i].contains(u"第 %1 页，共 %2 页"_s.arg(i + 1).arg(pages.size())))
            << "page " << i + 1;
        for (const QString& line : pages[i].split(u'\n')) {
            const auto m = rowLine.match(line);
            if (m.hasMatch())
                serials << m.captured(1).toInt();
        }
    }
    QVector<int> expected(200);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(serials, expected);
    static const QRegularExpression totals(u"合计\\s+200.00\\s+200.00\\s+100.00"_s);
    EXPECT_TRUE(pages.last().contains(totals)) << pages.last().toStdString();
    EXPECT_TRUE(pages.last().contains(u"制表人：Li"_s));
}

TEST(PrintLayout, TitlesBreakBetweenWordsNumbersStayWholeAndWideSheetsPrintInBands) {
    const QImage device(1, 1, QImage::Format_RGB32);
    QFont font;
    font.setPointSizeF(7);
    const QFontMetricsF plain(font, &device);
    font.setBold(true);
    const QFontMetricsF bold(font, &device);
    const double han = bold.horizontalAdvance(u"汉"_s);
    const struct {
        QString title;
        double width;
        QStringList lines;
    } titles[] = {
        {u"汇报序号"_s, han, {u"汇报"_s, u"序号"_s}},  // never one character on a line
        {u"汇报序"_s, han, {u"汇报"_s, u"序"_s}},      // a three-character word may leave one
        {u"工序计划单号"_s, 3.5 * han, {u"工序计"_s, u"划单号"_s}},
        {u"Worked qty"_s, han, {u"Worked"_s, u"qty"_s}},  // English at the space only
        {u"HBXH标题"_s, 0, {u"HBXH"_s, u"标题"_s}},       // letters and digits stay together
        {u"件 A"_s, 0, {u"件"_s, u"A"_s}},
        {u"实做 数量"_s, 2.5 * han, {u"实做"_s, u"数量"_s}},
    };
    for (const auto& t : titles)
        EXPECT_EQ(BreakText(t.title, bold, t.width), t.lines) << t.title.toStdString();

    PrintTable wide;
    for (int c = 0; c < 30; ++c) {
        wide.titles << u"数量"_s;
        wide.oneLine << true;
    }
    wide.rows = {QStringList(30, u"123456.789"_s)};
    const QVector<ColumnNeed> needs = MeasureColumns(wide, plain, bold, 4);
    const double number = plain.horizontalAdvance(u"123456.789"_s) + 4, page = 20 * number;
    const QVector<PrintBand> bands = PlanBands(needs, {1, 0}, page);
    ASSERT_GE(bands.size(), 2);
    QVector<int> shown;
    for (const PrintBand& band : bands) {
        EXPECT_EQ(band.columns.mid(0, 2), (QVector<int>{1, 0}));
        EXPECT_LE(std::accumulate(band.widths.begin(), band.widths.end(), 0.0), page + 0.01);
        EXPECT_GE(*std::min_element(band.widths.begin(), band.widths.end()), number);  // never wrapped
        shown << band.columns.mid(2);
    }
    QVector<int> rest(28);
    std::iota(rest.begin(), rest.end(), 2);
    EXPECT_EQ(shown, rest);
    // Columns that fit stay in one band, in their places, across the page.
    const QVector<PrintBand> one = PlanBands(needs.mid(0, 5), {1, 0}, page);
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one[0].columns, (QVector<int>{0, 1, 2, 3, 4}));
    EXPECT_NEAR(std::accumulate(one[0].widths.begin(), one[0].widths.end(), 0.0), page, 0.01);
}

}  // namespace
}  // namespace sp::test
