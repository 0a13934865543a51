#include "ui/window_text.hpp"

#include <limits>

namespace nm {

namespace {

constexpr UINT kLabelCodePage = 1251;

std::wstring widen(UINT codePage, std::string_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
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

// Bytes of `text` in the ANSI code page; `lost` tells whether a character was replaced.
std::string narrow(std::wstring_view text, bool& lost) {
    lost = false;
    if (text.empty() || text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    // UTF-8 reports no default character; a lone surrogate is the only thing it lacks.
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

}  // namespace

std::wstring fromLabel(std::string_view label) {
    return widen(kLabelCodePage, label);
}

std::wstring fromAnsi(std::string_view text) {
    return widen(CP_ACP, text);
}

std::optional<std::string> toAnsi(std::wstring_view text, std::size_t limit) {
    bool lost = false;
    std::string bytes = narrow(text, lost);
    if ((lost && !text.empty()) || bytes.size() > limit) {
        return std::nullopt;
    }
    return bytes;
}

std::string toAnsiLossy(std::wstring_view text) {
    bool lost = false;
    return narrow(text, lost);
}

std::string fitAnsi(std::wstring_view text, std::size_t limit) {
    // Drop whole characters from the end (a surrogate pair is one) until it fits.
    while (!text.empty()) {
        std::string bytes = toAnsiLossy(text);
        if (bytes.size() <= limit) {
            return bytes;
        }
        const bool pair = text.size() >= 2 && IS_LOW_SURROGATE(text.back()) &&
                          IS_HIGH_SURROGATE(text[text.size() - 2]);
        text.remove_suffix(pair ? 2 : 1);
    }
    return {};
}

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

}  // namespace nm
