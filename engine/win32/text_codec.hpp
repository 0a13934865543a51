#pragma once

// Text between a code page's bytes and UTF-16, for everything that hands names and labels
// to the W functions or takes them back.

#include <windows.h>

#include <string>
#include <string_view>

namespace nm {

// Bytes of the code page as UTF-16.
std::wstring Widen(std::string_view text, UINT codePage = CP_ACP);

// UTF-16 as bytes of the process's ANSI code page. `lost` tells whether a character the
// code page lacks was replaced; no look-alike is ever taken for it, as it could name
// another file.
std::string NarrowToAnsi(std::wstring_view text, bool& lost);

}  // namespace nm
