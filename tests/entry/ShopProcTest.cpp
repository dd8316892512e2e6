#include <gtest/gtest.h>

#include "src/common/ComponentRegistry.h"
#include "tests/support/ScriptedUi.h"
#include "src/entry/HostInterfaces.h"
#include "src/entry/shopproc/ShopProc.h"

namespace sp::test {
namespace {

using namespace Qt::StringLiterals;

// Everything the entry writes or asks, in order, as text.
using Journal = QStringList;

struct FakeFilterDialog : IFilterDialog {
    Journal& journal;
    DictionaryPtr result;
    explicit FakeFilterDialog(Journal& j, DictionaryPtr r) : journal(j), result(std::move(r)) {}
    void SetRptID(qint32 id) override { journal << u"Filter RptID %1"_s.arg(id); }
    void ShowModal() override { journal << u"Filter shown"_s; }
    DictionaryPtr Result() override { return result; }
};

struct FakeWorkbench : IWorkbench {
    Journal& journal;
    DictionaryPtr dicFilter;
    std::function<void()> onShow;
    explicit FakeWorkbench(Journal& j) : journal(j) {}
    void SetUserId(qint32 id) override { journal << u"Workbench user %1"_s.arg(id); }
    void SetDicFilter(const DictionaryPtr& d) override {
        dicFilter = d;
        journal << u"Workbench dicFilter"_s;
    }
    void SetListStyle(qint32 s) override { journal << u"Workbench SetListStyle %1"_s.arg(s); }
    void ShowModal() override {
        journal << u"Workbench shown"_s;
        if (onShow)
            onShow();
    }
};

// The fixture itself answers the access check and keeps the usage log.
class ShopProcTest : public ::testing::Test, public IGLData {
  protected:
    bool AccessCheck(qint32 subsystem, qint16 function, qint32 rightMask) override {
        journal << u"AccessCheck %1 %2 %3"_s.arg(subsystem).arg(function).arg(rightMask);
        return allow;
    }
    void WriteLog(const QString& code, qint16 action) override {
        if (logFails)
            throw ComError(3000, u"NXCGLView.GLData"_s, u"log full"_s);
        journal << u"WriteLog %1 %2"_s.arg(code).arg(action);
    }
    BaseItemPtr GetItem(qint32, const QVariant&, const QString&) override { return nullptr; }
    void SetUp() override {
        registry.Register<IGLData>(u"NXCGLView.GLData"_s, [this] {
            return std::shared_ptr<IGLData>(std::shared_ptr<void>(), this);
        });
        shopProc = Make();
    }
    std::unique_ptr<ShopProc> Make() {
        return std::make_unique<ShopProc>(
            ComponentContext{&registry, &ui, QString(), QString(), 0},
            [this](HostServices&) {
                ++workbenchesCreated;
                auto wb = std::make_unique<FakeWorkbench>(journal);
                workbench = wb.get();
                return wb;
            },
            [this](HostServices&) {
                ++dialogsCreated;
                return std::make_unique<FakeFilterDialog>(journal, dialogResult);
            });
    }
    static DictionaryPtr Filter(const QVariant& ok) {
        auto d = NewDictionary();
        if (ok.isValid())
            d->Set(u"OK"_s, ok);
        d->Set(u"BDept"_s, u"01"_s);
        return d;
    }

    ComponentRegistry registry;
    ScriptedUi ui;
    Journal journal;
    bool allow = true, logFails = false;
    DictionaryPtr dialogResult;
    FakeWorkbench* workbench = nullptr;
    int workbenchesCreated = 0, dialogsCreated = 0;
    std::unique_ptr<ShopProc> shopProc;
    const Journal asked{u"AccessCheck 1024 30 2097152"_s, u"Filter RptID 600"_s, u"Filter shown"_s};
};

TEST_F(ShopProcTest, DeniedShowsThePlainMessageOnly) {
    EXPECT_EQ(workbenchesCreated, 1) << "the workbench comes with the entry";
    EXPECT_TRUE(journal.isEmpty()) << "but is not shown";
    allow = false;
    EXPECT_FALSE(shopProc->ShowForm(5, 0, 0).isValid());
    EXPECT_EQ(journal, Journal{asked[0]});
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, u"对不起，你没有相应的权限！"_s);
    EXPECT_EQ(ui.messages[0].title, u"Vorlane提示"_s);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);
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
        EXPECT_TRUE(ui.messages.isEmpty()) << what;
    }
}

TEST_F(ShopProcTest, ConfirmedRunsTheWorkbenchBetweenTheLogEntriesAndReusesIt) {
    FakeWorkbench* first = workbench;
    for (qint32 workBill : {0, 99}) {  // a work bill id changes nothing
        journal.clear();
        dialogResult = Filter(true);
        shopProc->ShowForm(17, 3, workBill);
        EXPECT_EQ(journal, (asked + Journal{u"WriteLog CJ1000 1"_s, u"Workbench user 17"_s,
                                            u"Workbench dicFilter"_s, u"Workbench SetListStyle 3"_s,
                                            u"Workbench shown"_s, u"WriteLog CJ1000 3"_s}));
        EXPECT_EQ(workbench->dicFilter, dialogResult) << "the same dictionary object, not a copy";
    }
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(workbenchesCreated, 1);
    EXPECT_EQ(dialogsCreated, 2);
    EXPECT_EQ(workbench, first);
}

TEST_F(ShopProcTest, ErrorsReachTheCaller) {
    dialogResult = Filter(true);
    workbench->onShow = [] { throw ComError(3000, u"Q8MShopProc.MShopProc"_s, u"gone"_s); };
    try {
        shopProc->ShowForm(1, 0, 0);
        FAIL() << "the workbench's error was swallowed";
    } catch (const ComError& e) {
        EXPECT_EQ(e.Number(), 3000);
        EXPECT_EQ(e.Description(), u"gone"_s);
    }
    EXPECT_EQ(journal.last(), u"Workbench shown"_s) << "no leaving entry after a failure";

    journal.clear();
    logFails = true;
    EXPECT_THROW(shopProc->ShowForm(1, 0, 0), ComError);
    EXPECT_FALSE(journal.contains(u"Workbench shown"_s)) << "the workbench waits for the log";

    registry.Unregister(u"NXCGLView.GLData"_s);
    EXPECT_THROW(Make()->ShowForm(1, 0, 0), ComError) << "no access-check component";
}

}  // namespace
}  // namespace sp::test
