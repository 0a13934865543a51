#include <windows.h>

#include "engine/win32/locale_capture.hpp"
#include "plugin/heap.hpp"
#include "ui/options_window.hpp"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            DisableThreadLibraryCalls(instance);  // no per-thread state
            nm::setOptionsWindowModule(instance);
            if (!nm::createPluginHeap()) {
                return FALSE;
            }
            nm::captureLocaleFormatsOnce();  // the user's date settings, for this load
            return TRUE;
        case DLL_PROCESS_DETACH:
            if (reserved == nullptr) {  // FreeLibrary, not the end of the process
                nm::UnregisterOptionsWindowClass();
            }
            nm::destroyPluginHeap();
            return TRUE;
        default:
            return TRUE;
    }
}
