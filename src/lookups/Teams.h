#pragma once

#include "src/lookups/KeyedRecords.h"
#include "src/lookups/Team.h"

namespace sp {

// The workbench's cache of Team records, keyed by number.
class Teams final : public KeyedRecords<Team> {};

}  // namespace sp
