#pragma once

// The options window: its class, creation, drawing objects and painting.

#include <windows.h>

namespace nm {

// The module whose resources (bitmap, icons, manifest) and instance the window uses:
// the plug-in's own. Set once at load.
void setOptionsWindowModule(HMODULE module) noexcept;

// Registers the class "TKalvurenWindow"; false when that fails (also when it exists).
bool RegisterOptionsWindowClass() noexcept;

// Takes the class away when the plug-in is unloaded: its window procedure goes with the
// DLL, and a later load must be able to register its own.
void UnregisterOptionsWindowClass() noexcept;

// Creates the options window hidden, owned by `owner`, with its hot keys, controls and
// menus. False when it could not be created, or while another one is still open.
bool CreateOptionsWindow(HWND owner) noexcept;

LRESULT CALLBACK OptionsWindowProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept;

}  // namespace nm
