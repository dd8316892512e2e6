#pragma once

#include "platform/db/Database.h"

namespace sp::platform {

// A small machining shop to try the workbench on: departments, work centers,
// processes, teams and workers, devices, items, production tasks with their work
// bills, the users "demo" (id 1, every right) and "clerk" (id 2, no new reports),
// and the system profile. Does nothing when the database already holds work bills,
// so it is safe to call on every start. All or nothing.
void SeedDemo(Database& db);

// The team of the demo shop that does a process (its t_SubMessage id, type 61): the
// work of 车削 goes to 车工二班 unless a work bill fixes 车工一班. 0 for work sent out
// (表面处理) and for a process the demo does not know.
qint32 DemoTeamOfProcess(qint32 process);

}  // namespace sp::platform
