#include <gtest/gtest.h>

#include "workbench/WorkbenchTestBench.h"
#include "workbench/WorkbenchToolbar.h"

namespace sp::testing {
namespace {

const QString kModeNewQuestion = QStringLiteral("修改尚未保存，切换模式将丢失所做的修改。\r\n\r\n您是否要继续？");
const QString kModeEditQuestion =
    QStringLiteral("录入尚未保存，切换模式将丢失所有录入的数据。\r\n\r\n您是否要继续？");
const QString kRefreshQuestion =
    QStringLiteral("录入或修改尚未保存，刷新显示将丢失录入或修改的内容。\r\n\r\n您是否确定要刷新？");
const QString kExitQuestion =
    QStringLiteral("录入或修改尚未保存，退出将丢失录入或修改的内容。\r\n\r\n您是否确定要退出？");

void ExpectQuestion(const MessageRequest& m, const QString& text) {
    EXPECT_EQ(m.text, text);
    EXPECT_EQ(m.title, QStringLiteral("Vorlane提示"));
    EXPECT_EQ(m.icon, MsgIcon::Question);
    EXPECT_EQ(m.buttons, MsgButtons::YesNo);
    EXPECT_EQ(m.defaultButton, MsgAnswer::No);
}

void GoToEditMode(WorkbenchBench& b) {
    b.bar().Click(Tool::ModeEdit());
    b.ui.Clear();
    b.parts->calls.clear();
    b.record->rightsAsked.clear();
}

TEST(ModeSwitch, ClickingTheActiveModeAsksAndChangesNothing) {
    WorkbenchBench b;
    b.state().modified = true;
    b.bar().Click(Tool::ModeNew());
    EXPECT_TRUE(b.ui.messages.isEmpty());
    EXPECT_TRUE(b.parts->calls.isEmpty());
    EXPECT_TRUE(b.bar().Checked(Tool::ModeNew()));

    b.state().modified = false;
    GoToEditMode(b);
    b.state().modified = true;
    b.bar().Click(Tool::ModeEdit());
    EXPECT_TRUE(b.ui.messages.isEmpty());
    EXPECT_TRUE(b.parts->calls.isEmpty());
    EXPECT_TRUE(b.state().editMode);
}

TEST(ModeSwitch, ToEditModeWithUnsavedEntriesAsksAndNoKeepsEverything) {
    WorkbenchBench b;
    b.state().modified = true;
    b.ui.answers = {MsgAnswer::No};
    b.bar().Click(Tool::ModeEdit());
    ASSERT_EQ(b.ui.messages.size(), 1);
    ExpectQuestion(b.ui.messages[0], kModeEditQuestion);
    EXPECT_FALSE(b.state().editMode);
    EXPECT_TRUE(b.bar().Checked(Tool::ModeNew()));
    EXPECT_FALSE(b.bar().Checked(Tool::ModeEdit()));
    EXPECT_TRUE(b.parts->calls.isEmpty());
    EXPECT_TRUE(b.state().modified);
}

TEST(ModeSwitch, ToEditModeYesLoadsWithRecordFilterThenChecksTheRight) {
    WorkbenchBench b;
    b.state().modified = true;
    b.ui.answers = {MsgAnswer::Yes};
    b.bar().SetChecked(Tool::CtlChk(), true);
    b.bar().Click(Tool::ModeEdit());
    EXPECT_TRUE(b.state().editMode);
    EXPECT_TRUE(b.bar().Checked(Tool::ModeEdit()));
    EXPECT_FALSE(b.bar().Checked(Tool::ModeNew()));
    EXPECT_TRUE(b.bar().Checked(Tool::CtlChk())) << "check results stay";
    EXPECT_EQ(b.parts->calls, QStringList{QStringLiteral("LoadReportHistory(1)")});
    EXPECT_EQ(b.record->rightsAsked, QVector<qint32>{0x400000});
    EXPECT_EQ(b.ui.messages.size(), 1) << "the question only; the right is granted";
}

TEST(ModeSwitch, DeniedRightsAreReportedAfterTheSwitchWhichStays) {
    WorkbenchBench b;
    b.record->deniedRights = {0x400000, 0x20000};
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
    EXPECT_TRUE(b.bar().Checked(Tool::ModeNew()));
}

TEST(ModeSwitch, ToNewModeAsksAndDropsCheckResultsWithoutLoadingHistory) {
    WorkbenchBench b;
    GoToEditMode(b);
    b.bar().SetChecked(Tool::CtlChk(), true);
    b.state().modified = true;

    b.ui.answers = {MsgAnswer::No};
    b.bar().Click(Tool::ModeNew());
    ExpectQuestion(b.ui.messages.at(0), kModeNewQuestion);
    EXPECT_TRUE(b.state().editMode);
    EXPECT_TRUE(b.bar().Checked(Tool::CtlChk()));
    EXPECT_TRUE(b.parts->calls.isEmpty());

    bool editModeDuringReload = true;
    b.parts->onRefreshWorkBillList = [&] { editModeDuringReload = b.state().editMode; };
    b.ui.answers = {MsgAnswer::Yes};
    b.bar().Click(Tool::ModeNew());
    EXPECT_FALSE(b.state().editMode);
    EXPECT_FALSE(b.bar().Checked(Tool::CtlChk()));
    EXPECT_FALSE(b.bar().Checked(Tool::ModeEdit()));
    EXPECT_EQ(b.parts->calls,
              (QStringList{QStringLiteral("RefreshWorkBillList"), QStringLiteral("LoadReportHistory(0)")}));
    EXPECT_FALSE(editModeDuringReload) << "the reload hands rows over as new mode does";
    EXPECT_EQ(b.record->rightsAsked, QVector<qint32>{0x20000});
}

TEST(ModeSwitch, ToNewModeWithoutCheckResultsKeepsTheList) {
    WorkbenchBench b;
    GoToEditMode(b);
    b.bar().Click(Tool::ModeNew());
    EXPECT_EQ(b.parts->calls, QStringList{QStringLiteral("LoadReportHistory(0)")});
}

TEST(Dispatcher, NamesCompareWithoutCaseAndUnknownNamesDoNothing) {
    WorkbenchBench b;
    b.form->Dispatch(QStringLiteral("BTNMODEEDIT"));
    EXPECT_TRUE(b.state().editMode);
    b.parts->calls.clear();
    b.form->Dispatch(QStringLiteral("btnNoSuchTool"));
    b.form->Dispatch(QStringLiteral("btnListWC"));
    b.form->Dispatch(QStringLiteral("btnFileSave"));
    EXPECT_TRUE(b.parts->calls.isEmpty());
    EXPECT_TRUE(b.ui.messages.size() == 0);
}

TEST(Dispatcher, InspectionSheetToolsOnlySayTheyAreNotReady) {
    WorkbenchBench b;
    EXPECT_FALSE(b.bar().Enabled(Tool::CtlCreate()));
    EXPECT_FALSE(b.bar().Enabled(Tool::CtlDel()));
    b.form->Dispatch(Tool::CtlCreate());
    b.form->Dispatch(QStringLiteral("btnctldel"));
    EXPECT_EQ(b.ui.MessageTexts(), (QStringList{QStringLiteral("正在调试之中！"), QStringLiteral("正在调试之中！")}));
    EXPECT_EQ(b.ui.messages[0].icon, MsgIcon::Information);
}

TEST(Dispatcher, CheckedCheckButtonIsOnlyUnchecked) {
    WorkbenchBench b;
    b.bar().SetChecked(Tool::CtlChk(), true);
    b.bar().Click(Tool::CtlChk());
    EXPECT_FALSE(b.bar().Checked(Tool::CtlChk()));
    EXPECT_TRUE(b.parts->calls.isEmpty());
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
    EXPECT_TRUE(b.state().modified);
    EXPECT_EQ(b.ui.MessageTexts(), QStringList{kRefreshQuestion}) << "the refresh saw the typed change";
    EXPECT_TRUE(b.parts->calls.isEmpty());
}

TEST(ArrangementTools, AreARadioPairStartingByProductionTask) {
    WorkbenchBench b;
    EXPECT_TRUE(b.bar().Checked(Tool::ListTask()));
    EXPECT_FALSE(b.bar().Checked(Tool::ListWC()));
    b.bar().Click(Tool::ListWC());
    EXPECT_TRUE(b.bar().Checked(Tool::ListWC()));
    EXPECT_FALSE(b.bar().Checked(Tool::ListTask()));
    EXPECT_TRUE(b.parts->calls.isEmpty());
}

// --- Filter

DictionaryPtr Bounds(bool ok) {
    auto d = NewDictionary();
    d->Set(QStringLiteral("OK"), ok);
    d->Set(QStringLiteral("BDept"), QStringLiteral("01"));
    return d;
}

TEST(FilterCommand, ConfirmedDialogReplacesTheFilterAndReloadsTheList) {
    WorkbenchBench b;
    auto original = NewDictionary();
    b.form->SetDicFilter(original);
    DictionaryPtr handed;
    qint32 rptId = 0;
    b.ui.dialogHandlers[QStringLiteral("frmWageFilter")] = [&](DialogModel& m) {
        auto& dialog = dynamic_cast<FakeFilterDialog&>(m);
        rptId = dialog.rptId_;
        dialog.result = handed = Bounds(true);
    };
    b.bar().Click(Tool::Filter());
    EXPECT_EQ(rptId, 600);
    EXPECT_EQ(b.form->dicFilter(), handed) << "the dialog's own object";
    EXPECT_EQ(b.parts->calls, QStringList{QStringLiteral("RefreshWorkBillList")});
}

TEST(FilterCommand, CancelledDialogStillHandsOverItsBoundsButDoesNotReload) {
    WorkbenchBench b;
    b.form->SetDicFilter(NewDictionary());
    DictionaryPtr handed;
    b.ui.dialogHandlers[QStringLiteral("frmWageFilter")] = [&](DialogModel& m) {
        dynamic_cast<FakeFilterDialog&>(m).result = handed = Bounds(false);
    };
    b.bar().Click(Tool::Filter());
    EXPECT_EQ(b.ui.dialogsShown, QStringList{QStringLiteral("frmWageFilter")});
    EXPECT_EQ(b.form->dicFilter(), handed);
    EXPECT_TRUE(b.parts->calls.isEmpty());
}

TEST(FilterCommand, DialogWithoutResultKeepsTheFilterInForce) {
    WorkbenchBench b;
    auto original = NewDictionary();
    b.form->SetDicFilter(original);
    b.bar().Click(Tool::Filter());
    EXPECT_EQ(b.form->dicFilter(), original);
    EXPECT_TRUE(b.parts->calls.isEmpty());
}

TEST(FilterCommand, UnsavedEditsOfTheLoadedWorkBillAreAskedAboutOnce) {
    WorkbenchBench b;
    GoToEditMode(b);
    b.state().modified = true;
    b.ui.dialogHandlers[QStringLiteral("frmWageFilter")] = [&](DialogModel& m) {
        dynamic_cast<FakeFilterDialog&>(m).result = Bounds(true);
    };
    const QString leave = QStringLiteral("修改尚未保存，切换工序计划单将丢失所做的修改。\r\n\r\n您是否要继续？");

    b.ui.answers = {MsgAnswer::No};
    b.bar().Click(Tool::Filter());
    ASSERT_EQ(b.ui.messages.size(), 1);
    ExpectQuestion(b.ui.messages[0], leave);
    EXPECT_TRUE(b.parts->calls.isEmpty()) << "No keeps the list and the grid";

    // The list's row changes ask the same hook during the reload: no second question.
    b.ui.Clear();
    bool rowChangeMayLeave = false;
    b.parts->onRefreshWorkBillList = [&] { rowChangeMayLeave = b.state().confirmLeaveWorkBill(); };
    b.ui.answers = {MsgAnswer::Yes};
    b.bar().Click(Tool::Filter());
    EXPECT_EQ(b.ui.messages.size(), 1);
    EXPECT_TRUE(rowChangeMayLeave);
    EXPECT_EQ(b.parts->calls, QStringList{QStringLiteral("RefreshWorkBillList")});
}

TEST(LeavingAWorkBill, AsksOnlyInEditModeWithUnsavedChanges) {
    WorkbenchBench b;
    b.state().modified = true;
    EXPECT_TRUE(b.state().confirmLeaveWorkBill()) << "new rows are kept when the list moves";
    b.state().editMode = true;
    b.state().modified = false;
    EXPECT_TRUE(b.state().confirmLeaveWorkBill());
    EXPECT_TRUE(b.ui.messages.isEmpty());
    b.state().modified = true;
    b.ui.answers = {MsgAnswer::No, MsgAnswer::Yes};
    EXPECT_FALSE(b.state().confirmLeaveWorkBill());
    EXPECT_TRUE(b.state().confirmLeaveWorkBill());
}

// --- Refresh, exit, close box

TEST(RefreshCommand, ReloadsWithoutFilterAndAsksOnlyWithUnsavedChanges) {
    WorkbenchBench b;
    b.form->Dispatch(Tool::Refresh());
    EXPECT_TRUE(b.ui.messages.isEmpty());
    EXPECT_EQ(b.parts->calls, QStringList{QStringLiteral("LoadReportHistory(0)")});

    b.parts->calls.clear();
    b.state().modified = true;
    b.ui.answers = {MsgAnswer::No, MsgAnswer::Yes};
    b.form->Dispatch(Tool::Refresh());
    ExpectQuestion(b.ui.messages.at(0), kRefreshQuestion);
    EXPECT_TRUE(b.parts->calls.isEmpty());
    b.form->Dispatch(Tool::Refresh());
    EXPECT_EQ(b.parts->calls, QStringList{QStringLiteral("LoadReportHistory(0)")});
}

TEST(ExitCommand, NoKeepsTheWindowYesUnloadsAndCloses) {
    WorkbenchBench b;
    b.form->SetListStyle(0);
    int closes = 0;
    QObject::connect(b.form.get(), &frmProc::closeRequested, [&] { ++closes; });
    b.state().modified = true;
    b.ui.answers = {MsgAnswer::No};
    b.form->Dispatch(Tool::FileExit());
    ExpectQuestion(b.ui.messages.at(0), kExitQuestion);
    EXPECT_TRUE(b.form->IsLoaded());
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(b.state().modified);

    b.ui.answers = {MsgAnswer::Yes};
    b.form->Dispatch(Tool::FileExit());
    EXPECT_FALSE(b.form->IsLoaded());
    EXPECT_EQ(closes, 1);
}

TEST(ExitCommand, WithoutChangesClosesWithoutAsking) {
    WorkbenchBench b;
    b.form->SetListStyle(0);
    b.ui.Clear();
    b.form->Dispatch(Tool::FileExit());
    EXPECT_TRUE(b.ui.messages.isEmpty());
    EXPECT_FALSE(b.form->IsLoaded());
}

TEST(CloseBox, AsksTheExitQuestionOnlyWithUnsavedChanges) {
    WorkbenchBench b;
    b.form->SetListStyle(0);
    b.ui.Clear();
    EXPECT_TRUE(b.form->QueryClose());
    EXPECT_TRUE(b.ui.messages.isEmpty());
    b.state().modified = true;
    b.ui.answers = {MsgAnswer::No, MsgAnswer::Yes};
    EXPECT_FALSE(b.form->QueryClose());
    ExpectQuestion(b.ui.messages.at(0), kExitQuestion);
    EXPECT_TRUE(b.form->QueryClose());
}

TEST(HelpCommand, OpensTheGuideBesideTheComponent) {
    WorkbenchBench b(QStringLiteral("/opt/erp/shopproc/"));
    b.form->SetListStyle(0);
    EXPECT_EQ(b.form->HelpFile(), QStringLiteral("/opt/erp/shopproc/Q8ShopFloor.CHM"));
    b.form->Dispatch(Tool::FileHelp());
    EXPECT_EQ(b.ui.documentsOpened, QStringList{QStringLiteral("/opt/erp/shopproc/Q8ShopFloor.html")});

    WorkbenchBench noSlash(QStringLiteral("/opt/erp/shopproc"));
    noSlash.form->SetListStyle(0);
    EXPECT_EQ(noSlash.form->HelpFile(), QStringLiteral("/opt/erp/shopproc/Q8ShopFloor.CHM"));
}

}  // namespace
}  // namespace sp::testing

namespace sp::testing {
namespace {

TEST(OpenWorkBillForEdit, SwitchesToEditModeOnTheWorkBillAndLocatesIt) {
    WorkbenchBench b;
    QString numberWhileLoading;
    b.parts->onLoadReportHistory = [&](int) { numberWhileLoading = b.state().currentWorkBillNo; };
    b.form->OpenWorkBillForEdit(11);
    EXPECT_TRUE(b.state().editMode);
    EXPECT_EQ(numberWhileLoading, QStringLiteral("WB11"));
    EXPECT_EQ(b.parts->calls,
              (QStringList{QStringLiteral("LoadReportHistory(1)"), QStringLiteral("LocateWorkBill(WB11)")}));
}

TEST(OpenWorkBillForEdit, InEditModeUnsavedChangesAreAskedAboutFirst) {
    WorkbenchBench b;
    b.bar().Click(Tool::ModeEdit());
    b.state().currentWorkBillNo = QStringLiteral("WB1");
    b.state().modified = true;
    b.parts->calls.clear();
    b.ui.Clear();
    b.ui.answers = {MsgAnswer::No};
    b.form->OpenWorkBillForEdit(12);
    EXPECT_EQ(b.ui.messages.size(), 1);
    EXPECT_EQ(b.state().currentWorkBillNo, QStringLiteral("WB1"));
    EXPECT_TRUE(b.parts->calls.isEmpty());
}

}  // namespace
}  // namespace sp::testing
