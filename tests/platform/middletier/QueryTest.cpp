#include <QDate>

#include "tests/platform/middletier/MiddleTierFixture.h"
#include "src/common/Basic.h"

namespace sp::test {
namespace {

class QueryTest : public MiddleTierTest {
  protected:
    QStringList Numbers(const RecordsetPtr& rs) {
        QStringList numbers;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            numbers << rs->Field(QStringLiteral("FWorkBillNO")).toString();
        return numbers;
    }
};

TEST_P(QueryTest, ReportableWorkBillsUnderTheClientsCondition) {
    platform::MShopProc q = query();
    const QString p = Props(Clerk);
    struct Case {
        const char* condition;
        QStringList expected;
    };
    const std::vector<Case> cases = {
        {"", Words("WB-11,WB-12,WB-13")},
        {" AND Dept.FShortNumber >='D02'", Words("WB-12,WB-13")},
        {" AND wc.FShortNumber <='WC01'", Words("WB-11")},
        {" AND mo.FBillNo >='MO-1' AND mo.FBillNo <='MO-1'", Words("WB-11,WB-12,WB-13")},
        {" AND wbe.FWorkBillNo >='WB-12'", Words("WB-12,WB-13")},
        {" AND team.FID >='T01'", Words("WB-11")},
        {" AND emp.FShortNumber <='E001'", Words("WB-11")},
        {" AND SMR.FID >='P02' AND SMR.FID <='P02'", Words("WB-12")},
        {" AND wbe.FWorkBillNo >='it''s'", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Numbers(q.GetWorkBillByFilter(p, false, QString::fromUtf8(c.condition))), c.expected)
            << c.condition;

    RecordsetPtr rs = q.GetWorkBillByFilter(p, false, QStringLiteral(" AND wbe.FWorkBillNo <='WB-11'"));
    const QStringList spelled = Words(
        "FWBinterID,FitemName,FitemModel,FWorkCenterNO,FOperNO,FschemeName,FsupplyName,FAuxQtyRecive,"
        "FQualityShcemeID,fwaittooltime");
    for (const QString& name : spelled)
        EXPECT_TRUE(rs->FieldNames().contains(name)) << name.toStdString() << " spelled as the database does";
    ExpectFields(rs,
                 "FWBinterID=11;FitemName=传动轴;FWorkCenterNO=WC01;FOperNO=P01;FschemeName=首检方案;"
                 "FsupplyName=外协厂;FAuxQtyPlan=100");

    // One tree node.
    EXPECT_EQ(Numbers(q.GetWorkBillByWCMO(p, true, false, 2, QString())), Words("WB-12,WB-13"));
    EXPECT_EQ(Numbers(q.GetWorkBillByWCMO(p, false, false, 1001, QStringLiteral("D01"))), Words("WB-11"));
}

TEST_P(QueryTest, WorkBillIdentityAndInfo) {
    platform::MShopProc q = query();
    const QString p = Props(Clerk);
    EXPECT_TRUE(q.IsExistWB(p, QStringLiteral("WB-12")));
    for (const char* no : {"WB-21", "WB-31", "WB-41", "WB-99", ""})
        EXPECT_FALSE(q.IsExistWB(p, QString::fromLatin1(no))) << no;
    EXPECT_EQ(q.GetWorkBillInterID(p, QStringLiteral("WB-12")), WB12);
    EXPECT_EQ(q.GetWorkBillInterID(p, QStringLiteral("nope")), 0);
    EXPECT_EQ(q.GetWorkBillNO(p, WB13), QStringLiteral("WB-13"));
    EXPECT_EQ(q.GetWorkBillNO(p, 999), QString());
    EXPECT_EQ(q.GetWCID(p, WB12), 2);
    EXPECT_EQ(q.GetQtyDecimal(p, WB11), 3);

    ExpectFields(q.GetWorkBillInfo(p, QStringLiteral("WB-11")),
                 "WorkCenterID=1;DeptNO=D01;MOID=1001;FWBinterID=11;FteamID=201;FworkerID=501;FdeviceID=601;"
                 "FisOut=1059;Ffare=1058");
    EXPECT_TRUE(q.GetWorkBillInfo(p, QStringLiteral("WB-99"))->Eof());

    RecordsetPtr tree = q.GetWorkBillTree(p, false, false, QString());
    QStringList keys;
    for (; !tree->Eof(); tree->MoveNext()) keys << tree->Field(QStringLiteral("NodeKey")).toString();
    EXPECT_EQ(keys, Words("DEPT\tD01,D01MO\t1001,DEPT\tD02,D02MO\t1001"));
    tree = q.GetWorkBillTree(p, true, false, QStringLiteral(" AND Dept.FShortNumber >='D02'"));
    ASSERT_EQ(tree->RecordCount(), 2);
    tree->MoveNext();
    EXPECT_EQ(tree->Field(QStringLiteral("NodeKey")).toString(), QStringLiteral("WC\t2"));
    EXPECT_EQ(tree->Field(QStringLiteral("ParentKey")).toString(), QStringLiteral("DEPT\tD02"));
}

TEST_P(QueryTest, HistoryTextFollowsAnUnusualSelectList) {
    ASSERT_TRUE(Save(WB11, 1, {12.5, 12.5, 12, 10}));
    ASSERT_TRUE(Audit(WB11, 1));
    ReportRecords records;
    records.Add(Record(WB11, QStringLiteral("2"), {3, 3, 3, 0}, QStringLiteral("a\tb")));
    ASSERT_TRUE(SaveAll(records));
    const QString select = QStringLiteral(
        "PR.Fmemo,PR.Fserial,0 As "
        "LJHBSL,SMT.Fname,PR.FcheckDate,WBE.FWorkBillNO,PR.FAuxQtyReceive,PR.Fstatus,"
        "WBE.FauxQtyRecive,PR.FcheckerID");
    const QString text = query().GetWorkProcRptHis(Props(Clerk), QStringLiteral("'WB-11'"), select);
    const QStringList records2 = text.split(QLatin1Char('\r'));
    ASSERT_EQ(records2.size(), 2) << text.toStdString();
    const QString today = Basic::DateText(
        Basic::ToDate(Scalar("SELECT FcheckDate FROM SHProcRpt WHERE FWBInterID = 11 AND Fserial = 1")));
    EXPECT_EQ(records2[0],
              QStringLiteral("\t1\t0\t小时\t") + today + QStringLiteral("\tWB-11\t12.5\t1\t12.5\t1"));
    EXPECT_EQ(records2[1], QStringLiteral("a b\t2\t0\t小时\t\tWB-11\t3\t0\t12.5\t0"))
        << "NULL date empty, tab kept out";

    // The record filter follows the quoted number, as the workbench builds it.
    const QString filtered = query().GetWorkProcRptHis(
        Props(Clerk), QStringLiteral("'WB-11' And ( PR.FSerial =  2OR  PR.FMemo Like '%zz''%')"),
        QStringLiteral("PR.Fserial"));
    EXPECT_EQ(filtered, QStringLiteral("2"));
    EXPECT_EQ(query().GetWorkProcRptHis(Props(Clerk), QStringLiteral("'WB-12'"), select), QString());
}

TEST_P(QueryTest, ProposalAndCumulativeQuantities) {
    platform::MShopProc q = query();
    const QString p = Props(Clerk);
    QStringList f = q.GetWorkProcRptNew(p, QStringLiteral("WB-11")).split(QLatin1Char('\t'));
    ASSERT_EQ(f.size(), 14);
    EXPECT_EQ(f[0], QStringLiteral("1"));
    EXPECT_EQ(f[1], QStringLiteral("2026-01-05")) << "a first report starts at the planned start";
    EXPECT_EQ(f[3], QStringLiteral("小时"));
    EXPECT_EQ(f.mid(7, 6), Words("201,501,601,1.5,1001,101"));
    EXPECT_EQ(f[13], QStringLiteral("100"));

    ASSERT_TRUE(Save(WB11, 1, {70, 70, 70, 50}));
    ASSERT_TRUE(Audit(WB11, 1));
    ASSERT_TRUE(Save(WB11, 2, {20, 18, 18, 10}));
    f = q.GetWorkProcRptNew(p, QStringLiteral("WB-11")).split(QLatin1Char('\t'));
    EXPECT_EQ(f[0], QStringLiteral("3"));
    EXPECT_EQ(f[1], QStringLiteral("2026-02-02")) << "continues where the last report ended";
    EXPECT_LE(f[1], f[2]);
    EXPECT_EQ(f.mid(4, 3), Words("90,88,60"));
    EXPECT_EQ(f[13], QStringLiteral("10")) << "the draft's 20 is not offered again";
    EXPECT_THROW(q.GetWorkProcRptNew(p, QStringLiteral("WB-99")), ComError);

    struct Cumulative {
        const char* serial;
        double reported, received, handedOver;
    };
    const QString wb = QStringLiteral("WB-11");
    for (const Cumulative& c : {Cumulative{"0", 0, 0, 0}, Cumulative{"1", 70, 70, 50},
                                Cumulative{"2", 88, 90, 60}, Cumulative{"9", 88, 90, 60}}) {
        const QString serial = QString::fromLatin1(c.serial);
        EXPECT_EQ(q.GetWorkProcRptQty(p, wb, serial), c.reported) << c.serial;
        EXPECT_EQ(q.GetWorkProcReceiveQty(p, wb, serial), c.received) << c.serial;
        EXPECT_EQ(q.GetWorkProcHandOverQty(p, wb, serial), c.handedOver) << c.serial;
    }
    ASSERT_TRUE(Delete(WB11, 2));
    EXPECT_EQ(q.GetWorkProcReceiveQty(p, QStringLiteral("WB-11"), QStringLiteral("2")), 70)
        << "a write is seen at once";
}

TEST_P(QueryTest, ReferenceLookupsByIdOrNumber) {
    platform::MShopProc q = query();
    const QString p = Props(Clerk);
    QString no, name;
    qint32 id = 501, group = 0, type = 0, wc = 0;
    q.GetEmpInfo(p, no, id, name, group);
    EXPECT_EQ(no, QStringLiteral("01.E001"));
    EXPECT_EQ(name, QStringLiteral("张三"));
    EXPECT_EQ(group, 201);
    no = QStringLiteral("E001"), id = 0, name.clear();
    q.GetEmpInfo(p, no, id, name, group);
    EXPECT_EQ(id, 501) << "the short number finds the employee too";
    no = QStringLiteral("E404"), id = 0, name = QStringLiteral("stale");
    q.GetEmpInfo(p, no, id, name, group);
    EXPECT_EQ(id, 0);
    EXPECT_TRUE(name.isEmpty());

    no = QStringLiteral("M001"), id = 0, name.clear();
    q.GetDevInfo(p, no, id, name, type, wc);
    EXPECT_EQ(id, 601);
    EXPECT_EQ(type, 401);
    EXPECT_EQ(wc, 1);
    no.clear(), id = 201, name.clear();
    q.GetTeamInfo(p, no, id, name);
    EXPECT_EQ(no, QStringLiteral("T01"));
    EXPECT_EQ(name, QStringLiteral("甲班"));
    no.clear(), id = 101, name.clear();
    q.GetTeamInfo(p, no, id, name);
    EXPECT_EQ(id, 0) << "a process is no team";
    EXPECT_EQ(q.GetUserName(p, QStringLiteral("1")), QStringLiteral("王会计"));
    EXPECT_EQ(q.GetUserName(p, QStringLiteral("77")), QString());
}

TEST_P(QueryTest, ConsistencyCheckFindsEachKindOfFault) {
    ASSERT_TRUE(Save(WB11, 1, {100, 100, 100, 60}));
    ASSERT_TRUE(Audit(WB11, 1));
    ASSERT_TRUE(Save(WB12, 1, {60, 60, 60, 60}));
    ASSERT_TRUE(Audit(WB12, 1));
    platform::MShopProc q = query();
    EXPECT_TRUE(Consistent());

    // Each fault is made inside a unit that is rolled back, so the next starts clean.
    const struct {
        const char* spoil;
        const char* expected;
    } faults[] = {
        {"UPDATE SHWorkBillEntry SET FauxQtyLost = 2 WHERE FWBInterID = 13", "WB-13"},  // posted <> audited
        {"UPDATE SHProcRpt SET FAuxQtyHandOver = 50 WHERE FWBInterID = 11", "WB-11"},   // report changed
        {"UPDATE SHWorkBillEntry SET FauxQtyPass = 50 WHERE FWBInterID = 12",
         "WB-12"},  // handed over > passed
    };
    for (const auto& f : faults) {
        platform::Transaction unit(db());
        Exec(f.spoil);
        EXPECT_EQ(Numbers(q.GetWorkBillByFilter(Props(Clerk), true, QString())), Words(f.expected))
            << f.spoil;
    }
    // The second fault, with the posted total moved along with the report: the routing
    // check alone still finds WB-12 over-received.
    Exec("UPDATE SHProcRpt SET FAuxQtyHandOver = 50 WHERE FWBInterID = 11");
    Exec("UPDATE SHWorkBillEntry SET FauxQtyHandOver = 50 WHERE FWBInterID = 11");
    EXPECT_EQ(
        Numbers(q.GetWorkBillByFilter(Props(Clerk), true, QStringLiteral(" AND wbe.FWorkBillNo >='WB-12'"))),
        Words("WB-12"));
}

SP_INSTANTIATE_BACKENDS(QueryTest);

}  // namespace
}  // namespace sp::test
