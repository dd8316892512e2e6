#include "lookups/Devs.h"
#include "lookups/Emps.h"
#include "lookups/Teams.h"
#include "workbench/WorkbenchState.h"

// The caches' complete types live here, so the state's constructor, destructor and
// cache accessors are defined beside them.

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
