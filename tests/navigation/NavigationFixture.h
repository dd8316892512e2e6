#pragma once

#include <gtest/gtest.h>

#include "common/GridModel.h"
#include "common/ToolbarModel.h"
#include "lookups/FakeHost.h"
#include "navigation/TreeModel.h"
#include "navigation/WorkBillList.h"
#include "workbench/WorkbenchState.h"

namespace sp::testing {

// A workbench state over the list, a toolbar with the arrangement and check buttons,
// a tree, and the fake host. The list layout puts the work bill number in column 5.
class NavigationFixture : public ::testing::Test {
protected:
    NavigationFixture();

    // A work bill recordset with the record's fields; rows give FWBinterID, number and
    // the coded fields in the order of Fields().
    static QStringList Fields();
    static QVariantList Bill(qint32 id, const QString& no, const QVariant& chk = 351, const QVariant& fare = 0,
                             const QVariant& isOut = 0, const QVariant& worker = 11);
    void ServeBills(const QVector<QVariantList>& rows);
    void SetupList() { list.SetupListGrid(); }

    FakeHost fake;
    GridModel grid;
    GridModel proc;
    ToolbarModel bar;
    TreeModel tree;
    WorkbenchState state;
    WorkBillList list{state};
    QVector<int> historyLoads;  // showFilter of each LoadReportHistory
    QStringList historyNumbers; // current number at each load
    int paints = 0;
    int questions = 0;
    bool answer = true;
};

}  // namespace sp::testing
