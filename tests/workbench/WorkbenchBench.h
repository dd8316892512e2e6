#pragma once

#include <gtest/gtest.h>

#include "src/workbench/WorkbenchToolbar.h"
#include "src/workbench/frmProc.h"
#include "tests/support/FakeHost.h"
#include "tests/support/FakeWorkbench.h"

namespace sp::test {

// One workbench over the fake host, a scripted user and recording parts. The host's
// default device type is 7.
struct WorkbenchBench : HostHarness {
    explicit WorkbenchBench(const QString& componentFolder = u"/opt/erp/shopproc"_s,
                            frmProc::SummaryDialogFactory summary = {})
        : HostHarness({u"/opt/erp"_s, componentFolder, 4711}) {
        fake->execute = [](const QString& sql) {
            return sql.contains(u"t_SubMessage"_s) ? Records({u"FinterID"_s}, {{7}}) : Records({}, {});
        };
        frmProc::Factories factories;
        factories.parts = [this](frmProc&) {
            auto p = std::make_unique<RecordingParts>();
            parts = p.get();
            return p;
        };
        factories.filterDialog = [this](HostServices&) { return std::make_unique<FakeFilterDialog>(ui); };
        factories.summary = std::move(summary);
        form = std::make_unique<frmProc>(*host, factories);
    }

    WorkbenchState& state() { return form->State(); }
    GridModel& grid() { return form->vlgProc(); }
    ToolbarModel& bar() { return form->barProc(); }
    // Forget what a setup step asked, showed and called.
    void Forget() {
        ui.Clear();
        parts->calls.clear();
        fake->calls.clear();
        fake->statements.clear();
    }
    // A record grid of header + 5 rows with the lookup, work bill and audit columns.
    void LayOutGrid() {
        parts->columns = {{u"GPH"_s, 2},  {u"SHBZ"_s, 3}, {u"CZG"_s, 4}, {u"BZ"_s, 5},
                          {u"SYSB"_s, 6}, {u"ZDR"_s, 7},  {u"MEMO"_s, 8}};
        grid().SetCols(8);
        grid().SetRows(6);
        grid().SetFixedRows(1);
    }
    void SetRow(int row, const QString& gph, const QString& shbz) {
        grid().SetCellText(row, 2, gph);
        grid().SetCellText(row, 3, shbz);
    }

    RecordingParts* parts = nullptr;
    std::unique_ptr<frmProc> form;
};

}  // namespace sp::test
