#include <gtest/gtest.h>

#include "src/lookups/Devs.h"
#include "src/lookups/Emps.h"
#include "src/lookups/Teams.h"
#include "tests/support/FakeHost.h"

namespace sp::test {
namespace {

TEST(Lookups, SettingIdOrNumberCompletesTheRecordUnlessItIsNamed) {
    HostHarness h;
    HostServices* host = h.host.get();
    h.fake->emps = {{11, u"E011"_s, u"张三"_s, 5}};
    h.fake->devs = {{21, u"D021"_s, u"车床"_s, 3, 9}};
    h.fake->teams = {{31, u"T031"_s, u"一班"_s}};
    Emp byId(host), byNumber(host);
    byId.SetEID(11);
    byNumber.SetEno(u"e011"_s);
    EXPECT_EQ(std::tuple(byId.Eno(), byId.Ename(), byId.Pro()), std::tuple(u"E011"_s, u"张三"_s, 5));
    EXPECT_EQ(byNumber.EID(), 11);
    Dev dev(host);
    dev.SetDID(21);
    EXPECT_EQ(std::tuple(dev.Dno(), dev.Dname(), dev.Dtype(), dev.DWC()),
              std::tuple(u"D021"_s, u"车床"_s, 3, 9));
    Team team(host);
    team.SetTno(u"T031"_s);
    EXPECT_EQ(std::tuple(team.TID(), team.Tname()), std::tuple(31, u"一班"_s));
    EXPECT_EQ(h.Created(ProgId::MShopProc()), 4) << "a new middle-tier object per completion";

    // A named record keeps what it is given and never asks.
    h.fake->calls.clear();
    Emp named(host);
    named.SetEname(u"王五"_s);
    named.SetEID(99);
    Dev namedDev(host);
    namedDev.SetDname(u"铣床"_s);
    namedDev.SetDID(5);
    Team namedTeam(host);
    namedTeam.SetTname(u"二班"_s);
    namedTeam.SetTno(u"X"_s);
    EXPECT_TRUE(h.fake->calls.isEmpty());
    EXPECT_EQ(named.EID(), 99);

    // The service keeps an id it cannot find and gives no name; its errors reach the caller.
    Emp unknown(host);
    unknown.SetEID(404);
    EXPECT_EQ(unknown.EID(), 404);
    EXPECT_TRUE(unknown.Ename().isEmpty());
    h.fake->failing = {u"GetTeamInfo"_s};
    EXPECT_THROW(Team(host).SetTID(31), ComError);
}

TEST(Lookups, CollectionsAreKeyedByTheRecordsNumberAndSearchedById) {
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
}  // namespace sp::test
