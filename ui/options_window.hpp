#pragma once

// The options window: its class, and the window built whole at its creation.
// RegisterOptionsWindowClass, CreateOptionsWindow and OptionsWindowProc keep the names the
// plug-in's own documents give them; our other functions are camelCase.

#include <windows.h>

#include "ui/options_window_state.hpp"

namespace nm {

// Registers the class "TKalvurenWindow"; false when that fails (also when it exists).
bool RegisterOptionsWindowClass() noexcept;

// Takes the class away when the plug-in is unloaded: its window procedure goes with the
// DLL, and a later load must be able to register its own.
void unregisterOptionsWindowClass() noexcept;

// Creates the options window hidden, owned by `owner`, with its hot keys, controls and
// menus, for `session` (which must outlive it; its resources give the images). False when
// it could not be created, or while the session has another one open.
bool CreateOptionsWindow(HWND owner, OptionsSession& session) noexcept;

LRESULT CALLBACK OptionsWindowProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept;

}  // namespace nm
