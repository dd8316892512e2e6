#pragma once

#include <gtest/gtest.h>

#include "src/controls/GridModel.h"
#include "tests/lookups/FakeHost.h"
#include "src/reportgrid/ReportCells.h"
#include "src/reportgrid/ReportGrid.h"
#include "src/state/WorkbenchState.h"

namespace sp::test {

using namespace Qt::StringLiterals;

// A workbench state over a record grid and the fake host, with a layout to set up.
class ReportGridFixture : public ::testing::Test {
  protected:
    ReportGridFixture() {
        state.host = fake.host.get();
        state.vlgProc = &grid;
        state.userId = 7;
    }

    // Layout rows: title, field, shown, width. Without rows: every code in enumeration order.
    void UseLayout(QVector<QVariantList> rows = {}) {
        if (rows.isEmpty())
            for (ReportCode code : AllReportCodes())
                rows.append({ReportCodeName(code) + u"标题"_s, ReportCodeName(code), 1, 0});
        fake.script->reportTitle = [rows](qint32) {
            return MakeRecordset({u"Fname"_s, u"Ffield"_s, u"Fshow"_s, u"Fwidth"_s}, rows);
        };
    }
    void SetupColumns(const QVector<QVariantList>& rows = {}) {
        UseLayout(rows);
        ReportGrid(state).SetupReportColumns([](const QString& text) { return text.size() * 100.0; });
    }
    int Col(const char16_t* code) const {
        return ReportCells(state).Column(*ReportCodeFromName(QString::fromUtf16(code)));
    }

    FakeHost fake;
    GridModel grid;
    WorkbenchState state;
};

}  // namespace sp::test
