#pragma once

// What the options window works with: what one open window owns (OptionsWindowState, kept
// with the window from WM_CREATE to WM_DESTROY), and what outlives each window
// (OptionsSession, kept by whoever shows the window: the plug-in, for as long as it is
// loaded). The session and tests read both to see what they hold.

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "namemask/mask_field.hpp"
#include "namemask/plugin.h"
#include "ui/win32_handles.hpp"

namespace nm {

// Control ids, also the command ids of the window.
enum ControlId : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdDateMenu = 18,
    kIdTimeMenu = 19,
    kIdOtherMenu = 20,
    kIdStart = 21,
    kIdStep = 22,
    kIdDigits = 23,
    kIdNameMask = 24,
    kIdExtMask = 25,
};

inline constexpr std::size_t kControlCount = 19;
inline constexpr int kHotKeyCount = 5;

// A mask field's bytes, in the ANSI code page; the window writes one fewer and a NUL.
inline constexpr std::size_t kMaskBytes = kMaskField;

// What outlives each window. The one who shows the window keeps it and hands it to every
// window it opens; the plug-in keeps its own in its load-lifetime state (plugin/state.hpp).
struct OptionsSession {
    // Whose bitmaps, icons and manifest the window uses (the plug-in's own module); set
    // before the first window opens.
    HMODULE resources = nullptr;
    // The open window, set by its WM_CREATE and cleared when it ends: one window at a time.
    HWND openWindow = nullptr;
    RenameOptions working{};     // the record being edited; OK reads the window into it
    std::int32_t confirmed = 0;  // 1 when the last window ended with OK
    HWND tokenTarget = nullptr;  // where token commands insert; may name a window now gone
    // The last valid text of the start, step and digits fields, kept from one window to
    // the next.
    std::array<std::array<char, 10>, 3> lastValidText{{{"1"}, {"1"}, {"1"}}};
    // The one-line description handed to the host after OK, valid until a later OK.
    std::string description;
};

// What one open options window owns; its destructor releases all of it. The window keeps
// it (GWLP_USERDATA) from WM_CREATE, which builds it whole, to WM_DESTROY, which ends it.
struct OptionsWindowState {
    OptionsWindowState(HWND window, OptionsSession& session) noexcept
        : window(window), session(session) {}
    OptionsWindowState(const OptionsWindowState&) = delete;
    OptionsWindowState& operator=(const OptionsWindowState&) = delete;
    ~OptionsWindowState();

    // The child control with this id (the first, for the shared id 0); null if none.
    HWND control(int id) const noexcept;

    HWND window;                                 // destroys itself and its controls
    OptionsSession& session;                     // not owned: outlives the window
    UINT dpi = 96;                               // what the geometry below is scaled to
    std::array<HWND, kControlCount> controls{};  // in creation order; owned by the window
    std::array<Menu, 3> menus;                   // date, time, other
    Font controlFont;
    Font titleFont;
    Font smallFont;
    Pen softPen;
    Pen lightPen;
    Bitmap header;
    std::wstring title;                        // painted in the header
    std::wstring versionLine;                  // painted under the title
    std::array<Icon, 2> buttonIcons;           // OK, Cancel: the fallback image shows them
    std::array<ImageList, 2> buttonImages;     // OK, Cancel: taken back from the buttons
    std::array<HotKey, kHotKeyCount> hotKeys;  // by hot key id
    // The name and extension masks' last texts that fit their record fields.
    std::array<std::wstring, 2> lastMaskText;
    // While a record's text is put into a mask edit: its check takes the text as it is.
    bool fillingMaskField = false;
};

// The state of an options window (one of our class, built by CreateOptionsWindow); null
// for any other window.
OptionsWindowState* optionsWindowState(HWND window) noexcept;

// The session's open window's state, or null when it has none open.
const OptionsWindowState* openOptionsWindow(const OptionsSession& session) noexcept;

}  // namespace nm
