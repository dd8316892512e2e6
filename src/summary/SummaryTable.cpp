#include "src/summary/SummaryTable.h"

#include <QStringList>
#include <QVector>
#include <algorithm>
#include <array>
#include <map>

#include "src/common/Basic.h"
#include "src/controls/GridModel.h"
#include "src/summary/Texts.h"

namespace sp {

namespace T = SummaryTexts;

namespace {

constexpr std::array<const char*, 9> kQuantities{"FAuxQtyReceive", "FAuxQtyFinish",  "FAuxQtyPass",
                                                 "FAuxQtyLost",    "FAuxQtyBack",    "FAuxQtyBackPass",
                                                 "FAuxQtyScrap",   "FAuxQtyForItem", "FAuxQtyHandOver"};
constexpr std::array<const char*, 6> kHours{"FfinishTime", "FreadyTime",    "FpowercutTime",
                                            "FfixTime",    "FwaitItemTime", "FwaitToolTime"};
const QString kMoney = QStringLiteral("0.00");

QVariant Field(const RecordsetPtr& rs, const char* name) { return rs->Field(QLatin1String(name)); }

// The figures of one group (or of all) for one time unit, or for every unit together.
struct Figures {
    double reports = 0;
    std::array<double, 9> quantities{};
    std::array<double, 6> hours{};
    double fee = 0;

    void Add(const RecordsetPtr& rs) {
        reports += Basic::Dbl(Field(rs, "Reports"));
        for (size_t i = 0; i < kQuantities.size(); ++i)
            quantities[i] += Basic::Dbl(Field(rs, kQuantities[i]));
        for (size_t i = 0; i < kHours.size(); ++i) hours[i] += Basic::Dbl(Field(rs, kHours[i]));
        fee += Basic::Dbl(Field(rs, "FtotalFee"));
    }
};

// Columns of the summary grid after the group's names.
struct Layout {
    int names = 2;  // 2 or 4
    int unit() const { return names + 1; }
    int reports() const { return names + 2; }
    int quantity(int i) const { return names + 3 + i; }
    int hours(int i) const { return names + 12 + i; }
    int fee() const { return names + 18; }
    int cols() const { return names + 18; }
};

void SetNumber(GridModel& grid, int row, int col, double value, const QString& format) {
    grid.SetCellFormat(row, col, format);
    grid.SetCellValue(row, col, value);
}

// A row's figures; hours only when the row stands for one time unit.
void PutFigures(GridModel& grid, int row, const Layout& l, const Figures& f, const QString& qtyFormat,
                bool withQuantities, bool withHours) {
    SetNumber(grid, row, l.reports(), f.reports, QStringLiteral("0"));
    if (withQuantities) {
        for (int i = 0; i < 9; ++i) SetNumber(grid, row, l.quantity(i), f.quantities[size_t(i)], qtyFormat);
        SetNumber(grid, row, l.fee(), f.fee, kMoney);
    }
    if (withHours)
        for (int i = 0; i < 6; ++i) SetNumber(grid, row, l.hours(i), f.hours[size_t(i)], kMoney);
}

void SetupColumns(GridModel& grid, const QStringList& titles, const QVector<int>& numberCols) {
    grid.SetRows(1);
    grid.SetFixedRows(1);
    grid.SetCols(static_cast<int>(titles.size()));
    for (int col = 1; col <= titles.size(); ++col) {
        grid.SetCellText(1, col, titles[col - 1]);
        grid.SetCellKey(1, col, titles[col - 1]);
        grid.SetColumnReadOnly(col, true);
        grid.SetColumnLocked(col, true);
        const bool number = numberCols.contains(col);
        grid.SetColumnKind(col, number ? CellKind::Number : CellKind::Text);
        grid.SetColumnAlignment(col, number ? CellAlign::Right : CellAlign::Left);
        grid.SetColumnWidth(col, number ? 1100 : 1500);
    }
}

// Columns widen to their widest text (the totals of a month run to many digits, work bill
// numbers are long): about 135 twips a character as the grid's font draws digits and
// letters, twice that for a Chinese one, and room for the margins; never below `least`.
void FitColumns(GridModel& grid, const QVector<int>& cols, int least) {
    for (const int col : cols) {
        int widest = 0;
        for (int row = 1; row <= grid.Rows(); ++row) {
            int width = 0;
            for (const QChar c : grid.CellText(row, col)) width += c.unicode() >= 0x2E80 ? 2 : 1;
            widest = std::max(widest, width);
        }
        grid.SetColumnWidth(col, std::max(least, widest * 135 + 240));
    }
}

}  // namespace

int SummaryTable::FillSummary(GridModel& grid, const RecordsetPtr& rs, SummaryBy by1, SummaryBy by2) {
    const QStringList levels = T::GroupItems();
    Layout l;
    l.names = by2 == SummaryBy::None ? 2 : 4;
    QStringList titles;
    for (SummaryBy by : {by1, by2})
        if (by != SummaryBy::None) {
            const QString level = levels.value(static_cast<int>(by));
            titles << T::Number(level) << T::Name(level);
        }
    titles << T::TimeUnit() << T::Reports() << T::Quantities() << T::Hours() << T::Fee();
    QVector<int> numbers;
    for (int col = l.reports(); col <= l.fee(); ++col) numbers << col;
    grid.SetRedraw(false);
    SetupColumns(grid, titles, numbers);

    // The service's rows come ordered by group, then unit: a group is a run of rows.
    struct Group {
        QStringList names;
        QString key;
        Figures all;
        std::vector<std::pair<QString, Figures>> units;
    };
    std::vector<Group> groups;
    Figures total;
    std::map<QString, Figures> totalByUnit;
    QString qtyFormat = DecimalsFormat(2);
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        const QString key = Basic::Text(Field(rs, "K1")) + u'\t' + Basic::Text(Field(rs, "K2"));
        if (groups.empty() || groups.back().key != key) {
            Group g;
            g.key = key;
            g.names << Basic::Text(Field(rs, "No1")) << Basic::Text(Field(rs, "Name1"));
            if (l.names == 4)
                g.names << Basic::Text(Field(rs, "No2")) << Basic::Text(Field(rs, "Name2"));
            groups.push_back(g);
        }
        const QString unit = Basic::Text(Field(rs, "UnitName"));
        Figures one;
        one.Add(rs);
        groups.back().all.Add(rs);
        groups.back().units.emplace_back(unit, one);
        total.Add(rs);
        totalByUnit[unit].Add(rs);
        qtyFormat = DecimalsFormat(Basic::Long(Field(rs, "Decimals")));
    }

    const auto addRow = [&] {
        grid.AddRow();
        return grid.Rows();
    };
    const auto putUnits = [&](const std::vector<std::pair<QString, Figures>>& units, const QString& key) {
        if (units.size() == 1) {
            PutFigures(grid, grid.Rows(), l, units.front().second, qtyFormat, false, true);
            grid.SetCellText(grid.Rows(), l.unit(), units.front().first);
            return;
        }
        grid.SetCellText(grid.Rows(), l.unit(), T::MixedUnits());
        for (const auto& [unit, figures] : units) {
            const int row = addRow();
            grid.SetCellKey(row, 1, key);
            grid.SetCellText(row, l.unit(), unit);
            PutFigures(grid, row, l, figures, qtyFormat, false, true);
        }
    };
    grid.ReserveRows(static_cast<int>(groups.size()) * 2 + 4);
    for (const Group& g : groups) {
        const int row = addRow();
        for (int i = 0; i < g.names.size(); ++i) grid.SetCellText(row, i + 1, g.names[i]);
        grid.SetCellKey(row, 1, g.key);
        PutFigures(grid, row, l, g.all, qtyFormat, true, false);
        putUnits(g.units, g.key);
    }
    if (!groups.empty()) {
        const int row = addRow();
        grid.SetCellText(row, 1, T::Total());
        PutFigures(grid, row, l, total, qtyFormat, true, false);
        std::vector<std::pair<QString, Figures>> units(totalByUnit.begin(), totalByUnit.end());
        putUnits(units, QString());
    }
    FitColumns(grid, numbers, 1100);
    grid.SetRedraw(true);
    return static_cast<int>(groups.size());
}

std::optional<std::pair<qint32, qint32>> SummaryTable::GroupOf(const GridModel& grid, int row) {
    if (row <= grid.FixedRows() || row > grid.Rows())
        return std::nullopt;
    const QStringList keys = grid.CellKey(row, 1).split(u'\t');
    if (keys.size() != 2)
        return std::nullopt;
    return std::pair<qint32, qint32>{keys[0].toInt(), keys[1].toInt()};
}

void SummaryTable::FillReports(GridModel& grid, const RecordsetPtr& rs) {
    QStringList titles{T::WorkBill(), T::Serial(), T::StartDate(), T::EndDate(), T::Worker()};
    titles << T::Quantities() << T::TimeUnit() << T::Hours() << T::Fee() << T::Audit() << T::AuditDate();
    QVector<int> numbers{2};
    for (int col = 6; col <= 14; ++col) numbers << col;
    for (int col = 16; col <= 22; ++col) numbers << col;
    grid.SetRedraw(false);
    SetupColumns(grid, titles, numbers);
    for (int col : {3, 4, 24}) grid.SetColumnKind(col, CellKind::Date);
    const QString qtyFormat = DecimalsFormat(3);
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        grid.AddRow();
        const int row = grid.Rows();
        grid.SetCellText(row, 1, Basic::Text(Field(rs, "FWorkBillNO")));
        grid.SetCellKey(row, 1,
                        Basic::Text(Field(rs, "FWBInterID")) + u'\t' + Basic::Text(Field(rs, "Fserial")));
        SetNumber(grid, row, 2, Basic::Dbl(Field(rs, "Fserial")), QStringLiteral("0"));
        grid.SetCellValue(row, 3, Field(rs, "FstartWorkDate"));
        grid.SetCellValue(row, 4, Field(rs, "FendWorkDate"));
        grid.SetCellText(row, 5,
                         Basic::Text(Field(rs, "WorkerNo")) + u' ' + Basic::Text(Field(rs, "WorkerName")));
        for (int i = 0; i < 9; ++i)
            SetNumber(grid, row, 6 + i, Basic::Dbl(Field(rs, kQuantities[size_t(i)])), qtyFormat);
        grid.SetCellText(row, 15, Basic::Text(Field(rs, "UnitName")));
        for (int i = 0; i < 6; ++i)
            SetNumber(grid, row, 16 + i, Basic::Dbl(Field(rs, kHours[size_t(i)])), kMoney);
        SetNumber(grid, row, 22, Basic::Dbl(Field(rs, "FtotalFee")), kMoney);
        grid.SetCellText(row, 23, Basic::Long(Field(rs, "Fstatus")) != 0 ? T::Audited() : T::Unaudited());
        if (!Field(rs, "FcheckDate").isNull())
            grid.SetCellValue(row, 24, Field(rs, "FcheckDate"));
    }
    QVector<int> all;
    for (int col = 1; col <= grid.Cols(); ++col) all << col;
    FitColumns(grid, all, 900);
    grid.SetRedraw(true);
}

std::optional<std::pair<qint32, qint32>> SummaryTable::ReportOf(const GridModel& grid, int row) {
    return GroupOf(grid, row);
}

}  // namespace sp
