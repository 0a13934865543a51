#include <windows.h>

#include "engine/win32/locale_capture.hpp"
#include "plugin/heap.hpp"
#include "plugin/state.hpp"
#include "ui/options_window.hpp"

namespace {

// The user's date settings for this load; the English ones stay when memory runs out.
void takeLocaleFormats(nm::PluginState& state) noexcept {
    try {
        state.localeFormats = nm::captureLocaleFormats();  // a move that cannot throw
    } catch (...) {
    }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    nm::PluginState& state = nm::pluginState();
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            DisableThreadLibraryCalls(instance);  // no per-thread state
            state.options.resources = instance;
            if (!nm::createPluginHeap()) {
                return FALSE;
            }
            takeLocaleFormats(state);
            return TRUE;
        case DLL_PROCESS_DETACH:
            if (reserved == nullptr) {  // FreeLibrary, not the end of the process
                nm::unregisterOptionsWindowClass();
            }
            nm::destroyPluginHeap();
            return TRUE;
        default:
            return TRUE;
    }
}
