// Toolbar commands of the workbench: modes, filter, check, refresh, exit, help.
#include <QDir>
#include <QFileInfo>

#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"
#include "src/common/IgnoreErrors.h"
#include "src/entry/HostServices.h"
#include "src/entry/Rights.h"
#include "src/entry/Texts.h"
#include "src/workbench/Texts.h"
#include "src/workbench/WorkbenchCodes.h"
#include "src/workbench/WorkbenchToolbar.h"
#include "src/workbench/frmProc.h"

namespace sp {

namespace T = WorkbenchTexts;

void frmProc::ModeNewCommand() {
    if (barProc_.Checked(Tool::ModeNew()))
        return;
    if (state_.modified && !AskYesNo(ui_, T::ModeNewQuestion()))
        return;
    // New mode is set before the check results are dropped: the list reload then hands
    // its rows over as new mode does, without loading any history on the way.
    IgnoreErrors([&] { barProc_.SetChecked(Tool::ModeEdit(), false); });
    IgnoreErrors([&] { barProc_.SetChecked(Tool::ModeNew(), true); });
    state_.editMode = false;
    IgnoreErrors([&] {
        if (barProc_.Checked(Tool::CtlChk())) {
            barProc_.SetChecked(Tool::CtlChk(), false);
            parts_->RefreshWorkBillList();
        }
    });
    // New mode's grid is set up even after a cancelled list reload, so that no edit-mode
    // rows stay under new mode; the cancelled command then ends without its message.
    IgnoreErrors([&] { parts_->LoadReportHistory(0); });
    if (state_.loadCancelled)
        return;
    IgnoreErrors([&] {
        if (!host_.AccessCheck(Rights::NewReports))
            ShowInfo(ui_, T::NoNewReportRight());
    });
}

void frmProc::ModeEditCommand() {
    if (barProc_.Checked(Tool::ModeEdit()))
        return;
    if (state_.modified && !AskYesNo(ui_, T::ModeEditQuestion()))
        return;
    IgnoreErrors([&] { barProc_.SetChecked(Tool::ModeNew(), false); });
    IgnoreErrors([&] { barProc_.SetChecked(Tool::ModeEdit(), true); });
    state_.editMode = true;  // check results stay
    IgnoreErrors([&] { state_.loadReportHistory(1); });
    UpdateCommandStates();
    // A cancelled load ends the command; the mode switch itself stays.
    if (state_.loadCancelled)
        return;
    IgnoreErrors([&] {
        if (!host_.AccessCheck(Rights::ChangeReports))
            ShowInfo(ui_, T::NoEditReportRight());
    });
}

void frmProc::FilterCommand() {
    DictionaryPtr result;
    {
        std::unique_ptr<IFilterDialog> dialog = filterDialogFactory_(host_);
        dialog->SetRptID(WorkbenchIds::FilterReportId);
        dialog->ShowModal();
        result = dialog->Result();
    }
    // A cancelled dialog hands over a result with "OK" False and no bounds at all: the
    // list is not reloaded now, but the next reload lists every work bill. A dialog
    // without a result leaves the filter in force.
    if (!result)
        return;
    // A confirmed filter that the clerk then refuses to apply (unsaved changes) leaves
    // the conditions in force as they were.
    if (Basic::Bool(result->Item(QStringLiteral("OK"))) && !ConfirmLeaveWorkBill())
        return;
    state_.dicFilter = result;
    if (!Basic::Bool(result->Item(QStringLiteral("OK"))))
        return;
    // Asked once here: the reload's row changes must not ask again.
    leaveConfirmed_ = true;
    WaitCursor wait(ui_);
    IgnoreErrors([&] { parts_->RefreshWorkBillList(); });
    leaveConfirmed_ = false;
}

void frmProc::CheckCommand() {
    if (barProc_.Checked(Tool::CtlChk())) {
        // Leaving the check results: the list keeps them until its next reload.
        barProc_.SetChecked(Tool::CtlChk(), false);
        return;
    }
    RunCheck();
}

void frmProc::RefreshCommand() {
    if (state_.modified && !AskYesNo(ui_, T::RefreshQuestion()))
        return;
    parts_->LoadReportHistory(0);
}

void frmProc::ExitCommand() {
    if (state_.modified && !AskYesNo(ui_, T::ExitQuestion()))
        return;
    Unload();
    emit closeRequested();
}

void frmProc::HelpCommand() {
    // The guide ships as HTML beside the help file's name and shows in the program's own
    // help window. A guide that is missing leaves the clerk a message, not only a line in
    // the log.
    const QString guide = QFileInfo(helpFile_).dir().filePath(T::HelpGuideName());
    if (QFileInfo::exists(guide) && ui_.ShowHelp(guide))
        return;
    ErrorLog::Write(QStringLiteral("frmProc.btnFileHelp"), QStringLiteral("cannot open ") + guide);
    ShowInfo(ui_, T::HelpCannotOpen() + QDir::toNativeSeparators(guide));
}

void frmProc::SaveCommand() {
    // The editor was committed by the dispatcher; the rows are checked and sent as they are.
    if (parts_->SaveReports())
        UpdateCommandStates();
}

void frmProc::AuditCommand() { parts_->RunRecordCommand(WorkbenchParts::RecordCommand::Audit); }

void frmProc::UnAuditCommand() { parts_->RunRecordCommand(WorkbenchParts::RecordCommand::UnAudit); }

void frmProc::DeleteCommand() { parts_->RunRecordCommand(WorkbenchParts::RecordCommand::Delete); }

void frmProc::RunCheck() {
    // Any failing step ends the check there; what it changed so far stays.
    try {
        barProc_.SetChecked(Tool::CtlChk(), true);
        // Check results are always listed by production task.
        barProc_.SetChecked(Tool::ListTask(), true);
        QString failure;
        bool loaded = false;
        {
            WaitCursor wait(ui_);
            loaded = parts_->RefreshWorkBillList(&failure);
        }
        // A load the clerk cancelled ends the check without a finding. Check results
        // are listed only when the list itself was read to its end.
        if (state_.loadCancelled) {
            if (!state_.listVisible)
                barProc_.SetChecked(Tool::CtlChk(), false);
            return;
        }
        // A hidden list is no finding when it could not be loaded at all.
        if (!loaded) {
            barProc_.SetChecked(Tool::CtlChk(), false);
            ShowInfo(ui_, T::CheckFailed() + failure);
            return;
        }
        const int row = vlgList_.CurrentRow();
        state_.currentWorkBillNo = row >= 2 ? ValueOrEmpty<QString>([&] {
            const QString text = vlgList_.CellText(row, 5);
            const qsizetype tab = text.indexOf(QChar(9));
            return tab < 0 ? text : text.left(tab);
        })
                                            : QString();
        Dispatch(Tool::ModeEdit());
        if (state_.loadCancelled)
            return;
        // A declined switch (unsaved new rows) stays in new mode: no history is loaded,
        // which would reset the record grid and drop what the clerk typed, but the check
        // still says what it found and, when nothing, lists every work bill again.
        if (state_.editMode) {
            parts_->LoadReportHistory(0);
            if (state_.loadCancelled)
                return;
        }
        if (state_.listVisible) {
            ShowInfo(ui_, T::CheckFoundSomething());
        } else {
            ShowInfo(ui_, T::CheckFoundNothing());
            barProc_.SetChecked(Tool::CtlChk(), false);
            parts_->RefreshWorkBillList();
        }
    } catch (const ComError& e) {
        ErrorLog::Write(e);
    }
}

}  // namespace sp

namespace sp {

void frmProc::SummaryCommand() {
    if (!summaryFactory_)
        return;
    if (!host_.AccessCheck(Rights::Summary)) {
        ShowInfo(ui_, EntryTexts::NoSummaryRight());
        return;
    }
    const std::optional<std::pair<qint32, qint32>> report = summaryFactory_(host_, state_.dicFilter);
    if (report)
        OpenWorkBillForEdit(report->first, report->second);
}

}  // namespace sp
