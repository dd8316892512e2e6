#pragma once

namespace sp {

// Registers the views of the filter dialog (frmWageFilter), the list selection form
// (frmList), the record info filter (frmInfoFilter), the column settings dialog
// (frmSetCol) and the host's lookup dialogs (ItemLookUp, SubMesLookup, ResourceBrowser).
// The host calls it once at start, before any of them is shown.
void RegisterFilterDialogViews();

}  // namespace sp
