#pragma once

#include <QString>

#include "src/common/Dictionary.h"

namespace sp {

// The SQL condition that narrows the work bill list to the filter's ranges: a run of
// " AND alias.column >='bound'" / "<='bound'" fragments in a fixed order, empty when
// no bound is set. Bounds are inclusive string comparisons; a bound's "'" is doubled
// so it stays inside its literal.
QString BuildListCondition(const DictionaryPtr& dicFilter);

}  // namespace sp
