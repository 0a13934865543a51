#pragma once

// The system's own text for an error code, for what renhost reports.

#include <windows.h>

#include <string>

namespace nm {

// In UTF-8, with the code: "... (error 183)".
std::string systemMessage(DWORD error);

}  // namespace nm
