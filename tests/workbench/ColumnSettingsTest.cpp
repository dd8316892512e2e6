#include <gtest/gtest.h>

#include "src/settings/frmSetCol.h"
#include "tests/workbench/WorkbenchBench.h"

namespace sp::test {
namespace {

QStringList Words(const char* commaSeparated) { return QString::fromUtf8(commaSeparated).split(u','); }

const QString kLayoutQuestion = u"汇报列设置将自动刷新数据，未保存数据将丢失。\r是否继续？"_s;
const QString kLeaveQuestion = u"修改尚未保存，切换工序计划单将丢失所做的修改。\r\n\r\n您是否要继续？"_s;

// A list of eight columns (A..H, G hidden) and a record grid whose columns 3.. hold HBXH,
// GPZH, MEMO, JSS (MEMO hidden).
struct SettingsBench : WorkbenchBench {
    SettingsBench() {
        form->SetUserId(4711);
        GridModel& list = form->vlgList();
        list.SetCols(8);
        list.SetRows(1);
        state().listFields = Words("A,B,C,D,E,F,G,H");
        for (int c = 1; c <= 8; ++c) list.SetCellText(1, c, state().listFields[c - 1].toLower());
        list.SetColumnVisible(7, false);
        grid().SetCols(6);
        grid().SetRows(3);
        grid().SetFixedRows(1);
        const QStringList codes = Words("GPH,HBXH,GPZH,MEMO,JSS");
        for (int c = 2; c <= 6; ++c)
            grid().SetCellKey(1, c, codes[c - 2]), grid().SetCellText(1, c, codes[c - 2].toLower());
        grid().SetColumnVisible(4, false);
        grid().SetColumnVisible(5, false);
        Forget();
    }
    // The clerk's work in the dialog; what it offered is kept.
    void InDialog(std::function<void(frmSetCol&)> work) {
        ui.dialogHandlers[u"frmSetCol"_s] = [this, work](DialogModel& m) {
            auto& dlg = dynamic_cast<frmSetCol&>(m);
            offered.clear();
            for (const frmSetCol::Item& i : dlg.Items())
                offered << u"%1:%2:%3"_s.arg(i.text).arg(i.data).arg(int(i.checked));
            work(dlg);
        };
    }
    QStringList Orders() const {
        QStringList orders;
        for (const QString& sql : fake->statements.filter(u"Update"_s))  // "<field>=<position>/<shown>"
            orders << sql.section(u"Ffield='"_s, 1).chopped(1) + u'=' +
                          sql.section(u"Forder="_s, 1).section(u',', 0, 0) + u'/' +
                          sql.section(u"Fshow="_s, 1).section(u' ', 0, 0);
        return orders;
    }
    QStringList offered;
};

// The list's columns from the sixth are offered and stored in their new order (G, hidden, up
// to the front, H unticked); restore deletes the user's rows, cancel stores nothing; in edit
// mode with unsaved changes the work bill question comes first and a No ends it.
TEST(ColumnSettings, TheListsColumnsAreStoredRestoredOrLeftAsTheClerkSays) {
    struct Case {
        const char* name;
        bool unsaved;
        MsgAnswer answer;
        std::function<void(frmSetCol&)> work;
        const char* orders;
        bool restored, reloaded;
    };
    const auto reorder = [](frmSetCol& d) {
        d.SetCurrentIndex(1), d.cmdMoveUp_Click(), d.SetItemChecked(2, false), d.cmdOK_Click();
    };
    const auto restore = [](frmSetCol& d) { d.SetChkDefault(true), d.cmdNone_Click(), d.cmdOK_Click(); };
    // clang-format off
    const Case cases[] = {
        {"Reorder", false, MsgAnswer::Yes, reorder, "A=1/1,B=2/1,C=3/1,D=4/1,E=5/1,G=6/0,F=7/1,H=8/0", false, true},
        {"Restore", false, MsgAnswer::Yes, restore, "", true, true},
        {"Cancel", false, MsgAnswer::Yes, [](auto& d) { d.cmdMoveDown_Click(), d.cmdCancel_Click(); }, "", false, false},
        {"UnsavedNo", true, MsgAnswer::No, reorder, "", false, false},
        {"UnsavedYes", true, MsgAnswer::Yes, restore, "", true, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsBench b;
        b.bar().Click(Tool::ModeEdit());
        b.Forget();
        b.state().modified = c.unsaved;
        b.ui.answers = {c.answer};
        b.InDialog(c.work);
        b.form->Dispatch(Tool::SetupWB());
        EXPECT_EQ(b.ui.MessageTexts(), c.unsaved ? QStringList{kLeaveQuestion} : QStringList());
        EXPECT_EQ(b.offered,
                  c.unsaved && c.answer == MsgAnswer::No ? QStringList() : Words("f:6:1,g:7:0,h:8:1"));
        EXPECT_EQ(b.Orders(), *c.orders ? Words(c.orders) : QStringList());
        EXPECT_EQ(b.fake->statements.filter(u"Delete"_s),
                  c.restored ? QStringList{u"Delete From SHRptDef Where Ftype='WorkBill' And FuserID=4711"_s}
                             : QStringList());
        const QStringList reload{u"SetupListGrid"_s, u"RefreshWorkBillList"_s};
        EXPECT_EQ(b.parts->calls, c.reloaded ? reload : QStringList())
            << "the reload asks no second question";
    }
}

// A change of the record grid's layout, by the dialog (JSS to the front, MEMO shown) or by
// dragging JSS's header there, asks first only with unsaved rows (No: nothing moves, nothing
// is shown). What was stored is what the grid shows: set up again from the store, except
// after a drag with nothing unsaved, where the cells moved with their column.
TEST(ColumnSettings, TheRecordGridsLayoutIsStoredAndShownFromTheStore) {
    struct Case {
        const char* name;
        bool drag, unsaved;
        MsgAnswer answer;
        bool storeFails, stored, reloaded;
    };
    // clang-format off
    const Case cases[] = {
        {"Dialog",           false, false, MsgAnswer::No,  false, true,  true},
        {"DialogUnsavedNo",  false, true,  MsgAnswer::No,  false, false, false},
        {"DialogUnsavedYes", false, true,  MsgAnswer::Yes, false, true,  true},
        {"Drag",             true,  false, MsgAnswer::No,  false, true,  false},
        {"DragUnsavedNo",    true,  true,  MsgAnswer::No,  false, false, false},
        {"DragUnsavedYes",   true,  true,  MsgAnswer::Yes, false, true,  true},
        {"DragStoreFails",   true,  false, MsgAnswer::No,  true,  false, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsBench b;
        b.grid().SetFirstMovableCol(3);
        b.state().modified = c.unsaved;
        b.form->UpdateCommandStates();
        b.Forget();
        b.ui.answers = {c.answer};
        if (c.storeFails)
            b.fake->failing = {u"Execute"_s};
        b.InDialog([](frmSetCol& d) {
            d.SetCurrentIndex(2), d.cmdMoveUp_Click(), d.cmdMoveUp_Click(), d.SetItemChecked(2, true);
            d.cmdOK_Click();
        });
        const bool goesOn = !c.unsaved || c.answer == MsgAnswer::Yes;
        if (c.drag) {
            EXPECT_EQ(b.grid().MoveColumnByUser(6, 3), goesOn);
            EXPECT_EQ(b.grid().CellKey(1, 3), goesOn ? u"JSS"_s : u"HBXH"_s);
        } else {
            b.form->Dispatch(Tool::SetupRpt());
            // The internal id column is not offered and keeps a place after the others.
            EXPECT_EQ(b.offered, goesOn ? Words("hbxh:3:1,memo:5:0,jss:6:1") : QStringList());
        }
        QStringList said = c.unsaved ? QStringList{kLayoutQuestion} : QStringList();
        if (c.storeFails)
            said << u"列设置未能保存，仍按原来的设置显示——Execute failed"_s;
        EXPECT_EQ(b.ui.MessageTexts(), said);
        const char* order =
            c.drag ? "JSS=1/1,HBXH=2/1,GPZH=3/0,MEMO=4/0" : "JSS=1/1,HBXH=2/1,MEMO=3/1,GPZH=4/0";
        EXPECT_EQ(b.Orders(), c.stored ? Words(order) : QStringList());
        const QStringList reload{u"SetupReportColumns"_s, u"LoadReportHistory(0)"_s};
        EXPECT_EQ(b.parts->calls, c.reloaded ? reload
                                  : goesOn   ? QStringList{u"ReportColumnsMoved"_s}
                                             : QStringList());
        EXPECT_EQ(b.state().modified, c.unsaved && !goesOn) << "the unsaved rows go only with a Yes";
    }
}

}  // namespace
}  // namespace sp::test
