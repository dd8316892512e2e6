// The window's lifecycle: load, first display, resize, splitters, close and unload.
#include "src/common/Basic.h"
#include "src/common/IgnoreErrors.h"
#include "src/entry/HostServices.h"
#include "src/entry/Rights.h"
#include "src/workbench/Texts.h"
#include "src/workbench/WorkbenchCodes.h"
#include "src/workbench/WorkbenchToolbar.h"
#include "src/workbench/frmProc.h"

namespace sp {

namespace T = WorkbenchTexts;

void frmProc::ResetForNewWindow() {
    // A window that is loaded again starts as a fresh one: new mode, nothing pending.
    activatedOnce_ = false;
    resizedOnce_ = false;
    state_.editMode = false;
    state_.modified = false;
    IgnoreErrors([&] { barProc_.SetChecked(Tool::ModeNew(), true); });
    IgnoreErrors([&] { barProc_.SetChecked(Tool::ModeEdit(), false); });
    IgnoreErrors([&] { barProc_.SetChecked(Tool::CtlChk(), false); });
}

void frmProc::Load() {
    ResetForNewWindow();
    WaitCursor wait(ui_);

    QString folder = host_.Context().componentFolder;
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    helpFile_ = folder + T::HelpFileName();

    state_.defaultDeviceType = ValueOrEmpty<qint32>([&] {
        RecordsetPtr rs = host_.NewConnection()->Execute(T::DefaultDeviceTypeSql());
        const qint32 type = rs->Eof() ? 0 : Basic::Long(rs->Field(0));
        rs->Close();
        return type;
    });

    UpdateCommandStates();
    // The summary shows fees, which are wages: its entry is enabled only with its right.
    IgnoreErrors(
        [&] { barProc_.SetEnabled(Tool::Summary(), summaryFactory_ && host_.AccessCheck(Rights::Summary)); });
    // Failures of the layouts reach the caller: a workbench without columns is not shown.
    parts_->SetupReportColumns();
    parts_->SetupListGrid();
    loaded_ = true;
}

void frmProc::Activate() {
    if (!activatedOnce_) {
        activatedOnce_ = true;
        if (!state_.listLoaded) {
            // Set first: a long load lets the window's events run, and a resize among
            // them must not start the same load again.
            state_.listLoaded = true;
            WaitCursor wait(ui_);
            IgnoreErrors([&] { parts_->RefreshWorkBillList(); });
        }
    }
    UpdateStatusText();
}

void frmProc::Resize(int widthTwips, int heightTwips) {
    IgnoreErrors([&] { layout_.Resize(widthTwips, heightTwips); });
    emit layoutChanged();

    if (resizedOnce_)
        return;
    // Set first: the message box below may bring further resizes.
    resizedOnce_ = true;
    IgnoreErrors([&] {
        if (!barProc_.Checked(Tool::ModeEdit()) && !host_.AccessCheck(Rights::NewReports))
            ShowInfo(ui_, T::NoNewReportRight());
    });
    if (!state_.listLoaded) {
        state_.listLoaded = true;  // set first, as on activation
        WaitCursor wait(ui_);
        IgnoreErrors([&] { parts_->RefreshWorkBillList(); });
    }
}

void frmProc::BeginSplitterDrag(WorkbenchLayout::Splitter bar, int pointerPos) {
    layout_.BeginDrag(bar, pointerPos);
}

void frmProc::DragSplitter(int pointerPos) {
    if (layout_.Dragging() && layout_.DragTo(pointerPos))
        emit layoutChanged();
}

void frmProc::EndSplitterDrag() { layout_.EndDrag(); }

void frmProc::SetReportGridMinHeight(int twips) {
    if (twips == layout_.MinGridHeight())
        return;
    layout_.SetMinGridHeight(twips);
    const TwipRect frame = layout_.fraBar();
    if (frame.height <= 0)
        return;  // the first resize applies it
    IgnoreErrors([&] { layout_.Resize(frame.width, frame.height); });
    emit layoutChanged();
}

bool frmProc::QueryClose() {
    // The close box asks what the exit command asks: unsaved entries, text still in the
    // cell editor included, are never dropped without a question.
    if (loaded_)
        CommitEditor();
    if (!loaded_ || !state_.modified)
        return true;
    return AskYesNo(ui_, T::ExitQuestion());
}

void frmProc::Unload() {
    if (!loaded_)
        return;
    loaded_ = false;

    IgnoreErrors([&] { state_.ReleaseCaches(); });
    IgnoreErrors([&] { host_.NewConnection()->Execute(T::CloseCompletedWorkBillsSql()); });
    for (int row = 2; row < state_.rowLocks.size(); ++row) {
        if (state_.rowLocks[row] == 0)
            continue;
        IgnoreErrors([&] { parts_->ReleaseRowLock(row); });
        state_.rowLocks[row] = 0;
    }
    if (state_.historyTaskId != 0) {
        IgnoreErrors([&] {
            qint32 task = state_.historyTaskId;
            host_.EndFunc(task);
        });
        state_.historyTaskId = 0;
    }
    state_.listLoaded = false;
}

}  // namespace sp
