#pragma once

// Mask token expansion: prefix tokens with character ranges, and literal tokens.
// Portable: no Windows headers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/codepage.hpp"

namespace nm {

// Expands every occurrence of the prefix in tmpl (in place): the prefix, the range text up to and
// including the first "]" at or after it, replaced by the piece of value that the range selects.
// True when every occurrence expanded (also when there was none); false on a failed occurrence
// (no "]", a bad number, exhausted memory), with the template left as the algorithm leaves it
// (on exhausted memory: unchanged). Text inserted by this call is never searched again; text on
// both sides of an empty piece closes up and may form a new occurrence. An empty prefix changes
// nothing and gives true. Never throws.
// Positions and counts in the range count characters of the code page, and an occurrence (the
// prefix, the "]") is a run of whole characters of the template: a trail byte is never a bracket.
bool ExpandToken(std::string& tmpl, std::string_view prefix, std::string_view value,
                 const CodePage& codePage = kSingleByteCodePage) noexcept;

// Replaces every occurrence of literal by value (in place), with the same rules for inserted text
// and for closing up around an empty value. An empty literal changes nothing.
// An occurrence is a run of whole characters of the code page.
// Exhausted memory is passed on as std::bad_alloc (the caller at the DLL boundary catches it).
void ReplaceAll(std::string& tmpl, std::string_view literal, std::string_view value,
                const CodePage& codePage = kSingleByteCodePage);

// Internal operations, declared here so that tests can reach them.

// 1-based position of the first occurrence of needle that begins at or after start (a start of 0
// counts as 1), counted in the whole text; 0 when there is none, and always 0 for an empty needle.
std::size_t FindFrom(std::string_view needle, std::string_view text, std::size_t start) noexcept;

// Takes a signed 32-bit number off the front of text (text loses the characters taken): decimal
// digits with one "-", "+" or " " before them, or "$", "x", "X" and decimal digits read as
// hexadecimal, with an optional "-" before it. False, with text and number untouched, when the
// number text does not convert.
bool TakeNumber(std::string_view& text, std::int32_t& number) noexcept;

}  // namespace nm
