#include <windows.h>

#include "plugin/heap.hpp"
#include "ui/options_window.hpp"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            DisableThreadLibraryCalls(instance);  // no per-thread state
            nm::setOptionsWindowModule(instance);
            return nm::createPluginHeap() ? TRUE : FALSE;
        case DLL_PROCESS_DETACH:
            nm::destroyPluginHeap();
            return TRUE;
        default:
            return TRUE;
    }
}
