#pragma once

// The one conversion of texts between a code page's bytes, UTF-16 and UTF-8: names and labels
// handed to the W functions or taken back, and what renhost writes, which is UTF-8.

#include <windows.h>

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

namespace nm {

// The plug-in's own texts (the descriptor, the window's labels) are Windows-1251 bytes,
// whatever the process's code page.
inline constexpr UINT kPluginTextCodePage = 1251;

// Bytes of the code page, the process's ANSI one unless another is named, as UTF-16.
std::wstring ansiToWide(std::string_view text, UINT codePage = CP_ACP);

struct AnsiText {
    std::string bytes;
    // A character the code page lacks was replaced by its default character. No look-alike
    // is ever taken for one, as it could name another file.
    bool lost = false;
    // Characters at the end did not fit the limit and are left out.
    bool cut = false;

    // All of the text, every character as it is.
    bool whole() const noexcept { return !lost && !cut; }
};

// UTF-16 as bytes of the process's ANSI code page: the longest start of the text, in whole
// characters (a surrogate pair is one), that takes at most `limit` bytes.
AnsiText wideToAnsi(std::wstring_view text,
                    std::size_t limit = std::numeric_limits<std::size_t>::max());

std::string wideToUtf8(std::wstring_view text);
std::wstring utf8ToWide(std::string_view text);

// Bytes of the code page as UTF-8, through UTF-16: for output that is UTF-8 whatever the
// process's code page.
std::string ansiToUtf8(std::string_view text, UINT codePage = CP_ACP);

}  // namespace nm
