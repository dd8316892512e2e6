#pragma once

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

    void SetUp() override;
    static QString Props(qint32 user) { return QStringLiteral("UserID=%1;UserName=u%1;").arg(user); }

    struct Quantities {
        double receive = 0, finish = 0, pass = 0, handOver = 0;
    };
    static DictionaryPtr Record(qint32 wb, const QVariant& serial, const Quantities& q,
                                const QString& memo = {});

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

    double Posted(qint32 wb, const char* column);
    // Sum of the audited reports' column.
    double AuditedSum(qint32 wb, const char* column);
    int ReportCount(qint32 wb) { return Count("SHProcRpt WHERE FWBInterID = ?", {wb}); }
    // True when the consistency check finds no work bill at fault.
    bool Consistent() { return query().GetWorkBillByFilter(Props(Clerk), true, QString())->Eof(); }

    platform::MShopProc query() { return platform::MShopProc(shared()); }
    platform::MShopProcSet update() { return platform::MShopProcSet(shared()); }

    QString lastMessage;
};

}  // namespace sp::test
