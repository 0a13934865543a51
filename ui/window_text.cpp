#include "ui/window_text.hpp"

#include "engine/win32/text_codec.hpp"

namespace nm {

namespace {

constexpr UINT kLabelCodePage = 1251;

}  // namespace

std::wstring fromLabel(std::string_view label) {
    return Widen(label, kLabelCodePage);
}

std::wstring fromAnsi(std::string_view text) {
    return Widen(text);
}

std::optional<std::string> toAnsi(std::wstring_view text, std::size_t limit) {
    bool lost = false;
    std::string bytes = NarrowToAnsi(text, lost);
    if ((lost && !text.empty()) || bytes.size() > limit) {
        return std::nullopt;
    }
    return bytes;
}

std::string toAnsiLossy(std::wstring_view text) {
    bool lost = false;
    return NarrowToAnsi(text, lost);
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
