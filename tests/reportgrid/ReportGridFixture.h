#pragma once

#include <gtest/gtest.h>

#include "src/controls/GridModel.h"
#include "src/controls/ToolbarModel.h"
#include "src/reportgrid/ReportCellRules.h"
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

// The record grid in new mode with every column, five data rows, the mode buttons and
// a small shop: work bills WB1 (id 1001) and WB2 (1002), team T01 (id 55), workers
// 01.E001 (10, team 55) and 01.E002 (11, team 56), devices D1 (1, type 7, center 5) and
// D2 (2, type 7, center 6). The service proposes serial 4 and the row's own values.
class RowRulesFixture : public ReportGridFixture {
  protected:
    RowRulesFixture() {
        SetupColumns();
        grid.SetRows(6);
        state.rowLocks.fill(0, 7);
        state.defaultDeviceType = 7;
        bar.AddTool(u"btnModeNew"_s, u"录入"_s, ToolStyle::Radio, u"mode"_s);
        bar.AddTool(u"btnModeEdit"_s, u"修改"_s, ToolStyle::Radio, u"mode"_s);
        bar.SetChecked(u"btnModeNew"_s, true);
        state.barProc = &bar;
        state.isExistWB = [this](const QString& no, bool showMessage) {
            if (showMessage && !no.isEmpty() && !ids.contains(no))
                refused << no;
            return ids.contains(no);
        };
        state.locateWorkBill = [this](const QString& no) { located << no; };
        fake.workBillInterID = [this](const QString& no) { return ids.value(no); };
        fake.isExistWB = [this](const QString& no) { return ids.contains(no); };
        fake.wcID = [](qint32 id) { return id == 1001 ? 5 : 6; };
        fake.qtyDecimal = [](qint32) { return 2; };
        fake.proposal = [this](const QString&) { return proposal; };
        fake.workBillInfo = [this](const QString& no) {
            const QVariantList v = info.value(no, {0, 0, 0, 1059, 1058});
            return Records({u"FteamID"_s, u"FworkerID"_s, u"FdeviceID"_s, u"FisOut"_s, u"Ffare"_s}, {v});
        };
        fake.execute = [this](const QString& sql) {
            if (sql.contains(u"GetDate"_s))
                return Records({u"D"_s}, {{u"12/06/2026"_s}});
            return Records({u"FQualityChkID"_s}, {{quality.value(sql.section(u'\'', 1, 1), 352)}});
        };
        fake.userName = u"Li"_s;
        fake.teams = {{55, u"T01"_s, u"一组"_s}, {56, u"T02"_s, u"二组"_s}};
        fake.emps = {{10, u"01.E001"_s, u"张三"_s, 55}, {11, u"01.E002"_s, u"李四"_s, 56}};
        fake.devs = {{1, u"D1"_s, u"车床"_s, 7, 5}, {2, u"D2"_s, u"铣床"_s, 7, 6}};
        // The grid's events go to the rules, as the workbench wires them.
        grid.SetEventSink(&sink);
        grid.SetEditRule([this](int r, int c) { return rules.CanEditReportCell(r, c); });
    }
    ~RowRulesFixture() override { grid.SetEventSink(nullptr); }
    void Type(int row, const char16_t* code, const QString& text) {
        grid.SetCurrentCell(row, Col(code));
        ASSERT_TRUE(grid.OpenEditor()) << QString::fromUtf16(code).toStdString();
        grid.SetEditorText(text);
        grid.CloseEditor(true);
    }
    int TaskOf(int row) const { return state.rowLocks.value(row); }

    struct Sink : GridEventSink {
        ReportCellRules& r;
        explicit Sink(ReportCellRules& rules) : r(rules) {}
        void OnEditorOpens(int row, int col) override { r.OnEditorOpens(row, col); }
        void OnEditorCloses(int row, int col) override { r.OnEditorCloses(row, col); }
        void OnCurrentCellChanged(int nr, int nc, int orow, int ocol) override {
            r.OnCurrentCellChange(nr, nc, orow, ocol);
        }
        void OnKeyDown(int& key, int shift) override { r.OnKeyDown(key, shift); }
    };
    ToolbarModel bar;
    ReportCellRules rules{state};
    Sink sink{rules};
    QHash<QString, qint32> ids{{u"WB1"_s, 1001}, {u"WB2"_s, 1002}};
    // Work bill settings: team, worker, device, FisOut, Ffare.
    QHash<QString, QVariantList> info;
    QHash<QString, int> quality;  // FQualityChkID per work bill; 352, none, by default
    // serial, start, finish, unit, received, reported, handed over, team, worker, device,
    // unit fee, internal id, operation id, proposed receive
    // A proposal finishes on the server's date, as the service proposes.
    QString proposal = u"4\t2026-01-02\t2026-12-06\t小时\t10\t5\t3\t55\t10\t0\t1.5\t1001\t7\t12"_s;
    QStringList refused, located;
};

}  // namespace sp::test
