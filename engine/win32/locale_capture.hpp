#pragma once

// The user's date settings, read from the Windows locale. The plug-in reads them once while
// it loads and keeps them in its state (plugin/state.hpp): a change of regional settings
// takes effect at the next load.

#include "engine/datetext.hpp"

namespace nm {

// Reads every item afresh; an item the locale cannot give keeps its English value. The
// code page is the process's (engine/win32/ansi_code_page.hpp).
LocaleFormats captureLocaleFormats();

}  // namespace nm
