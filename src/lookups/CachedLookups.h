#pragma once

#include "src/lookups/Devs.h"
#include "src/lookups/Emps.h"
#include "src/lookups/Teams.h"

namespace sp {

class HostServices;

// A record by internal id through a cache: the cached record with that id, or a new one
// completed from the middle tier and added. Adding the same number twice would raise,
// so a record the cache already holds is always reused. A failed completion raises and
// adds nothing.
EmpPtr CachedEmpById(Emps& cache, HostServices& host, qint32 id);
DevPtr CachedDevById(Devs& cache, HostServices& host, qint32 id);
TeamPtr CachedTeamById(Teams& cache, HostServices& host, qint32 id);

}  // namespace sp
