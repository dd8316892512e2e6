#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "tests/filters/FilterFakes.h"
#include "src/filters/FilterBounds.h"
#include "src/filters/frmWageFilter.h"
#include "src/navigation/frmList.h"
#include "platform/middletier/MiddleTierRegistration.h"

using namespace sp;
using namespace sp::test;

namespace {

const QString kSection = u"Q8SHProcRpt600"_s;
const QString kDefault = u"默认方案"_s;

class WageFilter : public ::testing::Test {
  protected:
    FilterHarness h;

    std::unique_ptr<frmWageFilter> Open() {
        auto dlg = std::make_unique<frmWageFilter>(*h.host);
        dlg->SetRptID(600);
        dlg->Form_Load();
        return dlg;
    }
    // Runs the dialog the way the entry does, with the user's actions in between.
    DictionaryPtr Run(std::function<void(frmWageFilter&)> user) {
        h.ui.dialogHandlers[u"frmWageFilter"_s] = [user](DialogModel& m) {
            user(dynamic_cast<frmWageFilter&>(m));
        };
        frmWageFilter dlg(*h.host);
        dlg.SetRptID(600);
        dlg.ShowModal();
        return dlg.Result();
    }
    // The lookups asked since the last call, as "<class> '<search>' '<filter>'".
    QStringList Calls() { return std::exchange(h.lookups->calls, {}); }
    void MakeLocalFile(const QString& subfolder) {
        QDir(h.folder.path()).mkpath(subfolder);
        platform::InstallLocalSwitchFile(QDir(h.folder.path()).filePath(subfolder));
    }
    static QStringList Keys(const frmWageFilter& f) {
        QStringList keys;
        for (int i = 0; i < f.lvwProject().Count(); ++i) keys << f.lvwProject().At(i).key;
        return keys;
    }
    void PickListRow(int row) {
        h.ui.dialogHandlers[u"frmList"_s] = [row](DialogModel& m) {
            auto& form = dynamic_cast<frmList&>(m);
            form.SetCurrentRow(row);
            form.Confirm();
        };
    }
};

TEST_F(WageFilter, EveryCloseWritesTheBoundsButOnlyConfirmingHandsThemOver) {
    const std::tuple<const char*, std::function<void(frmWageFilter&)>, bool> cases[] = {
        {"confirmed", [](frmWageFilter& f) { f.cmdOK_Click(); }, true},
        {"cancelled", [](frmWageFilter& f) { f.cmdCancel_Click(); }, false},
        {"window closed", [](frmWageFilter& f) { f.QueryClose(); }, false},
        {"dialog left without a button", [](frmWageFilter&) {}, false}};
    for (const auto& [name, close, ok] : cases) {
        SCOPED_TRACE(name);
        h.settings->sections = {{u"Q8SHProcRpt601"_s, {{u"BDept"_s, u"another report's"_s}}}};
        DictionaryPtr result = Run([&](frmWageFilter& f) {
            f.UserEdit(2, u" WC-1"_s);
            f.UserEdit(7, u"WB 9 "_s);
            f.SetGroupByIndex(1);
            close(f);
        });
        EXPECT_EQ(result->Item(u"OK"_s).toBool(), ok);
        // Confirmed: all fourteen bounds exactly as typed, the empty ones too, and nothing else.
        for (int i = 0; ok && i < kFilterBoxCount; ++i)
            EXPECT_EQ(result->Item(FilterBoundKey(i)), QVariant(i == 2   ? u" WC-1"_s
                                                                : i == 7 ? u"WB 9 "_s
                                                                         : QString()));
        EXPECT_TRUE(!ok || result->Count() == 15) << "GroupBy is not handed over";

        EXPECT_EQ(h.settings->file, QDir(h.folder.path()).filePath(u"Q8SHProcRpt.ini"_s));
        const auto section = h.settings->sections.value(kSection);
        EXPECT_EQ(section.size(), 15);
        EXPECT_EQ(section.value(u"BWC"_s), u" WC-1"_s);
        EXPECT_EQ(section.value(u"GroupBy"_s), u"1"_s);
        auto again = Open();
        EXPECT_EQ(again->txtItem(2), u" WC-1"_s);
        EXPECT_EQ(again->txtItem(7), u"WB 9 "_s);
        EXPECT_EQ(again->txtItem(0), QString());
        EXPECT_EQ(again->GroupByIndex(), 2) << "GroupBy is written, never read back";
    }
}

TEST_F(WageFilter, AnUnusableSettingsFileGivesEmptyBoxesAndNeverFails) {
    h.settings->sections[kSection][u"BDept"_s] = u"01"_s;
    h.settings->failReads = h.settings->failWrites = true;
    DictionaryPtr result;
    EXPECT_NO_THROW(result = Run([](frmWageFilter& f) {
                        EXPECT_EQ(f.txtItem(0), QString());
                        f.UserEdit(1, u"02"_s);
                        f.cmdOK_Click();
                    }));
    EXPECT_EQ(result->Item(u"EDept"_s).toString(), u"02"_s);

    h.registry.Unregister(ProgId::SettingsFile());
    EXPECT_NO_THROW(result = Run([](frmWageFilter& f) { f.cmdOK_Click(); })) << "no settings component";
    EXPECT_TRUE(result->Item(u"OK"_s).toBool());
}

TEST_F(WageFilter, RefusedCharactersNeverReachABox) {
    auto f = Open();
    using K = frmWageFilter::KeyAction;
    const std::tuple<int, QString, K> keys[] = {
        {Qt::Key_Apostrophe, u"'"_s, K::Swallow}, {Qt::Key_Bar, u"|"_s, K::Swallow},
        {Qt::Key_NumberSign, u"#"_s, K::Swallow}, {Qt::Key_A, u"a"_s, K::Pass},
        {Qt::Key_Space, u" "_s, K::Pass},         {Qt::Key_Return, u"\r"_s, K::NextField},
        {Qt::Key_Enter, u"\r"_s, K::NextField},
    };
    for (const auto& [key, text, expected] : keys)
        EXPECT_EQ(f->txtItem_KeyDown(3, key, text), expected) << key;

    // Pasted or dropped text: the refused characters are stripped, the rest kept.
    EXPECT_EQ(f->UserEdit(3, u"A'01|B#2"_s), u"A01B2"_s);
    EXPECT_EQ(f->UserEdit(4, u"x\ny"_s), u"xy"_s);
    EXPECT_EQ(f->txtItem(3), u"A01B2"_s);
    // A hand-edited settings file cannot smuggle them in either.
    h.settings->sections[kSection][u"BWorker"_s] = u"1' OR '1'='1"_s;
    EXPECT_EQ(Open()->txtItem(10), u"1 OR 1=1"_s);
}

TEST_F(WageFilter, ItemLookupsWriteTheShortNumberOfADetailEntryOnly) {
    // Departments (of one property) and employees search from the box; work centers do not.
    for (int index : {0, 1, 2, 3, 10, 11}) {
        const QString asked = index < 2   ? u"2 'before' 'FDProperty = 1070'"_s
                              : index < 4 ? u"14 '' ''"_s
                                          : u"3 'before' ''"_s;
        auto f = Open();
        f->UserEdit(index, u"before"_s);
        h.lookups->results = {Chosen(u"01.02"_s, u"02"_s)};
        f->cmdItem_Click(index);
        EXPECT_EQ(Calls(), QStringList{asked}) << index;
        EXPECT_EQ(f->txtItem(index), u"02"_s) << index;
    }

    // Group-level, Null-detail, not confirmed and cancelled choices leave the box.
    auto notOk = Chosen(u"01"_s, u"01"_s);
    notOk->ReturnOK = false;
    for (const LookupResultPtr& r :
         {Chosen(u"01"_s, u"01"_s, false), Chosen(u"01"_s, u"01"_s, QVariant()), notOk, LookupResultPtr()}) {
        auto f = Open();
        f->UserEdit(0, u"kept"_s);
        h.lookups->results = {r};
        f->cmdItem_Click(0);
        EXPECT_EQ(f->txtItem(0), u"kept"_s);
    }
}

TEST_F(WageFilter, TeamAndProcessLookupsWriteTheEntryNumberAlsoFromF7AndF8) {
    auto f = Open();
    // Auxiliary entries are taken whatever their level.
    h.lookups->results = {Chosen(u"T7"_s, QString(), false), Chosen(u"P3"_s, QString())};
    f->cmdItem_Click(9);
    f->cmdItem_Click(12);
    EXPECT_EQ(Calls(), (QStringList{u"62 '' ''"_s, u"61 '' ''"_s}));
    EXPECT_EQ(f->txtItem(9), u"T7"_s);
    EXPECT_EQ(f->txtItem(12), u"P3"_s);
    f->UserEdit(13, u"kept"_s);
    f->cmdItem_Click(13);  // nothing scripted: cancelled
    EXPECT_EQ(f->txtItem(13), u"kept"_s);

    h.lookups->results = {Chosen(u"E1"_s, u"E1s"_s), Chosen(u"T1"_s, QString())};
    EXPECT_EQ(f->txtItem_KeyDown(10, Qt::Key_F7, QString()), frmWageFilter::KeyAction::Swallow);
    EXPECT_EQ(f->cmdItem_KeyDown(8, Qt::Key_F8), frmWageFilter::KeyAction::Swallow);
    EXPECT_EQ(f->txtItem(10), u"E1s"_s);
    EXPECT_EQ(f->txtItem(8), u"T1"_s);
    EXPECT_EQ(f->cmdItem_KeyDown(8, Qt::Key_F9), frmWageFilter::KeyAction::Pass);
}

TEST_F(WageFilter, AFailingLookupIsShownByTheErrorDisplayAndLeavesTheBox) {
    auto f = Open();
    h.lookups->fail = true;
    for (int index : {0, 3, 8, 11, 12}) {
        f->UserEdit(index, u"kept"_s);
        f->cmdItem_Click(index);
        EXPECT_EQ(f->txtItem(index), u"kept"_s);
    }
    EXPECT_EQ(h.lookups->handledErrors, QStringList(5, u"lookup down"_s));
    EXPECT_TRUE(h.ui.messages.isEmpty());
}

TEST_F(WageFilter, ListLookupWithoutAUsableLocalFileShowsNoList) {
    auto f = Open();
    f->UserEdit(5, u"MO-1"_s);
    f->cmdItem_Click(5);
    EXPECT_EQ(f->txtItem(5), u"MO-1"_s);
    EXPECT_TRUE(h.ui.messages.isEmpty()) << "no local file: the lookup ends quietly";

    const QString path = h.folder.filePath(u"ErpSwitch.sss"_s);
    QFile garbage(path);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    f = Open();
    f->UserEdit(6, u"WB-1"_s);
    f->cmdItem_Click(6);
    EXPECT_EQ(f->txtItem(6), u"WB-1"_s);
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_EQ(h.ui.messages[0].text, u"由于你的ODBC有误，系统不能与文件:'"_s + path + u"'建立连接。"_s);
    EXPECT_EQ(h.ui.messages[0].title, u"Vorlane提示"_s);
    EXPECT_EQ(h.ui.messages[0].buttons, MsgButtons::Ok);
    EXPECT_TRUE(h.ui.dialogsShown.isEmpty());
}

TEST_F(WageFilter, ListLookupsFetchTheNumberOfThePickedRow) {
    MakeLocalFile(u"erpSystem"_s);
    h.lists->rows = {{7, 2, u"X"_s}, {8, 3, u"Y"_s}};
    h.lists->answers[u"Select FBillNo From ICMO Where FInterID=8"_s] = u"MO-8"_s;
    h.lists->answers[u"Select FWorkBillNo From SHWorkBillEntry Where FWBInterID=7 and  FEntryId = 2"_s] =
        u"WB-7"_s;
    PickListRow(1);
    auto f = Open();
    f->cmdItem_Click(4);
    EXPECT_EQ(f->txtItem(4), u"MO-8"_s);
    EXPECT_EQ(h.lists->lastFilter,
              u"(v1.FCanCellation = 0 And v1.FStatus in(1,2)  and v1.FTranType=85 and v1.froutingid>0)"_s);
    EXPECT_EQ(h.lists->lastBaseInfo, u"Provider=SQLite;Data Source=erp.db|12|Li"_s);
    EXPECT_TRUE(h.lists->lastLocalCnn.startsWith(u"Provider=SQLite;Data Source="_s));
    EXPECT_TRUE(h.lists->lastLocalCnn.endsWith(u"erpSystem/ErpSwitch.sss;"_s));

    PickListRow(0);
    f->cmdItem_Click(7);
    EXPECT_EQ(f->txtItem(7), u"WB-7"_s);
    EXPECT_EQ(h.lists->lastFilter, u"(v1.FCanCellation = 0 And v1.FStatus > 0)"_s);

    // A picked row without a bill, and a cancelled list, leave the box.
    f->cmdItem_Click(5);
    EXPECT_EQ(f->txtItem(5), QString());
    h.ui.dialogHandlers[u"frmList"_s] = [](DialogModel& m) { dynamic_cast<frmList&>(m).Cancel(); };
    f->cmdItem_Click(4);
    EXPECT_EQ(f->txtItem(4), u"MO-8"_s);
    EXPECT_TRUE(h.ui.messages.isEmpty());
}

TEST_F(WageFilter, ListLookupOpensAReadOnlyLocalFileAndLeavesItReadOnly) {
    MakeLocalFile(u"."_s);
    const QString path = h.folder.filePath(u"ErpSwitch.sss"_s);
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup;
    QFile::setPermissions(path, readOnly);
    EXPECT_EQ(Open()->ListLookup().LocalCnnString(), u"Provider=SQLite;Data Source="_s + path + u';');
    EXPECT_EQ(QFile::permissions(path) & (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup),
              readOnly);
}

// ---- plans ------------------------------------------------------------------------

TEST_F(WageFilter, TheDefaultPlanIsListedFirstAndOnceAndKeepsTheLastBounds) {
    const std::pair<QStringList, QStringList> cases[] = {
        {{}, {kDefault}},
        {{kDefault}, {kDefault}},
        {{u"A"_s, kDefault, u"B"_s}, {kDefault, u"PA"_s, u"PB"_s}}};
    h.plans->values[kDefault][u"BDept"_s] = u"plan"_s;
    h.settings->sections[kSection][u"BDept"_s] = u"last"_s;
    for (const auto& [stored, keys] : cases) {
        h.plans->stored = stored;
        auto f = Open();
        EXPECT_EQ(Keys(*f), keys);
        EXPECT_EQ(f->lvwProject().SelectedIndex(), 0);
        EXPECT_EQ(f->txtItem(0), u"last"_s);
    }
    EXPECT_TRUE(h.plans->valueNames.isEmpty()) << "selecting the default plan at load reads nothing";
}

TEST_F(WageFilter, AChosenPlanFillsTheBoxesAndIsOverwrittenOrDeletedByName) {
    // Names go to the store with their quotes doubled; saved entries carry them plain.
    const QString name = u"it's"_s;
    h.plans->stored = {name};
    h.plans->values[name] = {{u"BWC"_s, u"W1"_s}, {u"EItem"_s, u" P9 "_s}};
    auto f = Open();
    f->UserEdit(0, u"typed"_s);
    f->lvwProject_ItemClick(1);
    EXPECT_EQ(h.plans->valueNames, QStringList{u"it''s"_s});
    EXPECT_EQ(f->txtItem(0), QString());
    EXPECT_EQ(f->txtItem(2), u"W1"_s);
    EXPECT_EQ(f->txtItem(13), u" P9 "_s);
    f->UserEdit(0, u"new"_s);
    f->tlbProject_ButtonClick(u"TLBSAVE"_s);
    EXPECT_TRUE(h.ui.inputPrompts.isEmpty()) << "a named plan is overwritten without asking";
    EXPECT_EQ(h.plans->savedNames, QStringList{name});
    EXPECT_EQ(h.plans->values[name].value(u"BDept"_s), u"new"_s);
    EXPECT_EQ(f->PlanEntries()->Item(1)->Item(u"Plan"_s).toString(), name);

    // Typing the default plan's name stores the default plan; no extra item appears.
    f->lvwProject_ItemClick(0);
    h.ui.inputs = {kDefault};
    f->tlbProject_ButtonClick(u"TLBSAVE"_s);
    EXPECT_EQ(h.plans->savedNames.last(), kDefault);
    EXPECT_EQ(Keys(*f), (QStringList{kDefault, u"P"_s + name}));
    f->lvwProject_ItemClick(1);
    f->tlbProject_ButtonClick(u"TLBDEL"_s);
    EXPECT_EQ(h.plans->deletedNames, QStringList{u"it''s"_s});
}

TEST_F(WageFilter, SavingTheDefaultPlanAsksForANameFirst) {
    const std::tuple<const char*, std::optional<QString>, bool> cases[] = {
        {"cancelled", std::nullopt, false},
        {"empty answer", QString(), false},
        {"blanks only", u"   "_s, false},
        {"quoted", u"O'Brien's"_s, true},
        {"200 characters", QString(200, u'x'), true}};
    for (const auto& [what, answer, saved] : cases) {
        SCOPED_TRACE(what);
        h.plans->stored.clear();
        h.plans->savedNames.clear();
        auto f = Open();
        f->UserEdit(4, u"MO-1"_s);
        h.ui.inputs = {answer};
        h.ui.inputPrompts.clear();
        f->tlbProject_ButtonClick(u"tlbSave"_s);
        EXPECT_EQ(h.ui.inputPrompts, QStringList{u"请输入方案名："_s});
        if (!saved) {
            EXPECT_TRUE(h.plans->savedNames.isEmpty());
            EXPECT_EQ(Keys(*f), QStringList{kDefault});
            continue;
        }
        // The name reaches the store as typed; the new plan is listed and selected.
        EXPECT_EQ(h.plans->savedNames, QStringList{*answer});
        EXPECT_EQ(h.plans->values[*answer].value(u"BICMO"_s), u"MO-1"_s);
        EXPECT_EQ(h.plans->values[*answer].size(), kFilterBoxCount);
        ASSERT_NE(f->lvwProject().SelectedItem(), nullptr);
        EXPECT_EQ(f->lvwProject().SelectedItem()->key, u"P"_s + *answer);
        EXPECT_EQ(f->PlanEntries()->Item(1)->Item(u"RptID"_s).toInt(), 600);
    }
}

TEST_F(WageFilter, DeletingLoadsTheDefaultPlanOrTheLastBounds) {
    h.settings->sections[kSection][u"EDept"_s] = u"last"_s;
    for (bool storeAnswersNothing : {false, true}) {
        SCOPED_TRACE(storeAnswersNothing);
        h.plans->stored = {kDefault, u"A"_s};
        h.plans->values[kDefault] = {{u"BDept"_s, u"default"_s}};
        h.plans->values[u"A"_s] = {{u"BDept"_s, u"a"_s}};
        h.plans->nothingForValues = false;
        auto f = Open();
        f->lvwProject_ItemClick(1);
        EXPECT_EQ(f->txtItem(0), u"a"_s);
        h.plans->nothingForValues = storeAnswersNothing;
        f->tlbProject_ButtonClick(u"TLBDEL"_s);
        EXPECT_EQ(Keys(*f), QStringList{kDefault});
        EXPECT_EQ(f->lvwProject().SelectedIndex(), 0);
        EXPECT_EQ(f->txtItem(0), storeAnswersNothing ? QString() : u"default"_s);
        EXPECT_EQ(f->txtItem(1), storeAnswersNothing ? u"last"_s : QString());
        EXPECT_FALSE(f->Result()->Item(u"OK"_s).toBool());
    }
    // Deleting the default plan removes what is stored but keeps its item.
    h.plans->nothingForValues = false;
    h.plans->stored = {kDefault};
    auto f = Open();
    f->tlbProject_ButtonClick(u"tlbdel"_s);
    EXPECT_EQ(h.plans->deletedNames.last(), kDefault);
    EXPECT_EQ(Keys(*f), QStringList{kDefault});
}

TEST_F(WageFilter, AFailingPlanStoreLeavesTheBoxesAndTellsWhy) {
    h.plans->failSave = true;
    h.plans->stored = {u"A"_s};
    auto f = Open();
    f->lvwProject_ItemClick(1);
    f->UserEdit(0, u"mine"_s);
    f->tlbProject_ButtonClick(u"TLBSAVE"_s);
    EXPECT_EQ(f->txtItem(0), u"mine"_s);
    EXPECT_EQ(h.ui.MessageTexts(), QStringList{u"store down"_s});
    h.registry.Unregister(ProgId::PlanProfile());
    EXPECT_EQ(Keys(*Open()), QStringList{kDefault}) << "no plan store still offers the default plan";
}

TEST_F(WageFilter, ClearAndViewCommands) {
    auto f = Open();
    for (int i = 0; i < kFilterBoxCount; ++i) f->UserEdit(i, u"v"_s);
    f->SetGroupByIndex(0);
    f->tlbProject_ButtonClick(u"TlbClear"_s);
    for (int i = 0; i < kFilterBoxCount; ++i) EXPECT_EQ(f->txtItem(i), QString());
    EXPECT_EQ(f->GroupByIndex(), 2);

    QVector<int> views;  // each press shows the next of the four views
    for (int press = 0; press < 4; ++press, views << f->lvwProject().View())
        f->tlbProject_ButtonClick(u"TLBVIEW"_s);
    EXPECT_EQ(views, (QVector<int>{1, 2, 3, 0}));
    f->tlbProject_ButtonMenuClick(4);
    EXPECT_EQ(f->lvwProject().View(), 3);
    EXPECT_EQ(f->ViewButtonTag(), 3);
    f->tlbProject_ButtonClick(u"TLBVIEW"_s);
    EXPECT_EQ(f->lvwProject().View(), 0);
}

}  // namespace
