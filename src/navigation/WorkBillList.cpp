#include "src/navigation/WorkBillList.h"

#include <QHash>
#include <QScopedValueRollback>
#include <QSet>
#include <array>
#include <optional>
#include <vector>

#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"
#include "src/common/IgnoreErrors.h"
#include "src/common/LoadProgress.h"
#include "src/controls/GridModel.h"
#include "src/controls/RedrawOff.h"
#include "src/controls/ToolbarModel.h"
#include "src/entry/HostServices.h"
#include "src/lookups/CachedLookups.h"
#include "src/middletier/WorkBillCodes.h"
#include "src/navigation/ListCondition.h"
#include "src/navigation/Texts.h"
#include "src/settings/ColumnLayout.h"
#include "src/settings/SaveColumnWidth.h"
#include "src/state/WorkbenchState.h"

namespace sp {

namespace {

constexpr int kNumberCol = 5;

// A data row's work bill number stays readable: a column stored without a width gets
// the longest number of the first rows plus this margin.
constexpr int kMeasuredRows = 200;
constexpr double kNumberMargin = 240;

// Names by id for a fill: each id is asked once per fill, whether the middle tier
// knows it, answers with nothing or fails, so thousands of rows of one unknown worker
// do not mean thousands of middle-tier calls. A failure still reaches the caller (its
// cell stays empty), and later rows of that id stay empty without asking.
class NamesById {
  public:
    template <class Lookup>
    QString Name(qint32 id, Lookup lookup) {
        const auto it = names_.constFind(id);
        if (it != names_.cend())
            return *it;
        names_.insert(id, QString());
        const QString name = lookup(id);
        names_.insert(id, name);
        return name;
    }

  private:
    QHash<qint32, QString> names_;
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

// The record field a rule shows instead of the column's own; null for the column's own.
const char16_t* ShownFieldOf(FieldRule rule) {
    switch (rule) {
        case FieldRule::WorkCenter:
            return u"FWorkCenterNO";
        case FieldRule::Oper:
            return u"FOperNO";
        case FieldRule::Scheme:
            return u"FschemeName";
        case FieldRule::Supply:
            return u"FsupplyName";
        default:
            return nullptr;
    }
}

// A field of the current record by its index in the records. A field the records lack
// (index -1) is asked by name, which raises the records' own error for it.
const QVariant& FieldOf(const Recordset& records, int index, const QString& name) {
    if (index < 0)
        static_cast<void>(records.Field(name));
    return records.FieldAt(index);
}

}  // namespace

struct WorkBillList::WorkBillNames {
    NamesById teams, emps, devs;
};

// A list column as one fill shows it: its display rule and where the records hold the
// field it shows. Both depend only on the column's field, so a fill resolves them once
// and not for each of its cells.
struct WorkBillList::ListColumn {
    FieldRule rule = FieldRule::Plain;
    QString field;   // the field the cell shows: the column's own, or the rule's
    int index = -1;  // of field in the records; -1 when they lack it
};

WorkBillList::WorkBillList(WorkbenchState& state)
    : state_(state), textWidth_(&WorkBillList::EstimatedTextWidth) {}

QString WorkBillList::TextBeforeTab(const QString& text) {
    const qsizetype tab = text.indexOf(QChar(9));
    return tab < 0 ? text : text.left(tab);
}

bool WorkBillList::IsRightAligned(const QString& field) {
    static const QSet<QString> fields = [] {
        const std::array<const char16_t*, 26> names{
            u"FAuxQtyPlan",   u"FAuxQtyRecive",  u"FauxQtyPass",     u"FauxQtyFinish", u"FauxQty",
            u"FauxQtyLost",   u"FauxQtyBack",    u"FauxQtybackpass", u"FauxQtyScrap",  u"FWorkQty",
            u"FmoveQty",      u"FAuxQtyForItem", u"FauxQtyHandOver", u"FtotalFee",     u"Ffee",
            u"Ffinishtime",   u"freadytime",     u"fpowercuttime",   u"ffixtime",      u"fwaititemtime",
            u"fwaittooltime", u"Fleadtime",      u"Ftimesetup",      u"Ftimerun",      u"Fmovetime",
            u"FtotalWorkTime"};
        QSet<QString> s;
        for (const char16_t* n : names) s.insert(QString::fromUtf16(n).toLower());
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
    // The columns that identify a work bill stay first; the clerk may drag the others.
    grid.SetFirstMovableCol(kNumberCol + 1);
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
    numberColumnStored_ = false;
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
        grid.SetColumnVisible(col, ColumnLayout::StoredShown(layout->Field(QStringLiteral("Fshow"))));
        const double width = ColumnLayout::StoredWidth(layout->Field(QStringLiteral("Fwidth")));
        grid.SetColumnWidth(col, width == 0 ? grid.DefaultColumnWidth() : width);
        if (col == kNumberCol)
            numberColumnStored_ = width != 0;
    }
}

bool WorkBillList::MayLeaveWorkBill() {
    if (leaveConfirmed_)
        return true;
    // The workbench commits an open cell editor first, then asks when edits of the
    // loaded work bill would be dropped.
    if (state_.confirmLeaveWorkBill)
        return state_.confirmLeaveWorkBill();
    return !state_.editMode || !state_.modified;
}

bool WorkBillList::RefreshWorkBillList(QString* failure) {
    if (!ValueOrEmpty<bool>([&] { return MayLeaveWorkBill(); }))
        return true;
    const QScopedValueRollback confirmed(leaveConfirmed_, true);
    // The half second before the progress shows counts from here: a service slow to
    // answer shows it at the first row.
    LoadProgress progress(state_.host->Screen(), LoadPane::List, state_.loadClock);
    RecordsetPtr records;
    bool wc = false;
    try {
        wc = ButtonPressed(QStringLiteral("btnListWC"));
        const bool check = ButtonPressed(QStringLiteral("btnCtlChk"));
        const QString condition = BuildListCondition(state_.dicFilter);
        const QString props = state_.host->PropsString();
        records = state_.host->NewMShopProc()->GetWorkBillByFilter(props, check, condition);
    } catch (const ComError& e) {
        ErrorLog::Write(e);
        if (failure)
            *failure = e.Description();
        // The rows of the last load are no longer known to be true: they go, and the
        // label says why the list is empty. The current work bill and its record grid
        // stay, so nothing typed is lost.
        IgnoreErrors([&] {
            RedrawOff quiet(*state_.vlgList);
            state_.vlgList->SetRows(1);
        });
        state_.listVisible = false;
        state_.lblListText = NavTexts::ListLoadFailed() + e.Description();
        IgnoreErrors([&] {
            if (state_.paintReportGrid)
                state_.paintReportGrid();
        });
        return false;
    }
    bool shown = true;
    IgnoreErrors([&] {
        Recordset empty;
        shown = ShowWorkBills(records ? *records : empty, wc, &progress);
    });
    return shown;
}

bool WorkBillList::ShowWorkBills(Recordset& records, bool wcArrangement, LoadProgress* progress) {
    GridModel& grid = *state_.vlgList;
    std::optional<LoadProgress> own;
    if (!progress)
        progress = &own.emplace(state_.host->Screen(), LoadPane::List, state_.loadClock);
    bool complete = true;
    {
        RedrawOff quiet(grid);
        grid.SetRows(1);
        complete = FillWorkBillRows(records, wcArrangement, progress);
        if (!complete) {
            grid.SetRows(1);  // no row of a cancelled load stays
        } else {
            if (grid.Cols() >= 2)
                grid.SetRangeLocked(1, 2, grid.Rows(), grid.Cols(), true);
            IgnoreErrors([&] { FitNumberColumn(); });
        }
    }
    // The rows are in (or dropped): the progress goes before the hand-over, which may
    // start a history load of its own.
    progress->Done();
    grid.SetRedraw(true);

    if (!complete) {
        // As after a failed read, the current work bill and its record grid stay.
        state_.listVisible = false;
        state_.lblListText = LoadProgress::CancelledText();
        state_.loadCancelled = true;
    } else if (grid.Rows() <= 1) {
        // Nothing matches: the list stays hidden and its label says why; the current
        // work bill is left alone.
        state_.listVisible = false;
        state_.lblListText = NavTexts::NoWorkBillsMatch();
    } else {
        state_.listVisible = true;
        SelectRow(2);
    }
    records.Close();
    IgnoreErrors([&] {
        if (state_.paintReportGrid)
            state_.paintReportGrid();
    });
    return complete;
}

QString WorkBillList::CellOf(const Recordset& records, const ListColumn& column, WorkBillNames& names) {
    const QVariant& value = FieldOf(records, column.index, column.field);
    switch (column.rule) {
        case FieldRule::QualityChk: {
            const qint32 v = Basic::Long(value);
            return v == WorkBillCode::QualityFull       ? NavTexts::QualityFull()
                   : v == WorkBillCode::QualitySampling ? NavTexts::QualitySampling()
                                                        : NavTexts::QualityExempt();
        }
        case FieldRule::Fare:
            return Basic::Long(value) == WorkBillCode::NoFee ? NavTexts::No() : NavTexts::Yes();
        case FieldRule::IsOut:
            return Basic::Long(value) == WorkBillCode::Outsourced ? NavTexts::Yes() : NavTexts::No();
        case FieldRule::Team:
            return names.teams.Name(Basic::Long(value), [&](qint32 id) {
                return CachedTeamById(state_.TeamsCache(), *state_.host, id)->Tname();
            });
        case FieldRule::Emp:
            return names.emps.Name(Basic::Long(value), [&](qint32 id) {
                return CachedEmpById(state_.EmpsCache(), *state_.host, id)->Ename();
            });
        case FieldRule::Dev:
            return names.devs.Name(Basic::Long(value), [&](qint32 id) {
                return CachedDevById(state_.DevsCache(), *state_.host, id)->Dname();
            });
        case FieldRule::WorkCenter:
        case FieldRule::Oper:
        case FieldRule::Scheme:
        case FieldRule::Supply:
        case FieldRule::Plain:
            break;
    }
    return Basic::Text(value);
}

bool WorkBillList::FillWorkBillRows(Recordset& records, bool wcArrangement, LoadProgress* progress) {
    GridModel& grid = *state_.vlgList;
    const QStringList& fields = state_.listFields;
    const int cols = std::min(static_cast<int>(fields.size()), grid.Cols());
    std::vector<ListColumn> columns(static_cast<size_t>(cols));
    for (int j = 0; j < cols; ++j) {
        ListColumn& c = columns[static_cast<size_t>(j)];
        c.rule = RuleOf(fields[j]);
        const char16_t* shown = ShownFieldOf(c.rule);
        c.field = shown ? QString::fromUtf16(shown) : fields[j];
        c.index = records.FieldIndex(c.field);
    }
    const QString idName = QStringLiteral("FWBinterID");
    const QString itemName = QStringLiteral("FitemName");
    const QString itemModel = QStringLiteral("FitemModel");
    const int idIndex = records.FieldIndex(idName);
    const int itemNameIndex = records.FieldIndex(itemName);
    const int itemModelIndex = records.FieldIndex(itemModel);
    WorkBillNames names;
    const auto fillRow = [&](int r) {
        for (int j = 0; j < cols; ++j)
            IgnoreErrors(
                [&] { grid.SetCellText(r, j + 1, CellOf(records, columns[static_cast<size_t>(j)], names)); });
        if (grid.Cols() < kNumberCol)
            return;
        IgnoreErrors([&] { grid.SetCellData(r, kNumberCol, FieldOf(records, idIndex, idName)); });
        // The work-center arrangement names the item behind the number.
        if (wcArrangement)
            IgnoreErrors([&] {
                const QString suffix =
                    QString(QChar(9)) + Basic::Text(FieldOf(records, itemNameIndex, itemName)) +
                    QStringLiteral("[") + Basic::Text(FieldOf(records, itemModelIndex, itemModel)) +
                    QStringLiteral("]");
                grid.SetCellText(r, kNumberCol, grid.CellText(r, kNumberCol) + suffix);
            });
    };
    // Room for every row at once: a list of thousands of rows is not regrown row by row.
    grid.ReserveRows(grid.Rows() + records.RecordCount());
    if (progress)
        progress->SetTotal(records.RecordCount());
    // The service hands the whole result over at once; a long list's time goes into
    // filling the grid (names looked up, cells set), so that is where its rows are
    // counted and where the clerk may cancel, between one row and the next.
    int filled = 0;
    for (; !records.Eof(); records.MoveNext()) {
        grid.AddRow();
        fillRow(grid.Rows());
        if (progress && !progress->Step(++filled))
            return false;
    }
    return true;
}

void WorkBillList::FitNumberColumn() {
    GridModel& grid = *state_.vlgList;
    if (grid.Cols() < kNumberCol || numberColumnStored_)
        return;
    double widest = 0;
    const int last = std::min(grid.Rows(), grid.FixedRows() + kMeasuredRows);
    for (int r = grid.FixedRows() + 1; r <= last; ++r)
        widest = std::max(widest, textWidth_(TextBeforeTab(grid.CellText(r, kNumberCol))));
    grid.SetColumnWidth(kNumberCol, std::max(grid.DefaultColumnWidth(), widest + kNumberMargin));
}

void WorkBillList::SetTextWidth(TextWidth textWidth) {
    textWidth_ = textWidth ? std::move(textWidth) : TextWidth(&WorkBillList::EstimatedTextWidth);
}

double WorkBillList::EstimatedTextWidth(const QString& text) {
    // About the width of a character of the list's 9-point font, in twips.
    return 105.0 * text.size();
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
        state_.currentWorkBillNo =
            newRow >= 2 ? TextBeforeTab(state_.vlgList->CellText(newRow, kNumberCol)) : QString();
        if (state_.editMode && state_.loadReportHistory)
            state_.loadReportHistory(1);
    });
}

void WorkBillList::SelectRow(int row) {
    SelectWithoutHandOver(row);
    HandOver(row);
}

bool WorkBillList::SelectWorkBill(const QString& workBillNo) {
    GridModel& grid = *state_.vlgList;
    if (workBillNo.isEmpty() || grid.Cols() < kNumberCol)
        return false;
    for (int r = grid.FixedRows() + 1; r <= grid.Rows(); ++r) {
        if (TextBeforeTab(grid.CellText(r, kNumberCol)).compare(workBillNo, Qt::CaseInsensitive) != 0)
            continue;
        if (r != state_.currentListRow)
            SelectRow(r);
        return true;
    }
    return false;
}

void WorkBillList::HandOver(int row) {
    // Row 1 first, so that row counts as a change even when it was the current row.
    const QScopedValueRollback confirmed(leaveConfirmed_, true);
    OnRowChange(1);
    OnRowChange(row);
}

void WorkBillList::SelectWithoutHandOver(int row) {
    GridModel& grid = *state_.vlgList;
    if (row <= grid.FixedRows() || row > grid.Rows() || grid.Cols() < 1)
        return;
    const QScopedValueRollback quiet(selecting_, true);
    IgnoreErrors([&] { grid.SetCurrentCell(row, 1); });
}

void WorkBillList::OnColumnMoved(int from, int to) {
    QStringList& fields = state_.listFields;
    if (from < 1 || to < 1 || from > fields.size() || to > fields.size())
        return;
    fields.move(from - 1, to - 1);
    GridModel& grid = *state_.vlgList;
    QVector<ColumnLayout::Position> positions;
    for (int col = 1; col <= fields.size(); ++col)
        positions.append({fields[col - 1], col, ValueOrEmpty<bool>([&] { return grid.ColumnVisible(col); })});
    if (ColumnLayout::StoreOrder(*state_.host, ColumnLayout::WorkBillType(), state_.userId, positions))
        return;
    IgnoreErrors([&] {
        SetupListGrid();
        RefreshWorkBillList();
    });
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
