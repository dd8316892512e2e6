#pragma once

#include <memory>

#include "platform/db/Database.h"
#include "src/middletier/SummaryInterfaces.h"

namespace sp::platform {

// Q8MShopProc.MShopSummary over the database: the caller's summary right is read afresh
// on every call; on PostgreSQL the figures come from sp_report_summary, which checks the
// right once more, on SQLite from the same statement in the process.
class MShopSummary : public IMShopSummary {
  public:
    explicit MShopSummary(std::shared_ptr<Database> db) : db_(std::move(db)) {}

    RecordsetPtr GetWorkProcRptSummary(const QString& props, const SummaryRequest& request) override;
    RecordsetPtr GetWorkProcRptSummaryList(const QString& props, const SummaryRequest& request,
                                           const qint32& key1, const qint32& key2) override;

  private:
    // Refuses (ComError) a caller without the right and a request that cannot be answered.
    void Check(const QString& props, const SummaryRequest& request);

    std::shared_ptr<Database> db_;
};

}  // namespace sp::platform
