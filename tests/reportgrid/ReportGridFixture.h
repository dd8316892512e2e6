#pragma once

#include <gtest/gtest.h>

#include "common/GridModel.h"
#include "lookups/FakeHost.h"
#include "reportgrid/ReportGrid.h"
#include "workbench/WorkbenchState.h"

namespace sp::testing {

// A workbench state over a record grid and the fake host, with a layout to set up.
class ReportGridFixture : public ::testing::Test {
protected:
    ReportGridFixture() {
        state.host = fake.host.get();
        state.vlgProc = &grid;
        state.userId = 7;
    }

    // Layout rows: field, title, shown, width.
    void UseLayout(const QVector<QVariantList>& rows) {
        fake.script->reportTitle = [rows](qint32) {
            return MakeRecordset({QStringLiteral("Fname"), QStringLiteral("Ffield"), QStringLiteral("Fshow"),
                                  QStringLiteral("Fwidth")},
                                 rows);
        };
    }
    // Every code in enumeration order, shown, default width.
    void UseFullLayout();
    void SetupColumns() {
        ReportGrid(state).SetupReportColumns([](const QString& text) { return text.size() * 100.0; });
    }
    int Col(const char16_t* code) const;

    FakeHost fake;
    GridModel grid;
    WorkbenchState state;
};

}  // namespace sp::testing
