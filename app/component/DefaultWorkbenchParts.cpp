#include "app/component/DefaultWorkbenchParts.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>

#include "src/common/Basic.h"
#include "src/common/IgnoreErrors.h"
#include "src/entry/HostServices.h"
#include "src/filters/frmWageFilter.h"
#include "src/navigation/WorkBillList.h"
#include "src/navigation/WorkBillListEvents.h"
#include "src/navigation/WorkBillPicker.h"
#include "src/navigation/WorkBillQueries.h"
#include "src/navigation/WorkBillTree.h"
#include "src/reportgrid/NewReportRows.h"
#include "src/reportgrid/ReportCellRules.h"
#include "src/reportgrid/ReportCells.h"
#include "src/reportgrid/ReportCommands.h"
#include "src/reportgrid/ReportGrid.h"
#include "src/reportgrid/ReportHistory.h"
#include "src/reportgrid/ReportPrintout.h"
#include "src/reportgrid/ReportRowLocks.h"
#include "src/summary/frmSummary.h"
#include "src/workbench/Texts.h"

namespace sp {

namespace {

class DefaultParts final : public WorkbenchParts {
  public:
    explicit DefaultParts(frmProc& form)
        : form_(form),
          state_(form.State()),
          reportGrid_(state_),
          history_(state_),
          rowLocks_(state_),
          rules_(state_),
          newRows_(state_),
          list_(state_),
          listEvents_(list_),
          tree_(state_, list_) {
        form.vlgList().SetEventSink(&listEvents_);
        list_.SetTextWidth([](const QString& text) { return TextWidth(text); });
        // A click on a work center or production task lists its work bills.
        QObject::connect(&form.tvw(), &TreeModel::nodeClicked, &form,
                         [this](const QString& key) { IgnoreErrors([&] { tree_.OnNodeClick(key); }); });
        // Keyboard moves list the same way in new mode; in edit mode they only select.
        QObject::connect(&form.tvw(), &TreeModel::cursorMoved, &form,
                         [this](const QString& key) { IgnoreErrors([&] { tree_.OnCursorMove(key); }); });
        // A double click on a work bill in new mode starts a report of it.
        listEvents_.onDoubleClick = [this](int row, int /*col*/) { StartReportFromList(row); };
    }
    ~DefaultParts() override { form_.vlgList().SetEventSink(nullptr); }

    void SetupReportColumns() override {
        reportGrid_.SetupReportColumns([](const QString& text) { return TextWidth(text); });
    }
    void LoadReportHistory(int showFilter) override { history_.LoadReportHistory(showFilter); }
    void PaintReportGrid() override { reportGrid_.PaintReportGrid(); }
    void ReleaseRowLock(int row) override { rowLocks_.ReleaseRowLock(row); }
    int ReportColumn(const QString& code) const override {
        const auto parsed = ReportCodeFromName(code);
        return parsed ? ReportCells(state_).Column(*parsed) : 0;
    }
    QString GetReportColumnCode(int col) const override { return reportGrid_.GetReportColumnCode(col); }
    void SaveReportColumnWidth(int col) override { reportGrid_.SaveReportColumnWidth(col); }
    void ReportColumnsMoved() override { reportGrid_.ReportColumnsMoved(); }
    bool CanEditReportCell(int row, int col) override { return rules_.CanEditReportCell(row, col); }
    void ReportEditorOpens(int row, int col) override { rules_.OnEditorOpens(row, col); }
    void ReportEditorCloses(int row, int col) override { rules_.OnEditorCloses(row, col); }
    void ReportCellChange(int newRow, int newCol, int oldRow, int oldCol) override {
        rules_.OnCurrentCellChange(newRow, newCol, oldRow, oldCol);
    }
    void ReportKeyDown(int& keyCode, int shift) override { rules_.OnKeyDown(keyCode, shift); }
    bool PutWorkBill(int row, const QString& workBillNo) override {
        return newRows_.PutWorkBill(row, workBillNo);
    }
    bool SaveReports() override { return ReportCommands(state_).Save(); }
    void RunRecordCommand(RecordCommand command) override {
        ReportCommands(state_).Run(command == RecordCommand::Audit     ? ReportCommands::Kind::Audit
                                   : command == RecordCommand::UnAudit ? ReportCommands::Kind::UnAudit
                                                                       : ReportCommands::Kind::Delete);
    }

    void SetupListGrid() override { list_.SetupListGrid(); }
    bool RefreshWorkBillList(QString* failure) override {
        const bool loaded = list_.RefreshWorkBillList(failure);
        IgnoreErrors([&] { tree_.Fill(); });
        return loaded;
    }
    void LocateWorkBill(const QString& workBillNo) override { tree_.LocateWorkBill(workBillNo); }
    void SelectListedWorkBill(const QString& workBillNo) override { list_.SelectWorkBill(workBillNo); }
    void FillTree() override { tree_.Fill(); }
    QString PickWorkBillNumber() override { return WorkBillPicker(form_.Host()).PickWorkBillNumber(); }
    std::optional<Printout> ReportPrintout(QString* failure) override {
        const sp::ReportPrintout printout = BuildReportPrintout(state_, failure);
        if (printout.sections.isEmpty())
            return std::nullopt;
        return ToPrintout(printout);
    }

    bool IsExistWB(const QString& workBillNo, bool showMessage) override {
        return sp::IsExistWB(form_.Host(), workBillNo, showMessage);
    }
    QString GetWBNO(qint32 wbInterId) override { return sp::GetWBNO(form_.Host(), wbInterId); }

  private:
    void StartReportFromList(int row) {
        if (state_.editMode)
            return;
        GridModel& list = form_.vlgList();
        constexpr int kNumberCol = 5;
        if (row <= list.FixedRows() || row > list.Rows() || list.Cols() < kNumberCol)
            return;
        const QString number = WorkBillList::TextBeforeTab(list.CellText(row, kNumberCol));
        if (newRows_.StartReportForWorkBill(number, Basic::Long(list.CellValue(row, kNumberCol))) &&
            state_.focusReportGrid)
            state_.focusReportGrid();
    }

    // Header widths are measured in the toolbar's font where a screen exists.
    static double TextWidth(const QString& text) {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            return ReportGrid::TextWidthTwips(QFont(WorkbenchTexts::ToolbarFont(), 9), text);
        return 105.0 * text.size();
    }

    frmProc& form_;
    WorkbenchState& state_;
    ReportGrid reportGrid_;
    ReportHistory history_;
    ReportRowLocks rowLocks_;
    ReportCellRules rules_;
    NewReportRows newRows_;
    WorkBillList list_;
    WorkBillListEvents listEvents_;
    WorkBillTree tree_;
};

}  // namespace

std::unique_ptr<WorkbenchParts> MakeDefaultWorkbenchParts(frmProc& form) {
    return std::make_unique<DefaultParts>(form);
}

frmProc::FilterDialogFactory DefaultFilterDialogFactory() {
    return [](HostServices& host) -> std::unique_ptr<IFilterDialog> {
        return std::make_unique<frmWageFilter>(host);
    };
}

std::unique_ptr<frmProc> MakeWorkbench(HostServices& host) {
    // The summary window, modal over the workbench, keeps its choices between uses.
    const auto summary = [](HostServices& host, const DictionaryPtr& dicFilter) {
        frmSummary dialog(host, dicFilter);
        dialog.LoadSettings();
        host.Screen().ShowModal(dialog);
        dialog.SaveSettings();
        return dialog.Chosen();
    };
    return std::make_unique<frmProc>(
        host, frmProc::Factories{&MakeDefaultWorkbenchParts, DefaultFilterDialogFactory(), summary});
}

}  // namespace sp
