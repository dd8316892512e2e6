#include <gtest/gtest.h>

#include "src/lookups/Devs.h"
#include "src/lookups/Emps.h"
#include "src/lookups/Teams.h"
#include "tests/support/FakeHost.h"

namespace sp::test {
namespace {

// An id or a number completes the record from the service (a new middle-tier object each
// time), unless the record is named: it keeps what it is given and never asks. An id the
// service cannot find stays and gets no name; the service's errors reach the caller.
TEST(Lookups, SettingIdOrNumberCompletesTheRecordUnlessItIsNamed) {
    HostHarness h;
    HostServices* host = h.host.get();
    h.fake->emps = {{11, u"E011"_s, u"张三"_s, 5}};
    h.fake->devs = {{21, u"D021"_s, u"车床"_s, 3, 9}};
    h.fake->teams = {{31, u"T031"_s, u"一班"_s}};
    Emp byId(host), byNumber(host), unknown(host);
    byId.SetEID(11);
    byNumber.SetEno(u"e011"_s);
    unknown.SetEID(404);
    EXPECT_EQ(std::tuple(byId.Eno(), byId.Ename(), byId.Pro(), byNumber.EID()),
              std::tuple(u"E011"_s, u"张三"_s, 5, 11));
    EXPECT_EQ(std::pair(unknown.EID(), unknown.Ename()), std::pair(404, QString()));
    Dev dev(host);
    dev.SetDID(21);
    EXPECT_EQ(std::tuple(dev.Dno(), dev.Dname(), dev.Dtype(), dev.DWC()),
              std::tuple(u"D021"_s, u"车床"_s, 3, 9));
    Team team(host);
    team.SetTno(u"T031"_s);
    EXPECT_EQ(std::tuple(team.TID(), team.Tname()), std::tuple(31, u"一班"_s));
    EXPECT_EQ(h.Created(ProgId::MShopProc()), 5);

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
    h.fake->failing = {u"GetTeamInfo"_s};
    EXPECT_THROW(Team(host).SetTID(31), ComError);
}

// Records are found by id; those without a number share the empty key, taken once.
TEST(Lookups, CollectionsAreSearchedByIdAndKeyedByTheRecordsNumber) {
    Teams teams;
    auto team = std::make_shared<Team>();
    team->SetTno(u"T1"_s);
    team->SetTID(10);
    teams.Add(team);
    EXPECT_EQ(teams.FindIf([](const Team& t) { return t.TID() == 10; }), team);
    EXPECT_EQ(teams.FindIf([](const Team& t) { return t.TID() == 99; }), nullptr);
    Devs devs;
    devs.Add(std::make_shared<Dev>());
    EXPECT_TRUE(devs.Contains(QString()));
    EXPECT_THROW(devs.Add(std::make_shared<Dev>()), ComError);
}

}  // namespace
}  // namespace sp::test
