#include "src/lookups/Dev.h"

#include "src/entry/HostServices.h"

namespace sp {

void Dev::SetDID(qint32 id) {
    id_ = id;
    Complete();
}

void Dev::SetDno(const QString& number) {
    number_ = number;
    Complete();
}

void Dev::Complete() {
    if (!name_.isEmpty() || !host_)
        return;
    const QString props = host_->PropsString();
    host_->NewMShopProc()->GetDevInfo(props, number_, id_, name_, type_, workCenter_);
}

}  // namespace sp
