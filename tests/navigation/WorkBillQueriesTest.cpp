#include <gtest/gtest.h>

#include "lookups/FakeHost.h"
#include "navigation/WorkBillQueries.h"

namespace sp {
namespace {

TEST(WorkBillQueriesTest, IsExistWBAsksOnlyForANumberAndReportsARefusal) {
    testing::FakeHost fake;
    fake.script->isExistWB = [](const QString& no) { return no == QStringLiteral("WB1"); };

    EXPECT_FALSE(IsExistWB(*fake.host, QString(), true));
    EXPECT_EQ(fake.script->Count(QStringLiteral("IsExistWB")), 0);
    EXPECT_TRUE(IsExistWB(*fake.host, QStringLiteral("WB1"), true));
    EXPECT_FALSE(IsExistWB(*fake.host, QStringLiteral("WB2")));
    EXPECT_TRUE(fake.ui.messages.isEmpty());

    EXPECT_FALSE(IsExistWB(*fake.host, QStringLiteral("WB2"), true));
    ASSERT_EQ(fake.ui.messages.size(), 1);
    EXPECT_EQ(fake.ui.messages[0].text, QStringLiteral("工序计划单WB2 不存在或不可进行工序汇报！"));
    EXPECT_EQ(fake.ui.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(fake.ui.messages[0].title, QStringLiteral("Vorlane提示"));

    // A failing middle tier is no answer and tells the user nothing wrong.
    fake.script->isExistWB = nullptr;
    EXPECT_FALSE(IsExistWB(*fake.host, QStringLiteral("WB1"), true));
    EXPECT_EQ(fake.ui.messages.size(), 1);
}

TEST(WorkBillQueriesTest, GetWBNOIsEmptyOnFailure) {
    testing::FakeHost fake;
    fake.script->workBillNO = [](qint32 id) { return QStringLiteral("WB%1").arg(id); };
    EXPECT_EQ(GetWBNO(*fake.host, 5), QStringLiteral("WB5"));
    fake.script->workBillNO = nullptr;
    EXPECT_TRUE(GetWBNO(*fake.host, 5).isEmpty());
}

}  // namespace
}  // namespace sp
