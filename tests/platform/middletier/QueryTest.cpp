#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <thread>

#include "platform/db/KeptAnswers.h"
#include "platform/host/SystemProfile.h"
#include "platform/middletier/LayoutStore.h"
#include "platform/middletier/ListSelData.h"
#include "platform/middletier/LocalSwitchFile.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "platform/middletier/OperationLedger.h"
#include "platform/middletier/PlanProfile.h"
#include "src/common/Basic.h"
#include "tests/platform/middletier/MiddleTierFixture.h"
#include "tests/support/StatementFaults.h"

namespace sp::test {
namespace {

class QueryTest : public MiddleTierTest {};

QStringList Numbers(const RecordsetPtr& rs) { return Values(rs, "FWorkBillNO"); }

TEST_P(QueryTest, ReportableWorkBillsUnderTheClientsCondition) {
    platform::MShopProc q = query();
    const QString p = Props(Clerk);
    const std::pair<const char*, const char*> cases[] = {
        // clang-format off
        {"", "WB-11,WB-12,WB-13"}, {" AND Dept.FShortNumber >='D02'", "WB-12,WB-13"},
        {" AND wc.FShortNumber <='WC01'", "WB-11"},
        {" AND mo.FBillNo >='MO-1' AND mo.FBillNo <='MO-1'", "WB-11,WB-12,WB-13"},
        {" AND wbe.FWorkBillNo >='WB-12'", "WB-12,WB-13"}, {" AND team.FID >='T01'", "WB-11"},
        {" AND emp.FShortNumber <='E001'", "WB-11"}, {" AND SMR.FID >='P02' AND SMR.FID <='P02'", "WB-12"},
        {" AND wbe.FWorkBillNo >='it''s'", ""},
        // clang-format on
    };
    for (const auto& [condition, expected] : cases)
        EXPECT_EQ(Numbers(q.GetWorkBillByFilter(p, false, QString::fromUtf8(condition))), Words(expected))
            << condition;

    // The fields the component reads, by their names as it spells them.
    ExpectFields(
        q.GetWorkBillByFilter(p, false, u" AND wbe.FWorkBillNo <='WB-11'"_s),
        "FWBinterID=11;FitemName=传动轴;FitemModel=φ20;FWorkCenterNO=WC01;FOperNO=P01;FschemeName=首检方案;"
        "FsupplyName=外协厂;FAuxQtyPlan=100;FAuxQtyRecive=0;FQualityShcemeID=801;fwaittooltime=0");

    // One tree node.
    EXPECT_EQ(Numbers(q.GetWorkBillByWCMO(p, true, false, 2, QString())), Words("WB-12,WB-13"));
    EXPECT_EQ(Numbers(q.GetWorkBillByWCMO(p, false, false, 1001, u"D01"_s)), Words("WB-11"));
}

TEST_P(QueryTest, HistoryTextFollowsAnUnusualSelectList) {
    ASSERT_TRUE(Save(WB11, 1, {12.5, 12.5, 12, 10}));
    ASSERT_TRUE(Audit(WB11, 1));
    ReportRecords records;
    records.Add(Record(WB11, u"2"_s, {3, 3, 3, 0}));
    ASSERT_TRUE(SaveAll(records));
    // A memo stored before control characters were refused.
    Exec("UPDATE SHProcRpt SET Fmemo = ? WHERE FWBInterID = 11 AND Fserial = 2", {u"a\tb"_s});
    const QString select =
        u"PR.Fmemo,PR.Fserial,0 As "
        "LJHBSL,SMT.Fname,PR.FcheckDate,WBE.FWorkBillNO,PR.FAuxQtyReceive,PR.Fstatus,"
        "WBE.FauxQtyRecive,PR.FcheckerID"_s;
    const QString text = query().GetWorkProcRptHis(Props(Clerk), u"'WB-11'"_s, select);
    const QStringList rows = text.split(u'\r');
    ASSERT_EQ(rows.size(), 2) << text.toStdString();
    const QString today = Basic::DateText(
        Basic::ToDate(Scalar("SELECT FcheckDate FROM SHProcRpt WHERE FWBInterID = 11 AND Fserial = 1")));
    EXPECT_EQ(rows[0], u"\t1\t0\t小时\t"_s + today + u"\tWB-11\t12.5\t1\t12.5\t1"_s);
    EXPECT_EQ(rows[1], u"a b\t2\t0\t小时\t\tWB-11\t3\t0\t12.5\t0"_s) << "NULL date empty, tab kept out";
    // The memo sent back as the history shows it leaves the stored one as it is, also when
    // the report changes otherwise.
    records.Item(1)->Set(u"Fmemo"_s, u"a b"_s);
    records.Item(1)->Set(u"FauxQtyReceive"_s, 4.0);
    ASSERT_TRUE(SaveAll(records)) << lastMessage.toStdString();
    ExpectFields(Query("SELECT Fmemo, FAuxQtyReceive FROM SHProcRpt WHERE FWBInterID = 11 AND Fserial = 2"),
                 "Fmemo=a\tb;FAuxQtyReceive=4");

    // The memo filter finds text whatever its case, on both databases; a literal holding the
    // operator's own words is searched for as it stands.
    for (const auto& [memo, found] : {std::pair{"A_B", true}, {"a_b", true}, {"PR.FMemo Like ''x", false}}) {
        const QString condition = u"'WB-11' And (  PR.FMemo Like '%%1%' ESCAPE '!')"_s;
        EXPECT_EQ(
            query().GetWorkProcRptHis(Props(Clerk), condition.arg(QString::fromUtf8(memo)), select).isEmpty(),
            !found)
            << memo;
    }
    EXPECT_EQ(query().GetWorkProcRptHis(Props(Clerk), u"'WB-12'"_s, select), QString());
}

TEST_P(QueryTest, ProposalAndCumulativeQuantities) {
    platform::MShopProc q = query();
    const QString p = Props(Clerk);
    // The proposal with its end date (field 3) left out: a first report starts at the planned
    // start; a later one continues where the last ended, and a draft's receipt is not
    // offered again.
    const auto proposal = [&] {
        QStringList f = q.GetWorkProcRptNew(p, u"WB-11"_s).split(u'\t');
        EXPECT_LE(f.value(1), f.value(2));
        f.removeAt(2);
        return f;
    };
    EXPECT_EQ(proposal(), Words("1,2026-01-05,小时,0,0,0,201,501,601,1.5,1001,101,100"));
    ASSERT_TRUE(Save(WB11, 1, {70, 70, 70, 50}));
    ASSERT_TRUE(Audit(WB11, 1));
    ASSERT_TRUE(Save(WB11, 2, {20, 18, 18, 10}));
    EXPECT_EQ(proposal(), Words("3,2026-02-02,小时,90,88,60,201,501,601,1.5,1001,101,10"));
    EXPECT_EQ(q.GetQtyDecimal(p, WB11), 3) << "as the proposal read them";
    // A number found reportable is taken next: its stamp read brings the proposal along, and
    // both are what they are when read apart.
    ASSERT_TRUE(Save(WB12, 1, {5, 5, 5, 5}));
    ASSERT_TRUE(Save(WB12, 2, {1, 1, 1, 1}));
    const auto stampAndProposal = [&] {
        const QString stamp = q.GetWorkBillStamp(p, WB12);  // first, as the take reads it
        return std::pair(stamp, q.GetWorkProcRptNew(p, u"WB-12"_s));
    };
    platform::ForgetKeptAnswers();
    const auto apart = stampAndProposal();
    ASSERT_TRUE(q.IsExistWB(p, u"WB-12"_s));
    EXPECT_EQ(stampAndProposal(), apart);
    // The stamp keeps the item's quantity decimals, which the history's format asks for next.
    platform::ForgetKeptAnswers();
    const qint32 decimals = q.GetQtyDecimal(p, WB12);
    platform::ForgetKeptAnswers();
    q.GetWorkBillStamp(p, WB12);
    Exec("UPDATE t_ICItem SET FQtyDecimal = FQtyDecimal + 1");
    EXPECT_EQ(q.GetQtyDecimal(p, WB12), decimals);
    EXPECT_THROW(q.GetWorkProcRptNew(p, u"WB-99"_s), ComError);

    // Reported, received and handed over up to a serial, drafts included.
    const QString wb = u"WB-11"_s;
    for (const auto& [serial, expected] :
         {std::pair{"0", "0|0|0"}, {"1", "70|70|50"}, {"2", "88|90|60"}, {"9", "88|90|60"}}) {
        const QString s = QString::fromLatin1(serial);
        EXPECT_EQ(u"%1|%2|%3"_s.arg(q.GetWorkProcRptQty(p, wb, s))
                      .arg(q.GetWorkProcReceiveQty(p, wb, s))
                      .arg(q.GetWorkProcHandOverQty(p, wb, s)),
                  QString::fromLatin1(expected))
            << serial;
    }
    ASSERT_TRUE(Delete(WB11, 2));
    EXPECT_EQ(q.GetWorkProcReceiveQty(p, u"WB-11"_s, u"2"_s), 70) << "a write is seen at once";
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
        QString number = QString::fromUtf8(no), name = u"stale"_s;
        qint32 extra = -1, workCenter = -1;
        if (kind == 'E')
            q.GetEmpInfo(p, number, id, name, extra);
        else if (kind == 'D')
            q.GetDevInfo(p, number, id, name, extra, workCenter);
        else
            q.GetTeamInfo(p, number, id, name);
        return u"%1|%2|%3|%4|%5"_s.arg(number).arg(id).arg(name).arg(extra).arg(workCenter);
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

    EXPECT_EQ(std::tuple(q.GetUserName(p, u"1"_s), q.GetUserName(p, u"77"_s), q.GetWorkBillNO(p, WB13),
                         q.GetWorkBillNO(p, 999)),
              std::tuple(u"王会计"_s, QString(), u"WB-13"_s, QString()));
    EXPECT_EQ(std::tuple(q.GetWorkBillInterID(p, u"WB-12"_s), q.GetWorkBillInterID(p, u"nope"_s),
                         q.GetWCID(p, WB12), q.GetQtyDecimal(p, WB11)),
              std::tuple(WB12, 0, 2, 3));
    // Only an open work bill of an open task takes reports; read with the operation's limits
    // as a save begins, or on its own.
    for (const bool withLimits : {true, false})
        for (const char* bill : {"WB-12", "WB-21", "WB-31", "WB-41", "WB-99", ""}) {
            platform::ForgetKeptAnswers();
            const QString no = QString::fromLatin1(bill);
            if (const RecordsetPtr op = db().Query(
                    u"SELECT FInterID, FOperID FROM SHWorkBillEntry WHERE FWorkBillNO = ?"_s, {no});
                withLimits && !op->Eof())
                q.GetControlReceiveQty(p, Basic::Long(op->Field(0)), Basic::Long(op->Field(1)));
            EXPECT_EQ(q.IsExistWB(p, no), no == u"WB-12"_s) << bill << withLimits;
        }
    // The receive-control switch read with a typed number's check is what the save asks next.
    Exec("DELETE FROM t_SystemProfile WHERE FCategory = 'SH' AND FKey = 'SHOPPROC_CONTROLRECEIVE'");
    Exec(
        "INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('SH', 'SHOPPROC_CONTROLRECEIVE', "
        "'0')");
    platform::ForgetKeptAnswers();
    ASSERT_TRUE(q.IsExistWB(p, u"WB-12"_s));
    Exec("UPDATE t_SystemProfile SET FValue = '1' WHERE FCategory = 'SH'");
    EXPECT_EQ(
        platform::SystemProfile(shared()).GetProfile(p, u"SH"_s, u"SHOPPROC_CONTROLRECEIVE"_s).toString(),
        u"0"_s);

    ExpectFields(q.GetWorkBillInfo(p, u"WB-11"_s),
                 "WorkCenterID=1;DeptNO=D01;MOID=1001;FWBinterID=11;FteamID=201;FworkerID=501;FdeviceID=601;"
                 "FisOut=1059;Ffare=1058");
    EXPECT_TRUE(q.GetWorkBillInfo(p, u"WB-99"_s)->Eof());
    // What the reportability check keeps is what the id and information read afresh give.
    platform::ForgetKeptAnswers();
    ASSERT_TRUE(q.IsExistWB(p, u"WB-12"_s));
    const auto kept =
        std::pair(q.GetWorkBillInterID(p, u"WB-12"_s), q.GetWorkBillInfo(p, u"WB-12"_s)->Rows());
    platform::ForgetKeptAnswers();
    EXPECT_EQ(kept, std::pair(WB12, q.GetWorkBillInfo(p, u"WB-12"_s)->Rows()));

    EXPECT_EQ(Values(q.GetWorkBillTree(p, false, false, QString()), "NodeKey"),
              Words("DEPT\tD01,D01MO\t1001,DEPT\tD02,D02MO\t1001"));
    const RecordsetPtr tree = q.GetWorkBillTree(p, true, false, u" AND Dept.FShortNumber >='D02'"_s);
    EXPECT_EQ(Values(tree, "NodeKey"), Words("DEPT\tD02,WC\t2"));
    EXPECT_EQ(Values(tree, "ParentKey").value(1), u"DEPT\tD02"_s);
}

TEST_P(QueryTest, ConsistencyCheckFindsEachKindOfFault) {
    ASSERT_TRUE(Save(WB11, 1, {100, 100, 100, 60}));
    ASSERT_TRUE(Audit(WB11, 1));
    ASSERT_TRUE(Save(WB12, 1, {60, 60, 60, 60}));
    ASSERT_TRUE(Audit(WB12, 1));
    platform::MShopProc q = query();
    EXPECT_TRUE(Consistent());

    // Each change is made inside a unit that is rolled back, so the next starts clean: a
    // posted total that differs from the audited reports, a report changed after its audit,
    // more handed over than passed (passed after rework counts as passed), and (seen from
    // WB-12 alone, whose books agree) more received than the previous operation handed over.
    const std::tuple<const char*, const char*, const char*> faults[] = {
        {"UPDATE SHWorkBillEntry SET FauxQtyLost = 2 WHERE FWBInterID = 13", "", "WB-13"},
        {"UPDATE SHProcRpt SET FAuxQtyHandOver = 50 WHERE FWBInterID = 11", "", "WB-11"},
        {"UPDATE SHProcRpt SET FAuxQtyPass = 50 WHERE FWBInterID = 12;"
         "UPDATE SHWorkBillEntry SET FauxQtyPass = 50 WHERE FWBInterID = 12",
         "", "WB-12"},
        {"UPDATE SHProcRpt SET FAuxQtyPass = 50, FAuxQtyBackPass = 10 WHERE FWBInterID = 12;"
         "UPDATE SHWorkBillEntry SET FauxQtyPass = 50, FauxQtybackpass = 10 WHERE FWBInterID = 12",
         "", ""},
        {"UPDATE SHWorkBillEntry SET FauxQtyHandOver = 50 WHERE FWBInterID = 11",
         " AND wbe.FWorkBillNo >='WB-12'", "WB-12"},
    };
    for (const auto& [spoil, condition, expected] : faults) {
        platform::Transaction unit(db());
        for (const QString& statement : QString::fromUtf8(spoil).split(u';')) db().Exec(statement);
        EXPECT_EQ(Numbers(q.GetWorkBillByFilter(Props(Clerk), true, QString::fromUtf8(condition))),
                  Words(expected))
            << spoil;
    }
}

SP_INSTANTIATE_BACKENDS(QueryTest);

// ---- what the service stores: layouts, plans, lists ---------------------------------

class StoresTest : public MiddleTierTest {
  protected:
    int LayoutRows(const char* type, qint32 user) {
        return Count("SHRptDef WHERE Ftype = ? AND FuserID = ?", {QString::fromLatin1(type), user});
    }
};

TEST_P(StoresTest, DefaultLayoutsAreStoredOnceAndReadInOrder) {
    platform::MShopProc q = query();
    const QStringList fields = Values(q.GetReportTitle(Props(Clerk), 7), "Ffield");
    EXPECT_EQ(fields.value(0), u"GPH"_s);
    EXPECT_EQ(QSet<QString>(fields.begin(), fields.end()).size(), fields.size()) << "each field once";
    EXPECT_EQ(LayoutRows("ProcRpt", 7), fields.size());
    EXPECT_EQ(
        Scalar("SELECT Forder FROM SHRptDef WHERE Ftype = 'ProcRpt' AND FuserID = 7 AND Ffield = 'GPH'"),
        QVariant(0))
        << "grid column 2 is never renumbered by the settings dialog";
    EXPECT_EQ(Values(q.GetWorkBillTitle(Props(Clerk), 7), "Ffield").value(4), u"FWorkBillNO"_s)
        << "the list reads the number from its fifth column";
    // The number column as the list reads it: wide enough for "B1040WB0019999" (a
    // benchmark load on the demo database), about 112 px in a 9-point font at 15 twips a
    // pixel; 0 would leave the grid's default width, which cuts it.
    const double numberWidth = 112 * 15;
    auto storedNumberWidth = [&] {
        RecordsetPtr rs = q.GetWorkBillTitle(Props(Clerk), 7);
        rs->SetFilter(u"Ffield='FWorkBillNO'"_s);
        return Basic::Dbl(rs->Field(u"Fwidth"_s));
    };
    EXPECT_GE(storedNumberWidth(), numberWidth);

    // The user's own order wins; equal positions keep the default's order.
    Exec("UPDATE SHRptDef SET Forder = 1 WHERE Ftype = 'ProcRpt' AND FuserID = 7");
    Exec("UPDATE SHRptDef SET Forder = 0 WHERE Ftype = 'ProcRpt' AND FuserID = 7 AND Ffield = 'MEMO'");
    EXPECT_EQ(Values(q.GetReportTitle(Props(Clerk), 7), "Ffield").mid(0, 2), Words("MEMO,GPH"));
    EXPECT_EQ(LayoutRows("ProcRpt", 7), fields.size()) << "reading again stores nothing";

    // A list layout without the number fifth (rows made by hand) lists from the
    // default; the stored rows stay as they are.
    Exec(
        "UPDATE SHRptDef SET Forder = 99 WHERE Ftype = 'WorkBill' AND FuserID = 7 AND Ffield = "
        "'FWorkBillNO'");
    EXPECT_EQ(Values(q.GetWorkBillTitle(Props(Clerk), 7), "Ffield").value(4), u"FWorkBillNO"_s);
    EXPECT_EQ(Scalar("SELECT Forder FROM SHRptDef WHERE Ftype = 'WorkBill' AND FuserID = 7 "
                     "AND Ffield = 'FWorkBillNO'"),
              QVariant(99));
    Exec(
        "UPDATE SHRptDef SET Forder = 5 WHERE Ftype = 'WorkBill' AND FuserID = 7 AND Ffield = 'FWorkBillNO'");

    // A layout the user has keeps its widths (one stored with the old default too);
    // after a restore (the dialog deletes the rows) the default comes back.
    Exec("UPDATE SHRptDef SET Fwidth = 0 WHERE FuserID = 7 AND Ffield = 'FWorkBillNO'");
    EXPECT_EQ(storedNumberWidth(), 0);
    Exec("DELETE FROM SHRptDef WHERE Ftype = 'WorkBill' AND FuserID = 7");
    EXPECT_GE(storedNumberWidth(), numberWidth);
}

TEST_P(StoresTest, TwoWorkstationsAskingAtOnceStoreOneDefault) {
    const int full = query().GetReportTitle(Props(Clerk), 7)->RecordCount();
    for (qint32 user = 20; user < 24; ++user) {
        std::vector<std::thread> stations;
        std::atomic<int> failures{0};
        for (int s = 0; s < 2; ++s)
            stations.emplace_back([&, user] {
                try {
                    if (query().GetReportTitle(Props(Clerk), user)->RecordCount() != full)
                        ++failures;
                } catch (const ComError&) {
                    ++failures;
                }
            });
        for (auto& t : stations) t.join();
        EXPECT_EQ(failures, 0);
        EXPECT_EQ(LayoutRows("ProcRpt", user), full);
    }
}

TEST_P(StoresTest, PlansRoundTripWithQuotesInNames) {
    platform::PlanProfile profile(shared());
    const QString p = Props(Clerk);
    const QString name = u"O'Brien 的方案"_s;
    auto save = [&](const QString& plan, const QString& value) {
        Collection<DictionaryPtr> entries;
        for (const QString& key : Words("BDept,EDept,BWC,EWC")) {
            auto e = NewDictionary();
            for (const auto& [field, v] :
                 {std::pair{"RptID", QVariant(600)}, {"Plan", plan}, {"Key", key}, {"Value", value}})
                e->Set(QString::fromLatin1(field), v);
            entries.Add(e);
        }
        profile.SaveProfile(p, entries);
    };
    EXPECT_EQ(profile.GetPlanValue(p, 600, Basic::SqlQuote(name)), nullptr);
    save(name, u"D'01"_s);
    save(u"默认方案"_s, QString());
    save(name, u"D02"_s);  // replaces
    EXPECT_EQ(profile.GetPlanList(p, 600)->RecordCount(), 2);
    RecordsetPtr values = profile.GetPlanValue(p, 600, Basic::SqlQuote(name));
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values->RecordCount(), 4);
    values->SetFilter(u"FKey='EWC'"_s);
    EXPECT_EQ(values->Field(u"FValue"_s).toString(), u"D02"_s);
    EXPECT_EQ(profile.GetPlanValue(p, 601, Basic::SqlQuote(name)), nullptr) << "plans are per report";
    profile.DelPlan(p, 600, Basic::SqlQuote(name));
    EXPECT_EQ(profile.GetPlanValue(p, 600, Basic::SqlQuote(name)), nullptr);
    EXPECT_EQ(profile.GetPlanList(p, 600)->RecordCount(), 1);

    // A plan is stored whole or not at all, whichever statement fails.
    StatementFaults faults([&] { return Snapshot(db(), {"SELECT * FROM t_FilterPlan"}); });
    faults.Drive(
        "plan save", [] {}, [&] { Raised([&] { save(name, u"D03"_s); }); },
        [&](const StatementFaults::Run& run) { EXPECT_EQ(run.changed, !run.reached); });
    EXPECT_EQ(Count("t_FilterPlan WHERE FPlan = ?", {name}), 4);
}

TEST_P(StoresTest, SelectionListsHonourTheirAliasesAndSearch) {
    platform::ListSelData lists(shared());
    ASSERT_TRUE(lists.Open(u"x|1|u"_s, QString()));
    const QString pick =
        u" (u1.FCancellation = 0 and u1.FStatus=1 And t3.Fstatus in (1,2) and t3.Fsuspend=0 ) "_s;
    RecordsetPtr rs = lists.Rows(601, pick, QString(), 100);
    EXPECT_EQ(Values(rs, "FWorkBillNO"), Words("WB-11,WB-12,WB-13"));
    rs->MoveFirst();
    EXPECT_EQ(rs->Field(u"FInterID"_s).toInt(), WB11) << "FInterID is the work bill's FWBInterID";
    EXPECT_EQ(rs->Field(u"FEntryID"_s).toInt(), 10);
    const QString range = u"(v1.FCanCellation = 0 And v1.FStatus > 0)"_s;
    // Search ignores case, finds the process name, takes quotes and wildcards literally.
    for (const auto& [search, limit, found] :
         {std::tuple{"wb-12", 100, 1}, {"铣", 100, 1}, {"x' OR '1'='1", 100, 0}, {"%", 100, 0}, {"", 2, 2}})
        EXPECT_EQ(lists.Rows(601, range, QString::fromUtf8(search), limit)->RecordCount(), found) << search;

    const QString tasks =
        u"(v1.FCanCellation = 0 And v1.FStatus in(1,2)  and v1.FTranType=85 and v1.froutingid>=0)"_s;
    EXPECT_EQ(Values(lists.Rows(36, tasks, QString(), 100), "FBillNo"), Words("MO-1,MO-4"));
    // Statuses show by name.
    const RecordsetPtr open = lists.Rows(36, u"v1.FCancellation = 0"_s, QString(), 100);
    EXPECT_EQ(Values(open, "FBillNo"), Words("MO-1,MO-2,MO-4"));
    EXPECT_EQ(Values(open, "FStatus"), Words("下达,结案,开工"));
    EXPECT_THROW(lists.Rows(5, QString(), QString(), 10), ComError);
}

// Installed once; the probe opens the local list file read-only: it takes a list file,
// refuses what is not one, and leaves the folder and the file's permissions as they were.
TEST(LocalSwitchFile, InstalledOnceAndTheProbeTakesOnlyAListFileAndChangesNothing) {
    enum class File { Installed, Missing, Garbage };
    const QFileDevice::Permissions readOnly =
        QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    // clang-format off
    const struct {
        const char* name;
        File file;
        QFileDevice::Permissions permissions;  // none: as the file was made
        bool accepted;
    } cases[] = {
        {"installed",           File::Installed, {},       true},
        {"missing",             File::Missing,   {},       false},
        {"garbage",             File::Garbage,   {},       false},
        {"installed read-only", File::Installed, readOnly, true},
    };
    // clang-format on
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = dir.filePath(QString::fromLatin1(c.name));
        const QString path = QDir(folder).filePath(u"ErpSwitch.sss"_s);
        if (c.file == File::Installed) {
            platform::InstallLocalSwitchFile(folder);  // makes the folder too
            const QDateTime made = QFileInfo(path).lastModified();
            platform::InstallLocalSwitchFile(folder);
            EXPECT_EQ(QFileInfo(path).lastModified(), made) << "an installed file is left alone";
        }
        QDir().mkpath(folder);
        if (c.file == File::Garbage)
            WriteBytes(path, QByteArray("not a list file\n").repeated(200));
        ASSERT_TRUE(c.permissions.toInt() == 0 || QFile::setPermissions(path, c.permissions));
        const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        const auto permissions = QFileInfo(path).permissions();

        platform::LocalSwitchDatabase probe;
        if (c.accepted)
            EXPECT_EQ(probe.Connect(path), u"Provider=SQLite;Data Source="_s + path + u';');
        else
            EXPECT_THROW(probe.Connect(path), ComError);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), files) << "no file made or left";
        EXPECT_EQ(QFileInfo(path).permissions(), permissions);
    }
}

SP_INSTANTIATE_BACKENDS(StoresTest);

}  // namespace
}  // namespace sp::test
