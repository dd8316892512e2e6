#include <gtest/gtest.h>

#include "FilterFakes.h"
#include "filters/FilterBounds.h"
#include "filters/frmWageFilter.h"

using namespace sp;
using namespace sp::test;

namespace {

const QString kDefault = QStringLiteral("默认方案");

class WageFilterPlans : public ::testing::Test {
  protected:
    FilterHarness h;

    std::unique_ptr<frmWageFilter> Open() {
        auto dlg = std::make_unique<frmWageFilter>(*h.host);
        dlg->SetRptID(600);
        dlg->Form_Load();
        return dlg;
    }
    static QStringList Texts(const frmWageFilter& f) {
        QStringList t;
        for (int i = 0; i < f.lvwProject().Count(); ++i) t << f.lvwProject().At(i).text;
        return t;
    }
    static QStringList Keys(const frmWageFilter& f) {
        QStringList t;
        for (int i = 0; i < f.lvwProject().Count(); ++i) t << f.lvwProject().At(i).key;
        return t;
    }
};

TEST_F(WageFilterPlans, TheDefaultPlanIsListedFirstAndOnce) {
    struct Case {
        QStringList stored;
        QStringList keys;
    };
    const Case cases[] = {
        {{}, {kDefault}},
        {{kDefault}, {kDefault}},
        {{QStringLiteral("A"), kDefault, QStringLiteral("B")},
         {kDefault, QStringLiteral("PA"), QStringLiteral("PB")}},
    };
    for (const Case& c : cases) {
        h.plans->stored = c.stored;
        auto f = Open();
        EXPECT_EQ(Keys(*f), c.keys);
        EXPECT_EQ(f->lvwProject().SelectedIndex(), 0);
        EXPECT_EQ(f->lvwProject().View(), 0);
        EXPECT_EQ(f->lvwProject().At(0).icon, 1);
    }
}

TEST_F(WageFilterPlans, SelectingTheDefaultPlanAtLoadKeepsTheLastBounds) {
    h.plans->stored = {kDefault};
    h.plans->values[kDefault][QStringLiteral("BDept")] = QStringLiteral("plan");
    h.settings->sections[QStringLiteral("Q8SHProcRpt600")][QStringLiteral("BDept")] = QStringLiteral("last");
    EXPECT_EQ(Open()->txtItem(0), QStringLiteral("last"));
    EXPECT_TRUE(h.plans->valueNames.isEmpty());
}

TEST_F(WageFilterPlans, ClickingAPlanShowsItsBoundsAndEmptiesTheRest) {
    h.plans->stored = {QStringLiteral("A")};
    h.plans->values[QStringLiteral("A")] = {{QStringLiteral("BWC"), QStringLiteral("W1")},
                                            {QStringLiteral("EItem"), QStringLiteral(" P9 ")}};
    auto f = Open();
    f->UserEdit(0, QStringLiteral("typed"));
    f->lvwProject_ItemClick(1);
    EXPECT_EQ(f->txtItem(0), QString());
    EXPECT_EQ(f->txtItem(2), QStringLiteral("W1"));
    EXPECT_EQ(f->txtItem(13), QStringLiteral(" P9 "));
}

TEST_F(WageFilterPlans, SavingTheDefaultPlanAsksForANameFirst) {
    struct Case {
        const char* name;
        std::optional<QString> answer;
        bool saved;
    };
    const Case cases[] = {
        {"cancelled", std::nullopt, false},
        {"empty answer", QString(), false},
        {"blanks only", QStringLiteral("   "), false},
        {"quoted", QStringLiteral("O'Brien's"), true},
        {"200 characters", QString(200, QLatin1Char('x')), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        h.plans->stored.clear();
        h.plans->savedNames.clear();
        auto f = Open();
        f->UserEdit(4, QStringLiteral("MO-1"));
        h.ui.inputs = {c.answer};
        h.ui.inputPrompts.clear();
        f->tlbProject_ButtonClick(QStringLiteral("tlbSave"));
        EXPECT_EQ(h.ui.inputPrompts, QStringList{QStringLiteral("请输入方案名：")});
        if (!c.saved) {
            EXPECT_TRUE(h.plans->savedNames.isEmpty());
            EXPECT_EQ(Keys(*f), QStringList{kDefault});
            continue;
        }
        // The name reaches the store as typed; the new plan is listed and selected.
        EXPECT_EQ(h.plans->savedNames, QStringList{*c.answer});
        EXPECT_EQ(h.plans->values[*c.answer].value(QStringLiteral("BICMO")), QStringLiteral("MO-1"));
        EXPECT_EQ(h.plans->values[*c.answer].size(), kFilterBoxCount);
        ASSERT_NE(f->lvwProject().SelectedItem(), nullptr);
        EXPECT_EQ(f->lvwProject().SelectedItem()->key, QStringLiteral("P") + *c.answer);
        ASSERT_NE(f->PlanEntries(), nullptr);
        EXPECT_EQ(f->PlanEntries()->Count(), kFilterBoxCount);
        EXPECT_EQ(f->PlanEntries()->Item(1)->Item(QStringLiteral("Key")).toString(), QStringLiteral("BDept"));
        EXPECT_EQ(f->PlanEntries()->Item(1)->Item(QStringLiteral("RptID")).toInt(), 600);
    }
}

TEST_F(WageFilterPlans, SavingANamedPlanOverwritesItWithoutAsking) {
    h.plans->stored = {QStringLiteral("A")};
    h.plans->values[QStringLiteral("A")] = {{QStringLiteral("BDept"), QStringLiteral("old")}};
    auto f = Open();
    f->lvwProject_ItemClick(1);
    f->UserEdit(0, QStringLiteral("new"));
    f->tlbProject_ButtonClick(QStringLiteral("TLBSAVE"));
    EXPECT_TRUE(h.ui.inputPrompts.isEmpty());
    EXPECT_EQ(h.plans->values[QStringLiteral("A")].value(QStringLiteral("BDept")), QStringLiteral("new"));
    EXPECT_EQ(Keys(*f), (QStringList{kDefault, QStringLiteral("PA")}));

    // Typing the default plan's name stores the default plan; no extra item appears.
    f->lvwProject_ItemClick(0);
    h.ui.inputs = {kDefault};
    f->tlbProject_ButtonClick(QStringLiteral("TLBSAVE"));
    EXPECT_EQ(h.plans->savedNames.last(), kDefault);
    EXPECT_EQ(Keys(*f), (QStringList{kDefault, QStringLiteral("PA")}));
}

TEST_F(WageFilterPlans, QuotesAreDoubledTowardTheStoreExceptInSavedEntries) {
    const QString name = QStringLiteral("it's");
    h.plans->stored = {name};
    h.plans->values[name] = {{QStringLiteral("BDept"), QStringLiteral("D")}};
    auto f = Open();
    f->lvwProject_ItemClick(1);
    EXPECT_EQ(h.plans->valueNames.last(), QStringLiteral("it''s"));
    EXPECT_EQ(f->txtItem(0), QStringLiteral("D"));
    f->tlbProject_ButtonClick(QStringLiteral("TLBSAVE"));
    EXPECT_EQ(h.plans->savedNames.last(), name);
    EXPECT_EQ(f->PlanEntries()->Item(1)->Item(QStringLiteral("Plan")).toString(), name);
    f->lvwProject_ItemClick(1);
    f->tlbProject_ButtonClick(QStringLiteral("TLBDEL"));
    EXPECT_EQ(h.plans->deletedNames, QStringList{QStringLiteral("it''s")});
}

TEST_F(WageFilterPlans, DeletingLoadsTheDefaultPlanOrTheLastBounds) {
    h.settings->sections[QStringLiteral("Q8SHProcRpt600")][QStringLiteral("EDept")] = QStringLiteral("last");
    for (bool storeAnswersNothing : {false, true}) {
        SCOPED_TRACE(storeAnswersNothing);
        h.plans->stored = {kDefault, QStringLiteral("A")};
        h.plans->values[kDefault] = {{QStringLiteral("BDept"), QStringLiteral("default")}};
        h.plans->values[QStringLiteral("A")] = {{QStringLiteral("BDept"), QStringLiteral("a")}};
        h.plans->nothingForValues = false;
        auto f = Open();
        f->lvwProject_ItemClick(1);
        EXPECT_EQ(f->txtItem(0), QStringLiteral("a"));
        h.plans->nothingForValues = storeAnswersNothing;
        f->tlbProject_ButtonClick(QStringLiteral("TLBDEL"));
        EXPECT_EQ(Keys(*f), QStringList{kDefault});
        EXPECT_EQ(f->lvwProject().SelectedIndex(), 0);
        EXPECT_EQ(f->txtItem(0), storeAnswersNothing ? QString() : QStringLiteral("default"));
        EXPECT_EQ(f->txtItem(1), storeAnswersNothing ? QStringLiteral("last") : QString());
        EXPECT_FALSE(f->Result()->Item(QStringLiteral("OK")).toBool());
    }
    // Deleting the default plan removes what is stored but keeps its item.
    h.plans->nothingForValues = false;
    h.plans->stored = {kDefault};
    auto f = Open();
    f->tlbProject_ButtonClick(QStringLiteral("tlbdel"));
    EXPECT_EQ(h.plans->deletedNames.last(), kDefault);
    EXPECT_EQ(Keys(*f), QStringList{kDefault});
}

TEST_F(WageFilterPlans, AFailingStoreLeavesTheBoxesAndTellsWhy) {
    h.plans->failSave = true;
    h.plans->stored = {QStringLiteral("A")};
    auto f = Open();
    f->lvwProject_ItemClick(1);
    f->UserEdit(0, QStringLiteral("mine"));
    f->tlbProject_ButtonClick(QStringLiteral("TLBSAVE"));
    EXPECT_EQ(f->txtItem(0), QStringLiteral("mine"));
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_EQ(h.ui.messages[0].text, QStringLiteral("store down"));

    // A store that cannot list plans still offers the default plan.
    h.registry.Unregister(ProgId::PlanProfile());
    auto g = Open();
    EXPECT_EQ(Keys(*g), QStringList{kDefault});
}

TEST_F(WageFilterPlans, ClearAndViewCommands) {
    auto f = Open();
    for (int i = 0; i < kFilterBoxCount; ++i) f->UserEdit(i, QStringLiteral("v"));
    f->SetGroupByIndex(0);
    f->tlbProject_ButtonClick(QStringLiteral("TlbClear"));
    for (int i = 0; i < kFilterBoxCount; ++i) EXPECT_EQ(f->txtItem(i), QString());
    EXPECT_EQ(f->GroupByIndex(), 2);

    QVector<int> views;
    for (int press = 0; press < 4; ++press) {
        f->tlbProject_ButtonClick(QStringLiteral("TLBVIEW"));
        views << f->lvwProject().View();
    }
    EXPECT_EQ(views, (QVector<int>{1, 2, 3, 0}));

    f->tlbProject_ButtonMenuClick(4);
    EXPECT_EQ(f->lvwProject().View(), 3);
    EXPECT_EQ(f->ViewButtonTag(), 3);
    f->tlbProject_ButtonClick(QStringLiteral("TLBVIEW"));
    EXPECT_EQ(f->lvwProject().View(), 0);
}

}  // namespace
