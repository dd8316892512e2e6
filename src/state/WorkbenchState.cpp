#include "src/state/WorkbenchState.h"

#include "src/lookups/Devs.h"
#include "src/lookups/Emps.h"
#include "src/lookups/Teams.h"

// The caches' complete types are known here, so the state's constructor, destructor
// and cache accessors are defined in this file rather than inline.

namespace sp {

WorkbenchState::WorkbenchState() = default;
WorkbenchState::~WorkbenchState() = default;

Emps& WorkbenchState::EmpsCache() {
    if (!emps)
        emps = std::make_unique<Emps>();
    return *emps;
}

Devs& WorkbenchState::DevsCache() {
    if (!devs)
        devs = std::make_unique<Devs>();
    return *devs;
}

Teams& WorkbenchState::TeamsCache() {
    if (!teams)
        teams = std::make_unique<Teams>();
    return *teams;
}

void WorkbenchState::ReleaseCaches() {
    emps.reset();
    devs.reset();
    teams.reset();
}

}  // namespace sp
