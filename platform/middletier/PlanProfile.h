#pragma once

#include <memory>

#include "platform/db/Database.h"
#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// Q8MCaculateRpt.Profile: named filter plans per report id in t_FilterPlan.
class PlanProfile : public IPlanProfile {
  public:
    explicit PlanProfile(std::shared_ptr<Database> db) : db_(std::move(db)) {}

    RecordsetPtr GetPlanList(const QString& propsString, const qint32& rptId) override;
    RecordsetPtr GetPlanValue(const QString& propsString, const qint32& rptId,
                              const QString& planName) override;
    void SaveProfile(const QString& propsString, const Collection<DictionaryPtr>& entries) override;
    void DelPlan(const QString& propsString, const qint32& rptId, const QString& planName) override;

  private:
    std::shared_ptr<Database> db_;
};

}  // namespace sp::platform
