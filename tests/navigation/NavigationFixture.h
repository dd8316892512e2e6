#pragma once

#include <gtest/gtest.h>

#include "src/controls/GridModel.h"
#include "src/controls/ToolbarModel.h"
#include "src/controls/TreeModel.h"
#include "src/navigation/WorkBillList.h"
#include "src/state/WorkbenchState.h"
#include "tests/support/FakeHost.h"

namespace sp::test {

// A workbench state over the list, a toolbar with the arrangement and check buttons,
// a tree, and the fake host. The list layout puts the work bill number in column 5.
class NavigationFixture : public ::testing::Test {
  protected:
    NavigationFixture() {
        state.host = h.host.get();
        state.vlgList = &grid;
        state.vlgProc = &proc;
        state.barProc = &bar;
        state.tvw = &tree;
        state.userId = 7;
        state.dicFilter = NewDictionary();
        bar.AddTool(u"btnListWC"_s, u"工作中心"_s, ToolStyle::Radio, u"arr"_s);
        bar.AddTool(u"btnListTask"_s, u"生产任务单"_s, ToolStyle::Radio, u"arr"_s);
        bar.AddTool(u"btnCtlChk"_s, u"检查"_s, ToolStyle::Toggle);
        bar.SetChecked(u"btnListTask"_s, true);
        state.loadReportHistory = [this](int f) {
            historyLoads.append(f);
            historyNumbers.append(state.currentWorkBillNo);
            state.modified = false;
        };
        state.paintReportGrid = [this] { ++paints; };
        // As the workbench asks: only edits of the loaded work bill in edit mode.
        state.confirmLeaveWorkBill = [this] {
            if (!state.editMode || !state.modified)
                return true;
            ++questions;
            return answer;
        };
        fake.emps = {{11, u"E011"_s, u"张三"_s}};
        fake.workBillTitle = [](qint32) {
            const QStringList f{u"Ffield"_s, u"Fname"_s, u"Fshow"_s, u"Fwidth"_s};
            // clang-format off
            return Records(f, {{u"FQualityChkID"_s, u"检验"_s, 1, 0}, {u"Ffare"_s, u"计费"_s, 1, 800},
                               {u"FisOut"_s, u"外协"_s, 1, 0}, {u"fworkerid"_s, u"操作工"_s, 0, 0},
                               {u"FWorkBillNO"_s, u"工票号"_s, 1, 0}, {u"FAuxQtyRecive"_s, u"接收数"_s, 1, 0},
                               {u"FWorkCenterID"_s, u"工作中心"_s, 1, 0}, {u"FMemo"_s, u"备注"_s, 1, 0}});
            // clang-format on
        };
    }

    // A work bill recordset with the record's fields; rows give FWBinterID, number and
    // the coded fields in the order of Fields().
    static QStringList Fields() {
        return {u"FWBinterID"_s,    u"FWorkBillNO"_s, u"FQualityChkID"_s, u"Ffare"_s,
                u"FisOut"_s,        u"FworkerID"_s,   u"FAuxQtyRecive"_s, u"FWorkCenterID"_s,
                u"FWorkCenterNO"_s, u"FitemName"_s,   u"FitemModel"_s,    u"FMemo"_s};
    }
    static QVariantList Bill(qint32 id, const QString& no, const QVariant& chk = 351,
                             const QVariant& fare = 0, const QVariant& isOut = 0,
                             const QVariant& worker = 11) {
        QVariantList bill{id, no, chk, fare, isOut, worker, 12.5, 4};
        return bill << u"WC04"_s << u"轴"_s << u"M8"_s << QVariant();
    }
    void ServeBills(const QVector<QVariantList>& rows) {
        fake.workBillByFilter = [rows](bool, const QString&) { return Records(Fields(), rows); };
    }
    void SetupList() { list.SetupListGrid(); }

    HostHarness h;
    FakeHost& fake = *h.fake;
    GridModel grid;
    GridModel proc;
    ToolbarModel bar;
    TreeModel tree;
    WorkbenchState state;
    WorkBillList list{state};
    QVector<int> historyLoads;   // showFilter of each LoadReportHistory
    QStringList historyNumbers;  // current number at each load
    int paints = 0;
    int questions = 0;
    bool answer = true;
};

}  // namespace sp::test
