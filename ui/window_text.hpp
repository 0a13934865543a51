#pragma once

// Texts between the window (UTF-16), our own labels (Windows-1251) and the records and
// the host (the process's ANSI code page).

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace nm {

// Our Windows-1251 labels as the window shows them, whatever the system's code page.
std::wstring fromLabel(std::string_view label);

// Bytes of the process's ANSI code page as UTF-16.
std::wstring fromAnsi(std::string_view text);

// The text in the process's ANSI code page when all of it is representable there and
// takes at most `limit` bytes; nothing otherwise, so no character is ever cut or lost.
std::optional<std::string> toAnsi(std::wstring_view text, std::size_t limit);

// The text in the ANSI code page, characters it lacks as '?': for texts that must be
// handed over whole, such as the description.
std::string toAnsiLossy(std::wstring_view text);

// The longest start of the text, in whole characters, that takes at most `limit` bytes
// of the ANSI code page (characters it lacks as '?').
std::string fitAnsi(std::wstring_view text, std::size_t limit);

// A window's whole text.
std::wstring windowText(HWND window);

}  // namespace nm
