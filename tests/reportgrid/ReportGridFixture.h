#pragma once

#include <gtest/gtest.h>

#include "src/controls/GridModel.h"
#include "src/reportgrid/ReportCells.h"
#include "src/reportgrid/ReportGrid.h"
#include "src/state/WorkbenchState.h"
#include "tests/support/FakeHost.h"

namespace sp::test {

// A workbench state over a record grid and the fake host, with a layout to set up.
class ReportGridFixture : public ::testing::Test {
  protected:
    ReportGridFixture() {
        state.host = h.host.get();
        state.vlgProc = &grid;
        state.userId = 7;
    }

    // Layout rows: title, field, shown, width. Without rows: every code in enumeration order.
    void UseLayout(QVector<QVariantList> rows = {}) {
        if (rows.isEmpty())
            for (ReportCode code : AllReportCodes())
                rows.append({ReportCodeName(code) + u"标题"_s, ReportCodeName(code), 1, 0});
        fake.reportTitle = [rows](qint32) {
            return Records({u"Fname"_s, u"Ffield"_s, u"Fshow"_s, u"Fwidth"_s}, rows);
        };
    }
    void SetupColumns(const QVector<QVariantList>& rows = {}) {
        UseLayout(rows);
        ReportGrid(state).SetupReportColumns([](const QString& text) { return text.size() * 100.0; });
    }
    // Cells of a row as "CODE=text" (and "[key]" when the cell has a key), one per code.
    QString Cells(int row, std::initializer_list<const char16_t*> codes) const {
        QStringList cells;
        for (const char16_t* name : codes) {
            const ReportCode code = *ReportCodeFromName(QString::fromUtf16(name));
            const QString key = ReportCells(state).Key(row, code);
            cells << QString::fromUtf16(name) + u'=' + ReportCells(state).Text(row, code) +
                         (key.isEmpty() ? QString() : u'[' + key + u']');
        }
        return cells.join(u' ');
    }
    int Col(const char16_t* code) const {
        return ReportCells(state).Column(*ReportCodeFromName(QString::fromUtf16(code)));
    }

    HostHarness h;
    FakeHost& fake = *h.fake;
    GridModel grid;
    WorkbenchState state;
};

}  // namespace sp::test
