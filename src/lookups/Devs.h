#pragma once

#include "src/lookups/Dev.h"
#include "src/lookups/KeyedRecords.h"

namespace sp {

// The workbench's cache of Dev records, keyed by number.
class Devs final : public KeyedRecords<Dev> {};

}  // namespace sp
