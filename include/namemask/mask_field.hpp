#pragma once

// The text fields of the records (the masks), read and written the same way on both sides
// of the boundary: by the plug-in, its window, the reference host and the benchmark.

#include <cstddef>
#include <cstring>
#include <string_view>

#include "namemask/plugin.h"

namespace nm {

inline constexpr std::size_t kMaskField = sizeof(RenameOptions::NameMask);
// The most bytes of text written into a mask field: the last byte stays for the NUL, so
// that a host reading the field as a C string stops inside it.
inline constexpr std::size_t kMaskTextLimit = kMaskField - 1;

// A field's text: its bytes up to the first NUL, all of them when a host wrote none.
// Never reads past the field.
template <std::size_t N>
std::string_view fieldText(const char (&field)[N]) noexcept {
    return {field, strnlen(field, N)};
}

// Writes `text` into a field: at most N - 1 bytes, then NULs to the field's end. False
// when the text was longer and only its start was kept (callers that must not cut a
// text check its length first).
template <std::size_t N>
bool putFieldText(char (&field)[N], std::string_view text) noexcept {
    static_assert(N > 0);
    const std::size_t kept = text.size() < N ? text.size() : N - 1;
    if (kept != 0) {
        std::memcpy(field, text.data(), kept);
    }
    std::memset(field + kept, 0, N - kept);
    return kept == text.size();
}

}  // namespace nm
