#include "platform/middletier/MiddleTierRegistration.h"

#include "platform/middletier/ListSelData.h"
#include "platform/middletier/MShopProc.h"
#include "platform/middletier/MShopProcSet.h"
#include "platform/middletier/MShopSummary.h"
#include "platform/middletier/PlanProfile.h"
#include "src/entry/HostInterfaces.h"
#include "src/middletier/MiddleTierInterfaces.h"

namespace sp::platform {

void RegisterMiddleTier(ComponentRegistry& registry, std::shared_ptr<Database> db) {
    registry.Register<IMShopProc>(ProgId::MShopProc(), [db] { return std::make_shared<MShopProc>(db); });
    registry.Register<IMShopProcSet>(ProgId::MShopProcSet(),
                                     [db] { return std::make_shared<MShopProcSet>(db); });
    registry.Register<IPlanProfile>(ProgId::PlanProfile(),
                                    [db] { return std::make_shared<PlanProfile>(db); });
    registry.Register<IListSelData>(ProgId::ListSelData(),
                                    [db] { return std::make_shared<ListSelData>(db); });
    registry.Register<IMShopSummary>(ProgId::MShopSummary(),
                                     [db] { return std::make_shared<MShopSummary>(db); });
}

}  // namespace sp::platform
