#pragma once

#include <QString>
#include <cstdio>
#include <functional>
#include <memory>

#include "app/host/HostOptions.h"
#include "platform/db/Database.h"

namespace sp::host {

// erp-host report summary: the figures of the workbench's summary window for a payroll
// job, as CSV (to a file or the standard output) or XLSX, through the service and the
// summary's own table, so both show the same numbers. Answers the exit code.
int RunReportSummary(const HostOptions& o, std::shared_ptr<platform::Database> db,
                     const std::function<void(FILE*, const QString&)>& print);

}  // namespace sp::host
