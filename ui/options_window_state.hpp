#pragma once

// What one open options window owns. The window keeps it (GWLP_USERDATA) from its
// creation to its destruction; the session and tests read it to see what it holds.

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "plugin/exports.h"
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
inline constexpr std::size_t kMaskBytes = sizeof(RenameOptions::NameMask);

struct OptionsWindowState {
    OptionsWindowState() = default;
    OptionsWindowState(const OptionsWindowState&) = delete;
    OptionsWindowState& operator=(const OptionsWindowState&) = delete;
    ~OptionsWindowState();

    // The child control with this id (the first, for the shared id 0); null if none.
    HWND control(int id) const noexcept;

    HWND window = nullptr;                       // destroys itself and its controls
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
};

// The open window's state, or null when no options window exists.
const OptionsWindowState* openOptionsWindow() noexcept;

// What outlives each window, kept while the plug-in is loaded.
struct OptionsSession {
    RenameOptions working{};     // the record being edited; OK reads the window into it
    std::int32_t confirmed = 0;  // 1 when the last window ended with OK
    HWND tokenTarget = nullptr;  // where token commands insert
    // The last valid text of the start, step and digits fields.
    std::array<std::array<char, 10>, 3> lastValidText{{{"1"}, {"1"}, {"1"}}};
};
OptionsSession& optionsSession() noexcept;

}  // namespace nm
