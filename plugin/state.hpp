#pragma once

// Module-level state that outlives one export call.

#include <windows.h>

namespace nm {

// The host's main window from initialize: owner of the options window. Null until then.
HWND hostWindow() noexcept;
void setHostWindow(HWND window) noexcept;

// Whether an initialize of this load registered the options window class: without it
// there is no window to show.
bool windowClassRegistered() noexcept;
void setWindowClassRegistered() noexcept;

}  // namespace nm
