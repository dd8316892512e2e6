#pragma once

// The summary of process reports by worker, team, device, work center, work bill or
// material: what a supervisor reviews after a shift and payroll pays piece-rate wages
// from. A component of the middle tier of its own, so that only a caller with the
// summary right (Rights::Summary) reaches its figures.

#include <QDate>
#include <QString>
#include <QStringList>

#include "src/common/Recordset.h"

namespace sp {

namespace ProgId {
inline QString MShopSummary() { return QStringLiteral("Q8MShopProc.MShopSummary"); }
}  // namespace ProgId

// What reports are grouped by; the numbers are the service's codes.
enum class SummaryBy { None = 0, Worker = 1, Team = 2, Device = 3, WorkCenter = 4, WorkBill = 5, Item = 6 };
// Which date puts a report into the period: its actual completion date or its audit date.
enum class SummaryDate { Finished = 0, Audited = 1 };

struct SummaryRequest {
    QDate from;
    QDate to;
    SummaryDate basis = SummaryDate::Finished;
    SummaryBy by1 = SummaryBy::Team;
    SummaryBy by2 = SummaryBy::None;  // None: one level only
    bool auditedOnly = true;
    // The fourteen bounds of the workbench's filter (BDept ... EItem, FilterBounds.h),
    // then the device's from and to (its number); empty: none. The team, worker and
    // device bounds apply to the report's own team, worker and device.
    QStringList bounds;
};

// Q8MShopProc.MShopSummary. Both methods refuse (ComError) a caller without the
// summary right.
class IMShopSummary {
  public:
    virtual ~IMShopSummary() = default;
    // One row per group and time unit, ordered by the groups' numbers: K1, No1, Name1,
    // K2, No2, Name2 (K2 0 with one level), FTimeUnitID, UnitName, Reports, the nine
    // quantities by their report column names (FAuxQtyReceive ... FAuxQtyHandOver),
    // the six hours (FfinishTime ... FwaitToolTime), FtotalFee, and Decimals (the
    // largest quantity precision of the shop's materials).
    virtual RecordsetPtr GetWorkProcRptSummary(const QString& props, const SummaryRequest& request) = 0;
    // The reports of one group (key2 ignored with one level): FWBInterID, FWorkBillNO,
    // Fserial, FstartWorkDate, FendWorkDate, WorkerNo, WorkerName, the quantities,
    // UnitName, the hours, FtotalFee, Fstatus, FcheckDate; by date, work bill, serial.
    virtual RecordsetPtr GetWorkProcRptSummaryList(const QString& props, const SummaryRequest& request,
                                                   const qint32& key1, const qint32& key2) = 0;
};

}  // namespace sp
