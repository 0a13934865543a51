#pragma once

// The options window: its class, creation and the modal session.

#include <windows.h>

namespace nm {

// Registers the class "TKalvurenWindow"; false when that fails (also when it exists).
bool RegisterOptionsWindowClass() noexcept;

}  // namespace nm
