// The enabling rule of the toolbar and the status text.
#include "src/common/IgnoreErrors.h"
#include "src/workbench/Texts.h"
#include "src/workbench/WorkbenchToolbar.h"
#include "src/workbench/frmProc.h"

namespace sp {

namespace {
const QString kGPH = QStringLiteral("GPH");
const QString kSHBZ = QStringLiteral("SHBZ");
}  // namespace

void frmProc::AuditStates(bool& audit, bool& unaudit) {
    audit = false;
    unaudit = false;
    if (state_.modified || vlgProc_.EditorOpen())
        return;

    // In new mode only rows that name an existing work bill count. A row's work bill held
    // by this workstation with its settings read was one when they were read (the record
    // grid keeps them while the task is held); the service checks again as it audits.
    auto counts = [&](int row) {
        if (state_.editMode)
            return true;
        const QString number = CodeText(row, kGPH).trimmed();
        const auto held = state_.heldWorkBills.constFind(state_.rowLocks.value(row));
        if (held != state_.heldWorkBills.cend() && held->number == number)
            return true;
        return parts_->IsExistWB(number, false);
    };

    if (vlgProc_.SelRowCount() > 1) {
        const int first = vlgProc_.SelStartRow();
        const int last = first + vlgProc_.SelRowCount() - 1;
        for (int row = first; row <= last && !(audit && unaudit); ++row) {
            if (row < 2)
                continue;  // the header's title is no audit mark
            IgnoreErrors([&] {
                if (!counts(row))
                    return;
                if (CodeText(row, kSHBZ).isEmpty())
                    audit = true;
                else
                    unaudit = true;
            });
        }
        return;
    }

    const int row = vlgProc_.CurrentRow();
    if (row < 2 || !counts(row))
        return;
    const bool audited = !CodeText(row, kSHBZ).isEmpty();
    audit = !audited;
    unaudit = audited;
}

void frmProc::UpdateCommandStates() {
    const bool modified = state_.modified;
    IgnoreErrors([&] { barProc_.SetEnabled(Tool::FileSave(), modified); });
    IgnoreErrors([&] { barProc_.SetEnabled(Tool::Refresh(), modified); });
    IgnoreErrors([&] { barProc_.SetEnabled(Tool::CtlChk(), !modified); });
    IgnoreErrors([&] { barProc_.SetEnabled(Tool::CtlCreate(), false); });
    IgnoreErrors([&] { barProc_.SetEnabled(Tool::CtlDel(), false); });

    bool audit = false;
    bool unaudit = false;
    IgnoreErrors([&] { AuditStates(audit, unaudit); });
    IgnoreErrors([&] { barProc_.SetEnabled(Tool::Audit(), audit); });
    IgnoreErrors([&] { barProc_.SetEnabled(Tool::UnAudit(), unaudit); });
    IgnoreErrors([&] { barProc_.SetEnabled(Tool::EditDel(), audit); });
    IgnoreErrors([&] { barProc_.Redraw(); });
}

void frmProc::UpdateStatusText() {
    bool lookup = false;
    if (activeControl_ == ActiveControl::barProc || activeControl_ == ActiveControl::vlgProc) {
        IgnoreErrors([&] {
            const int row = vlgProc_.CurrentRow();
            const int col = vlgProc_.CurrentCol();
            // An empty grid has no current cell: nothing to look up, nothing to log.
            if (row <= vlgProc_.FixedRows() || row > vlgProc_.Rows() || col < 1 || col > vlgProc_.Cols())
                return;
            if (vlgProc_.CellLocked(row, col))
                return;
            static const QStringList lookupColumns{kGPH, QStringLiteral("ZDR"), QStringLiteral("CZG"),
                                                   QStringLiteral("BZ"), QStringLiteral("SYSB")};
            lookup = lookupColumns.contains(parts_->GetReportColumnCode(col), Qt::CaseInsensitive);
        });
    }
    IgnoreErrors([&] { barProc_.SetEnabled(Tool::EditView(), lookup); });
    IgnoreErrors([&] {
        barProc_.SetCaption(Tool::SttInfo(),
                            lookup ? WorkbenchTexts::StatusLookup() : WorkbenchTexts::StatusReady());
    });
    IgnoreErrors([&] { barProc_.Redraw(); });
}

}  // namespace sp
