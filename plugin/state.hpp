#pragma once

// Everything the DLL keeps from one export call to the next, in one place: it lives from
// load to unload, and nothing else in the plug-in outlives a call. Each piece says who
// sets it and when. Only DllMain, the exports and the heap's functions (plugin/heap.cpp)
// reach it; the options window gets its part, `options`, handed in.

#include <windows.h>

#include <string>

#include "engine/datetext.hpp"
#include "engine/win32/handles.hpp"
#include "ui/options_window_state.hpp"

namespace nm {

struct PluginState {
    // Created by DllMain at load, destroyed at unload: records and texts handed to the
    // host come from it, so unloading releases them all, given back or not.
    Heap heap;
    // Captured by DllMain at load (the user's date settings and the process's code page),
    // read by process: a change of regional settings takes effect at the next load. The
    // English settings when the capture failed.
    LocaleFormats localeFormats;
    // Set by every initialize: the host's main window, owner of the options window. Null
    // until the first.
    HWND hostWindow = nullptr;
    // Set by the initialize that registered the options window's class: without it there
    // is no window to show, and showOptions returns at once.
    bool windowClassRegistered = false;
    // Set by each process that computed a new path (and, outside preview, moved the file):
    // the text the host's path variable then points to, valid until the next call.
    std::string newPath;
    // What the options window keeps between showOptions calls: its `resources` (this
    // module) set by DllMain at load; the open window, set and cleared by the window
    // itself; the record being edited and the result (`working`, `confirmed`), set by
    // showOptions and by OK or Cancel; where tokens go (`tokenTarget`) and the number
    // fields' last valid texts, set by the window as the user works; the `description`
    // handed to the host, set by showOptions after OK.
    OptionsSession options;
};

// The one instance: made before DllMain sees the load, gone after it sees the unload.
PluginState& pluginState() noexcept;

// The host's window from the last initialize.
inline HWND hostWindow() noexcept {
    return pluginState().hostWindow;
}

}  // namespace nm
