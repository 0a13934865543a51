#pragma once

// Helpers for the records that cross the boundary.

#include "namemask/plugin.h"

namespace nm {

// The defaults of a new record: "[N]", "[E]", counter from 1, step 1, 1 digit.
void fillDefaults(RenameOptions& record) noexcept;

// A record from the private heap, filled with the defaults; nullptr when out of memory.
RenameOptions* allocateRecord() noexcept;

}  // namespace nm
