#pragma once

#include <memory>

#include "platform/db/Database.h"
#include "src/middletier/MiddleTierInterfaces.h"

namespace sp::platform {

// Q8MShopProc.MShopProc over the database: work bills, report histories, proposals,
// limits, layouts and reference lookups. Cheap to create: holds only the database.
class MShopProc : public IMShopProc {
  public:
    explicit MShopProc(std::shared_ptr<Database> db) : db_(std::move(db)) {}

    RecordsetPtr GetWorkBillTitle(const QString& props, const qint32& userId) override;
    RecordsetPtr GetReportTitle(const QString& props, const qint32& userId) override;
    RecordsetPtr GetWorkBillByFilter(const QString& props, const bool& check,
                                     const QString& condition) override;
    RecordsetPtr GetWorkBillByWCMO(const QString& props, const bool& wcArrangement, const bool& check,
                                   const qint32& id, const QString& deptNo) override;
    RecordsetPtr GetWorkBillInfo(const QString& props, const QString& workBillNo) override;
    bool IsExistWB(const QString& props, const QString& workBillNo) override;
    qint32 GetWorkBillInterID(const QString& props, const QString& workBillNo) override;
    QString GetWorkBillNO(const QString& props, const qint32& interId) override;
    qint32 GetWCID(const QString& props, const qint32& interId) override;
    qint32 GetQtyDecimal(const QString& props, const qint32& interId) override;
    QString GetWorkBillStamp(const QString& props, const qint32& interId) override;

    QString GetWorkProcRptHis(const QString& props, const QString& condition,
                              const QString& selectList) override;
    QString GetWorkProcRptNew(const QString& props, const QString& workBillNo) override;
    double GetWorkProcRptQty(const QString& props, const QString& workBillNo, const QString& serial) override;
    double GetWorkProcReceiveQty(const QString& props, const QString& workBillNo,
                                 const QString& serial) override;
    double GetWorkProcHandOverQty(const QString& props, const QString& workBillNo,
                                  const QString& serial) override;
    double GetControlReceiveQty(const QString& props, const qint32& interId, const qint32& operId) override;
    double GetControlHandOverQty(const QString& props, const qint32& interId, const qint32& operId) override;
    QString GetUserName(const QString& props, const QString& userId) override;

    void GetEmpInfo(const QString& props, QString& number, qint32& id, QString& name, qint32& group) override;
    void GetDevInfo(const QString& props, QString& number, qint32& id, QString& name, qint32& type,
                    qint32& workCenter) override;
    void GetTeamInfo(const QString& props, QString& number, qint32& id, QString& name) override;

    RecordsetPtr GetWorkBillTree(const QString& props, const bool& wcArrangement, const bool& check,
                                 const QString& condition) override;

  private:
    std::shared_ptr<Database> db_;
};

}  // namespace sp::platform
