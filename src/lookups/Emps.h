#pragma once

#include "src/lookups/Emp.h"
#include "src/lookups/KeyedRecords.h"

namespace sp {

// The workbench's cache of Emp records, keyed by number.
class Emps final : public KeyedRecords<Emp> {};

}  // namespace sp
