#pragma once

// How the options window answers the user: commands, number fields, hot keys, focus.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "ui/options_window_state.hpp"

namespace nm {

std::uint32_t MinCardinal(std::uint32_t a, std::uint32_t b) noexcept;
std::uint32_t MaxCardinal(std::uint32_t a, std::uint32_t b) noexcept;

// The number fields' reading rule: leading spaces, a minus only when signed, one or
// more decimal digits and nothing else, within the signed or unsigned 32-bit range.
// The value comes back as its 32 bits.
std::optional<std::uint32_t> readNumber(std::string_view text, bool isSigned) noexcept;

// A mask field of the record shown in its edit, and read back from it: the record's bytes
// are in the process's ANSI code page. Reading writes the text, at most one byte fewer than
// the field, and a NUL after it. Filling an edit of an options window takes the record's
// text as it is, past the edit's check.
void fillMaskField(HWND field, const char (&mask)[kMaskBytes]) noexcept;
void readMaskField(HWND field, char (&mask)[kMaskBytes]) noexcept;

// The five hot keys of the window, registered from id 4 down, released from id 0 up.
void registerHotKeys(OptionsWindowState& state) noexcept;
void unregisterHotKeys(OptionsWindowState& state) noexcept;

void onSetFocus(OptionsWindowState& state) noexcept;
void onActivateApp(OptionsWindowState& state, bool active) noexcept;
void onHotKey(OptionsWindowState& state, LPARAM keys) noexcept;
// A result when the command must not reach the default processing (OK and Cancel).
// OK and Cancel destroy the window, and `state` with it.
std::optional<LRESULT> onCommand(OptionsWindowState& state, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace nm
