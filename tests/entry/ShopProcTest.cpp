#include <gtest/gtest.h>

#include "src/entry/Rights.h"
#include "src/entry/shopproc/ShopProc.h"
#include "tests/support/FakeHost.h"
#include "tests/support/FakeWorkbench.h"

namespace sp::test {
namespace {

// The entry over the fake host; the workbench and the filter dialog write what they are
// asked into the host's journal, so the journal shows the order of everything.
class ShopProcTest : public ::testing::Test {
  protected:
    std::unique_ptr<ShopProc> Make() {
        return std::make_unique<ShopProc>(
            ComponentContext{&h.registry, &h.ui, QString(), QString(), 0},
            [this](HostServices&) {
                ++workbenchesCreated;
                auto wb = std::make_unique<FakeWorkbench>(journal);
                workbench = wb.get();
                return wb;
            },
            [this](HostServices&) {
                ++dialogsCreated;
                auto dialog = std::make_unique<FakeFilterDialog>(h.ui, &journal);
                dialog->result = dialogResult;
                return dialog;
            });
    }
    static DictionaryPtr Filter(const QVariant& ok) {
        auto d = NewDictionary();
        if (ok.isValid())
            d->Set(u"OK"_s, ok);
        d->Set(u"BDept"_s, u"01"_s);
        return d;
    }

    HostHarness h;
    QStringList& journal = h.fake->calls;
    DictionaryPtr dialogResult;
    FakeWorkbench* workbench = nullptr;
    int workbenchesCreated = 0, dialogsCreated = 0;
    std::unique_ptr<ShopProc> shopProc = Make();
    const QStringList asked{u"AccessCheck 1024 30 2097152"_s, u"Filter RptID 600"_s, u"Filter shown"_s};
};

TEST_F(ShopProcTest, DeniedShowsThePlainMessageOnly) {
    EXPECT_EQ(workbenchesCreated, 1) << "the workbench comes with the entry";
    EXPECT_TRUE(journal.isEmpty()) << "but is not shown";
    h.fake->deniedRights = {Rights::Open};
    EXPECT_FALSE(shopProc->ShowForm(5, 0, 0).isValid());
    EXPECT_EQ(journal, QStringList{asked[0]});
    ASSERT_EQ(h.ui.MessageTexts(), QStringList{u"对不起，你没有相应的权限！"_s});
    EXPECT_EQ(std::pair(h.ui.messages[0].icon, h.ui.messages[0].buttons),
              std::pair(MsgIcon::None, MsgButtons::Ok));
    EXPECT_EQ(dialogsCreated, 0);
}

TEST_F(ShopProcTest, NoConfirmationReturnsSilently) {
    const std::pair<DictionaryPtr, const char*> cases[] = {{nullptr, "no dictionary"},
                                                           {Filter(QVariant()), "no OK entry"},
                                                           {Filter(false), "cancelled"},
                                                           {Filter(u"0"_s), "OK \"0\""}};
    for (const auto& [result, what] : cases) {
        journal.clear();
        dialogResult = result;
        shopProc->ShowForm(5, 0, 0);
        EXPECT_EQ(journal, asked) << what;
        EXPECT_TRUE(h.ui.messages.isEmpty()) << what;
    }
}

TEST_F(ShopProcTest, ConfirmedRunsTheWorkbenchBetweenTheLogEntriesAndReusesIt) {
    FakeWorkbench* first = workbench;
    for (qint32 workBill : {0, 99}) {  // a work bill id changes nothing
        journal.clear();
        dialogResult = Filter(true);
        shopProc->ShowForm(17, 3, workBill);
        EXPECT_EQ(journal, (asked + QStringList{u"WriteLog CJ1000 1"_s, u"Workbench user 17"_s,
                                                u"Workbench dicFilter"_s, u"Workbench SetListStyle 3"_s,
                                                u"Workbench shown"_s, u"WriteLog CJ1000 3"_s}));
        EXPECT_EQ(workbench->dicFilter, dialogResult) << "the same dictionary object, not a copy";
    }
    EXPECT_TRUE(h.ui.messages.isEmpty());
    EXPECT_EQ(std::tuple(workbenchesCreated, dialogsCreated, workbench), std::tuple(1, 2, first));
}

TEST_F(ShopProcTest, ErrorsReachTheCaller) {
    dialogResult = Filter(true);
    workbench->onShow = [] { throw ComError(3000, u"Q8MShopProc.MShopProc"_s, u"gone"_s); };
    EXPECT_EQ(Raised([&] { shopProc->ShowForm(1, 0, 0); }), u"3000 Q8MShopProc.MShopProc: gone"_s);
    EXPECT_EQ(journal.last(), u"Workbench shown"_s) << "no leaving entry after a failure";

    journal.clear();
    h.fake->failing = {u"WriteLog"_s};
    EXPECT_THROW(shopProc->ShowForm(1, 0, 0), ComError);
    EXPECT_FALSE(journal.contains(u"Workbench shown"_s)) << "the workbench waits for the log";

    h.registry.Unregister(ProgId::GLData());
    EXPECT_THROW(Make()->ShowForm(1, 0, 0), ComError) << "no access-check component";
}

}  // namespace
}  // namespace sp::test
