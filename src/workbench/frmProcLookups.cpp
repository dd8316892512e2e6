// The lookup command (btnEditView, F7) and the record grid's current-cell-change handling.
#include "src/common/Basic.h"
#include "src/common/IgnoreErrors.h"
#include "src/entry/HostServices.h"
#include "src/lookups/Devs.h"
#include "src/lookups/Emps.h"
#include "src/lookups/Teams.h"
#include "src/workbench/frmProc.h"

namespace sp {

namespace {
// Lookup types of the host's ShowLookup.
constexpr qint32 EmployeeLookup = 3;
constexpr qint32 TeamLookup = 62;
constexpr qint32 DeviceBrowser = -103;
constexpr qint32 DataType = 1;

// A pick goes into the cell as text and key, and its record replaces whatever the
// cache held under the same number.
template <class Cache, class Ptr>
void PutPick(GridModel& grid, int row, int col, Cache& cache, const Ptr& record) {
    grid.SetCellText(row, col, record->Number());
    grid.SetCellKey(row, col, record->Number());
    IgnoreErrors([&] {
        if (cache.Contains(record->Number()))
            cache.Remove(record->Number());
    });
    cache.Add(record);
}

// The chosen entry, owned with the caller: the lookup's result may be its only owner.
std::shared_ptr<const LookupEntry> Chosen(const LookupOutcome& outcome) {
    if (!outcome.lookup || !outcome.lookup->ReturnOK)
        return nullptr;
    return outcome.lookup->ReturnObject;
}
}  // namespace

void frmProc::CurrentCellChange(int newRow, int newCol, int oldRow, int oldCol) {
    IgnoreErrors([&] { parts_->ReportCellChange(newRow, newCol, oldRow, oldCol); });
    UpdateStatusText();
    UpdateCommandStates();
}

void frmProc::CommitEditor() {
    IgnoreErrors([&] {
        if (!vlgProc_.EditorOpen())
            return;
        const int row = vlgProc_.CurrentRow();
        const int col = vlgProc_.CurrentCol();
        CurrentCellChange(row, col, row, col);
        // Whatever the cell rules made of it, the editor is closed now.
        vlgProc_.CloseEditor(true);
    });
}

void frmProc::PickWorkBills() {
    const int row = vlgProc_.CurrentRow();
    const QString number = parts_->PickWorkBillNumber();
    if (number.isEmpty() || !parts_->IsExistWB(number, true))
        return;
    parts_->PutWorkBill(row, number);
}

void frmProc::LookupCommand() {
    IgnoreErrors([&] {
        const int row = vlgProc_.CurrentRow();
        const int col = vlgProc_.CurrentCol();
        // The lookups edit a cell like typing does, so the same rule decides.
        if (row < 2 || !parts_->CanEditReportCell(row, col))
            return;
        const QString code = parts_->GetReportColumnCode(col);
        if (code == QStringLiteral("CZG"))
            LookupEmployee(row, col);
        else if (code == QStringLiteral("GPH"))
            PickWorkBills();
        else if (code == QStringLiteral("BZ"))
            LookupTeam(row, col);
        else if (code == QStringLiteral("SYSB"))
            LookupDevice(row, col);
    });
    UpdateCommandStates();
}

void frmProc::LookupEmployee(int row, int col) {
    // Only workers of the row's team are offered.
    QString filter;
    IgnoreErrors([&] {
        const int teamCol = Column(QStringLiteral("BZ"));
        if (teamCol < 1)
            return;
        const QString teamNo = vlgProc_.CellKey(row, teamCol).trimmed();
        if (teamNo.isEmpty())
            return;
        const qint32 teamId = state_.TeamsCache().Item(teamNo)->TID();
        filter = QStringLiteral(" FprofessionalGroup = ") + QString::number(teamId) + QStringLiteral(" ");
    });

    const auto entry = Chosen(host_.ShowLookup(EmployeeLookup, QString(), filter, DataType, false));
    if (!entry)
        return;
    // Name first: a named record never asks the middle tier.
    auto emp = std::make_shared<Emp>(&host_);
    emp->SetEname(entry->Name);
    emp->SetEID(entry->ItemID);
    emp->SetEno(entry->Number);
    emp->SetPro(Basic::Long(entry->Properties.value(QStringLiteral("FprofessionalGroup"))));
    PutPick(vlgProc_, row, col, state_.EmpsCache(), emp);
    state_.modified = true;
}

void frmProc::LookupTeam(int row, int col) {
    const auto entry = Chosen(host_.ShowLookup(TeamLookup, QString(), QString(), DataType, false));
    if (!entry)
        return;
    const bool changed = vlgProc_.CellKey(row, col) != entry->Number;
    auto team = std::make_shared<Team>(&host_);
    team->SetTname(entry->Name);
    team->SetTID(entry->ItemID);
    team->SetTno(entry->Number);
    PutPick(vlgProc_, row, col, state_.TeamsCache(), team);
    // Another team is a change to save like any other: without the flag it would be
    // dropped silently by the next load.
    if (changed)
        state_.modified = true;
}

void frmProc::LookupDevice(int row, int col) {
    const qint32 workCenter = ValueOrEmpty<qint32>([&] {
        const QString props = host_.PropsString();
        const qint32 wbInterId =
            host_.NewMShopProc()->GetWorkBillInterID(props, CodeText(row, QStringLiteral("GPH")).trimmed());
        return host_.NewMShopProc()->GetWCID(props, wbInterId);
    });
    const QString filter = QStringLiteral(" Ftype=") + QString::number(state_.defaultDeviceType) +
                           QStringLiteral(" And FworkCenterID=") + QString::number(workCenter);

    const LookupOutcome outcome = host_.ShowLookup(DeviceBrowser, QString(), filter, DataType, false);
    if (!outcome.resource)
        return;
    const Dictionary& chosen = *outcome.resource;
    auto dev = std::make_shared<Dev>(&host_);
    dev->SetDname(Basic::Text(chosen.Item(QStringLiteral("Fname"))));
    dev->SetDID(Basic::Long(chosen.Item(QStringLiteral("FinterID"))));
    dev->SetDno(Basic::Text(chosen.Item(QStringLiteral("Fnumber"))));
    dev->SetDtype(state_.defaultDeviceType);
    // The browser offered only devices of this work center; keeping it on the record
    // lets the cell's own check accept the pick when the cursor leaves.
    dev->SetDWC(workCenter);
    PutPick(vlgProc_, row, col, state_.DevsCache(), dev);
    state_.modified = true;
}

}  // namespace sp
