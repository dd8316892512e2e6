#include <QDate>

#include "MiddleTierFixture.h"
#include "common/Basic.h"

namespace sp::testing {
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
        {"", {QStringLiteral("WB-11"), QStringLiteral("WB-12"), QStringLiteral("WB-13")}},
        {" AND Dept.FShortNumber >='D02'", {QStringLiteral("WB-12"), QStringLiteral("WB-13")}},
        {" AND wc.FShortNumber <='WC01'", {QStringLiteral("WB-11")}},
        {" AND mo.FBillNo >='MO-1' AND mo.FBillNo <='MO-1'",
         {QStringLiteral("WB-11"), QStringLiteral("WB-12"), QStringLiteral("WB-13")}},
        {" AND wbe.FWorkBillNo >='WB-12'", {QStringLiteral("WB-12"), QStringLiteral("WB-13")}},
        {" AND team.FID >='T01'", {QStringLiteral("WB-11")}},
        {" AND emp.FShortNumber <='E001'", {QStringLiteral("WB-11")}},
        {" AND SMR.FID >='P02' AND SMR.FID <='P02'", {QStringLiteral("WB-12")}},
        {" AND wbe.FWorkBillNo >='it''s'", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Numbers(q.GetWorkBillByFilter(p, false, QString::fromUtf8(c.condition))), c.expected)
            << c.condition;

    RecordsetPtr rs = q.GetWorkBillByFilter(p, false, QStringLiteral(" AND wbe.FWorkBillNo <='WB-11'"));
    const QStringList spelled = {QStringLiteral("FWBinterID"),       QStringLiteral("FitemName"),
                                 QStringLiteral("FitemModel"),       QStringLiteral("FWorkCenterNO"),
                                 QStringLiteral("FOperNO"),          QStringLiteral("FschemeName"),
                                 QStringLiteral("FsupplyName"),      QStringLiteral("FAuxQtyRecive"),
                                 QStringLiteral("FQualityShcemeID"), QStringLiteral("fwaittooltime")};
    for (const QString& name : spelled)
        EXPECT_TRUE(rs->FieldNames().contains(name)) << name.toStdString() << " spelled as the database does";
    EXPECT_EQ(rs->Field(QStringLiteral("FWBinterID")).toInt(), WB11);
    EXPECT_EQ(rs->Field(QStringLiteral("FitemName")).toString(), QStringLiteral("传动轴"));
    EXPECT_EQ(rs->Field(QStringLiteral("FWorkCenterNO")).toString(), QStringLiteral("WC01"));
    EXPECT_EQ(rs->Field(QStringLiteral("FOperNO")).toString(), QStringLiteral("P01"));
    EXPECT_EQ(rs->Field(QStringLiteral("FschemeName")).toString(), QStringLiteral("首检方案"));
    EXPECT_EQ(rs->Field(QStringLiteral("FsupplyName")).toString(), QStringLiteral("外协厂"));
    EXPECT_EQ(Basic::Dbl(rs->Field(QStringLiteral("FAuxQtyPlan"))), 100);

    // One tree node.
    EXPECT_EQ(Numbers(q.GetWorkBillByWCMO(p, true, false, 2, QString())),
              (QStringList{QStringLiteral("WB-12"), QStringLiteral("WB-13")}));
    EXPECT_EQ(Numbers(q.GetWorkBillByWCMO(p, false, false, 1001, QStringLiteral("D01"))),
              QStringList{QStringLiteral("WB-11")});
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

    RecordsetPtr info = q.GetWorkBillInfo(p, QStringLiteral("WB-11"));
    ASSERT_FALSE(info->Eof());
    EXPECT_EQ(info->Field(QStringLiteral("WorkCenterID")).toInt(), 1);
    EXPECT_EQ(info->Field(QStringLiteral("DeptNO")).toString(), QStringLiteral("D01"));
    EXPECT_EQ(info->Field(QStringLiteral("MOID")).toInt(), 1001);
    EXPECT_EQ(info->Field(QStringLiteral("FWBinterID")).toInt(), WB11);
    EXPECT_EQ(info->Field(QStringLiteral("FteamID")).toInt(), 201);
    EXPECT_EQ(info->Field(QStringLiteral("FworkerID")).toInt(), 501);
    EXPECT_EQ(info->Field(QStringLiteral("FdeviceID")).toInt(), 601);
    EXPECT_EQ(info->Field(QStringLiteral("FisOut")).toInt(), 1059);
    EXPECT_EQ(info->Field(QStringLiteral("Ffare")).toInt(), 1058);
    EXPECT_TRUE(q.GetWorkBillInfo(p, QStringLiteral("WB-99"))->Eof());

    RecordsetPtr tree = q.GetWorkBillTree(p, false, false, QString());
    QStringList keys;
    for (; !tree->Eof(); tree->MoveNext()) keys << tree->Field(QStringLiteral("NodeKey")).toString();
    EXPECT_EQ(keys, (QStringList{QStringLiteral("DEPT\tD01"), QStringLiteral("D01MO\t1001"),
                                 QStringLiteral("DEPT\tD02"), QStringLiteral("D02MO\t1001")}));
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
    const QString today = Basic::DateText(Basic::ToDate(db().Scalar(
        QStringLiteral("SELECT FcheckDate FROM SHProcRpt WHERE FWBInterID = 11 AND Fserial = 1"))));
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
    EXPECT_EQ(f.mid(7, 6),
              (QStringList{QStringLiteral("201"), QStringLiteral("501"), QStringLiteral("601"),
                           QStringLiteral("1.5"), QStringLiteral("1001"), QStringLiteral("101")}));
    EXPECT_EQ(f[13], QStringLiteral("100"));

    ASSERT_TRUE(Save(WB11, 1, {70, 70, 70, 50}));
    ASSERT_TRUE(Audit(WB11, 1));
    ASSERT_TRUE(Save(WB11, 2, {20, 18, 18, 10}));
    f = q.GetWorkProcRptNew(p, QStringLiteral("WB-11")).split(QLatin1Char('\t'));
    EXPECT_EQ(f[0], QStringLiteral("3"));
    EXPECT_EQ(f[1], QStringLiteral("2026-02-02")) << "continues where the last report ended";
    EXPECT_LE(f[1], f[2]);
    EXPECT_EQ(f.mid(4, 3), (QStringList{QStringLiteral("90"), QStringLiteral("88"), QStringLiteral("60")}));
    EXPECT_EQ(f[13], QStringLiteral("10")) << "the draft's 20 is not offered again";
    EXPECT_THROW(q.GetWorkProcRptNew(p, QStringLiteral("WB-99")), ComError);

    struct Cumulative {
        const char* serial;
        double reported, received, handedOver;
    };
    for (const Cumulative& c : {Cumulative{"0", 0, 0, 0}, Cumulative{"1", 70, 70, 50},
                                Cumulative{"2", 88, 90, 60}, Cumulative{"9", 88, 90, 60}}) {
        EXPECT_EQ(q.GetWorkProcRptQty(p, QStringLiteral("WB-11"), QString::fromLatin1(c.serial)), c.reported)
            << c.serial;
        EXPECT_EQ(q.GetWorkProcReceiveQty(p, QStringLiteral("WB-11"), QString::fromLatin1(c.serial)),
                  c.received);
        EXPECT_EQ(q.GetWorkProcHandOverQty(p, QStringLiteral("WB-11"), QString::fromLatin1(c.serial)),
                  c.handedOver);
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
    EXPECT_TRUE(q.GetWorkBillByFilter(Props(Clerk), true, QString())->Eof());

    struct Fault {
        const char* name;
        const char* spoil;
        const char* repair;
        QStringList expected;
    };
    const std::vector<Fault> faults = {
        {"posted differs from audited reports",
         "UPDATE SHWorkBillEntry SET FauxQtyLost = 2 WHERE FWBInterID = 13",
         "UPDATE SHWorkBillEntry SET FauxQtyLost = 0 WHERE FWBInterID = 13",
         {QStringLiteral("WB-13")}},
        {"report changed behind the posting",
         "UPDATE SHProcRpt SET FAuxQtyHandOver = 50 WHERE FWBInterID = 11",
         "UPDATE SHProcRpt SET FAuxQtyHandOver = 60 WHERE FWBInterID = 11",
         {QStringLiteral("WB-11")}},
        {"handed over more than passed",
         "UPDATE SHWorkBillEntry SET FauxQtyPass = 50 WHERE FWBInterID = 12",
         "UPDATE SHWorkBillEntry SET FauxQtyPass = 60 WHERE FWBInterID = 12",
         {QStringLiteral("WB-12")}},
    };
    for (const Fault& f : faults) {
        db().Exec(QString::fromLatin1(f.spoil));
        EXPECT_EQ(Numbers(q.GetWorkBillByFilter(Props(Clerk), true, QString())), f.expected) << f.name;
        db().Exec(QString::fromLatin1(f.repair));
    }
    // The second fault, with the posted total moved along with the report: the routing
    // check alone still finds WB-12 over-received.
    db().Exec(QStringLiteral("UPDATE SHProcRpt SET FAuxQtyHandOver = 50 WHERE FWBInterID = 11"));
    db().Exec(QStringLiteral("UPDATE SHWorkBillEntry SET FauxQtyHandOver = 50 WHERE FWBInterID = 11"));
    EXPECT_EQ(
        Numbers(q.GetWorkBillByFilter(Props(Clerk), true, QStringLiteral(" AND wbe.FWorkBillNo >='WB-12'"))),
        QStringList{QStringLiteral("WB-12")});
}

SP_MIDDLETIER_BACKENDS(QueryTest);

}  // namespace
}  // namespace sp::testing
