#include "src/reportgrid/ReportPrintout.h"

#include <QHash>
#include <algorithm>

#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/controls/GridModel.h"
#include "src/entry/HostServices.h"
#include "src/middletier/MiddleTierInterfaces.h"
#include "src/reportgrid/ReportColumns.h"
#include "src/reportgrid/Texts.h"
#include "src/state/WorkbenchState.h"

namespace sp {

namespace {

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

}  // namespace

ReportPrintout BuildReportPrintout(WorkbenchState& state, QString* failure) {
    ReportPrintout p;
    GridModel& grid = *state.vlgProc;
    p.grid = SnapshotGrid(grid);
    // Only the report's own columns are printed: the selection column ("选择") holds no
    // code, as it is a control of the screen.
    for (int c = static_cast<int>(p.grid.columns.size()) - 1; c >= 0; --c)
        if (!ReportCodeFromName(p.grid.columns[c].key)) {
            p.grid.columns.remove(c);
            for (QVector<GridSnapshot::Cell>& row : p.grid.rows) row.remove(c);
        }
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

Printout ToPrintout(const ReportPrintout& p) {
    Printout out;
    out.title = ReportTexts::PrintTitle();
    const GridSnapshot& g = p.grid;
    for (const ReportPrintout::Section& section : p.sections) {
        PrintTable t;
        t.title = ReportTexts::PrintTitle();
        const ReportPrintout::Head& h = section.head;
        namespace T = ReportTexts;
        t.head = {{T::PrintWorkBill(), h.number},
                  {T::PrintTask(), h.task},
                  {T::PrintItem(), h.item},
                  {T::PrintOperation(), h.operation},
                  {T::PrintWorkCenter(), h.workCenter},
                  {T::PrintPlanned(), h.planned}};
        for (const GridSnapshot::Column& column : g.columns) {
            t.titles << column.title;
            t.rightAligned << column.rightAligned;
            t.oneLine << (column.kind != GridSnapshot::Kind::Text);
        }
        // On a sheet too wide for a page, every band starts with the work bill and the serial.
        for (ReportCode code : {ReportCode::GPH, ReportCode::HBXH})
            if (const int c = g.ColumnOf(ReportCodeName(code)); c >= 0)
                t.repeated << c;
        for (int r : section.rows) {
            QStringList cells;
            for (const GridSnapshot::Cell& cell : g.rows[r]) cells << cell.text;
            t.rows << cells;
        }
        t.totals = QStringList(g.columns.size(), QString());
        if (!t.totals.isEmpty())
            t.totals[0] = ReportTexts::PrintTotal();
        for (int c : p.totalled)
            if (c > 0)
                t.totals[c] = TotalText(g, section, c);
        t.foot = ReportTexts::PrintFoot(p.user, p.printedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        out.tables << t;
    }
    return out;
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
