#pragma once

// The last-write time of a file, in local time at DOS precision.

#include <windows.h>

#include <optional>

#include "engine/datetext.hpp"

namespace nm {

// No time when the path names nothing, names a folder, holds wildcard characters, or
// names a file whose local last-write date lies outside 1980 to 2107.
std::optional<FileTime> ReadFileTime(const char* path) noexcept;

// A file time (UTC) as ReadFileTime gives it: local, at DOS precision, none outside 1980 to 2107.
std::optional<FileTime> localDosTime(const FILETIME& utc) noexcept;

// What ReadFileTime turns away before it looks: wildcard characters, which would match some
// other file's name.
bool hasWildcard(const char* path) noexcept;

}  // namespace nm
