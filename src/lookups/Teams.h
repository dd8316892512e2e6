#pragma once

#include "src/lookups/Team.h"
#include "src/lookups/KeyedRecords.h"

namespace sp {

// The workbench's cache of Team records, keyed by number.
class Teams final : public KeyedRecords<Team> {};

}  // namespace sp
