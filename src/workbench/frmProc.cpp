#include "src/workbench/frmProc.h"

#include <array>

#include "src/common/ComError.h"
#include "src/common/IgnoreErrors.h"
#include "src/entry/HostServices.h"
#include "src/workbench/ReportGridEvents.h"
#include "src/workbench/Texts.h"
#include "src/workbench/WorkbenchCodes.h"
#include "src/workbench/WorkbenchToolbar.h"

namespace sp {

frmProc::frmProc(HostServices& host, Factories factories)
    : host_(host),
      ui_(host.Screen()),
      filterDialogFactory_(std::move(factories.filterDialog)),
      summaryFactory_(std::move(factories.summary)) {
    vlgProc_.setObjectName(QStringLiteral("vlgProc"));
    vlgList_.setObjectName(QStringLiteral("vlgList"));
    barProc_.setObjectName(QStringLiteral("barProc"));
    tvw_.setObjectName(QStringLiteral("tvw"));
    state_.host = &host_;
    state_.vlgProc = &vlgProc_;
    state_.vlgList = &vlgList_;
    state_.barProc = &barProc_;
    state_.tvw = &tvw_;

    BuildWorkbenchToolbar(barProc_);
    barProc_.SetDispatcher([this](const QString& toolName) { Dispatch(toolName); });

    if (!filterDialogFactory_ || !factories.parts)
        throw ComError(ErrorNumber::Refused, QStringLiteral("frmProc"),
                       QStringLiteral("The workbench was built without its parts."));
    parts_ = factories.parts(*this);
    if (!parts_)
        throw ComError(ErrorNumber::Refused, QStringLiteral("frmProc"),
                       QStringLiteral("The workbench parts could not be created."));
    gridEvents_ = std::make_unique<ReportGridEvents>(*this);
    vlgProc_.SetEventSink(gridEvents_.get());
    // Typing, F2, a double click and pasting all ask the one rule before a cell opens.
    vlgProc_.SetEditRule([this](int row, int col) { return parts_->CanEditReportCell(row, col); });
    InstallHooks();
}

frmProc::~frmProc() {
    // The parts may hold tasks and caches of the state; they go before it.
    vlgProc_.SetEventSink(nullptr);
    gridEvents_.reset();
    parts_.reset();
}

void frmProc::InstallHooks() {
    state_.updateCommandStates = [this] { UpdateCommandStates(); };
    state_.updateStatusText = [this] { UpdateStatusText(); };
    state_.loadReportHistory = [this](int showFilter) {
        parts_->LoadReportHistory(withoutRecordFilter_ ? 0 : showFilter);
    };
    state_.paintReportGrid = [this] { parts_->PaintReportGrid(); };
    state_.confirmLeaveWorkBill = [this] { return ConfirmLeaveWorkBill(); };
    state_.isExistWB = [this](const QString& number, bool showMessage) {
        return parts_->IsExistWB(number, showMessage);
    };
    // A number typed into a row never replaces the clerk's list with one node's work
    // bills: the list's row is selected when the list holds the work bill.
    state_.locateWorkBill = [this](const QString& number) { parts_->SelectListedWorkBill(number); };
    state_.focusReportGrid = [this] { emit reportGridFocusRequested(); };
}

void frmProc::SetUserId(qint32 userId) { state_.userId = userId; }

void frmProc::SetDicFilter(const DictionaryPtr& dicFilter) { state_.dicFilter = dicFilter; }

void frmProc::SetListStyle(qint32 /*listStyle*/) {
    if (!loaded_)
        Load();
    WaitCursor wait(ui_);
    parts_->RefreshWorkBillList();
    state_.listLoaded = true;
}

void frmProc::ShowModal() {
    if (!loaded_)
        Load();
    ui_.ShowModal(*this);
    // Whatever closed the window, its tasks are released and completed work bills closed.
    if (loaded_)
        Unload();
}

bool frmProc::IsExistWB(const QString& workBillNo, bool showMessage) {
    return parts_->IsExistWB(workBillNo, showMessage);
}

QString frmProc::GetWBNO(qint32 wbInterId) { return parts_->GetWBNO(wbInterId); }

void frmProc::OpenWorkBillForEdit(qint32 wbInterId, qint32 serial) {
    const QString number = GetWBNO(wbInterId);
    // A report chosen in the summary: its whole history loads, no record filter asked,
    // whether by the mode switch or by the list as the work bill is located.
    withoutRecordFilter_ = serial > 0;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{withoutRecordFilter_};
    if (state_.editMode) {
        // The mode button would do nothing: move to the work bill the way the list does.
        if (!ConfirmLeaveWorkBill())
            return;
        state_.currentWorkBillNo = number;
        IgnoreErrors([&] { parts_->LoadReportHistory(0); });
    } else {
        // Asked before anything changes: a No leaves the current work bill as it was.
        CommitEditor();
        if (state_.modified && !AskYesNo(ui_, WorkbenchTexts::ModeEditQuestion()))
            return;
        state_.modified = false;  // the clerk let the new rows go
        state_.currentWorkBillNo = number;
        Dispatch(Tool::ModeEdit());
    }
    IgnoreErrors([&] { parts_->LocateWorkBill(number.trimmed()); });
    if (serial <= 0)
        return;
    const int col = Column(QStringLiteral("HBXH"));
    for (int row = vlgProc_.FixedRows() + 1; col > 0 && row <= vlgProc_.Rows(); ++row)
        if (vlgProc_.CellText(row, col).trimmed() == QString::number(serial)) {
            IgnoreErrors([&] { vlgProc_.SetCurrentCell(row, col); });
            emit reportGridFocusRequested();
            break;
        }
}

bool frmProc::ConfirmLeaveWorkBill() {
    // Text still in the cell editor is a change like any other.
    CommitEditor();
    // New rows of any work bill survive a move in the list; only the loaded history of
    // edit mode is replaced.
    if (leaveConfirmed_ || !state_.editMode || !state_.modified)
        return true;
    return AskYesNo(ui_, WorkbenchTexts::LeaveWorkBillQuestion());
}

void frmProc::Dispatch(const QString& toolName) {
    // An open in-cell editor is committed and checked before any command runs.
    CommitEditor();
    state_.loadCancelled = false;

    using Command = void (frmProc::*)();
    struct Entry {
        QString name;
        Command command;
    };
    // Compared in this order; the first match runs.
    const std::array<Entry, 21> table{{
        {Tool::CtlChk(), &frmProc::CheckCommand},
        {Tool::Filter(), &frmProc::FilterCommand},
        {Tool::CtlCreate(), nullptr},
        {Tool::CtlDel(), nullptr},
        {Tool::FileSave(), &frmProc::SaveCommand},
        {Tool::Audit(), &frmProc::AuditCommand},
        {Tool::UnAudit(), &frmProc::UnAuditCommand},
        {Tool::FileExit(), &frmProc::ExitCommand},
        {Tool::EditDel(), &frmProc::DeleteCommand},
        {Tool::EditView(), &frmProc::LookupCommand},
        {Tool::Refresh(), &frmProc::RefreshCommand},
        {Tool::ModeNew(), &frmProc::ModeNewCommand},
        {Tool::ModeEdit(), &frmProc::ModeEditCommand},
        {Tool::ListWC(), &frmProc::ArrangementCommand},
        {Tool::ListTask(), &frmProc::ArrangementCommand},
        {Tool::FileHelp(), &frmProc::HelpCommand},
        {Tool::SetupWB(), &frmProc::SetupListColumnsCommand},
        {Tool::SetupRpt(), &frmProc::SetupReportColumnsCommand},
        {Tool::FileExport(), &frmProc::ExportCommand},
        {Tool::FilePrint(), &frmProc::PrintCommand},
        {Tool::Summary(), &frmProc::SummaryCommand},
    }};
    for (const Entry& entry : table) {
        if (entry.name.compare(toolName, Qt::CaseInsensitive) != 0)
            continue;
        if (entry.name == Tool::CtlCreate() || entry.name == Tool::CtlDel())
            ShowInfo(ui_, WorkbenchTexts::UnderConstruction());
        else if (entry.command)
            IgnoreErrors([&] { (this->*entry.command)(); });
        return;
    }
}

// The toolbar has already moved the arrangement; the list keeps its rows until it is
// next reloaded, while the tree shows the new arrangement's nodes at once.
void frmProc::ArrangementCommand() { parts_->FillTree(); }

bool frmProc::KeyPreview(int keyCode, int shift) {
    // F7 looks up the current cell; F1 opens the help wherever the focus is, as the
    // help command does; Ctrl+E exports, Ctrl+P prints and F9 opens the summary.
    QString tool;
    if (shift == ShiftState::None && keyCode == KeyCode::F7)
        tool = Tool::EditView();
    else if (shift == ShiftState::None && keyCode == KeyCode::F1)
        tool = Tool::FileHelp();
    else if (shift == ShiftState::Ctrl && keyCode == KeyCode::E)
        tool = Tool::FileExport();
    else if (shift == ShiftState::Ctrl && keyCode == KeyCode::P)
        tool = Tool::FilePrint();
    else if (shift == ShiftState::None && keyCode == KeyCode::F9 && barProc_.Enabled(Tool::Summary()))
        tool = Tool::Summary();
    else
        return false;
    Dispatch(tool);
    return true;
}

int frmProc::Column(const QString& code) const { return parts_->ReportColumn(code); }

QString frmProc::CodeText(int row, const QString& code) const {
    const int col = Column(code);
    if (col < 1)
        return QString();
    return vlgProc_.CellText(row, col);
}

}  // namespace sp
