#pragma once

#include <QString>
#include <memory>

#include "platform/db/Database.h"
#include "src/common/ComponentRegistry.h"

namespace sp::platform {

// Registers the middle tier over db: "Q8MShopProc.MShopProc", "Q8MShopProc.MShopProcSet",
// "Q8MCaculateRpt.Profile" and "Q8Host.ListSelData". Each Create makes a new cheap
// object over the same database (no new connection).
void RegisterMiddleTier(ComponentRegistry& registry, std::shared_ptr<Database> db);

// Creates "ErpSwitch.sss" in folder when it is missing: the small local database the
// filter dialog opens as its own connection (a table naming the host's lists).
void InstallLocalSwitchFile(const QString& folder);

// Demo data: reports on the demo database's work bills, some audited (and posted),
// some not, written through the service's own code so they obey its rules.
void SeedDemoReports(Database& db);

// A large database for benchmarks: departments, work centers, items, production tasks
// with routings, workBills work bills and about `reports` reports, mostly audited and
// posted. The first work bill gets `longHistory` reports (or all, when fewer are asked
// for).
void SeedBench(Database& db, int workBills, int reports, int longHistory = 1000);

}  // namespace sp::platform
