#pragma once

// The process's ANSI code page as the core walks it: read from the system once, for the
// date settings, the planner's rules and anything else that walks the host's texts.

#include "engine/codepage.hpp"

namespace nm {

// UTF-8 when the process's code page is 65001 (a manifest can make it so whatever the
// system's); double-byte with the lead bytes the system lists for it; else single-byte.
const CodePage& ansiCodePage() noexcept;

}  // namespace nm
