#pragma once

namespace sp {

// Departments, work centers and workers are compared and filled in by their short
// numbers. The switch exists so that the filter dialog and the list condition can
// never disagree on the number form; nothing turns it on.
constexpr bool LongNumberMode() { return false; }

}  // namespace sp
