#pragma once

#include "platform/db/Database.h"

namespace sp::platform {

// A small machining shop to try the workbench on: departments, work centers,
// processes, teams and workers, devices, items, production tasks with their work
// bills, the users "demo" (id 1, every right) and "clerk" (id 2, no new reports),
// and the system profile. Does nothing when the database already holds work bills,
// so it is safe to call on every start. All or nothing.
void SeedDemo(Database& db);

}  // namespace sp::platform
