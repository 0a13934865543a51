#pragma once

// The options window's layout, given in pixels at 96 DPI, and the arithmetic that puts it
// on a screen of any other DPI: positions, sizes, fonts and the header art for a DPI.

#include <windows.h>

#include <array>

#include "ui/options_window_state.hpp"
#include "ui/win32_handles.hpp"

namespace nm {

// The DPI the window's layout is given in.
inline constexpr UINT kLayoutDpi = 96;

// A length of the 96-DPI layout at `dpi`: halves round away from zero, the same way for
// every position, size, font and line.
inline int scaleForDpi(int value, UINT dpi) noexcept {
    return MulDiv(value, static_cast<int>(dpi), static_cast<int>(kLayoutDpi));
}

// The window and what is painted on it, at 96 DPI.
inline constexpr int kOuterWidth = 259;
inline constexpr int kOuterHeight = 332;
inline constexpr int kHeaderHeight = 50;
inline constexpr int kFooterRule = 265;
inline constexpr int kHeaderArtWidth = 100;
inline constexpr int kHeaderArtMargin = 6;  // between the header art and the right edge
inline constexpr POINT kTitleAt = {16, 12};
inline constexpr POINT kVersionLineAt = {125, 34};
inline constexpr int kIconSize = 16;
inline constexpr int kIconMargin = 10;  // left of the icon on its button
inline constexpr int kTitleFontHeight = -19;
inline constexpr int kSmallFontHeight = -8;

// One child control: what it is and where it stands at 96 DPI.
struct ControlLayout {
    const wchar_t* className;
    const char* text;  // Windows-1251
    int id;
    DWORD style;  // besides WS_CHILD and WS_VISIBLE
    DWORD exStyle;
    int x, y, width, height;
    int textLimit;     // 0: none
    const char* icon;  // shown on the button, or null
};

// The controls in creation order, which is also the tab order.
extern const std::array<ControlLayout, kControlCount> kControlLayouts;

// A control's rectangle in the window's client area at `dpi`.
RECT controlRect(const ControlLayout& layout, UINT dpi) noexcept;

// The screen's DPI: what the window is made at before it has a DPI of its own.
UINT screenDpi() noexcept;

// The window's own DPI where the system has one per window (Windows 10 1607 and later;
// looked up at run time, so the plug-in imports nothing newer), else the screen's. A host
// that is not DPI-aware gets 96 here and the system stretches the window.
UINT windowDpi(HWND window) noexcept;

// Where the window goes at `dpi`: centred on the primary screen; nothing keeps a too small
// screen from a negative place.
POINT windowPosition(UINT dpi) noexcept;

// A Tahoma of this height (negative: the characters' height).
Font createTahoma(int height) noexcept;

// The controls' font at a DPI: the 96-DPI size scaled, or one size smaller where the
// scaled size's line would not fit the scaled label.
Font controlFontFor(UINT dpi) noexcept;

// The name of the header bitmap to paint at `dpi`: the one drawn for it, else the nearest
// one drawn larger (scaled down when painted: sharper than one scaled up), else the largest.
const wchar_t* headerArtFor(UINT dpi) noexcept;

}  // namespace nm
