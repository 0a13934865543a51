#pragma once

// The user's date settings, read from the Windows locale once while the DLL loads and
// only read afterwards: a change of regional settings takes effect at the next load.

#include "engine/datetext.hpp"

namespace nm {

// Reads every item afresh; an item the locale cannot give keeps its English value. The
// code page is the process's (engine/win32/ansi_code_page.hpp).
LocaleFormats captureLocaleFormats();

// Called at load. Only the first call captures; never throws.
void captureLocaleFormatsOnce() noexcept;

// The captured settings; the English ones when no capture has run or it failed.
const LocaleFormats& localeFormats() noexcept;

}  // namespace nm
