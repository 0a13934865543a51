#pragma once

// What the batch planner needs to know of Windows: how the file system compares names in
// the ANSI code page, what exists on disk, and the code page's lead bytes.

#include "engine/plan.hpp"

namespace nm {

PlanRules WindowsPlanRules();

}  // namespace nm
