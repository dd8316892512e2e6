#include "src/reportgrid/ReportLookupCells.h"

#include "src/common/Basic.h"
#include "src/common/IgnoreErrors.h"
#include "src/controls/GridModel.h"
#include "src/lookups/CachedLookups.h"
#include "src/reportgrid/ReportCells.h"
#include "src/state/WorkbenchState.h"

namespace sp {

ReportLookupCells::ReportLookupCells(WorkbenchState& state) : state_(state) {}

void ReportLookupCells::ShowStored(int row, ReportCode code, qint32 id) {
    Clear(row, code);
    if (id == 0)
        return;
    // Shown as the id until the record is found: a failing lookup leaves it so.
    KeepId(row, code, id);
    QString number, name;
    switch (code) {
        case ReportCode::BZ: {
            const TeamPtr t = CachedTeamById(state_.TeamsCache(), *state_.host, id);
            number = t->Tno(), name = t->Tname();
            break;
        }
        case ReportCode::CZG: {
            const EmpPtr e = CachedEmpById(state_.EmpsCache(), *state_.host, id);
            number = e->Eno(), name = e->Ename();
            break;
        }
        case ReportCode::SYSB: {
            const DevPtr d = CachedDevById(state_.DevsCache(), *state_.host, id);
            number = d->Dno(), name = d->Dname();
            break;
        }
        default:
            return;
    }
    if (!number.isEmpty())
        Show(row, code, number, name);
}

void ReportLookupCells::KeepId(int row, ReportCode code, qint32 id) const {
    const ReportCells cells(state_);
    if (const int col = cells.Column(code)) {
        state_.vlgProc->SetCellText(row, col, QString::number(id));
        state_.vlgProc->SetCellKey(row, col, QString());
        state_.vlgProc->SetCellData(row, col, id);
    }
}

bool ReportLookupCells::ShowsKeptId(int row, ReportCode code) const {
    const ReportCells cells(state_);
    const QVariant kept = cells.Value(row, code);
    return kept.isValid() && cells.Key(row, code).isEmpty() &&
           cells.Text(row, code).trimmed() == QString::number(Basic::Long(kept));
}

qint32 ReportLookupCells::StoredId(int row, ReportCode code) const {
    const ReportCells cells(state_);
    const QString number = cells.Key(row, code).trimmed();
    if (!number.isEmpty()) {
        switch (code) {
            case ReportCode::BZ:
                return state_.TeamsCache().Item(number)->TID();
            case ReportCode::CZG:
                return state_.EmpsCache().Item(number)->EID();
            case ReportCode::SYSB:
                return state_.DevsCache().Item(number)->DID();
            default:
                return 0;
        }
    }
    return ShowsKeptId(row, code) ? Basic::Long(cells.Value(row, code)) : 0;
}

void ReportLookupCells::Clear(int row, ReportCode code) const {
    const ReportCells cells(state_);
    if (const int col = cells.Column(code)) {
        state_.vlgProc->SetCellText(row, col, QString());
        state_.vlgProc->SetCellKey(row, col, QString());
        state_.vlgProc->SetCellData(row, col, QVariant());
    }
}

void ReportLookupCells::Show(int row, ReportCode code, const QString& number, const QString& name) const {
    const ReportCells cells(state_);
    if (const int col = cells.Column(code)) {
        state_.vlgProc->SetCellKey(row, col, number);
        state_.vlgProc->SetCellText(row, col, name);
        state_.vlgProc->SetCellData(row, col, QVariant());
    }
}

}  // namespace sp
