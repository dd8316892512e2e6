#pragma once

#include <memory>

#include "platform/db/Database.h"
#include "src/middletier/MiddleTierInterfaces.h"

namespace sp::platform {

// Q8MShopProc.MShopProcSet over the database: checks the caller's right, then lets
// ReportWriter do the work in one transaction as the caller. Technical failures (a
// lost connection) are answered with False and a fixed message too, the details
// going to the application log, so the client always gets False and a reason rather
// than an error half way through a selection.
class MShopProcSet : public IMShopProcSet {
  public:
    explicit MShopProcSet(std::shared_ptr<Database> db) : db_(std::move(db)) {}

    bool SaveWorkProcRpt(const QString& props, ReportRecords& records, QString& message) override;
    bool AuditWorkProcRpt(const QString& props, const qint32& wbInterId, const qint32& serial,
                          const qint32& checkerId, QString& message) override;
    bool UnAuditWorkProcRpt(const QString& props, const qint32& wbInterId, const qint32& serial,
                            QString& message) override;
    bool DelWorkProcRpt(const QString& props, const qint32& wbInterId, const qint32& serial,
                        QString& message) override;
    std::vector<Outcome> ActOnWorkProcRpts(const QString& props, Action action,
                                           const std::vector<Report>& reports, qint32 checkerId) override;

  private:
    std::shared_ptr<Database> db_;
};

}  // namespace sp::platform
