#include "platform/middletier/MShopSummary.h"
#include "src/controls/GridModel.h"
#include "src/summary/SummaryTable.h"
#include "tests/platform/middletier/MiddleTierFixture.h"

namespace sp::test {
namespace {

// The small plant with a month of reports: WB-11 and WB-12 in hours, WB-13 in minutes;
// worker E001 moved from team T01 to T02 mid-month, E002 works in T02; reports of
// January and March, unaudited ones, and one deleted.
class SummaryTest : public MiddleTierTest {
  protected:
    void SetUp() override {
        MiddleTierTest::SetUp();
        if (!tdb_)
            return;
        // clang-format off
        const char* script[] = {
            "UPDATE t_UserRight SET FRights = FRights | 8388608 WHERE FUserID = 1",
            "INSERT INTO t_SubMessage (FInterID, FTypeID, FID, FName) VALUES (202, 62, 'T02', '乙班'), (302, 282, 'M', '分钟')",
            "INSERT INTO t_Emp (FItemID, FNumber, FShortNumber, FName, FprofessionalGroup) VALUES (502, '01.E002', 'E002', '李四', 202)",
            "UPDATE SHWorkBillEntry SET FTimeUnitID = 302 WHERE FWBInterID = 13",
        };
        // clang-format on
        for (const char* sql : script) Exec(sql);
        struct Report {
            int wb, serial, worker, team, device, month, day, status;
        };
        const Report reports[] = {
            {11, 1, 501, 201, 601, 2, 3, 1},  {11, 2, 501, 201, 601, 2, 9, 0},
            {11, 3, 501, 202, 601, 2, 20, 1}, {12, 1, 502, 202, 0, 2, 5, 1},
            {12, 2, 501, 202, 601, 2, 28, 1}, {13, 1, 501, 202, 0, 2, 21, 1},
            {13, 2, 502, 202, 0, 2, 22, 0},   {13, 3, 502, 202, 0, 1, 31, 1},
            {12, 3, 501, 201, 601, 3, 1, 1},  {11, 4, 502, 201, 601, 2, 10, 1},
        };
        for (const Report& r : reports) {
            const QDate end(2026, r.month, r.day);
            Exec(
                "INSERT INTO SHProcRpt (FWBInterID, Fserial, FworkerID, FteamID, FdeviceID, FendWorkDate, "
                "FstartWorkDate, FAuxQtyReceive, FAuxQtyFinish, FAuxQtyPass, FAuxQtyLost, FAuxQtyBack, "
                "FAuxQtyBackPass, FAuxQtyScrap, FAuxQtyForItem, FAuxQtyHandOver, FfinishTime, FreadyTime, "
                "FpowercutTime, FfixTime, FwaitItemTime, FwaitToolTime, FtotalFee, Fstatus, FcheckDate) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                {r.wb,
                 r.serial,
                 r.worker,
                 r.team,
                 r.device,
                 end,
                 end.addDays(-1),
                 r.day * 1.5,
                 r.day + 0.25,
                 r.day,
                 0.5,
                 1.0,
                 0.75,
                 0.125,
                 0.25,
                 r.day - 1.0,
                 r.day / 4.0,
                 0.5,
                 0.25,
                 1.0,
                 0.125,
                 2.0,
                 r.day * 3.5,
                 r.status,
                 r.status ? QVariant(end.addDays(r.wb == 12 ? 5 : 1)) : QVariant()});
        }
        Exec("DELETE FROM SHProcRpt WHERE FWBInterID = 11 AND Fserial = 4");
    }

    SummaryRequest February(SummaryBy by1, SummaryBy by2 = SummaryBy::None) {
        SummaryRequest r;
        r.from = QDate(2026, 2, 1);
        r.to = QDate(2026, 2, 28);
        r.by1 = by1;
        r.by2 = by2;
        return r;
    }
    static QStringList Lines(const RecordsetPtr& rs, int fields) {
        QStringList lines;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            QStringList line;
            for (int i = 0; i < fields; ++i) line << QString::number(Basic::Dbl(rs->Field(i)), 'f', 4);
            lines << line.join(u'|');
        }
        lines.sort();
        return lines;
    }
    platform::MShopSummary summary() { return platform::MShopSummary(shared()); }
};

// What the service answers, as keys, unit, count and the sixteen sums.
QStringList Figures(const RecordsetPtr& rs) {
    QStringList lines;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        QStringList line{rs->Field(u"K1"_s).toString(), rs->Field(u"K2"_s).toString(),
                         rs->Field(u"FTimeUnitID"_s).toString()};
        for (int i = 8; i < 8 + 17; ++i) line << QString::number(Basic::Dbl(rs->Field(i)), 'f', 4);
        lines << line.join(u'|');
    }
    lines.sort();
    return lines;
}

TEST_P(SummaryTest, FiguresEqualIndependentSumsOverTheReports) {
    struct Case {
        SummaryBy by1, by2;
        const char *key1, *key2;
        bool audited;
        SummaryDate basis;
    };
    using B = SummaryBy;
    const Case cases[] = {
        {B::Team, B::Worker, "r.FteamID", "r.FworkerID", true, SummaryDate::Finished},
        {B::Team, B::Worker, "r.FteamID", "r.FworkerID", false, SummaryDate::Finished},
        {B::Worker, B::None, "r.FworkerID", "0 * r.FworkerID", false, SummaryDate::Audited},
        {B::Device, B::Item, "r.FdeviceID", "w.FItemID", true, SummaryDate::Finished},
        {B::WorkCenter, B::WorkBill, "w.FWorkCenterID", "w.FWBInterID", false, SummaryDate::Finished},
        {B::WorkBill, B::Team, "w.FWBInterID", "r.FteamID", true, SummaryDate::Audited},
    };
    for (const Case& c : cases) {
        SummaryRequest request = February(c.by1, c.by2);
        request.auditedOnly = c.audited;
        request.basis = c.basis;
        const char* date = c.basis == SummaryDate::Audited ? "r.FcheckDate" : "r.FendWorkDate";
        const QString own =
            u"SELECT %1, %2, w.FTimeUnitID, COUNT(*), SUM(r.FAuxQtyReceive), SUM(r.FAuxQtyFinish), "
            "SUM(r.FAuxQtyPass), SUM(r.FAuxQtyLost), SUM(r.FAuxQtyBack), SUM(r.FAuxQtyBackPass), "
            "SUM(r.FAuxQtyScrap), SUM(r.FAuxQtyForItem), SUM(r.FAuxQtyHandOver), SUM(r.FfinishTime), "
            "SUM(r.FreadyTime), SUM(r.FpowercutTime), SUM(r.FfixTime), SUM(r.FwaitItemTime), "
            "SUM(r.FwaitToolTime), SUM(r.FtotalFee) FROM SHProcRpt r JOIN SHWorkBillEntry w ON "
            "w.FWBInterID = r.FWBInterID WHERE %3 BETWEEN ? AND ? AND r.Fstatus >= ? GROUP BY %1, %2, w.FTimeUnitID"_s
                .arg(QLatin1String(c.key1), QLatin1String(c.key2), QLatin1String(date));
        QStringList expected;
        for (const QString& line :
             Lines(db().Query(own, {request.from, request.to, c.audited ? 1 : 0}), 20)) {
            QStringList f = line.split(u'|');
            for (int i = 0; i < 3; ++i) f[i] = QString::number(qRound(f[i].toDouble()));
            expected << f.join(u'|');
        }
        expected.sort();
        const QStringList got = Figures(summary().GetWorkProcRptSummary(Props(Clerk), request));
        EXPECT_EQ(got, expected) << c.key1 << " " << c.key2 << " audited " << c.audited;
        EXPECT_FALSE(got.isEmpty());
    }
}

TEST_P(SummaryTest, GroupsAreNamedCountedUnderTheirOwnTeamAndDrilledDown) {
    SummaryRequest request = February(SummaryBy::Team, SummaryBy::Worker);
    request.auditedOnly = false;
    RecordsetPtr rs = summary().GetWorkProcRptSummary(Props(Clerk), request);
    QStringList groups;
    for (; !rs->Eof(); rs->MoveNext())
        groups << u"%1 %2 %3 %4 %5 %6"_s.arg(rs->Field(u"No1"_s).toString(), rs->Field(u"Name1"_s).toString(),
                                             rs->Field(u"No2"_s).toString(), rs->Field(u"Name2"_s).toString(),
                                             rs->Field(u"UnitName"_s).toString(),
                                             rs->Field(u"Reports"_s).toString());
    // E001 counts under T01 for the reports naming T01 and under T02 for the later ones.
    EXPECT_EQ(groups, Words("T01 甲班 E001 张三 小时 2,T02 乙班 E001 张三 分钟 1,T02 乙班 E001 张三 小时 2,"
                            "T02 乙班 E002 李四 分钟 1,T02 乙班 E002 李四 小时 1"));

    // The drill-down lists the group's reports of the period, by date.
    EXPECT_EQ(Values(summary().GetWorkProcRptSummaryList(Props(Clerk), request, 202, 501), "FWorkBillNO"),
              Words("WB-11,WB-13,WB-12"));
    // A bound of the workbench's filter narrows by the report's own worker.
    request.bounds = QStringList(14, QString());
    request.bounds[10] = u"E002"_s;
    EXPECT_EQ(Values(summary().GetWorkProcRptSummary(Props(Clerk), request), "No2"), Words("E002,E002"));
}

// Hours are never added across time units: a group or total that mixes them shows its
// hours in one row per unit.
TEST_P(SummaryTest, TheTableShowsHoursPerTimeUnit) {
    SummaryRequest request = February(SummaryBy::Team);
    request.auditedOnly = false;
    GridModel grid;
    ASSERT_EQ(SummaryTable::FillSummary(grid, summary().GetWorkProcRptSummary(Props(Clerk), request),
                                        request.by1, request.by2),
              2);
    QStringList rows;
    for (int row = 2; row <= grid.Rows(); ++row)
        rows << grid.DisplayText(row, 1) + u'|' + grid.DisplayText(row, 3) + u'|' + grid.DisplayText(row, 14);
    EXPECT_EQ(
        rows,
        Words("T01|小时|3.00,T02|（见下）|,|分钟|10.75,|小时|13.25,合计|（见下）|,|分钟|10.75,|小时|16.25"));
}

TEST_P(SummaryTest, RefusesCallersWithoutTheRightAndRequestsItCannotAnswer) {
    SummaryRequest request = February(SummaryBy::Team);
    const auto refusal = [&](const QString& props, const SummaryRequest& r) {
        try {
            summary().GetWorkProcRptSummary(props, r);
        } catch (const ComError& e) {
            return e.Description();
        }
        return QString();
    };
    EXPECT_EQ(refusal(Props(Auditor), request), u"没有查看汇报汇总的权限。"_s);
    SummaryRequest twice = February(SummaryBy::Team, SummaryBy::Team);
    EXPECT_EQ(refusal(Props(Clerk), twice), u"汇总须按一至两项分组，且两项不能相同。"_s);
    std::swap(request.from, request.to);
    EXPECT_EQ(refusal(Props(Clerk), request), u"汇总期间的开始日期晚于结束日期。"_s);
}

}  // namespace

SP_INSTANTIATE_BACKENDS(SummaryTest);

}  // namespace sp::test
