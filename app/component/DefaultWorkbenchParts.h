#pragma once

#include <memory>

#include "src/workbench/frmProc.h"

namespace sp {

// The workbench's real parts: the report grid, the work bill list and tree, and the
// work bill queries, all over the form's state.
std::unique_ptr<WorkbenchParts> MakeDefaultWorkbenchParts(frmProc& form);

// A new frmWageFilter for each use of the filter command.
frmProc::FilterDialogFactory DefaultFilterDialogFactory();

// The workbench as the component ships it: the real parts and the filter dialog.
std::unique_ptr<frmProc> MakeWorkbench(HostServices& host);

}  // namespace sp
