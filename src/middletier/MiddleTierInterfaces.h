#pragma once

// The module's middle-tier service as the workbench calls it: the service's method
// names, argument order and result shapes. PropsString first; the further arguments
// are references, and only the update methods' message and the Get*Info fields are
// written back. A failing method raises ComError.

#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "src/common/Collection.h"
#include "src/common/ComError.h"
#include "src/common/Dictionary.h"
#include "src/common/Recordset.h"

namespace sp {

namespace ProgId {
inline QString MShopProc() { return QStringLiteral("Q8MShopProc.MShopProc"); }
inline QString MShopProcSet() { return QStringLiteral("Q8MShopProc.MShopProcSet"); }
}  // namespace ProgId

// Records of one save, each a dictionary keyed by the report's field names.
using ReportRecords = Collection<DictionaryPtr>;

// Q8MShopProc.MShopProc, the query component.
class IMShopProc {
  public:
    virtual ~IMShopProc() = default;

    // Layout rows in display order: Ffield, Fname, Fshow, Fwidth.
    virtual RecordsetPtr GetWorkBillTitle(const QString& props, const qint32& userId) = 0;
    virtual RecordsetPtr GetReportTitle(const QString& props, const qint32& userId) = 0;

    // Reportable work bills (or, with check, those failing the consistency check);
    // condition is appended to the WHERE clause (aliases Dept, wc, mo, wbe, team, emp, SMR).
    virtual RecordsetPtr GetWorkBillByFilter(const QString& props, const bool& check,
                                             const QString& condition) = 0;
    // One tree node: a work center (wcArrangement) or a production task within a department.
    virtual RecordsetPtr GetWorkBillByWCMO(const QString& props, const bool& wcArrangement, const bool& check,
                                           const qint32& id, const QString& deptNo) = 0;
    // First row: WorkCenterID, DeptNO, MOID, FWBinterID, FteamID, FworkerID, FdeviceID,
    // FisOut, Ffare; EOF when no work bill has the number.
    virtual RecordsetPtr GetWorkBillInfo(const QString& props, const QString& workBillNo) = 0;
    virtual bool IsExistWB(const QString& props, const QString& workBillNo) = 0;
    virtual qint32 GetWorkBillInterID(const QString& props, const QString& workBillNo) = 0;
    virtual QString GetWorkBillNO(const QString& props, const qint32& interId) = 0;
    virtual qint32 GetWCID(const QString& props, const qint32& interId) = 0;
    virtual qint32 GetQtyDecimal(const QString& props, const qint32& interId) = 0;
    // A digest of everything stored about the work bill's reports and its posted
    // quantities: equal digests mean nothing was written to them in between.
    virtual QString GetWorkBillStamp(const QString& props, const qint32& interId) = 0;

    // Records by CR, fields by tab, in the order of selectList; condition follows a
    // comparison of the work bill number (aliases PR, WBE, SMT).
    virtual QString GetWorkProcRptHis(const QString& props, const QString& condition,
                                      const QString& selectList) = 0;
    // 14 tab-separated proposals for the next report.
    virtual QString GetWorkProcRptNew(const QString& props, const QString& workBillNo) = 0;
    virtual double GetWorkProcRptQty(const QString& props, const QString& workBillNo,
                                     const QString& serial) = 0;
    virtual double GetWorkProcReceiveQty(const QString& props, const QString& workBillNo,
                                         const QString& serial) = 0;
    virtual double GetWorkProcHandOverQty(const QString& props, const QString& workBillNo,
                                          const QString& serial) = 0;
    virtual double GetControlReceiveQty(const QString& props, const qint32& interId,
                                        const qint32& operId) = 0;
    virtual double GetControlHandOverQty(const QString& props, const qint32& interId,
                                         const qint32& operId) = 0;
    virtual QString GetUserName(const QString& props, const QString& userId) = 0;

    // Fill the fields they were not given from the id or the number.
    virtual void GetEmpInfo(const QString& props, QString& number, qint32& id, QString& name,
                            qint32& group) = 0;
    virtual void GetDevInfo(const QString& props, QString& number, qint32& id, QString& name, qint32& type,
                            qint32& workCenter) = 0;
    virtual void GetTeamInfo(const QString& props, QString& number, qint32& id, QString& name) = 0;

    // The nodes of the work bill tree, which the workbench fills itself, for
    // the arrangement and the list condition. Fields: NodeKey, ParentKey, Caption, in
    // display order, parents before their children.
    virtual RecordsetPtr GetWorkBillTree(const QString& props, const bool& wcArrangement, const bool& check,
                                         const QString& condition) = 0;
};

// Q8MShopProc.MShopProcSet, the update component. False with a message on refusal.
class IMShopProcSet {
  public:
    virtual ~IMShopProcSet() = default;
    virtual bool SaveWorkProcRpt(const QString& props, ReportRecords& records, QString& message) = 0;
    virtual bool AuditWorkProcRpt(const QString& props, const qint32& wbInterId, const qint32& serial,
                                  const qint32& checkerId, QString& message) = 0;
    virtual bool UnAuditWorkProcRpt(const QString& props, const qint32& wbInterId, const qint32& serial,
                                    QString& message) = 0;
    virtual bool DelWorkProcRpt(const QString& props, const qint32& wbInterId, const qint32& serial,
                                QString& message) = 0;

    // A command on several reports: each report on its own, in the order given, with the
    // outcome the single-report method would give it called one report after the other;
    // a service may take them in fewer round trips. A method that raises ComError for a
    // report gives that report the error's description.
    enum class Action { Audit, UnAudit, Delete };
    struct Report {
        qint32 wbInterId = 0;
        qint32 serial = 0;
    };
    struct Outcome {
        bool done = false;
        QString message;
        std::optional<ComError> error;  // when the method raised one (its description is the message)
    };
    virtual std::vector<Outcome> ActOnWorkProcRpts(const QString& props, Action action,
                                                   const std::vector<Report>& reports, qint32 checkerId) {
        std::vector<Outcome> outcomes;
        for (const Report& r : reports) outcomes.push_back(ActOnOne(props, action, r, checkerId));
        return outcomes;
    }

  protected:
    Outcome ActOnOne(const QString& props, Action action, const Report& r, qint32 checkerId) {
        Outcome o;
        try {
            o.done = action == Action::Audit
                         ? AuditWorkProcRpt(props, r.wbInterId, r.serial, checkerId, o.message)
                     : action == Action::UnAudit ? UnAuditWorkProcRpt(props, r.wbInterId, r.serial, o.message)
                                                 : DelWorkProcRpt(props, r.wbInterId, r.serial, o.message);
        } catch (const ComError& e) {
            o.done = false;
            o.error = e;
            o.message = e.Description();
        }
        return o;
    }
};

}  // namespace sp
