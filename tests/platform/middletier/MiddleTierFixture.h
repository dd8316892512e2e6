#pragma once

#include <QDate>
#include <QString>

#include "platform/middletier/MShopProc.h"
#include "platform/middletier/MShopProcSet.h"
#include "src/middletier/MiddleTierInterfaces.h"
#include "tests/support/BackendTest.h"

namespace sp::test {

// A small plant on a fresh database of each backend:
//   task MO-1 (open, plan 100) with operations WB-11 (entry 10, D01/WC01),
//   WB-12 (entry 20, D02/WC02), WB-13 (entry 30, D02/WC02);
//   WB-21 on a closed task, WB-31 on a cancelled task, WB-41 suspended.
// Users: 1 clerk (every right), 2 viewer (none), 3 auditor (audit only).
class MiddleTierTest : public BackendTest {
  protected:
    static constexpr qint32 WB11 = 11, WB12 = 12, WB13 = 13, WB21 = 21, WB31 = 31, WB41 = 41;
    static constexpr qint32 Clerk = 1, Viewer = 2, Auditor = 3;

    void SetUp() override {
        BackendTest::SetUp();
        if (!tdb_)
            return;
        // clang-format off
        const char* script[] = {
            "INSERT INTO t_User (FUserID, FName) VALUES (1, '王会计'), (2, 'viewer'), (3, 'auditor')",
            // 4390913: new, change, audit and delete reports.
            "INSERT INTO t_UserRight (FUserID, FSubSys, FFunction, FRights) VALUES (1, 1024, 30, 4390913), "
            "(3, 1024, 30, 1), (2, 1024, 31, 4390913)",
            "INSERT INTO t_Department (FItemID, FNumber, FShortNumber, FName) VALUES "
            "(1, '01.D01', 'D01', '一车间'), (2, '01.D02', 'D02', '二车间')",
            "INSERT INTO t_WorkCenter (FInterID, FNumber, FShortNumber, FName, FDeptID) VALUES "
            "(1, '01.WC01', 'WC01', '车床组', 1), (2, '01.WC02', 'WC02', '装配组', 2)",
            "INSERT INTO t_SubMessage (FInterID, FTypeID, FID, FName) VALUES (101, 61, 'P01', '车削'), "
            "(102, 61, 'P02', '铣削'), (103, 61, 'P03', '装配'), (201, 62, 'T01', '甲班'), "
            "(301, 282, 'H', '小时'), (401, 281, '0', '机床')",
            "INSERT INTO t_Emp (FItemID, FNumber, FShortNumber, FName, FprofessionalGroup) VALUES "
            "(501, '01.E001', 'E001', '张三', 201)",
            "INSERT INTO t_Device (FInterID, FNumber, FName, FType, FWorkCenterID) VALUES (601, 'M001', '车床一号', 401, 1)",
            "INSERT INTO t_ICItem (FItemID, FNumber, FName, FModel, FQtyDecimal) VALUES (701, 'I001', '传动轴', 'φ20', 3)",
            "INSERT INTO t_QualityScheme (FInterID, FNumber, FName) VALUES (801, 'Q1', '首检方案')",
            "INSERT INTO t_Supplier (FItemID, FNumber, FName) VALUES (901, 'S1', '外协厂')",
            "INSERT INTO ICMO (FInterID, FBillNo, FStatus, FCancellation, FItemID, FWorkShop, FQty) VALUES "
            "(1001, 'MO-1', 1, 0, 701, 1, 100), (1002, 'MO-2', 3, 0, 701, 1, 10), "
            "(1003, 'MO-3', 1, 1, 701, 1, 10), (1004, 'MO-4', 2, 0, 701, 1, 10)",
            "INSERT INTO SHWorkBillEntry (FWBInterID, FInterID, FEntryID, FWorkBillNO, FItemID, FDeptID, "
            "FWorkCenterID, FOperID, FStatus, FSuspend, FteamID, FworkerID, FdeviceID, FTimeUnitID, Ffee, "
            "FAuxQtyPlan, FQualityShcemeID, FsupplyID, FPlanStartDate) VALUES "
            "(11, 1001, 10, 'WB-11', 701, 1, 1, 101, 1, 0, 201, 501, 601, 301, 1.5, 100, 801, 901, '2026-01-05'), "
            "(12, 1001, 20, 'WB-12', 701, 2, 2, 102, 2, 0, 0, 0, 0, 301, 2, 100, 0, 0, NULL), "
            "(13, 1001, 30, 'WB-13', 701, 2, 2, 103, 1, 0, 0, 0, 0, 0, 0, 100, 0, 0, NULL), "
            "(21, 1002, 10, 'WB-21', 701, 1, 1, 101, 1, 0, 0, 0, 0, 0, 0, 10, 0, 0, NULL), "
            "(31, 1003, 10, 'WB-31', 701, 1, 1, 101, 1, 0, 0, 0, 0, 0, 0, 10, 0, 0, NULL), "
            "(41, 1004, 10, 'WB-41', 701, 1, 1, 101, 1, 1, 0, 0, 0, 0, 0, 10, 0, 0, NULL)",
        };
        // clang-format on
        for (const char* sql : script) Exec(sql);
    }
    static QString Props(qint32 user) { return u"UserID=%1;UserName=u%1;"_s.arg(user); }

    struct Quantities {
        double receive = 0, finish = 0, pass = 0, handOver = 0;
    };
    static DictionaryPtr Record(qint32 wb, const QVariant& serial, const Quantities& q,
                                const QString& memo = {}) {
        auto r = NewDictionary();
        // clang-format off
        const std::pair<const char*, QVariant> fields[] = {
            {"FWBinterID", wb}, {"Fserial", serial}, {"FbillerID", Clerk}, {"Fdate", QDate(2026, 2, 1)},
            {"FworkerID", 0}, {"FdeviceID", 0}, {"FteamID", 201},
            {"FstartWorkDate", QDate(2026, 2, 1)}, {"FEndWorkDate", QDate(2026, 2, 2)},
            {"FAuxQtyfinish", q.finish}, {"FAuxQtyPass", q.pass}, {"FAuxQtyscrap", q.finish - q.pass},
            {"FAuxQtylost", 0.0}, {"FAuxQtyBack", 0.0}, {"FAuxQtyBackPass", 0.0}, {"FAuxQtyForItem", 0.0},
            {"FfinishTime", 1.25}, {"FreadyTime", 0.5}, {"FPowerCutTime", 0.0}, {"FfixTime", 0.0},
            {"FwaitItemTime", 0.0}, {"FwaitTooltime", 0.0}, {"Fmemo", memo},
            {"FauxQtyReceive", q.receive}, {"FauxQtyHandOver", q.handOver}, {"FtotalFee", q.finish * 1.5}};
        // clang-format on
        for (const auto& [name, value] : fields) r->Set(QString::fromLatin1(name), value);
        return r;
    }

    // Through the service as the clerk (or another user); message kept in lastMessage.
    bool Save(qint32 wb, qint32 serial, const Quantities& q, qint32 user = Clerk) {
        ReportRecords records;
        records.Add(Record(wb, QString::number(serial), q));
        return SaveAll(records, user);
    }
    bool SaveAll(ReportRecords& records, qint32 user = Clerk) {
        return update().SaveWorkProcRpt(Props(user), records, lastMessage);
    }
    bool Audit(qint32 wb, qint32 serial, qint32 user = Clerk) {
        return update().AuditWorkProcRpt(Props(user), wb, serial, user, lastMessage);
    }
    bool UnAudit(qint32 wb, qint32 serial, qint32 user = Clerk) {
        return update().UnAuditWorkProcRpt(Props(user), wb, serial, lastMessage);
    }
    bool Delete(qint32 wb, qint32 serial, qint32 user = Clerk) {
        return update().DelWorkProcRpt(Props(user), wb, serial, lastMessage);
    }

    double Posted(qint32 wb, const char* column) {
        return Basic::Dbl(db().Scalar(
            u"SELECT %1 FROM SHWorkBillEntry WHERE FWBInterID = ?"_s.arg(QLatin1String(column)), {wb}));
    }
    int ReportCount(qint32 wb) { return Count("SHProcRpt WHERE FWBInterID = ?", {wb}); }
    // True when the consistency check finds no work bill at fault.
    bool Consistent() { return query().GetWorkBillByFilter(Props(Clerk), true, QString())->Eof(); }

    platform::MShopProc query() { return platform::MShopProc(shared()); }
    platform::MShopProcSet update() { return platform::MShopProcSet(shared()); }

    QString lastMessage;
};

}  // namespace sp::test
