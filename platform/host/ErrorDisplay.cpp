#include "platform/host/ErrorDisplay.h"

#include "src/common/ErrorLog.h"

namespace sp::platform {

void ErrorDisplay::HandleError(const ComError& error) {
    ErrorLog::Write(error.Source(), QStringLiteral("%1: %2").arg(error.Number()).arg(error.Description()));
    ShowInfo(ui_, error.Description());
}

}  // namespace sp::platform
