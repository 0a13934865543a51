#pragma once

// The last-write time of a file, in local time at DOS precision.

#include <optional>

#include "engine/datetext.hpp"

namespace nm {

// No time when the path names nothing, names a folder, holds wildcard characters, or
// names a file whose local last-write date lies outside 1980 to 2107.
std::optional<FileTime> ReadFileTime(const char* path) noexcept;

}  // namespace nm
