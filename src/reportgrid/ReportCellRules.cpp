#include "src/reportgrid/ReportCellRules.h"

#include <cmath>

#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"
#include "src/common/IgnoreErrors.h"
#include "src/common/Ui.h"
#include "src/controls/GridModel.h"
#include "src/controls/ToolbarModel.h"
#include "src/entry/HostServices.h"
#include "src/entry/Rights.h"
#include "src/lookups/Devs.h"
#include "src/lookups/Emps.h"
#include "src/lookups/Teams.h"
#include "src/middletier/WorkBillCodes.h"
#include "src/reportgrid/NewReportRows.h"
#include "src/reportgrid/ReportCells.h"
#include "src/reportgrid/ReportLookupCells.h"
#include "src/reportgrid/ReportRowLocks.h"
#include "src/state/WorkbenchState.h"

namespace sp {

namespace {

using C = ReportCode;

constexpr qint32 kEmployeeClass = 3;
// ScrollCellIntoView keeps this much of the grid's inner size free.
constexpr double kScrollMargin = 300;

bool NeverEditable(C code) {
    switch (code) {
        case C::HBXH:
        case C::LJJSSL:
        case C::LJHBSL:
        case C::LJYJSL:
        case C::SHBZ:
        case C::SHR:
        case C::SHRQ:
        case C::ZDR:
        case C::ZDRQ:
        case C::SJDW:
        case C::DWCB:
        case C::GPZH:
        case C::GXH:
            return true;
        default:
            return false;
    }
}

bool Pressed(const WorkbenchState& state, const char* tool) {
    const QString name = QString::fromLatin1(tool);
    return state.barProc && state.barProc->HasTool(name) && state.barProc->Checked(name);
}

// A fee and a computed fee are the same when they agree to the cent the fee shows.
QString Printable(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            out += u' ';
        else if (c.category() != QChar::Other_Control)
            out += c;
    }
    return out;
}

bool SameFee(double a, double b) { return std::llround(a * 100) == std::llround(b * 100); }

// The record of a number in a cache, or the record found by the number and added.
// Null when nothing answers to the number.
template <class Cache, class Record, class Setter, class IdOf>
std::shared_ptr<Record> Resolve(Cache& cache, HostServices& host, const QString& number, Setter setNumber,
                                IdOf idOf) {
    if (cache.Contains(number))
        return cache.Item(number);
    auto record = std::make_shared<Record>(&host);
    (record.get()->*setNumber)(number);
    if (idOf(*record) == 0)
        return nullptr;
    // The service answers a short number or another letter case with the stored number.
    if (cache.Contains(record->Number()))
        return cache.Item(record->Number());
    cache.Add(record);
    return record;
}

}  // namespace

ReportCellRules::ReportCellRules(WorkbenchState& state) : state_(state) {}

std::optional<ReportCode> ReportCellRules::CodeAt(int col) const {
    if (col < 2)
        return std::nullopt;
    for (ReportCode code : AllReportCodes())
        if (state_.reportColumnPos[static_cast<size_t>(Index(code))] == col)
            return code;
    return std::nullopt;
}

WorkbenchState::HeldWorkBill* ReportCellRules::Held(int row, const QString& workBillNo, bool read) {
    // Edit mode shows one work bill under the history's task; a new row holds the task
    // of the work bill in its cell (not of a number still in the editor).
    const qint32 task = state_.editMode ? state_.historyTaskId : state_.rowLocks.value(row);
    if (task == 0)
        return nullptr;
    const QString guarded =
        state_.editMode ? state_.currentWorkBillNo : ReportCells(state_).Text(row, C::GPH).trimmed();
    if (guarded != workBillNo)
        return nullptr;
    auto it = state_.heldWorkBills.find(task);
    if (it != state_.heldWorkBills.end() && it->number != workBillNo)
        it = state_.heldWorkBills.end();
    if (it == state_.heldWorkBills.end()) {
        if (!read)
            return nullptr;
        it = state_.heldWorkBills.insert(task, InfoOf(-1, workBillNo));
    }
    return &it.value();
}

WorkbenchState::HeldWorkBill ReportCellRules::InfoOf(int row, const QString& workBillNo) {
    if (row >= 0)
        if (const WorkbenchState::HeldWorkBill* held = Held(row, workBillNo, true))
            return *held;
    WorkbenchState::HeldWorkBill info;
    info.number = workBillNo;
    const QString props = state_.host->PropsString();
    RecordsetPtr rs = state_.host->NewMShopProc()->GetWorkBillInfo(props, workBillNo);
    if (rs && !rs->Eof()) {
        info.team = Basic::Long(rs->Field(QStringLiteral("FteamID")));
        info.worker = Basic::Long(rs->Field(QStringLiteral("FworkerID")));
        info.device = Basic::Long(rs->Field(QStringLiteral("FdeviceID")));
        info.isOut = Basic::Long(rs->Field(QStringLiteral("FisOut")));
        info.fare = Basic::Long(rs->Field(QStringLiteral("Ffare")));
    }
    if (rs)
        rs->Close();
    return info;
}

bool ReportCellRules::QualityInspected(int row, const QString& workBillNo) {
    WorkbenchState::HeldWorkBill* held = Held(row, workBillNo, true);
    if (!held)
        return IsQualityInspected(workBillNo);
    if (!held->qualityInspected)
        held->qualityInspected = IsQualityInspected(workBillNo);
    return *held->qualityInspected;
}

bool ReportCellRules::CanEditReportCell(int row, int col) {
    try {
        GridModel& grid = *state_.vlgProc;
        if (row <= grid.FixedRows() || row > grid.Rows() || col < 1 || col > grid.Cols())
            return false;
        const std::optional<C> code = CodeAt(col);
        if (!code || NeverEditable(*code))
            return false;
        qint32 right = 0;
        if (Pressed(state_, "btnModeNew"))
            right = Rights::NewReports;
        else if (Pressed(state_, "btnModeEdit"))
            right = Rights::ChangeReports;
        if (right == 0 || !state_.host->AccessCheck(right))
            return false;
        const ReportCells cells(state_);
        if (!cells.Text(row, C::SHBZ).isEmpty())
            return false;  // an audited record

        QString number;
        if (state_.editMode) {
            // A stored record never moves to another work bill.
            if (*code == C::GPH)
                return false;
            number = cells.Text(row, C::GPH);
        } else {
            if (*code == C::GPH)
                return !state_.RowStored(row);
            const int gph = cells.Column(C::GPH);
            number = (grid.EditorOpen() && grid.EditorRow() == row && grid.EditorCol() == gph)
                         ? grid.EditorText().trimmed()
                         : cells.Text(row, C::GPH).trimmed();
            // Settings kept under the row's task were read for a reportable work bill;
            // the service checks again at every write.
            if (!Held(row, number, false) && (!state_.isExistWB || !state_.isExistWB(number, false)))
                return false;
        }

        const WorkbenchState::HeldWorkBill info = InfoOf(row, number);
        const bool outsourced = info.isOut == WorkBillCode::Outsourced;
        switch (*code) {
            case C::DSS:
            case C::FXS:
            case C::FXHGS:
                return true;
            case C::HGS:
            case C::YGBFS:
            case C::YLBFS:
                return !QualityInspected(row, number);
            case C::BZ:
                return info.team == 0 && (!state_.editMode || info.worker == 0) && !outsourced;
            case C::CZG:
                return info.worker == 0 && !outsourced;
            case C::SYSB:
                return info.device == 0 && !outsourced;
            case C::FY:
                return info.fare != WorkBillCode::NoFee;
            default:
                return true;
        }
    } catch (const ComError& e) {
        ErrorLog::Write(e);
        return false;
    }
}

bool ReportCellRules::IsQualityInspected(const QString& workBillNo) {
    RecordsetPtr rs = state_.host->NewConnection()->Execute(
        QStringLiteral("SELECT FQualityChkID From SHWorkBillEntry Where FWorkbillNO='") +
        Basic::SqlQuote(workBillNo) + QStringLiteral("'"));
    if (!rs || rs->Eof())
        return false;
    const qint32 check = Basic::Long(rs->Field(0));
    rs->Close();
    return check == WorkBillCode::QualitySampling || check == WorkBillCode::QualityFull;
}

void ReportCellRules::RecalcReportFee(int row, int col, double quantityBefore) {
    const ReportCells cells(state_);
    const std::optional<C> code = CodeAt(col);
    if (!code)
        return;
    const WorkbenchState::HeldWorkBill info = InfoOf(row, cells.Text(row, C::GPH).trimmed());
    if (info.fare == WorkBillCode::NoFee)
        return;
    const double unitFee = Basic::Dbl(cells.Value(row, C::DWCB));
    // A fee the clerk typed is the clerk's.
    if (!SameFee(Basic::Dbl(cells.Value(row, C::FY)), unitFee * quantityBefore))
        return;
    const bool outsourced = info.isOut == WorkBillCode::Outsourced;
    if ((outsourced && *code == C::JSS) || (!outsourced && *code == C::SZS))
        cells.SetValue(row, C::FY, unitFee * Basic::Dbl(cells.Value(row, *code)));
}

void ReportCellRules::OnEditorOpens(int row, int col) {
    textBeforeEditing_ = ValueOrEmpty<QString>([&] { return state_.vlgProc->CellText(row, col); });
}

void ReportCellRules::Changed() {
    if (state_.modified)
        return;
    state_.modified = true;
    IgnoreErrors([&] {
        if (state_.updateCommandStates)
            state_.updateCommandStates();
    });
}

void ReportCellRules::OnEditorCloses(int row, int col) {
    QString text = ValueOrEmpty<QString>([&] { return state_.vlgProc->CellText(row, col); });
    // Pasted line breaks and tabs become blanks and other control characters go: the
    // service refuses a record holding any, and the clerk would only see it at saving.
    if (const QString clean = Printable(text); clean != text) {
        text = clean;
        IgnoreErrors([&] { state_.vlgProc->SetCellText(row, col, text); });
    }
    // Any change is a change to save, letter case included; the rules below act only
    // on another value, so retyping a number in other case never wipes a row.
    if (text == textBeforeEditing_)
        return;
    Changed();
    if (text.compare(textBeforeEditing_, Qt::CaseInsensitive) == 0)
        return;
    const std::optional<C> code = CodeAt(col);
    if (!code)
        return;
    if (*code == C::SZS || *code == C::JSS)
        IgnoreErrors([&] { RecalcReportFee(row, col, Basic::Val(textBeforeEditing_)); });
    else if (*code == C::GPH && !state_.editMode)
        TypedWorkBill(row);
}

void ReportCellRules::EmptyRowBesidesWorkBill(int row) {
    GridModel& grid = *state_.vlgProc;
    const int gph = ReportCells(state_).Column(C::GPH);
    for (int c = 2; c <= grid.Cols(); ++c) {
        if (c == gph)
            continue;
        IgnoreErrors([&] {
            grid.SetCellText(row, c, QString());
            grid.SetCellKey(row, c, QString());
            grid.SetCellData(row, c, QVariant());
        });
    }
}

void ReportCellRules::TypedWorkBill(int row) {
    const ReportCells cells(state_);
    ReportRowLocks locks(state_);
    const QString number = cells.Text(row, C::GPH).trimmed();
    const bool reportable =
        ValueOrEmpty<bool>([&] { return state_.isExistWB && state_.isExistWB(number, true); });
    if (!reportable) {
        IgnoreErrors([&] { locks.ReleaseRowLock(row); });
        EmptyRowBesidesWorkBill(row);
    } else {
        IgnoreErrors([&] { locks.ReleaseRowLock(row); });
        bool taken = false;
        try {
            const QString props = state_.host->PropsString();
            const qint32 interId = state_.host->NewMShopProc()->GetWorkBillInterID(props, number);
            locks.AcquireRowLock(row, interId);
            taken = true;
        } catch (const ComError& e) {
            IgnoreErrors([&] { ShowInfo(state_.host->Screen(), e.Description()); });
            IgnoreErrors([&] { cells.SetText(row, C::GPH, QString()); });
        }
        if (taken) {
            NewReportRows rows(state_);
            rows.PrepareNewReportRow(row);
            IgnoreErrors([&] { KeepSettings(row, number); });
            if (row == state_.vlgProc->Rows())
                IgnoreErrors([&] { rows.AddEmptyRow(); });
        }
    }
    IgnoreErrors([&] {
        if (state_.locateWorkBill)
            state_.locateWorkBill(number);
    });
}

void ReportCellRules::ResolveTeam(int row) {
    const ReportCells cells(state_);
    ReportLookupCells lookups(state_);
    const QString number = cells.Text(row, C::BZ).trimmed();
    cells.SetKey(row, C::BZ, cells.Text(row, C::BZ));
    if (number.isEmpty()) {
        lookups.Clear(row, C::BZ);
        return;
    }
    const TeamPtr team = Resolve<Teams, Team>(state_.TeamsCache(), *state_.host, number, &Team::SetTno,
                                              [](const Team& t) { return t.TID(); });
    if (!team) {
        lookups.Clear(row, C::BZ);
        return;
    }
    lookups.Show(row, C::BZ, team->Tno(), team->Tname());
    DropWorkerOfOtherTeam(row);
}

void ReportCellRules::DropWorkerOfOtherTeam(int row) {
    const ReportCells cells(state_);
    const QString worker = cells.Key(row, C::CZG).trimmed();
    const QString team = cells.Key(row, C::BZ).trimmed();
    if (worker.isEmpty() || team.isEmpty() || !state_.EmpsCache().Contains(worker) ||
        !state_.TeamsCache().Contains(team))
        return;
    if (state_.EmpsCache().Item(worker)->Pro() == state_.TeamsCache().Item(team)->TID())
        return;
    ReportLookupCells(state_).Clear(row, C::CZG);
    Changed();
}

void ReportCellRules::ResolveWorker(int row) {
    const ReportCells cells(state_);
    ReportLookupCells lookups(state_);
    const QString typed = cells.Text(row, C::CZG).trimmed();
    cells.SetKey(row, C::CZG, cells.Text(row, C::CZG));
    if (typed.isEmpty()) {
        lookups.Clear(row, C::CZG);
        return;
    }
    // Only an employee of the host's base data is a worker.
    const BaseItemPtr item = state_.host->GLData().GetItem(kEmployeeClass, QVariant(), typed);
    if (!item) {
        lookups.Clear(row, C::CZG);
        return;
    }
    const EmpPtr emp = Resolve<Emps, Emp>(state_.EmpsCache(), *state_.host, item->number, &Emp::SetEno,
                                          [](const Emp& e) { return e.EID(); });
    if (!emp) {
        lookups.Clear(row, C::CZG);
        return;
    }
    lookups.Show(row, C::CZG, emp->Eno(), emp->Ename());
    if (!cells.Key(row, C::BZ).trimmed().isEmpty()) {
        DropWorkerOfOtherTeam(row);
        return;
    }
    // A row without a team takes the worker's.
    IgnoreErrors([&] {
        auto team = std::make_shared<Team>(state_.host);
        team->SetTID(emp->Pro());
        if (team->Tno().isEmpty())
            return;
        Teams& teams = state_.TeamsCache();
        if (teams.Contains(team->Tno()))
            teams.Remove(team->Tno());
        teams.Add(team);
        lookups.Show(row, C::BZ, team->Tno(), team->Tname());
    });
}

void ReportCellRules::ResolveDevice(int row) {
    const ReportCells cells(state_);
    ReportLookupCells lookups(state_);
    const QString number = cells.Text(row, C::SYSB).trimmed();
    cells.SetKey(row, C::SYSB, cells.Text(row, C::SYSB));
    if (number.isEmpty()) {
        lookups.Clear(row, C::SYSB);
        return;
    }
    const DevPtr dev = Resolve<Devs, Dev>(state_.DevsCache(), *state_.host, number, &Dev::SetDno,
                                          [](const Dev& d) { return d.DID(); });
    if (!dev) {
        lookups.Clear(row, C::SYSB);
        return;
    }
    lookups.Show(row, C::SYSB, dev->Dno(), dev->Dname());
    // Only a device of the default type and of the row's work center serves.
    bool fits = dev->Dtype() == state_.defaultDeviceType;
    if (fits) {
        const QString props = state_.host->PropsString();
        const auto service = state_.host->NewMShopProc();
        const qint32 interId = service->GetWorkBillInterID(props, cells.Text(row, C::GPH).trimmed());
        fits = dev->DWC() == state_.host->NewMShopProc()->GetWCID(props, interId);
    }
    if (!fits)
        lookups.Clear(row, C::SYSB);
}

void ReportCellRules::OnCurrentCellChange(int newRow, int newCol, int oldRow, int oldCol) {
    GridModel& grid = *state_.vlgProc;
    const auto inGrid = [&](int r, int c) {
        return r > grid.FixedRows() && r <= grid.Rows() && c >= 1 && c <= grid.Cols();
    };
    if (inGrid(oldRow, oldCol) && !grid.CellLocked(oldRow, oldCol)) {
        IgnoreErrors([&] {
            if (grid.EditorOpen())
                grid.CloseEditor(true);
        });
        const std::optional<C> code = CodeAt(oldCol);
        ReportLookupCells lookups(state_);
        // A kept id left as it was stays: only a changed text is resolved.
        if (code && ReportLookupCells::IsLookupCode(*code) && !lookups.ShowsKeptId(oldRow, *code))
            IgnoreErrors([&] {
                if (*code == C::BZ)
                    ResolveTeam(oldRow);
                else if (*code == C::CZG)
                    ResolveWorker(oldRow);
                else
                    ResolveDevice(oldRow);
            });
    }
    if (!inGrid(newRow, newCol))
        return;
    const bool editable = CanEditReportCell(newRow, newCol);
    IgnoreErrors([&] { grid.SetCellLocked(newRow, newCol, !editable); });
    const std::optional<C> code = CodeAt(newCol);
    // The number shows while the cursor is in a lookup cell, so the clerk edits it.
    if (editable && code && (ReportLookupCells::IsLookupCode(*code) || *code == C::ZDR) &&
        !ReportLookupCells(state_).ShowsKeptId(newRow, *code))
        IgnoreErrors([&] { grid.SetCellText(newRow, newCol, grid.CellKey(newRow, newCol)); });
}

void ReportCellRules::OnKeyDown(int& keyCode, int /*shift*/) {
    GridModel& grid = *state_.vlgProc;
    const int row = grid.CurrentRow();
    const int col = grid.CurrentCol();
    if (row <= grid.FixedRows() || col < 1)
        return;
    if (keyCode == KeyCode::Down) {
        const ReportCells cells(state_);
        const int gph = cells.Column(C::GPH);
        if (col != gph || row != grid.Rows())
            return;
        const QString text = grid.EditorOpen() ? grid.EditorText() : grid.CellText(row, col);
        if (!text.trimmed().isEmpty())
            IgnoreErrors([&] { NewReportRows(state_).AddEmptyRow(); });
        return;
    }
    if (keyCode != KeyCode::Enter)
        return;
    if (CanEditReportCell(row, col)) {
        if (!grid.EditorOpen())
            return;  // the grid opens the editor
        keyCode = 0;
        IgnoreErrors([&] { grid.CloseEditor(true); });
    } else {
        keyCode = 0;
    }
    // On to the next cell the clerk can see and edit, row by row; the last cell of the
    // grid is where it stops.
    int r = row;
    int c = col;
    const int lastRow = grid.Rows();
    const int lastCol = grid.Cols();
    while (!(r == lastRow && c == lastCol)) {
        if (++c > lastCol) {
            c = 2;
            ++r;
        }
        if (grid.ColumnVisible(c) && CanEditReportCell(r, c))
            break;
    }
    IgnoreErrors([&] { grid.SelectCell(r, c); });
    IgnoreErrors([&] { ScrollCellIntoView(r, c); });
}

void ReportCellRules::ScrollCellIntoView(int row, int col) {
    GridModel& grid = *state_.vlgProc;
    const double height = grid.ClientHeight() - kScrollMargin;
    const double width = grid.ClientWidth() - kScrollMargin;
    int top = grid.TopRow();
    if (row < top) {
        top = row;
    } else {
        const auto rowsHeight = [&](int from) {
            double h = 0;
            for (int r = 1; r <= grid.FixedRows(); ++r) h += grid.RowHeight(r);
            for (int r = from; r <= row; ++r) h += grid.RowHeight(r);
            return h;
        };
        while (top < row && rowsHeight(top) > height) ++top;
    }
    int left = grid.LeftCol();
    if (col < left) {
        left = col;
    } else {
        const auto colsWidth = [&](int from) {
            double w = 0;
            for (int c = 1; c <= grid.FrozenCols(); ++c)
                if (grid.ColumnVisible(c))
                    w += grid.ColumnWidth(c);
            for (int c = from; c <= col; ++c)
                if (grid.ColumnVisible(c))
                    w += grid.ColumnWidth(c);
            return w;
        };
        while (left < col && colsWidth(left) > width) ++left;
    }
    if (top != grid.TopRow())
        grid.SetTopRow(top);
    if (left != grid.LeftCol())
        grid.SetLeftCol(left);
}

}  // namespace sp
