#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "src/entry/Rights.h"
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
const QString kNewRowsQuestion = u"录入尚未保存，切换模式将丢失所有录入的数据。\r\n\r\n您是否要继续？"_s;

// The scripted user confirms the filter dialog (ok) or cancels it.
void AnswerFilter(WorkbenchBench& b, bool ok = true, qint32* rptId = nullptr) {
    b.ui.dialogHandlers[u"frmWageFilter"_s] = [ok, rptId](DialogModel& m) {
        auto& dialog = dynamic_cast<FakeFilterDialog&>(m);
        if (rptId)
            *rptId = dialog.rptId;
        dialog.result = NewDictionary();
        dialog.result->Set(u"OK"_s, ok);
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
    QString loaded;  // the work bill whose records loaded and whether the filter was asked
    using Bench = WorkbenchBench;
    const auto located = [](Bench& b) { return b.parts->calls.contains(u"LocateWorkBill(WB5)"_s); };
    struct Case {
        const char* name;
        bool inEditMode;
        std::function<void(Bench&)> run;
        QString question;
        std::function<bool(Bench&)> wentAhead;
    };
    // clang-format off
    const Case cases[] = {
        {"ModeEdit", false, [](Bench& b) { b.bar().Click(Tool::ModeEdit()); }, kNewRowsQuestion,
         [](Bench& b) { return b.state().editMode; }},
        {"ModeNew", true, [](Bench& b) { b.bar().Click(Tool::ModeNew()); },
         u"修改尚未保存，切换模式将丢失所做的修改。\r\n\r\n您是否要继续？"_s, [](Bench& b) { return !b.state().editMode; }},
        {"Refresh", false, [](Bench& b) { b.form->Dispatch(Tool::Refresh()); }, kRefreshQuestion,
         [&](Bench&) { return !loaded.isEmpty(); }},
        {"Exit", false, [](Bench& b) { b.form->Dispatch(Tool::FileExit()); }, kExitQuestion,
         [&](Bench& b) { return !b.form->IsLoaded() && closes == 1; }},
        {"CloseBox", false, [&](Bench& b) { allowed = b.form->QueryClose(); }, kExitQuestion, [&](Bench&) { return allowed; }},
        {"FilterInEditMode", true, [](Bench& b) { b.bar().Click(Tool::Filter()); }, kLeaveQuestion,
         [](Bench& b) { return b.parts->calls.contains(u"RefreshWorkBillList"_s); }},
        {"ListRowChangeInEditMode", true, [&](Bench& b) { allowed = b.state().confirmLeaveWorkBill(); }, kLeaveQuestion,
         [&](Bench&) { return allowed; }},
        // New rows of any work bill stay when the list moves: nothing to ask.
        {"ListRowChangeInNewMode", false, [&](Bench& b) { allowed = b.state().confirmLeaveWorkBill(); }, {},
         [&](Bench&) { return allowed; }},
        // Opened by its id, a work bill is the current one before its records load, and is
        // then located in the list.
        {"OpenByIdInNewMode", false, [](Bench& b) { b.form->OpenWorkBillForEdit(5); }, kNewRowsQuestion,
         [&](Bench& b) { return b.state().editMode && loaded == u"WB5 1"_s && located(b); }},
        {"OpenByIdInEditMode", true, [](Bench& b) { b.form->OpenWorkBillForEdit(5); }, kLeaveQuestion,
         [&](Bench& b) { return loaded == u"WB5 0"_s && located(b); }},
        // A report chosen in the summary: no record filter is asked.
        {"OpenReportByIdInNewMode", false, [](Bench& b) { b.form->OpenWorkBillForEdit(5, 3); }, kNewRowsQuestion,
         [&](Bench& b) { return b.state().editMode && loaded == u"WB5 0"_s && located(b); }},
    };
    // clang-format on
    // Unchanged, changed, or changed by text still in the cell editor.
    enum Change { None, Flag, InEditor };
    for (const Case& c : cases) {
        for (const Change change : {None, Flag, InEditor}) {
            for (const MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
                SCOPED_TRACE(::testing::Message() << c.name << " change " << change << ", answer "
                                                  << (answer == MsgAnswer::Yes ? "Yes" : "No"));
                Bench b;
                b.form->SetListStyle(0);
                closes = 0;
                QObject::connect(b.form.get(), &frmProc::closeRequested, [&] { ++closes; });
                AnswerFilter(b);
                if (c.inEditMode)
                    GoToEditMode(b);
                b.Forget();
                loaded.clear();
                b.parts->onLoadReportHistory = [&](int showFilter) {
                    loaded = u"%1 %2"_s.arg(b.state().currentWorkBillNo).arg(showFilter);
                };
                // The list's row changes during a reload ask the same hook: no second question.
                b.parts->onRefreshWorkBillList = [&b] { EXPECT_TRUE(b.state().confirmLeaveWorkBill()); };
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
                if (change == None || c.question.isEmpty()) {
                    EXPECT_TRUE(b.ui.messages.isEmpty());
                    EXPECT_TRUE(c.wentAhead(b));
                    break;
                }
                ASSERT_EQ(b.ui.messages.size(), 1);
                const MessageRequest& m = b.ui.messages[0];
                EXPECT_EQ(std::tuple(m.text, m.icon, m.buttons, m.defaultButton),
                          std::tuple(c.question, MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No));
                EXPECT_EQ(c.wentAhead(b), answer == MsgAnswer::Yes);
                if (answer == MsgAnswer::No) {
                    EXPECT_EQ(b.parts->calls.filter(u"Editor"_s), b.parts->calls)
                        << "only the editor's commit";
                    EXPECT_TRUE(b.state().modified);
                    EXPECT_EQ(std::tuple(b.state().editMode, b.form->IsLoaded(), b.state().currentWorkBillNo),
                              std::tuple(c.inEditMode, true, current));
                    EXPECT_EQ(b.state().dicFilter, filter) << "the filter in force stays";
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

// Names ignore case and unknown ones do nothing; the inspection tools only say they are
// not ready; the arrangement tools are a radio pair that refills the tree at once (the
// list keeps its rows until reloaded).
// The summary shows wages: its entry and F9 work only for a user with its right, and the
// report chosen in it opens in edit mode.
TEST(SummaryCommand, NeedsItsRightAndOpensTheChosenReport) {
    for (const bool right : {false, true}) {
        int shown = 0;
        WorkbenchBench b(u"/opt/erp/shopproc"_s, [&](HostServices&, const DictionaryPtr&) {
            ++shown;
            return std::optional<std::pair<qint32, qint32>>({5, 3});
        });
        if (!right)
            b.fake->deniedRights = {Rights::Summary};
        b.form->SetListStyle(0);
        EXPECT_EQ(b.bar().Enabled(Tool::Summary()), right);
        EXPECT_EQ(b.form->KeyPreview(KeyCode::F9, ShiftState::None), right);
        EXPECT_EQ(shown, right ? 1 : 0);
        EXPECT_EQ(b.state().editMode, right);
    }
}

TEST(Dispatcher, NamesToolsAndArrangements) {
    WorkbenchBench b;
    b.form->Dispatch(u"BTNMODEEDIT"_s);
    EXPECT_TRUE(b.state().editMode);
    b.Forget();
    b.form->Dispatch(u"btnNoSuchTool"_s);
    b.form->Dispatch(Tool::CtlCreate());
    b.form->Dispatch(u"btnctldel"_s);
    EXPECT_EQ(b.ui.MessageTexts(), (QStringList{u"正在调试之中！"_s, u"正在调试之中！"_s}));
    EXPECT_EQ(b.ui.messages[0].icon, MsgIcon::Information);
    b.bar().Click(Tool::ListWC());
    EXPECT_EQ(std::pair(b.bar().Checked(Tool::ListWC()), b.bar().Checked(Tool::ListTask())),
              std::pair(true, false));
    EXPECT_EQ(b.parts->calls, QStringList{u"FillTree"_s});
}

// The check lists by task, takes the list's current work bill in edit mode and says what
// it found; a list that cannot be loaded is no finding, a declined mode switch keeps the
// typed rows and still says what was found, and a checked button is only unchecked.
TEST(CheckCommand, FindsSomethingNothingFailsOrIsDeclined) {
    const QString found =
        u"检查完毕！请查看结果。\r切换汇报模式、排列方式将清除检查结果，列出所有可汇报工序计划单。"_s;
    const QString nothing = u"检查完毕，没有发现异常。系统将显示所有可汇报工序计划单"_s;
    struct Case {
        const char* name;
        bool checked, listShown;
        QString listFailure;
        bool unsaved;
        QStringList messages;
        bool editMode, stillChecked;
        QVector<bool> reloads;  // the check button at each list reload
        const char* number;     // the current work bill afterwards
        const char* cancelled;  // the load the clerk cancels: "list" or "history"
    };
    // clang-format off
    const Case cases[] = {
        {"Found",            false, true,  {},            false, {found},   true,  true,  {true},        "WB7", ""},
        {"Nothing",          false, false, {},            false, {nothing}, true,  false, {true, false}, "",    ""},
        {"ListFails",        false, true,  u"网络中断"_s, false, {u"检查未能完成：网络中断"_s}, false, false, {true}, "", ""},
        // A declined switch to edit mode loads no history (the typed rows stay) and the
        // check still ends: it says what it found, and after nothing lists every work bill.
        {"DeclinedFound",    false, true,  {},            true,  {kNewRowsQuestion, found},   false, true,  {true},        "WB7", ""},
        {"DeclinedNothing",  false, false, {},            true,  {kNewRowsQuestion, nothing}, false, false, {true, false}, "",    ""},
        // A cancelled load ends the check without a word; the list keeps check results
        // only when it was read to its end.
        {"ListCancelled",    false, false, {},            false, {},        false, false, {true},        "",    "list"},
        {"HistoryCancelled", false, true,  {},            false, {},        true,  true,  {true},        "WB7", "history"},
        {"Unchecked",        true,  true,  {},            false, {},        false, false, {},            "",    ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkbenchBench b;
        b.bar().SetChecked(Tool::ListWC(), true);
        b.bar().SetChecked(Tool::CtlChk(), c.checked);
        b.Forget();
        b.parts->listFailure = c.listFailure;
        const QByteArray cancelled(c.cancelled);
        QVector<bool> reloads;
        b.parts->onRefreshWorkBillList = [&] {
            reloads << b.bar().Checked(Tool::CtlChk());
            b.state().listVisible = c.listShown;
            b.state().loadCancelled = cancelled == "list";
            GridModel& list = b.form->vlgList();
            list.SetCols(5);
            list.SetRows(c.listShown ? 2 : 1);
            list.SetFixedRows(1);
            if (c.listShown) {
                list.SetCellText(2, 5, u"WB7\t齿轮"_s);
                list.SetCurrentCell(2, 5);
            }
        };
        b.parts->onLoadReportHistory = [&](int showFilter) {
            b.state().loadCancelled = cancelled == "history" && showFilter == 1;
        };
        b.state().modified = c.unsaved;
        b.ui.answers = {MsgAnswer::No};
        b.bar().Click(Tool::CtlChk());
        EXPECT_EQ(b.ui.MessageTexts(), c.messages);
        EXPECT_EQ(b.bar().Checked(Tool::ListTask()), !c.checked);
        EXPECT_EQ(std::pair(b.state().editMode, b.bar().Checked(Tool::CtlChk())),
                  std::pair(c.editMode, c.stillChecked));
        EXPECT_EQ(reloads, c.reloads);
        EXPECT_EQ(b.state().currentWorkBillNo, QString::fromLatin1(c.number));
        EXPECT_EQ(b.parts->calls.contains(u"LoadReportHistory(0)"_s), c.editMode && cancelled.isEmpty());
        EXPECT_EQ(b.parts->calls.filter(u"LoadReportHistory"_s).isEmpty(), !c.editMode);
        EXPECT_EQ(b.state().modified, c.unsaved);
    }
}

// A confirmed filter reloads the list; a cancelled one reloads nothing but replaces the
// filter by its result, which holds no bounds (the next reload lists every work bill); a
// dialog without a result keeps the filter in force.
TEST(FilterCommand, ConfirmedReloadsCancelledOnlyHandsOverNoResultKeepsTheFilter) {
    for (const int answer : {1, 0, -1}) {
        WorkbenchBench b;
        const DictionaryPtr original = NewDictionary();
        b.form->SetDicFilter(original);
        qint32 rptId = 0;
        if (answer >= 0)
            AnswerFilter(b, answer == 1, &rptId);
        b.bar().Click(Tool::Filter());
        EXPECT_EQ(rptId, answer >= 0 ? 600 : 0);
        EXPECT_EQ(b.form->dicFilter() == original, answer < 0) << answer;
        EXPECT_EQ(b.parts->calls, answer == 1 ? QStringList{u"RefreshWorkBillList"_s} : QStringList{});
    }
}

TEST(HelpCommand, TheToolAndF1ShowTheGuideBesideTheComponentOrSayWhyNot) {
    QTemporaryDir dir;
    const QString guide = dir.filePath(u"Q8ShopFloor.html"_s);
    // folder: the component's folder ends in "/" or not
    // clang-format off
    struct Case { const char* what; bool present, shows, slash; };
    const Case cases[] = {
        {"shown", true, true, true}, {"shown, folder without slash", true, true, false},
        {"guide missing", false, true, true}, {"help window fails", true, false, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile file(guide);
        ASSERT_TRUE(c.present ? file.open(QIODevice::WriteOnly) : (file.remove() || !file.exists()));
        file.close();
        WorkbenchBench b(dir.path() + (c.slash ? u"/"_s : QString()));
        b.form->SetListStyle(0);
        b.ui.helpShows = c.shows;
        EXPECT_EQ(b.form->HelpFile(), dir.filePath(u"Q8ShopFloor.CHM"_s));
        b.form->Dispatch(Tool::FileHelp());
        EXPECT_TRUE(b.form->KeyPreview(KeyCode::F1, ShiftState::None));
        EXPECT_FALSE(b.form->KeyPreview(KeyCode::F1, ShiftState::Ctrl));
        EXPECT_EQ(b.ui.helpShown, c.present ? QStringList({guide, guide}) : QStringList());
        const QString message = u"无法打开帮助文件："_s + QDir::toNativeSeparators(guide);
        EXPECT_EQ(b.ui.MessageTexts(),
                  c.present && c.shows ? QStringList() : QStringList({message, message}));
        for (const MessageRequest& m : b.ui.messages) EXPECT_EQ(m.icon, MsgIcon::Information);
    }
}

// F7 on the record grid: row 2 holds work bill WB1 of work center 33; the chosen record
// goes into the cell (text and key) and the cache from the lookup's own entry, without a
// middle-tier call to complete it.
struct LookupBench : WorkbenchBench {
    LookupBench() {
        LayOutGrid();
        form->SetListStyle(0);  // reads the default device type
        grid().SetCellText(2, 2, u"WB1"_s);
        fake->workBillInterID = [](const QString& no) { return no == u"WB1"_s ? 11 : 0; };
        fake->wcID = [](qint32 id) { return id == 11 ? 33 : 0; };
        form->SetActiveControl(ActiveControl::vlgProc);
    }
    // Runs the lookup on the column's cell of row 2: what was asked; the cell holds the
    // number as text and key, a change to save.
    QStringList Run(const char* code, const QString& number) {
        Forget();
        const int col = parts->columns.value(QString::fromLatin1(code));
        grid().SetCurrentCell(2, col);
        form->Dispatch(Tool::EditView());
        EXPECT_EQ(std::pair(grid().CellText(2, col), grid().CellKey(2, col)), std::pair(number, number));
        EXPECT_EQ(state().modified, !number.isEmpty());
        EXPECT_EQ(bar().Enabled(Tool::FileSave()), !number.isEmpty())
            << "the command states follow the lookup";
        return fake->Calls(u"ItemLookUp"_s) + fake->Calls(u"SubMesLookup"_s) + fake->Calls(u"Show"_s);
    }
};

// A worker is offered from the row's team and replaces the cached record of its number;
// a device of the default type and the work bill's center keeps both; another team is a
// change, the same team again none.
TEST(LookupCommand, APickGoesIntoTheCellAndTheCache) {
    LookupBench b;
    EXPECT_EQ(b.Run("CZG", QString()), QStringList{u"ItemLookUp 3 '' ''"_s}) << "no team: any worker";
    b.fake->picks = {Pick(u"T02"_s, u"二组"_s, 6), Pick(u"T02"_s, u"二组"_s, 6)};
    b.Run("BZ", u"T02"_s);
    b.state().modified = false;
    b.form->Dispatch(Tool::EditView());
    EXPECT_FALSE(b.state().modified) << "the same team again";
    EXPECT_EQ(b.state().TeamsCache().Item(u"T02"_s)->TID(), 6);

    auto stale = std::make_shared<Emp>();
    stale->SetEname(u"旧名"_s);
    stale->SetEno(u"E07"_s);
    b.state().EmpsCache().Add(stale);
    b.fake->picks = {Pick(u"E07"_s, u"张三"_s, 70, {{u"FprofessionalGroup"_s, 6}})};
    EXPECT_EQ(b.Run("CZG", u"E07"_s), QStringList{u"ItemLookUp 3 '' ' FprofessionalGroup = 6 '"_s});
    ASSERT_EQ(b.state().EmpsCache().Count(), 1);
    const EmpPtr e = b.state().EmpsCache().Item(u"e07"_s);
    EXPECT_EQ(std::tuple(e->Ename(), e->EID(), e->Pro()), std::tuple(u"张三"_s, 70, 6));

    b.fake->browserPick = NewDictionary();
    b.fake->browserPick->Set(u"Fnumber"_s, u"D-9"_s);
    b.fake->browserPick->Set(u"Fname"_s, u"车床"_s);
    b.fake->browserPick->Set(u"FinterID"_s, 90);
    EXPECT_EQ(b.Run("SYSB", u"D-9"_s), QStringList{u"Show 0 1 ' Ftype=7 And FworkCenterID=33'"_s});
    const DevPtr d = b.state().DevsCache().Item(u"D-9"_s);
    EXPECT_EQ(std::tuple(d->Dname(), d->DID(), d->Dtype(), d->DWC()), std::tuple(u"车床"_s, 90, 7, 33));
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

    // On a work bill cell the list's pick goes into the row when it takes reports.
    // what the list offers, whether the work bill takes reports, whether it goes in
    for (const auto& [picked, exists, put] :
         {std::tuple{u""_s, true, false}, {u"WB7"_s, false, false}, {u"WB7"_s, true, true}}) {
        b.parts->calls.clear();
        b.parts->picked = picked;
        b.parts->existing = exists ? QSet<QString>{u"WB7"_s} : QSet<QString>{};
        b.grid().SetCurrentCell(2, b.parts->columns.value(u"GPH"_s));
        b.form->Dispatch(Tool::EditView());
        EXPECT_EQ(b.parts->calls.contains(u"PutWorkBill(2,WB7)"_s), put) << picked.toStdString() << exists;
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
    QTemporaryDir dir;
    const QString filters = u"|Excel 工作簿 (*.xlsx);CSV 文件，UTF-8，逗号分隔 (*.csv)"_s;
    // Exports to the file the clerk chooses (none: cancelled): what the dialog was asked.
    const auto exportTo = [&](const std::optional<QString>& file) {
        b.Forget();
        b.ui.saveRequests.clear();
        b.ui.saveFiles = {file};
        b.form->Dispatch(Tool::FileExport());
        return b.ui.saveRequests.value(0);
    };
    const auto exported = [&](const QString& name) {
        return QStringList{u"已导出到 "_s + dir.filePath(name)} == b.ui.MessageTexts() &&
               QFile(dir.filePath(name)).size() > 0 && b.fake->ini[u"Export"_s][u"Folder"_s] == dir.path();
    };
    EXPECT_EQ(exportTo(dir.filePath(u"r.xlsx"_s)),
              u"导出工序汇报记录|"_s + QDir::homePath() + u"/工序汇报记录"_s + filters);
    EXPECT_TRUE(exported(u"r.xlsx"_s));
    EXPECT_TRUE(b.fake->settingsPath.endsWith(u"/Q8SHProcRpt.ini"_s));
    b.ui.saveFiles = {std::nullopt};
    EXPECT_TRUE(b.form->KeyPreview(KeyCode::E, ShiftState::Ctrl));
    EXPECT_FALSE(b.form->KeyPreview(KeyCode::E, ShiftState::None));
    EXPECT_EQ(b.ui.saveRequests.size(), 2) << "Ctrl+E asked";

    // The list, after the clerk was in it; the dialog opens where the last file went.
    b.form->SetActiveControl(ActiveControl::vlgList);
    b.form->SetActiveControl(ActiveControl::barProc);
    EXPECT_EQ(exportTo(dir.filePath(u"l.csv"_s)),
              u"导出工序计划单列表|"_s + dir.filePath(u"工序计划单列表"_s) + filters);
    EXPECT_TRUE(exported(u"l.csv"_s));
    // Cancelled: nothing said; not written: said why, the folder kept.
    exportTo(std::nullopt);
    EXPECT_TRUE(b.ui.messages.isEmpty());
    exportTo(dir.filePath(u"gone/x.xlsx"_s));
    const QString said = b.ui.MessageTexts().join(u'|');
    EXPECT_TRUE(said.startsWith(u"文件未能写入，原有文件保持不变——"_s) && !said.endsWith(u"——"_s))
        << said.toStdString();
    EXPECT_EQ(b.fake->ini[u"Export"_s][u"Folder"_s], dir.path());

    // The edit mode's work bill names the file; an empty grid asks for no file.
    b.form->SetActiveControl(ActiveControl::vlgProc);
    b.state().editMode = true;
    b.state().currentWorkBillNo = u"WB/7 "_s;
    EXPECT_TRUE(exportTo(std::nullopt).contains(u"/工序汇报记录_WB_7|"_s));
    list.SetRows(1);
    b.form->SetActiveControl(ActiveControl::vlgList);
    EXPECT_EQ(exportTo(std::nullopt), QString());
    EXPECT_EQ(b.ui.MessageTexts(), QStringList{u"当前表格中没有可导出的内容。"_s});
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
    EXPECT_GT(QFile(dir.filePath(u"wb1.pdf"_s)).size(), 0);
    EXPECT_EQ(b.fake->ini[u"Export"_s][u"Folder"_s], dir.path());
}

}  // namespace
}  // namespace sp::test
