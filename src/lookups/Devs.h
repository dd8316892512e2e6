#pragma once

#include "lookups/Dev.h"
#include "lookups/KeyedRecords.h"

namespace sp {

// The workbench's cache of Dev records, keyed by number.
class Devs final : public KeyedRecords<Dev> {};

}  // namespace sp
