#pragma once

// A window's text as the W functions give it. Conversions to and from the code pages are
// the core's (engine/win32/text_codec.hpp).

#include <windows.h>

#include <string>

namespace nm {

// A window's whole text.
std::wstring windowText(HWND window);

}  // namespace nm
