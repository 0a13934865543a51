#include "engine/win32/text_codec.hpp"

#include <limits>

namespace nm {
namespace {

bool fitsInt(std::size_t size) {
    return size <= static_cast<std::size_t>(std::numeric_limits<int>::max());
}

}  // namespace

std::wstring Widen(std::string_view text, UINT codePage) {
    if (text.empty() || !fitsInt(text.size())) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    }
    return wide;
}

std::string NarrowToAnsi(std::wstring_view text, bool& lost) {
    lost = false;
    if (text.empty() || !fitsInt(text.size())) {
        lost = !text.empty();
        return {};
    }
    const int size = static_cast<int>(text.size());
    // UTF-8 takes no default character to report with, and no flags: it names every
    // character (a lone surrogate becomes U+FFFD).
    const bool utf8 = GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    BOOL* const report = utf8 ? nullptr : &usedDefault;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length =
        WideCharToMultiByte(CP_ACP, flags, text.data(), size, nullptr, 0, nullptr, report);
    std::string bytes(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_ACP, flags, text.data(), size, bytes.data(), length, nullptr,
                            report);
    }
    lost = length <= 0 || usedDefault != FALSE;
    return bytes;
}

}  // namespace nm
