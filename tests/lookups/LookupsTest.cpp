#include <gtest/gtest.h>

#include "src/lookups/Devs.h"
#include "src/lookups/Emps.h"
#include "tests/lookups/FakeHost.h"
#include "src/lookups/Teams.h"

using namespace Qt::StringLiterals;

namespace sp {
namespace {

TEST(LookupsTest, SettingIdOrNumberCompletesTheRecordUnlessItIsNamed) {
    test::FakeHost fake;
    fake.script->emps = {{11, u"E011"_s, u"张三"_s, 5}};
    fake.script->devs = {{21, u"D021"_s, u"车床"_s, 3, 9}};
    fake.script->teams = {{31, u"T031"_s, u"一班"_s}};
    Emp byId(fake.host.get()), byNumber(fake.host.get());
    byId.SetEID(11);
    byNumber.SetEno(u"e011"_s);
    EXPECT_EQ(byId.Eno() + byId.Ename(), u"E011张三"_s);
    EXPECT_EQ(byId.Pro(), 5);
    EXPECT_EQ(byNumber.EID(), 11);
    Dev dev(fake.host.get());
    dev.SetDID(21);
    EXPECT_EQ(dev.Dno() + dev.Dname(), u"D021车床"_s);
    EXPECT_EQ(dev.Dtype(), 3);
    EXPECT_EQ(dev.DWC(), 9);
    Team team(fake.host.get());
    team.SetTno(u"T031"_s);
    EXPECT_EQ(team.TID(), 31);
    EXPECT_EQ(team.Tname(), u"一班"_s);
    EXPECT_EQ(fake.script->objectsCreated, 4) << "a new middle-tier object per completion";

    // A named record keeps what it is given: id 99 is unknown, asking would raise.
    fake.script->calls.clear();
    Emp named(fake.host.get());
    named.SetEname(u"王五"_s);
    named.SetEID(99);
    Dev namedDev(fake.host.get());
    namedDev.SetDname(u"铣床"_s);
    namedDev.SetDID(5);
    Team namedTeam(fake.host.get());
    namedTeam.SetTname(u"二班"_s);
    namedTeam.SetTno(u"X"_s);
    EXPECT_TRUE(fake.script->calls.isEmpty());

    Emp unnamed(fake.host.get());
    EXPECT_THROW(unnamed.SetEID(404), ComError);
    EXPECT_EQ(unnamed.EID(), 404) << "the value itself is stored";
}

TEST(LookupsTest, CollectionsAreKeyedByTheRecordsNumberAndSearchedById) {
    Teams teams;
    for (int i = 1; i <= 2; ++i) {
        auto t = std::make_shared<Team>();
        t->SetTno(u"T%1"_s.arg(i));
        t->SetTID(i * 10);
        teams.Add(t);
    }
    EXPECT_EQ(teams.Item(u"t2"_s)->TID(), 20);
    EXPECT_EQ(teams.FindIf([](const Team& t) { return t.TID() == 10; })->Tno(), u"T1"_s);
    EXPECT_EQ(teams.FindIf([](const Team& t) { return t.TID() == 99; }), nullptr);
    auto again = std::make_shared<Team>();
    again->SetTno(u"T1"_s);
    EXPECT_THROW(teams.Add(again), ComError);

    Devs devs;  // records without a number share the empty key
    devs.Add(std::make_shared<Dev>());
    EXPECT_TRUE(devs.Contains(QString()));
    EXPECT_THROW(devs.Add(std::make_shared<Dev>()), ComError);
}

}  // namespace
}  // namespace sp
