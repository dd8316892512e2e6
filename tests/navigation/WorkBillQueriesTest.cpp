#include <gtest/gtest.h>

#include "tests/lookups/FakeHost.h"
#include "src/navigation/WorkBillQueries.h"

using namespace Qt::StringLiterals;

namespace sp {
namespace {

TEST(WorkBillQueriesTest, ExistenceIsAskedOnlyForANumberAndAFailureIsNoAnswer) {
    test::FakeHost fake;
    fake.script->isExistWB = [](const QString& no) { return no == u"WB1"_s; };

    EXPECT_FALSE(IsExistWB(*fake.host, QString(), true));
    EXPECT_EQ(fake.script->Count(u"IsExistWB"_s), 0);
    EXPECT_TRUE(IsExistWB(*fake.host, u"WB1"_s, true));
    EXPECT_FALSE(IsExistWB(*fake.host, u"WB2"_s));
    EXPECT_TRUE(fake.ui.messages.isEmpty());

    EXPECT_FALSE(IsExistWB(*fake.host, u"WB2"_s, true));
    ASSERT_EQ(fake.ui.messages.size(), 1);
    EXPECT_EQ(fake.ui.messages[0].text, u"工序计划单WB2 不存在或不可进行工序汇报！"_s);
    EXPECT_EQ(fake.ui.messages[0].icon, MsgIcon::Information);

    // A failing middle tier is no answer and tells the user nothing wrong.
    fake.script->isExistWB = nullptr;
    EXPECT_FALSE(IsExistWB(*fake.host, u"WB1"_s, true));
    EXPECT_EQ(fake.ui.messages.size(), 1);

    fake.script->workBillNO = [](qint32 id) { return u"WB%1"_s.arg(id); };
    EXPECT_EQ(GetWBNO(*fake.host, 5), u"WB5"_s);
    fake.script->workBillNO = nullptr;
    EXPECT_TRUE(GetWBNO(*fake.host, 5).isEmpty());
}

}  // namespace
}  // namespace sp
