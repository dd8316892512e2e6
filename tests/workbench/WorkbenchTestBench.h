#pragma once

#include <QVector>
#include <memory>

#include "common/ComponentRegistry.h"
#include "common/ScriptedUi.h"
#include "entry/HostServices.h"
#include "workbench/WorkbenchFakes.h"
#include "workbench/frmProc.h"

namespace sp::testing {

// A filter dialog shown through the Ui port like frmWageFilter; the scripted user
// decides its result.
class FakeFilterDialog : public DialogModel, public IFilterDialog {
public:
    explicit FakeFilterDialog(Ui& ui) : ui_(ui) {}
    QString DialogName() const override { return QStringLiteral("frmWageFilter"); }
    void SetRptID(qint32 rptId) override { rptId_ = rptId; }
    void ShowModal() override { ui_.ShowModal(*this); }
    DictionaryPtr Result() override { return result; }

    qint32 rptId_ = 0;
    DictionaryPtr result;

private:
    Ui& ui_;
};

// One workbench over fake host components, a scripted user and recording parts.
struct WorkbenchBench {
    std::shared_ptr<HostRecord> record = std::make_shared<HostRecord>();
    ComponentRegistry registry;
    ScriptedUi ui;
    std::unique_ptr<HostServices> host;
    RecordingParts* parts = nullptr;
    std::unique_ptr<frmProc> form;

    explicit WorkbenchBench(const QString& componentFolder = QStringLiteral("/opt/erp/shopproc")) {
        RegisterFakeHost(registry, record);
        ComponentContext context;
        context.registry = &registry;
        context.ui = &ui;
        context.programFolder = QStringLiteral("/opt/erp");
        context.componentFolder = componentFolder;
        context.processId = 4711;
        host = std::make_unique<HostServices>(context);
        frmProc::Factories factories;
        factories.parts = [this](frmProc&) {
            auto p = std::make_unique<RecordingParts>();
            parts = p.get();
            return p;
        };
        factories.filterDialog = [this](HostServices&) { return std::make_unique<FakeFilterDialog>(ui); };
        form = std::make_unique<frmProc>(*host, factories);
    }

    WorkbenchState& state() { return form->State(); }
    GridModel& grid() { return form->vlgProc(); }
    ToolbarModel& bar() { return form->barProc(); }

    // A record grid of header + 5 rows with the lookup, work bill and audit columns.
    void LayOutGrid() {
        parts->columns = {{QStringLiteral("GPH"), 2},  {QStringLiteral("SHBZ"), 3}, {QStringLiteral("CZG"), 4},
                          {QStringLiteral("BZ"), 5},   {QStringLiteral("SYSB"), 6}, {QStringLiteral("ZDR"), 7},
                          {QStringLiteral("MEMO"), 8}};
        grid().SetCols(8);
        grid().SetRows(6);
        grid().SetFixedRows(1);
    }
    void SetRow(int row, const QString& gph, const QString& shbz) {
        grid().SetCellText(row, 2, gph);
        grid().SetCellText(row, 3, shbz);
    }
};

}  // namespace sp::testing
