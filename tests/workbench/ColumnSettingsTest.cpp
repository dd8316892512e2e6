#include <gtest/gtest.h>

#include "src/settings/frmSetCol.h"
#include "tests/workbench/WorkbenchBench.h"

namespace sp::test {
namespace {

QStringList Words(const char* commaSeparated) { return QString::fromUtf8(commaSeparated).split(u','); }

const QString kLayoutQuestion = u"汇报列设置将自动刷新数据，未保存数据将丢失。\r是否继续？"_s;
const QString kLeaveQuestion = u"修改尚未保存，切换工序计划单将丢失所做的修改。\r\n\r\n您是否要继续？"_s;

// A list of eight columns (A..H, G hidden) and a record grid whose columns 3.. hold
// HBXH, GPZH, MEMO, JSS (MEMO hidden).
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
        for (int c = 2; c <= 6; ++c) {
            grid().SetCellKey(1, c, codes[c - 2]);
            grid().SetCellText(1, c, codes[c - 2].toLower());
        }
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
        for (const QString& sql : fake->statements.filter(u"Update"_s)) {
            // "<field>=<position>/<shown>"
            orders << sql.section(u"Ffield='"_s, 1).chopped(1) + u'=' +
                          sql.section(u"Forder="_s, 1).section(u',', 0, 0) + u'/' +
                          sql.section(u"Fshow="_s, 1).section(u' ', 0, 0);
        }
        return orders;
    }
    QStringList offered;
};

TEST(ColumnSettings, TheListsColumnsFromTheSixthAreOfferedAndStoredInTheirNewOrder) {
    SettingsBench b;
    b.InDialog([](frmSetCol& d) {
        d.SetCurrentIndex(1);  // G (hidden) up to the front, H unticked
        d.cmdMoveUp_Click();
        d.SetItemChecked(2, false);
        d.cmdOK_Click();
    });
    b.form->Dispatch(Tool::SetupWB());
    EXPECT_EQ(b.offered, Words("f:6:1,g:7:0,h:8:1"));
    EXPECT_EQ(b.Orders(), Words("A=1/1,B=2/1,C=3/1,D=4/1,E=5/1,G=6/0,F=7/1,H=8/0"));
    EXPECT_EQ(b.fake->calls.filter(u"Trans"_s), (QStringList{u"BeginTrans"_s, u"CommitTrans"_s}));
    EXPECT_EQ(b.parts->calls, (QStringList{u"SetupListGrid"_s, u"RefreshWorkBillList"_s}));
    EXPECT_TRUE(b.ui.messages.isEmpty());
}

// Restore deletes the user's rows; cancel stores nothing; in edit mode with unsaved
// changes the work bill question comes first and a No ends the command.
TEST(ColumnSettings, ListRestoreCancelAndTheUnsavedChangeQuestion) {
    struct Case {
        const char* name;
        bool unsaved;
        MsgAnswer answer;
        std::function<void(frmSetCol&)> work;
        QStringList statements, parts;
        int dialogs;
    };
    const QStringList reload{u"SetupListGrid"_s, u"RefreshWorkBillList"_s};
    const Case cases[] = {
        {"Restore",
         false,
         MsgAnswer::Yes,
         [](auto& d) { d.SetChkDefault(true), d.cmdNone_Click(), d.cmdOK_Click(); },
         {u"Delete From SHRptDef Where Ftype='WorkBill' And FuserID=4711"_s},
         reload,
         1},
        {"Cancel",
         false,
         MsgAnswer::Yes,
         [](auto& d) { d.cmdMoveDown_Click(), d.cmdCancel_Click(); },
         {},
         {},
         1},
        {"UnsavedNo", true, MsgAnswer::No, [](auto& d) { d.cmdOK_Click(); }, {}, {}, 0},
        {"UnsavedYes",
         true,
         MsgAnswer::Yes,
         [](auto& d) { d.SetChkDefault(true), d.cmdOK_Click(); },
         {u"Delete From SHRptDef Where Ftype='WorkBill' And FuserID=4711"_s},
         reload,
         1},
    };
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
        EXPECT_EQ(b.ui.dialogsShown.size(), c.dialogs);
        EXPECT_EQ(b.fake->statements, c.statements);
        EXPECT_EQ(b.parts->calls, c.parts) << "the reload asks no second question";
    }
}

TEST(ColumnSettings, RecordGridAsksWithUnsavedRowsAndReloadsFromTheStore) {
    for (const MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
        SettingsBench b;
        b.state().modified = true;
        b.form->UpdateCommandStates();
        b.Forget();
        b.ui.answers = {answer};
        b.InDialog([](frmSetCol& d) {
            d.SetCurrentIndex(2);  // JSS to the front; MEMO shown
            d.cmdMoveUp_Click();
            d.cmdMoveUp_Click();
            d.SetItemChecked(2, true);
            d.cmdOK_Click();
        });
        b.form->Dispatch(Tool::SetupRpt());
        EXPECT_EQ(b.ui.MessageTexts(), QStringList{kLayoutQuestion});
        if (answer == MsgAnswer::No) {
            EXPECT_TRUE(b.ui.dialogsShown.isEmpty());
            EXPECT_TRUE(b.state().modified) << "the unsaved rows stay";
            EXPECT_TRUE(b.parts->calls.isEmpty());
            continue;
        }
        // The internal id column is not offered and keeps a place after the others.
        EXPECT_EQ(b.offered, Words("hbxh:3:1,memo:5:0,jss:6:1"));
        EXPECT_EQ(b.Orders(), Words("JSS=1/1,HBXH=2/1,MEMO=3/1,GPZH=4/0"));
        EXPECT_EQ(b.parts->calls, (QStringList{u"SetupReportColumns"_s, u"LoadReportHistory(0)"_s}));
        EXPECT_FALSE(b.state().modified);
    }
}

// Dragging a record grid header: with unsaved rows asked first (No: nothing moves);
// stored at once otherwise. A store that fails sets the grid up from the store.
TEST(ColumnSettings, ARecordGridHeaderDragStoresTheNewOrder) {
    struct Case {
        const char* name;
        bool unsaved;
        MsgAnswer answer;
        bool storeFails;
        bool moved;
        QStringList parts;
    };
    const QStringList reload{u"SetupReportColumns"_s, u"LoadReportHistory(0)"_s};
    const Case cases[] = {
        {"Saved", false, MsgAnswer::Yes, false, true, {u"ReportColumnsMoved"_s}},
        {"UnsavedNo", true, MsgAnswer::No, false, false, {}},
        {"UnsavedYes", true, MsgAnswer::Yes, false, true, reload},
        {"StoreFails", false, MsgAnswer::Yes, true, true, reload},
    };
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
        EXPECT_EQ(b.grid().MoveColumnByUser(6, 3), c.moved);
        EXPECT_EQ(b.grid().CellKey(1, 3), c.moved ? u"JSS"_s : u"HBXH"_s);
        QStringList messages = c.unsaved ? QStringList{kLayoutQuestion} : QStringList();
        if (c.storeFails)
            messages << u"列设置未能保存，仍按原来的设置显示——Execute failed"_s;
        EXPECT_EQ(b.ui.MessageTexts(), messages);
        EXPECT_EQ(b.parts->calls, c.parts);
        if (c.moved && !c.storeFails) {
            EXPECT_EQ(b.Orders(), Words("JSS=1/1,HBXH=2/1,GPZH=3/0,MEMO=4/0"));
        }
    }
}

}  // namespace
}  // namespace sp::test
