#include <QDate>

#include "src/common/Basic.h"
#include "tests/platform/middletier/MiddleTierFixture.h"

namespace sp::test {
namespace {

class QueryTest : public MiddleTierTest {};

QStringList Numbers(const RecordsetPtr& rs) { return Values(rs, "FWorkBillNO"); }

TEST_P(QueryTest, ReportableWorkBillsUnderTheClientsCondition) {
    platform::MShopProc q = query();
    const QString p = Props(Clerk);
    const std::pair<const char*, const char*> cases[] = {
        {"", "WB-11,WB-12,WB-13"},
        {" AND Dept.FShortNumber >='D02'", "WB-12,WB-13"},
        {" AND wc.FShortNumber <='WC01'", "WB-11"},
        {" AND mo.FBillNo >='MO-1' AND mo.FBillNo <='MO-1'", "WB-11,WB-12,WB-13"},
        {" AND wbe.FWorkBillNo >='WB-12'", "WB-12,WB-13"},
        {" AND team.FID >='T01'", "WB-11"},
        {" AND emp.FShortNumber <='E001'", "WB-11"},
        {" AND SMR.FID >='P02' AND SMR.FID <='P02'", "WB-12"},
        {" AND wbe.FWorkBillNo >='it''s'", ""},
    };
    for (const auto& [condition, expected] : cases)
        EXPECT_EQ(Numbers(q.GetWorkBillByFilter(p, false, QString::fromUtf8(condition))), Words(expected))
            << condition;

    // The fields the component reads, by their names as it spells them.
    ExpectFields(
        q.GetWorkBillByFilter(p, false, QStringLiteral(" AND wbe.FWorkBillNo <='WB-11'")),
        "FWBinterID=11;FitemName=传动轴;FitemModel=φ20;FWorkCenterNO=WC01;FOperNO=P01;FschemeName=首检方案;"
        "FsupplyName=外协厂;FAuxQtyPlan=100;FAuxQtyRecive=0;FQualityShcemeID=801;fwaittooltime=0");

    // One tree node.
    EXPECT_EQ(Numbers(q.GetWorkBillByWCMO(p, true, false, 2, QString())), Words("WB-12,WB-13"));
    EXPECT_EQ(Numbers(q.GetWorkBillByWCMO(p, false, false, 1001, QStringLiteral("D01"))), Words("WB-11"));
}

TEST_P(QueryTest, HistoryTextFollowsAnUnusualSelectList) {
    ASSERT_TRUE(Save(WB11, 1, {12.5, 12.5, 12, 10}));
    ASSERT_TRUE(Audit(WB11, 1));
    ReportRecords records;
    records.Add(Record(WB11, QStringLiteral("2"), {3, 3, 3, 0}));
    ASSERT_TRUE(SaveAll(records));
    // A memo stored before control characters were refused.
    Exec("UPDATE SHProcRpt SET Fmemo = ? WHERE FWBInterID = 11 AND Fserial = 2", {QStringLiteral("a\tb")});
    const QString select = QStringLiteral(
        "PR.Fmemo,PR.Fserial,0 As "
        "LJHBSL,SMT.Fname,PR.FcheckDate,WBE.FWorkBillNO,PR.FAuxQtyReceive,PR.Fstatus,"
        "WBE.FauxQtyRecive,PR.FcheckerID");
    const QString text = query().GetWorkProcRptHis(Props(Clerk), QStringLiteral("'WB-11'"), select);
    const QStringList rows = text.split(QLatin1Char('\r'));
    ASSERT_EQ(rows.size(), 2) << text.toStdString();
    const QString today = Basic::DateText(
        Basic::ToDate(Scalar("SELECT FcheckDate FROM SHProcRpt WHERE FWBInterID = 11 AND Fserial = 1")));
    EXPECT_EQ(rows[0],
              QStringLiteral("\t1\t0\t小时\t") + today + QStringLiteral("\tWB-11\t12.5\t1\t12.5\t1"));
    EXPECT_EQ(rows[1], QStringLiteral("a b\t2\t0\t小时\t\tWB-11\t3\t0\t12.5\t0"))
        << "NULL date empty, tab kept out";
    // The memo sent back as the history shows it leaves the stored one as it is, also when
    // the report changes otherwise.
    records.Item(1)->Set(QStringLiteral("Fmemo"), QStringLiteral("a b"));
    records.Item(1)->Set(QStringLiteral("FauxQtyReceive"), 4.0);
    ASSERT_TRUE(SaveAll(records)) << lastMessage.toStdString();
    ExpectFields(Query("SELECT Fmemo, FAuxQtyReceive FROM SHProcRpt WHERE FWBInterID = 11 AND Fserial = 2"),
                 "Fmemo=a\tb;FAuxQtyReceive=4");

    // The memo filter finds text whatever its case, on both databases; a literal holding the
    // operator's own words is searched for as it stands.
    for (const auto& [memo, found] : {std::pair{"A_B", true}, {"a_b", true}, {"PR.FMemo Like ''x", false}}) {
        const QString condition = QStringLiteral("'WB-11' And (  PR.FMemo Like '%%1%' ESCAPE '!')");
        EXPECT_EQ(
            query().GetWorkProcRptHis(Props(Clerk), condition.arg(QString::fromUtf8(memo)), select).isEmpty(),
            !found)
            << memo;
    }
    EXPECT_EQ(query().GetWorkProcRptHis(Props(Clerk), QStringLiteral("'WB-12'"), select), QString());
}

TEST_P(QueryTest, ProposalAndCumulativeQuantities) {
    platform::MShopProc q = query();
    const QString p = Props(Clerk);
    // The proposal with its end date (field 3) left out: a first report starts at the planned
    // start; a later one continues where the last ended, and a draft's receipt is not
    // offered again.
    const auto proposal = [&] {
        QStringList f = q.GetWorkProcRptNew(p, QStringLiteral("WB-11")).split(QLatin1Char('\t'));
        EXPECT_LE(f.value(1), f.value(2));
        f.removeAt(2);
        return f;
    };
    EXPECT_EQ(proposal(), Words("1,2026-01-05,小时,0,0,0,201,501,601,1.5,1001,101,100"));
    ASSERT_TRUE(Save(WB11, 1, {70, 70, 70, 50}));
    ASSERT_TRUE(Audit(WB11, 1));
    ASSERT_TRUE(Save(WB11, 2, {20, 18, 18, 10}));
    EXPECT_EQ(proposal(), Words("3,2026-02-02,小时,90,88,60,201,501,601,1.5,1001,101,10"));
    EXPECT_THROW(q.GetWorkProcRptNew(p, QStringLiteral("WB-99")), ComError);

    // Reported, received and handed over up to a serial, drafts included.
    const QString wb = QStringLiteral("WB-11");
    for (const auto& [serial, expected] :
         {std::pair{"0", "0|0|0"}, {"1", "70|70|50"}, {"2", "88|90|60"}, {"9", "88|90|60"}}) {
        const QString s = QString::fromLatin1(serial);
        EXPECT_EQ(QStringLiteral("%1|%2|%3")
                      .arg(q.GetWorkProcRptQty(p, wb, s))
                      .arg(q.GetWorkProcReceiveQty(p, wb, s))
                      .arg(q.GetWorkProcHandOverQty(p, wb, s)),
                  QString::fromLatin1(expected))
            << serial;
    }
    ASSERT_TRUE(Delete(WB11, 2));
    EXPECT_EQ(q.GetWorkProcReceiveQty(p, QStringLiteral("WB-11"), QStringLiteral("2")), 70)
        << "a write is seen at once";
}

// Work bills and reference data, asked for by number or by id.
TEST_P(QueryTest, LookupsByNumberOrId) {
    platform::MShopProc q = query();
    const QString p = Props(Clerk);
    // Two employees whose long numbers differ only in letter case; one's short number is the other's
    // long number.
    Exec(
        "INSERT INTO t_Emp (FItemID, FNumber, FShortNumber, FName, FprofessionalGroup) VALUES "
        "(502, 'e.9', 'E.9', '李四', 0), (503, 'E.9', 'Z3', '王五', 0)");
    // Employee (E), device (D) or team (T), asked by id, or by number with id 0; what comes back as
    // "number|id|name|group or type|work center", -1 where nothing was written.
    const auto lookup = [&](char kind, const char* no, qint32 id) {
        QString number = QString::fromUtf8(no), name = QStringLiteral("stale");
        qint32 extra = -1, workCenter = -1;
        if (kind == 'E')
            q.GetEmpInfo(p, number, id, name, extra);
        else if (kind == 'D')
            q.GetDevInfo(p, number, id, name, extra, workCenter);
        else
            q.GetTeamInfo(p, number, id, name);
        return QStringLiteral("%1|%2|%3|%4|%5").arg(number).arg(id).arg(name).arg(extra).arg(workCenter);
    };
    // clang-format off
    const std::tuple<char, const char*, qint32, const char*> lookups[] = {
        {'E', "", 501, "01.E001|501|张三|201|-1"},     {'E', "E001", 0, "01.E001|501|张三|201|-1"},
        {'E', " 01.e001 ", 0, "01.E001|501|张三|201|-1"}, {'E', "e001", 0, "01.E001|501|张三|201|-1"},
        {'E', "E.9", 0, "E.9|503|王五|0|-1"},           {'E', "e.9", 0, "e.9|502|李四|0|-1"},
        {'E', "E404", 0, "E404|0||-1|-1"},              {'E', "E001", 599, "E001|599||-1|-1"},
        {'D', "m001", 0, "M001|601|车床一号|401|1"},    {'D', "M001", 699, "M001|699||-1|-1"},
        {'T', "", 201, "T01|201|甲班|-1|-1"},           {'T', "t01", 0, "T01|201|甲班|-1|-1"},
        {'T', "", 101, "|101||-1|-1"} /* a process is no team */, {'T', "P01", 0, "P01|0||-1|-1"},
    };
    // clang-format on
    for (const auto& [kind, number, id, expected] : lookups)
        EXPECT_EQ(lookup(kind, number, id).toStdString(), expected) << kind << number << id;
    // Records added after a lookup are found by id at once.
    Exec(
        "INSERT INTO t_Emp (FItemID, FNumber, FShortNumber, FName, FprofessionalGroup) VALUES "
        "(504, 'E.10', 'E10', '赵六', 202)");
    EXPECT_EQ(lookup('E', "", 504).toStdString(), "E.10|504|赵六|202|-1");

    EXPECT_EQ(q.GetUserName(p, QStringLiteral("1")), QStringLiteral("王会计"));
    EXPECT_EQ(q.GetUserName(p, QStringLiteral("77")), QString());

    EXPECT_TRUE(q.IsExistWB(p, QStringLiteral("WB-12")));
    for (const char* closed : {"WB-21", "WB-31", "WB-41", "WB-99", ""})
        EXPECT_FALSE(q.IsExistWB(p, QString::fromLatin1(closed))) << closed;
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

    EXPECT_EQ(Values(q.GetWorkBillTree(p, false, false, QString()), "NodeKey"),
              Words("DEPT\tD01,D01MO\t1001,DEPT\tD02,D02MO\t1001"));
    const RecordsetPtr tree =
        q.GetWorkBillTree(p, true, false, QStringLiteral(" AND Dept.FShortNumber >='D02'"));
    EXPECT_EQ(Values(tree, "NodeKey"), Words("DEPT\tD02,WC\t2"));
    EXPECT_EQ(Values(tree, "ParentKey").value(1), QStringLiteral("DEPT\tD02"));
}

TEST_P(QueryTest, ConsistencyCheckFindsEachKindOfFault) {
    ASSERT_TRUE(Save(WB11, 1, {100, 100, 100, 60}));
    ASSERT_TRUE(Audit(WB11, 1));
    ASSERT_TRUE(Save(WB12, 1, {60, 60, 60, 60}));
    ASSERT_TRUE(Audit(WB12, 1));
    platform::MShopProc q = query();
    EXPECT_TRUE(Consistent());

    // Each fault is made inside a unit that is rolled back, so the next starts clean: a
    // posted total that differs from the audited reports, a report changed after its audit,
    // more handed over than passed, and (seen from WB-12 alone, whose books agree) more
    // received than the previous operation handed over.
    const std::tuple<const char*, const char*, const char*> faults[] = {
        {"UPDATE SHWorkBillEntry SET FauxQtyLost = 2 WHERE FWBInterID = 13", "", "WB-13"},
        {"UPDATE SHProcRpt SET FAuxQtyHandOver = 50 WHERE FWBInterID = 11", "", "WB-11"},
        {"UPDATE SHWorkBillEntry SET FauxQtyPass = 50 WHERE FWBInterID = 12", "", "WB-12"},
        {"UPDATE SHWorkBillEntry SET FauxQtyHandOver = 50 WHERE FWBInterID = 11",
         " AND wbe.FWorkBillNo >='WB-12'", "WB-12"},
    };
    for (const auto& [spoil, condition, expected] : faults) {
        platform::Transaction unit(db());
        Exec(spoil);
        EXPECT_EQ(Numbers(q.GetWorkBillByFilter(Props(Clerk), true, QString::fromUtf8(condition))),
                  Words(expected))
            << spoil;
    }
}

SP_INSTANTIATE_BACKENDS(QueryTest);

}  // namespace
}  // namespace sp::test
