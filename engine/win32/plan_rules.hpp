#pragma once

// What the batch planner needs to know of Windows: how the file system compares names in
// the ANSI code page, what exists on disk, and the process's code page.

#include "engine/plan.hpp"

namespace nm {

// What exists is read as the plan asks and kept: make new rules for each plan.
PlanRules windowsPlanRules();

}  // namespace nm
