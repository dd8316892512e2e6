#pragma once

#include "lookups/Emp.h"
#include "lookups/KeyedRecords.h"

namespace sp {

// The workbench's cache of Emp records, keyed by number.
class Emps final : public KeyedRecords<Emp> {};

}  // namespace sp
