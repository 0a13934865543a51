#pragma once

// The files of a batch as the user gave them: names, patterns that renhost expands itself
// (cmd.exe leaves that to each program), and lists of paths.

#include <string>
#include <vector>

#include "host/command_line.hpp"

namespace nm {

// Every FILE in order, a pattern replaced by its files, then every list's paths, all in the
// ANSI code page. Throws UsageError for a pattern that matches no file or a list that cannot
// be read.
std::vector<std::string> gatherFiles(const Arguments& args);

}  // namespace nm
