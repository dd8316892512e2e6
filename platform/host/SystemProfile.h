#pragma once

#include <memory>

#include "platform/db/Database.h"
#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// NXSBase.SystemProfile over t_SystemProfile.
class SystemProfile : public ISystemProfile {
  public:
    explicit SystemProfile(std::shared_ptr<Database> db);
    // A null QVariant when the entry is absent or holds no value.
    QVariant GetProfile(const QString& propsString, const QString& category, const QString& key) override;

  private:
    std::shared_ptr<Database> db_;
};

}  // namespace sp::platform
