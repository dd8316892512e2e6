#include "src/reportgrid/ReportPrintout.h"

#include <QFontMetricsF>
#include <QHash>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <algorithm>
#include <numeric>

#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/controls/GridModel.h"
#include "src/entry/HostServices.h"
#include "src/middletier/MiddleTierInterfaces.h"
#include "src/reportgrid/ReportColumns.h"
#include "src/state/WorkbenchState.h"

namespace sp {

namespace {

QString PrintTitle() { return QStringLiteral("工序汇报记录"); }
QString TotalLabel() { return QStringLiteral("合计"); }

bool Totalled(const QString& key) {
    const std::optional<ReportCode> code = ReportCodeFromName(key);
    if (!code)
        return false;
    switch (*code) {
        case ReportCode::LJJSSL:
        case ReportCode::LJHBSL:
        case ReportCode::LJYJSL:
            return false;
        default:
            return ReportKindOf(*code) == ReportKind::Quantity || ReportKindOf(*code) == ReportKind::Hours;
    }
}

ReportPrintout::Head ReadHead(HostServices& host, const QString& number) {
    ReportPrintout::Head head;
    head.number = number;
    RecordsetPtr rs = host.NewMShopProc()->GetWorkBillInfo(host.PropsString(), number);
    if (!rs || rs->Eof())
        return head;
    const auto text = [&](const char* field) {
        return Basic::Text(rs->Field(QLatin1String(field))).trimmed();
    };
    head.task = text("FICMONO");
    QStringList item{text("FitemNumber"), text("FitemName")};
    if (!text("FitemModel").isEmpty())
        item << QStringLiteral("[%1]").arg(text("FitemModel"));
    item.removeAll(QString());
    head.item = item.join(u' ');
    head.operation = text("FOperName");
    head.workCenter = text("FWorkCenterName");
    head.planned = text("FAuxQtyPlan");
    return head;
}

int DecimalsShown(const QString& text) {
    const qsizetype dot = text.indexOf(u'.');
    return dot < 0 ? 0 : static_cast<int>(text.size() - dot - 1);
}

QTextCharFormat Bold(QTextCharFormat format) {
    format.setFontWeight(QFont::Bold);
    return format;
}

void Cell(QTextTable* table, int row, int col, const QString& text, const QTextCharFormat& format,
          Qt::Alignment align = Qt::AlignLeft) {
    QTextCursor at = table->cellAt(row, col).firstCursorPosition();
    QTextBlockFormat block = at.blockFormat();
    block.setAlignment(align);
    at.setBlockFormat(block);
    at.insertText(text, format);
}

constexpr double kPointSize = 7;

// Each column's share of the page: what its numbers, dates and short texts need on one
// line, its title on up to three lines; a long text may wrap. Columns fill the page in
// proportion, so a narrow grid spreads and a wide one shrinks alike.
QList<QTextLength> ColumnWidths(QFont font, const ReportPrintout& p, const ReportPrintout::Section& section) {
    font.setPointSizeF(kPointSize);
    const QFontMetricsF plain(font);
    font.setBold(true);
    const QFontMetricsF bold(font);
    const double digit = plain.horizontalAdvance(u'8');
    const GridSnapshot& g = p.grid;
    QVector<double> widths(g.columns.size());
    for (int c = 0; c < g.columns.size(); ++c) {
        const QString& title = g.columns[c].title;
        // A title may take up to three lines, never less than one character a line.
        double w = std::max(bold.horizontalAdvance(title) / 3, bold.horizontalAdvance(title.left(1)));
        for (int r : section.rows) {
            const QString& text = g.rows[r][c].text;
            const bool whole = g.columns[c].kind != GridSnapshot::Kind::Text || text.size() <= 10;
            w = std::max(w, whole ? plain.horizontalAdvance(text) : 8 * digit);
        }
        if (c == 0)
            w = std::max(w, bold.horizontalAdvance(TotalLabel()));
        if (p.totalled.contains(c))
            w = std::max(w, bold.horizontalAdvance(TotalText(g, section, c)));
        widths[c] = w + digit;  // padding and borders
    }
    const double sum = std::accumulate(widths.begin(), widths.end(), 0.0);
    QList<QTextLength> lengths;
    for (double w : widths) lengths << QTextLength(QTextLength::PercentageLength, 100.0 * w / sum);
    return lengths;
}

void WriteSection(QTextCursor& cursor, const ReportPrintout& p, const ReportPrintout::Section& section,
                  bool newPage) {
    QTextCharFormat plain;
    plain.setFontPointSize(kPointSize);
    QTextCharFormat title = Bold(plain);
    title.setFontPointSize(14);

    QTextBlockFormat heading;
    heading.setAlignment(Qt::AlignHCenter);
    heading.setBottomMargin(6);
    if (newPage)
        heading.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (cursor.position() == 0) {  // the document's own first block
        cursor.setBlockFormat(heading);
    } else {
        cursor.insertBlock(heading, title);
    }
    cursor.insertText(PrintTitle(), title);

    // The head: three pairs of label and value on each of two lines.
    const ReportPrintout::Head& h = section.head;
    const QList<std::pair<QString, QString>> pairs{
        {QStringLiteral("工序计划单号："), h.number}, {QStringLiteral("生产任务单号："), h.task},
        {QStringLiteral("物料："), h.item},           {QStringLiteral("工序："), h.operation},
        {QStringLiteral("工作中心："), h.workCenter}, {QStringLiteral("计划数量："), h.planned}};
    QTextTableFormat headFormat;
    headFormat.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    headFormat.setCellPadding(2);
    headFormat.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    QTextTable* head = cursor.insertTable(2, 3, headFormat);
    for (int i = 0; i < pairs.size(); ++i) {
        QTextCursor at = head->cellAt(i / 3, i % 3).firstCursorPosition();
        at.insertText(pairs[i].first, Bold(plain));
        at.insertText(pairs[i].second, plain);
    }
    cursor.movePosition(QTextCursor::End);

    // The rows, with the titles repeated at the top of every page and a total line.
    const GridSnapshot& g = p.grid;
    const int cols = std::max(1, static_cast<int>(g.columns.size()));
    QTextTableFormat rowsFormat;
    rowsFormat.setHeaderRowCount(1);
    rowsFormat.setBorder(0.5);
    rowsFormat.setBorderBrush(Qt::black);
    rowsFormat.setCellSpacing(0);
    rowsFormat.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    rowsFormat.setCellPadding(1.5);
    rowsFormat.setTopMargin(6);
    rowsFormat.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    rowsFormat.setColumnWidthConstraints(ColumnWidths(cursor.document()->defaultFont(), p, section));
    QTextTable* rows = cursor.insertTable(static_cast<int>(section.rows.size()) + 2, cols, rowsFormat);
    for (int c = 0; c < g.columns.size(); ++c)
        Cell(rows, 0, c, g.columns[c].title, Bold(plain), Qt::AlignHCenter);
    for (int i = 0; i < section.rows.size(); ++i) {
        const auto& row = g.rows[section.rows[i]];
        for (int c = 0; c < row.size(); ++c)
            Cell(rows, i + 1, c, row[c].text, plain,
                 g.columns[c].rightAligned ? Qt::AlignRight : Qt::AlignLeft);
    }
    const int totalRow = static_cast<int>(section.rows.size()) + 1;
    Cell(rows, totalRow, 0, TotalLabel(), Bold(plain));
    for (int c : p.totalled)
        if (c > 0)
            Cell(rows, totalRow, c, TotalText(g, section, c), Bold(plain), Qt::AlignRight);
    cursor.movePosition(QTextCursor::End);

    QTextBlockFormat footer;
    footer.setTopMargin(6);
    cursor.insertBlock(footer, plain);
    cursor.insertText(QStringLiteral("制表人：%1        打印时间：%2")
                          .arg(p.user, p.printedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
                      plain);
}

}  // namespace

ReportPrintout BuildReportPrintout(WorkbenchState& state, QString* failure) {
    ReportPrintout p;
    GridModel& grid = *state.vlgProc;
    p.grid = SnapshotGrid(grid);
    for (int c = 0; c < p.grid.columns.size(); ++c)
        if (Totalled(p.grid.columns[c].key))
            p.totalled << c;
    // The work bill of each row, read from the grid whether or not its column is shown.
    int numberCol = 0;
    for (int c = 1; c <= grid.Cols() && grid.FixedRows() >= 1; ++c)
        if (grid.CellKey(grid.FixedRows(), c).compare(ReportCodeName(ReportCode::GPH), Qt::CaseInsensitive) ==
            0)
            numberCol = c;
    QHash<QString, int> sectionOf;
    for (int i = 0; i < p.grid.rows.size(); ++i) {
        const QString number = numberCol ? grid.CellText(p.grid.gridRows[i], numberCol).trimmed() : QString();
        if (number.isEmpty() && numberCol)
            continue;  // a row not yet given a work bill holds nothing to print
        auto found = sectionOf.find(number);
        if (found == sectionOf.end()) {
            found = sectionOf.insert(number, static_cast<int>(p.sections.size()));
            ReportPrintout::Section section;
            section.head.number = number;
            try {
                section.head = ReadHead(*state.host, number);
            } catch (const ComError& e) {
                if (failure && failure->isEmpty())
                    *failure = e.Description();
            }
            p.sections << section;
        }
        p.sections[*found].rows << i;
    }
    p.user = state.host->UserName();
    p.printedAt = QDateTime::currentDateTime();
    return p;
}

std::unique_ptr<QTextDocument> ReportDocument(const ReportPrintout& printout) {
    auto document = std::make_unique<QTextDocument>();
    document->setMetaInformation(QTextDocument::DocumentTitle, PrintTitle());
    QTextCursor cursor(document.get());
    for (int s = 0; s < printout.sections.size(); ++s)
        WriteSection(cursor, printout, printout.sections[s], s > 0);
    return document;
}

QString TotalText(const GridSnapshot& grid, const ReportPrintout::Section& section, int column) {
    double sum = 0;
    int decimals = 0;
    for (int r : section.rows) {
        const GridSnapshot::Cell& cell = grid.rows[r][column];
        if (cell.value.typeId() != QMetaType::Double)
            continue;
        sum += cell.value.toDouble();
        decimals = std::max(decimals, DecimalsShown(cell.text));
    }
    QString text = QString::number(sum, 'f', decimals);
    if (text.startsWith(u'-') && text.count(u'0') + text.count(u'.') == text.size() - 1)
        text.remove(0, 1);  // no "-0.00"
    return text;
}

}  // namespace sp
