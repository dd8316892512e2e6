#pragma once

#include <QHash>
#include <QSet>
#include <QStringList>
#include <functional>

#include "src/common/Ui.h"
#include "src/entry/shopproc/IFilterDialog.h"
#include "src/entry/shopproc/IWorkbench.h"
#include "src/workbench/WorkbenchParts.h"

namespace sp::test {

using namespace Qt::StringLiterals;

// The filter dialog: shown through the Ui port, where the scripted user sets `result`.
// What it is asked goes to the journal when one is given.
class FakeFilterDialog : public DialogModel, public IFilterDialog {
  public:
    explicit FakeFilterDialog(Ui& ui, QStringList* journal = nullptr) : ui_(ui), journal_(journal) {}
    QString DialogName() const override { return u"frmWageFilter"_s; }
    void SetRptID(qint32 id) override {
        rptId = id;
        if (journal_)
            *journal_ << u"Filter RptID %1"_s.arg(id);
    }
    void ShowModal() override {
        if (journal_)
            *journal_ << u"Filter shown"_s;
        ui_.ShowModal(*this);
    }
    DictionaryPtr Result() override { return result; }

    qint32 rptId = 0;
    DictionaryPtr result;

  private:
    Ui& ui_;
    QStringList* journal_;
};

// The workbench window as the entry sees it: what it is handed goes to the journal.
class FakeWorkbench : public IWorkbench {
  public:
    explicit FakeWorkbench(QStringList& journal) : journal_(journal) {}
    void SetUserId(qint32 id) override { journal_ << u"Workbench user %1"_s.arg(id); }
    void SetDicFilter(const DictionaryPtr& d) override {
        dicFilter = d;
        journal_ << u"Workbench dicFilter"_s;
    }
    void SetListStyle(qint32 s) override { journal_ << u"Workbench SetListStyle %1"_s.arg(s); }
    void ShowModal() override {
        journal_ << u"Workbench shown"_s;
        if (onShow)
            onShow();
    }

    DictionaryPtr dicFilter;
    std::function<void()> onShow;

  private:
    QStringList& journal_;
};

// The record grid, list and tree of the workbench: the calls that change what is shown
// are written to `calls`; report columns come from a code -> column table.
class RecordingParts : public WorkbenchParts {
  public:
    QStringList calls;
    QHash<QString, int> columns;
    QSet<QString> existing;  // the work bills IsExistWB knows
    int existAsked = 0;
    std::function<void(int)> onLoadReportHistory;
    std::function<void()> onRefreshWorkBillList;
    std::function<void()> onEditorCloses;
    // Cells the record grid's rule refuses (by default every cell is editable).
    QSet<QPair<int, int>> lockedCells;
    QString picked;  // what the work bill list offers to pick
    bool putSucceeds = true;
    bool saveSucceeds = true;
    QString listFailure;   // a list that cannot be loaded says why
    QString printText;     // the printout's title; empty: nothing to print
    QString printFailure;  // a head that could not be read

    void SetupReportColumns() override { calls << u"SetupReportColumns"_s; }
    void LoadReportHistory(int showFilter) override {
        calls << u"LoadReportHistory(%1)"_s.arg(showFilter);
        if (onLoadReportHistory)
            onLoadReportHistory(showFilter);
    }
    void PaintReportGrid() override {}
    void ReleaseRowLock(int row) override { calls << u"ReleaseRowLock(%1)"_s.arg(row); }
    int ReportColumn(const QString& code) const override { return columns.value(code, 0); }
    QString GetReportColumnCode(int col) const override { return columns.key(col); }
    void SaveReportColumnWidth(int) override {}
    void ReportColumnsMoved() override { calls << u"ReportColumnsMoved"_s; }
    bool CanEditReportCell(int row, int col) override {
        return row >= 2 && !lockedCells.contains({row, col});
    }
    void ReportEditorOpens(int, int) override {}
    void ReportEditorCloses(int row, int col) override {
        calls << u"EditorCloses(%1,%2)"_s.arg(row).arg(col);
        if (onEditorCloses)
            onEditorCloses();
    }
    void ReportCellChange(int, int, int, int) override {}
    void ReportKeyDown(int&, int) override {}
    bool SaveReports() override {
        calls << u"SaveReports"_s;
        return saveSucceeds;
    }
    void RunRecordCommand(RecordCommand c) override {
        calls << u"RecordCommand(%1)"_s.arg(static_cast<int>(c));
    }
    bool PutWorkBill(int row, const QString& no) override {
        calls << u"PutWorkBill(%1,%2)"_s.arg(row).arg(no);
        return putSucceeds;
    }
    void SetupListGrid() override { calls << u"SetupListGrid"_s; }
    bool RefreshWorkBillList(QString* failure) override {
        calls << u"RefreshWorkBillList"_s;
        if (onRefreshWorkBillList)
            onRefreshWorkBillList();
        if (!listFailure.isEmpty() && failure)
            *failure = listFailure;
        return listFailure.isEmpty();
    }
    void LocateWorkBill(const QString& no) override { calls << u"LocateWorkBill(%1)"_s.arg(no); }
    void SelectListedWorkBill(const QString& no) override { calls << u"SelectListedWorkBill(%1)"_s.arg(no); }
    void FillTree() override { calls << u"FillTree"_s; }
    QString PickWorkBillNumber() override {
        calls << u"PickWorkBillNumber"_s;
        return picked;
    }
    bool IsExistWB(const QString& no, bool) override {
        ++existAsked;
        return existing.contains(no);
    }
    QString GetWBNO(qint32 id) override { return u"WB%1"_s.arg(id); }
    std::optional<Printout> ReportPrintout(QString* failure) override {
        calls << u"ReportPrintout"_s;
        if (failure)
            *failure = printFailure;
        if (printText.isEmpty())
            return std::nullopt;
        PrintTable table;
        table.title = printText;
        return Printout{printText, {table}};
    }
};

}  // namespace sp::test
