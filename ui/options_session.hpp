#pragma once

// The modal options session: the record shown in the options window over the host's
// disabled window, a message loop until the window is gone, and the result.

#include <windows.h>

#include <cstdint>

#include "namemask/plugin.h"
#include "ui/options_window_state.hpp"

namespace nm {

// Edits `record` in an options window of `session`, owned by `host`. Returns 1 when the
// user confirmed with OK: then the record holds the window's values and *description
// (when not null) points to a one-line text of the masks, kept in the session until a
// later OK. Otherwise the record and *description are left as they were. Returns 0 at
// once, with the host window enabled, when the window cannot be created.
std::int32_t runOptionsSession(OptionsSession& session, HWND host, RenameOptions& record,
                               const char** description) noexcept;

}  // namespace nm
