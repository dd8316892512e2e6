#include "platform/host/ShareProps.h"

namespace sp::platform {

ShareProps::ShareProps(std::shared_ptr<const LoginSession> session) : session_(std::move(session)) {}

HostProperty ShareProps::GetProperty(const QString& name, qint64 /*processId*/) {
    // One login per process: the process id only matters to a host serving several.
    if (name.compare(QLatin1String("PropsString"), Qt::CaseInsensitive) == 0)
        return {session_->PropsString(), nullptr};
    if (name.compare(QLatin1String("UserName"), Qt::CaseInsensitive) == 0)
        return {session_->UserName(), nullptr};
    if (name.compare(QLatin1String("UserID"), Qt::CaseInsensitive) == 0)
        return {session_->UserId(), nullptr};
    if (name.compare(QLatin1String("VLLogin"), Qt::CaseInsensitive) == 0)
        return {QVariant(), session_->LoginObject()};
    return {};
}

}  // namespace sp::platform
