#include "src/navigation/WorkBillList.h"

#include <QHash>
#include <QSet>
#include <array>

#include "src/common/Basic.h"
#include "src/controls/GridModel.h"
#include "src/common/IgnoreErrors.h"
#include "src/controls/ToolbarModel.h"
#include "src/entry/HostServices.h"
#include "src/lookups/CachedLookups.h"
#include "src/navigation/ListCondition.h"
#include "src/controls/RedrawOff.h"
#include "src/navigation/Texts.h"
#include "src/settings/SaveColumnWidth.h"
#include "src/state/WorkbenchState.h"

namespace sp {

namespace {

constexpr int kNumberCol = 5;

// Holds a flag for a scope, whatever leaves it.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = was_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool was_;
};

enum class FieldRule { Plain, WorkCenter, Oper, Scheme, QualityChk, Fare, IsOut, Team, Emp, Dev, Supply };

FieldRule RuleOf(const QString& field) {
    static const QHash<QString, FieldRule> rules{
        {QStringLiteral("fworkcenterid"), FieldRule::WorkCenter},
        {QStringLiteral("foperid"), FieldRule::Oper},
        {QStringLiteral("fqualityshcemeid"), FieldRule::Scheme},
        {QStringLiteral("fqualitychkid"), FieldRule::QualityChk},
        {QStringLiteral("ffare"), FieldRule::Fare},
        {QStringLiteral("fisout"), FieldRule::IsOut},
        {QStringLiteral("fteamid"), FieldRule::Team},
        {QStringLiteral("fworkerid"), FieldRule::Emp},
        {QStringLiteral("ffmanagerid"), FieldRule::Emp},
        {QStringLiteral("fdeviceid"), FieldRule::Dev},
        {QStringLiteral("fsupplyid"), FieldRule::Supply},
    };
    return rules.value(field.toLower(), FieldRule::Plain);
}

}  // namespace

WorkBillList::WorkBillList(WorkbenchState& state) : state_(state) {}

QString WorkBillList::TextBeforeTab(const QString& text) {
    const qsizetype tab = text.indexOf(QChar(9));
    return tab < 0 ? text : text.left(tab);
}

bool WorkBillList::IsRightAligned(const QString& field) {
    static const QSet<QString> fields = [] {
        const std::array<const char16_t*, 26> names{
            u"FAuxQtyPlan", u"FAuxQtyRecive", u"FauxQtyPass", u"FauxQtyFinish", u"FauxQty", u"FauxQtyLost",
            u"FauxQtyBack", u"FauxQtybackpass", u"FauxQtyScrap", u"FWorkQty", u"FmoveQty", u"FAuxQtyForItem",
            u"FauxQtyHandOver", u"FtotalFee", u"Ffee", u"Ffinishtime", u"freadytime", u"fpowercuttime",
            u"ffixtime", u"fwaititemtime", u"fwaittooltime", u"Fleadtime", u"Ftimesetup", u"Ftimerun",
            u"Fmovetime", u"FtotalWorkTime"};
        QSet<QString> s;
        for (const char16_t* n : names)
            s.insert(QString::fromUtf16(n).toLower());
        return s;
    }();
    return fields.contains(field.toLower());
}

bool WorkBillList::ButtonPressed(const QString& tool) const {
    return state_.barProc && state_.barProc->HasTool(tool) && state_.barProc->Checked(tool);
}

void WorkBillList::SetupListGrid() {
    GridModel& grid = *state_.vlgList;
    grid.SetRows(1);
    grid.SetFixedRows(1);
    grid.SetCols(1);
    grid.SetRangeBackground(1, 1, 1, 1, QColor(Qt::white));
    grid.SetRowHeight(1, grid.DefaultRowHeight() * 2);
    LoadListColumns();
    grid.SetFrozenCols(std::min(kNumberCol, grid.Cols()));
    if (grid.Cols() >= 1)
        grid.SetColumnLocked(1, true);
    if (grid.Cols() >= kNumberCol) {
        grid.SetColumnLocked(kNumberCol, true);
        grid.SetColumnAlignment(kNumberCol, CellAlign::Left);
    }
}

void WorkBillList::LoadListColumns() {
    GridModel& grid = *state_.vlgList;
    const QString props = state_.host->PropsString();
    RecordsetPtr layout = state_.host->NewMShopProc()->GetWorkBillTitle(props, state_.userId);
    int k = 0;
    for (; layout && !layout->Eof(); layout->MoveNext(), ++k) {
        if (k > 0)
            grid.SetCols(grid.Cols() + 1);
        const int col = k + 1;
        const QString field = Basic::Text(layout->Field(QStringLiteral("Ffield")));
        state_.listFields.resize(k + 1);
        state_.listFields[k] = field;
        grid.SetColumnAlignment(col, IsRightAligned(field) ? CellAlign::Right : CellAlign::Left);
        grid.SetCellAlignment(1, col, CellAlign::Center);
        grid.SetCellText(1, col, Basic::Text(layout->Field(QStringLiteral("Fname"))));
        grid.SetColumnVisible(col, Basic::Dbl(layout->Field(QStringLiteral("Fshow"))) != 0);
        const double width = Basic::Dbl(layout->Field(QStringLiteral("Fwidth")));
        grid.SetColumnWidth(col, width == 0 ? grid.DefaultColumnWidth() : width);
    }
}

bool WorkBillList::MayLeaveWorkBill() {
    if (leaveConfirmed_ || !state_.editMode || !state_.modified || !state_.confirmLeaveWorkBill)
        return true;
    return state_.confirmLeaveWorkBill();
}

void WorkBillList::RefreshWorkBillList() {
    IgnoreErrors([&] {
        if (!MayLeaveWorkBill())
            return;
        FlagScope confirmed(leaveConfirmed_);
        const bool wc = ButtonPressed(QStringLiteral("btnListWC"));
        const bool check = ButtonPressed(QStringLiteral("btnCtlChk"));
        const QString condition = BuildListCondition(state_.dicFilter);
        const QString props = state_.host->PropsString();
        RecordsetPtr records = state_.host->NewMShopProc()->GetWorkBillByFilter(props, check, condition);
        Recordset empty;
        ShowWorkBills(records ? *records : empty, wc);
    });
}

void WorkBillList::ShowWorkBills(Recordset& records, bool wcArrangement) {
    GridModel& grid = *state_.vlgList;
    {
        RedrawOff quiet(grid);
        grid.SetRows(1);
        FillWorkBillRows(records, wcArrangement);
        if (grid.Cols() >= 2)
            grid.SetRangeLocked(1, 2, grid.Rows(), grid.Cols(), true);
    }
    grid.SetRedraw(true);

    if (grid.Rows() <= 1) {
        state_.listVisible = false;
    } else {
        state_.listVisible = true;
        SelectRow(2);
    }
    records.Close();
    IgnoreErrors([&] {
        if (state_.paintReportGrid)
            state_.paintReportGrid();
    });
}

void WorkBillList::FillWorkBillRows(Recordset& records, bool wcArrangement) {
    GridModel& grid = *state_.vlgList;
    const QStringList fields = state_.listFields;
    const int cols = std::min(static_cast<int>(fields.size()), grid.Cols());
    // Ids whose lookup failed once are not asked again in this fill: thousands of rows
    // of one unknown worker would otherwise mean thousands of middle-tier calls.
    QSet<qint32> failedTeams, failedEmps, failedDevs;
    auto text = [&](const char16_t* name) { return Basic::Text(records.Field(QString::fromUtf16(name))); };

    for (; !records.Eof(); records.MoveNext()) {
        grid.AddRow();
        const int r = grid.Rows();
        for (int j = 0; j < cols; ++j) {
            const QString& f = fields[j];
            IgnoreErrors([&] {
                QString cell;
                switch (RuleOf(f)) {
                    case FieldRule::WorkCenter: cell = text(u"FWorkCenterNO"); break;
                    case FieldRule::Oper: cell = text(u"FOperNO"); break;
                    case FieldRule::Scheme: cell = text(u"FschemeName"); break;
                    case FieldRule::Supply: cell = text(u"FsupplyName"); break;
                    case FieldRule::QualityChk: {
                        const qint32 v = Basic::Long(records.Field(f));
                        cell = v == 351 ? NavTexts::QualityFull()
                               : v == 353 ? NavTexts::QualitySampling()
                                          : NavTexts::QualityExempt();
                        break;
                    }
                    case FieldRule::Fare:
                        cell = Basic::Long(records.Field(f)) == 1059 ? NavTexts::No() : NavTexts::Yes();
                        break;
                    case FieldRule::IsOut:
                        cell = Basic::Long(records.Field(f)) == 1058 ? NavTexts::Yes() : NavTexts::No();
                        break;
                    case FieldRule::Team: {
                        const qint32 id = Basic::Long(records.Field(f));
                        if (failedTeams.contains(id))
                            return;
                        failedTeams.insert(id);
                        cell = CachedTeamById(state_.TeamsCache(), *state_.host, id)->Tname();
                        failedTeams.remove(id);
                        break;
                    }
                    case FieldRule::Emp: {
                        const qint32 id = Basic::Long(records.Field(f));
                        if (failedEmps.contains(id))
                            return;
                        failedEmps.insert(id);
                        cell = CachedEmpById(state_.EmpsCache(), *state_.host, id)->Ename();
                        failedEmps.remove(id);
                        break;
                    }
                    case FieldRule::Dev: {
                        const qint32 id = Basic::Long(records.Field(f));
                        if (failedDevs.contains(id))
                            return;
                        failedDevs.insert(id);
                        cell = CachedDevById(state_.DevsCache(), *state_.host, id)->Dname();
                        failedDevs.remove(id);
                        break;
                    }
                    case FieldRule::Plain: cell = Basic::Text(records.Field(f)); break;
                }
                grid.SetCellText(r, j + 1, cell);
            });
        }
        if (grid.Cols() >= kNumberCol) {
            IgnoreErrors([&] { grid.SetCellData(r, kNumberCol, records.Field(QStringLiteral("FWBinterID"))); });
            if (wcArrangement)
                IgnoreErrors([&] {
                    const QString suffix = QString(QChar(9)) + text(u"FitemName") + QStringLiteral("[") +
                                           text(u"FitemModel") + QStringLiteral("]");
                    grid.SetCellText(r, kNumberCol, grid.CellText(r, kNumberCol) + suffix);
                });
        }
    }
}

void WorkBillList::OnGridNotify(int code, int coord) {
    if (code == GridNotify::SelectionChanged)
        OnRowChange(coord);
    else if (code == GridNotify::ColumnResized)
        OnColumnResized(coord);
}

void WorkBillList::OnRowChange(int newRow) {
    // The fill's own selection is handed over by the fill itself.
    if (selecting_ || newRow == state_.currentListRow)
        return;
    IgnoreErrors([&] {
        if (!MayLeaveWorkBill()) {
            SelectWithoutHandOver(state_.currentListRow);
            return;
        }
        state_.currentListRow = newRow;
        state_.currentWorkBillNo = newRow >= 2 ? TextBeforeTab(state_.vlgList->CellText(newRow, kNumberCol)) : QString();
        if (state_.editMode && state_.loadReportHistory)
            state_.loadReportHistory(1);
    });
}

void WorkBillList::SelectRow(int row) {
    SelectWithoutHandOver(row);
    HandOver(row);
}

void WorkBillList::HandOver(int row) {
    // Row 1 first, so that row counts as a change even when it was the current row.
    FlagScope confirmed(leaveConfirmed_);
    OnRowChange(1);
    OnRowChange(row);
}

void WorkBillList::SelectWithoutHandOver(int row) {
    GridModel& grid = *state_.vlgList;
    if (row <= grid.FixedRows() || row > grid.Rows() || grid.Cols() < 1)
        return;
    FlagScope quiet(selecting_);
    IgnoreErrors([&] { grid.SetCurrentCell(row, 1); });
}

void WorkBillList::OnColumnResized(int col) {
    IgnoreErrors([&] {
        if (col < 1 || col > state_.listFields.size())
            return;
        SaveColumnWidth(*state_.host, state_.userId, QStringLiteral("List"), state_.listFields[col - 1],
                        state_.vlgList->ColumnWidth(col));
    });
}

}  // namespace sp
