#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "src/lookups/Devs.h"
#include "src/lookups/Emps.h"
#include "src/lookups/Teams.h"
#include "tests/workbench/WorkbenchBench.h"

namespace sp::test {
namespace {

const QString kExitQuestion = u"录入或修改尚未保存，退出将丢失录入或修改的内容。\r\n\r\n您是否确定要退出？"_s;
const QString kRefreshQuestion =
    u"录入或修改尚未保存，刷新显示将丢失录入或修改的内容。\r\n\r\n您是否确定要刷新？"_s;
const QString kLeaveQuestion = u"修改尚未保存，切换工序计划单将丢失所做的修改。\r\n\r\n您是否要继续？"_s;

DictionaryPtr Bounds(bool ok) {
    auto d = NewDictionary();
    d->Set(u"OK"_s, ok);
    d->Set(u"BDept"_s, u"01"_s);
    return d;
}

// The scripted user confirms the filter dialog.
void ConfirmFilter(WorkbenchBench& b) {
    b.ui.dialogHandlers[u"frmWageFilter"_s] = [](DialogModel& m) {
        dynamic_cast<FakeFilterDialog&>(m).result = Bounds(true);
    };
}

void GoToEditMode(WorkbenchBench& b) {
    b.bar().Click(Tool::ModeEdit());
    b.Forget();
}

// Every command that would drop unsaved entries asks first with the exact question;
// No keeps everything, Yes goes ahead, and without changes nothing is asked.
TEST(UnsavedChanges, AreAskedAboutBeforeACommandDropsThem) {
    bool allowed = false;
    int closes = 0;
    struct Case {
        const char* name;
        bool inEditMode;
        std::function<void(WorkbenchBench&)> run;
        QString question;
        std::function<bool(WorkbenchBench&)> wentAhead;
    };
    const Case cases[] = {
        {"ModeEdit", false, [](auto& b) { b.bar().Click(Tool::ModeEdit()); },
         u"录入尚未保存，切换模式将丢失所有录入的数据。\r\n\r\n您是否要继续？"_s,
         [](auto& b) { return b.state().editMode; }},
        {"ModeNew", true, [](auto& b) { b.bar().Click(Tool::ModeNew()); },
         u"修改尚未保存，切换模式将丢失所做的修改。\r\n\r\n您是否要继续？"_s,
         [](auto& b) { return !b.state().editMode; }},
        {"Refresh", false, [](auto& b) { b.form->Dispatch(Tool::Refresh()); }, kRefreshQuestion,
         [](auto& b) { return b.parts->calls.contains(u"LoadReportHistory(0)"_s); }},
        {"Exit", false, [](auto& b) { b.form->Dispatch(Tool::FileExit()); }, kExitQuestion,
         [&](auto& b) { return !b.form->IsLoaded() && closes == 1; }},
        {"CloseBox", false, [&](auto& b) { allowed = b.form->QueryClose(); }, kExitQuestion,
         [&](auto&) { return allowed; }},
        {"FilterInEditMode", true, [](auto& b) { b.bar().Click(Tool::Filter()); }, kLeaveQuestion,
         [](auto& b) { return b.parts->calls.contains(u"RefreshWorkBillList"_s); }},
        {"ListRowChangeInEditMode", true, [&](auto& b) { allowed = b.state().confirmLeaveWorkBill(); },
         kLeaveQuestion, [&](auto&) { return allowed; }},
        {"OpenByIdInNewMode", false, [](auto& b) { b.form->OpenWorkBillForEdit(5); },
         u"录入尚未保存，切换模式将丢失所有录入的数据。\r\n\r\n您是否要继续？"_s,
         [](auto& b) { return b.state().editMode && b.state().currentWorkBillNo == u"WB5"_s; }},
    };
    // Unchanged, changed, or changed by text still in the cell editor.
    enum Change { None, Flag, InEditor };
    for (const Case& c : cases) {
        for (const Change change : {None, Flag, InEditor}) {
            const bool modified = change != None;
            for (const MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
                SCOPED_TRACE(::testing::Message() << c.name << " change " << change << ", answer "
                                                  << (answer == MsgAnswer::Yes ? "Yes" : "No"));
                WorkbenchBench b;
                b.form->SetListStyle(0);
                closes = 0;
                QObject::connect(b.form.get(), &frmProc::closeRequested, [&] { ++closes; });
                ConfirmFilter(b);
                if (c.inEditMode)
                    GoToEditMode(b);
                b.Forget();
                b.state().modified = change == Flag;
                if (change == InEditor) {
                    b.LayOutGrid();
                    b.grid().SetCurrentCell(2, 8);
                    ASSERT_TRUE(b.grid().OpenEditor());
                    b.grid().SetEditorText(u"typed"_s);
                    b.parts->onEditorCloses = [&b] { b.state().modified = true; };  // as the cell rules do
                }
                const DictionaryPtr filter = b.state().dicFilter;
                const QString current = b.state().currentWorkBillNo;
                b.ui.answers = {answer};
                c.run(b);
                if (!modified) {
                    EXPECT_TRUE(b.ui.messages.isEmpty());
                    EXPECT_TRUE(c.wentAhead(b));
                    break;
                }
                ASSERT_EQ(b.ui.messages.size(), 1);
                const MessageRequest& m = b.ui.messages[0];
                EXPECT_EQ(m.text, c.question);
                EXPECT_EQ(std::tuple(m.icon, m.buttons, m.defaultButton),
                          std::tuple(MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No));
                EXPECT_EQ(c.wentAhead(b), answer == MsgAnswer::Yes);
                if (answer == MsgAnswer::No) {
                    EXPECT_TRUE(b.parts->calls.filter(u"History"_s).isEmpty());
                    EXPECT_TRUE(b.parts->calls.filter(u"Refresh"_s).isEmpty());
                    EXPECT_TRUE(b.state().modified);
                    EXPECT_EQ(b.state().editMode, c.inEditMode);
                    EXPECT_TRUE(b.form->IsLoaded());
                    EXPECT_EQ(b.state().dicFilter, filter) << "the filter in force stays";
                    EXPECT_EQ(b.state().currentWorkBillNo, current);
                }
            }
        }
    }
}

// Edit mode loads with the record filter and keeps the check results; new mode drops
// them and reloads the list as new mode. The right is checked after the switch, which
// stays; clicking the active mode does nothing, unsaved changes or not. A list reload
// the clerk cancelled ends the switch before the right is asked.
TEST(ModeSwitch, LoadsTheRecordsThenChecksTheRight) {
    const QString toEdit = Tool::ModeEdit(), toNew = Tool::ModeNew();
    const QStringList none, loadNew{u"LoadReportHistory(0)"_s}, loadEdit{u"LoadReportHistory(1)"_s};
    const QStringList reloadNew{u"RefreshWorkBillList"_s, u"LoadReportHistory(0)"_s};
    // from edit mode, check results shown, the tool clicked, calls of the parts, refusal,
    // the list reload cancelled (the right denied all the same)
    // clang-format off
    const std::tuple<bool, bool, QString, QStringList, QString, bool> cases[] = {
        {false, true, toEdit, loadEdit, {}, false}, {true, false, toNew, loadNew, {}, false},
        {true, true, toNew, reloadNew, {}, false},
        {false, false, toEdit, loadEdit, u"您没有修改汇报的权限。"_s, false},
        {true, false, toNew, loadNew, u"您没有新增汇报的权限。"_s, false},
        {true, true, toNew, reloadNew, {}, true},
        {false, true, toNew, none, {}, false}, {true, true, toEdit, none, {}, false}};
    // clang-format on
    for (const auto& [fromEdit, checked, tool, calls, refusal, cancelList] : cases) {
        SCOPED_TRACE(::testing::Message()
                     << fromEdit << checked << tool.toStdString() << calls.size() << cancelList);
        const bool edit = tool == toEdit;
        const qint32 right = calls.isEmpty() ? 0 : edit ? 0x400000 : 0x20000;
        WorkbenchBench b;
        if (fromEdit)
            GoToEditMode(b);
        b.bar().SetChecked(Tool::CtlChk(), checked);
        if (!refusal.isEmpty() || cancelList)
            b.fake->deniedRights = {right};
        b.state().modified = calls.isEmpty();  // clicking the active mode asks nothing all the same
        bool editModeDuringReload = false;
        qsizetype messagesAtLoad = -1;
        b.parts->onRefreshWorkBillList = [&] {
            editModeDuringReload = b.state().editMode;
            b.state().loadCancelled = cancelList;
        };
        b.parts->onLoadReportHistory = [&](int) { messagesAtLoad = b.ui.messages.size(); };
        b.bar().Click(tool);

        EXPECT_EQ(b.parts->calls, calls);
        EXPECT_EQ(b.fake->Calls(u"AccessCheck"_s),
                  right && !cancelList ? QStringList{u"AccessCheck 1024 30 %1"_s.arg(right)} : QStringList());
        EXPECT_EQ(b.ui.MessageTexts(), refusal.isEmpty() ? QStringList() : QStringList{refusal});
        EXPECT_TRUE(calls.isEmpty() || messagesAtLoad == 0) << "the records load before the refusal";
        EXPECT_EQ(std::tuple(b.state().editMode, b.bar().Checked(toEdit), b.bar().Checked(toNew)),
                  std::tuple(edit, edit, !edit));
        EXPECT_EQ(b.bar().Checked(Tool::CtlChk()), checked && (edit || calls.isEmpty()));
        EXPECT_FALSE(editModeDuringReload) << "the reload hands rows over as new mode does";
    }
}

TEST(Dispatcher, NamesIgnoreCaseUnknownOnesDoNothingAndInspectionToolsSayTheyAreNotReady) {
    WorkbenchBench b;
    b.form->Dispatch(u"BTNMODEEDIT"_s);
    EXPECT_TRUE(b.state().editMode);
    b.Forget();
    b.form->Dispatch(u"btnNoSuchTool"_s);
    EXPECT_TRUE(b.parts->calls.isEmpty());
    EXPECT_TRUE(b.ui.messages.isEmpty());
    // The inspection tools stay disabled (see the command states); by name they only say so.
    b.form->Dispatch(Tool::CtlCreate());
    b.form->Dispatch(u"btnctldel"_s);
    EXPECT_EQ(b.ui.MessageTexts(), (QStringList{u"正在调试之中！"_s, u"正在调试之中！"_s}));
    EXPECT_EQ(b.ui.messages[0].icon, MsgIcon::Information);
}

TEST(Dispatcher, CheckedCheckButtonIsOnlyUncheckedArrangementToolsAreARadioPairThatRefillsTheTree) {
    WorkbenchBench b;
    b.bar().SetChecked(Tool::CtlChk(), true);
    b.bar().Click(Tool::CtlChk());
    EXPECT_FALSE(b.bar().Checked(Tool::CtlChk()));
    EXPECT_TRUE(b.bar().Checked(Tool::ListTask()));
    b.bar().Click(Tool::ListWC());
    EXPECT_TRUE(b.bar().Checked(Tool::ListWC()));
    EXPECT_FALSE(b.bar().Checked(Tool::ListTask()));
    // The tree follows the arrangement at once; the list keeps its rows until reloaded.
    EXPECT_EQ(b.parts->calls, QStringList{u"FillTree"_s});
    EXPECT_TRUE(b.ui.messages.isEmpty());
}

// The check lists by task in edit mode and says what it found; a list that cannot be
// loaded is no finding, and a declined mode switch keeps the typed rows.
TEST(CheckCommand, FindsSomethingNothingFailsOrIsDeclined) {
    const QString found =
        u"检查完毕！请查看结果。\r切换汇报模式、排列方式将清除检查结果，列出所有可汇报工序计划单。"_s;
    const QString nothing = u"检查完毕，没有发现异常。系统将显示所有可汇报工序计划单"_s;
    struct Case {
        const char* name;
        bool listShown;
        QString listFailure;
        bool unsaved;
        QStringList messages;
        bool editMode, stillChecked;
        int listLoads;
        const char* cancelled = "";  // the load the clerk cancels: "list" or "history"
    };
    const Case cases[] = {
        {"Found", true, {}, false, {found}, true, true, 1},
        {"Nothing", false, {}, false, {nothing}, true, false, 2},
        {"ListFails", true, u"网络中断"_s, false, {u"检查未能完成：网络中断"_s}, false, false, 1},
        {"Declined",
         true,
         {},
         true,
         {u"录入尚未保存，切换模式将丢失所有录入的数据。\r\n\r\n您是否要继续？"_s},
         false,
         true,
         1},
        // A cancelled load ends the check without a word; the list keeps check results
        // only when it was read to its end.
        {"ListCancelled", false, {}, false, {}, false, false, 1, "list"},
        {"HistoryCancelled", true, {}, false, {}, true, true, 1, "history"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkbenchBench b;
        b.bar().SetChecked(Tool::ListWC(), true);
        b.Forget();
        b.parts->listFailure = c.listFailure;
        const QByteArray cancelled(c.cancelled);
        b.parts->onRefreshWorkBillList = [&] {
            b.state().listVisible = c.listShown;
            b.state().loadCancelled = cancelled == "list";
        };
        b.parts->onLoadReportHistory = [&](int showFilter) {
            b.state().loadCancelled = cancelled == "history" && showFilter == 1;
        };
        b.state().modified = c.unsaved;
        b.ui.answers = {MsgAnswer::No};
        b.bar().Click(Tool::CtlChk());
        EXPECT_EQ(b.ui.MessageTexts(), c.messages);
        EXPECT_TRUE(b.bar().Checked(Tool::ListTask()));
        EXPECT_EQ(b.state().editMode, c.editMode);
        EXPECT_EQ(b.bar().Checked(Tool::CtlChk()), c.stillChecked);
        EXPECT_EQ(b.parts->calls.count(u"RefreshWorkBillList"_s), c.listLoads);
        EXPECT_EQ(b.parts->calls.contains(u"LoadReportHistory(0)"_s), c.editMode && cancelled.isEmpty());
        EXPECT_EQ(b.state().modified, c.unsaved);
    }
}

TEST(Dispatcher, SaveAuditUnauditAndDeleteGoToTheRecordGrid) {
    WorkbenchBench b;
    for (const QString& tool : {Tool::FileSave(), Tool::Audit(), Tool::UnAudit(), Tool::EditDel()})
        b.form->Dispatch(tool);
    EXPECT_EQ(b.parts->calls, (QStringList{u"SaveReports"_s, u"RecordCommand(0)"_s, u"RecordCommand(1)"_s,
                                           u"RecordCommand(2)"_s}));
}

TEST(Dispatcher, OpenEditorIsCommittedBeforeTheCommandRuns) {
    WorkbenchBench b;
    b.LayOutGrid();
    b.grid().SetCurrentCell(2, 8);
    ASSERT_TRUE(b.grid().OpenEditor());
    b.grid().SetEditorText(u"typed"_s);
    b.parts->onEditorCloses = [&] { b.state().modified = true; };  // as the cell rules do
    b.ui.answers = {MsgAnswer::No};
    b.form->Dispatch(Tool::Refresh());
    EXPECT_FALSE(b.grid().EditorOpen());
    EXPECT_EQ(b.grid().CellText(2, 8), u"typed"_s);
    EXPECT_EQ(b.ui.MessageTexts(), QStringList{kRefreshQuestion}) << "the refresh saw the typed change";
}

TEST(FilterCommand, ConfirmedReloadsCancelledOnlyHandsOverNoResultKeepsTheFilter) {
    for (const bool ok : {true, false}) {
        WorkbenchBench b;
        b.form->SetDicFilter(NewDictionary());
        DictionaryPtr handed;
        qint32 rptId = 0;
        b.ui.dialogHandlers[u"frmWageFilter"_s] = [&](DialogModel& m) {
            auto& dialog = dynamic_cast<FakeFilterDialog&>(m);
            rptId = dialog.rptId;
            dialog.result = handed = Bounds(ok);
        };
        b.bar().Click(Tool::Filter());
        EXPECT_EQ(rptId, 600);
        EXPECT_EQ(b.form->dicFilter(), handed) << "the dialog's own object";
        EXPECT_EQ(b.parts->calls, ok ? QStringList{u"RefreshWorkBillList"_s} : QStringList{});
    }
    WorkbenchBench b;
    auto original = NewDictionary();
    b.form->SetDicFilter(original);
    b.bar().Click(Tool::Filter());
    EXPECT_EQ(b.form->dicFilter(), original);
    EXPECT_TRUE(b.parts->calls.isEmpty());
}

// The list's row changes ask the same hook during the reload: no second question.
TEST(LeavingAWorkBill, IsNeverAskedInNewModeAndOnlyOnceByTheFilter) {
    WorkbenchBench b;
    b.state().modified = true;
    EXPECT_TRUE(b.state().confirmLeaveWorkBill()) << "new rows are kept when the list moves";
    EXPECT_TRUE(b.ui.messages.isEmpty());
    b.state().modified = false;
    GoToEditMode(b);
    b.state().modified = true;
    ConfirmFilter(b);
    bool rowChangeMayLeave = false;
    b.parts->onRefreshWorkBillList = [&] { rowChangeMayLeave = b.state().confirmLeaveWorkBill(); };
    b.ui.answers = {MsgAnswer::Yes};
    b.bar().Click(Tool::Filter());
    EXPECT_EQ(b.ui.messages.size(), 1);
    EXPECT_TRUE(rowChangeMayLeave);
}

TEST(HelpCommand, TheToolAndF1OpenTheGuideBesideTheComponentOrSayWhyNot) {
    const QString guide = u"/opt/erp/shopproc/Q8ShopFloor.html"_s;
    for (const QString& folder : {u"/opt/erp/shopproc/"_s, u"/opt/erp/shopproc"_s}) {
        WorkbenchBench b(folder);
        b.form->SetListStyle(0);
        EXPECT_EQ(b.form->HelpFile(), u"/opt/erp/shopproc/Q8ShopFloor.CHM"_s);
        b.form->Dispatch(Tool::FileHelp());
        EXPECT_TRUE(b.form->KeyPreview(KeyCode::F1, ShiftState::None));
        EXPECT_FALSE(b.form->KeyPreview(KeyCode::F1, ShiftState::Ctrl));
        EXPECT_EQ(b.ui.documentsOpened, (QStringList{guide, guide}));
        EXPECT_TRUE(b.ui.messages.isEmpty());

        b.ui.documentsOpen = false;
        EXPECT_TRUE(b.form->KeyPreview(KeyCode::F1, ShiftState::None));
        EXPECT_EQ(b.ui.MessageTexts(), QStringList{u"无法打开帮助文件："_s + guide});
        EXPECT_EQ(b.ui.messages[0].icon, MsgIcon::Information);
    }
}

TEST(OpenWorkBillForEdit, SwitchesToEditModeOnTheWorkBillAndLocatesIt) {
    WorkbenchBench b;
    QString numberWhileLoading;
    b.parts->onLoadReportHistory = [&](int) { numberWhileLoading = b.state().currentWorkBillNo; };
    b.form->OpenWorkBillForEdit(11);
    EXPECT_TRUE(b.state().editMode);
    EXPECT_EQ(numberWhileLoading, u"WB11"_s);
    EXPECT_EQ(b.parts->calls, (QStringList{u"LoadReportHistory(1)"_s, u"LocateWorkBill(WB11)"_s}));

    // Unsaved changes of the loaded work bill are asked about first.
    b.state().modified = true;
    b.Forget();
    b.ui.answers = {MsgAnswer::No};
    b.form->OpenWorkBillForEdit(12);
    EXPECT_EQ(b.ui.messages.size(), 1);
    EXPECT_EQ(b.state().currentWorkBillNo, u"WB11"_s);
    EXPECT_TRUE(b.parts->calls.isEmpty());
}

// --- F7 lookups on the record grid: row 2 holds work bill WB1 of work center 33, and
// the chosen record goes into the cell (text and key) and the cache from the lookup's own
// entry, without a middle-tier call to complete it.

struct LookupBench : WorkbenchBench {
    LookupBench() {
        LayOutGrid();
        form->SetListStyle(0);  // reads the default device type
        grid().SetCellText(2, 2, u"WB1"_s);
        fake->workBillInterID = [](const QString& no) { return no == u"WB1"_s ? 11 : 0; };
        fake->wcID = [](qint32 id) { return id == 11 ? 33 : 0; };
        form->SetActiveControl(ActiveControl::vlgProc);
        Forget();
    }
    // Runs the lookup on the column's cell of row 2: what was asked, and that the cell
    // now holds the number as text and key.
    QStringList Run(const char* code, const QString& number) {
        const int col = parts->columns.value(QString::fromLatin1(code));
        grid().SetCurrentCell(2, col);
        form->Dispatch(Tool::EditView());
        EXPECT_EQ(grid().CellText(2, col), number);
        EXPECT_EQ(grid().CellKey(2, col), number);
        EXPECT_EQ(state().modified, !number.isEmpty());
        EXPECT_EQ(bar().Enabled(Tool::FileSave()), !number.isEmpty())
            << "the command states follow the lookup";
        return fake->Calls(u"ItemLookUp"_s) + fake->Calls(u"SubMesLookup"_s) + fake->Calls(u"Show"_s);
    }
};

TEST(LookupCommand, AWorkerOfTheTeamsGroupReplacesTheCachedRecordOfItsNumber) {
    LookupBench b;
    auto team = std::make_shared<Team>();
    team->SetTID(5);
    team->SetTno(u"T01"_s);
    b.state().TeamsCache().Add(team);
    b.grid().SetCellKey(2, 5, u"T01"_s);
    auto stale = std::make_shared<Emp>();
    stale->SetEname(u"旧名"_s);
    stale->SetEno(u"E07"_s);
    b.state().EmpsCache().Add(stale);
    b.fake->picks = {Pick(u"E07"_s, u"张三"_s, 70, {{u"FprofessionalGroup"_s, 5}})};
    EXPECT_EQ(b.Run("CZG", u"E07"_s), QStringList{u"ItemLookUp 3 '' ' FprofessionalGroup = 5 '"_s});
    ASSERT_EQ(b.state().EmpsCache().Count(), 1);
    const EmpPtr e = b.state().EmpsCache().Item(u"e07"_s);
    EXPECT_EQ(std::tuple(e->Ename(), e->EID(), e->Pro()), std::tuple(u"张三"_s, 70, 5));
}

TEST(LookupCommand, ADeviceOfTheDefaultTypeAndTheWorkBillsCenterKeepsBoth) {
    LookupBench b;
    b.fake->browserPick = NewDictionary();
    b.fake->browserPick->Set(u"Fnumber"_s, u"D-9"_s);
    b.fake->browserPick->Set(u"Fname"_s, u"车床"_s);
    b.fake->browserPick->Set(u"FinterID"_s, 90);
    EXPECT_EQ(b.Run("SYSB", u"D-9"_s), QStringList{u"Show 0 1 ' Ftype=7 And FworkCenterID=33'"_s});
    const DevPtr d = b.state().DevsCache().Item(u"D-9"_s);
    EXPECT_EQ(std::tuple(d->Dname(), d->DID(), d->Dtype(), d->DWC()), std::tuple(u"车床"_s, 90, 7, 33));
}

TEST(LookupCommand, ATeamIsAChangeOnlyOnceAndACancelChangesNothing) {
    LookupBench b;
    EXPECT_EQ(b.Run("CZG", QString()), QStringList{u"ItemLookUp 3 '' ''"_s}) << "no team: any worker";
    b.fake->picks = {Pick(u"T02"_s, u"二组"_s, 6), Pick(u"T02"_s, u"二组"_s, 6)};
    b.Run("BZ", u"T02"_s);
    EXPECT_EQ(b.state().TeamsCache().Item(u"T02"_s)->TID(), 6);
    b.state().modified = false;
    b.form->Dispatch(Tool::EditView());
    EXPECT_FALSE(b.state().modified) << "the same team again";
    EXPECT_EQ(b.state().TeamsCache().Count(), 1);
}

TEST(LookupCommand, CellsTheRuleRefusesTheHeaderAndOtherColumnsAskNothingAndF7NeedsNoModifier) {
    LookupBench b;
    b.fake->picks = {Pick(u"E07"_s, u"张三"_s, 70)};
    b.parts->lockedCells = {{2, 4}};
    for (const auto& [row, col] : {std::pair{2, 4}, {2, 8}, {2, 2}, {1, 4}}) {  // CZG, MEMO, GPH, header
        b.grid().SetCurrentCell(row, col);
        b.form->Dispatch(Tool::EditView());
    }
    EXPECT_EQ(b.fake->Count(u"ItemLookUp"_s), 0);
    EXPECT_FALSE(b.state().modified);

    b.parts->lockedCells.clear();
    b.grid().SetCurrentCell(2, 4);
    for (int shift : {ShiftState::Shift, ShiftState::Ctrl, ShiftState::Alt})
        EXPECT_FALSE(b.form->KeyPreview(KeyCode::F7, shift));
    EXPECT_FALSE(b.form->KeyPreview(KeyCode::F8, ShiftState::None));
    EXPECT_EQ(b.fake->Count(u"ItemLookUp"_s), 0);
    EXPECT_TRUE(b.form->KeyPreview(KeyCode::F7, ShiftState::None));
    EXPECT_EQ(b.fake->Count(u"ItemLookUp"_s), 1);
}

TEST(LookupCommand, OnAWorkBillCellPicksAReportableWorkBillIntoTheRow) {
    LookupBench b;
    struct Case {
        const char* picked;
        bool exists;
        QStringList calls;
    };
    const Case cases[] = {
        {"", true, {u"PickWorkBillNumber"_s}},
        {"WB7", false, {u"PickWorkBillNumber"_s}},
        {"WB7", true, {u"PickWorkBillNumber"_s, u"PutWorkBill(2,WB7)"_s}},
    };
    for (const Case& c : cases) {
        b.parts->calls.clear();
        b.parts->picked = QString::fromLatin1(c.picked);
        b.parts->existing = c.exists ? QSet<QString>{u"WB7"_s} : QSet<QString>{};
        b.grid().SetCurrentCell(2, b.parts->columns.value(u"GPH"_s));
        b.form->Dispatch(Tool::EditView());
        EXPECT_EQ(b.parts->calls, c.calls) << c.picked;
    }
}

// Ctrl+E writes the grid the clerk was in last (the record grid at first) to the file
// chosen, says where, and remembers the folder; a cancel writes nothing, a failed write
// says why and keeps the folder, an empty grid asks for no file.
TEST(ExportCommand, WritesTheGridTheClerkWasInAndRemembersTheFolder) {
    WorkbenchBench b;
    b.form->SetListStyle(0);
    b.LayOutGrid();
    b.grid().SetCellText(1, 2, u"工票号"_s);
    b.SetRow(2, u"WB1"_s, u"√"_s);
    GridModel& list = b.form->vlgList();
    list.SetCols(2);
    list.SetRows(2);
    list.SetFixedRows(1);
    list.SetCellText(2, 1, u"WB1"_s);
    b.Forget();
    QTemporaryDir dir;
    const QString home = QDir::homePath();
    const QString filters = u"Excel 工作簿 (*.xlsx);CSV 文件，UTF-8，逗号分隔 (*.csv)"_s;

    b.ui.saveFiles = {dir.filePath(u"r.xlsx"_s)};
    EXPECT_TRUE(b.form->KeyPreview(KeyCode::E, ShiftState::Ctrl));
    EXPECT_FALSE(b.form->KeyPreview(KeyCode::E, ShiftState::None));
    EXPECT_EQ(b.ui.saveRequests, QStringList{u"导出工序汇报记录|"_s + home + u"/工序汇报记录|"_s + filters});
    EXPECT_EQ(b.ui.MessageTexts(), QStringList{u"已导出到 "_s + dir.filePath(u"r.xlsx"_s)});
    EXPECT_TRUE(QFile(dir.filePath(u"r.xlsx"_s)).size() > 0);
    EXPECT_EQ(b.fake->ini[u"Export"_s][u"Folder"_s], dir.path());
    EXPECT_TRUE(b.fake->settingsPath.endsWith(u"/Q8SHProcRpt.ini"_s));

    // The list, after the clerk was in it; the dialog opens where the last file went.
    b.Forget();
    b.form->SetActiveControl(ActiveControl::vlgList);
    b.form->SetActiveControl(ActiveControl::barProc);
    b.ui.saveRequests.clear();
    b.ui.saveFiles = {dir.filePath(u"l.csv"_s)};
    b.form->Dispatch(Tool::FileExport());
    EXPECT_EQ(b.ui.saveRequests,
              QStringList{u"导出工序计划单列表|"_s + dir.filePath(u"工序计划单列表|"_s) + filters});
    QFile csv(dir.filePath(u"l.csv"_s));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_TRUE(csv.readAll().startsWith("\xEF\xBB\xBF"));

    struct Case {
        const char* name;
        std::optional<QString> answer;
        QString message;
    };
    const QString missing = dir.filePath(u"gone/x.xlsx"_s);
    for (const Case& c : {Case{"cancelled", std::nullopt, QString()},
                          Case{"cannot write", missing, u"文件未能写入，原有文件保持不变——"_s}}) {
        SCOPED_TRACE(c.name);
        b.Forget();
        b.ui.saveFiles = {c.answer};
        b.form->Dispatch(Tool::FileExport());
        const QStringList shown = b.ui.MessageTexts();
        EXPECT_EQ(shown.size(), c.message.isEmpty() ? 0 : 1);
        EXPECT_TRUE(shown.join(QString()).startsWith(c.message));
        EXPECT_GT(shown.join(QString()).size(), c.message.size() + (c.message.isEmpty() ? -1 : 0))
            << "a reason";
        EXPECT_EQ(b.fake->ini[u"Export"_s][u"Folder"_s], dir.path());
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{u"l.csv"_s, u"r.xlsx"_s}));

    // The edit mode's work bill names the file; an empty grid asks for no file.
    b.form->SetActiveControl(ActiveControl::vlgProc);
    b.state().editMode = true;
    b.state().currentWorkBillNo = u"WB/7 "_s;
    b.ui.saveRequests.clear();
    b.form->Dispatch(Tool::FileExport());
    EXPECT_TRUE(b.ui.saveRequests.value(0).contains(u"/工序汇报记录_WB_7|"_s))
        << b.ui.saveRequests.value(0).toStdString();
    b.Forget();
    b.ui.saveRequests.clear();
    list.SetRows(1);
    b.form->SetActiveControl(ActiveControl::vlgList);
    b.form->Dispatch(Tool::FileExport());
    EXPECT_EQ(b.ui.MessageTexts(), QStringList{u"当前表格中没有可导出的内容。"_s});
    EXPECT_TRUE(b.ui.saveRequests.isEmpty());
}

// Ctrl+P previews the reports' document; its PDF button writes the file chosen. A head
// that could not be read is told first; with nothing to print no preview opens.
TEST(PrintCommand, PreviewsTheReportsAndSavesThePdfAsked) {
    WorkbenchBench b;
    b.form->SetListStyle(0);
    b.Forget();
    b.form->Dispatch(Tool::FilePrint());
    EXPECT_EQ(b.ui.MessageTexts(), QStringList{u"当前没有可打印的工序汇报记录。"_s});
    EXPECT_TRUE(b.ui.previews.isEmpty());

    QTemporaryDir dir;
    b.Forget();
    b.parts->printText = u"WB1 合计"_s;
    b.parts->printFailure = u"断开"_s;
    b.ui.pressPdf = true;
    b.ui.saveFiles = {dir.filePath(u"wb1.pdf"_s)};
    EXPECT_TRUE(b.form->KeyPreview(KeyCode::P, ShiftState::Ctrl));
    EXPECT_EQ(b.ui.previews, QStringList{u"打印工序汇报记录"_s});
    EXPECT_GT(b.ui.previewBytes.value(0), 1000) << "the pages were drawn";
    EXPECT_EQ(b.ui.MessageTexts(), (QStringList{u"工序计划单的表头未能全部读取，只打印其编号——断开"_s,
                                                u"已保存到 "_s + dir.filePath(u"wb1.pdf"_s)}));
    QFile pdf(dir.filePath(u"wb1.pdf"_s));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    EXPECT_EQ(b.fake->ini[u"Export"_s][u"Folder"_s], dir.path());
}

}  // namespace
}  // namespace sp::test
