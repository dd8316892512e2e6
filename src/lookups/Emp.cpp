#include "src/lookups/Emp.h"

#include "src/entry/HostServices.h"

namespace sp {

void Emp::SetEID(qint32 id) {
    id_ = id;
    Complete();
}

void Emp::SetEno(const QString& number) {
    number_ = number;
    Complete();
}

void Emp::Complete() {
    if (!name_.isEmpty() || !host_)
        return;
    const QString props = host_->PropsString();
    host_->NewMShopProc()->GetEmpInfo(props, number_, id_, name_, group_);
}

}  // namespace sp
