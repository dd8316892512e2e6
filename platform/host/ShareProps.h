#pragma once

#include <memory>

#include "platform/host/LoginSession.h"
#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// PropsMgr.ShareProps: the login's properties by name. Unknown names read as empty.
class ShareProps : public IShareProps {
  public:
    explicit ShareProps(std::shared_ptr<const LoginSession> session);
    HostProperty GetProperty(const QString& name, qint64 processId) override;

  private:
    std::shared_ptr<const LoginSession> session_;
};

}  // namespace sp::platform
