#include "workbench/DefaultWorkbenchParts.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>

#include "filters/frmWageFilter.h"
#include "navigation/WorkBillQueries.h"
#include "reportgrid/ReportCells.h"
#include "reportgrid/ReportGrid.h"
#include "workbench/Texts.h"

namespace sp {

namespace {

class DefaultParts final : public WorkbenchParts {
public:
    explicit DefaultParts(frmProc& form) : form_(form), state_(form.State()), reportGrid_(state_) {}

    void SetupReportColumns() override {
        reportGrid_.SetupReportColumns([](const QString& text) { return TextWidth(text); });
    }
    void LoadReportHistory(int /*showFilter*/) override {}
    void PaintReportGrid() override { reportGrid_.PaintReportGrid(); }
    void ReleaseRowLock(int /*row*/) override {}
    int ReportColumn(const QString& code) const override {
        const auto parsed = ReportCodeFromName(code);
        return parsed ? ReportCells(state_).Column(*parsed) : 0;
    }
    QString GetReportColumnCode(int col) const override { return reportGrid_.GetReportColumnCode(col); }
    void SaveReportColumnWidth(int /*col*/) override {}

    void SetupListGrid() override {}
    void RefreshWorkBillList() override {}
    void LocateWorkBill(const QString& /*workBillNo*/) override {}
    TreeModel* Tree() override { return nullptr; }

    bool IsExistWB(const QString& workBillNo, bool showMessage) override {
        return sp::IsExistWB(form_.Host(), workBillNo, showMessage);
    }
    QString GetWBNO(qint32 wbInterId) override { return sp::GetWBNO(form_.Host(), wbInterId); }

private:
    // The header text widths are measured in the toolbar's font where a screen exists.
    static double TextWidth(const QString& text) {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            return ReportGrid::TextWidthTwips(QFont(WorkbenchTexts::ToolbarFont(), 9), text);
        return 105.0 * text.size();
    }

    frmProc& form_;
    WorkbenchState& state_;
    ReportGrid reportGrid_;
};

}  // namespace

std::unique_ptr<WorkbenchParts> MakeDefaultWorkbenchParts(frmProc& form) {
    return std::make_unique<DefaultParts>(form);
}

frmProc::FilterDialogFactory DefaultFilterDialogFactory() {
    return [](HostServices& host) -> std::unique_ptr<IFilterDialog> { return std::make_unique<frmWageFilter>(host); };
}

}  // namespace sp
