#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "src/lookups/Devs.h"
#include "src/lookups/Emps.h"
#include "src/lookups/Teams.h"
#include "tests/workbench/WorkbenchFakes.h"
#include "src/workbench/WorkbenchToolbar.h"

namespace sp::test {
namespace {

const QString kExitQuestion =
    QStringLiteral("录入或修改尚未保存，退出将丢失录入或修改的内容。\r\n\r\n您是否确定要退出？");
const QString kRefreshQuestion =
    QStringLiteral("录入或修改尚未保存，刷新显示将丢失录入或修改的内容。\r\n\r\n您是否确定要刷新？");

DictionaryPtr Bounds(bool ok) {
    auto d = NewDictionary();
    d->Set(QStringLiteral("OK"), ok);
    d->Set(QStringLiteral("BDept"), QStringLiteral("01"));
    return d;
}

void GoToEditMode(WorkbenchBench& b) {
    b.bar().Click(Tool::ModeEdit());
    b.Forget();
}

struct UnsavedCase {
    const char* name;
    bool inEditMode;
    std::function<void(WorkbenchBench&)> run;
    QString question;
    std::function<bool(WorkbenchBench&)> wentAhead;
};

// Every command that would drop unsaved entries asks first with the exact question;
// No keeps everything, Yes goes ahead, and without changes nothing is asked.
TEST(UnsavedChanges, AreAskedAboutBeforeACommandDropsThem) {
    bool allowed = false;
    int closes = 0;
    const QString leaveQuestion =
        QStringLiteral("修改尚未保存，切换工序计划单将丢失所做的修改。\r\n\r\n您是否要继续？");
    const std::vector<UnsavedCase> cases = {
        {"ModeEdit", false, [](auto& b) { b.bar().Click(Tool::ModeEdit()); },
         QStringLiteral("录入尚未保存，切换模式将丢失所有录入的数据。\r\n\r\n您是否要继续？"),
         [](auto& b) { return b.state().editMode; }},
        {"ModeNew", true, [](auto& b) { b.bar().Click(Tool::ModeNew()); },
         QStringLiteral("修改尚未保存，切换模式将丢失所做的修改。\r\n\r\n您是否要继续？"),
         [](auto& b) { return !b.state().editMode; }},
        {"Refresh", false, [](auto& b) { b.form->Dispatch(Tool::Refresh()); }, kRefreshQuestion,
         [](auto& b) { return b.parts->calls == QStringList{QStringLiteral("LoadReportHistory(0)")}; }},
        {"Exit", false, [](auto& b) { b.form->Dispatch(Tool::FileExit()); }, kExitQuestion,
         [&](auto& b) { return !b.form->IsLoaded() && closes == 1; }},
        {"CloseBox", false, [&](auto& b) { allowed = b.form->QueryClose(); }, kExitQuestion,
         [&](auto&) { return allowed; }},
        {"FilterInEditMode", true, [](auto& b) { b.bar().Click(Tool::Filter()); }, leaveQuestion,
         [](auto& b) { return b.parts->calls == QStringList{QStringLiteral("RefreshWorkBillList")}; }},
        {"ListRowChangeInEditMode", true, [&](auto& b) { allowed = b.state().confirmLeaveWorkBill(); },
         leaveQuestion, [&](auto&) { return allowed; }},
    };
    for (const UnsavedCase& c : cases) {
        for (const bool modified : {false, true}) {
            for (const MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
                SCOPED_TRACE(::testing::Message() << c.name << (modified ? " modified, answer " : " unmodified ")
                                                << (answer == MsgAnswer::Yes ? "Yes" : "No"));
                WorkbenchBench b;
                b.form->SetListStyle(0);
                closes = 0;
                QObject::connect(b.form.get(), &frmProc::closeRequested, [&] { ++closes; });
                b.ui.dialogHandlers[QStringLiteral("frmWageFilter")] = [](DialogModel& m) {
                    dynamic_cast<FakeFilterDialog&>(m).result = Bounds(true);
                };
                if (c.inEditMode)
                    GoToEditMode(b);
                b.Forget();
                b.state().modified = modified;
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
                EXPECT_EQ(m.title, QStringLiteral("Vorlane提示"));
                EXPECT_EQ(m.icon, MsgIcon::Question);
                EXPECT_EQ(m.buttons, MsgButtons::YesNo);
                EXPECT_EQ(m.defaultButton, MsgAnswer::No);
                EXPECT_EQ(c.wentAhead(b), answer == MsgAnswer::Yes);
                if (answer == MsgAnswer::No) {
                    EXPECT_TRUE(b.parts->calls.isEmpty());
                    EXPECT_TRUE(b.state().modified);
                    EXPECT_EQ(b.state().editMode, c.inEditMode);
                    EXPECT_TRUE(b.form->IsLoaded());
                }
            }
        }
    }
}

TEST(ModeSwitch, ClickingTheActiveModeAsksAndChangesNothing) {
    WorkbenchBench b;
    b.state().modified = true;
    b.bar().Click(Tool::ModeNew());
    EXPECT_TRUE(b.ui.messages.isEmpty());
    EXPECT_TRUE(b.parts->calls.isEmpty());
    b.state().modified = false;
    GoToEditMode(b);
    b.state().modified = true;
    b.bar().Click(Tool::ModeEdit());
    EXPECT_TRUE(b.ui.messages.isEmpty());
    EXPECT_TRUE(b.parts->calls.isEmpty());
    EXPECT_TRUE(b.state().editMode);
}

TEST(ModeSwitch, ToEditModeLoadsWithTheRecordFilterKeepsCheckResultsThenChecksTheRight) {
    WorkbenchBench b;
    b.bar().SetChecked(Tool::CtlChk(), true);
    b.bar().Click(Tool::ModeEdit());
    EXPECT_TRUE(b.bar().Checked(Tool::ModeEdit()));
    EXPECT_FALSE(b.bar().Checked(Tool::ModeNew()));
    EXPECT_TRUE(b.bar().Checked(Tool::CtlChk()));
    EXPECT_EQ(b.parts->calls, QStringList{QStringLiteral("LoadReportHistory(1)")});
    EXPECT_EQ(b.fake->rightsAsked, QVector<qint32>{0x400000});
    EXPECT_TRUE(b.ui.messages.isEmpty()) << "the right is granted";
}

TEST(ModeSwitch, ToNewModeDropsCheckResultsAndReloadsTheListAsNewMode) {
    WorkbenchBench b;
    GoToEditMode(b);
    b.form->Dispatch(Tool::ModeNew());
    EXPECT_EQ(b.parts->calls, QStringList{QStringLiteral("LoadReportHistory(0)")}) << "no check results";

    GoToEditMode(b);
    b.bar().SetChecked(Tool::CtlChk(), true);
    bool editModeDuringReload = true;
    b.parts->onRefreshWorkBillList = [&] { editModeDuringReload = b.state().editMode; };
    b.bar().Click(Tool::ModeNew());
    EXPECT_FALSE(b.bar().Checked(Tool::CtlChk()));
    EXPECT_FALSE(b.bar().Checked(Tool::ModeEdit()));
    EXPECT_EQ(b.parts->calls,
              (QStringList{QStringLiteral("RefreshWorkBillList"), QStringLiteral("LoadReportHistory(0)")}));
    EXPECT_FALSE(editModeDuringReload) << "the reload hands rows over as new mode does";
    EXPECT_EQ(b.fake->rightsAsked, QVector<qint32>{0x20000});
}

TEST(ModeSwitch, DeniedRightsAreReportedAfterTheSwitchWhichStays) {
    WorkbenchBench b;
    b.fake->deniedRights = {0x400000, 0x20000};
    QStringList order;
    b.parts->onLoadReportHistory = [&](int) { order << QStringLiteral("load"); };
    b.bar().Click(Tool::ModeEdit());
    ASSERT_EQ(b.ui.MessageTexts(), QStringList{QStringLiteral("您没有修改汇报的权限。")});
    EXPECT_EQ(b.ui.messages[0].icon, MsgIcon::Information);
    EXPECT_TRUE(b.state().editMode);
    EXPECT_EQ(order, QStringList{QStringLiteral("load")});

    b.ui.Clear();
    b.bar().Click(Tool::ModeNew());
    EXPECT_EQ(b.ui.MessageTexts(), QStringList{QStringLiteral("您没有新增汇报的权限。")});
    EXPECT_FALSE(b.state().editMode);
}

TEST(Dispatcher, NamesCompareWithoutCaseAndUnknownNamesDoNothing) {
    WorkbenchBench b;
    b.form->Dispatch(QStringLiteral("BTNMODEEDIT"));
    EXPECT_TRUE(b.state().editMode);
    b.parts->calls.clear();
    for (const char* name : {"btnNoSuchTool", "btnFileSave"})
        b.form->Dispatch(QString::fromLatin1(name));
    EXPECT_TRUE(b.parts->calls.isEmpty());
    EXPECT_TRUE(b.ui.messages.isEmpty());
}

// The tools stay disabled (see the command states); dispatched by name they only say so.
TEST(Dispatcher, InspectionSheetToolsOnlySayTheyAreNotReady) {
    WorkbenchBench b;
    b.form->Dispatch(Tool::CtlCreate());
    b.form->Dispatch(QStringLiteral("btnctldel"));
    EXPECT_EQ(b.ui.MessageTexts(), (QStringList{QStringLiteral("正在调试之中！"), QStringLiteral("正在调试之中！")}));
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
    EXPECT_EQ(b.parts->calls, QStringList{QStringLiteral("FillTree")});
    EXPECT_TRUE(b.ui.messages.isEmpty());
}

TEST(Dispatcher, OpenEditorIsCommittedBeforeTheCommandRuns) {
    WorkbenchBench b;
    b.LayOutGrid();
    b.grid().SetCurrentCell(2, 8);
    ASSERT_TRUE(b.grid().OpenEditor());
    b.grid().SetEditorText(QStringLiteral("typed"));
    b.ui.answers = {MsgAnswer::No};
    b.form->Dispatch(Tool::Refresh());
    EXPECT_FALSE(b.grid().EditorOpen());
    EXPECT_EQ(b.grid().CellText(2, 8), QStringLiteral("typed"));
    EXPECT_EQ(b.ui.MessageTexts(), QStringList{kRefreshQuestion}) << "the refresh saw the typed change";
}

TEST(FilterCommand, ConfirmedReloadsCancelledOnlyHandsOverNoResultKeepsTheFilter) {
    for (const bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "confirmed" : "cancelled");
        WorkbenchBench b;
        b.form->SetDicFilter(NewDictionary());
        DictionaryPtr handed;
        qint32 rptId = 0;
        b.ui.dialogHandlers[QStringLiteral("frmWageFilter")] = [&](DialogModel& m) {
            auto& dialog = dynamic_cast<FakeFilterDialog&>(m);
            rptId = dialog.rptId;
            dialog.result = handed = Bounds(ok);
        };
        b.bar().Click(Tool::Filter());
        EXPECT_EQ(rptId, 600);
        EXPECT_EQ(b.form->dicFilter(), handed) << "the dialog's own object";
        EXPECT_EQ(b.parts->calls, ok ? QStringList{QStringLiteral("RefreshWorkBillList")} : QStringList{});
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
    b.ui.dialogHandlers[QStringLiteral("frmWageFilter")] = [](DialogModel& m) {
        dynamic_cast<FakeFilterDialog&>(m).result = Bounds(true);
    };
    bool rowChangeMayLeave = false;
    b.parts->onRefreshWorkBillList = [&] { rowChangeMayLeave = b.state().confirmLeaveWorkBill(); };
    b.ui.answers = {MsgAnswer::Yes};
    b.bar().Click(Tool::Filter());
    EXPECT_EQ(b.ui.messages.size(), 1);
    EXPECT_TRUE(rowChangeMayLeave);
}

TEST(HelpCommand, TheToolAndF1OpenTheGuideBesideTheComponentOrSayWhyNot) {
    const QString guide = QStringLiteral("/opt/erp/shopproc/Q8ShopFloor.html");
    for (const char* folder : {"/opt/erp/shopproc/", "/opt/erp/shopproc"}) {
        WorkbenchBench b(QString::fromLatin1(folder));
        b.form->SetListStyle(0);
        EXPECT_EQ(b.form->HelpFile(), QStringLiteral("/opt/erp/shopproc/Q8ShopFloor.CHM")) << folder;
        b.form->Dispatch(Tool::FileHelp());
        EXPECT_TRUE(b.form->KeyPreview(KeyCode::F1, ShiftState::None));
        EXPECT_FALSE(b.form->KeyPreview(KeyCode::F1, ShiftState::Ctrl));
        EXPECT_EQ(b.ui.documentsOpened, (QStringList{guide, guide}));
        EXPECT_TRUE(b.ui.messages.isEmpty());

        b.ui.documentsOpen = false;
        EXPECT_TRUE(b.form->KeyPreview(KeyCode::F1, ShiftState::None));
        ASSERT_EQ(b.ui.messages.size(), 1);
        EXPECT_EQ(b.ui.messages[0].text, QStringLiteral("无法打开帮助文件：") + guide);
        EXPECT_EQ(b.ui.messages[0].icon, MsgIcon::Information);
        EXPECT_EQ(b.ui.messages[0].title, QStringLiteral("Vorlane提示"));
    }
}

TEST(OpenWorkBillForEdit, SwitchesToEditModeOnTheWorkBillAndLocatesIt) {
    WorkbenchBench b;
    QString numberWhileLoading;
    b.parts->onLoadReportHistory = [&](int) { numberWhileLoading = b.state().currentWorkBillNo; };
    b.form->OpenWorkBillForEdit(11);
    EXPECT_TRUE(b.state().editMode);
    EXPECT_EQ(numberWhileLoading, QStringLiteral("WB11"));
    EXPECT_EQ(b.parts->calls,
              (QStringList{QStringLiteral("LoadReportHistory(1)"), QStringLiteral("LocateWorkBill(WB11)")}));

    // Unsaved changes of the loaded work bill are asked about first.
    b.state().modified = true;
    b.Forget();
    b.ui.answers = {MsgAnswer::No};
    b.form->OpenWorkBillForEdit(12);
    EXPECT_EQ(b.ui.messages.size(), 1);
    EXPECT_EQ(b.state().currentWorkBillNo, QStringLiteral("WB11"));
    EXPECT_TRUE(b.parts->calls.isEmpty());
}

// --- F7 lookups on the record grid

struct LookupBench : WorkbenchBench {
    LookupBench() {
        LayOutGrid();
        grid().SetCellText(2, 2, QStringLiteral("WB1"));
        fake->workBillIds[QStringLiteral("WB1")] = 11;
        fake->workCenters[11] = 33;
        form->SetActiveControl(ActiveControl::vlgProc);
    }
    void At(const char* code) { grid().SetCurrentCell(2, parts->columns.value(QString::fromLatin1(code))); }
};

TEST(LookupCommand, WorkerOfTheRowsTeamGoesIntoCellAndCacheWithoutMiddleTier) {
    LookupBench b;
    auto team = std::make_shared<Team>();
    team->SetTID(5);
    team->SetTno(QStringLiteral("T01"));
    b.state().TeamsCache().Add(team);
    b.grid().SetCellKey(2, 5, QStringLiteral("T01"));
    b.grid().SetCellText(2, 5, QStringLiteral("一组"));
    auto stale = std::make_shared<Emp>();
    stale->SetEname(QStringLiteral("旧名"));
    stale->SetEno(QStringLiteral("E07"));
    b.state().EmpsCache().Add(stale);

    b.fake->employeePick =
        Pick(QStringLiteral("E07"), QStringLiteral("张三"), 70, {{QStringLiteral("FprofessionalGroup"), 5}});
    b.At("CZG");
    b.bar().SetEnabled(Tool::EditView(), true);
    b.bar().Click(Tool::EditView());

    EXPECT_EQ(b.fake->lookupsAsked, QStringList{QStringLiteral("3| FprofessionalGroup = 5 ")});
    EXPECT_EQ(b.grid().CellText(2, 4), QStringLiteral("E07"));
    EXPECT_EQ(b.grid().CellKey(2, 4), QStringLiteral("E07"));
    ASSERT_EQ(b.state().EmpsCache().Count(), 1) << "the old record with that number is replaced";
    const auto& emp = b.state().EmpsCache().Item(QStringLiteral("e07"));
    EXPECT_EQ(std::tuple(emp->Ename(), emp->EID(), emp->Pro()), std::tuple(QStringLiteral("张三"), 70, 5));
    EXPECT_TRUE(b.state().modified);
    EXPECT_TRUE(b.bar().Enabled(Tool::FileSave())) << "the command states follow the lookup";
}

TEST(LookupCommand, WorkerWithoutTeamIsNotRestrictedAndCancelChangesNothing) {
    LookupBench b;
    b.At("CZG");
    b.form->Dispatch(Tool::EditView());
    EXPECT_EQ(b.fake->lookupsAsked, QStringList{QStringLiteral("3|")});
    EXPECT_TRUE(b.grid().CellText(2, 4).isEmpty());
    EXPECT_FALSE(b.state().modified);
}

TEST(LookupCommand, TeamSetsTextAndKeyAndMarksOnlyAChange) {
    LookupBench b;
    b.fake->teamPick = Pick(QStringLiteral("T02"), QStringLiteral("二组"), 6);
    b.At("BZ");
    b.form->Dispatch(Tool::EditView());
    EXPECT_EQ(b.fake->lookupsAsked, QStringList{QStringLiteral("62|")});
    EXPECT_EQ(b.grid().CellText(2, 5), QStringLiteral("T02"));
    EXPECT_EQ(b.grid().CellKey(2, 5), QStringLiteral("T02"));
    EXPECT_EQ(b.state().TeamsCache().Item(QStringLiteral("T02"))->TID(), 6);
    EXPECT_TRUE(b.state().modified);

    b.state().modified = false;
    b.form->Dispatch(Tool::EditView());
    EXPECT_FALSE(b.state().modified) << "the same team again changes nothing";
    EXPECT_EQ(b.state().TeamsCache().Count(), 1);
}

TEST(LookupCommand, DeviceIsRestrictedToTypeAndWorkCenterAndKeepsBoth) {
    LookupBench b;
    b.form->SetListStyle(0);  // reads the default device type (7)
    auto row = NewDictionary();
    row->Set(QStringLiteral("Fnumber"), QStringLiteral("D-9"));
    row->Set(QStringLiteral("Fname"), QStringLiteral("车床"));
    row->Set(QStringLiteral("FinterID"), 90);
    b.fake->devicePick = row;
    b.At("SYSB");
    b.form->Dispatch(Tool::EditView());
    EXPECT_EQ(b.fake->lookupsAsked, QStringList{QStringLiteral("browser0| Ftype=7 And FworkCenterID=33")});
    EXPECT_EQ(b.grid().CellText(2, 6), QStringLiteral("D-9"));
    const auto& dev = b.state().DevsCache().Item(QStringLiteral("D-9"));
    EXPECT_EQ(std::tuple(dev->Dname(), dev->DID(), dev->Dtype(), dev->DWC()),
              std::tuple(QStringLiteral("车床"), 90, 7, 33));
    EXPECT_TRUE(b.state().modified);
}

TEST(LookupCommand, LockedCellsHeaderAndOtherColumnsAskNothing) {
    LookupBench b;
    b.fake->employeePick = Pick(QStringLiteral("E07"), QStringLiteral("张三"), 70);
    b.grid().SetCellLocked(2, 4, true);
    for (const char* code : {"CZG", "MEMO", "GPH"}) {
        b.At(code);
        b.form->Dispatch(Tool::EditView());
    }
    b.grid().SetCurrentCell(1, 4);
    b.form->Dispatch(Tool::EditView());
    EXPECT_TRUE(b.fake->lookupsAsked.isEmpty());
    EXPECT_FALSE(b.state().modified);
}

TEST(Keyboard, F7AloneRunsTheLookupWithModifiersItIsLeftAlone) {
    LookupBench b;
    b.At("CZG");
    for (int shift : {ShiftState::Shift, ShiftState::Ctrl, ShiftState::Alt})
        EXPECT_FALSE(b.form->KeyPreview(KeyCode::F7, shift));
    EXPECT_FALSE(b.form->KeyPreview(KeyCode::F8, ShiftState::None));
    EXPECT_TRUE(b.fake->lookupsAsked.isEmpty());
    EXPECT_TRUE(b.form->KeyPreview(KeyCode::F7, ShiftState::None));
    EXPECT_EQ(b.fake->lookupsAsked.size(), 1);
}

}  // namespace
}  // namespace sp::test
