#pragma once

#include "src/common/Ui.h"
#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// VLVBF.VLF: shows the error to the user and keeps it in the application log.
class ErrorDisplay : public IErrorDisplay {
  public:
    explicit ErrorDisplay(Ui& ui) : ui_(ui) {}
    void HandleError(const ComError& error) override;

  private:
    Ui& ui_;
};

}  // namespace sp::platform
