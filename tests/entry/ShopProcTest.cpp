#include <gtest/gtest.h>

#include "common/ComponentRegistry.h"
#include "common/ScriptedUi.h"
#include "entry/shopproc/ShopProc.h"
#include "tests/entry/HostFakes.h"

namespace sp::testing {
namespace {

struct FakeFilterDialog : IFilterDialog {
    Journal& journal;
    std::function<DictionaryPtr()> result;
    explicit FakeFilterDialog(Journal& j) : journal(j) {}
    void SetRptID(qint32 id) override { journal << QStringLiteral("Filter RptID %1").arg(id); }
    void ShowModal() override { journal << QStringLiteral("Filter shown"); }
    DictionaryPtr Result() override { return result(); }
};

struct FakeWorkbench : IWorkbench {
    Journal& journal;
    DictionaryPtr dicFilter;
    std::function<void()> onShow;
    explicit FakeWorkbench(Journal& j) : journal(j) {}
    void SetUserId(qint32 id) override { journal << QStringLiteral("Workbench user %1").arg(id); }
    void SetDicFilter(const DictionaryPtr& d) override {
        dicFilter = d;
        journal << QStringLiteral("Workbench dicFilter");
    }
    void SetListStyle(qint32 s) override { journal << QStringLiteral("Workbench SetListStyle %1").arg(s); }
    void ShowModal() override {
        journal << QStringLiteral("Workbench shown");
        if (onShow)
            onShow();
    }
};

class ShopProcTest : public ::testing::Test {
  protected:
    void SetUp() override {
        registry.Register<IGLData>(QStringLiteral("NXCGLView.GLData"), [this] { return glData; });
        ComponentContext context;
        context.registry = &registry;
        context.ui = &ui;
        shopProc = std::make_unique<ShopProc>(
            context,
            [this](HostServices&) {
                ++workbenchesCreated;
                auto wb = std::make_unique<FakeWorkbench>(journal);
                workbench = wb.get();
                return wb;
            },
            [this](HostServices&) {
                ++dialogsCreated;
                auto dlg = std::make_unique<FakeFilterDialog>(journal);
                dlg->result = [this] { return dialogResult; };
                return dlg;
            });
    }

    static DictionaryPtr Filter(const QVariant& ok) {
        auto d = NewDictionary();
        if (ok.isValid())
            d->Set(QStringLiteral("OK"), ok);
        d->Set(QStringLiteral("BDept"), QStringLiteral("01"));
        return d;
    }

    ComponentRegistry registry;
    ScriptedUi ui;
    Journal journal;
    std::shared_ptr<FakeGLData> glData = std::make_shared<FakeGLData>(journal);
    DictionaryPtr dialogResult;
    FakeWorkbench* workbench = nullptr;
    int workbenchesCreated = 0;
    int dialogsCreated = 0;
    std::unique_ptr<ShopProc> shopProc;
};

TEST_F(ShopProcTest, TheWorkbenchIsCreatedWithTheEntryAndNotShown) {
    EXPECT_EQ(workbenchesCreated, 1);
    EXPECT_TRUE(journal.isEmpty());
}

TEST_F(ShopProcTest, DeniedShowsThePlainMessageOnly) {
    glData->allow = false;
    EXPECT_FALSE(shopProc->ShowForm(5, 0, 0).isValid());
    EXPECT_EQ(journal, QStringList{QStringLiteral("AccessCheck 1024 30 2097152")});
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("对不起，你没有相应的权限！"));
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Vorlane提示"));
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(dialogsCreated, 0);
}

TEST_F(ShopProcTest, NoConfirmationReturnsSilently) {
    const struct {
        DictionaryPtr result;
        const char* what;
    } cases[] = {
        {nullptr, "no dictionary"},
        {Filter(QVariant()), "no OK entry"},
        {Filter(false), "cancelled"},
        {Filter(QStringLiteral("0")), "OK \"0\""},
    };
    for (const auto& c : cases) {
        journal.clear();
        dialogResult = c.result;
        shopProc->ShowForm(5, 0, 0);
        EXPECT_EQ(journal, (QStringList{QStringLiteral("AccessCheck 1024 30 2097152"),
                                        QStringLiteral("Filter RptID 600"), QStringLiteral("Filter shown")}))
            << c.what;
        EXPECT_TRUE(ui.messages.isEmpty()) << c.what;
    }
}

TEST_F(ShopProcTest, ConfirmedRunsTheWorkbenchBetweenTheLogEntries) {
    dialogResult = Filter(true);
    shopProc->ShowForm(17, 3, 0);
    EXPECT_EQ(journal, (QStringList{
                           QStringLiteral("AccessCheck 1024 30 2097152"),
                           QStringLiteral("Filter RptID 600"),
                           QStringLiteral("Filter shown"),
                           QStringLiteral("WriteLog CJ1000 1"),
                           QStringLiteral("Workbench user 17"),
                           QStringLiteral("Workbench dicFilter"),
                           QStringLiteral("Workbench SetListStyle 3"),
                           QStringLiteral("Workbench shown"),
                           QStringLiteral("WriteLog CJ1000 3"),
                       }));
    EXPECT_EQ(workbench->dicFilter, dialogResult) << "the same dictionary object, not a copy";
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(ShopProcTest, ASecondShowFormReusesTheWorkbenchWithANewDialog) {
    dialogResult = Filter(true);
    FakeWorkbench* first = workbench;
    shopProc->ShowForm(1, 0, 0);
    dialogResult = Filter(true);
    journal.clear();
    shopProc->ShowForm(1, 0, 99);  // a work bill id changes nothing
    EXPECT_EQ(workbenchesCreated, 1);
    EXPECT_EQ(dialogsCreated, 2);
    EXPECT_EQ(workbench, first);
    EXPECT_EQ(workbench->dicFilter, dialogResult);
    EXPECT_EQ(journal.size(), 9);
    EXPECT_EQ(journal.last(), QStringLiteral("WriteLog CJ1000 3"));
}

TEST_F(ShopProcTest, ErrorsReachTheCaller) {
    dialogResult = Filter(true);
    workbench->onShow = [] {
        throw ComError(3000, QStringLiteral("Q8MShopProc.MShopProc"), QStringLiteral("gone"));
    };
    try {
        shopProc->ShowForm(1, 0, 0);
        FAIL() << "the workbench's error was swallowed";
    } catch (const ComError& e) {
        EXPECT_EQ(e.Number(), 3000);
        EXPECT_EQ(e.Description(), QStringLiteral("gone"));
    }
    EXPECT_EQ(journal.last(), QStringLiteral("Workbench shown")) << "no leaving entry after a failure";

    journal.clear();
    glData->failOnLog = [] {
        throw ComError(3000, QStringLiteral("NXCGLView.GLData"), QStringLiteral("log full"));
    };
    EXPECT_THROW(shopProc->ShowForm(1, 0, 0), ComError);
    EXPECT_FALSE(journal.contains(QStringLiteral("Workbench shown"))) << "the workbench waits for the log";

    registry.Unregister(QStringLiteral("NXCGLView.GLData"));
    ComponentContext context;
    context.registry = &registry;
    context.ui = &ui;
    ShopProc fresh(
        context, [this](HostServices&) { return std::make_unique<FakeWorkbench>(journal); },
        [this](HostServices&) { return std::make_unique<FakeFilterDialog>(journal); });
    EXPECT_THROW(fresh.ShowForm(1, 0, 0), ComError) << "no access-check component";
}

}  // namespace
}  // namespace sp::testing
