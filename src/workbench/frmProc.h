#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "src/common/Dictionary.h"
#include "src/common/Ui.h"
#include "src/controls/GridModel.h"
#include "src/controls/ToolbarModel.h"
#include "src/controls/TreeModel.h"
#include "src/entry/shopproc/IFilterDialog.h"
#include "src/entry/shopproc/IWorkbench.h"
#include "src/state/WorkbenchState.h"
#include "src/workbench/WorkbenchLayout.h"
#include "src/workbench/WorkbenchParts.h"

namespace sp {

class HostServices;
class ISettingsFile;
class ReportGridEvents;

// The control of the window that has the focus; the status rule reads it.
enum class ActiveControl { Other, barProc, vlgProc, vlgList, tvw };

// The process report workbench: its state, the record grid vlgProc, the work bill list
// vlgList, the toolbar barProc, the command dispatcher with the enabling and status
// rules, and the window's lifecycle (load, first display, resize, close, unload).
// Headless: the Qt window registered as dialog view "frmProc" renders it and forwards
// the window's events.
class frmProc : public QObject, public DialogModel, public IWorkbench {
    Q_OBJECT
  public:
    using PartsFactory = std::function<std::unique_ptr<WorkbenchParts>(frmProc&)>;
    using FilterDialogFactory = std::function<std::unique_ptr<IFilterDialog>(HostServices&)>;
    // Shows the summary of reports modally over the workbench's filter; answers the report
    // the supervisor chose to open (work bill id and serial), or nothing.
    using SummaryDialogFactory = std::function<std::optional<std::pair<qint32, qint32>>(
        HostServices&, const DictionaryPtr& dicFilter)>;
    struct Factories {
        PartsFactory parts;                // the report grid, list and tree
        FilterDialogFactory filterDialog;  // a new filter dialog for each use
        SummaryDialogFactory summary;      // optional: without it the summary stays disabled
    };

    // Both factories are required: the component's assembly hands in the real parts
    // and dialog, tests hand in recording ones. A missing one raises ComError.
    frmProc(HostServices& host, Factories factories);
    ~frmProc() override;
    frmProc(const frmProc&) = delete;
    frmProc& operator=(const frmProc&) = delete;

    QString DialogName() const override { return QStringLiteral("frmProc"); }

    // --- public operations
    // Only code inside the component calls this.
    void SetUserId(qint32 userId) override;
    // Keeps the same dictionary object.
    void SetDicFilter(const DictionaryPtr& dicFilter) override;
    DictionaryPtr dicFilter() const { return state_.dicFilter; }
    // Loads the window (once) and the work bill list. ListStyle is not evaluated: the
    // arrangement is the checked one of btnListWC and btnListTask.
    void SetListStyle(qint32 listStyle) override;
    // Shows the window modally; it is unloaded when this returns.
    void ShowModal() override;
    bool IsExistWB(const QString& workBillNo, bool showMessage = false);
    QString GetWBNO(qint32 wbInterId);
    // Opens one work bill in edit mode, given its internal id, as the mode button would,
    // and locates it in the tree and list. Given a report's serial (the summary's choice),
    // the whole history loads without the record filter and that report's row is current.
    void OpenWorkBillForEdit(qint32 wbInterId, qint32 serial = 0);

    // --- state and controls
    WorkbenchState& State() { return state_; }
    GridModel& vlgProc() { return vlgProc_; }
    GridModel& vlgList() { return vlgList_; }
    ToolbarModel& barProc() { return barProc_; }
    TreeModel& tvw() { return tvw_; }
    const WorkbenchLayout& Layout() const { return layout_; }
    WorkbenchParts& Parts() { return *parts_; }
    HostServices& Host() { return host_; }
    // The component's folder + "Q8ShopFloor.CHM", set at load.
    const QString& HelpFile() const { return helpFile_; }

    // --- commands and rules
    // A tool was clicked (or a key stands for one): runs the command of that name.
    void Dispatch(const QString& toolName);
    void UpdateCommandStates();
    void UpdateStatusText();
    // A header of the record grid is dragged: false keeps the columns where they are.
    bool ReportColumnMoving(int from, int to);
    // ... and was moved: the new order is stored.
    void ReportColumnMoved(int from, int to);
    // The report grid's current-cell-change handling, also run with the same cell as
    // old and new to commit an open in-cell editor.
    void CurrentCellChange(int newRow, int newCol, int oldRow, int oldCol);
    // Commits an open in-cell editor through the current-cell-change handling, as every
    // path does before it asks about unsaved changes or runs a command: text typed and
    // not yet committed counts as a change.
    void CommitEditor();

    // --- the window's events (the view forwards them)
    void Load();
    bool IsLoaded() const { return loaded_; }
    void Activate();
    // The window's inner size, twips.
    void Resize(int widthTwips, int heightTwips);
    // The window sees keys before its controls; true when the key was consumed.
    bool KeyPreview(int keyCode, int shift);
    void SetActiveControl(ActiveControl control) {
        activeControl_ = control;
        if (control == ActiveControl::vlgList || control == ActiveControl::vlgProc)
            lastGrid_ = control;
    }
    ActiveControl ActiveControlNow() const { return activeControl_; }
    // The close box: false keeps the window open.
    bool QueryClose();
    void Unload();
    // Splitter drags, pointer positions in frame twips.
    void BeginSplitterDrag(WorkbenchLayout::Splitter bar, int pointerPos);
    void DragSplitter(int pointerPos);
    void EndSplitterDrag();
    // The record grid's least height, twips (the window measures its header and three
    // data rows): a short window takes the difference from the list.
    void SetReportGridMinHeight(int twips);

  signals:
    // The workbench unloaded itself (exit command): the view closes without asking.
    void closeRequested();
    // Pane rectangles changed (resize, splitter move).
    void layoutChanged();
    // A new report row was started from the list: the record grid takes the focus.
    void reportGridFocusRequested();

  private:
    friend class ReportGridEvents;

    // Commands.
    void ModeNewCommand();
    void ModeEditCommand();
    void FilterCommand();
    void CheckCommand();
    void RefreshCommand();
    void ExitCommand();
    void HelpCommand();
    void ArrangementCommand();
    void LookupCommand();
    void LookupEmployee(int row, int col);
    void LookupTeam(int row, int col);
    void LookupDevice(int row, int col);
    void RunCheck();
    void SaveCommand();
    void AuditCommand();
    void UnAuditCommand();
    void DeleteCommand();
    void PickWorkBills();
    // Column settings: their tools exist and do nothing yet.
    void SetupListColumnsCommand();
    void SetupReportColumnsCommand();
    void ExportCommand();
    void PrintCommand();
    void SummaryCommand();
    // "工序汇报记录", with the work bill's number in edit mode.
    QString ReportsFileName() const;
    // Sets the record grid up again from the stored layout and reloads its records.
    void ReloadReportColumns();

    void InstallHooks();
    void ResetForNewWindow();
    // Which of audit and unaudit the grid's selection allows.
    void AuditStates(bool& audit, bool& unaudit);
    bool ConfirmLeaveWorkBill();
    // Text of a report column's cell in a row; "" when the layout has no such column.
    QString CodeText(int row, const QString& code) const;
    int Column(const QString& code) const;

    HostServices& host_;
    Ui& ui_;
    WorkbenchState state_;
    GridModel vlgProc_;
    GridModel vlgList_;
    ToolbarModel barProc_;
    TreeModel tvw_;
    WorkbenchLayout layout_;
    FilterDialogFactory filterDialogFactory_;
    SummaryDialogFactory summaryFactory_;
    bool withoutRecordFilter_ = false;  // the edit-mode switch of a report opened by its serial
    std::unique_ptr<WorkbenchParts> parts_;
    std::unique_ptr<ReportGridEvents> gridEvents_;

    QString helpFile_;
    bool loaded_ = false;
    bool activatedOnce_ = false;
    bool resizedOnce_ = false;
    // Set while a command that has already asked about unsaved changes reloads the list.
    bool leaveConfirmed_ = false;
    bool reloadAfterMove_ = false;  // a header drag the clerk let drop unsaved rows
    ActiveControl activeControl_ = ActiveControl::Other;
    // The grid an export takes: the one the clerk was in last, the record grid at first.
    ActiveControl lastGrid_ = ActiveControl::vlgProc;
};

}  // namespace sp
