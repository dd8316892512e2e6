#include "src/lookups/Team.h"

#include "src/entry/HostServices.h"

namespace sp {

void Team::SetTID(qint32 id) {
    id_ = id;
    Complete();
}

void Team::SetTno(const QString& number) {
    number_ = number;
    Complete();
}

void Team::Complete() {
    if (!name_.isEmpty() || !host_)
        return;
    const QString props = host_->PropsString();
    host_->NewMShopProc()->GetTeamInfo(props, number_, id_, name_);
}

}  // namespace sp
