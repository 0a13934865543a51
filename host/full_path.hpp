#pragma once

// Paths as the system resolves them: against the current folder.

#include <string>

namespace nm {

// The full path GetFullPathNameA makes of path (ANSI); path itself when it cannot.
std::string fullPath(const std::string& path);

// The current folder (ANSI), against which relative paths resolve.
std::string currentFolder();

}  // namespace nm
