#pragma once

// Reading a whole file or pipe: a journal, a list of files, standard input.

#include <windows.h>

#include <string>

namespace nm {

// Everything left to read in the file or pipe; what was read up to a failure.
std::string readAll(HANDLE file);

}  // namespace nm
