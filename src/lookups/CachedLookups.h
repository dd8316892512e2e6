#pragma once

#include "lookups/Dev.h"
#include "lookups/Emp.h"
#include "lookups/Team.h"

namespace sp {

struct WorkbenchState;

// A record by internal id through the workbench's cache: the cached record with that
// id, or a new one completed from the middle tier and added. Adding the same number
// twice would raise, so a record the cache already holds is always reused. A failed
// completion raises and adds nothing.
EmpPtr CachedEmpById(WorkbenchState& state, qint32 id);
DevPtr CachedDevById(WorkbenchState& state, qint32 id);
TeamPtr CachedTeamById(WorkbenchState& state, qint32 id);

}  // namespace sp
