#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "src/filters/FilterBounds.h"
#include "src/filters/frmWageFilter.h"
#include "src/navigation/frmList.h"
#include "tests/support/FakeHost.h"

namespace sp::test {
namespace {

const QString kSection = u"Q8SHProcRpt600"_s;
const QString kDefault = u"默认方案"_s;

// A confirmed entry whose short number is `shortNumber`.
LookupResultPtr Chosen(const QString& number, const QString& shortNumber, const QVariant& detail = true) {
    return Pick(number, u"name of "_s + number, 0, {{u"FShortNumber"_s, shortNumber}}, detail);
}

// The filter dialog over the fake host; the program folder is a fresh temporary folder.
class WageFilter : public ::testing::Test {
  protected:
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
    // The lookups asked since the last call.
    QStringList Lookups() {
        QStringList asked = fake.Calls(u"ItemLookUp"_s) + fake.Calls(u"SubMesLookup"_s);
        fake.calls.clear();
        return asked;
    }
    static QStringList Keys(const frmWageFilter& f) {
        QStringList keys;
        for (int i = 0; i < f.lvwProject().Count(); ++i) keys << f.lvwProject().At(i).key;
        return keys;
    }
    QTemporaryDir folder;
    HostHarness h{HostSetup::InFolder(folder.path())};
    FakeHost& fake = *h.fake;
};

TEST_F(WageFilter, EveryCloseWritesTheBoundsButOnlyConfirmingHandsThemOver) {
    const std::tuple<const char*, std::function<void(frmWageFilter&)>, bool> cases[] = {
        {"confirmed", [](frmWageFilter& f) { f.cmdOK_Click(); }, true},
        {"cancelled", [](frmWageFilter& f) { f.cmdCancel_Click(); }, false},
        {"window closed", [](frmWageFilter& f) { f.QueryClose(); }, false}};
    for (const auto& [name, close, ok] : cases) {
        SCOPED_TRACE(name);
        fake.ini = {{u"Q8SHProcRpt601"_s, {{u"BDept"_s, u"another report's"_s}}}};
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

        EXPECT_EQ(fake.settingsPath, QDir(folder.path()).filePath(u"Q8SHProcRpt.ini"_s));
        const auto section = fake.ini.value(kSection);
        EXPECT_EQ(std::tuple(section.size(), section.value(u"BWC"_s), section.value(u"GroupBy"_s)),
                  std::tuple(15, u" WC-1"_s, u"1"_s));
        EXPECT_EQ(Open()->GroupByIndex(), 2) << "GroupBy is written, never read back";
    }
}

// A settings component that fails, and then none at all: the boxes start empty and the
// dialog works all the same.
TEST_F(WageFilter, AnUnusableSettingsFileGivesEmptyBoxesAndNeverFails) {
    fake.ini[kSection][u"BDept"_s] = u"01"_s;
    fake.failing = {u"Read"_s, u"Write"_s};
    for (int round = 0; round < 2; ++round, h.registry.Unregister(ProgId::SettingsFile())) {
        DictionaryPtr result;
        EXPECT_NO_THROW(result = Run([](frmWageFilter& f) {
                            EXPECT_EQ(f.txtItem(0), QString());
                            f.UserEdit(1, u"02"_s);
                            f.cmdOK_Click();
                        }));
        EXPECT_EQ(result->Item(u"EDept"_s).toString(), u"02"_s) << round;
    }
}

// Values the settings file holds but cannot be read are named once when the dialog opens
// and stay in the file unless the clerk changes their box; a file that cannot be written
// is named in the same box.
TEST_F(WageFilter, UnreadableOrUnwritableSettingsAreSaidOnceAndKeptUntilTheClerkChangesThem) {
    const QString unreadable = u"设置文件中有无法读取的内容，已忽略："_s;
    const QString unwritable = u"设置文件无法写入："_s + QDir(folder.path()).filePath(u"Q8SHProcRpt.ini"_s);
    const QStringList garbled{u"BWC"_s, u"Other"_s, u"EItem"_s};
    const QString both = unreadable + u"BWC、EItem"_s;
    const auto none = [](frmWageFilter&) {};
    const auto typeInto = [](frmWageFilter& f) { f.UserEdit(13, u"P1"_s); };
    const auto lookUp = [](frmWageFilter& f) { f.SetTxtItem(2, u"W1"_s); };
    const auto clear = [](frmWageFilter& f) { f.tlbProject_ButtonClick(u"TLBCLEAR"_s); };
    // kept: the keys not written on close
    // clang-format off
    const struct { const char* name; QStringList unreadableKeys; bool writable;
                   std::function<void(frmWageFilter&)> clerk; QString message; QStringList kept; } cases[] = {
        {"all readable", {}, true, none, QString(), {}},
        {"left alone", garbled, true, none, both, {u"BWC"_s, u"EItem"_s}},
        {"one typed into", garbled, true, typeInto, both, {u"BWC"_s}},
        {"one looked up", garbled, true, lookUp, both, {u"EItem"_s}},
        {"all cleared", garbled, true, clear, both, {}}, {"read-only", {}, false, none, unwritable, {}},
        {"both", {u"BDept"_s}, false, none, unreadable + u"BDept\n"_s + unwritable, {}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake.calls.clear();
        h.ui.messages.clear();
        fake.iniUnreadable = {{kSection, c.unreadableKeys}};
        fake.iniWritable = c.writable;
        Run([&](frmWageFilter& f) {
            c.clerk(f);
            f.cmdOK_Click();
        });
        EXPECT_EQ(h.ui.MessageTexts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        QStringList expected;  // a file that cannot be written is not tried
        for (int i = 0; c.writable && i < kFilterBoxCount; ++i)
            if (!c.kept.contains(FilterBoundKey(i)))
                expected << u"Write "_s + kSection + u' ' + FilterBoundKey(i);
        if (c.writable)
            expected << u"Write "_s + kSection + u" GroupBy"_s;
        EXPECT_EQ(fake.Calls(u"Write"_s), expected);
    }
}

// "'", "|" and "#" never reach a box: typed, they are swallowed; pasted, read back from
// the settings file or loaded with a plan, they are stripped with line breaks and other
// control characters, and the rest is kept.
TEST_F(WageFilter, RefusedCharactersNeverReachABox) {
    using K = frmWageFilter::KeyAction;
    const std::tuple<int, QString, K> keys[] = {
        {Qt::Key_Apostrophe, u"'"_s, K::Swallow}, {Qt::Key_Bar, u"|"_s, K::Swallow},
        {Qt::Key_NumberSign, u"#"_s, K::Swallow}, {Qt::Key_A, u"a"_s, K::Pass},
        {Qt::Key_Space, u" "_s, K::Pass},         {Qt::Key_Return, u"\r"_s, K::NextField},
        {Qt::Key_Enter, u"\r"_s, K::NextField},
    };
    const QString hostile = u"1' OR|#\n'1\x01'=\t'1"_s, clean = u"1 OR1=1"_s;
    fake.ini[kSection][u"BWorker"_s] = hostile;
    fake.plans = {u"p"_s};
    fake.planValues[u"p"_s][u"BTeam"_s] = hostile;
    auto f = Open();
    for (const auto& [key, text, expected] : keys)
        EXPECT_EQ(f->txtItem_KeyDown(3, key, text), expected) << key;
    EXPECT_EQ(f->txtItem(10), clean) << "from the settings file";
    EXPECT_EQ(f->UserEdit(3, hostile), clean) << "pasted";
    f->lvwProject_ItemClick(1);
    EXPECT_EQ(f->txtItem(8), clean) << "from a plan";
}

// Item lookups write the short number of a detail entry, auxiliary ones (team 62, process
// 61) the entry's number whatever its level; departments (of one property) and employees
// search from the box. Anything else, a failing lookup too, leaves the box as typed. A click
// on the "..." button looks up, and so do F7 in the box and F8, Enter or Space on the
// button; other keys do not.
TEST_F(WageFilter, LookupsWriteTheChosenEntrysNumber) {
    auto notOk = Chosen(u"01"_s, u"01"_s);
    notOk->ReturnOK = false;
    const QString dept = u"ItemLookUp 2 'typed' 'FDProperty = 1070'"_s, center = u"ItemLookUp 14 '' ''"_s,
                  emp = u"ItemLookUp 3 'typed' ''"_s, team = u"SubMesLookup 62 ''"_s,
                  process = u"SubMesLookup 61 ''"_s;
    const LookupResultPtr detail = Chosen(u"01.02"_s, u"02"_s), t1 = Chosen(u"T1"_s, QString());
    enum Way { Click, InBox, OnButton };
    // the box, how it is asked for, the key, the choice, the lookup asked (none: no lookup), the box's text
    // clang-format off
    const std::tuple<int, Way, int, LookupResultPtr, QString, QString> cases[] = {
        {1, Click, 0, detail, dept, u"02"_s}, {2, Click, 0, detail, center, u"02"_s},
        {11, Click, 0, detail, emp, u"02"_s}, {8, Click, 0, Chosen(u"T7"_s, QString(), false), team, u"T7"_s},
        {12, Click, 0, Chosen(u"P3"_s, QString()), process, u"P3"_s},
        {13, Click, 0, nullptr, process, u"typed"_s},
        {0, Click, 0, Chosen(u"01"_s, u"01"_s, false), dept, u"typed"_s},
        {0, Click, 0, Chosen(u"01"_s, u"01"_s, QVariant()), dept, u"typed"_s},
        {0, Click, 0, notOk, dept, u"typed"_s}, {0, Click, 0, nullptr, dept, u"typed"_s},
        {9, InBox, Qt::Key_F7, t1, team, u"T1"_s}, {9, OnButton, Qt::Key_F8, t1, team, u"T1"_s},
        {9, OnButton, Qt::Key_Return, t1, team, u"T1"_s}, {9, OnButton, Qt::Key_Enter, t1, team, u"T1"_s},
        {9, OnButton, Qt::Key_Space, t1, team, u"T1"_s}, {9, OnButton, Qt::Key_F9, t1, QString(), u"typed"_s},
        {9, OnButton, Qt::Key_A, t1, QString(), u"typed"_s}};
    // clang-format on
    for (const auto& [index, way, key, pick, asked, written] : cases) {
        SCOPED_TRACE(::testing::Message() << index << " " << key);
        auto f = Open();
        f->UserEdit(index, u"typed"_s);
        fake.picks = {pick};
        auto action = frmWageFilter::KeyAction::Swallow;
        if (way == Click)
            f->cmdItem_Click(index);
        else
            action =
                way == InBox ? f->txtItem_KeyDown(index, key, QString()) : f->cmdItem_KeyDown(index, key);
        EXPECT_EQ(action,
                  asked.isEmpty() ? frmWageFilter::KeyAction::Pass : frmWageFilter::KeyAction::Swallow);
        EXPECT_EQ(Lookups(), asked.isEmpty() ? QStringList() : QStringList{asked});
        EXPECT_EQ(f->txtItem(index), written);
    }
    // A lookup that fails is shown by the error display and leaves the box.
    fake.failing = {u"ItemLookUp"_s};
    auto f = Open();
    f->UserEdit(0, u"kept"_s);
    f->cmdItem_Click(0);
    EXPECT_EQ(std::tuple(f->txtItem(0), fake.Calls(u"HandleError"_s), h.ui.messages.isEmpty()),
              std::tuple(u"kept"_s, QStringList{u"HandleError 3001 ItemLookUp failed"_s}, true));
}

// A list lookup needs the local list file: without one it ends quietly; a folder in its
// place, or a file the host cannot open, is said. A picked row without a bill and a
// cancelled list leave the box. (What a pick writes is tested over the real list data.)
TEST_F(WageFilter, ListLookupsWithoutAFileOrABillLeaveTheBox) {
    auto f = Open();
    f->UserEdit(5, u"MO-1"_s);
    f->cmdItem_Click(5);
    EXPECT_TRUE(h.ui.messages.isEmpty());
    const QString folderInPlace = QDir(folder.path()).filePath(u"erpSystem/ErpSwitch.sss"_s);
    ASSERT_TRUE(QDir().mkpath(folderInPlace));
    f->cmdItem_Click(5);
    EXPECT_EQ(h.ui.MessageTexts(),
              QStringList{u"本地列表文件:'"_s + folderInPlace + u"'是一个文件夹，无法打开列表。"_s});
    h.ui.messages.clear();
    const QString path = QDir(folder.path()).filePath(u"ErpSwitch.sss"_s);
    ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly));
    fake.failing = {u"Connect"_s};
    f->cmdItem_Click(5);
    EXPECT_EQ(h.ui.MessageTexts(),
              QStringList{u"由于你的ODBC有误，系统不能与文件:'"_s + path + u"'建立连接。"_s});
    EXPECT_TRUE(h.ui.dialogsShown.isEmpty());

    h.ui.messages.clear();
    fake.failing.clear();
    fake.listRows = {{7, 2, u"X"_s}};  // the statement for its bill finds no row
    h.ui.dialogHandlers[u"frmList"_s] = [](DialogModel& m) {
        dynamic_cast<frmList&>(m).SetCurrentRow(0);
        dynamic_cast<frmList&>(m).Confirm();
    };
    f->cmdItem_Click(5);
    h.ui.dialogHandlers[u"frmList"_s] = [](DialogModel& m) { dynamic_cast<frmList&>(m).Cancel(); };
    f->cmdItem_Click(5);
    EXPECT_EQ(std::tuple(h.ui.dialogsShown.size(), f->txtItem(5), h.ui.messages.isEmpty()),
              std::tuple(2, u"MO-1"_s, true));
}

// ---- plans ------------------------------------------------------------------------

TEST_F(WageFilter, AChosenPlanFillsTheBoxesAndIsOverwrittenOrDeletedByName) {
    // Names go to the store with their quotes doubled; saved entries carry them plain.
    const QString name = u"it's"_s;
    fake.plans = {name};
    fake.planValues[name] = {{u"BWC"_s, u"W1"_s}, {u"EItem"_s, u" P9 "_s}};
    auto f = Open();
    f->UserEdit(0, u"typed"_s);
    f->lvwProject_ItemClick(1);
    EXPECT_EQ(fake.Calls(u"GetPlanValue"_s), QStringList{u"GetPlanValue 600 it''s"_s});
    EXPECT_EQ(std::tuple(f->txtItem(0), f->txtItem(2), f->txtItem(13)),
              std::tuple(QString(), u"W1"_s, u" P9 "_s));
    f->UserEdit(0, u"new"_s);
    f->tlbProject_ButtonClick(u"TLBSAVE"_s);
    EXPECT_TRUE(h.ui.inputPrompts.isEmpty()) << "a named plan is overwritten without asking";
    EXPECT_EQ(fake.Calls(u"SaveProfile"_s), QStringList{u"SaveProfile 600 "_s + name});
    EXPECT_EQ(fake.planValues[name].value(u"BDept"_s), u"new"_s);

    // Typing the default plan's name stores the default plan; no extra item appears.
    f->lvwProject_ItemClick(0);
    h.ui.inputs = {kDefault};
    f->tlbProject_ButtonClick(u"TLBSAVE"_s);
    EXPECT_EQ(fake.Calls(u"SaveProfile"_s).last(), u"SaveProfile 600 "_s + kDefault);
    EXPECT_EQ(Keys(*f), (QStringList{kDefault, u"P"_s + name}));
    f->lvwProject_ItemClick(1);
    f->tlbProject_ButtonClick(u"TLBDEL"_s);
    EXPECT_EQ(fake.Calls(u"DelPlan"_s), QStringList{u"DelPlan 600 it''s"_s});
}

TEST_F(WageFilter, SavingTheDefaultPlanAsksForANameFirst) {
    // Not saved: quietly, or (a name that is no line of text) with the reason.
    enum class Saved { Yes, No, Refused };
    // clang-format off
    const std::tuple<const char*, std::optional<QString>, Saved> cases[] = {{"cancelled", std::nullopt, Saved::No},
        {"blanks only", u"   "_s, Saved::No}, {"quoted", u"O'Brien's"_s, Saved::Yes},
        {"line break", u"a\nb"_s, Saved::Refused}, {"NUL", u"a"_s + QChar(0) + u"b"_s, Saved::Refused}};
    // clang-format on
    for (const auto& [what, answer, saved] : cases) {
        SCOPED_TRACE(what);
        fake.plans.clear();
        fake.calls.clear();
        h.ui.messages.clear();
        auto f = Open();
        f->UserEdit(4, u"MO-1"_s);
        h.ui.inputs = {answer};
        h.ui.inputPrompts.clear();
        f->tlbProject_ButtonClick(u"tlbSave"_s);
        EXPECT_EQ(h.ui.inputPrompts, QStringList{u"请输入方案名："_s});
        EXPECT_EQ(h.ui.MessageTexts(), saved == Saved::Refused
                                           ? QStringList{u"方案名不能包含换行符等控制字符，方案未保存。"_s}
                                           : QStringList());
        if (saved != Saved::Yes) {
            EXPECT_EQ(fake.Count(u"SaveProfile"_s), 0);
            EXPECT_EQ(Keys(*f), QStringList{kDefault});
            continue;
        }
        // The name reaches the store as typed; the new plan is listed and selected.
        EXPECT_EQ(std::tuple(fake.Calls(u"SaveProfile"_s), fake.planValues[*answer].value(u"BICMO"_s),
                             fake.planValues[*answer].size()),
                  std::tuple(QStringList{u"SaveProfile 600 "_s + *answer}, u"MO-1"_s, kFilterBoxCount));
        ASSERT_NE(f->lvwProject().SelectedItem(), nullptr);
        EXPECT_EQ(f->lvwProject().SelectedItem()->key, u"P"_s + *answer);
    }
}

// The default plan is listed first and once, and selected at load without being read: the
// boxes show the last bounds. Deleting a plan loads the default plan's bounds, or the last
// bounds when the default plan has none stored.
TEST_F(WageFilter, TheDefaultPlanComesFirstAndBackAfterADelete) {
    // clang-format off
    const std::pair<QStringList, QStringList> lists[] = {
        {{}, {kDefault}}, {{kDefault}, {kDefault}}, {{u"A"_s, kDefault, u"B"_s}, {kDefault, u"PA"_s, u"PB"_s}}};
    // clang-format on
    fake.ini[kSection][u"EDept"_s] = u"last"_s;
    fake.planValues[kDefault][u"BDept"_s] = u"default"_s;
    for (const auto& [stored, keys] : lists) {
        fake.plans = stored;
        auto f = Open();
        EXPECT_EQ(std::tuple(Keys(*f), f->lvwProject().SelectedIndex(), f->txtItem(1)),
                  std::tuple(keys, 0, u"last"_s));
    }
    EXPECT_EQ(fake.Count(u"GetPlanValue"_s), 0) << "selecting the default plan at load reads nothing";

    for (bool defaultStored : {true, false}) {
        SCOPED_TRACE(defaultStored);
        fake.plans = {kDefault, u"A"_s};
        fake.planValues = {{u"A"_s, {{u"BDept"_s, u"a"_s}}}};
        if (defaultStored)
            fake.planValues[kDefault] = {{u"BDept"_s, u"default"_s}};
        auto f = Open();
        f->lvwProject_ItemClick(1);
        EXPECT_EQ(f->txtItem(0), u"a"_s);
        f->tlbProject_ButtonClick(u"TLBDEL"_s);
        EXPECT_EQ(std::tuple(Keys(*f), f->lvwProject().SelectedIndex(), f->txtItem(0), f->txtItem(1)),
                  std::tuple(QStringList{kDefault}, 0, defaultStored ? u"default"_s : QString(),
                             defaultStored ? QString() : u"last"_s));
        EXPECT_FALSE(f->Result()->Item(u"OK"_s).toBool());
    }
    // Deleting the default plan removes what is stored but keeps its item.
    fake.plans = {kDefault};
    auto f = Open();
    f->tlbProject_ButtonClick(u"tlbdel"_s);
    EXPECT_EQ(fake.Calls(u"DelPlan"_s).last(), u"DelPlan 600 "_s + kDefault);
    EXPECT_EQ(Keys(*f), QStringList{kDefault});
}

TEST_F(WageFilter, AFailingPlanStoreLeavesTheBoxesAndTellsWhy) {
    fake.failing = {u"SaveProfile"_s};
    fake.plans = {u"A"_s};
    auto f = Open();
    f->lvwProject_ItemClick(1);
    f->UserEdit(0, u"mine"_s);
    f->tlbProject_ButtonClick(u"TLBSAVE"_s);
    EXPECT_EQ(f->txtItem(0), u"mine"_s);
    EXPECT_EQ(h.ui.MessageTexts(), QStringList{u"SaveProfile failed"_s});
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
    EXPECT_EQ(std::pair(f->lvwProject().View(), f->ViewButtonTag()), std::pair(3, 3));
    f->tlbProject_ButtonClick(u"TLBVIEW"_s);
    EXPECT_EQ(f->lvwProject().View(), 0);
}

}  // namespace
}  // namespace sp::test
