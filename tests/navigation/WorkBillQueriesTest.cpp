#include <gtest/gtest.h>

#include "src/navigation/WorkBillQueries.h"
#include "tests/support/FakeHost.h"

namespace sp::test {
namespace {

TEST(WorkBillQueries, ExistenceIsAskedOnlyForANumberAndAFailureIsNoAnswer) {
    HostHarness h;
    h.fake->isExistWB = [](const QString& no) { return no == u"WB1"_s; };
    EXPECT_FALSE(IsExistWB(*h.host, QString(), true));
    EXPECT_EQ(h.fake->Count(u"IsExistWB"_s), 0);
    EXPECT_TRUE(IsExistWB(*h.host, u"WB1"_s, true));
    EXPECT_FALSE(IsExistWB(*h.host, u"WB2"_s));
    EXPECT_TRUE(h.ui.messages.isEmpty());

    EXPECT_FALSE(IsExistWB(*h.host, u"WB2"_s, true));
    ASSERT_EQ(h.ui.MessageTexts(), QStringList{u"工序计划单WB2 不存在或不可进行工序汇报！"_s});
    EXPECT_EQ(h.ui.messages[0].icon, MsgIcon::Information);

    // A failing middle tier is no answer and tells the user nothing wrong.
    h.fake->isExistWB = nullptr;
    EXPECT_FALSE(IsExistWB(*h.host, u"WB1"_s, true));
    EXPECT_EQ(h.ui.messages.size(), 1);

    h.fake->workBillNO = [](qint32 id) { return u"WB%1"_s.arg(id); };
    EXPECT_EQ(GetWBNO(*h.host, 5), u"WB5"_s);
    h.fake->workBillNO = nullptr;
    EXPECT_TRUE(GetWBNO(*h.host, 5).isEmpty());
}

}  // namespace
}  // namespace sp::test
