#include "platform/host/ErrorDisplay.h"

#include "src/common/ErrorLog.h"

namespace sp::platform {

void ErrorDisplay::HandleError(const ComError& error) {
    ErrorLog::Write(error);
    ShowInfo(ui_, error.Description());
}

}  // namespace sp::platform
