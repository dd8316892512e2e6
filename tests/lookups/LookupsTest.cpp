#include <gtest/gtest.h>

#include "lookups/Devs.h"
#include "lookups/Emps.h"
#include "lookups/FakeHost.h"
#include "lookups/Teams.h"

namespace sp {
namespace {

using testing::FakeHost;

class LookupsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake.script->emps = {{11, QStringLiteral("E011"), QStringLiteral("张三"), 5}};
        fake.script->devs = {{21, QStringLiteral("D021"), QStringLiteral("车床"), 3, 9}};
        fake.script->teams = {{31, QStringLiteral("T031"), QStringLiteral("一班")}};
    }
    FakeHost fake;
};

TEST_F(LookupsTest, SettingIdOrNumberCompletesEachKindOfRecord) {
    Emp byId(fake.host.get());
    byId.SetEID(11);
    EXPECT_EQ(byId.Eno(), QStringLiteral("E011"));
    EXPECT_EQ(byId.Ename(), QStringLiteral("张三"));
    EXPECT_EQ(byId.Pro(), 5);

    Emp byNumber(fake.host.get());
    byNumber.SetEno(QStringLiteral("e011"));
    EXPECT_EQ(byNumber.EID(), 11);

    Dev dev(fake.host.get());
    dev.SetDID(21);
    EXPECT_EQ(dev.Dno(), QStringLiteral("D021"));
    EXPECT_EQ(dev.Dname(), QStringLiteral("车床"));
    EXPECT_EQ(dev.Dtype(), 3);
    EXPECT_EQ(dev.DWC(), 9);

    Team team(fake.host.get());
    team.SetTno(QStringLiteral("T031"));
    EXPECT_EQ(team.TID(), 31);
    EXPECT_EQ(team.Tname(), QStringLiteral("一班"));

    // A new middle-tier object per completion.
    EXPECT_EQ(fake.script->objectsCreated, 4);
}

TEST_F(LookupsTest, NamedRecordNeverAsksTheMiddleTier) {
    Emp emp(fake.host.get());
    emp.SetEname(QStringLiteral("王五"));
    emp.SetEno(QStringLiteral("OTHER"));
    emp.SetEID(99);  // unknown to the middle tier: asking would raise
    Dev dev(fake.host.get());
    dev.SetDname(QStringLiteral("铣床"));
    dev.SetDID(5);
    Team team(fake.host.get());
    team.SetTname(QStringLiteral("二班"));
    team.SetTID(6);
    EXPECT_TRUE(fake.script->calls.isEmpty());
    EXPECT_EQ(emp.EID(), 99);
    EXPECT_EQ(emp.Eno(), QStringLiteral("OTHER"));
}

TEST_F(LookupsTest, FailedCompletionReachesTheCaller) {
    Emp emp(fake.host.get());
    EXPECT_THROW(emp.SetEID(404), ComError);
    EXPECT_EQ(emp.EID(), 404);  // the value itself is stored
}

TEST(LookupCollectionsTest, KeyedByNumberWithoutRegardToCase) {
    Emps emps;
    auto a = std::make_shared<Emp>();
    a->SetEno(QStringLiteral("Ab1"));
    auto b = std::make_shared<Emp>();
    b->SetEno(QStringLiteral("C2"));
    EXPECT_EQ(emps.Add(a), a);
    emps.Add(b);

    EXPECT_EQ(emps.Count(), 2);
    EXPECT_EQ(emps.Item(1), a);
    EXPECT_EQ(emps.Item(QStringLiteral("aB1")), a);
    EXPECT_EQ(emps.Item(QStringLiteral("c2")), b);

    auto dup = std::make_shared<Emp>();
    dup->SetEno(QStringLiteral("AB1"));
    EXPECT_THROW(emps.Add(dup), ComError);

    // The lookup path: remove the old record first, then add.
    emps.Remove(QStringLiteral("ab1"));
    emps.Add(dup);
    EXPECT_EQ(emps.Item(2), dup);

    EXPECT_THROW(emps.Item(0), ComError);
    EXPECT_THROW(emps.Item(3), ComError);
    EXPECT_THROW(emps.Item(QStringLiteral("none")), ComError);
    EXPECT_THROW(emps.Remove(QStringLiteral("none")), ComError);
}

TEST(LookupCollectionsTest, IteratesInInsertionOrderAndFindsById) {
    Teams teams;
    for (int i = 3; i >= 1; --i) {
        auto t = std::make_shared<Team>();
        t->SetTno(QStringLiteral("T%1").arg(i));
        t->SetTID(i * 10);
        teams.Add(t);
    }
    QStringList order;
    for (const TeamPtr& t : teams)
        order << t->Tno();
    EXPECT_EQ(order, (QStringList{QStringLiteral("T3"), QStringLiteral("T2"), QStringLiteral("T1")}));
    EXPECT_EQ(teams.FindIf([](const Team& t) { return t.TID() == 20; })->Tno(), QStringLiteral("T2"));
    EXPECT_EQ(teams.FindIf([](const Team& t) { return t.TID() == 99; }), nullptr);
    teams.Remove(1);
    EXPECT_EQ(teams.Item(1)->Tno(), QStringLiteral("T2"));
}

TEST(LookupCollectionsTest, RecordsWithoutNumberAreKeyedToo) {
    Devs devs;
    devs.Add(std::make_shared<Dev>());
    EXPECT_THROW(devs.Add(std::make_shared<Dev>()), ComError);
    EXPECT_TRUE(devs.Contains(QString()));
}

}  // namespace
}  // namespace sp
